#include "GFX_Compositing.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace {

constexpr int kFullWeight = 256;          // weights are applied in 1/256 steps
constexpr int kOperationMask = 0xFF;
constexpr int kFirstReservedOperation = 240;
constexpr uint32_t kHalfMask = 0x7f7f7f7fu;    // each byte shifted right by 1, no cross-byte bits
constexpr uint32_t kQuarterMask = 0x3f3f3f3fu; // each byte shifted right by 2

// A clipped rectangle, as the first pixel of each side plus the shared size. Overlapping
// blits within one bitmap walk in the direction that reads every source pixel before it is
// overwritten.
struct Span
{
    uint32_t* dest;
    const uint32_t* source;
    ptrdiff_t destStride;
    ptrdiff_t sourceStride;
    int64_t width;
    int64_t height;
    bool rowsBottomUp;
    bool pixelsRightToLeft;
};

int WeightToLevel(float weight)
{
    if (!(weight > 0.0f))
        return 0;
    return int(std::min(weight, 1.0f) * float(kFullWeight));
}

int Byte(uint32_t pixel, int shift)
{
    return int((pixel >> shift) & 0xFF);
}

uint32_t Pack(int blue, int green, int red, int alpha)
{
    return uint32_t(blue & 0xFF) | uint32_t(green & 0xFF) << 8 | uint32_t(red & 0xFF) << 16 |
           uint32_t(alpha & 0xFF) << 24;
}

// Applies op(destByte, sourceByte) to each of the four channels, alpha included.
template <class ChannelOp>
uint32_t EachChannel(uint32_t d, uint32_t s, ChannelOp op)
{
    return Pack(op(Byte(d, 0), Byte(s, 0)), op(Byte(d, 8), Byte(s, 8)), op(Byte(d, 16), Byte(s, 16)),
                op(Byte(d, 24), Byte(s, 24)));
}

// Moves c towards s: c := s + (c - s) * keep / 256, truncated toward zero.
int Approach(int c, int s, int keep)
{
    return s + (c - s) * keep / kFullWeight;
}

template <class PixelOp>
void ForEachPixel(const Span& span, PixelOp op)
{
    for (int64_t row = 0; row < span.height; ++row) {
        const int64_t y = span.rowsBottomUp ? span.height - 1 - row : row;
        uint32_t* d = span.dest + y * span.destStride;
        const uint32_t* s = span.source + y * span.sourceStride;
        if (span.pixelsRightToLeft) {
            for (int64_t x = span.width - 1; x >= 0; --x)
                d[x] = op(d[x], s[x]);
        } else {
            for (int64_t x = 0; x < span.width; ++x)
                d[x] = op(d[x], s[x]);
        }
    }
}

void CopyRows(const Span& span)
{
    const size_t rowBytes = size_t(span.width) * sizeof(uint32_t);
    for (int64_t row = 0; row < span.height; ++row) {
        const int64_t y = span.rowsBottomUp ? span.height - 1 - row : row;
        std::memmove(span.dest + y * span.destStride, span.source + y * span.sourceStride, rowBytes);
    }
}

// Clips the blit in 64-bit arithmetic so that no combination of position, rectangle and
// bitmap size can overflow. False when nothing is left to draw.
bool ClipBlit(GFX_IBitmap& dest, GFX_IBitmap& source, int dx, int dy, const GFX_Rect* sourceRect,
              Span& span)
{
    uint32_t* destPixels = dest.Pixels();
    const uint32_t* sourcePixels = source.Pixels();
    if (!destPixels || !sourcePixels)
        return false;

    int64_t left = 0, top = 0, right = source.Width(), bottom = source.Height();
    if (sourceRect) {
        left = sourceRect->left;
        top = sourceRect->top;
        right = std::min<int64_t>(sourceRect->right, right);
        bottom = std::min<int64_t>(sourceRect->bottom, bottom);
    }
    int64_t x = dx, y = dy;
    // Source area before the source's first column lands further right, and destination
    // area before the destination's first column skips source columns: either way the
    // visible part stays where it would have been.
    if (left < 0) { x -= left; left = 0; }
    if (top < 0) { y -= top; top = 0; }
    if (x < 0) { left -= x; x = 0; }
    if (y < 0) { top -= y; y = 0; }

    const int64_t width = std::min(right - left, int64_t(dest.Width()) - x);
    const int64_t height = std::min(bottom - top, int64_t(dest.Height()) - y);
    if (width <= 0 || height <= 0)
        return false;

    span.destStride = dest.RowStride();
    span.sourceStride = source.RowStride();
    span.dest = destPixels + y * span.destStride + x;
    span.source = sourcePixels + top * span.sourceStride + left;
    span.width = width;
    span.height = height;
    const bool sameBitmap = destPixels == sourcePixels;
    span.rowsBottomUp = sameBitmap && y > top;
    span.pixelsRightToLeft = sameBitmap && y == top && x > left;
    return true;
}

