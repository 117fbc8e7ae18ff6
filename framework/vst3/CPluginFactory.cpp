#include "CPluginFactory.h"

#include <cstring>
#include <new>

using namespace Steinberg;

CPluginFactory::CPluginFactory(const PFactoryInfo& info) : factoryInfo(info)
{
}

CPluginFactory::~CPluginFactory()
{
    if (destroyed)
        destroyed(this);
}

bool CPluginFactory::AddClass(const PClassInfo2& info, CreateFunction create, void* context)
{
    try
    {
        classes.push_back({info, create, context});
        return true;
    }
    catch (const std::bad_alloc&)
    {
        return false;
    }
}

const CPluginFactory::ClassEntry* CPluginFactory::Entry(int32 index) const
{
    if (index < 0 || index >= static_cast<int32>(classes.size()))
        return nullptr;
    return &classes[static_cast<size_t>(index)];
}

tresult PLUGIN_API CPluginFactory::getFactoryInfo(PFactoryInfo* info)
{
    if (!info)
        return kInvalidArgument;
    *info = factoryInfo;
    return kResultOk;
}

int32 PLUGIN_API CPluginFactory::countClasses()
{
    return static_cast<int32>(classes.size());
}

tresult PLUGIN_API CPluginFactory::getClassInfo(int32 index, PClassInfo* info)
{
    const ClassEntry* entry = Entry(index);
    if (!info || !entry)
        return kInvalidArgument;
    *info = PClassInfo(entry->info.cid, entry->info.cardinality, entry->info.category, entry->info.name);
    return kResultOk;
}

tresult PLUGIN_API CPluginFactory::getClassInfo2(int32 index, PClassInfo2* info)
{
    const ClassEntry* entry = Entry(index);
    if (!info || !entry)
        return kInvalidArgument;
    *info = entry->info;
    return kResultOk;
}

tresult PLUGIN_API CPluginFactory::getClassInfoUnicode(int32 index, PClassInfoW* info)
{
    const ClassEntry* entry = Entry(index);
    if (!info || !entry)
        return kInvalidArgument;
    *info = PClassInfoW();
    info->fromAscii(entry->info);
    return kResultOk;
}

tresult PLUGIN_API CPluginFactory::createInstance(FIDString cid, FIDString iid, void** obj)
{
    if (!obj)
        return kInvalidArgument;
    *obj = nullptr;
    if (!cid || !iid)
        return kInvalidArgument;
    for (const ClassEntry& entry : classes)
    {
        if (memcmp(entry.info.cid, cid, sizeof(TUID)) != 0)
            continue;
        FUnknown* instance = nullptr;
        try
        {
            instance = entry.create(entry.context);
        }
        catch (...)
        {
            instance = nullptr;
        }
        if (!instance)
            return kOutOfMemory;
        // The host's reference comes from the query; the creation reference goes.
        const tresult result = instance->queryInterface(iid, obj);
        instance->release();
        if (result != kResultOk)
            *obj = nullptr;
        return result;
    }
    return kNoInterface;
}

tresult PLUGIN_API CPluginFactory::setHostContext(FUnknown*)
{
    // Instances learn about their host when they are initialised; the factory needs nothing.
    return kNotImplemented;
}
