#include "VST2Entry.h"

#include "IEffectAdapter.h"

#include <algorithm>
#include <memory>

namespace {

// Serialises instance creation across the process; created on first use, so that loading
// the module runs no constructor.
IRecursiveMutex& CreationLock()
{
    static IRecursiveMutex lock;
    return lock;
}

} // namespace

// The module's entry: one new plug-in instance for the calling host, or null. Exported as
// VSTPluginMain and, for older hosts, as main.
extern "C" AEffect* VSTPluginMain(audioMasterCallback host)
{
    try
    {
        ILockGuard lock(CreationLock());
        std::unique_ptr<IEffectVST2> instance(CreatePluginInstance(host));
        if (!instance)
            return nullptr;
        instance->FillEmptyPresets("Empty", instance->PresetCount());
        AEffect* effect = instance.release()->GetAEffect();
        effect->numPrograms = std::max(effect->numPrograms, 1);
        return effect;
    }
    catch (...)
    {
        return nullptr;
    }
}
