#include "Vst2TestSupport.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <set>

namespace {

// A host buffer with a guard zone after the promised size, to see texts that overrun it.
struct GuardedText
{
    static constexpr char kGuard = 0x5A;
    explicit GuardedText(size_t promised) : size(promised) { memset(bytes, kGuard, sizeof bytes); }
    char* Data() { return bytes; }
    std::string Text() const { return std::string(bytes, strnlen(bytes, size)); }
    bool Terminated() const { return memchr(bytes, 0, size) != nullptr; }
    bool GuardIntact() const
    {
        for (size_t i = size; i < sizeof bytes; ++i)
            if (bytes[i] != kGuard)
                return false;
        return true;
    }
    size_t size;
    char bytes[256];
};

} // namespace

TEST_F(Vst2Test, AEffectAsFilledAtCreation)
{
    ASSERT_NE(effect, nullptr);
    EXPECT_EQ(effect->magic, 0x56737450);
    EXPECT_NE(effect->dispatcher, nullptr);
    EXPECT_NE(effect->process, nullptr);
    EXPECT_NE(effect->setParameter, nullptr);
    EXPECT_NE(effect->getParameter, nullptr);
    EXPECT_NE(effect->processReplacing, nullptr);
    EXPECT_NE(effect->processDoubleReplacing, nullptr);
    EXPECT_EQ(effect->numPrograms, 1);
    EXPECT_EQ(effect->numParams, 19);
    EXPECT_EQ(effect->numInputs, 2);
    EXPECT_EQ(effect->numOutputs, 2);
    // Replacing, chunks, double replacing and the old can-mono flag; no editor.
    EXPECT_EQ(effect->flags, 0x10 | 0x20 | 0x1000 | 8);
    EXPECT_EQ(effect->initialDelay, 0);
    EXPECT_EQ(effect->ioRatio, 1.0f);
    EXPECT_EQ(effect->uniqueID, TestGainDelay::kUniqueId);
    EXPECT_EQ(effect->version, 10208);
    EXPECT_EQ(Plugin().GetApiKind(), kApiVST2);
    EXPECT_EQ(Plugin().BlockSize(), 1024);
    EXPECT_EQ(Plugin().Inputs().ConnectedCount(), 2);
    EXPECT_EQ(Plugin().Outputs().ConnectedCount(), 2);
    // The entry fills the empty slot so that a host always finds a program.
    ASSERT_TRUE(Plugin().Preset(0)->initialised);
    EXPECT_STREQ(Plugin().Preset(0)->name, "Empty");
}

TEST(Vst2Arrangement, TypesFollowTheChannelCounts)
{
    RecordingHost host;
    VstSpeakerArrangement* in = nullptr;
    VstSpeakerArrangement* out = nullptr;
    struct Case
    {
        const char* channels;
        VstInt32 inType, inCount, outType, outCount;
        bool canMono;
    };
    for (const Case& c : {Case{"1-1 2-2", kSpeakerArrStereo, 2, kSpeakerArrStereo, 2, true},
                          Case{"1-1", kSpeakerArrMono, 1, kSpeakerArrMono, 1, true},
                          Case{"2-2", kSpeakerArrStereo, 2, kSpeakerArrStereo, 2, false},
                          Case{"0-1", kSpeakerArrEmpty, 0, kSpeakerArrMono, 1, false},
                          Case{"4-6", kSpeakerArrUserDefined, 4, kSpeakerArrUserDefined, 6, false}})
    {
        ConfigurableEffect plugin(c.channels);
        AEffect* effect = plugin.GetAEffect();
        EXPECT_EQ(effect->dispatcher(effect, effGetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&in), &out, 0), 1);
        ASSERT_TRUE(in && out);
        EXPECT_EQ(in->type, c.inType) << c.channels;
        EXPECT_EQ(in->numChannels, c.inCount) << c.channels;
        EXPECT_EQ(out->type, c.outType) << c.channels;
        EXPECT_EQ(out->numChannels, c.outCount) << c.channels;
        EXPECT_EQ((effect->flags & 8) != 0, c.canMono) << c.channels;
        EXPECT_EQ(effect->numPrograms, 2);
        EXPECT_EQ(effect->version, 20301);
    }
    // Either address may be absent.
    ConfigurableEffect plugin("1-1 2-2");
    EXPECT_EQ(plugin.GetAEffect()->dispatcher(plugin.GetAEffect(), effGetSpeakerArrangement, 0, 0, nullptr, 0), 1);
}

