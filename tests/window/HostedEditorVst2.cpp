// The window test plug-in behind the VST 2.4 adapter: the host talks to it through its
// AEffect, and hears from it through the recording host callback.

#include "HostedEditor.h"

#include "RecordingHost.h"
#include "VST2Entry.h"

namespace {

class Vst2HostedEditor : public HostedEditor
{
public:
    Vst2HostedEditor() : effect(VSTPluginMain(RecordingHost::Callback)) {}
    ~Vst2HostedEditor() override { Release(); }

    WindowTestEffect& Plugin() override { return *static_cast<WindowTestEffect*>(IEffectVST2::FromAEffect(effect)); }
    bool Open(HWND parent) override { return Dispatch(effEditOpen, parent) == 1; }
    void Close() override { Dispatch(effEditClose, nullptr); }
    void Release() override
    {
        if (effect)
            Dispatch(effClose, nullptr);
        effect = nullptr;
    }
    void SetFromAudioThread(int32_t index, double normalized) override
    {
        effect->setParameter(effect, index, static_cast<float>(normalized));
    }
    std::vector<HostEdit> Edits() override
    {
        std::vector<HostEdit> edits;
        for (const RecordingHost::Call& call : host.calls)
        {
            if (call.opcode == audioMasterBeginEdit)
                edits.push_back({'b', call.index, 0.0});
            else if (call.opcode == audioMasterAutomate)
                edits.push_back({'p', call.index, call.opt});
            else if (call.opcode == audioMasterEndEdit)
                edits.push_back({'e', call.index, 0.0});
        }
        return edits;
    }
    void ClearEdits() override { host.Clear(); }
    int HostMenus() override { return 0; }
    bool HostShowsParameterMenus() const override { return false; }

private:
    VstIntPtr Dispatch(VstInt32 opcode, void* ptr) { return effect->dispatcher(effect, opcode, 0, 0, ptr, 0.0f); }

    RecordingHost host;
    AEffect* effect;
};

} // namespace

std::unique_ptr<HostedEditor> HostEditor()
{
    return std::make_unique<Vst2HostedEditor>();
}

const char* AdapterName()
{
    return "VST 2.4";
}
