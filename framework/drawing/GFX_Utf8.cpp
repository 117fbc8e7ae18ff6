#include "GFX_Utf8.h"

namespace {

// Length of the well-formed sequence starting at text[position] and its value, or 0.
size_t WellFormedSequence(const unsigned char* text, size_t length, size_t position, uint32_t* value)
{
    const unsigned lead = text[position];
    size_t count;
    uint32_t code;
    uint32_t minimum;
    if (lead < 0x80) {
        *value = lead;
        return 1;
    } else if ((lead & 0xE0) == 0xC0) {
        count = 2; code = lead & 0x1F; minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        count = 3; code = lead & 0x0F; minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        count = 4; code = lead & 0x07; minimum = 0x10000;
    } else {
        return 0;
    }
    if (count > length - position)
        return 0;
    for (size_t i = 1; i < count; ++i) {
        const unsigned next = text[position + i];
        if ((next & 0xC0) != 0x80)
            return 0;
        code = code << 6 | (next & 0x3F);
    }
    if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return 0;
    *value = code;
    return count;
}

} // namespace

uint32_t DecodeUtf8Character(const char* text, size_t length, size_t* position)
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    uint32_t value = 0;
    const size_t count = WellFormedSequence(bytes, length, *position, &value);
    if (count == 0) {
        value = bytes[*position];
        *position += 1;
        return value;
    }
    *position += count;
    return value;
}

bool ContainsMultiByteUtf8(const char* text, size_t length)
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    uint32_t value = 0;
    for (size_t position = 0; position < length; ++position) {
        if (bytes[position] >= 0x80 && WellFormedSequence(bytes, length, position, &value) > 1)
            return true;
    }
    return false;
}
