#pragma once

#include <cstddef>
#include <cstring>

// Copies a zero-terminated text into a fixed buffer, cutting it so that the terminator
// always fits. A null source gives the empty text.
inline void CopyText(char* dest, size_t capacity, const char* src)
{
    if (!dest || capacity == 0)
        return;
    size_t n = src ? strnlen(src, capacity - 1) : 0;
    if (n)
        memcpy(dest, src, n);
    dest[n] = '\0';
}

template <size_t N>
inline void CopyText(char (&dest)[N], const char* src)
{
    CopyText(dest, N, src);
}
