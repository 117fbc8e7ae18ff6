#include "RecordingEditor.h"
#include "TestEffect.h"

#include <gtest/gtest.h>

#include <limits>
#include <tuple>
#include <vector>

TEST(EffectBase, StartsWithTheDeclaredIdentityParametersAndPresets)
{
    TestEffect effect;
    EXPECT_STREQ(effect.EffectName(), "Test Effect");
    EXPECT_EQ(effect.UniqueId(), 0x54737431);
    EXPECT_EQ(effect.Version(), 0x00010208);
    EXPECT_EQ(effect.ParameterCount(), 19);
    EXPECT_EQ(effect.PresetCount(), 1);
    EXPECT_STREQ(effect.Preset(0)->name, "empty");
    EXPECT_FALSE(effect.Preset(0)->initialised);
    EXPECT_EQ(effect.InputCount(), 2);
    EXPECT_EQ(effect.OutputCount(), 2);
    EXPECT_EQ(effect.GetHostId(), -1);
    EXPECT_EQ(effect.BlockSize(), 0);
    EXPECT_EQ(effect.Parameter(19), nullptr);
    EXPECT_EQ(effect.Parameter(-1), nullptr);
}

TEST(EffectBase, LegalIOMatchesTheChannelPairs)
{
    TestEffect effect;
    EXPECT_TRUE(effect.LegalIO(1, 1));
    EXPECT_TRUE(effect.LegalIO(2, 2));
    EXPECT_TRUE(effect.LegalIO(1, -1));
    EXPECT_TRUE(effect.LegalIO(-1, 2));
    EXPECT_TRUE(effect.LegalIO(-1, -1));
    EXPECT_FALSE(effect.LegalIO(3, 3));
    EXPECT_FALSE(effect.LegalIO(2, 1));
    EXPECT_FALSE(effect.LegalIO(1, 2));
}

TEST(EffectBase, ChannelStringsThatCannotBeReadGiveZeroCounts)
{
    IEffectConfig config = TestEffect::Config();
    config.channelIO = "x 1-3";
    IEffectOffline odd(nullptr, config);
    EXPECT_TRUE(odd.LegalIO(0, 0));
    EXPECT_TRUE(odd.LegalIO(1, 3));
    EXPECT_EQ(odd.InputCount(), 1);
    EXPECT_EQ(odd.OutputCount(), 3);
    config.channelIO = nullptr;
    IEffectOffline none(nullptr, config);
    EXPECT_EQ(none.InputCount(), 0);
}

TEST(EffectBase, EditorEditsReachTheHostBeforeThePlugin)
{
    TestEffect effect;
    effect.SetParameterFromEditor(3, 0.25);
    EXPECT_DOUBLE_EQ(effect.Parameter(3)->Value(), 0.25);
    EXPECT_EQ(effect.log, (std::vector<std::string>{"host 3", "changed 3"}));
    effect.SetParameterFromEditor(42, 0.5);
    EXPECT_EQ(effect.log.size(), 2u);
}

TEST(EffectBase, SetMaxBlockFramesKeepsOrZeroesScratch)
{
    TestEffect effect;
    ASSERT_TRUE(effect.SetMaxBlockFrames(64));
    effect.Inputs().At(0).scratch[5] = 3.0;
    effect.Outputs().At(1).scratch[63] = 4.0;
    ASSERT_TRUE(effect.SetMaxBlockFrames(64));
    EXPECT_EQ(effect.Inputs().At(0).scratch[5], 3.0);
    EXPECT_EQ(effect.Outputs().At(1).scratch[63], 4.0);
    ASSERT_TRUE(effect.SetMaxBlockFrames(32));
    EXPECT_EQ(effect.BlockSize(), 32);
    ASSERT_EQ(effect.Inputs().At(0).scratch.size(), 32u);
    EXPECT_EQ(effect.Inputs().At(0).scratch[5], 0.0);
    // Unconnected channels keep pointing at their (new) scratch.
    EXPECT_EQ(effect.Inputs().Table()[0], effect.Inputs().At(0).scratch.data());
}

