#pragma once

#include "IEffectAdapter.h"
#include "ReverbEditor.h"
#include "ReverbEngine.h"
#include "ReverbParameters.h"

#include <memory>

// The reverb plug-in: its identity and parameter table, the engine behind them, its editor,
// and the state hooks through which a restored state reaches the engine and the editor. The
// same class is built once per host adapter (VST3, VST 2.4, offline).
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
    void OnPresetRestored() override;
    void OnParameterShown(int32_t paramIndex, double normalized) override;

    // What a click on one of the reverb's own buttons or On/Off groups does, on the editor's
    // window thread, once the control has pushed its value: Restore default, Help, About, OK
    // and Air. Changes that come from the host never get here.
    void OnEditorAction(int32_t paramIndex);

    const ReverbEngine& Engine() const { return *engine; }

    static const IEffectConfig& Config();

private:
    void InitParameters();
    void BuildEditor();
    void MakeFactoryPreset();
    // Writes the factory values back through the editor's controls, so that the host hears of
    // every value that changes, and restarts the reverb even when nothing did.
    void RestoreDefault();
    void OpenHelp();
    // Reads the engine copies of the sound parameters ahead of the framework, which sets
    // the parameters themselves afterwards.
    void ReadEngineCopies(const IStateChunk& chunk, int32_t startPos);

    std::unique_ptr<ReverbEngine> engine;
    ReverbEditor editorView;
};
