#include "GFX_PngDecoder.h"

#include "GFX_MemBitmap.h"

#include <png.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <new>

// libpng reports errors by long jump. The functions that call setjmp below hold nothing
// with a destructor, and neither do the callbacks libpng runs, so a jump never skips one.

namespace {

constexpr size_t kSignatureBytes = 8;
constexpr png_alloc_size_t kMaxChunkBytes = 8u << 20; // ancillary chunk payloads

struct MemoryReader
{
    const png_byte* data;
    size_t length;
    size_t position;
};

void ReadFromMemory(png_structp png, png_bytep out, size_t count)
{
    auto* reader = static_cast<MemoryReader*>(png_get_io_ptr(png));
    // Data that ends early is an error rather than zeros: a truncated file must not decode
    // into an image with invented rows.
    if (count > reader->length - reader->position)
        png_error(png, "PNG data ends early");
    std::memcpy(out, reader->data + reader->position, count);
    reader->position += count;
}

void OnPngError(png_structp png, png_const_charp)
{
    png_longjmp(png, 1);
}

void OnPngWarning(png_structp, png_const_charp)
{
}

// Owns the libpng read state for one decode.
class PngReadSession
{
public:
    PngReadSession()
    {
        png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, OnPngError, OnPngWarning);
        if (png)
            info = png_create_info_struct(png);
    }
    ~PngReadSession() { png_destroy_read_struct(&png, info ? &info : nullptr, nullptr); }
    PngReadSession(const PngReadSession&) = delete;
    PngReadSession& operator=(const PngReadSession&) = delete;

    bool IsValid() const { return png && info; }

    png_structp png = nullptr;
    png_infop info = nullptr;
};

// Reads the header and asks for every row to arrive as blue, green, red, alpha bytes.
bool ReadHeader(png_structp png, png_infop info, png_uint_32* width, png_uint_32* height)
{
    if (setjmp(png_jmpbuf(png)))
        return false;

    png_read_info(png, info);
    const int colourType = png_get_color_type(png, info);
    const int bitDepth = png_get_bit_depth(png, info);
    bool hasAlpha = (colourType & PNG_COLOR_MASK_ALPHA) != 0;

    if (colourType == PNG_COLOR_TYPE_PALETTE)
        png_set_palette_to_rgb(png);
    if (colourType == PNG_COLOR_TYPE_GRAY && bitDepth < 8)
        png_set_expand_gray_1_2_4_to_8(png);
    if (png_get_valid(png, info, PNG_INFO_tRNS)) {
        png_set_tRNS_to_alpha(png);
        hasAlpha = true;
    }
    if (bitDepth == 16)
        png_set_strip_16(png);
    if (bitDepth < 8)
        png_set_packing(png);
    if (colourType == PNG_COLOR_TYPE_GRAY || colourType == PNG_COLOR_TYPE_GRAY_ALPHA)
        png_set_gray_to_rgb(png);
    png_set_bgr(png);
    if (!hasAlpha)
        png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);

    const png_uint_32 w = png_get_image_width(png, info);
    const png_uint_32 h = png_get_image_height(png, info);
    if (png_get_channels(png, info) != 4 || png_get_bit_depth(png, info) != 8 ||
        png_get_rowbytes(png, info) != size_t(w) * 4)
        return false;
    *width = w;
    *height = h;
    return true;
}

bool ReadPixels(png_structp png, png_infop info, png_bytepp rows)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_read_image(png, rows);
    png_read_end(png, info);
    return true;
}

bool Decode(PngReadSession& session, MemoryReader& reader, GFX_MemBitmap& bitmap)
{
    png_structp png = session.png;
    png_set_read_fn(png, &reader, ReadFromMemory);
    png_set_user_limits(png, kMaxPngDimension, kMaxPngDimension);
    png_set_chunk_malloc_max(png, kMaxChunkBytes);

    png_uint_32 width = 0, height = 0;
    if (!ReadHeader(png, session.info, &width, &height))
        return false;
    if (width == 0 || height == 0 || uint64_t(width) * height > kMaxPngPixels)
        return false;

    bitmap.SetSize(int(width), int(height));
    uint32_t* pixels = bitmap.Pixels();
    if (!pixels || bitmap.Width() != int(width) || bitmap.Height() != int(height))
        return false;

    std::unique_ptr<png_bytep[]> rows(new (std::nothrow) png_bytep[height]);
    if (!rows)
        return false;
    const ptrdiff_t stride = bitmap.RowStride();
    for (png_uint_32 y = 0; y < height; ++y)
        rows[y] = reinterpret_cast<png_bytep>(pixels + ptrdiff_t(y) * stride);
    return ReadPixels(png, session.info, rows.get());
}

} // namespace

GFX_MemBitmap* DecodePngFromMemory(const void* data, size_t length, GFX_MemBitmap* target)
{
    if (!data || length < kSignatureBytes || png_sig_cmp(static_cast<png_const_bytep>(data), 0, kSignatureBytes) != 0)
        return nullptr;

    PngReadSession session;
    if (!session.IsValid())
        return nullptr;

    std::unique_ptr<GFX_MemBitmap> created;
    GFX_MemBitmap* bitmap = target;
    if (!bitmap) {
        created.reset(new (std::nothrow) GFX_MemBitmap);
        bitmap = created.get();
        if (!bitmap)
            return nullptr;
    }

    MemoryReader reader{static_cast<const png_byte*>(data), length, 0};
    if (!Decode(session, reader, *bitmap))
        return nullptr;
    created.release();
    return bitmap;
}
