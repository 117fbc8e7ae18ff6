#include "Vst2HostSupport.h"

#include <cstring>

std::unique_ptr<PluginModule> HostTest::module;

std::string ModulePath()
{
    return TESSIVANE_VST2_MODULE;
}

void HostTest::SetUpTestSuite()
{
    module = std::make_unique<PluginModule>(ModulePath());
}

void HostTest::TearDownTestSuite()
{
    module.reset();
}

PluginEntry HostTest::Entry()
{
    return module ? reinterpret_cast<PluginEntry>(module->Symbol("VSTPluginMain")) : nullptr;
}

HostTest::HostTest()
{
    if (Entry())
        effect = Create();
    reference.reset(CreatePluginInstance(nullptr));
    reference->FillEmptyPresets("Empty", reference->PresetCount());
}

void HostTest::SetUp()
{
    ASSERT_NE(effect, nullptr) << "no plug-in from " << ModulePath();
}

HostTest::~HostTest()
{
    if (effect)
        Dispatch(effClose);
}

AEffect* HostTest::Create()
{
    return Entry()(RecordingHost::Callback);
}

VstIntPtr HostTest::Dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt)
{
    return effect->dispatcher(effect, opcode, index, value, ptr, opt);
}

std::string HostTest::Text(VstInt32 opcode, VstInt32 index, VstIntPtr value, float opt)
{
    char buffer[512];
    memset(buffer, 0, sizeof buffer);
    Dispatch(opcode, index, value, buffer, opt);
    return buffer;
}

std::vector<uint8_t> HostTest::GetChunk(VstInt32 index)
{
    void* data = nullptr;
    const VstIntPtr size = Dispatch(effGetChunk, index, 0, &data);
    if (size <= 0 || !data)
        return {};
    const auto* bytes = static_cast<const uint8_t*>(data);
    return std::vector<uint8_t>(bytes, bytes + size);
}

VstIntPtr HostTest::SetChunk(VstInt32 index, std::vector<uint8_t> bytes)
{
    return Dispatch(effSetChunk, index, static_cast<VstIntPtr>(bytes.size()), bytes.data());
}

std::vector<float> HostTest::HostValues()
{
    std::vector<float> v;
    for (VstInt32 i = 0; i < effect->numParams; ++i)
        v.push_back(effect->getParameter(effect, i));
    return v;
}

std::vector<float> HostTest::ReferenceValues()
{
    std::vector<float> v;
    for (int32_t i = 0; i < reference->ParameterCount(); ++i)
    {
        const IParamEntry* p = reference->Parameter(i);
        v.push_back(static_cast<float>(p->ToNormalized(p->Value())));
    }
    return v;
}

std::vector<float> SomeNormalizedValues(int count, uint32_t seed)
{
    std::vector<float> values;
    uint32_t state = seed;
    for (int i = 0; i < count; ++i)
    {
        state = state * 1664525u + 1013904223u;
        values.push_back(static_cast<float>(state >> 8) / static_cast<float>(1u << 24));
    }
    return values;
}