void BlitCopy(const Span& span, int w)
{
    if (w == kFullWeight) {
        CopyRows(span);
        return;
    }
    const int keep = kFullWeight - w;
    ForEachPixel(span, [keep](uint32_t d, uint32_t s) {
        return EachChannel(d, s, [keep](int c, int sc) { return Approach(c, sc, keep); });
    });
}

void BlitCopyAlpha(const Span& span, int w)
{
    if (w == kFullWeight) {
        ForEachPixel(span, [](uint32_t d, uint32_t s) {
            const int A = Byte(s, 24);
            if (A == 0)
                return d;
            if (A == 255)
                return s;
            const int keep = 255 - A;
            return Pack(Approach(Byte(d, 0), Byte(s, 0), keep), Approach(Byte(d, 8), Byte(s, 8), keep),
                        Approach(Byte(d, 16), Byte(s, 16), keep), std::min(255, Byte(d, 24) + A));
        });
        return;
    }
    ForEachPixel(span, [w](uint32_t d, uint32_t s) {
        const int A = Byte(s, 24);
        if (A == 0)
            return d;
        const int k = w * (A + 1) / kFullWeight;
        const int keep = kFullWeight - k;
        return Pack(Approach(Byte(d, 0), Byte(s, 0), keep), Approach(Byte(d, 8), Byte(s, 8), keep),
                    Approach(Byte(d, 16), Byte(s, 16), keep), std::min(255, Byte(d, 24) + k));
    });
}

void BlitAdditiveAlpha(const Span& span, int w)
{
    ForEachPixel(span, [w](uint32_t d, uint32_t s) {
        const int A = Byte(s, 24);
        if (A == 0)
            return d;
        const int k = w * (A + 1) / kFullWeight;
        return EachChannel(d, s, [k](int c, int sc) { return std::min(255, c + sc * k / kFullWeight); });
    });
}

void BlitDodgeAlpha(const Span& span, int w)
{
    ForEachPixel(span, [w](uint32_t d, uint32_t s) {
        const int k = w * (Byte(s, 24) + 1) / kFullWeight;
        return EachChannel(d, s, [k](int c, int sc) {
            const int t = sc * k / kFullWeight;
            if (t < 255)
                return std::min(255, c * kFullWeight / (kFullWeight - t));
            return std::min(255, c * kFullWeight);
        });
    });
}

template <class PixelOp>
void ForEachFillPixel(uint32_t* first, ptrdiff_t stride, int64_t width, int64_t height, PixelOp op)
{
    for (int64_t y = 0; y < height; ++y) {
        uint32_t* row = first + y * stride;
        for (int64_t x = 0; x < width; ++x)
            row[x] = op(row[x]);
    }
}

} // namespace

void BlitRegion(GFX_IBitmap* dest, GFX_IBitmap* source, int dx, int dy, const GFX_Rect* sourceRect,
                float weight, int mode)
{
    if (!dest || !source || weight == 0.0f)
        return;
    Span span;
    if (!ClipBlit(*dest, *source, dx, dy, sourceRect, span))
        return;

    if ((mode & kOperationMask) < kFirstReservedOperation)
        mode &= kBlitUseSourceAlpha | kOperationMask;

    if (mode == kBlitCopy && weight == 0.5f) {
        ForEachPixel(span, [](uint32_t d, uint32_t s) { return ((d >> 1) & kHalfMask) + ((s >> 1) & kHalfMask); });
        return;
    }
    const int w = WeightToLevel(weight);
    if (w == 0)
        return;

    switch (mode) {
    case kBlitCopy: BlitCopy(span, w); break;
    case kBlitCopyAlpha: BlitCopyAlpha(span, w); break;
    case kBlitAdditiveAlpha: BlitAdditiveAlpha(span, w); break;
    case kBlitDodgeAlpha: BlitDodgeAlpha(span, w); break;
    default: break; // multiply, overlay, hue and channel modes are not provided
    }
}

