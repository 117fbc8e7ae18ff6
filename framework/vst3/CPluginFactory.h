#pragma once

#include "base/source/fobject.h"
#include "pluginterfaces/base/ipluginbase.h"

#include <vector>

// The module's class factory: tells the host who made the module and which classes it offers,
// in the plain, extended and Unicode forms, and creates instances of them.
class CPluginFactory : public Steinberg::FObject, public Steinberg::IPluginFactory3
{
public:
    // Creates a new instance holding one reference, or null.
    using CreateFunction = Steinberg::FUnknown* (*)(void* context);

    explicit CPluginFactory(const Steinberg::PFactoryInfo& info);
    ~CPluginFactory() override;

    // Adds a class; false when memory runs out.
    bool AddClass(const Steinberg::PClassInfo2& info, CreateFunction create, void* context = nullptr);

    // Called with the factory when it is destroyed, so that the module forgets it.
    void SetOnDestroy(void (*onDestroy)(CPluginFactory*)) { destroyed = onDestroy; }

    // ---- IPluginFactory -----------------------------------------------------------------------
    Steinberg::tresult PLUGIN_API getFactoryInfo(Steinberg::PFactoryInfo* info) override;
    Steinberg::int32 PLUGIN_API countClasses() override;
    Steinberg::tresult PLUGIN_API getClassInfo(Steinberg::int32 index, Steinberg::PClassInfo* info) override;
    Steinberg::tresult PLUGIN_API createInstance(Steinberg::FIDString cid, Steinberg::FIDString iid,
                                                 void** obj) override;
    // ---- IPluginFactory2 ----------------------------------------------------------------------
    Steinberg::tresult PLUGIN_API getClassInfo2(Steinberg::int32 index, Steinberg::PClassInfo2* info) override;
    // ---- IPluginFactory3 ----------------------------------------------------------------------
    Steinberg::tresult PLUGIN_API getClassInfoUnicode(Steinberg::int32 index, Steinberg::PClassInfoW* info) override;
    Steinberg::tresult PLUGIN_API setHostContext(Steinberg::FUnknown* context) override;

    OBJ_METHODS(CPluginFactory, FObject)
    DEFINE_INTERFACES
        DEF_INTERFACE(Steinberg::IPluginFactory)
        DEF_INTERFACE(Steinberg::IPluginFactory2)
        DEF_INTERFACE(Steinberg::IPluginFactory3)
    END_DEFINE_INTERFACES(FObject)
    REFCOUNT_METHODS(FObject)

private:
    struct ClassEntry
    {
        Steinberg::PClassInfo2 info;
        CreateFunction create;
        void* context;
    };
    const ClassEntry* Entry(Steinberg::int32 index) const;

    Steinberg::PFactoryInfo factoryInfo;
    std::vector<ClassEntry> classes;
    void (*destroyed)(CPluginFactory*) = nullptr;
};
