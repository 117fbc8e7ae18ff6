#include "Vst2TestSupport.h"

#include <cstring>
#include <vector>

namespace {

constexpr uint8_t kHeader[8] = {0x74, 0x66, 0x66, 0x70, 0x00, 0x00, 0x01, 0x00};

std::vector<uint8_t> Doubles(const std::vector<double>& values)
{
    std::vector<uint8_t> bytes(values.size() * 8);
    memcpy(bytes.data(), values.data(), bytes.size());  // the test machines are little-endian
    return bytes;
}

std::vector<uint8_t> WithHeader(const std::vector<uint8_t>& body, int32_t version = 0x00010000)
{
    std::vector<uint8_t> bytes(kHeader, kHeader + 4);
    for (int i = 0; i < 4; ++i)
        bytes.push_back(static_cast<uint8_t>(version >> (8 * i)));
    bytes.insert(bytes.end(), body.begin(), body.end());
    return bytes;
}

// 19 values inside every range, each different from the defaults.
std::vector<double> SomeState()
{
    std::vector<double> v(19, 0.125);
    v[TestGainDelay::kGain] = 1.75;
    v[TestGainDelay::kDelay] = 42.5;
    v[TestGainDelay::kCrossfeed] = -0.625;
    v[TestGainDelay::kMode] = 2.0;
    return v;
}

class Vst2ChunkTest : public Vst2Test
{
protected:
    std::vector<uint8_t> GetChunk(VstInt32 index)
    {
        void* data = nullptr;
        const VstIntPtr size = Dispatch(effGetChunk, index, 0, &data);
        if (size <= 0 || !data)
            return {};
        const auto* bytes = static_cast<const uint8_t*>(data);
        return std::vector<uint8_t>(bytes, bytes + size);
    }
    VstIntPtr SetChunk(VstInt32 index, std::vector<uint8_t> bytes)
    {
        return Dispatch(effSetChunk, index, static_cast<VstIntPtr>(bytes.size()), bytes.data());
    }
    std::vector<double> Values()
    {
        std::vector<double> v;
        for (int32_t i = 0; i < Plugin().ParameterCount(); ++i)
            v.push_back(Value(i));
        return v;
    }
};

} // namespace

TEST_F(Vst2ChunkTest, ProgramChunkIsHeaderAndState)
{
    const std::vector<uint8_t> chunk = GetChunk(1);
    ASSERT_EQ(chunk.size(), 160u);
    EXPECT_TRUE(std::equal(kHeader, kHeader + 8, chunk.begin()));
    EXPECT_EQ(std::vector<uint8_t>(chunk.begin() + 8, chunk.end()), Doubles(Values()));
}

TEST_F(Vst2ChunkTest, BankChunkHoldsEverySlot)
{
    const std::vector<uint8_t> chunk = GetChunk(0);
    // Header, name length, "Empty", initialised flag, state.
    ASSERT_EQ(chunk.size(), 8u + 4 + 5 + 1 + 152);
    EXPECT_TRUE(std::equal(kHeader, kHeader + 8, chunk.begin()));
    EXPECT_EQ(chunk[8], 5);
    EXPECT_EQ(std::string(chunk.begin() + 12, chunk.begin() + 17), "Empty");
    EXPECT_EQ(chunk[17], 1);
    EXPECT_EQ(std::vector<uint8_t>(chunk.begin() + 18, chunk.end()), Doubles(Values()));
}

TEST_F(Vst2ChunkTest, ProgramRoundTrip)
{
    const std::vector<double> saved = SomeState();
    ASSERT_EQ(SetChunk(1, WithHeader(Doubles(saved))), 1);
    EXPECT_EQ(Values(), saved);
    EXPECT_EQ(Plugin().DelaySamples(), 1874);  // the plug-in heard of the new values
    // The current slot now holds the restored state.
    effect->setParameter(effect, TestGainDelay::kGain, 0.0f);
    Dispatch(effSetProgram, 0, 0);
    EXPECT_EQ(Values(), saved);

    const std::vector<uint8_t> chunk = GetChunk(1);
    effect->setParameter(effect, TestGainDelay::kMix, 0.0f);
    EXPECT_EQ(SetChunk(1, chunk), 1);
    EXPECT_EQ(Values(), saved);
}