TEST_F(Vst2Test, IdentityAndFixedAnswers)
{
    EXPECT_EQ(Dispatch(effIdentify), 0x4E764566);
    EXPECT_EQ(Dispatch(effGetVstVersion), 2400);
    EXPECT_EQ(Dispatch(effGetVendorVersion), 10208);
    EXPECT_EQ(Dispatch(effGetPlugCategory), 1);
    EXPECT_EQ(Dispatch(effGetTailSize), 0);
    EXPECT_EQ(Dispatch(effCanBeAutomated, 3), 1);
    EXPECT_EQ(Dispatch(effGetProgram), 0);

    char text[kVstMaxVendorStrLen] = "unchanged";
    EXPECT_EQ(Dispatch(effGetEffectName, 0, 0, text), 1);
    EXPECT_STREQ(text, "Tessivane Test Gain Delay");
    EXPECT_EQ(Dispatch(effGetVendorString, 0, 0, text), 1);
    EXPECT_STREQ(text, "Tessivane Audio");
    EXPECT_EQ(Dispatch(effGetProductString, 0, 0, text), 1);
    EXPECT_STREQ(text, "");
    for (VstInt32 opcode : {effGetEffectName, effGetVendorString, effGetProductString})
        EXPECT_EQ(Dispatch(opcode), 0);

    ConfigurableEffect instrument("0-2", true, true);
    EXPECT_EQ(instrument.Dispatch(effGetPlugCategory), 2);
}

TEST_F(Vst2Test, OpcodesOutsideTheTableAnswerZeroAndTouchNothing)
{
    const std::set<VstInt32> answered = {
        effOpen, effClose, effSetProgram, effGetProgram, effSetProgramName, effGetProgramName,
        effGetParamLabel, effGetParamDisplay, effGetParamName, effSetSampleRate, effSetBlockSize,
        effMainsChanged, effEditGetRect, effEditOpen, effEditClose, effIdentify, effGetChunk, effSetChunk,
        effProcessEvents, effCanBeAutomated, effString2Parameter, effGetProgramNameIndexed,
        effGetInputProperties, effGetOutputProperties, effGetPlugCategory, effSetSpeakerArrangement,
        effGetEffectName, effGetVendorString, effGetProductString, effGetVendorVersion, effVendorSpecific,
        effCanDo, effGetTailSize, effGetVstVersion, effGetMidiKeyName, effGetSpeakerArrangement};
    std::vector<VstInt32> others = {-1, -1000, std::numeric_limits<VstInt32>::min(), 1000,
                                    std::numeric_limits<VstInt32>::max()};
    for (VstInt32 opcode = 0; opcode < 128; ++opcode)
        if (!answered.count(opcode))
            others.push_back(opcode);
    ASSERT_TRUE(std::find(others.begin(), others.end(), effSetBypass) != others.end());

    char buffer[1024];
    memset(buffer, 0x33, sizeof buffer);
    const std::vector<char> before(buffer, buffer + sizeof buffer);
    for (VstInt32 opcode : others)
    {
        EXPECT_EQ(Dispatch(opcode, 1, 1, buffer, 1.0f), 0) << opcode;
        EXPECT_EQ(Dispatch(opcode, 0, 0, nullptr, 0.0f), 0) << opcode;
    }
    EXPECT_EQ(std::vector<char>(buffer, buffer + sizeof buffer), before);
    // Still alive and unchanged.
    EXPECT_EQ(Dispatch(effIdentify), 0x4E764566);
    EXPECT_DOUBLE_EQ(Value(TestGainDelay::kGain), 1.0);
}

