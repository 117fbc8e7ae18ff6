#include "GFX_MemBitmap.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

constexpr size_t kAlignSlack = GFX_MemBitmap::kPixelAlignment - 1;
// Largest byte count we ever ask for: leaves room for the alignment slack and the growth
// headroom, and keeps every pixel offset representable as a ptrdiff_t.
constexpr uint64_t kMaxBitmapBytes = (uint64_t(PTRDIFF_MAX) - kAlignSlack) / 2;

size_t AlignmentOffset(const unsigned char* p)
{
    const auto address = reinterpret_cast<uintptr_t>(p);
    return size_t((GFX_MemBitmap::kPixelAlignment - address % GFX_MemBitmap::kPixelAlignment) %
                  GFX_MemBitmap::kPixelAlignment);
}

int64_t PaddedRowSpan(int64_t w)
{
    constexpr int64_t mask = GFX_MemBitmap::kRowAlignment;
    return (w + mask) & ~mask;
}

// Bytes for w x h pixels with padded rows, or 0 when the size is empty or too large to
// address: the padded row span must still fit the int that RowStride reports, and the
// product must not overflow.
uint64_t BytesFor(int w, int h)
{
    if (w <= 0 || h <= 0 || PaddedRowSpan(w) > INT32_MAX)
        return 0;
    const uint64_t rowBytes = uint64_t(PaddedRowSpan(w)) * 4;
    if (uint64_t(h) > kMaxBitmapBytes / rowBytes)
        return 0;
    return rowBytes * uint64_t(h);
}

} // namespace

GFX_MemBitmap::~GFX_MemBitmap()
{
    std::free(buffer);
}

uint32_t* GFX_MemBitmap::Pixels()
{
    if (!buffer)
        return nullptr;
    return reinterpret_cast<uint32_t*>(buffer + AlignmentOffset(buffer));
}

int GFX_MemBitmap::RowStride() const
{
    return int(PaddedRowSpan(width));
}

bool GFX_MemBitmap::SetSize(int newWidth, int newHeight)
{
    if (newWidth == width && newHeight == height)
        return false;

    width = newWidth;
    height = newHeight;
    const uint64_t needed = BytesFor(newWidth, newHeight);
    if (needed == 0 || !Reserve(size_t(needed)))
        Release();

    if (!buffer)
        width = height = 0;
    return true;
}

// Makes at least neededBytes usable. A growing buffer gets a quarter of headroom so that
// small successive enlargements do not each reallocate; the pixels already there are kept
// at the aligned start.
bool GFX_MemBitmap::Reserve(size_t neededBytes)
{
    if (buffer && allocatedBytes >= neededBytes)
        return true;

    if (buffer) {
        const size_t grown = neededBytes / 4 * 5 + neededBytes % 4 * 5 / 4;
        const size_t oldOffset = AlignmentOffset(buffer);
        if (auto* moved = static_cast<unsigned char*>(std::realloc(buffer, grown + kAlignSlack))) {
            const size_t newOffset = AlignmentOffset(moved);
            if (newOffset != oldOffset)
                std::memmove(moved + newOffset, moved + oldOffset, allocatedBytes);
            buffer = moved;
            allocatedBytes = grown;
            return true;
        }
        Release();
    }

    buffer = static_cast<unsigned char*>(std::malloc(neededBytes + kAlignSlack));
    allocatedBytes = buffer ? neededBytes : 0;
    return buffer != nullptr;
}

void GFX_MemBitmap::Release()
{
    std::free(buffer);
    buffer = nullptr;
    allocatedBytes = 0;
}
