#include "VST3Text.h"

#include <cstdint>

using Steinberg::Vst::TChar;

namespace {

// Decodes one UTF-8 sequence at p; returns its length in bytes, or 0 when it is not a valid
// sequence (overlong forms and surrogates included).
size_t DecodeUtf8(const unsigned char* p, uint32_t* codePoint)
{
    const unsigned char lead = p[0];
    size_t length;
    uint32_t cp;
    if (lead < 0x80)
        return *codePoint = lead, 1;
    if ((lead & 0xE0) == 0xC0)
        length = 2, cp = lead & 0x1Fu;
    else if ((lead & 0xF0) == 0xE0)
        length = 3, cp = lead & 0x0Fu;
    else if ((lead & 0xF8) == 0xF0)
        length = 4, cp = lead & 0x07u;
    else
        return 0;
    for (size_t i = 1; i < length; ++i)
    {
        if ((p[i] & 0xC0) != 0x80)  // also stops at the terminator
            return 0;
        cp = (cp << 6) | (p[i] & 0x3Fu);
    }
    static const uint32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < kSmallest[length] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    *codePoint = cp;
    return length;
}

} // namespace

void WidenText(const char* source, TChar* dest, size_t capacity)
{
    if (!dest || capacity == 0)
        return;
    size_t out = 0;
    const auto* p = reinterpret_cast<const unsigned char*>(source ? source : "");
    while (*p && out + 1 < capacity)
    {
        uint32_t cp = 0;
        size_t length = DecodeUtf8(p, &cp);
        if (length == 0)
            cp = *p, length = 1;  // a stray byte stands for itself
        if (cp >= 0x10000)
        {
            if (out + 2 >= capacity)
                break;
            cp -= 0x10000;
            dest[out++] = static_cast<TChar>(0xD800 + (cp >> 10));
            dest[out++] = static_cast<TChar>(0xDC00 + (cp & 0x3FF));
        }
        else
        {
            dest[out++] = static_cast<TChar>(cp);
        }
        p += length;
    }
    dest[out] = 0;
}

void NarrowText(const TChar* source, char* dest, size_t capacity)
{
    if (!dest || capacity == 0)
        return;
    size_t out = 0;
    for (; source && source[out] && out + 1 < capacity; ++out)
        dest[out] = source[out] < 256 ? static_cast<char>(source[out]) : '?';
    dest[out] = '\0';
}

bool IsWellFormedUtf16(const TChar* text)
{
    const auto high = [](TChar c) { return c >= 0xD800 && c <= 0xDBFF; };
    const auto low = [](TChar c) { return c >= 0xDC00 && c <= 0xDFFF; };
    for (; *text; ++text)
    {
        if (high(*text) && low(text[1]))
            ++text;
        else if (high(*text) || low(*text))
            return false;
    }
    return true;
}