TEST_F(Vst2Test, OpcodesThatWriteIntoPtrAcceptNull)
{
    for (VstInt32 opcode :
         {effGetProgramName, effSetProgramName, effGetParamLabel, effGetParamDisplay, effGetParamName,
          effEditGetRect, effEditOpen, effGetChunk, effSetChunk, effProcessEvents, effGetProgramNameIndexed,
          effGetInputProperties, effGetOutputProperties, effGetEffectName, effGetVendorString,
          effGetProductString, effVendorSpecific, effCanDo, effGetMidiKeyName, effGetSpeakerArrangement,
          effSetSpeakerArrangement})
        Dispatch(opcode, 0, 0, nullptr, 0.0f);
    EXPECT_EQ(Dispatch(effGetChunk, 1), 0);
    EXPECT_EQ(Dispatch(effSetChunk, 1, 160), 0);
    EXPECT_EQ(Dispatch(effGetProgramNameIndexed, 0), 0);
    EXPECT_EQ(Dispatch(effGetInputProperties, 0), 0);
    EXPECT_EQ(Dispatch(effGetMidiKeyName, 0), 0);
    EXPECT_EQ(Dispatch(effVendorSpecific, effGetParamDisplay, 0), 0);
    EXPECT_EQ(Dispatch(effProcessEvents), 0);
    EXPECT_EQ(Dispatch(effCanDo), 0);
}

TEST_F(Vst2Test, ParameterTextsStayWithinTheHostBuffer)
{
    struct Case
    {
        VstInt32 opcode;
        VstInt32 index;
        const char* text;
    };
    // Gain 1.0 (label x), Delay 10 ms, Cross -0.2 shown negated, Mode named by its display
    // text and so without a label. Names come whole, up to 32 bytes: the longest a name holds.
    Plugin().Parameter(12)->InitContinuous("A name that fills all of its field", 0.5, 0.0, 1.0, 0.001, "");
    for (const Case& c : {Case{effGetParamName, 0, "Gain"}, Case{effGetParamName, 2, "Feedback"},
                          Case{effGetParamName, 11, "Nudge"},
                          Case{effGetParamName, 12, "A name that fills all of its fi"},
                          Case{effGetParamLabel, 0, "x"}, Case{effGetParamLabel, 1, "ms"},
                          Case{effGetParamLabel, 5, ""}, Case{effGetParamDisplay, 0, "1.00"},
                          Case{effGetParamDisplay, 1, "10.0"}, Case{effGetParamDisplay, 4, "0.200"},
                          Case{effGetParamDisplay, 5, "Clean"}, Case{effGetParamDisplay, 6, "0.500"}})
    {
        GuardedText text(c.opcode == effGetParamName ? IEffectVST2::kParamNameBytes : kVstMaxParamStrLen);
        EXPECT_EQ(Dispatch(c.opcode, c.index, 0, text.Data()), 0);
        EXPECT_EQ(text.Text(), c.text) << c.opcode << " " << c.index;
        EXPECT_TRUE(text.Terminated());
        EXPECT_TRUE(text.GuardIntact()) << c.opcode << " " << c.index;
    }
    // A long display text is cut to the buffer too.
    Plugin().Parameter(TestGainDelay::kGain)->SetValueClamped(1.23456789);
    Plugin().Parameter(TestGainDelay::kDelay)->InitContinuous("Delay", 12345.678, 0.0, 1e9, 0.001, "ms");
    GuardedText text(kVstMaxParamStrLen);
    Dispatch(effGetParamDisplay, 1, 0, text.Data());
    EXPECT_EQ(text.Text(), "12345.6");
    EXPECT_TRUE(text.GuardIntact());

    // Invalid indexes leave the buffer alone.
    for (VstInt32 opcode : {effGetParamName, effGetParamLabel, effGetParamDisplay})
        for (VstInt32 index : {-1, 19, 1000})
        {
            GuardedText untouched(0);
            EXPECT_EQ(Dispatch(opcode, index, 0, untouched.Data()), 0);
            EXPECT_TRUE(untouched.GuardIntact());
        }
}

