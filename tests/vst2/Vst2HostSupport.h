#pragma once

// Support for the test host: the plug-in module loaded as a host loads it, instances made
// through its entry, and the same plug-in built against the offline adapter as the oracle
// the module's answers and audio are compared with.

#include "IEffectAdapter.h"  // the offline adapter: the host links the offline build
#include "PluginModule.h"
#include "RecordingHost.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using PluginEntry = AEffect* (*)(audioMasterCallback);

// The module under test, as the build passes it.
std::string ModulePath();

// Every test suite loads the module afresh and unloads it at its end.
class HostTest : public ::testing::Test
{
public:
    static void SetUpTestSuite();
    static void TearDownTestSuite();

protected:
    HostTest();
    ~HostTest() override;
    void SetUp() override;

    static PluginEntry Entry();
    AEffect* Create();
    VstIntPtr Dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                       float opt = 0.0f);
    std::string Text(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, float opt = 0.0f);
    std::vector<uint8_t> GetChunk(VstInt32 index);
    VstIntPtr SetChunk(VstInt32 index, std::vector<uint8_t> bytes);
    // The parameter values as the host sees them.
    std::vector<float> HostValues();
    // What the oracle holds, seen the same way.
    std::vector<float> ReferenceValues();

    static std::unique_ptr<PluginModule> module;
    RecordingHost host;
    AEffect* effect = nullptr;
    // The oracle, filled as the module's entry fills a new instance.
    std::unique_ptr<IEffectAdapter> reference;
};

// Normalised values in 0..1 from a fixed sequence.
std::vector<float> SomeNormalizedValues(int count, uint32_t seed);
