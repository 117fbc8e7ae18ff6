#pragma once

#include "IEffectAdapter.h"
#include "ReverbEngine.h"
#include "ReverbParameters.h"

#include <memory>

// The reverb plug-in: its identity and parameter table, the engine behind them, and the state
// hooks through which a restored state reaches the engine. The same class is built once per
// host adapter (VST3, VST 2.4, offline).
class IReverbEffect : public IEffectAdapter
{
public:
    explicit IReverbEffect(IEffectAdapter::HostCallback host);
    ~IReverbEffect() override;

    void OnReset() override;
    void OnParameterChanged(int32_t paramIndex) override;
    void ProcessAudioBlock(double** inputs, double** outputs, int32_t frames) override;
    bool WriteState(IStateChunk& chunk) override;
    int32_t ReadState(const IStateChunk& chunk, int32_t startPos) override;

    const ReverbEngine& Engine() const { return *engine; }

    static const IEffectConfig& Config();

private:
    void InitParameters();
    void MakeFactoryPreset();
    // Reads the engine copies of the sound parameters ahead of the framework, which sets
    // the parameters themselves afterwards.
    void ReadEngineCopies(const IStateChunk& chunk, int32_t startPos);

    std::unique_ptr<ReverbEngine> engine;
};
