#pragma once
// A bitmap in plain memory, used for decoded images. Rows are padded to multiples of four
// pixels and the first pixel sits on a 64-byte boundary. The buffer grows with headroom and
// never shrinks, so a bitmap that is resized back and forth stops reallocating.

#include "GFX_IBitmap.h"

#include <cstddef>

class GFX_MemBitmap final : public GFX_IBitmap
{
public:
    GFX_MemBitmap() = default;
    ~GFX_MemBitmap() override;

    uint32_t* Pixels() override;
    int Width() const override { return width; }
    int Height() const override { return height; }
    int RowStride() const override;
    bool IsBottomUp() const override { return false; }
    bool SetSize(int newWidth, int newHeight) override;
    GFX_DeviceContext DeviceContext() override { return nullptr; }
    intptr_t QueryExtension(int, void*) override { return 0; }

    // Usable bytes behind Pixels() (the buffer itself is kPixelAlignment - 1 bytes larger).
    size_t AllocatedBytes() const { return allocatedBytes; }

    static constexpr size_t kPixelAlignment = 64;   // bytes
    static constexpr int kRowAlignment = 3;         // row spans are multiples of 4 pixels

private:
    bool Reserve(size_t neededBytes);
    void Release();

    unsigned char* buffer = nullptr;
    int width = 0;
    int height = 0;
    size_t allocatedBytes = 0;
};
