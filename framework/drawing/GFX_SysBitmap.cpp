#include "GFX_SysBitmap.h"

#include <windows.h>

#include <climits>

namespace {

constexpr int kRowPadding = 3; // widths are padded to multiples of 4 pixels
// GDI sizes sections with 32-bit arithmetic; larger requests are refused here rather than
// trusted to every GDI implementation's overflow checks.
constexpr long long kMaxSectionBytes = INT_MAX;

HDC AsDC(GFX_DeviceContext dc)
{
    return static_cast<HDC>(dc);
}

} // namespace

GFX_SysBitmap::GFX_SysBitmap()
{
    deviceContext = CreateCompatibleDC(nullptr);
}

GFX_SysBitmap::~GFX_SysBitmap()
{
    ReleaseSection();
    if (deviceContext)
        DeleteDC(AsDC(deviceContext));
}

bool GFX_SysBitmap::SetSize(int newWidth, int newHeight)
{
    if (!deviceContext) {
        width = height = 0;
        bits = nullptr;
        return false;
    }
    if (newWidth == width && newHeight == height)
        return false;

    width = newWidth;
    height = newHeight;
    // Keep a section that is large enough in both directions; comparing areas alone
    // would let a wide image run past the rows of a tall section.
    if (newWidth > 0 && newHeight > 0 && bits && allocatedWidth >= newWidth && allocatedHeight >= newHeight)
        return true;

    ReleaseSection();
    if (newWidth < 1 || newHeight < 1 || newWidth > INT_MAX - kRowPadding ||
        (long long)((newWidth + kRowPadding) & ~kRowPadding) * 4 * newHeight > kMaxSectionBytes) {
        width = height = 0;
        return false;
    }
    allocatedWidth = (newWidth + kRowPadding) & ~kRowPadding;
    allocatedHeight = newHeight;

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = allocatedWidth;
    info.bmiHeader.biHeight = -newHeight; // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* sectionBits = nullptr;
    HBITMAP created = CreateDIBSection(AsDC(deviceContext), &info, DIB_RGB_COLORS, &sectionBits, nullptr, 0);
    if (!created || !sectionBits) {
        if (created)
            DeleteObject(created);
        width = height = 0;
        allocatedWidth = allocatedHeight = 0;
        return true;
    }
    section = created;
    bits = static_cast<uint32_t*>(sectionBits);
    previousBitmap = SelectObject(AsDC(deviceContext), created);
    return true;
}

void GFX_SysBitmap::ReleaseSection()
{
    if (section) {
        SelectObject(AsDC(deviceContext), static_cast<HGDIOBJ>(previousBitmap));
        DeleteObject(static_cast<HBITMAP>(section));
    }
    section = nullptr;
    previousBitmap = nullptr;
    bits = nullptr;
    allocatedWidth = allocatedHeight = 0;
}
