// The reverb plug-in as the framework sees it: identity, parameter table, factory preset,
// state hooks and processing through the processing entry.

#include "IReverbEffect.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <vector>

namespace P = ReverbParameters;

namespace {

std::unique_ptr<IReverbEffect> MakeReverb(double rate = 44100.0)
{
    auto reverb = std::make_unique<IReverbEffect>(nullptr);
    reverb->Prepare(rate, 256);
    return reverb;
}

IStateChunk StateOf(const std::vector<double>& values)
{
    IStateChunk chunk;
    for (double v : values)
        chunk.PutDouble(v);
    return chunk;
}

void SetParameter(IReverbEffect& reverb, int index, double value)
{
    reverb.ApplyHostParameter(index, value);
}

std::unique_ptr<IReverbEffect> MakeReverbWithRoom(double roomSize)
{
    auto reverb = MakeReverb();
    SetParameter(*reverb, ReverbParameters::kRoomSize, roomSize);
    reverb->OnReset();
    return reverb;
}

// Renders `frames` of a unit impulse followed by silence, both channels.
std::vector<double> RenderImpulse(IReverbEffect& reverb, int frames, int channels = 2)
{
    std::vector<double> inL(static_cast<size_t>(frames), 0.0), inR = inL, outL = inL, outR = inL;
    inL[0] = inR[0] = 1.0;
    const double* ins[] = {inL.data(), inR.data()};
    double* outs[] = {outL.data(), outR.data()};
    reverb.SetChannelCount(channels);
    reverb.ProcessDouble(ins, outs, frames, false);
    std::vector<double> interleaved;
    for (int f = 0; f < frames; ++f)
    {
        interleaved.push_back(outL[static_cast<size_t>(f)]);
        interleaved.push_back(outR[static_cast<size_t>(f)]);
    }
    return interleaved;
}

} // namespace

TEST(ReverbEffect, DeclaresItsIdentityAndTable)
{
    IReverbEffect reverb(nullptr);
    EXPECT_STREQ(reverb.EffectName(), "Tessivane Reverb");
    EXPECT_STREQ(reverb.ProductName(), "");
    EXPECT_EQ(reverb.UniqueId(), 0x54737636);
    EXPECT_EQ(reverb.MakerId(), 0x5473766E);
    EXPECT_EQ(reverb.Version(), 0x00010208);
    EXPECT_TRUE(reverb.LegalIO(1, 1));
    EXPECT_TRUE(reverb.LegalIO(2, 2));
    EXPECT_FALSE(reverb.LegalIO(1, 2));
    ASSERT_EQ(reverb.ParameterCount(), 19);
    const double defaults[19] = {0.66, 0.33, 0, 0.708, 0.4486, 0, 0.185, 0.31, 0.2, 0.5, 0.5, 0, 0, 0, 0, 0, 0, 0, 0};
    for (int i = 0; i < 19; ++i)
    {
        const IParamEntry* p = reverb.Parameter(i);
        EXPECT_EQ(p->Kind(), kParamDouble);
        EXPECT_EQ(p->Value(), defaults[i]) << i;
        EXPECT_EQ(p->DefaultValue(), defaults[i]) << i;
        EXPECT_EQ(p->Min(), 0.0);
        EXPECT_EQ(p->Max(), 1.0);
        EXPECT_STREQ(p->Label(), "");
        EXPECT_EQ(p->DisplayPrecision(), i == 0 ? 5 : (i <= 10 ? 3 : 0)) << i;
    }
    EXPECT_STREQ(reverb.Parameter(1)->Name(), "Mix");
    EXPECT_STREQ(reverb.Parameter(17)->Name(), "Turbulence");
    EXPECT_STREQ(reverb.Parameter(18)->Name(), "Air");
}

TEST(ReverbEffect, StoresTheFactoryPreset)
{
    IReverbEffect reverb(nullptr);
    ASSERT_EQ(reverb.PresetCount(), 1);
    const IPresetSlot* slot = reverb.Preset(0);
    EXPECT_TRUE(slot->initialised);
    EXPECT_STREQ(slot->name, "-");
    ASSERT_EQ(slot->state.Size(), 152);
    double mix = 0;
    slot->state.GetDouble(&mix, 8);
    EXPECT_EQ(mix, 0.33);

    SetParameter(reverb, P::kMix, 0.9);
    ASSERT_TRUE(reverb.SelectPreset(0));
    EXPECT_EQ(reverb.Parameter(P::kMix)->Value(), 0.33);
    EXPECT_EQ(reverb.Engine().ParameterCopy(P::kMix), 0.33);
}

TEST(ReverbEffect, StateRoundTripRestoresEveryValue)
{
    auto source = MakeReverb();
    for (int i = 0; i < 19; ++i)
        SetParameter(*source, i, (i % 3 == 0 && i < 17) ? 0.25 : 1.0);
    IStateChunk chunk;
    ASSERT_TRUE(source->WriteState(chunk));
    ASSERT_EQ(chunk.Size(), 152);

    auto target = MakeReverb();
    EXPECT_EQ(target->ReadState(chunk, 0), 152);
    for (int i = 0; i < 19; ++i)
        EXPECT_EQ(target->Parameter(i)->Value(), source->Parameter(i)->Value()) << i;
    // Air and Turbulence Off reach the engine: 6 lines, each P times the previous.
    EXPECT_EQ(target->Engine().LineCount(), 6);
    EXPECT_EQ(target->Engine().ParameterCopy(P::kAir), 1.0);
    EXPECT_NE(target->Engine().LineLengthL(0), target->Engine().LineLengthL(1));
    // Both now sound alike from the restore on.
    source->ReadState(chunk, 0);
    EXPECT_EQ(RenderImpulse(*source, 3000), RenderImpulse(*target, 3000));
}

