// The entry points of a VST3 plug-in module: the host calls InitDll after loading the module,
// GetPluginFactory to learn about the plug-in and create instances, and ExitDll before
// unloading it.

#include "CPluginFactory.h"
#include "IEffectAdapter.h"

#include "pluginterfaces/vst/ivstaudioprocessor.h"
#include "pluginterfaces/vst/ivstcomponent.h"

#include <cstdio>
#include <cstring>
#include <new>

using namespace Steinberg;

namespace {

constexpr char kFactoryUrl[] = "https://www.tessivane.com";
constexpr char kFactoryEmail[] = "support@tessivane.com";
constexpr char kSdkVersion[] = "VST 3.6.10";
constexpr uint32 kSimpleModeSupported = Vst::kSimpleModeSupported;
// The class id: these eight bytes, then the maker id and the unique id, each first character
// first.
constexpr unsigned char kClassIdPrefix[8] = {0x0D, 0xE7, 0xAE, 0xF2, 0xDE, 0x00, 0x4E, 0x4F};

// Serialises instance creation and the factory's birth and death across the process.
IRecursiveMutex& CreationLock()
{
    static IRecursiveMutex lock;
    return lock;
}

CPluginFactory* moduleFactory = nullptr;  // holds the module's own reference

void PutFourChars(int32_t code, char8* dest)
{
    for (int i = 0; i < 4; ++i)
        dest[i] = static_cast<char8>((static_cast<uint32_t>(code) >> (24 - 8 * i)) & 0xFF);
}

PClassInfo2 EffectClassInfo(const IEffectConfig& config)
{
    TUID cid;
    memcpy(cid, kClassIdPrefix, sizeof kClassIdPrefix);
    PutFourChars(config.makerId, cid + 8);
    PutFourChars(config.uniqueId, cid + 12);
    char version[32];
    snprintf(version, sizeof version, "%d.%d.%d", (config.version >> 16) & 0xFFFF, (config.version >> 8) & 0xFF,
             config.version & 0xFF);
    return PClassInfo2(cid, PClassInfo::kManyInstances, kVstAudioEffectClass, config.effectName,
                       kSimpleModeSupported, Vst::PlugType::kFx, "", version, kSdkVersion);
}

FUnknown* CreateEffect(void*)
{
    ILockGuard lock(CreationLock());
    IEffectAdapter* effect = CreatePluginInstance(nullptr);
    return effect ? static_cast<Vst::IAudioProcessor*>(effect) : nullptr;
}

void ForgetFactory(CPluginFactory* dying)
{
    ILockGuard lock(CreationLock());
    if (moduleFactory == dying)
        moduleFactory = nullptr;
}

CPluginFactory* MakeFactory()
{
    const IEffectConfig& config = PluginConfig();
    auto* factory = new (std::nothrow) CPluginFactory(
        PFactoryInfo(config.makerName, kFactoryUrl, kFactoryEmail, PFactoryInfo::kUnicode));
    if (!factory)
        return nullptr;
    if (!factory->AddClass(EffectClassInfo(config), CreateEffect))
    {
        factory->release();
        return nullptr;
    }
    factory->SetOnDestroy(ForgetFactory);
    return factory;
}

} // namespace

extern "C" {

SMTG_EXPORT_SYMBOL bool PLUGIN_API InitDll()
{
    // Nothing to set up: the module finds its own handle on first use.
    return true;
}

SMTG_EXPORT_SYMBOL bool PLUGIN_API ExitDll()
{
    // The module lets go of its factory, which lives on while the host still holds it.
    ILockGuard lock(CreationLock());
    CPluginFactory* factory = moduleFactory;
    moduleFactory = nullptr;
    if (factory)
        factory->release();
    return true;
}

SMTG_EXPORT_SYMBOL IPluginFactory* PLUGIN_API GetPluginFactory()
{
    ILockGuard lock(CreationLock());
    if (!moduleFactory)
        moduleFactory = MakeFactory();
    if (!moduleFactory)
        return nullptr;
    moduleFactory->addRef();  // the caller's reference
    return moduleFactory;
}

} // extern "C"