TEST_F(Vst2ChunkTest, BankRoundTrip)
{
    char name[] = "Plate";
    Dispatch(effSetProgramName, 0, 0, name);
    ASSERT_EQ(SetChunk(1, WithHeader(Doubles(SomeState()))), 1);
    const std::vector<uint8_t> bank = GetChunk(0);
    ASSERT_EQ(bank.size(), 8u + 4 + 5 + 1 + 152);

    char other[] = "Other";
    Dispatch(effSetProgramName, 0, 0, other);
    effect->setParameter(effect, TestGainDelay::kGain, 0.0f);
    EXPECT_EQ(SetChunk(0, bank), 1);
    EXPECT_STREQ(Plugin().Preset(0)->name, "Plate");
    EXPECT_EQ(Values(), SomeState());
}

TEST_F(Vst2ChunkTest, ChunksWithoutHeaderOrWithAnOldVersionAreReadAsAProgram)
{
    const std::vector<uint8_t> bare = Doubles(SomeState());
    EXPECT_EQ(SetChunk(1, bare), 1);
    EXPECT_EQ(Values(), SomeState());

    std::vector<double> second = SomeState();
    second[TestGainDelay::kMix] = 0.875;
    EXPECT_EQ(SetChunk(0, Doubles(second)), 1);
    EXPECT_EQ(Values(), second);
    EXPECT_STREQ(Plugin().Preset(0)->name, "Empty");

    second[TestGainDelay::kMix] = 0.375;
    EXPECT_EQ(SetChunk(0, WithHeader(Doubles(second), 0x0000FFFF)), 1);
    EXPECT_EQ(Values(), second);
}

TEST_F(Vst2ChunkTest, ProgramChunkSentAsABankIsReadAsABank)
{
    // Program and bank chunks carry the same header, so a program chunk handed over as a
    // bank is parsed as one: here the first double (1.75) gives name length 0 and a slot
    // flag of 0, and the slot turns into a user preset holding the current values.
    effect->setParameter(effect, TestGainDelay::kGain, 0.1f);
    const std::vector<double> before = Values();
    EXPECT_EQ(SetChunk(0, WithHeader(Doubles(SomeState()))), 1);
    EXPECT_EQ(Values(), before);
    EXPECT_STREQ(Plugin().Preset(0)->name, "user preset 1");
    // The new user preset holds the values it was made from.
    effect->setParameter(effect, TestGainDelay::kGain, 0.9f);
    Dispatch(effSetProgram, 0, 0);
    EXPECT_EQ(Values(), before);
}

TEST_F(Vst2ChunkTest, ShortChunksApplyTheWholeValuesTheyHoldAndFail)
{
    std::vector<double> values = SomeState();
    const std::vector<double> before = Values();
    std::vector<uint8_t> fortyBytes = Doubles(values);
    fortyBytes.resize(40);
    EXPECT_EQ(SetChunk(1, WithHeader(fortyBytes)), 0);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(Value(i), values[static_cast<size_t>(i)]) << i;
    for (int i = 5; i < 19; ++i)
        EXPECT_EQ(Value(i), before[static_cast<size_t>(i)]) << i;

    // A cut header reads nothing.
    const std::vector<double> now = Values();
    EXPECT_EQ(SetChunk(1, std::vector<uint8_t>(kHeader, kHeader + 6)), 0);
    EXPECT_EQ(SetChunk(0, std::vector<uint8_t>(kHeader, kHeader + 6)), 0);
    EXPECT_EQ(Values(), now);

    // A bank whose slot runs out, and one with a negative name length.
    std::vector<uint8_t> bank = GetChunk(0);
    bank.resize(bank.size() - 1);
    EXPECT_EQ(SetChunk(0, bank), 0);
    std::vector<uint8_t> negative = WithHeader({0xFF, 0xFF, 0xFF, 0xFF, 1, 2, 3});
    EXPECT_EQ(SetChunk(0, negative), 0);
    std::vector<uint8_t> huge = WithHeader({0xFF, 0xFF, 0xFF, 0x7F, 1});
    EXPECT_EQ(SetChunk(0, huge), 0);
}

TEST_F(Vst2ChunkTest, ProgramCutInTheMiddleOfAValueKeepsThatValueAndTheStoredPreset)
{
    // The header, the first value and half of the second.
    std::vector<double> values = SomeState();
    values[TestGainDelay::kDelay] = 0.0;
    std::vector<uint8_t> cut = WithHeader(Doubles(values));
    cut.resize(8 + 8 + 4);
    const std::vector<double> before = Values();
    const std::vector<uint8_t> storedPreset = GetChunk(0);

    EXPECT_EQ(SetChunk(1, cut), 0);
    EXPECT_EQ(Value(TestGainDelay::kGain), values[TestGainDelay::kGain]);
    EXPECT_EQ(Value(TestGainDelay::kDelay), before[TestGainDelay::kDelay]);
    // A failed read is not stored: selecting the program brings back what it held.
    Dispatch(effSetProgram, 0, 0);
    EXPECT_EQ(Values(), before);
    EXPECT_EQ(GetChunk(0), storedPreset);
}