TEST(ReverbEffect, ShortStateReadsAheadOnlyWhatIsThere)
{
    auto reverb = MakeReverb();
    SetParameter(*reverb, P::kRoomSize, 0.9);
    IStateChunk chunk = StateOf({1.0, 0.5, 0.25});
    EXPECT_LT(reverb->ReadState(chunk, 0), 0);
    EXPECT_EQ(reverb->Engine().ParameterCopy(P::kInput), 1.0);
    EXPECT_EQ(reverb->Engine().ParameterCopy(P::kMix), 0.5);
    EXPECT_EQ(reverb->Engine().ParameterCopy(P::kFarEcho), 0.25);
    // Only whole values are read: the missing ones keep their values.
    EXPECT_EQ(reverb->Parameter(P::kDiffusion)->Value(), reverb->Parameter(P::kDiffusion)->DefaultValue());
    EXPECT_EQ(reverb->Parameter(P::kRoomSize)->Value(), 0.9);
    EXPECT_EQ(reverb->Engine().ParameterCopy(P::kRoomSize), 0.9);

    EXPECT_EQ(reverb->ReadState(chunk, -1), -1);
    IStateChunk empty;
    EXPECT_EQ(reverb->ReadState(empty, 0), -1);
}

TEST(ReverbEffect, DamagedStatesAreClampedBeforeTheEngineSeesThem)
{
    auto reverb = MakeReverb(384000.0);
    std::vector<double> values(19, 0.5);
    values[P::kRoomSize] = 1e9;
    values[P::kPreDelay] = std::numeric_limits<double>::quiet_NaN();
    values[P::kMix] = -4.0;
    values[P::kTurbulence] = std::numeric_limits<double>::infinity();
    IStateChunk chunk = StateOf(values);
    EXPECT_EQ(reverb->ReadState(chunk, 0), 152);
    EXPECT_EQ(reverb->Engine().ParameterCopy(P::kRoomSize), 1.0);
    EXPECT_EQ(reverb->Engine().LineLengthL(0), ReverbEngine::kLineCapacity);
    EXPECT_EQ(reverb->Engine().ParameterCopy(P::kPreDelay), 0.0);
    EXPECT_EQ(reverb->Parameter(P::kMix)->Value(), 0.0);
    EXPECT_EQ(reverb->Parameter(P::kTurbulence)->Value(), 1.0);
    for (double v : RenderImpulse(*reverb, 2000))
        ASSERT_TRUE(std::isfinite(v));
}

TEST(ReverbEffect, HostRatesReachTheEngineClamped)
{
    auto low = MakeReverb(32000.0);
    EXPECT_EQ(low->Engine().SampleRate(), 44056.0);
    auto high = MakeReverb(705600.0);
    EXPECT_EQ(high->Engine().SampleRate(), 384000.0);
    auto broken = MakeReverb(std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ(broken->Engine().SampleRate(), 44056.0);
    auto defaults = MakeReverb(44100.0);
    EXPECT_EQ(defaults->Engine().LineLengthL(0), 3532);
    EXPECT_EQ(defaults->Engine().FarEchoDelay(), 1826);
}

TEST(ReverbEffect, IsSilentUntilTheHostSetsItUp)
{
    IReverbEffect reverb(nullptr);
    reverb.SetMaxBlockFrames(64);
    std::vector<double> in(64, 0.5), outL(64, 7.0), outR(64, 7.0);
    const double* ins[] = {in.data(), in.data()};
    double* outs[] = {outL.data(), outR.data()};
    reverb.ProcessDouble(ins, outs, 64, false);
    EXPECT_EQ(outL, std::vector<double>(64, 0.0));
}

TEST(ReverbEffect, MixZeroPassesTheRoutedInputInBothConfigurations)
{
    auto reverb = MakeReverb();
    SetParameter(*reverb, P::kMix, 0.0);
    SetParameter(*reverb, P::kInput, 0.0);  // L into both sides
    std::vector<double> inL = {0.5, -0.25, 1.0}, inR = {9, 9, 9}, outL(3), outR(3);
    const double* ins[] = {inL.data(), inR.data()};
    double* outs[] = {outL.data(), outR.data()};
    reverb->ProcessDouble(ins, outs, 3, false);
    EXPECT_EQ(outL, inL);
    EXPECT_EQ(outR, inL);

    // One input, one output: the second input reads silence, so L+R feeds half the input.
    SetParameter(*reverb, P::kInput, 2.0 / 3.0);
    reverb->SetChannelCount(1);
    std::vector<double> mono(3, 7.0);
    const double* monoIn[] = {inL.data()};
    double* monoOut[] = {mono.data()};
    reverb->ProcessDouble(monoIn, monoOut, 3, false);
    EXPECT_EQ(mono, (std::vector<double>{0.25, -0.125, 0.5}));
}

TEST(ReverbEffect, TurbulenceChangesResetTheTailWhileRoomSizeKeepsIt)
{
    auto reverb = MakeReverb();
    RenderImpulse(*reverb, 4000);
    SetParameter(*reverb, P::kRoomSize, 0.5);
    EXPECT_EQ(reverb->Engine().WritePos(), 4000);  // lines and position untouched
    SetParameter(*reverb, P::kTurbulence, 0.0);    // the value it already had: still a reset
    EXPECT_EQ(reverb->Engine().WritePos(), 0);
    EXPECT_EQ(RenderImpulse(*reverb, 2000), RenderImpulse(*MakeReverbWithRoom(0.5), 2000));
}
