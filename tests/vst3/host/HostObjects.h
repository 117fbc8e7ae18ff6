#pragma once

#include "public.sdk/source/vst/hosting/hostclasses.h"
#include "pluginterfaces/vst/ivstcontextmenu.h"
#include "pluginterfaces/vst/ivsteditcontroller.h"
#include "pluginterfaces/vst/ivstparameterchanges.h"

#include <memory>
#include <string>
#include <vector>

// The objects a host hands to a plug-in, in the small forms a test host needs. Objects that
// the host owns on its stack answer reference counting without ever deleting themselves.

// The host application: the SDK's, under a name of our choosing.
class TestHostApplication : public Steinberg::Vst::HostApplication
{
public:
    explicit TestHostApplication(const char* name) : hostName(name) {}
    Steinberg::tresult PLUGIN_API getName(Steinberg::Vst::String128 name) override;

private:
    std::string hostName;
};

// One parameter's changes within a block.
class HostParamQueue final : public Steinberg::Vst::IParamValueQueue
{
public:
    explicit HostParamQueue(Steinberg::Vst::ParamID id) : paramId(id) {}

    Steinberg::Vst::ParamID PLUGIN_API getParameterId() override { return paramId; }
    Steinberg::int32 PLUGIN_API getPointCount() override { return static_cast<Steinberg::int32>(points.size()); }
    Steinberg::tresult PLUGIN_API getPoint(Steinberg::int32 index, Steinberg::int32& sampleOffset,
                                           Steinberg::Vst::ParamValue& value) override;
    Steinberg::tresult PLUGIN_API addPoint(Steinberg::int32 sampleOffset, Steinberg::Vst::ParamValue value,
                                           Steinberg::int32& index) override;

    Steinberg::tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) override;
    Steinberg::uint32 PLUGIN_API addRef() override { return 1; }
    Steinberg::uint32 PLUGIN_API release() override { return 1; }

private:
    Steinberg::Vst::ParamID paramId;
    std::vector<std::pair<Steinberg::int32, Steinberg::Vst::ParamValue>> points;
};

// The parameter changes of one block.
class HostParamChanges : public Steinberg::Vst::IParameterChanges
{
public:
    // Adds a point at offset to the queue of id, creating the queue.
    void Add(Steinberg::Vst::ParamID id, Steinberg::int32 offset, Steinberg::Vst::ParamValue value);
    // Adds a queue without points, which a plug-in must pass over.
    void AddEmptyQueue(Steinberg::Vst::ParamID id);
    void Clear() { queues.clear(); }

    Steinberg::int32 PLUGIN_API getParameterCount() override { return static_cast<Steinberg::int32>(queues.size()); }
    Steinberg::Vst::IParamValueQueue* PLUGIN_API getParameterData(Steinberg::int32 index) override;
    Steinberg::Vst::IParamValueQueue* PLUGIN_API addParameterData(const Steinberg::Vst::ParamID& id,
                                                                  Steinberg::int32& index) override;

    Steinberg::tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) override;
    Steinberg::uint32 PLUGIN_API addRef() override { return 1; }
    Steinberg::uint32 PLUGIN_API release() override { return 1; }

private:
    std::vector<std::unique_ptr<HostParamQueue>> queues;
};

// Records what the plug-in tells the host.
class RecordingComponentHandler : public Steinberg::Vst::IComponentHandler, public Steinberg::Vst::IComponentHandler3
{
public:
    struct Edit
    {
        char kind;  // 'b' begin, 'p' perform, 'e' end
        Steinberg::Vst::ParamID id;
        double value;
    };
    std::vector<Edit> edits;
    std::vector<Steinberg::int32> restarts;
    int contextMenus = 0;
    Steinberg::IPlugView* contextMenuView = nullptr;
    Steinberg::Vst::ParamID contextMenuParam = 0;

    Steinberg::tresult PLUGIN_API beginEdit(Steinberg::Vst::ParamID id) override;
    Steinberg::tresult PLUGIN_API performEdit(Steinberg::Vst::ParamID id, Steinberg::Vst::ParamValue value) override;
    Steinberg::tresult PLUGIN_API endEdit(Steinberg::Vst::ParamID id) override;
    Steinberg::tresult PLUGIN_API restartComponent(Steinberg::int32 flags) override;
    // Answers no menu; counts the request.
    Steinberg::Vst::IContextMenu* PLUGIN_API createContextMenu(Steinberg::IPlugView* view,
                                                               const Steinberg::Vst::ParamID* paramId) override;

    Steinberg::tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) override;
    Steinberg::uint32 PLUGIN_API addRef() override { return 1; }
    Steinberg::uint32 PLUGIN_API release() override { return 1; }
};
