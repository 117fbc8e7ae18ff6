#include "PngWriter.h"

#include "GFX_MemBitmap.h"

#include <png.h>

namespace {

void AppendToVector(png_structp png, png_bytep data, size_t count)
{
    auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + count);
}

void Flush(png_structp) {}

size_t RowBytes(const PngImage& image)
{
    const int channels = image.colourType == PNG_COLOR_TYPE_RGB_ALPHA ? 4
                       : image.colourType == PNG_COLOR_TYPE_RGB       ? 3
                       : image.colourType == PNG_COLOR_TYPE_GRAY_ALPHA ? 2
                                                                        : 1;
    return (static_cast<size_t>(image.width) * channels * image.bitDepth + 7) / 8;
}

// Runs libpng's writer; bgr swaps the colour channels of 8-bit RGBA rows given as BGRA.
std::vector<uint8_t> Write(const PngImage& image, const std::vector<png_bytep>& rows, bool bgr)
{
    std::vector<uint8_t> out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info || setjmp(png_jmpbuf(png)))
    {
        png_destroy_write_struct(&png, &info);
        return {};
    }
    png_set_write_fn(png, &out, AppendToVector, Flush);
    png_set_IHDR(png, info, image.width, image.height, image.bitDepth, image.colourType,
                 image.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    if (!image.palette.empty())
        png_set_PLTE(png, info, reinterpret_cast<png_const_colorp>(image.palette.data()),
                     static_cast<int>(image.palette.size() / 3));
    if (!image.transparency.empty())
        png_set_tRNS(png, info, image.transparency.data(), static_cast<int>(image.transparency.size()), nullptr);
    png_write_info(png, info);
    if (bgr)
        png_set_bgr(png);
    png_write_image(png, const_cast<png_bytepp>(rows.data()));
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
}

} // namespace

std::vector<uint8_t> EncodePng(const PngImage& image)
{
    const size_t rowBytes = RowBytes(image);
    if (image.rows.size() != rowBytes * image.height)
        return {};
    std::vector<png_bytep> rows;
    for (uint32_t y = 0; y < image.height; ++y)
        rows.push_back(const_cast<png_bytep>(image.rows.data() + y * rowBytes));
    return Write(image, rows, false);
}

std::vector<uint8_t> EncodePng(GFX_MemBitmap& bitmap, bool interlaced)
{
    PngImage image;
    image.width = static_cast<uint32_t>(bitmap.Width());
    image.height = static_cast<uint32_t>(bitmap.Height());
    image.colourType = PNG_COLOR_TYPE_RGB_ALPHA;
    image.interlaced = interlaced;
    std::vector<png_bytep> rows;
    for (int y = 0; y < bitmap.Height(); ++y)
        rows.push_back(reinterpret_cast<png_bytep>(bitmap.Pixels() + static_cast<ptrdiff_t>(y) * bitmap.RowStride()));
    return Write(image, rows, true);
}