TEST_F(Vst2Test, ProgramNames)
{
    EXPECT_EQ(Text(effGetProgramName), "Empty");
    char hall[] = "Hall";
    EXPECT_EQ(Dispatch(effSetProgramName, 0, 0, hall), 0);
    EXPECT_EQ(Text(effGetProgramName), "Hall");

    char name[kVstMaxProgNameLen] = "x";
    EXPECT_EQ(Dispatch(effGetProgramNameIndexed, 0, 0, name), 1);
    EXPECT_STREQ(name, "Hall");
    EXPECT_EQ(Dispatch(effGetProgramNameIndexed, 1, 0, name), 0);
    EXPECT_STREQ(name, "");
    EXPECT_EQ(Dispatch(effGetProgramNameIndexed, -1, 0, name), 0);

    // A name longer than the interface allows is cut; nothing beyond 24 bytes is written.
    char longName[] = "A program name far longer than twenty-four bytes";
    Dispatch(effSetProgramName, 0, 0, longName);
    GuardedText text(kVstMaxProgNameLen);
    Dispatch(effGetProgramName, 0, 0, text.Data());
    EXPECT_EQ(text.Text(), std::string(longName).substr(0, kVstMaxProgNameLen - 1));
    EXPECT_TRUE(text.GuardIntact());
    GuardedText indexed(kVstMaxProgNameLen);
    EXPECT_EQ(Dispatch(effGetProgramNameIndexed, 0, 0, indexed.Data()), 1);
    EXPECT_TRUE(indexed.GuardIntact());
}

TEST_F(Vst2Test, SelectingAProgramRestoresItsState)
{
    char name[] = "Stored";
    Dispatch(effSetProgramName, 0, 0, name);  // also stores the current state in the slot
    effect->setParameter(effect, TestGainDelay::kGain, 0.1f);
    // A program number beyond int32 does not wrap onto program 0.
    Dispatch(effSetProgram, 0, static_cast<VstIntPtr>(1) << 32);
    EXPECT_NEAR(Value(TestGainDelay::kGain), 0.2, 1e-6);
    Dispatch(effSetProgram, 0, 3);
    EXPECT_NEAR(Value(TestGainDelay::kGain), 0.2, 1e-6);
    EXPECT_EQ(Dispatch(effGetProgram), 0);
    Dispatch(effSetProgram, 0, 0);
    EXPECT_DOUBLE_EQ(Value(TestGainDelay::kGain), 1.0);
}

TEST_F(Vst2Test, SetAndGetParameter)
{
    effect->setParameter(effect, TestGainDelay::kGain, 0.25f);
    EXPECT_DOUBLE_EQ(Value(TestGainDelay::kGain), 0.5);
    EXPECT_FLOAT_EQ(effect->getParameter(effect, TestGainDelay::kGain), 0.25f);
    // Delay has shape 2: half way is a quarter of the range.
    effect->setParameter(effect, TestGainDelay::kDelay, 0.5f);
    EXPECT_DOUBLE_EQ(Value(TestGainDelay::kDelay), 25.0);
    EXPECT_FLOAT_EQ(effect->getParameter(effect, TestGainDelay::kDelay), 0.5f);
    EXPECT_EQ(Plugin().DelaySamples(), 1103);  // 25 ms at 44.1 kHz, rounded
    // A stepped parameter rounds.
    effect->setParameter(effect, TestGainDelay::kMode, 0.7f);
    EXPECT_DOUBLE_EQ(Value(TestGainDelay::kMode), 1.0);
    EXPECT_EQ(Text(effGetParamDisplay, TestGainDelay::kMode), "Warm");
    // Values outside 0..1 and NaN are held to the range.
    effect->setParameter(effect, TestGainDelay::kGain, 7.0f);
    EXPECT_DOUBLE_EQ(Value(TestGainDelay::kGain), 2.0);
    effect->setParameter(effect, TestGainDelay::kGain, std::numeric_limits<float>::quiet_NaN());
    EXPECT_DOUBLE_EQ(Value(TestGainDelay::kGain), 0.0);
    effect->setParameter(effect, TestGainDelay::kGain, -3.0f);
    EXPECT_DOUBLE_EQ(Value(TestGainDelay::kGain), 0.0);

    for (VstInt32 index : {-1, 19, std::numeric_limits<VstInt32>::max()})
    {
        effect->setParameter(effect, index, 0.5f);
        EXPECT_EQ(effect->getParameter(effect, index), 0.0f);
    }
}

