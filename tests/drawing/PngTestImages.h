#pragma once
// Writes small PNG images into memory with libpng, so the decoder tests need no files.

#include <cstdint>
#include <vector>

struct PngImageLayout
{
    int width = 0;
    int height = 0;
    int colourType = 0;   // PNG_COLOR_TYPE_*
    int bitDepth = 8;
    bool interlaced = false;
    std::vector<uint8_t> palette;      // r, g, b triples for palette images
    std::vector<uint8_t> paletteAlpha; // tRNS for palette images
    bool hasTransparentColour = false; // tRNS for grey and RGB images
    uint16_t transparentGrey = 0;
    uint16_t transparentRed = 0, transparentGreen = 0, transparentBlue = 0;
};

// `rows` holds each row as PNG stores it: packed samples below 8 bits, big-endian 16-bit
// samples. Returns an empty vector if libpng rejects the image.
std::vector<uint8_t> WritePng(const PngImageLayout& layout, const std::vector<std::vector<uint8_t>>& rows);

// An RGBA image whose pixel (x, y) has red x * 16, green y * 16, blue x ^ y, alpha 255 - x.
std::vector<uint8_t> WriteGradientPng(int width, int height, bool interlaced = false);

// Rewrites the header's width and height (and its checksum) in an encoded PNG; data too short
// to hold a header is left alone.
void PatchPngDimensions(std::vector<uint8_t>& png, uint32_t width, uint32_t height);

// Recomputes the checksum of every chunk whose length still fits the data; data of any
// length, even shorter than the signature, is safe.
void RepairPngChecksums(std::vector<uint8_t>& png);
