// The window test plug-in behind the VST3 adapter: the host reaches it through the SDK
// interfaces, opens its editor through a view, and hears of edits through its component
// handler.

#include "HostedEditor.h"

#include "HostObjects.h"

#include "pluginterfaces/gui/iplugview.h"

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace {

class Vst3HostedEditor : public HostedEditor
{
public:
    Vst3HostedEditor() : effect(static_cast<WindowTestEffect*>(CreatePluginInstance(nullptr)))
    {
        Component()->initialize(nullptr);
        Controller()->setComponentHandler(&handler);
    }
    ~Vst3HostedEditor() override { Release(); }

    WindowTestEffect& Plugin() override { return *effect; }
    bool Open(HWND parent) override
    {
        if (!view)
            view = Controller()->createView(ViewType::kEditor);
        return view && view->attached(parent, kPlatformTypeHWND) == kResultOk;
    }
    void Close() override
    {
        if (view)
            view->removed();
    }
    void Release() override
    {
        if (view)
            view->release();
        view = nullptr;
        if (effect)
        {
            Component()->terminate();
            effect->release();
        }
        effect = nullptr;
    }
    void SetFromAudioThread(int32_t index, double normalized) override
    {
        HostParamChanges changes;
        changes.Add(static_cast<ParamID>(index), 0, normalized);
        ProcessData data;
        data.numSamples = 0;  // a parameter flush: changes without audio
        data.inputParameterChanges = &changes;
        static_cast<IAudioProcessor*>(effect)->process(data);
    }
    std::vector<HostEdit> Edits() override
    {
        std::vector<HostEdit> edits;
        for (const RecordingComponentHandler::Edit& edit : handler.edits)
            edits.push_back({edit.kind, static_cast<int32_t>(edit.id), edit.value});
        return edits;
    }
    void ClearEdits() override { handler.edits.clear(); }
    int HostMenus() override { return handler.contextMenus; }
    bool HostShowsParameterMenus() const override { return true; }

private:
    IComponent* Component() { return effect; }
    IEditController* Controller() { return effect; }

    RecordingComponentHandler handler;
    WindowTestEffect* effect;
    IPlugView* view = nullptr;
};

} // namespace

std::unique_ptr<HostedEditor> HostEditor()
{
    return std::make_unique<Vst3HostedEditor>();
}

const char* AdapterName()
{
    return "VST3";
}