TEST_F(Vst2Test, StringToParameter)
{
    char text[] = "1.5";
    EXPECT_EQ(Dispatch(effString2Parameter, TestGainDelay::kGain, 0, text), 1);
    EXPECT_DOUBLE_EQ(Value(TestGainDelay::kGain), 1.5);
    char high[] = "5 x";
    EXPECT_EQ(Dispatch(effString2Parameter, TestGainDelay::kGain, 0, high), 1);
    EXPECT_DOUBLE_EQ(Value(TestGainDelay::kGain), 2.0);
    // The display of Cross is negated, so is what the user types.
    char cross[] = "0.4";
    EXPECT_EQ(Dispatch(effString2Parameter, TestGainDelay::kCrossfeed, 0, cross), 1);
    EXPECT_DOUBLE_EQ(Value(TestGainDelay::kCrossfeed), -0.4);
    // Display texts match exactly.
    char dark[] = "Dark";
    EXPECT_EQ(Dispatch(effString2Parameter, TestGainDelay::kMode, 0, dark), 1);
    EXPECT_DOUBLE_EQ(Value(TestGainDelay::kMode), 2.0);
    char lower[] = "warm";
    EXPECT_EQ(Dispatch(effString2Parameter, TestGainDelay::kMode, 0, lower), 0);
    EXPECT_DOUBLE_EQ(Value(TestGainDelay::kMode), 2.0);

    // Numbers of any size clamp into the range, negated ones too.
    struct Entry
    {
        int32_t index;
        const char* text;
        double value;
    };
    for (const Entry& e : {Entry{TestGainDelay::kGain, "-1e999", 0.0}, Entry{TestGainDelay::kGain, "inf", 2.0},
                           Entry{TestGainDelay::kGain, "1e-999", 0.0}, Entry{TestGainDelay::kGain, "1e999", 2.0},
                           Entry{TestGainDelay::kCrossfeed, "1e999", -1.0}})
    {
        std::string copy = e.text;
        EXPECT_EQ(Dispatch(effString2Parameter, e.index, 0, &copy[0]), 1) << e.text;
        EXPECT_DOUBLE_EQ(Value(e.index), e.value) << e.text;
    }
    // Text without a number changes nothing.
    for (const char* bad : {"", "abc", "nan", "-"})
    {
        std::string copy = bad;
        EXPECT_EQ(Dispatch(effString2Parameter, TestGainDelay::kGain, 0, &copy[0]), 0) << bad;
        EXPECT_DOUBLE_EQ(Value(TestGainDelay::kGain), 2.0) << bad;
    }
    EXPECT_EQ(Dispatch(effString2Parameter, TestGainDelay::kGain), 1);
    EXPECT_DOUBLE_EQ(Value(TestGainDelay::kGain), 2.0);
    EXPECT_EQ(Dispatch(effString2Parameter, 19, 0, text), 0);
    EXPECT_EQ(Dispatch(effString2Parameter, -1, 0, text), 0);
    // A very long entry is read as far as the entry buffer goes.
    std::string digits(500, '1');
    EXPECT_EQ(Dispatch(effString2Parameter, TestGainDelay::kFeedback, 0, &digits[0]), 1);
    EXPECT_DOUBLE_EQ(Value(TestGainDelay::kFeedback), 0.9);
}

