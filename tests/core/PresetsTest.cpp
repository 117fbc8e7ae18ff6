#include "TestEffect.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

namespace {

IStateChunk StateOf(const std::vector<double>& values)
{
    IStateChunk chunk;
    for (double v : values)
        chunk.PutDouble(v);
    return chunk;
}

std::vector<double> Values(TestEffect& effect)
{
    std::vector<double> v;
    for (int32_t i = 0; i < effect.ParameterCount(); ++i)
        v.push_back(effect.Parameter(i)->Value());
    return v;
}

} // namespace

TEST(Presets, StateIsTheParameterValuesAsLittleEndianDoubles)
{
    TestEffect effect;
    effect.Parameter(0)->SetValueClamped(1.0);
    IStateChunk chunk;
    ASSERT_TRUE(effect.WriteState(chunk));
    ASSERT_EQ(chunk.Size(), 152);
    const uint8_t one[8] = {0, 0, 0, 0, 0, 0, 0xF0, 0x3F};
    EXPECT_EQ(memcmp(chunk.Data(), one, 8), 0);
    double gain = 0;
    chunk.GetDouble(&gain, 56);
    EXPECT_EQ(gain, 4.0);
}

TEST(Presets, FullStateRestoresEveryValueAndAnnouncesEachIndex)
{
    TestEffect source;
    for (int32_t i = 0; i < 19; ++i)
        source.Parameter(i)->SetValueClamped(i == 7 ? 9.5 : i / 19.0);
    IStateChunk chunk;
    source.WriteState(chunk);

    TestEffect target;
    EXPECT_EQ(target.ReadState(chunk, 0), 152);
    EXPECT_EQ(Values(target), Values(source));
    ASSERT_EQ(target.log.size(), 19u);
    EXPECT_EQ(target.log.front(), "changed 0");
    EXPECT_EQ(target.log.back(), "changed 18");
}

TEST(Presets, ShortStateSetsOnlyTheWholeValuesItHolds)
{
    TestEffect effect;
    for (int32_t i = 0; i < 19; ++i)
        effect.Parameter(i)->SetValueClamped(0.75);
    effect.Parameter(7)->SetValueClamped(8.0);
    IStateChunk chunk = StateOf({0.1, 0.2, 0.3, 0.4, 0.5});  // 40 bytes
    EXPECT_EQ(effect.ReadState(chunk, 0), -1);
    EXPECT_EQ(effect.Parameter(4)->Value(), 0.5);
    EXPECT_EQ(effect.Parameter(5)->Value(), 0.75);
    EXPECT_EQ(effect.Parameter(6)->Value(), 0.75);
    EXPECT_EQ(effect.Parameter(7)->Value(), 8.0);
    EXPECT_EQ(effect.log.size(), 19u);  // every index announced, read or not

    // A value cut in the middle is no value: its parameter keeps what it had.
    IStateChunk cut = StateOf({0, 0, 0, 0, 0, 0, 0, 3.0});
    cut.Resize(7 * 8 + 4);
    EXPECT_EQ(effect.ReadState(cut, 0), -1);
    EXPECT_EQ(effect.Parameter(6)->Value(), 0.0);
    EXPECT_EQ(effect.Parameter(7)->Value(), 8.0);
}

TEST(Presets, ValuesFromDamagedStatesAreClamped)
{
    TestEffect effect;
    std::vector<double> values(19, 0.5);
    values[0] = -3.0;
    values[1] = 7.0;
    values[2] = std::numeric_limits<double>::quiet_NaN();
    values[7] = std::numeric_limits<double>::infinity();
    IStateChunk chunk = StateOf(values);
    EXPECT_EQ(effect.ReadState(chunk, 0), 152);
    EXPECT_EQ(effect.Parameter(0)->Value(), 0.0);
    EXPECT_EQ(effect.Parameter(1)->Value(), 1.0);
    EXPECT_EQ(effect.Parameter(2)->Value(), 0.0);
    EXPECT_EQ(effect.Parameter(7)->Value(), 10.0);
    EXPECT_EQ(effect.ReadState(chunk, -1), -1);
    EXPECT_EQ(effect.ReadState(chunk, 150), -1);
    EXPECT_EQ(effect.ReadState(chunk, INT32_MAX), -1);
}

