// A VST 2.4 host for the plug-in module: loads it as a host does, drives every opcode and
// callback through the exported entry, and compares answers, state and audio with the same
// plug-in built against the offline adapter.

#include "Vst2HostSupport.h"

#include "ITextCopy.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <set>

namespace {

const uint8_t kHeader[8] = {0x74, 0x66, 0x66, 0x70, 0x00, 0x00, 0x01, 0x00};
// The most a parameter name takes: hosts offer at least this much for names.
constexpr size_t kNameBytes = 32;

VstInt32 DecimalVersion(int32_t v)
{
    return ((v >> 16) & 0xFFFF) * 10000 + ((v >> 8) & 0xFF) * 100 + (v & 0xFF);
}

std::string Cut(const char* text, size_t capacity)
{
    return std::string(text, strnlen(text, capacity - 1));
}

std::vector<uint8_t> Bytes(const IStateChunk& chunk)
{
    return std::vector<uint8_t>(chunk.Data(), chunk.Data() + chunk.Size());
}

IStateChunk ChunkOf(const std::vector<uint8_t>& bytes)
{
    IStateChunk chunk;
    chunk.PutBytes(bytes.data(), static_cast<int32_t>(bytes.size()));
    return chunk;
}

} // namespace

// ---- The module and the AEffect -------------------------------------------------------------

TEST_F(HostTest, ModuleExportsItsEntry)
{
    ASSERT_TRUE(module->Loaded()) << ModulePath();
    for (const std::string& name : PluginModule::EntryNames())
        EXPECT_EQ(module->Symbol(name.c_str()), module->Symbol("VSTPluginMain")) << name;
    ASSERT_NE(effect, nullptr);
}

TEST_F(HostTest, AEffectAsTheHostFindsIt)
{
    ASSERT_NE(effect, nullptr);
    const IEffectConfig& config = PluginConfig();
    EXPECT_EQ(effect->magic, 0x56737450);
    EXPECT_EQ(effect->numPrograms, std::max(reference->PresetCount(), 1));
    EXPECT_EQ(effect->numParams, reference->ParameterCount());
    EXPECT_EQ(effect->numInputs, reference->InputCount());
    EXPECT_EQ(effect->numOutputs, reference->OutputCount());
    VstInt32 flags = 0x10 | 0x1000;
    if (config.doesStateChunks)
        flags |= 0x20;
    if (reference->LegalIO(1, -1))
        flags |= 8;
    EXPECT_EQ(effect->flags & ~1, flags);
    EXPECT_EQ(effect->initialDelay, reference->Latency());
    EXPECT_EQ(effect->ioRatio, 1.0f);
    EXPECT_NE(effect->object, nullptr);
    EXPECT_EQ(effect->uniqueID, config.uniqueId);
    EXPECT_EQ(effect->version, DecimalVersion(config.version));
    EXPECT_NE(effect->processReplacing, nullptr);
    EXPECT_NE(effect->processDoubleReplacing, nullptr);
    EXPECT_NE(effect->process, nullptr);

    // The editor flag and the editor rectangle agree, and both follow the plug-in.
    ERect* rect = nullptr;
    const VstIntPtr hasRect = Dispatch(effEditGetRect, 0, 0, &rect);
    EXPECT_EQ(hasRect, effect->flags & 1);
    EXPECT_EQ(hasRect != 0, reference->Editor() != nullptr);
    if (hasRect)
    {
        ASSERT_NE(rect, nullptr);
        EXPECT_EQ(rect->top, 0);
        EXPECT_EQ(rect->left, 0);
        EXPECT_EQ(rect->right, config.editorWidth);
        EXPECT_EQ(rect->bottom, config.editorHeight);
    }
    else
    {
        EXPECT_EQ(Dispatch(effEditOpen, 0, 0, &rect), 0);
        EXPECT_EQ(Dispatch(effEditClose), 0);
    }
}

