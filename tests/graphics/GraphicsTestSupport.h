#pragma once
// A plug-in, a recording control and small PNG images for exercising the editor without a
// window.

#include "GFX_IBitmap.h"
#include "IControl.h"
#include "IEffectOffline.h"
#include "IGraphicsHeadless.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// Parameters of the test plug-in.
enum TestParam : int32_t
{
    kGain = 0,      // continuous 0..10, step 0.1, "dB", default 5
    kMode = 1,      // enumerated 0..2: "Room", "Hall", "Plate", label "type"; default 1
    kSwitch = 2,    // boolean 0..1 with texts "On", "Off"; default 0
    kCurve = 3,     // continuous 0..100, shape 2, step 1, "%", default 25
    kFixed = 4,     // a range without width: 3..3
    kTrim = 5,      // continuous -12..0, step 1, "dB", shown negated, default -6
    kTestParamCount
};

class TestPlug : public IEffectOffline
{
public:
    TestPlug();

    void UseApiKind(int32_t kind) { SetApiKind(kind); }

    void BeginParameterGesture(int32_t index) override;
    void EndParameterGesture(int32_t index) override;
    void ReportEditToHost(int32_t index, double normalized) override;
    void ShowHostParameterMenu(int32_t index, int32_t x, int32_t y) override;
    void EditorResized(int32_t width, int32_t height) override;

    // Every host-facing call, in order ("begin 0", "edit 0 0.5000", "end 0", "menu 0 5 6",
    // "resized 10 20").
    std::vector<std::string> log;
};

// A control that records what it is asked to do into a shared log, as "<name> <event>".
class RecordingControl : public IControl
{
public:
    RecordingControl(IEffectBase* plug, const IRect& rect, int32_t paramIndex, std::vector<std::string>* log,
                     const char* name);
    ~RecordingControl() override;

    void MouseDown(int32_t x, int32_t y, const IMouseMods& mods) override;
    void MouseUp(int32_t x, int32_t y, const IMouseMods& mods) override;
    void MouseEnter(int32_t x, int32_t y, const IMouseMods& mods) override;
    void MouseLeave() override;
    bool Paint(IGraphics* graphics) override;

private:
    void Note(const std::string& event);

    std::vector<std::string>* log;
    std::string name;
};

// A control with nothing of its own, for the base behaviour.
class PlainControl : public IControl
{
public:
    using IControl::IControl;
    bool Paint(IGraphics*) override { return true; }
};

// A PNG of `frames` frames stacked vertically, frame f filled with colours[f] (ARGB).
std::vector<uint8_t> StackedFramesPng(int width, int frameHeight, const std::vector<uint32_t>& colours);
// A PNG of `frames` frames side by side.
std::vector<uint8_t> SideBySideFramesPng(int frameWidth, int height, const std::vector<uint32_t>& colours);
// A solid PNG whose column 0 is fully transparent.
std::vector<uint8_t> SolidPngWithClearEdge(int width, int height, uint32_t colour);

// Registers the image under a resource id that no other test uses and returns the id.
int32_t RegisterTestImage(const std::vector<uint8_t>& png);

// Loads a registered image through the editor as a bitmap reference.
IBitmapRef LoadTestImage(IGraphics& graphics, const std::vector<uint8_t>& png, int32_t frames = 1);

uint32_t PixelAt(GFX_IBitmap* bitmap, int x, int y);
void FillSurface(GFX_IBitmap* bitmap, uint32_t colour);
// Pixels of the bitmap that differ from `colour`.
int CountPixelsNot(GFX_IBitmap* bitmap, uint32_t colour);

constexpr uint32_t kOpaqueRed = 0xFFFF0000u;
constexpr uint32_t kOpaqueGreen = 0xFF00FF00u;
constexpr uint32_t kOpaqueBlue = 0xFF0000FFu;
constexpr uint32_t kOpaqueWhite = 0xFFFFFFFFu;
constexpr uint32_t kOpaqueBlack = 0xFF000000u;
constexpr uint32_t kOpaqueGrey = 0xFF808080u;

// A test plug-in with a headless editor. Attach() hands the editor to the plug-in as the
// plug-in's constructor would; an editor never attached is deleted by the rig.
struct EditorRig
{
    explicit EditorRig(int32_t width = 60, int32_t height = 40)
        : editor(new IGraphicsHeadless(&plug, width, height))
    {
    }
    ~EditorRig()
    {
        if (!attached)
            delete editor;
    }
    EditorRig(const EditorRig&) = delete;
    EditorRig& operator=(const EditorRig&) = delete;

    void Attach()
    {
        plug.AttachEditor(editor);
        attached = true;
    }
    template <class Control>
    Control* Add(Control* control)
    {
        editor->AddControl(control);
        return control;
    }

    TestPlug plug;
    IGraphicsHeadless* editor;
    bool attached = false;
};

// Paints the whole editor, as a window's first paint does.
inline bool PaintAll(IGraphics& graphics)
{
    return graphics.PaintRegion(IRect(0, 0, graphics.EditorWidth(), graphics.EditorHeight()));
}