TEST(EffectBase, AbsurdBlockSizesNeverAllocateBeyondTheScratchLimit)
{
    TestEffect effect;
    ASSERT_TRUE(effect.SetMaxBlockFrames(512));
    EXPECT_FALSE(effect.SetMaxBlockFrames(-4));
    EXPECT_EQ(effect.BlockSize(), 512);
    ASSERT_TRUE(effect.SetMaxBlockFrames(INT32_MAX));
    EXPECT_EQ(effect.BlockSize(), INT32_MAX);
    EXPECT_EQ(effect.Inputs().ScratchFrames(), IEffectBase::kMaxScratchFrames);
    EXPECT_EQ(effect.Outputs().At(0).scratch.size(), static_cast<size_t>(IEffectBase::kMaxScratchFrames));
}

TEST(EffectBase, DefaultProcessingCopiesMatchingChannelsAndZeroesTheRest)
{
    IEffectConfig config = TestEffect::Config();
    config.channelIO = "1-2";
    IEffectOffline effect(nullptr, config);
    std::vector<double> in = {1, 2, 3};
    std::vector<double> out0(3, 9.0);
    std::vector<double> out1(3, 9.0);
    double* ins[] = {in.data()};
    double* outs[] = {out0.data(), out1.data()};
    effect.ProcessAudioBlock(ins, outs, 3);
    EXPECT_EQ(out0, in);
    EXPECT_EQ(out1, std::vector<double>(3, 0.0));
}

TEST(EffectBase, AttachingAnEditorPushesEveryValueThenCreatesSurfaces)
{
    bool destroyed = false;
    {
        TestEffect effect;
        auto* editor = new RecordingEditor(&destroyed);
        effect.AttachEditor(nullptr);
        EXPECT_EQ(effect.Editor(), nullptr);
        effect.AttachEditor(editor);
        ASSERT_EQ(editor->pushes.size(), 19u);
        EXPECT_EQ(editor->pushes[7].index, 7);
        EXPECT_EQ(editor->pushes[7].value, 4.0);
        EXPECT_FALSE(editor->pushes[7].normalized);
        EXPECT_EQ(editor->surfacesCreated, 1);
        EXPECT_EQ(effect.Editor(), editor);
        effect.PushAllParametersToEditor();
        EXPECT_EQ(editor->pushes.size(), 38u);
        EXPECT_FALSE(destroyed);
    }
    EXPECT_TRUE(destroyed);
}

TEST(EffectBase, GroupsBecomeOneBasedUnits)
{
    TestEffect effect;
    EXPECT_EQ(effect.GroupIndex(""), 0);
    EXPECT_EQ(effect.GroupIndex("Filter"), 1);
    EXPECT_EQ(effect.GroupIndex("Delay"), 2);
    EXPECT_EQ(effect.GroupIndex("Filter"), 1);
    EXPECT_EQ(effect.ParameterGroups().size(), 2u);
}

TEST(EffectBase, StateMatchesComparesInSinglePrecision)
{
    TestEffect effect;
    std::vector<double> values(21, 0.5);
    values[2 + 7] = 4.0 + 1e-7;
    EXPECT_TRUE(effect.StateMatches(values.data(), 2));
    values[2 + 3] = 0.51;
    EXPECT_FALSE(effect.StateMatches(values.data(), 2));
}

TEST(EffectBase, HostChangesReachParameterEditorAndPluginButNotTheHost)
{
    TestEffect effect;
    auto* editor = new RecordingEditor;
    effect.AttachEditor(editor);
    editor->pushes.clear();
    effect.ApplyHostParameter(3, 0.25);
    effect.ApplyHostParameter(4, 7.0);
    effect.ApplyHostParameter(5, std::numeric_limits<double>::quiet_NaN());
    effect.ApplyHostParameter(19, 0.5);
    EXPECT_EQ(effect.Parameter(3)->Value(), 0.25);
    EXPECT_EQ(effect.Parameter(4)->Value(), 1.0);
    EXPECT_EQ(effect.Parameter(5)->Value(), 0.0);
    EXPECT_EQ(effect.log, (std::vector<std::string>{"changed 3", "changed 4", "changed 5"}));
    ASSERT_EQ(editor->pushes.size(), 3u);
    EXPECT_EQ(editor->pushes[1].value, 1.0);
    EXPECT_TRUE(editor->pushes[1].normalized);
    EXPECT_EQ(editor->pushes[2].value, 0.0);
}