TEST_F(Vst2Test, VendorSpecificQueries)
{
    GuardedText text(kVstMaxParamStrLen);
    EXPECT_EQ(Dispatch(effVendorSpecific, effGetParamDisplay, TestGainDelay::kGain, text.Data(), 0.25f), 0xbeef);
    EXPECT_EQ(text.Text(), "0.50");
    EXPECT_DOUBLE_EQ(Value(TestGainDelay::kGain), 1.0);  // a query only
    EXPECT_EQ(Dispatch(effVendorSpecific, effGetParamDisplay, TestGainDelay::kMode, text.Data(), 1.0f), 0xbeef);
    EXPECT_EQ(text.Text(), "Dark");
    EXPECT_TRUE(text.GuardIntact());

    GuardedText untouched(0);
    EXPECT_EQ(Dispatch(effVendorSpecific, effGetParamDisplay, 19, untouched.Data(), 0.5f), 0xbeef);
    EXPECT_TRUE(untouched.GuardIntact());
    EXPECT_EQ(Dispatch(effVendorSpecific, effGetParamDisplay, 0, nullptr, 0.5f), 0);

    EXPECT_EQ(Dispatch(effVendorSpecific, effGetParamName, TestGainDelay::kMode), 0xbeef);
    EXPECT_EQ(Dispatch(effVendorSpecific, effGetParamName, TestGainDelay::kGain), 0);
    EXPECT_EQ(Dispatch(effVendorSpecific, effGetParamName, 19), 0);
    EXPECT_EQ(Dispatch(effVendorSpecific, 3, 0, text.Data()), 0);
}

TEST(Vst2CanDo, AnswersOnlyWhatThePluginDoes)
{
    RecordingHost host;
    ConfigurableEffect plain("1-1 2-2");
    ConfigurableEffect midi("1-1 2-2", true);
    auto canDo = [](ConfigurableEffect& plugin, const char* text) {
        return plugin.Dispatch(effCanDo, 0, 0, const_cast<char*>(text));
    };
    EXPECT_EQ(canDo(plain, "receiveVstTimeInfo"), 1);
    EXPECT_EQ(canDo(midi, "receiveVstTimeInfo"), 1);
    for (const char* text : {"sendVstEvents", "sendVstMidiEvent", "receiveVstEvents", "receiveVstMidiEvent"})
    {
        EXPECT_EQ(canDo(plain, text), 0) << text;
        EXPECT_EQ(canDo(midi, text), 1) << text;
    }
    for (const char* text : {"", "bypass", "offline", "receiveVstTimeInfoX", "ReceiveVstTimeInfo"})
        EXPECT_EQ(canDo(plain, text), 0) << text;
}

TEST_F(Vst2Test, PinProperties)
{
    VstPinProperties pin{};
    EXPECT_EQ(Dispatch(effGetInputProperties, 0, 0, &pin), 1);
    EXPECT_EQ(pin.flags, 3);
    EXPECT_STREQ(pin.label, "Input 1");
    EXPECT_STREQ(pin.shortLabel, "In 1");
    EXPECT_EQ(Dispatch(effGetInputProperties, 1, 0, &pin), 1);
    EXPECT_EQ(pin.flags, 1);
    EXPECT_STREQ(pin.label, "Input 2");
    EXPECT_EQ(Dispatch(effGetOutputProperties, 0, 0, &pin), 1);
    EXPECT_EQ(pin.flags, 3);
    EXPECT_STREQ(pin.label, "Output 1");
    EXPECT_STREQ(pin.shortLabel, "Out 1");
    EXPECT_EQ(Dispatch(effGetOutputProperties, 1, 0, &pin), 1);
    EXPECT_STREQ(pin.label, "Output 2");

    Plugin().Inputs().At(1).label = std::string(100, 'R');
    EXPECT_EQ(Dispatch(effGetInputProperties, 1, 0, &pin), 1);
    EXPECT_EQ(std::string(pin.label), std::string(kVstMaxLabelLen - 1, 'R'));

    VstPinProperties untouched;
    memset(&untouched, 0x44, sizeof untouched);
    for (VstInt32 index : {-1, 2, 100})
    {
        EXPECT_EQ(Dispatch(effGetInputProperties, index, 0, &untouched), 0);
        EXPECT_EQ(Dispatch(effGetOutputProperties, index, 0, &untouched), 0);
    }
    EXPECT_EQ(untouched.flags, 0x44444444);
}

