#include "GraphicsTestSupport.h"

#include "GFX_Compositing.h"
#include "IParamEntry.h"
#include "PngTestImages.h"

#include <png.h>

#include <cstdio>

namespace {

IEffectConfig TestConfig()
{
    return IEffectConfig{"Graphics Test", "", "Test Maker", FourCharCode('G', 'r', 'T', '1'),
                         FourCharCode('T', 's', 't', 'M'), 0x00010000, "1-1 2-2", kTestParamCount, 1,
                         251, 373, false, false, true};
}

std::string Format(const char* format, double a)
{
    char text[64];
    snprintf(text, sizeof text, format, a);
    return text;
}

std::vector<uint8_t> RgbaRow(const std::vector<uint32_t>& pixels)
{
    std::vector<uint8_t> row;
    for (uint32_t p : pixels)
    {
        row.push_back(uint8_t(p >> 16));
        row.push_back(uint8_t(p >> 8));
        row.push_back(uint8_t(p));
        row.push_back(uint8_t(p >> 24));
    }
    return row;
}

std::vector<uint8_t> RgbaPng(int width, int height, const std::vector<std::vector<uint32_t>>& pixels)
{
    PngImageLayout layout;
    layout.width = width;
    layout.height = height;
    layout.colourType = PNG_COLOR_TYPE_RGB_ALPHA;
    std::vector<std::vector<uint8_t>> rows;
    for (const auto& row : pixels)
        rows.push_back(RgbaRow(row));
    return WritePng(layout, rows);
}

} // namespace

TestPlug::TestPlug() : IEffectOffline(nullptr, TestConfig())
{
    Parameter(kGain)->InitContinuous("Gain", 5.0, 0.0, 10.0, 0.1, "dB");

    Parameter(kMode)->SetKind(kParamEnum);
    Parameter(kMode)->InitContinuous("Mode", 1.0, 0.0, 2.0, 1.0, "type");
    Parameter(kMode)->AddDisplayText(0, "Room");
    Parameter(kMode)->AddDisplayText(1, "Hall");
    Parameter(kMode)->AddDisplayText(2, "Plate");

    Parameter(kSwitch)->SetKind(kParamBool);
    Parameter(kSwitch)->InitContinuous("Switch", 0.0, 0.0, 1.0, 1.0, "");
    Parameter(kSwitch)->AddDisplayText(0, "On");
    Parameter(kSwitch)->AddDisplayText(1, "Off");

    Parameter(kCurve)->InitContinuous("Curve", 25.0, 0.0, 100.0, 1.0, "%");
    Parameter(kCurve)->SetShape(2.0);

    Parameter(kFixed)->InitContinuous("Fixed", 3.0, 3.0, 3.0, 1.0, "");

    Parameter(kTrim)->InitContinuous("Trim", -6.0, -12.0, 0.0, 1.0, "dB");
    Parameter(kTrim)->SetNegateDisplay(true);
}

void TestPlug::BeginParameterGesture(int32_t index)
{
    log.push_back("begin " + std::to_string(index));
}

void TestPlug::EndParameterGesture(int32_t index)
{
    log.push_back("end " + std::to_string(index));
}

void TestPlug::ReportEditToHost(int32_t index, double normalized)
{
    log.push_back("edit " + std::to_string(index) + Format(" %.4f", normalized));
}

void TestPlug::ShowHostParameterMenu(int32_t index, int32_t x, int32_t y)
{
    log.push_back("menu " + std::to_string(index) + " " + std::to_string(x) + " " + std::to_string(y));
}

void TestPlug::EditorResized(int32_t width, int32_t height)
{
    log.push_back("resized " + std::to_string(width) + " " + std::to_string(height));
}

RecordingControl::RecordingControl(IEffectBase* owner, const IRect& r, int32_t param, std::vector<std::string>* l,
                                   const char* n)
    : IControl(owner, r, param), log(l), name(n)
{
}

RecordingControl::~RecordingControl()
{
    Note("deleted");
}

void RecordingControl::Note(const std::string& event)
{
    if (log)
        log->push_back(name + " " + event);
}

void RecordingControl::MouseDown(int32_t x, int32_t y, const IMouseMods& mods)
{
    Note(std::string(mods.right ? "right" : "left") + " down " + std::to_string(x) + " " + std::to_string(y));
}

void RecordingControl::MouseUp(int32_t x, int32_t y, const IMouseMods&)
{
    Note("up " + std::to_string(x) + " " + std::to_string(y));
}

void RecordingControl::MouseEnter(int32_t x, int32_t y, const IMouseMods&)
{
    Note("enter " + std::to_string(x) + " " + std::to_string(y));
}

void RecordingControl::MouseLeave()
{
    Note("leave");
}

bool RecordingControl::Paint(IGraphics*)
{
    Note("paint");
    return true;
}

std::vector<uint8_t> StackedFramesPng(int width, int frameHeight, const std::vector<uint32_t>& colours)
{
    std::vector<std::vector<uint32_t>> pixels;
    for (uint32_t colour : colours)
        for (int y = 0; y < frameHeight; ++y)
            pixels.emplace_back(size_t(width), colour);
    return RgbaPng(width, frameHeight * int(colours.size()), pixels);
}

std::vector<uint8_t> SideBySideFramesPng(int frameWidth, int height, const std::vector<uint32_t>& colours)
{
    std::vector<uint32_t> row;
    for (uint32_t colour : colours)
        row.insert(row.end(), size_t(frameWidth), colour);
    return RgbaPng(frameWidth * int(colours.size()), height, std::vector<std::vector<uint32_t>>(size_t(height), row));
}

std::vector<uint8_t> SolidPngWithClearEdge(int width, int height, uint32_t colour)
{
    std::vector<uint32_t> row(size_t(width), colour);
    row[0] = 0;
    return RgbaPng(width, height, std::vector<std::vector<uint32_t>>(size_t(height), row));
}

int32_t RegisterTestImage(const std::vector<uint8_t>& png)
{
    // The bitmap cache is process-wide: every test image gets an id of its own.
    static int32_t nextId = 5000;
    const int32_t id = nextId++;
    IGraphicsHeadless::RegisterResource(id, png.data(), png.size());
    return id;
}

IBitmapRef LoadTestImage(IGraphics& graphics, const std::vector<uint8_t>& png, int32_t frames)
{
    return graphics.LoadBitmapResource(RegisterTestImage(png), "image.png", frames);
}

uint32_t PixelAt(GFX_IBitmap* bitmap, int x, int y)
{
    return bitmap->Pixels()[ptrdiff_t(y) * bitmap->RowStride() + x];
}

void FillSurface(GFX_IBitmap* bitmap, uint32_t colour)
{
    FillArea(bitmap, 0, 0, bitmap->Width(), bitmap->Height(), colour, 1.0f, kBlitCopy);
}

int CountPixelsNot(GFX_IBitmap* bitmap, uint32_t colour)
{
    int count = 0;
    for (int y = 0; y < bitmap->Height(); ++y)
        for (int x = 0; x < bitmap->Width(); ++x)
            count += PixelAt(bitmap, x, y) != colour;
    return count;
}