TEST_F(HostTest, FixedAnswers)
{
    const IEffectConfig& config = PluginConfig();
    EXPECT_EQ(Dispatch(effIdentify), 0x4E764566);
    EXPECT_EQ(Dispatch(effGetVstVersion), 2400);
    EXPECT_EQ(Dispatch(effGetVendorVersion), DecimalVersion(config.version));
    EXPECT_EQ(Dispatch(effGetPlugCategory), config.isInstrument ? 2 : 1);
    EXPECT_EQ(Dispatch(effGetTailSize), reference->TailSize());
    EXPECT_EQ(Dispatch(effCanBeAutomated, 0), 1);
    EXPECT_EQ(Dispatch(effGetProgram), 0);
    EXPECT_EQ(Dispatch(effSetBypass, 0, 1), 0);

    char receive[] = "receiveVstTimeInfo";
    EXPECT_EQ(Dispatch(effCanDo, 0, 0, receive), 1);
    for (std::string text : {"sendVstEvents", "sendVstMidiEvent", "receiveVstEvents", "receiveVstMidiEvent"})
        EXPECT_EQ(Dispatch(effCanDo, 0, 0, &text[0]), config.doesMidi ? 1 : 0) << text;
    for (std::string text : {"", "bypass", "offline", "plugAsChannelInsert", "MPE"})
        EXPECT_EQ(Dispatch(effCanDo, 0, 0, &text[0]), 0) << text;
    EXPECT_EQ(Dispatch(effCanDo), 0);

    char name[kVstMaxEffectNameLen + 16];
    memset(name, 0x5A, sizeof name);
    EXPECT_EQ(Dispatch(effGetEffectName, 0, 0, name), 1);
    EXPECT_EQ(std::string(name), Cut(config.effectName, kVstMaxEffectNameLen));
    EXPECT_EQ(name[kVstMaxEffectNameLen], 0x5A);
    EXPECT_EQ(Dispatch(effGetVendorString, 0, 0, name), 1);
    EXPECT_EQ(std::string(name), Cut(config.makerName, kVstMaxVendorStrLen));
    EXPECT_EQ(Dispatch(effGetProductString, 0, 0, name), 1);
    EXPECT_EQ(std::string(name), Cut(config.productName, kVstMaxProductStrLen));
}

TEST_F(HostTest, OpcodesOutsideTheTableAnswerZero)
{
    const std::set<VstInt32> answered = {0,  1,  2,  3,  4,  5,  6,  7,  8,  10, 11, 12, 13, 14, 15, 22, 23, 24,
                                         25, 26, 27, 29, 33, 34, 35, 42, 45, 47, 48, 49, 50, 51, 52, 58, 66, 69};
    char buffer[1024];
    memset(buffer, 0x33, sizeof buffer);
    for (VstInt32 opcode = -4; opcode < 160; ++opcode)
        if (!answered.count(opcode))
        {
            EXPECT_EQ(Dispatch(opcode, 1, 1, buffer, 1.0f), 0) << opcode;
            EXPECT_EQ(Dispatch(opcode), 0) << opcode;
        }
    for (char c : buffer)
        ASSERT_EQ(c, 0x33);
    EXPECT_EQ(Dispatch(effIdentify), 0x4E764566);
}

TEST_F(HostTest, ProgramNames)
{
    EXPECT_EQ(Text(effGetProgramName), Cut(reference->Preset(0)->name, kVstMaxProgNameLen));
    char name[kVstMaxProgNameLen] = "";
    const VstIntPtr named = Dispatch(effGetProgramNameIndexed, 0, 0, name);
    EXPECT_EQ(named, name[0] ? 1 : 0);
    EXPECT_EQ(std::string(name), Cut(reference->Preset(0)->name, kVstMaxProgNameLen));
    EXPECT_EQ(Dispatch(effGetProgramNameIndexed, effect->numPrograms, 0, name), 0);
    EXPECT_STREQ(name, "");

    std::string longName = "A program name far longer than the host buffer";
    Dispatch(effSetProgramName, 0, 0, &longName[0]);
    char guarded[kVstMaxProgNameLen + 8];
    memset(guarded, 0x5A, sizeof guarded);
    Dispatch(effGetProgramName, 0, 0, guarded);
    EXPECT_EQ(std::string(guarded), longName.substr(0, kVstMaxProgNameLen - 1));
    EXPECT_EQ(guarded[kVstMaxProgNameLen], 0x5A);
}

