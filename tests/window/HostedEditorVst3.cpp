// A plug-in behind the VST3 adapter: the host reaches it through the SDK interfaces, opens its
// editor through a view, and hears of edits through its component handler.

#include "HostedEditor.h"

#include "HostObjects.h"
#include "HostedEffect.h"
#include "IEffectAdapter.h"

#include "pluginterfaces/gui/iplugview.h"

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace {

class Vst3HostedEditor : public HostedEditor
{
public:
    // Takes over one reference to the instance's component; `module`, when given, made it and
    // goes after it.
    Vst3HostedEditor(IComponent* instance, std::unique_ptr<HostedModule> owner = nullptr)
        : module(std::move(owner)), component(instance)
    {
        component->queryInterface(IEditController::iid, reinterpret_cast<void**>(&controller));
        component->initialize(nullptr);
        controller->setComponentHandler(&handler);
    }
    ~Vst3HostedEditor() override { Release(); }

    IEffectBase& Instance() override { return static_cast<IEffectVST3&>(*component); }
    bool Open(HWND parent) override
    {
        if (!view)
            view = controller->createView(ViewType::kEditor);
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
        if (!component)
            return;
        component->terminate();
        controller->release();
        component->release();
        controller = nullptr;
        component = nullptr;
    }
    void SetFromAudioThread(int32_t index, double normalized) override
    {
        HostParamChanges changes;
        changes.Add(static_cast<ParamID>(index), 0, normalized);
        ProcessData data;
        data.numSamples = 0;  // a parameter flush: changes without audio
        data.inputParameterChanges = &changes;
        static_cast<IEffectVST3&>(*component).process(data);
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
    std::unique_ptr<HostedModule> module;
    RecordingComponentHandler handler;
    IComponent* component;
    IEditController* controller = nullptr;
    IPlugView* view = nullptr;
};

} // namespace

std::unique_ptr<HostedEditor> HostEditor()
{
    return std::make_unique<Vst3HostedEditor>(CreatePluginInstance(nullptr));
}

std::unique_ptr<HostedEditor> HostModuleEditor(const std::string& bundlePath)
{
    auto module = std::make_unique<HostedModule>();
    PClassInfo info;
    IComponent* component = nullptr;
    if (!module->Open(bundlePath) || module->Factory()->getClassInfo(0, &info) != kResultOk ||
        module->Factory()->createInstance(info.cid, IComponent::iid, reinterpret_cast<void**>(&component)) != kResultOk)
        return nullptr;
    return std::make_unique<Vst3HostedEditor>(component, std::move(module));
}

const char* AdapterName()
{
    return "VST3";
}
