#pragma once
// A 32-bit image behind one small interface. Pixels are stored as the bytes blue, green,
// red, alpha (alpha in bits 24..31 of a little-endian word), not premultiplied; row 0 is
// the top row. The row stride is counted in pixels.

#include <cstdint>

// Opaque device-context handle: an HDC on Windows, always null elsewhere. Kept as a plain
// pointer so that portable code never needs the Windows headers.
using GFX_DeviceContext = void*;

class GFX_IBitmap
{
public:
    GFX_IBitmap() = default;
    GFX_IBitmap(const GFX_IBitmap&) = delete;
    GFX_IBitmap& operator=(const GFX_IBitmap&) = delete;
    virtual ~GFX_IBitmap() = default;

    // Pixel (0, 0), or null while the bitmap has no pixels. Valid until the next SetSize.
    virtual uint32_t* Pixels() = 0;
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    // Pixels from the start of one row to the start of the next.
    virtual int RowStride() const = 0;
    virtual bool IsBottomUp() const = 0;
    // True when the size changed. A failed allocation leaves the bitmap at 0 x 0.
    virtual bool SetSize(int width, int height) = 0;
    virtual GFX_DeviceContext DeviceContext() = 0;
    // No extensions exist; both bitmap kinds answer 0.
    virtual intptr_t QueryExtension(int id, void* data) = 0;
};
