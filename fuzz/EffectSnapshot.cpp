#include "EffectSnapshot.h"

#include "FuzzCheck.h"

#include <cmath>
#include <cstring>

namespace {

constexpr int64_t kBytesPerValue = 8;

bool SameBits(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

} // namespace

std::vector<uint8_t> BytesOf(const IStateChunk& chunk)
{
    return std::vector<uint8_t>(chunk.Data(), chunk.Data() + chunk.Size());
}

bool EffectSnapshot::Slot::operator==(const Slot& other) const
{
    return initialised == other.initialised && name == other.name && state == other.state;
}

EffectSnapshot EffectSnapshot::Of(const IEffectBase& effect)
{
    EffectSnapshot snapshot;
    for (int32_t i = 0; i < effect.ParameterCount(); ++i)
        snapshot.values.push_back(effect.Parameter(i)->Value());
    for (int32_t i = 0; i < effect.PresetCount(); ++i)
    {
        const IPresetSlot* slot = effect.Preset(i);
        snapshot.slots.push_back({slot->initialised, slot->name, BytesOf(slot->state)});
    }
    snapshot.currentPreset = effect.CurrentPresetIndex();
    return snapshot;
}

std::vector<double> EffectSnapshot::ValuesAfterReading(const IEffectBase& effect, const uint8_t* bytes,
                                                       int64_t size, int64_t start) const
{
    std::vector<double> expected = values;
    if (start < 0)
        return expected;
    for (int32_t i = 0; i < effect.ParameterCount(); ++i)
    {
        const int64_t at = start + kBytesPerValue * i;
        if (at + kBytesPerValue > size)
            break;
        uint64_t bits = 0;
        for (int b = 0; b < kBytesPerValue; ++b)
            bits |= static_cast<uint64_t>(bytes[at + b]) << (8 * b);
        double v;
        std::memcpy(&v, &bits, sizeof v);
        expected[static_cast<size_t>(i)] = effect.Parameter(i)->Clamp(v);
    }
    return expected;
}

int64_t StateBytes(const IEffectBase& effect)
{
    return kBytesPerValue * effect.ParameterCount();
}

void CheckValues(const IEffectBase& effect, const std::vector<double>* expected, const char* what)
{
    for (int32_t i = 0; i < effect.ParameterCount(); ++i)
    {
        const IParamEntry& p = *effect.Parameter(i);
        const double v = p.Value();
        FUZZ_CHECK(std::isfinite(v) && v >= p.Min() && v <= p.Max(),
                   "%s: parameter %d (%s) holds %.17g, outside [%g, %g]", what, i, p.Name(), v, p.Min(), p.Max());
        if (expected)
            FUZZ_CHECK(SameBits(v, (*expected)[static_cast<size_t>(i)]),
                       "%s: parameter %d (%s) holds %.17g where %.17g was expected", what, i, p.Name(), v,
                       (*expected)[static_cast<size_t>(i)]);
    }
}

void CheckSlots(const EffectSnapshot& before, const IEffectBase& effect, const char* what)
{
    const EffectSnapshot now = EffectSnapshot::Of(effect);
    FUZZ_CHECK(now.currentPreset == before.currentPreset, "%s: the current preset moved from %d to %d", what,
               before.currentPreset, now.currentPreset);
    for (size_t i = 0; i < now.slots.size(); ++i)
    {
        const EffectSnapshot::Slot& a = before.slots[i];
        const EffectSnapshot::Slot& b = now.slots[i];
        FUZZ_CHECK(a == b, "%s: preset %zu changed (initialised %d -> %d, name '%s' -> '%s', %zu -> %zu state bytes)",
                   what, i, a.initialised, b.initialised, a.name.c_str(), b.name.c_str(), a.state.size(),
                   b.state.size());
    }
}

void CheckStateRoundTrip(IEffectBase& effect, const char* what)
{
    const EffectSnapshot before = EffectSnapshot::Of(effect);
    IStateChunk first;
    FUZZ_CHECK(effect.WriteState(first), "%s: the state could not be written", what);
    FUZZ_CHECK(first.Size() == StateBytes(effect), "%s: the state has %d bytes", what, first.Size());
    FUZZ_CHECK(effect.ReadState(first, 0) == first.Size(), "%s: a state just written did not read back", what);
    IStateChunk second;
    effect.WriteState(second);
    FUZZ_CHECK(BytesOf(first) == BytesOf(second), "%s: write -> read -> write changed the state", what);
    CheckValues(effect, &before.values, what);
}