// ---- Parameters -------------------------------------------------------------------------------

TEST_F(HostTest, ParameterTextsMatchThePlugin)
{
    const std::vector<float> values = SomeNormalizedValues(effect->numParams, 7);
    for (VstInt32 i = 0; i < effect->numParams; ++i)
    {
        effect->setParameter(effect, i, values[static_cast<size_t>(i)]);
        IParamEntry* p = reference->Parameter(i);
        p->SetFromNormalized(values[static_cast<size_t>(i)]);
        char display[kVstMaxParamStrLen];
        p->FormatValueText(p->Value(), false, display, sizeof display, true);

        // Names come whole ("Restore default" is 16 bytes), never beyond 32 bytes; labels and
        // display texts stay within the published 8.
        char text[kNameBytes + 24];
        for (VstInt32 opcode : {effGetParamName, effGetParamLabel, effGetParamDisplay})
        {
            memset(text, 0x5A, sizeof text);
            EXPECT_EQ(Dispatch(opcode, i, 0, text), 0);
            const std::string expected = opcode == effGetParamName    ? std::string(p->Name())
                                         : opcode == effGetParamLabel ? Cut(p->LabelForHost(), kVstMaxParamStrLen)
                                                                      : std::string(display);
            const size_t limit = opcode == effGetParamName ? kNameBytes : kVstMaxParamStrLen;
            EXPECT_EQ(std::string(text), expected) << "opcode " << opcode << " parameter " << i;
            EXPECT_EQ(text[limit], 0x5A) << "opcode " << opcode << " parameter " << i;
        }
    }
    char text[64];
    memset(text, 0x5A, sizeof text);
    for (VstInt32 opcode : {effGetParamName, effGetParamLabel, effGetParamDisplay})
        for (VstInt32 index : {-1, effect->numParams, 100000})
            EXPECT_EQ(Dispatch(opcode, index, 0, text), 0);
    EXPECT_EQ(text[0], 0x5A);
}

TEST_F(HostTest, VendorSpecificQueries)
{
    for (VstInt32 i = 0; i < effect->numParams; ++i)
    {
        const IParamEntry* p = reference->Parameter(i);
        for (float n : {0.0f, 0.1f, 0.33333f, 0.5f, 0.999f, 1.0f})
        {
            char expected[kVstMaxParamStrLen];
            p->FormatValueText(n, true, expected, sizeof expected, true);
            char text[kVstMaxParamStrLen + 8];
            memset(text, 0x5A, sizeof text);
            EXPECT_EQ(Dispatch(effVendorSpecific, effGetParamDisplay, i, text, n), 0xbeef);
            EXPECT_STREQ(text, expected) << i << " " << n;
            EXPECT_EQ(text[kVstMaxParamStrLen], 0x5A);
        }
        EXPECT_EQ(Dispatch(effVendorSpecific, effGetParamName, i), p->Kind() != kParamDouble ? 0xbeef : 0);
    }
    char text[16] = "untouched";
    EXPECT_EQ(Dispatch(effVendorSpecific, effGetParamDisplay, effect->numParams, text, 0.5f), 0xbeef);
    EXPECT_STREQ(text, "untouched");
    EXPECT_EQ(Dispatch(effVendorSpecific, effGetParamDisplay, 0, nullptr, 0.5f), 0);
    EXPECT_EQ(Dispatch(effVendorSpecific, effGetParamName, -1), 0);
    EXPECT_EQ(Dispatch(effVendorSpecific, 9, 0, text), 0);
}