TEST(Presets, SelectingAnEmptySlotMakesItAUserPreset)
{
    TestEffect effect(3);
    effect.Parameter(2)->SetValueClamped(0.9);
    ASSERT_TRUE(effect.SelectPreset(1));
    EXPECT_STREQ(effect.Preset(1)->name, "user preset 1");
    EXPECT_TRUE(effect.Preset(1)->initialised);
    EXPECT_EQ(effect.CurrentPresetIndex(), 1);
    ASSERT_TRUE(effect.SelectPreset(2));
    EXPECT_STREQ(effect.Preset(2)->name, "user preset 2");
    EXPECT_EQ(effect.log.back(), "restored");

    effect.Parameter(2)->SetValueClamped(0.1);
    ASSERT_TRUE(effect.SelectPreset(1));
    EXPECT_EQ(effect.Parameter(2)->Value(), 0.9);
    EXPECT_FALSE(effect.SelectPreset(3));
    EXPECT_FALSE(effect.SelectPreset(-1));
    EXPECT_EQ(effect.CurrentPresetIndex(), 1);
}

TEST(Presets, AUserPresetMadeFromASlotABankEmptiedHoldsTheCurrentState)
{
    TestEffect effect;
    effect.FillEmptyPresets("Empty", 1);  // the slot holds the defaults
    effect.Parameter(2)->SetValueClamped(0.9);
    // A bank whose only slot is marked empty: name length 0, flag 0.
    IStateChunk bank;
    bank.PutInt32(0);
    bank.PutFlag(false);
    EXPECT_EQ(effect.UnserializePresets(bank, 0), 5);
    EXPECT_STREQ(effect.Preset(0)->name, "user preset 1");
    EXPECT_EQ(effect.Preset(0)->state.Size(), 152);
    effect.Parameter(2)->SetValueClamped(0.1);
    ASSERT_TRUE(effect.SelectPreset(0));
    EXPECT_EQ(effect.Parameter(2)->Value(), 0.9);
}

TEST(Presets, FillAndModifyWriteTheCurrentState)
{
    TestEffect effect(2);
    effect.FillEmptyPresets(nullptr, 5);
    EXPECT_STREQ(effect.Preset(0)->name, "Empty");
    EXPECT_STREQ(effect.Preset(1)->name, "Empty");
    EXPECT_EQ(effect.Preset(1)->state.Size(), 152);

    effect.Parameter(0)->SetValueClamped(0.125);
    effect.ModifyCurrentPreset("Bright");
    EXPECT_STREQ(effect.Preset(0)->name, "Bright");
    EXPECT_EQ(effect.Preset(0)->state.Size(), 152);
    double first = 0;
    effect.Preset(0)->state.GetDouble(&first, 0);
    EXPECT_EQ(first, 0.125);
    effect.ModifyCurrentPreset("");
    EXPECT_STREQ(effect.Preset(0)->name, "Bright");
}

