// The reverb's ReadState with any bytes at any start: values held whole are taken (clamped),
// the others stay; the result says whether the whole state was there; the presets are left
// alone; and the instance afterwards passes every check of a restored reverb.

#include "EffectSnapshot.h"
#include "FuzzCheck.h"
#include "FuzzHosts.h"
#include "IReverbEffect.h"
#include "ReverbInvariants.h"

#include <cstddef>
#include <cstdint>

namespace {

// The first byte chooses where the state starts: -1 (nothing is read) or 0 .. 15.
constexpr int kStartChoices = 17;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const int32_t start = data[0] % kStartChoices - 1;
    IStateChunk chunk;
    chunk.PutBytes(data + 1, static_cast<int32_t>(size - 1));

    static IReverbEffect* const reverb = [] {
        auto* r = new IReverbEffect(nullptr);
        r->Prepare(kFuzzSampleRate, kFuzzBlockFrames);
        return r;
    }();
    SetBaseline(*reverb);
    const EffectSnapshot before = EffectSnapshot::Of(*reverb);

    const int32_t result = reverb->ReadState(chunk, start);

    const bool whole = start >= 0 && start + StateBytes(*reverb) <= chunk.Size();
    FUZZ_CHECK(whole ? result == start + StateBytes(*reverb) : result < 0,
               "ReadState answered %d for %d bytes from %d", result, chunk.Size(), start);
    const std::vector<double> expected = before.ValuesAfterReading(*reverb, chunk.Data(), chunk.Size(), start);
    CheckValues(*reverb, &expected, "ReadState");
    CheckSlots(before, *reverb, "ReadState");
    CheckReverbAfterRestore(*reverb, reverb->Engine(), "ReadState");
    return 0;
}