TEST_F(Vst2Test, SpeakerArrangementConnectsChannels)
{
    VstSpeakerArrangement mono{};
    mono.type = kSpeakerArrMono;
    mono.numChannels = 1;
    EXPECT_EQ(Dispatch(effSetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&mono), &mono), 1);
    EXPECT_TRUE(Plugin().Inputs().At(0).connected);
    EXPECT_FALSE(Plugin().Inputs().At(1).connected);
    EXPECT_FALSE(Plugin().Outputs().At(1).connected);

    VstSpeakerArrangement stereo{};
    stereo.type = kSpeakerArrStereo;
    stereo.numChannels = 2;
    // Outputs only: the inputs stay as they were.
    EXPECT_EQ(Dispatch(effSetSpeakerArrangement, 0, 0, &stereo), 1);
    EXPECT_FALSE(Plugin().Inputs().At(1).connected);
    EXPECT_TRUE(Plugin().Outputs().At(1).connected);

    VstSpeakerArrangement none{};
    none.numChannels = -5;
    EXPECT_EQ(Dispatch(effSetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&none), nullptr), 1);
    EXPECT_EQ(Plugin().Inputs().ConnectedCount(), 0);
}

TEST_F(Vst2Test, SampleRateAndBlockSize)
{
    Dispatch(effSetSampleRate, 0, 0, nullptr, 48000.0f);
    EXPECT_EQ(Plugin().SampleRate(), 48000.0);
    EXPECT_EQ(Plugin().DelaySamples(), 480);
    // Rates that are not positive numbers are not taken.
    for (float bad : {0.0f, -44100.0f, std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity()})
    {
        Dispatch(effSetSampleRate, 0, 0, nullptr, bad);
        EXPECT_EQ(Plugin().SampleRate(), 48000.0);
    }
    Dispatch(effSetBlockSize, 0, 256);
    EXPECT_EQ(Plugin().BlockSize(), 256);
    Dispatch(effSetBlockSize, 0, -8);
    EXPECT_EQ(Plugin().BlockSize(), 256);
    Dispatch(effSetBlockSize, 0, static_cast<VstIntPtr>(1) << 40);
    EXPECT_EQ(Plugin().BlockSize(), std::numeric_limits<int32_t>::max());
    EXPECT_EQ(Plugin().Outputs().ScratchFrames(), IEffectBase::kMaxScratchFrames);
}

TEST_F(Vst2Test, EditorOpcodesWithoutAnEditor)
{
    ERect* rect = nullptr;
    EXPECT_EQ(Dispatch(effEditGetRect, 0, 0, &rect), 0);
    EXPECT_EQ(rect, nullptr);
    int parent = 0;
    EXPECT_EQ(Dispatch(effEditOpen, 0, 0, &parent), 0);
    EXPECT_EQ(Dispatch(effEditClose), 0);
    EXPECT_EQ(effect->flags & 1, 0);
}