TEST(Presets, ChunkHeaderAndBankLayout)
{
    TestEffect effect;
    effect.FillEmptyPresets("Plain", 1);
    IStateChunk chunk;
    IEffectBase::InitChunkHeader(chunk);
    ASSERT_TRUE(effect.SerializePresets(chunk));
    ASSERT_EQ(chunk.Size(), 8 + 4 + 5 + 1 + 152);
    const uint8_t header[8] = {0x74, 0x66, 0x66, 0x70, 0x00, 0x00, 0x01, 0x00};
    EXPECT_EQ(memcmp(chunk.Data(), header, 8), 0);
    int32_t nameLength = 0;
    chunk.GetInt32(&nameLength, 8);
    EXPECT_EQ(nameLength, 5);
    EXPECT_EQ(memcmp(chunk.Data() + 12, "Plain", 5), 0);
    EXPECT_EQ(chunk.Data()[17], 1);

    int32_t version = -5;
    EXPECT_EQ(IEffectBase::ReadChunkHeader(chunk, &version), 8);
    EXPECT_EQ(version, 0x00010000);
    IStateChunk cut;
    cut.PutBytes(header, 6);
    EXPECT_EQ(IEffectBase::ReadChunkHeader(cut, &version), -1);
    EXPECT_EQ(version, 0);
    IStateChunk bare = StateOf({0.5});
    EXPECT_EQ(IEffectBase::ReadChunkHeader(bare, &version), 0);
}

TEST(Presets, BankRoundTripRestoresNamesFlagsAndStates)
{
    TestEffect source(2);
    source.Parameter(1)->SetValueClamped(0.3);
    source.FillEmptyPresets("First", 1);
    IStateChunk bank;
    ASSERT_TRUE(source.SerializePresets(bank));

    TestEffect target(2);
    EXPECT_EQ(target.UnserializePresets(bank, 0), bank.Size());
    EXPECT_STREQ(target.Preset(0)->name, "First");
    EXPECT_TRUE(target.Preset(0)->initialised);
    EXPECT_STREQ(target.Preset(1)->name, "empty");
    EXPECT_FALSE(target.Preset(1)->initialised);
    EXPECT_EQ(target.Parameter(1)->Value(), 0.3);  // the current slot is applied
}

TEST(Presets, DamagedBanksStayInsideTheChunk)
{
    TestEffect effect(2);
    IStateChunk negative;
    negative.PutInt32(-1000);
    negative.PutFlag(true);
    EXPECT_EQ(effect.UnserializePresets(negative, 0), -1);
    IStateChunk huge;
    huge.PutInt32(INT32_MAX);
    huge.PutBytes("abc", 3);
    EXPECT_EQ(effect.UnserializePresets(huge, 0), -1);
    EXPECT_STREQ(effect.Preset(0)->name, "");
    IStateChunk zeroInName;
    zeroInName.PutInt32(4);
    zeroInName.PutBytes("ab\0c", 4);
    zeroInName.PutFlag(true);
    zeroInName.PutBytes(StateOf(std::vector<double>(19, 0.5)).Data(), 152);
    effect.UnserializePresets(zeroInName, 0);
    EXPECT_STREQ(effect.Preset(0)->name, "ab");
    IStateChunk longName;
    std::string name(500, 'n');
    longName.PutInt32(500);
    longName.PutBytes(name.data(), 500);
    longName.PutFlag(true);
    longName.PutBytes(StateOf(std::vector<double>(19, 0.5)).Data(), 152);
    effect.UnserializePresets(longName, 0);
    EXPECT_EQ(strlen(effect.Preset(0)->name), IPresetSlot::kNameCapacity - 1);
    EXPECT_EQ(effect.UnserializePresets(longName, -1), -1);
    EXPECT_EQ(effect.UnserializePresets(longName, INT32_MAX - 1), -1);

    // Random damage anywhere in a valid bank never reads outside it.
    TestEffect source(2);
    source.FillEmptyPresets("Some", 2);
    IStateChunk bank;
    source.SerializePresets(bank);
    std::mt19937 random(7);
    for (int trial = 0; trial < 500; ++trial)
    {
        IStateChunk damaged;
        damaged.PutBytes(bank.Data(), static_cast<int32_t>(random() % static_cast<unsigned>(bank.Size() + 1)));
        if (damaged.Size() > 0)
            damaged.Data()[random() % static_cast<unsigned>(damaged.Size())] = static_cast<uint8_t>(random());
        const int32_t pos = effect.UnserializePresets(damaged, 0);
        EXPECT_LE(pos, damaged.Size());
    }
}