void FillArea(GFX_IBitmap* dest, int x, int y, int w, int h, uint32_t colour, float weight, int mode)
{
    if (mode & kBlitUseSourceAlpha)
        weight *= float(colour >> 24) / 255.0f;
    if (!dest || (mode & kOperationMask) != kBlitCopy)
        return;
    const int k = WeightToLevel(weight);
    uint32_t* pixels = dest->Pixels();
    if (k == 0 || !pixels)
        return;

    const int64_t left = std::max<int64_t>(x, 0);
    const int64_t top = std::max<int64_t>(y, 0);
    const int64_t right = std::min<int64_t>(int64_t(x) + w, dest->Width());
    const int64_t bottom = std::min<int64_t>(int64_t(y) + h, dest->Height());
    if (right <= left || bottom <= top)
        return;

    const ptrdiff_t stride = dest->RowStride();
    uint32_t* first = pixels + top * stride + left;
    const int64_t width = right - left;
    const int64_t height = bottom - top;

    switch (k) {
    case kFullWeight:
        for (int64_t row = 0; row < height; ++row)
            std::fill_n(first + row * stride, width, colour);
        return;
    case kFullWeight / 2: {
        const uint32_t half = (colour >> 1) & kHalfMask;
        ForEachFillPixel(first, stride, width, height, [half](uint32_t p) { return half + ((p >> 1) & kHalfMask); });
        return;
    }
    case kFullWeight / 4: {
        const uint32_t quarter = (colour >> 2) & kQuarterMask;
        ForEachFillPixel(first, stride, width, height, [quarter](uint32_t p) {
            return ((p >> 1) & kHalfMask) + ((p >> 2) & kQuarterMask) + quarter;
        });
        return;
    }
    case kFullWeight * 3 / 4: {
        const uint32_t threeQuarters = ((colour >> 2) & kQuarterMask) + ((colour >> 1) & kHalfMask);
        ForEachFillPixel(first, stride, width, height, [threeQuarters](uint32_t p) {
            return threeQuarters + ((p >> 2) & kQuarterMask);
        });
        return;
    }
    default: {
        const int keep = kFullWeight - k;
        ForEachFillPixel(first, stride, width, height, [colour, k, keep](uint32_t p) {
            return Pack(Approach(Byte(p, 0), Byte(colour, 0), keep), Approach(Byte(p, 8), Byte(colour, 8), keep),
                        Approach(Byte(p, 16), Byte(colour, 16), keep), Approach(Byte(p, 24), k, keep));
        });
        return;
    }
    }
}

void BlendCoverageRow(uint32_t* pixels, const uint8_t* coverage, size_t count, uint32_t ink, int weightLevel)
{
    const int inkBlue = Byte(ink, 0), inkGreen = Byte(ink, 8), inkRed = Byte(ink, 16);
    if (weightLevel >= kFullWeight) {
        for (size_t i = 0; i < count; ++i) {
            const int m = coverage[i];
            if (m == 0)
                continue;
            const uint32_t p = pixels[i];
            const int keep = 255 - m;
            pixels[i] = Pack((Byte(p, 0) - inkBlue) * keep / 256 + inkBlue, (Byte(p, 8) - inkGreen) * keep / 256 + inkGreen,
                             (Byte(p, 16) - inkRed) * keep / 256 + inkRed, keep * (Byte(p, 24) - 255) / 256 - 1);
        }
        return;
    }
    for (size_t i = 0; i < count; ++i) {
        const int m = coverage[i];
        if (m == 0)
            continue;
        const uint32_t p = pixels[i];
        const int keep = kFullWeight - weightLevel * m / 256;
        pixels[i] = Pack(inkBlue + (Byte(p, 0) - inkBlue) * keep / 256, inkGreen + (Byte(p, 8) - inkGreen) * keep / 256,
                         inkRed + (Byte(p, 16) - inkRed) * keep / 256, (Byte(p, 24) - 255) * keep / 256 - 1);
    }
}
