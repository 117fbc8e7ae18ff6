#pragma once
// A bitmap that GDI can draw into: a top-down 32-bit DIB section selected into its own
// memory device context. Rows are padded to multiples of four pixels. Shrinking keeps the
// section and only changes the reported size. Windows only.

#include "GFX_IBitmap.h"

class GFX_SysBitmap final : public GFX_IBitmap
{
public:
    GFX_SysBitmap();
    ~GFX_SysBitmap() override;

    uint32_t* Pixels() override { return bits; }
    int Width() const override { return width; }
    int Height() const override { return height; }
    int RowStride() const override { return allocatedWidth; }
    bool IsBottomUp() const override { return false; }
    bool SetSize(int newWidth, int newHeight) override;
    GFX_DeviceContext DeviceContext() override { return deviceContext; }
    intptr_t QueryExtension(int, void*) override { return 0; }

    int AllocatedHeight() const { return allocatedHeight; }

private:
    void ReleaseSection();

    int width = 0;
    int height = 0;
    GFX_DeviceContext deviceContext = nullptr; // HDC
    uint32_t* bits = nullptr;
    int allocatedWidth = 0;
    int allocatedHeight = 0;
    void* section = nullptr;                   // HBITMAP
    void* previousBitmap = nullptr;            // HGDIOBJ selected before the section
};
