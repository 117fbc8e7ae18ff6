#pragma once

#include "pluginterfaces/vst/vsttypes.h"

#include <cstddef>

// Text conversion between the framework's 8-bit texts (UTF-8, read as Latin-1 where a byte
// sequence is not valid UTF-8) and the UTF-16 texts of the VST3 interfaces. Both always
// terminate the destination and never write beyond `capacity` units.
void WidenText(const char* source, Steinberg::Vst::TChar* dest, size_t capacity);

// Whether every surrogate up to the terminator stands in a high-low pair, as UTF-16 requires.
bool IsWellFormedUtf16(const Steinberg::Vst::TChar* text);

// Narrows UTF-16 to single bytes: characters below 256 keep their value, others become '?'.
void NarrowText(const Steinberg::Vst::TChar* source, char* dest, size_t capacity);
