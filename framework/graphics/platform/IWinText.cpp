#include "IWinText.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <cwchar>

namespace {

bool IsHighSurrogate(wchar_t unit)
{
    return unit >= 0xD800 && unit <= 0xDBFF;
}

} // namespace

std::wstring WideFromUtf8(const char* text, size_t maxUnits)
{
    maxUnits = std::min(maxUnits, kMaxWinTextUnits);
    if (!text || maxUnits == 0)
        return std::wstring();
    // A UTF-8 text never needs more code units than it has bytes, so this many bytes are
    // enough for maxUnits units.
    const size_t bytes = strnlen(text, maxUnits * 4);
    if (bytes == 0)
        return std::wstring();
    const int units = MultiByteToWideChar(CP_UTF8, 0, text, static_cast<int>(bytes), nullptr, 0);
    if (units <= 0)
        return std::wstring();
    std::wstring wide(static_cast<size_t>(units), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text, static_cast<int>(bytes), wide.data(), units);
    if (wide.size() > maxUnits)
    {
        size_t keep = maxUnits;
        if (keep > 0 && IsHighSurrogate(wide[keep - 1]))
            --keep;
        wide.resize(keep);
    }
    return wide;
}

std::string Utf8FromWide(const wchar_t* text, size_t units)
{
    if (!text)
        return std::string();
    units = wcsnlen(text, std::min(units, kMaxWinTextUnits));
    if (units == 0)
        return std::string();
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(units), nullptr, 0, nullptr, nullptr);
    if (bytes <= 0)
        return std::string();
    std::string narrow(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(units), narrow.data(), bytes, nullptr, nullptr);
    return narrow;
}