TEST_F(HostTest, SetAndGetParameter)
{
    const std::vector<float> values = SomeNormalizedValues(effect->numParams, 11);
    for (VstInt32 i = 0; i < effect->numParams; ++i)
    {
        effect->setParameter(effect, i, values[static_cast<size_t>(i)]);
        reference->Parameter(i)->SetFromNormalized(values[static_cast<size_t>(i)]);
    }
    EXPECT_EQ(HostValues(), ReferenceValues());
    for (VstInt32 index : {-1, effect->numParams, std::numeric_limits<VstInt32>::max()})
    {
        effect->setParameter(effect, index, 0.5f);
        EXPECT_EQ(effect->getParameter(effect, index), 0.0f);
    }
    EXPECT_EQ(HostValues(), ReferenceValues());
}

TEST_F(HostTest, StringToParameter)
{
    for (VstInt32 i = 0; i < effect->numParams; ++i)
    {
        IParamEntry* p = reference->Parameter(i);
        std::string text = "0.25";
        double expected = p->Clamp(p->NegateDisplay() ? -0.25 : 0.25);
        if (p->DisplayTextCount() > 0)
        {
            text = p->DisplayTextAt(0).text;
            expected = p->Clamp(p->DisplayTextAt(0).value);
        }
        EXPECT_EQ(Dispatch(effString2Parameter, i, 0, &text[0]), 1) << i;
        p->SetValueClamped(expected);
        EXPECT_EQ(effect->getParameter(effect, i), ReferenceValues()[static_cast<size_t>(i)]) << i;

        std::string garbage = "no number";
        EXPECT_EQ(Dispatch(effString2Parameter, i, 0, &garbage[0]), 0) << i;
        EXPECT_EQ(Dispatch(effString2Parameter, i), 1) << i;
        EXPECT_EQ(effect->getParameter(effect, i), ReferenceValues()[static_cast<size_t>(i)]) << i;

        // A number too large for a double is still a number: it clamps to the end it points at.
        if (p->DisplayTextCount() > 0)
            continue;
        for (std::string huge : {"1e999", "-1e999"})
        {
            EXPECT_EQ(Dispatch(effString2Parameter, i, 0, &huge[0]), 1) << i << " " << huge;
            const bool towardsMax = (huge[0] == '-') == p->NegateDisplay();
            p->SetValueClamped(towardsMax ? p->Max() : p->Min());
            EXPECT_EQ(effect->getParameter(effect, i), ReferenceValues()[static_cast<size_t>(i)]) << i << " " << huge;
        }
    }
    std::string text = "0.5";
    EXPECT_EQ(Dispatch(effString2Parameter, effect->numParams, 0, &text[0]), 0);
    EXPECT_EQ(Dispatch(effString2Parameter, -1, 0, &text[0]), 0);
}

// ---- Channels ---------------------------------------------------------------------------------

TEST_F(HostTest, PinProperties)
{
    for (bool input : {true, false})
    {
        const VstInt32 opcode = input ? effGetInputProperties : effGetOutputProperties;
        const VstInt32 count = input ? effect->numInputs : effect->numOutputs;
        for (VstInt32 i = 0; i < count; ++i)
        {
            VstPinProperties pin;
            memset(&pin, 0x5A, sizeof pin);
            ASSERT_EQ(Dispatch(opcode, i, 0, &pin), 1);
            EXPECT_EQ(pin.flags, i % 2 == 0 && i < count - 1 ? 3 : 1) << i;
            EXPECT_EQ(std::string(pin.label), (input ? "Input " : "Output ") + std::to_string(i + 1));
            EXPECT_TRUE(memchr(pin.shortLabel, 0, sizeof pin.shortLabel));
        }
        VstPinProperties pin{};
        EXPECT_EQ(Dispatch(opcode, count, 0, &pin), 0);
        EXPECT_EQ(Dispatch(opcode, -1, 0, &pin), 0);
        EXPECT_EQ(Dispatch(opcode, 0), 0);
    }
}

