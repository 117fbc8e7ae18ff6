#pragma once
// Strict UTF-8 decoding for text drawing. Bytes that do not start a well-formed sequence
// (stray continuation bytes, overlong forms, surrogates, values above U+10FFFF, sequences
// cut short) are taken one at a time as their own byte value, so malformed text still
// draws as its raw bytes.

#include <cstddef>
#include <cstdint>

// Decodes the character at text[*position] (which must be below length) and advances
// *position past it.
uint32_t DecodeUtf8Character(const char* text, size_t length, size_t* position);

// True when the text holds at least one well-formed multi-byte sequence.
bool ContainsMultiByteUtf8(const char* text, size_t length);
