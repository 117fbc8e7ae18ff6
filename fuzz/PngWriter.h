#pragma once

#include <cstdint>
#include <vector>

class GFX_MemBitmap;

// Encodes a bitmap (bytes blue, green, red, alpha) as an 8-bit RGBA PNG in memory. The
// corpus generator makes its images with it, and the decoder's harness re-encodes what it
// decoded. `interlaced` selects Adam7. Empty on failure.
std::vector<uint8_t> EncodePng(GFX_MemBitmap& bitmap, bool interlaced = false);

// The same for raw rows in any PNG colour type and bit depth, for images the editor's files
// do not use (palettes, grey, 16-bit, transparency chunks).
struct PngImage
{
    uint32_t width = 0;
    uint32_t height = 0;
    int colourType = 0;  // PNG_COLOR_TYPE_*
    int bitDepth = 8;
    bool interlaced = false;
    std::vector<uint8_t> rows;     // height rows of rowBytes each
    std::vector<uint8_t> palette;  // red, green, blue triples for palette images
    std::vector<uint8_t> transparency;  // tRNS entries for palette images
};
std::vector<uint8_t> EncodePng(const PngImage& image);
