// Repaints of an editor laid out like the reverb's: a 251 x 373 background, ten faders with
// translucent-edged handles, three radio groups and ten value readouts. The portable build
// has no fonts, so the readouts draw no text here; the figures are the bitmap work.

#include "GFX_MemBitmap.h"
#include "IBitmapControl.h"
#include "IEffectOffline.h"
#include "IFaderControl.h"
#include "IGraphicsHeadless.h"
#include "IParamEntry.h"
#include "IRadioButtonsControl.h"
#include "ITextControl.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

namespace {

constexpr int kEditorWidth = 251;
constexpr int kEditorHeight = 373;
constexpr int kFaderCount = 10;
constexpr int kParameterCount = kFaderCount + 3;

class BenchPlug : public IEffectOffline
{
public:
    BenchPlug()
        : IEffectOffline(nullptr, IEffectConfig{"Bench", "", "Bench", FourCharCode('B', 'n', 'c', 'h'),
                                                FourCharCode('B', 'n', 'c', 'h'), 0x00010000, "1-1 2-2",
                                                kParameterCount, 1, kEditorWidth, kEditorHeight, false, false,
                                                true})
    {
        for (int32_t i = 0; i < ParameterCount(); ++i)
            Parameter(i)->InitContinuous(("p" + std::to_string(i)).c_str(), 0.3 + 0.04 * i, 0.0, 1.0, 0.001, "");
    }
};

// A bitmap with a colour gradient and an alpha ramp towards its edges, so that the
// source-alpha blends do per-pixel work.
std::unique_ptr<GFX_MemBitmap> MakeBitmap(int width, int height, bool translucentEdges)
{
    auto bitmap = std::make_unique<GFX_MemBitmap>();
    bitmap->SetSize(width, height);
    for (int y = 0; y < height; ++y)
    {
        for (int x = 0; x < width; ++x)
        {
            const bool edge = x == 0 || y == 0 || x == width - 1 || y == height - 1;
            const uint32_t alpha = translucentEdges && edge ? 0x60 : 0xFF;
            bitmap->Pixels()[y * bitmap->RowStride() + x] =
                alpha << 24 | uint32_t(x * 7 & 0xFF) << 16 | uint32_t(y * 3 & 0xFF) << 8 | uint32_t((x ^ y) & 0xFF);
        }
    }
    return bitmap;
}

IBitmapRef RefTo(GFX_MemBitmap& bitmap, int32_t frames)
{
    IBitmapRef ref;
    ref.bitmap = &bitmap;
    ref.width = bitmap.Width();
    ref.height = bitmap.Height();
    ref.frames = frames;
    return ref;
}

struct ReverbLikeEditor
{
    ReverbLikeEditor()
        : background(MakeBitmap(kEditorWidth, kEditorHeight, false)),
          handle(MakeBitmap(13, 17, true)),
          radio(MakeBitmap(16, 32, true))
    {
        editor = new IGraphicsHeadless(&plug, kEditorWidth, kEditorHeight);
        editor->InsertBackground(new IBitmapControl(&plug, RefTo(*background, 1)));
        const ITextStyle readoutStyle("Verdana", 11, IRgba(255, 220, 220, 220));
        for (int32_t i = 0; i < kFaderCount; ++i)
        {
            const int32_t y = 40 + 26 * i;
            faders[i] = new IFaderControl(&plug, 70, y, 120, i, RefTo(*handle, 1));
            editor->AddControl(faders[i]);
            auto* readout = new ITextControl(&plug, IRect(195, y, 245, y + 17), readoutStyle, "0.00");
            editor->AddControl(readout);
            faders[i]->SetValueTextControl(readout);
        }
        editor->AddControl(new IRadioButtonsControl(&plug, IRect(82, 305, 206, 321), kFaderCount, 4, RefTo(*radio, 2)));
        editor->AddControl(
            new IRadioButtonsControl(&plug, IRect(82, 327, 140, 343), kFaderCount + 1, 2, RefTo(*radio, 2)));
        editor->AddControl(
            new IRadioButtonsControl(&plug, IRect(150, 327, 206, 343), kFaderCount + 2, 2, RefTo(*radio, 2)));
        plug.AttachEditor(editor);
    }

    // Declared first: the bitmaps outlive the editor that the plug-in deletes.
    std::unique_ptr<GFX_MemBitmap> background;
    std::unique_ptr<GFX_MemBitmap> handle;
    std::unique_ptr<GFX_MemBitmap> radio;
    BenchPlug plug;
    IGraphicsHeadless* editor = nullptr;
    IFaderControl* faders[kFaderCount] = {};
};

void BM_FullEditorRepaint(benchmark::State& state)
{
    ReverbLikeEditor rig;
    const IRect whole(0, 0, kEditorWidth, kEditorHeight);
    for (auto _ : state)
        benchmark::DoNotOptimize(rig.editor->PaintRegion(whole));
    state.SetItemsProcessed(state.iterations() * kEditorWidth * kEditorHeight);
}
BENCHMARK(BM_FullEditorRepaint);

// What one timer tick repaints while a fader is dragged: its track, and what lies below it.
void BM_FaderTrackRepaint(benchmark::State& state)
{
    ReverbLikeEditor rig;
    const IRect track = rig.faders[4]->Rect();
    for (auto _ : state)
        benchmark::DoNotOptimize(rig.editor->PaintRegion(track));
}
BENCHMARK(BM_FaderTrackRepaint);

} // namespace

BENCHMARK_MAIN();