TEST_F(HostTest, SpeakerArrangements)
{
    VstSpeakerArrangement* in = nullptr;
    VstSpeakerArrangement* out = nullptr;
    ASSERT_EQ(Dispatch(effGetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&in), &out), 1);
    ASSERT_TRUE(in && out);
    EXPECT_EQ(in->numChannels, effect->numInputs);
    EXPECT_EQ(out->numChannels, effect->numOutputs);
    EXPECT_EQ(in->type, effect->numInputs == 2 ? kSpeakerArrStereo : in->type);
    EXPECT_EQ(out->type, effect->numOutputs == 2 ? kSpeakerArrStereo : out->type);

    VstSpeakerArrangement mono{};
    mono.type = kSpeakerArrMono;
    mono.numChannels = 1;
    EXPECT_EQ(Dispatch(effSetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&mono), &mono), 1);
    EXPECT_EQ(Dispatch(effSetSpeakerArrangement, 0, 0, nullptr), 1);
    EXPECT_EQ(Dispatch(effGetSpeakerArrangement), 1);
}

// ---- Host identification ------------------------------------------------------------------------

TEST_F(HostTest, HostIsAskedOnceAtOpen)
{
    EXPECT_EQ(host.Count(audioMasterGetProductString), 0);
    Dispatch(effOpen);
    Dispatch(effOpen);
    Dispatch(effGetProgram);
    EXPECT_EQ(host.Count(audioMasterGetProductString), 1);
    EXPECT_EQ(host.Count(audioMasterGetVendorVersion), 1);

    RecordingHost silent;
    silent.productString = "";
    AEffect* second = Create();
    second->dispatcher(second, effOpen, 0, 0, nullptr, 0.0f);
    second->dispatcher(second, effOpen, 0, 0, nullptr, 0.0f);
    EXPECT_EQ(silent.Count(audioMasterGetProductString), 1);
    EXPECT_EQ(silent.Count(audioMasterGetVendorVersion), 0);
    second->dispatcher(second, effClose, 0, 0, nullptr, 0.0f);
}

// ---- State ------------------------------------------------------------------------------------

class HostChunkTest : public HostTest
{
protected:
    // Sets the same values in the module and the oracle.
    void SetValues(uint32_t seed)
    {
        const std::vector<float> values = SomeNormalizedValues(effect->numParams, seed);
        for (VstInt32 i = 0; i < effect->numParams; ++i)
        {
            effect->setParameter(effect, i, values[static_cast<size_t>(i)]);
            reference->Parameter(i)->SetFromNormalized(values[static_cast<size_t>(i)]);
            reference->OnParameterChanged(i);
        }
    }
    std::vector<uint8_t> ReferenceProgram()
    {
        IStateChunk chunk;
        IEffectBase::InitChunkHeader(chunk);
        reference->WriteState(chunk);
        return Bytes(chunk);
    }
    std::vector<uint8_t> ReferenceBank()
    {
        IStateChunk chunk;
        IEffectBase::InitChunkHeader(chunk);
        reference->ModifyCurrentPreset(nullptr);
        reference->SerializePresets(chunk);
        return Bytes(chunk);
    }
    size_t StateBytes() const { return 8u * static_cast<size_t>(effect->numParams); }
};

TEST_F(HostChunkTest, ProgramChunk)
{
    SetValues(3);
    const std::vector<uint8_t> chunk = GetChunk(1);
    ASSERT_EQ(chunk.size(), 8 + StateBytes());
    EXPECT_TRUE(std::equal(kHeader, kHeader + 8, chunk.begin()));
    EXPECT_EQ(chunk, ReferenceProgram());
}

TEST_F(HostChunkTest, BankChunk)
{
    SetValues(4);
    const std::vector<uint8_t> chunk = GetChunk(0);
    ASSERT_GE(chunk.size(), 8u);
    EXPECT_TRUE(std::equal(kHeader, kHeader + 8, chunk.begin()));
    EXPECT_EQ(chunk, ReferenceBank());
}

