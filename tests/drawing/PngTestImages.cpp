#include "PngTestImages.h"

#include <png.h>
#include <zlib.h>

namespace {

void AppendToVector(png_structp png, png_bytep data, size_t count)
{
    auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + count);
}

void FlushNothing(png_structp)
{
}

// Holds no object with a destructor: libpng may leave it by long jump.
bool WriteImage(png_structp png, png_infop info, const PngImageLayout& layout, png_bytepp rows)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_set_IHDR(png, info, png_uint_32(layout.width), png_uint_32(layout.height), layout.bitDepth, layout.colourType,
                 layout.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    if (!layout.palette.empty())
        png_set_PLTE(png, info, reinterpret_cast<png_const_colorp>(layout.palette.data()), int(layout.palette.size() / 3));
    if (!layout.paletteAlpha.empty())
        png_set_tRNS(png, info, layout.paletteAlpha.data(), int(layout.paletteAlpha.size()), nullptr);
    if (layout.hasTransparentColour) {
        png_color_16 colour{};
        colour.gray = layout.transparentGrey;
        colour.red = layout.transparentRed;
        colour.green = layout.transparentGreen;
        colour.blue = layout.transparentBlue;
        png_set_tRNS(png, info, nullptr, 0, &colour);
    }
    png_write_info(png, info);
    png_write_image(png, rows);
    png_write_end(png, info);
    return true;
}

void PutBigEndian(uint8_t* p, uint32_t value)
{
    p[0] = uint8_t(value >> 24);
    p[1] = uint8_t(value >> 16);
    p[2] = uint8_t(value >> 8);
    p[3] = uint8_t(value);
}

} // namespace

std::vector<uint8_t> WritePng(const PngImageLayout& layout, const std::vector<std::vector<uint8_t>>& rows)
{
    std::vector<uint8_t> out;
    std::vector<png_bytep> rowPointers;
    for (const auto& row : rows)
        rowPointers.push_back(const_cast<png_bytep>(row.data()));

    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    bool written = false;
    if (png && info) {
        png_set_write_fn(png, &out, AppendToVector, FlushNothing);
        written = WriteImage(png, info, layout, rowPointers.data());
    }
    png_destroy_write_struct(&png, &info);
    if (!written)
        out.clear();
    return out;
}

std::vector<uint8_t> WriteGradientPng(int width, int height, bool interlaced)
{
    PngImageLayout layout;
    layout.width = width;
    layout.height = height;
    layout.colourType = PNG_COLOR_TYPE_RGB_ALPHA;
    layout.interlaced = interlaced;
    std::vector<std::vector<uint8_t>> rows(static_cast<size_t>(height));
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            rows[size_t(y)].insert(rows[size_t(y)].end(),
                                   {uint8_t(x * 16), uint8_t(y * 16), uint8_t(x ^ y), uint8_t(255 - x)});
        }
    }
    return WritePng(layout, rows);
}

void PatchPngDimensions(std::vector<uint8_t>& png, uint32_t width, uint32_t height)
{
    // Signature (8), IHDR length (4), "IHDR" (4), then width and height; the checksum
    // covers the type and the 13 data bytes.
    constexpr size_t kTypeOffset = 12;
    constexpr size_t kDataOffset = 16;
    constexpr size_t kHeaderDataBytes = 13;
    if (png.size() < kDataOffset + kHeaderDataBytes + 4)
        return;
    PutBigEndian(&png[kDataOffset], width);
    PutBigEndian(&png[kDataOffset + 4], height);
    const uLong crc = crc32(0L, &png[kTypeOffset], uInt(4 + kHeaderDataBytes));
    PutBigEndian(&png[kDataOffset + kHeaderDataBytes], uint32_t(crc));
}

void RepairPngChecksums(std::vector<uint8_t>& png)
{
    constexpr size_t kSignatureBytes = 8;
    constexpr size_t kChunkFrameBytes = 12;  // length, type and checksum around the data
    size_t position = kSignatureBytes;
    // Written as a sum, not as size - position: that wraps for data shorter than a signature.
    while (position + kChunkFrameBytes <= png.size()) {
        const uint32_t length = uint32_t(png[position]) << 24 | uint32_t(png[position + 1]) << 16 |
                                uint32_t(png[position + 2]) << 8 | png[position + 3];
        if (length > png.size() - position - kChunkFrameBytes)
            return;
        const uLong crc = crc32(0L, &png[position + 4], uInt(4 + length));
        PutBigEndian(&png[position + 8 + length], uint32_t(crc));
        position += kChunkFrameBytes + length;
    }
}
