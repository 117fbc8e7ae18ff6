#include "OfflineReference.h"

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace {

constexpr ParamID kPresetId = 0x70727374;  // 'prst'
constexpr ParamID kBypassId = 0x62706173;  // 'bpas'

void Apply(IEffectAdapter& effect, const ParamChange& change, bool* bypassed)
{
    if (change.id == kBypassId)
    {
        *bypassed = change.value > 0.5;
    }
    else if (change.id == kPresetId)
    {
        effect.SelectPreset(TruncToInt32(change.value * effect.PresetCount()));
    }
    else if (change.id < static_cast<ParamID>(effect.ParameterCount()))
    {
        effect.Parameter(static_cast<int32_t>(change.id))->SetFromNormalized(change.value);
        effect.OnParameterChanged(static_cast<int32_t>(change.id));
    }
}

} // namespace

std::unique_ptr<IEffectAdapter> PreparedOffline(const RenderPlan& plan)
{
    std::unique_ptr<IEffectAdapter> effect(CreatePluginInstance(nullptr));
    // What a host's initialisation and processing set-up do to the instance.
    effect->SelectPreset(0);
    effect->SetChannelCount(plan.channels);
    effect->Prepare(plan.sampleRate, plan.maxBlock);
    return effect;
}

Channels RenderOffline(const RenderPlan& plan, const Channels& input, int32 sampleSize)
{
    std::unique_ptr<IEffectAdapter> effect = PreparedOffline(plan);

    const size_t channels = static_cast<size_t>(plan.channels);
    const size_t total = static_cast<size_t>(plan.TotalFrames());
    Channels out(channels, std::vector<double>(total));
    std::vector<std::vector<float>> in32(channels), out32(channels, std::vector<float>(total));
    for (size_t c = 0; c < channels; ++c)
        in32[c].assign(input[c].begin(), input[c].begin() + static_cast<long>(total));

    bool bypassed = false;
    size_t done = 0;
    std::vector<const double*> inPtrs(channels);
    std::vector<double*> outPtrs(channels);
    std::vector<const float*> inPtrs32(channels);
    std::vector<float*> outPtrs32(channels);
    for (const RenderBlock& block : plan.blocks)
    {
        for (const ParamChange& change : block.changes)
            Apply(*effect, change, &bypassed);
        if (block.frames <= 0)
            continue;
        for (size_t c = 0; c < channels; ++c)
        {
            inPtrs[c] = input[c].data() + done;
            outPtrs[c] = out[c].data() + done;
            inPtrs32[c] = in32[c].data() + done;
            outPtrs32[c] = out32[c].data() + done;
        }
        if (sampleSize == kSample32)
            effect->ProcessSingle(plan.inputBus ? inPtrs32.data() : nullptr, outPtrs32.data(), block.frames,
                                  bypassed ? IEffectBase::kProcessBypassed : IEffectBase::kProcessReplacing);
        else
            effect->ProcessDouble(plan.inputBus ? inPtrs.data() : nullptr, outPtrs.data(), block.frames, bypassed);
        done += static_cast<size_t>(block.frames);
    }
    if (sampleSize == kSample32)
        for (size_t c = 0; c < channels; ++c)
            out[c].assign(out32[c].begin(), out32[c].end());
    return out;
}