TEST_F(Vst2ChunkTest, ValuesOutsideTheRangesAreClamped)
{
    std::vector<double> values = SomeState();
    values[TestGainDelay::kGain] = 100.0;
    values[TestGainDelay::kCrossfeed] = 5.0;
    EXPECT_EQ(SetChunk(1, WithHeader(Doubles(values))), 1);
    EXPECT_EQ(Value(TestGainDelay::kGain), 2.0);
    EXPECT_EQ(Value(TestGainDelay::kCrossfeed), 0.0);
}

TEST_F(Vst2ChunkTest, UnusableArgumentsChangeNothing)
{
    const std::vector<double> before = Values();
    std::vector<uint8_t> valid = WithHeader(Doubles(SomeState()));
    for (VstInt32 index : {0, 1})
    {
        EXPECT_EQ(Dispatch(effSetChunk, index, 160, nullptr), 0);
        EXPECT_EQ(Dispatch(effSetChunk, index, 0, valid.data()), 0);
        EXPECT_EQ(Dispatch(effSetChunk, index, -160, valid.data()), 0);
        EXPECT_EQ(Dispatch(effSetChunk, index, static_cast<VstIntPtr>(1) << 40, valid.data()), 0);
        EXPECT_EQ(Dispatch(effSetChunk, index, IEffectVST2::kMaxChunkBytes + 1, valid.data()), 0);
        EXPECT_EQ(Dispatch(effGetChunk, index, 0, nullptr), 0);
    }
    EXPECT_EQ(Values(), before);
}

TEST_F(Vst2ChunkTest, HostMayHandBackOurOwnBytes)
{
    ASSERT_EQ(SetChunk(1, WithHeader(Doubles(SomeState()))), 1);
    for (VstInt32 index : {1, 0})
    {
        void* data = nullptr;
        const VstIntPtr size = Dispatch(effGetChunk, index, 0, &data);
        ASSERT_GT(size, 0);
        effect->setParameter(effect, TestGainDelay::kGain, 0.0f);
        EXPECT_EQ(Dispatch(effSetChunk, index, size, data), 1);
        EXPECT_EQ(Values(), SomeState());
    }
}

TEST_F(Vst2ChunkTest, ChunkBytesStayUntilTheNextCallOnTheSameBuffer)
{
    void* program = nullptr;
    const VstIntPtr programSize = Dispatch(effGetChunk, 1, 0, &program);
    const std::vector<uint8_t> copy(static_cast<uint8_t*>(program), static_cast<uint8_t*>(program) + programSize);
    void* bank = nullptr;
    ASSERT_GT(Dispatch(effGetChunk, 0, 0, &bank), 0);
    EXPECT_NE(bank, program);
    EXPECT_EQ(std::vector<uint8_t>(static_cast<uint8_t*>(program), static_cast<uint8_t*>(program) + programSize),
              copy);
}

TEST(Vst2Chunks, PluginsWithoutChunksStoreTheProgramBeforeSwitching)
{
    RecordingHost host;
    IEffectConfig config = ConfigurableEffect::Config("1-1 2-2", false, false);
    config.doesStateChunks = false;
    struct Plain : IEffectVST2
    {
        explicit Plain(const IEffectConfig& c) : IEffectVST2(RecordingHost::Callback, c)
        {
            for (int32_t i = 0; i < ParameterCount(); ++i)
                Parameter(i)->InitContinuous("p", 0.0, 0.0, 1.0, 0.001, "");
        }
    } plugin(config);
    AEffect* effect = plugin.GetAEffect();
    EXPECT_EQ(effect->flags & 0x20, 0);
    plugin.FillEmptyPresets("Empty", plugin.PresetCount());
    effect->setParameter(effect, 0, 0.5f);
    effect->dispatcher(effect, effSetProgram, 0, 1, nullptr, 0.0f);
    effect->setParameter(effect, 0, 0.25f);
    effect->dispatcher(effect, effSetProgram, 0, 0, nullptr, 0.0f);
    // Program 0 kept the 0.5 it had when the host switched away.
    EXPECT_DOUBLE_EQ(plugin.Parameter(0)->Value(), 0.5);
    EXPECT_EQ(effect->dispatcher(effect, effGetProgram, 0, 0, nullptr, 0.0f), 0);
}
