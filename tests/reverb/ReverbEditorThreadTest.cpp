// Host changes that arrive on another thread (automation with the audio, a state restored by
// a host's worker) reach the readouts and controls only on the editor's window thread. Run
// under ThreadSanitizer, any touch of the editor from the host's thread is reported.

#include "ReverbEditorTestSupport.h"

#include "GraphicsTestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace P = ReverbParameters;

namespace {

std::string ReadoutFor(int32_t param, double value)
{
    char text[P::kReadoutCapacity];
    P::FormatReadout(param, value, text, sizeof text);
    return text;
}

template <class Work>
void OnHostThread(Work&& work)
{
    std::thread host(std::forward<Work>(work));
    host.join();
}

} // namespace

TEST(ReverbEditorThreads, AutomationReachesTheReadoutsOnTheWindowThread)
{
    RecordingReverb reverb;
    IControl& mixFader = *reverb.Editor().Control(14);
    OnHostThread([&] {
        reverb.ApplyHostParameter(P::kMix, 1.0);
        reverb.ApplyHostParameter(P::kHighCut, 1.0);
    });
    // The engine has the values at once; the editor has not been touched.
    EXPECT_EQ(reverb.Engine().ParameterCopy(P::kMix), 1.0);
    EXPECT_EQ(reverb.Readout(P::kMix), "0.33");
    EXPECT_EQ(reverb.Readout(P::kHighCut), "3000");
    EXPECT_EQ(mixFader.Value(), 0.33);

    reverb.Editor().ApplyPendingChanges();
    EXPECT_EQ(reverb.Readout(P::kMix), "1.00");
    EXPECT_EQ(reverb.Readout(P::kHighCut), "20000");
    EXPECT_EQ(mixFader.Value(), 1.0);
}

TEST(ReverbEditorThreads, AStateRestoredOnAnotherThreadShowsOnTheWindowThread)
{
    RecordingReverb reverb;
    IStateChunk chunk;
    for (int32_t i = 0; i < P::kCount; ++i)
        chunk.PutDouble(i == P::kAbout ? 1.0 : 0.0);
    OnHostThread([&] {
        // What the adapters do: restore, then hand every value to the editor.
        reverb.ReadState(chunk, 0);
        reverb.PushAllParametersToEditor();
    });
    EXPECT_EQ(reverb.Readout(P::kDiffusion), "0.85");
    reverb.Editor().ApplyPendingChanges();
    EXPECT_EQ(reverb.Readout(P::kDiffusion), "0.50");
    EXPECT_EQ(reverb.Readout(P::kHighCut), "2000");
    EXPECT_TRUE(reverb.Editor().Control(27)->IsHidden());   // the stored About value runs nothing

    PaintAll(reverb.Editor());
    OnHostThread([&] { reverb.SelectPreset(0); });
    EXPECT_EQ(reverb.Readout(P::kDiffusion), "0.50");
    EXPECT_FALSE(reverb.Editor().Control(0)->NeedsRedraw());
    reverb.Editor().ApplyPendingChanges();
    EXPECT_EQ(reverb.Readout(P::kDiffusion), "0.85");
    for (int32_t i = 0; i < reverb.Editor().ControlCount(); ++i)
        EXPECT_TRUE(reverb.Editor().Control(i)->NeedsRedraw()) << i;
}

// The host automates every readout parameter from its thread while the window thread keeps
// applying, painting and clicking faders and Restore default.
TEST(ReverbEditorThreads, AutomationWhileTheWindowThreadWorksStress)
{
    RecordingReverb reverb;
    std::atomic<bool> hostDone{false};
    std::thread host([&] {
        for (int i = 0; i < 5000; ++i)
            reverb.ApplyHostParameter(1 + i % 10, (i % 97) / 96.0);
        hostDone.store(true);
    });

    int rounds = 0;
    while (!hostDone.load() || rounds < 100)
    {
        reverb.Editor().ApplyPendingChanges();
        PaintAll(reverb.Editor());
        reverb.Click(84 + rounds % 118, FaderY(1 + rounds % 10));
        if (rounds % 25 == 0)
            reverb.Click(kRestoreDefaultX, kButtonY);
        ++rounds;
    }
    host.join();

    reverb.Editor().ApplyPendingChanges();
    for (int32_t param = 1; param <= 10; ++param)
        EXPECT_EQ(reverb.Readout(param), ReadoutFor(param, reverb.Value(param))) << param;
}
