#pragma once

#include "IEffectVST2.h"
#include "RecordingEditor.h"
#include "RecordingHost.h"
#include "TestGainDelay.h"
#include "VST2Entry.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// A plug-in of any channel configuration, made directly rather than through the entry.
class ConfigurableEffect : public IEffectVST2
{
public:
    static IEffectConfig Config(const char* channels, bool midi, bool instrument)
    {
        return IEffectConfig{"Configurable", "", "Tessivane Audio", FourCharCode('T', 's', 't', 'C'),
                             FourCharCode('T', 's', 'v', 'n'), 0x00020301, channels, 3, 2, 100, 50,
                             instrument, midi, true};
    }
    explicit ConfigurableEffect(const char* channels, bool midi = false, bool instrument = false)
        : IEffectVST2(RecordingHost::Callback, Config(channels, midi, instrument))
    {
    }
    void OnHostKnown() override { ++hostKnown; }
    VstIntPtr Dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                       float opt = 0.0f)
    {
        return GetAEffect()->dispatcher(GetAEffect(), opcode, index, value, ptr, opt);
    }
    int hostKnown = 0;
};

// A test plug-in instance made through the module entry, driven through its AEffect.
class Vst2Test : public ::testing::Test
{
protected:
    Vst2Test() : effect(VSTPluginMain(RecordingHost::Callback)) {}
    ~Vst2Test() override
    {
        if (effect)
            Dispatch(effClose);
    }

    VstIntPtr Dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                       float opt = 0.0f)
    {
        return effect->dispatcher(effect, opcode, index, value, ptr, opt);
    }
    TestGainDelay& Plugin() { return *static_cast<TestGainDelay*>(IEffectVST2::FromAEffect(effect)); }
    double Value(int32_t index) { return Plugin().Parameter(index)->Value(); }
    std::string Text(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, float opt = 0.0f)
    {
        char buffer[256] = "";
        Dispatch(opcode, index, value, buffer, opt);
        return buffer;
    }

    RecordingHost host;
    AEffect* effect;
};