TEST_F(HostChunkTest, RoundTrips)
{
    SetValues(5);
    const std::vector<float> saved = HostValues();
    const std::vector<uint8_t> program = GetChunk(1);
    const std::vector<uint8_t> bank = GetChunk(0);

    SetValues(6);
    ASSERT_NE(HostValues(), saved);
    EXPECT_EQ(SetChunk(1, program), 1);
    EXPECT_EQ(HostValues(), saved);
    EXPECT_EQ(GetChunk(1), program);

    SetValues(7);
    std::string other = "Other";
    Dispatch(effSetProgramName, 0, 0, &other[0]);
    EXPECT_EQ(SetChunk(0, bank), 1);
    EXPECT_EQ(HostValues(), saved);
    EXPECT_EQ(Text(effGetProgramName), Cut(reference->Preset(0)->name, kVstMaxProgNameLen));
    EXPECT_EQ(GetChunk(0), bank);
}

TEST_F(HostChunkTest, ChunksWithoutHeaderOrWithAnOlderVersionAreReadAsAProgram)
{
    SetValues(8);
    const std::vector<uint8_t> program = GetChunk(1);
    const std::vector<float> saved = HostValues();
    const std::vector<uint8_t> bare(program.begin() + 8, program.end());
    std::vector<uint8_t> older = program;
    older[6] = 0;  // version 0x00000000

    const std::vector<uint8_t>* chunks[] = {&bare, &older};
    for (VstInt32 index : {1, 0})
        for (const std::vector<uint8_t>* chunk : chunks)
        {
            SetValues(9);
            EXPECT_EQ(SetChunk(index, *chunk), 1) << index;
            EXPECT_EQ(HostValues(), saved) << index;
        }
}

TEST_F(HostChunkTest, ProgramChunkSentAsABank)
{
    // Program and bank chunks carry the same header, so the module reads this one as a bank,
    // exactly as the framework's bank reader does.
    SetValues(10);
    GetChunk(0);  // the current slot now holds the current values
    reference->ModifyCurrentPreset(nullptr);
    const std::vector<uint8_t> program = GetChunk(1);
    const int32_t pos = reference->UnserializePresets(ChunkOf(program), 8);
    EXPECT_EQ(SetChunk(0, program), pos >= 0 ? 1 : 0);
    EXPECT_EQ(HostValues(), ReferenceValues());
    EXPECT_EQ(Text(effGetProgramName), Cut(reference->Preset(0)->name, kVstMaxProgNameLen));
}

TEST_F(HostChunkTest, ShortChunksApplyWhatTheyHoldAndFail)
{
    SetValues(11);
    const std::vector<uint8_t> program = GetChunk(1);
    SetValues(12);
    std::vector<uint8_t> shortBare(program.begin() + 8, program.begin() + 8 + 40);
    EXPECT_EQ(SetChunk(1, shortBare), 0);
    EXPECT_LT(reference->ReadState(ChunkOf(shortBare), 0), 0);
    EXPECT_EQ(HostValues(), ReferenceValues());

    const std::vector<float> now = HostValues();
    EXPECT_EQ(SetChunk(1, std::vector<uint8_t>(kHeader, kHeader + 6)), 0);
    EXPECT_EQ(SetChunk(0, std::vector<uint8_t>(kHeader, kHeader + 6)), 0);
    EXPECT_EQ(HostValues(), now);

    std::vector<uint8_t> bank = GetChunk(0);
    bank.pop_back();
    EXPECT_EQ(SetChunk(0, bank), 0);
}