TEST_F(Vst2Test, EditorOpcodesWithAnEditor)
{
    auto* editor = new RecordingEditor;
    Plugin().AttachEditor(editor);
    EXPECT_EQ(effect->flags & 1, 1);
    EXPECT_EQ(editor->surfacesCreated, 1);

    ERect* rect = nullptr;
    EXPECT_EQ(Dispatch(effEditGetRect, 0, 0, &rect), 1);
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->top, 0);
    EXPECT_EQ(rect->left, 0);
    EXPECT_EQ(rect->bottom, 373);
    EXPECT_EQ(rect->right, 251);
    EXPECT_EQ(Dispatch(effEditGetRect), 0);

    int parent = 0;
    EXPECT_EQ(Dispatch(effEditOpen, 0, 0, &parent), 1);
    EXPECT_EQ(editor->openedIn, &parent);
    EXPECT_EQ(Dispatch(effEditClose), 1);
    EXPECT_EQ(editor->closeCount, 1);
    EXPECT_EQ(Dispatch(effEditOpen), 0);  // no host window
    editor->opens = false;
    EXPECT_EQ(Dispatch(effEditOpen, 0, 0, &parent), 0);

    // The rectangle follows the editor's size.
    editor->width = 400;
    editor->height = 70000;
    Plugin().EditorResized(400, 70000);
    EXPECT_EQ(rect->right, 400);
    EXPECT_EQ(rect->bottom, 32767);

    // Host changes reach the controls: normalised from setParameter, real from text entry.
    editor->pushes.clear();
    effect->setParameter(effect, TestGainDelay::kGain, 0.75f);
    ASSERT_EQ(editor->pushes.size(), 1u);
    EXPECT_EQ(editor->pushes[0].index, TestGainDelay::kGain);
    EXPECT_DOUBLE_EQ(editor->pushes[0].value, 0.75);
    EXPECT_TRUE(editor->pushes[0].normalized);
    char text[] = "0.5";
    Dispatch(effString2Parameter, TestGainDelay::kGain, 0, text);
    ASSERT_EQ(editor->pushes.size(), 2u);
    EXPECT_DOUBLE_EQ(editor->pushes[1].value, 0.5);
    EXPECT_FALSE(editor->pushes[1].normalized);
}

TEST(Vst2Close, AnInstanceClosedWithItsEditorOpenClosesTheWindowFirst)
{
    // Logs into storage that outlives the instance.
    struct OrderedEditor : RecordingEditor
    {
        explicit OrderedEditor(std::string& events) : log(events) {}
        ~OrderedEditor() override { log += "destroyed"; }
        void CloseEditorWindow() override { log += "closed "; }
        std::string& log;
    };
    RecordingHost host;
    std::string log;
    AEffect* effect = VSTPluginMain(RecordingHost::Callback);
    ASSERT_NE(effect, nullptr);
    IEffectVST2::FromAEffect(effect)->AttachEditor(new OrderedEditor(log));
    int parent = 0;
    ASSERT_EQ(effect->dispatcher(effect, effEditOpen, 0, 0, &parent, 0.0f), 1);
    effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
    EXPECT_EQ(log, "closed destroyed");

    // Closed by the host first, the window is not closed again.
    log.clear();
    effect = VSTPluginMain(RecordingHost::Callback);
    IEffectVST2::FromAEffect(effect)->AttachEditor(new OrderedEditor(log));
    effect->dispatcher(effect, effEditOpen, 0, 0, &parent, 0.0f);
    effect->dispatcher(effect, effEditClose, 0, 0, nullptr, 0.0f);
    effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
    EXPECT_EQ(log, "closed destroyed");
}

TEST_F(Vst2Test, MidiKeyNames)
{
    MidiKeyName key{};
    key.thisKeyNumber = 60;
    memset(key.keyName, 'x', sizeof key.keyName);
    EXPECT_EQ(Dispatch(effGetMidiKeyName, 0, 0, &key), 0);
    EXPECT_STREQ(key.keyName, "");
    key.thisKeyNumber = TestGainDelay::kHostKey;
    EXPECT_EQ(Dispatch(effGetMidiKeyName, 0, 0, &key), 1);
    EXPECT_EQ(std::string(key.keyName).rfind("host ", 0), 0u);
}

TEST_F(Vst2Test, OpenAnnouncesEveryParameter)
{
    // The plug-in's copies follow the parameters after effOpen, even when a value was
    // written behind its back.
    Plugin().Parameter(TestGainDelay::kDelay)->SetValueClamped(20.0);
    Dispatch(effOpen);
    EXPECT_EQ(Plugin().DelaySamples(), 882);
}
