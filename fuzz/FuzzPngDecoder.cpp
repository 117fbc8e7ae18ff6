// The PNG decoder with any bytes. A decoded image lies within the size limits and every pixel
// of it can be read; decoding into an existing bitmap gives the same pixels as into a new one;
// and the image, written again as a PNG, decodes to the very same pixels.

#include "FuzzCheck.h"
#include "GFX_MemBitmap.h"
#include "GFX_PngDecoder.h"
#include "PngTestImages.h"

#include <png.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

namespace {

// Re-encoding is slow for large images; these are checked for everything else.
constexpr uint64_t kMaxPixelsToReencode = 1u << 16;

bool SamePixels(GFX_MemBitmap& a, GFX_MemBitmap& b)
{
    if (a.Width() != b.Width() || a.Height() != b.Height())
        return false;
    for (int y = 0; y < a.Height(); ++y)
        if (std::memcmp(a.Pixels() + static_cast<ptrdiff_t>(y) * a.RowStride(),
                        b.Pixels() + static_cast<ptrdiff_t>(y) * b.RowStride(), sizeof(uint32_t) * a.Width()) != 0)
            return false;
    return true;
}

// The bitmap (blue, green, red, alpha) written as an 8-bit RGBA PNG.
std::vector<uint8_t> Reencode(GFX_MemBitmap& bitmap, bool interlaced)
{
    PngImageLayout layout;
    layout.width = bitmap.Width();
    layout.height = bitmap.Height();
    layout.colourType = PNG_COLOR_TYPE_RGB_ALPHA;
    layout.interlaced = interlaced;
    std::vector<std::vector<uint8_t>> rows;
    for (int y = 0; y < bitmap.Height(); ++y)
    {
        const auto* bgra = reinterpret_cast<const uint8_t*>(bitmap.Pixels() + static_cast<ptrdiff_t>(y) * bitmap.RowStride());
        std::vector<uint8_t>& row = rows.emplace_back();
        for (int x = 0; x < bitmap.Width(); ++x)
            row.insert(row.end(), {bgra[4 * x + 2], bgra[4 * x + 1], bgra[4 * x], bgra[4 * x + 3]});
    }
    return WritePng(layout, rows);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::unique_ptr<GFX_MemBitmap> image(DecodePngFromMemory(data, size));

    // Decoding into a bitmap that already holds another image.
    GFX_MemBitmap target;
    target.SetSize(3, 5);
    GFX_MemBitmap* reused = DecodePngFromMemory(data, size, &target);
    FUZZ_CHECK((reused != nullptr) == (image != nullptr), "decoding into an existing bitmap answered otherwise");
    if (!image)
        return 0;
    FUZZ_CHECK(reused == &target, "decoding into a bitmap returned another one");

    const uint64_t pixels = static_cast<uint64_t>(image->Width()) * image->Height();
    FUZZ_CHECK(image->Width() > 0 && image->Height() > 0 && image->Width() <= static_cast<int>(kMaxPngDimension) &&
                   image->Height() <= static_cast<int>(kMaxPngDimension) && pixels <= kMaxPngPixels,
               "decoded an image of %d x %d", image->Width(), image->Height());
    FUZZ_CHECK(image->RowStride() >= image->Width(), "row stride %d below width %d", image->RowStride(), image->Width());
    FUZZ_CHECK(SamePixels(*image, target),
               "decoding into an existing bitmap gave other pixels");
    if (pixels > kMaxPixelsToReencode)
        return 0;

    const std::vector<uint8_t> again = Reencode(*image, (data[size - 1] & 1) != 0);
    FUZZ_CHECK(!again.empty(), "a decoded image could not be written");
    std::unique_ptr<GFX_MemBitmap> second(DecodePngFromMemory(again.data(), again.size()));
    FUZZ_CHECK(second && SamePixels(*image, *second), "the image written again decodes to other pixels");
    return 0;
}
