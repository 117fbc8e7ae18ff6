#pragma once
// Decodes a PNG image held in memory into a memory bitmap (bytes blue, green, red, alpha;
// alpha 255 for images without transparency).

#include <cstddef>

class GFX_MemBitmap;

// Returns `target` resized and filled, or a new bitmap when target is null; null when the
// data is not a complete, valid PNG or declares an image larger than kMaxPngDimension in
// either direction or kMaxPngPixels in all. A given target is never deleted; after a failure its
// size and pixels are unspecified.
GFX_MemBitmap* DecodePngFromMemory(const void* data, size_t length, GFX_MemBitmap* target = nullptr);

constexpr unsigned kMaxPngDimension = 16384;           // pixels, either direction
constexpr unsigned long long kMaxPngPixels = 1ull << 26; // 256 MiB of decoded pixels
