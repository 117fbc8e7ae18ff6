#include "HostObjects.h"

#include "pluginterfaces/base/ustring.h"

using namespace Steinberg;
using namespace Steinberg::Vst;

tresult PLUGIN_API TestHostApplication::getName(String128 name)
{
    UString(name, 128).fromAscii(hostName.c_str());
    return kResultOk;
}

// ---- HostParamQueue ---------------------------------------------------------------------------

tresult PLUGIN_API HostParamQueue::getPoint(int32 index, int32& sampleOffset, ParamValue& value)
{
    if (index < 0 || index >= getPointCount())
        return kInvalidArgument;
    sampleOffset = points[static_cast<size_t>(index)].first;
    value = points[static_cast<size_t>(index)].second;
    return kResultOk;
}

tresult PLUGIN_API HostParamQueue::addPoint(int32 sampleOffset, ParamValue value, int32& index)
{
    points.emplace_back(sampleOffset, value);
    index = getPointCount() - 1;
    return kResultOk;
}

tresult PLUGIN_API HostParamQueue::queryInterface(const TUID iid, void** obj)
{
    QUERY_INTERFACE(iid, obj, FUnknown::iid, IParamValueQueue)
    QUERY_INTERFACE(iid, obj, IParamValueQueue::iid, IParamValueQueue)
    *obj = nullptr;
    return kNoInterface;
}

// ---- HostParamChanges ---------------------------------------------------------------------------

void HostParamChanges::Add(ParamID id, int32 offset, ParamValue value)
{
    int32 index = 0;
    addParameterData(id, index)->addPoint(offset, value, index);
}

void HostParamChanges::AddEmptyQueue(ParamID id)
{
    queues.push_back(std::make_unique<HostParamQueue>(id));
}

IParamValueQueue* PLUGIN_API HostParamChanges::getParameterData(int32 index)
{
    if (index < 0 || index >= getParameterCount())
        return nullptr;
    return queues[static_cast<size_t>(index)].get();
}

IParamValueQueue* PLUGIN_API HostParamChanges::addParameterData(const ParamID& id, int32& index)
{
    for (size_t i = 0; i < queues.size(); ++i)
    {
        if (queues[i]->getParameterId() == id)
        {
            index = static_cast<int32>(i);
            return queues[i].get();
        }
    }
    queues.push_back(std::make_unique<HostParamQueue>(id));
    index = getParameterCount() - 1;
    return queues.back().get();
}

tresult PLUGIN_API HostParamChanges::queryInterface(const TUID iid, void** obj)
{
    QUERY_INTERFACE(iid, obj, FUnknown::iid, IParameterChanges)
    QUERY_INTERFACE(iid, obj, IParameterChanges::iid, IParameterChanges)
    *obj = nullptr;
    return kNoInterface;
}

// ---- RecordingComponentHandler ---------------------------------------------------------------------

tresult PLUGIN_API RecordingComponentHandler::beginEdit(ParamID id)
{
    edits.push_back({'b', id, 0.0});
    return kResultOk;
}

tresult PLUGIN_API RecordingComponentHandler::performEdit(ParamID id, ParamValue value)
{
    edits.push_back({'p', id, value});
    return kResultOk;
}

tresult PLUGIN_API RecordingComponentHandler::endEdit(ParamID id)
{
    edits.push_back({'e', id, 0.0});
    return kResultOk;
}

tresult PLUGIN_API RecordingComponentHandler::restartComponent(int32 flags)
{
    restarts.push_back(flags);
    return kResultOk;
}

IContextMenu* PLUGIN_API RecordingComponentHandler::createContextMenu(IPlugView* view, const ParamID* paramId)
{
    ++contextMenus;
    contextMenuView = view;
    contextMenuParam = paramId ? *paramId : 0;
    return nullptr;
}

tresult PLUGIN_API RecordingComponentHandler::queryInterface(const TUID iid, void** obj)
{
    QUERY_INTERFACE(iid, obj, FUnknown::iid, IComponentHandler)
    QUERY_INTERFACE(iid, obj, IComponentHandler::iid, IComponentHandler)
    QUERY_INTERFACE(iid, obj, IComponentHandler3::iid, IComponentHandler3)
    *obj = nullptr;
    return kNoInterface;
}