TEST_F(HostChunkTest, ProgramCutInsideAValueChangesOnlyTheWholeValuesAndNotThePreset)
{
    SetValues(15);
    const std::vector<float> stored = HostValues();
    const std::vector<uint8_t> program = GetChunk(1);
    GetChunk(0);  // stores the current values in the current slot
    SetValues(16);
    std::vector<float> expected = HostValues();
    expected[0] = stored[0];

    // The header, the first value and half of the second.
    const std::vector<uint8_t> cut(program.begin(), program.begin() + 20);
    EXPECT_EQ(SetChunk(1, cut), 0);
    EXPECT_EQ(HostValues(), expected);
    Dispatch(effSetProgram, 0, 0);
    EXPECT_EQ(HostValues(), stored);
}

TEST_F(HostChunkTest, UnusableChunkArgumentsChangeNothing)
{
    SetValues(13);
    const std::vector<float> before = HostValues();
    std::vector<uint8_t> program = GetChunk(1);
    for (VstInt32 index : {0, 1})
    {
        EXPECT_EQ(Dispatch(effSetChunk, index, static_cast<VstIntPtr>(program.size()), nullptr), 0);
        EXPECT_EQ(Dispatch(effSetChunk, index, 0, program.data()), 0);
        EXPECT_EQ(Dispatch(effSetChunk, index, -1, program.data()), 0);
        EXPECT_EQ(Dispatch(effSetChunk, index, std::numeric_limits<VstIntPtr>::min(), program.data()), 0);
        EXPECT_EQ(Dispatch(effSetChunk, index, std::numeric_limits<VstIntPtr>::max(), program.data()), 0);
        EXPECT_EQ(Dispatch(effGetChunk, index), 0);
    }
    EXPECT_EQ(HostValues(), before);

    // Handing back the module's own bytes works.
    void* data = nullptr;
    const VstIntPtr size = Dispatch(effGetChunk, 1, 0, &data);
    SetValues(14);
    EXPECT_EQ(Dispatch(effSetChunk, 1, size, data), 1);
    EXPECT_EQ(HostValues(), before);
}

// ---- Lifetime -----------------------------------------------------------------------------------

TEST_F(HostTest, ManyInstancesOpenAndClose)
{
    std::vector<float> left(256, 0.25f), right(256, -0.25f), outL(256), outR(256);
    float* ins[] = {left.data(), right.data()};
    float* outs[] = {outL.data(), outR.data()};
    for (int cycle = 0; cycle < 100; ++cycle)
    {
        AEffect* e = Create();
        ASSERT_NE(e, nullptr);
        e->dispatcher(e, effOpen, 0, 0, nullptr, 0.0f);
        e->dispatcher(e, effSetSampleRate, 0, 0, nullptr, 48000.0f);
        e->dispatcher(e, effSetBlockSize, 0, 256, nullptr, 0.0f);
        e->dispatcher(e, effMainsChanged, 0, 1, nullptr, 0.0f);
        e->processReplacing(e, ins, outs, 256);
        void* chunk = nullptr;
        e->dispatcher(e, effGetChunk, 0, 0, &chunk, 0.0f);
        e->dispatcher(e, effMainsChanged, 0, 0, nullptr, 0.0f);
        e->dispatcher(e, effClose, 0, 0, nullptr, 0.0f);
    }
}

TEST(HostModule, LoadsAndUnloadsRepeatedly)
{
    RecordingHost host;
    for (int cycle = 0; cycle < 5; ++cycle)
    {
        PluginModule module(ModulePath());
        ASSERT_TRUE(module.Loaded());
        auto entry = reinterpret_cast<PluginEntry>(module.Symbol("VSTPluginMain"));
        ASSERT_NE(entry, nullptr);
        AEffect* a = entry(RecordingHost::Callback);
        AEffect* b = entry(RecordingHost::Callback);
        ASSERT_TRUE(a && b);
        EXPECT_NE(a, b);
        a->dispatcher(a, effOpen, 0, 0, nullptr, 0.0f);
        b->dispatcher(b, effClose, 0, 0, nullptr, 0.0f);
        a->dispatcher(a, effClose, 0, 0, nullptr, 0.0f);
    }
}
