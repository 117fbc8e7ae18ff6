#pragma once
// Texts cross between the editor, which speaks UTF-8, and the wide (UTF-16) calls of Windows
// here. Every conversion is bounded: a longer text is cut at a character boundary, never
// inside a surrogate pair. Windows only.

#include <cstddef>
#include <string>

// Longest text converted in either direction, in code units.
constexpr size_t kMaxWinTextUnits = 32768;

// The UTF-16 form of a UTF-8 text, at most maxUnits code units. Null reads as "", and bytes
// that are not UTF-8 become U+FFFD.
std::wstring WideFromUtf8(const char* text, size_t maxUnits = kMaxWinTextUnits);
// The UTF-8 form of at most `units` UTF-16 code units, ending early at a terminator.
std::string Utf8FromWide(const wchar_t* text, size_t units);
inline std::string Utf8FromWide(const std::wstring& text)
{
    return Utf8FromWide(text.c_str(), text.size());
}
