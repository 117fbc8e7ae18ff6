// Host changes arriving on another thread (automation with the audio) while the window
// thread paints and clicks: the controls and readouts must only ever be touched on the
// window thread. Run under ThreadSanitizer, any touch from the host's thread is reported.

#include "GraphicsTestSupport.h"

#include "IFaderControl.h"
#include "ITextControl.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <string>
#include <thread>

namespace {

// Rewrites a readout whenever the editor shows a new gain, as a plug-in's value readouts
// do; the text's length changes with the value, so a readout written from the host's thread
// while the window paints it would free the characters under the painter.
class ReadoutPlug : public TestPlug
{
public:
    void OnParameterShown(int32_t paramIndex, double normalized) override
    {
        ++shownCount;
        if (paramIndex != kGain || !readout)
            return;
        readout->ReplaceText(ReadoutText(normalized).c_str());
    }

    static std::string ReadoutText(double normalized)
    {
        const int digits = 1 + static_cast<int>(normalized * 20.0);
        char text[64];
        snprintf(text, sizeof text, "%.*f", digits, normalized);
        return text;
    }

    ITextControl* readout = nullptr;
    int shownCount = 0;   // window thread only
};

struct ThreadRig
{
    ThreadRig() : editor(new IGraphicsHeadless(&plug, 120, 40))
    {
        fader = new IFaderControl(&plug, 0, 0, 100, kGain, LoadTestImage(*editor, SolidPngWithClearEdge(10, 10, kOpaqueRed)));
        editor->AddControl(fader);
        plug.readout = new ITextControl(&plug, IRect(100, 0, 120, 12), ITextStyle());
        editor->AddControl(plug.readout);
        plug.AttachEditor(editor);
    }

    double GainNormalized() const
    {
        const IParamEntry* gain = plug.Parameter(kGain);
        return gain->ToNormalized(gain->Value());
    }

    ReadoutPlug plug;
    IGraphicsHeadless* editor;   // owned by the plug-in once attached
    IFaderControl* fader;
};

} // namespace

TEST(EditorThreadTest, HostChangesFromAnotherThreadWaitForTheWindowThread)
{
    ThreadRig rig;
    PaintAll(*rig.editor);
    const int shownBefore = rig.plug.shownCount;
    const double before = rig.fader->Value();

    std::thread host([&] {
        for (int i = 1; i <= 100; ++i)
            rig.plug.ApplyHostParameter(kGain, i / 100.0);
    });
    host.join();

    // Nothing reached the controls or the readout while the host thread ran.
    EXPECT_EQ(rig.fader->Value(), before);
    EXPECT_EQ(rig.plug.shownCount, shownBefore);
    EXPECT_FALSE(rig.fader->NeedsRedraw());

    // The window thread shows the latest value once: a burst costs one repaint.
    rig.editor->ApplyPendingChanges();
    EXPECT_EQ(rig.fader->Value(), 1.0);
    EXPECT_EQ(rig.plug.shownCount, shownBefore + 1);
    EXPECT_STREQ(rig.plug.readout->Text(), ReadoutPlug::ReadoutText(1.0).c_str());
    EXPECT_TRUE(rig.fader->NeedsRedraw());

    rig.editor->ApplyPendingChanges();
    EXPECT_EQ(rig.plug.shownCount, shownBefore + 1);
}

TEST(EditorThreadTest, ANewerValueShownOnTheWindowThreadIsNotOverwrittenByAnOlderOneLeftBehind)
{
    ThreadRig rig;
    std::thread host([&] { rig.plug.ApplyHostParameter(kGain, 0.25); });
    host.join();
    rig.plug.ApplyHostParameter(kGain, 0.75);   // on the window thread: shown at once
    EXPECT_EQ(rig.fader->Value(), 0.75);
    rig.editor->ApplyPendingChanges();
    EXPECT_EQ(rig.fader->Value(), 0.75);
}

TEST(EditorThreadTest, AFullRepaintAskedFromAnotherThreadHappensOnTheWindowThread)
{
    ThreadRig rig;
    PaintAll(*rig.editor);
    std::thread host([&] { rig.editor->MarkAllChanged(); });
    host.join();
    EXPECT_FALSE(rig.fader->NeedsRedraw());
    EXPECT_FALSE(rig.plug.readout->NeedsRedraw());
    rig.editor->ApplyPendingChanges();
    EXPECT_TRUE(rig.fader->NeedsRedraw());
    EXPECT_TRUE(rig.plug.readout->NeedsRedraw());
}

TEST(EditorThreadTest, OpeningTheWindowOnAnotherThreadMakesItTheWindowThread)
{
    ThreadRig rig;
    rig.plug.ApplyHostParameter(kGain, 0.5);
    std::thread ui([&] {
        rig.editor->OpenEditorWindow(nullptr);
        EXPECT_TRUE(rig.editor->OnWindowThread());
    });
    ui.join();
    EXPECT_FALSE(rig.editor->OnWindowThread());
    rig.plug.ApplyHostParameter(kGain, 0.9);
    EXPECT_EQ(rig.fader->Value(), 0.5);   // left for the window thread
}

// The host automates the gain and switches the whole editor's repaint on from its thread
// while the window thread keeps applying, painting and dragging the fader.
TEST(EditorThreadTest, AutomationWhilePaintingAndClickingStress)
{
    ThreadRig rig;
    std::atomic<bool> hostDone{false};
    std::thread host([&] {
        for (int i = 0; i < 20000; ++i)
        {
            rig.plug.ApplyHostParameter(kGain, (i % 101) / 100.0);
            if (i % 1000 == 0)
                rig.editor->MarkAllChanged();
        }
        hostDone.store(true);
    });

    int rounds = 0;
    const IMouseMods left{true, false, false, false, false};
    while (!hostDone.load() || rounds < 200)
    {
        rig.editor->ApplyPendingChanges();
        PaintAll(*rig.editor);
        const int x = 5 + rounds % 90;
        rig.editor->DispatchMouseDown(x, 5, left);
        rig.editor->DispatchMouseUp(x, 5, left);
        ++rounds;
    }
    host.join();
    rig.editor->ApplyPendingChanges();
    EXPECT_NEAR(rig.fader->Value(), rig.GainNormalized(), 1e-12);

    // A last change from the host's thread ends up in the fader and the readout.
    std::thread last([&] { rig.plug.ApplyHostParameter(kGain, 0.37); });
    last.join();
    rig.editor->ApplyPendingChanges();
    EXPECT_EQ(rig.fader->Value(), 0.37);
    EXPECT_STREQ(rig.plug.readout->Text(), ReadoutPlug::ReadoutText(0.37).c_str());
}
