#pragma once

// Our declarations of the published VST 2.4 plug-in interface, laid out as its 64-bit ABI:
// pointer-sized integers are 64 bits, fields are naturally aligned, and callbacks use the
// platform's default calling convention (x64 has only one).
//
// Only the opcodes, flags and constants this module uses or answers are named here.

#include <cstdint>

using VstInt16 = int16_t;
using VstInt32 = int32_t;
using VstIntPtr = intptr_t;

struct AEffect;

using audioMasterCallback = VstIntPtr (*)(AEffect* effect, VstInt32 opcode, VstInt32 index,
                                          VstIntPtr value, void* ptr, float opt);
using AEffectDispatcherProc = VstIntPtr (*)(AEffect* effect, VstInt32 opcode, VstInt32 index,
                                            VstIntPtr value, void* ptr, float opt);
using AEffectProcessProc = void (*)(AEffect* effect, float** inputs, float** outputs, VstInt32 sampleFrames);
using AEffectProcessDoubleProc = void (*)(AEffect* effect, double** inputs, double** outputs,
                                          VstInt32 sampleFrames);
using AEffectSetParameterProc = void (*)(AEffect* effect, VstInt32 index, float parameter);
using AEffectGetParameterProc = float (*)(AEffect* effect, VstInt32 index);

// 'VstP', the magic every AEffect starts with.
constexpr VstInt32 kEffectMagic = 0x56737450;

struct AEffect
{
    VstInt32 magic;
    AEffectDispatcherProc dispatcher;
    AEffectProcessProc process;  // accumulating
    AEffectSetParameterProc setParameter;
    AEffectGetParameterProc getParameter;
    VstInt32 numPrograms;
    VstInt32 numParams;
    VstInt32 numInputs;
    VstInt32 numOutputs;
    VstInt32 flags;
    VstIntPtr resvd1;
    VstIntPtr resvd2;
    VstInt32 initialDelay;
    VstInt32 realQualities;
    VstInt32 offQualities;
    float ioRatio;
    void* object;  // the plug-in instance
    void* user;    // the host's
    VstInt32 uniqueID;
    VstInt32 version;
    AEffectProcessProc processReplacing;
    AEffectProcessDoubleProc processDoubleReplacing;
    char future[56];
};

enum VstAEffectFlags : VstInt32
{
    effFlagsHasEditor = 1,
    effFlagsCanMono = 8,  // deprecated, still read by older hosts
    effFlagsCanReplacing = 0x10,
    effFlagsProgramChunks = 0x20,
    effFlagsCanDoubleReplacing = 0x1000,
};

// Dispatcher opcodes this module answers; every other opcode answers 0.
enum AEffectOpcodes : VstInt32
{
    effOpen = 0,
    effClose = 1,
    effSetProgram = 2,
    effGetProgram = 3,
    effSetProgramName = 4,
    effGetProgramName = 5,
    effGetParamLabel = 6,
    effGetParamDisplay = 7,
    effGetParamName = 8,
    effSetSampleRate = 10,
    effSetBlockSize = 11,
    effMainsChanged = 12,
    effEditGetRect = 13,
    effEditOpen = 14,
    effEditClose = 15,
    effIdentify = 22,
    effGetChunk = 23,
    effSetChunk = 24,
    effProcessEvents = 25,
    effCanBeAutomated = 26,
    effString2Parameter = 27,
    effGetProgramNameIndexed = 29,
    effGetInputProperties = 33,
    effGetOutputProperties = 34,
    effGetPlugCategory = 35,
    effSetSpeakerArrangement = 42,
    effSetBypass = 44,
    effGetEffectName = 45,
    effGetVendorString = 47,
    effGetProductString = 48,
    effGetVendorVersion = 49,
    effVendorSpecific = 50,
    effCanDo = 51,
    effGetTailSize = 52,
    effGetVstVersion = 58,
    effGetMidiKeyName = 66,
    effGetSpeakerArrangement = 69,
};

// Calls the plug-in makes to its host.
enum AudioMasterOpcodes : VstInt32
{
    audioMasterAutomate = 0,
    audioMasterWantMidi = 6,  // deprecated, still expected by hosts of MIDI plug-ins
    audioMasterGetTime = 7,
    audioMasterProcessEvents = 8,
    audioMasterGetCurrentProcessLevel = 23,
    audioMasterGetProductString = 33,
    audioMasterGetVendorVersion = 34,
    audioMasterUpdateDisplay = 42,
    audioMasterBeginEdit = 43,
    audioMasterEndEdit = 44,
};

constexpr VstInt32 kVstProcessLevelOffline = 4;

// Answers and identifiers.
constexpr VstInt32 kVstIdentifyAnswer = 0x4E764566;  // 'NvEf'
constexpr VstInt32 kVstVersion = 2400;
constexpr VstIntPtr kVstVendorSpecificAnswer = 0xbeef;
enum VstPlugCategory : VstInt32
{
    kPlugCategEffect = 1,
    kPlugCategSynth = 2,
};

// Sizes of the text buffers hosts hand to plug-ins, terminator included.
constexpr int kVstMaxParamStrLen = 8;
constexpr int kVstMaxProgNameLen = 24;
constexpr int kVstMaxEffectNameLen = 32;
constexpr int kVstMaxVendorStrLen = 64;
constexpr int kVstMaxProductStrLen = 64;
constexpr int kVstMaxLabelLen = 64;
constexpr int kVstMaxShortLabelLen = 8;
constexpr int kVstMaxNameLen = 64;

struct ERect
{
    VstInt16 top;
    VstInt16 left;
    VstInt16 bottom;
    VstInt16 right;
};

// ---- Events ----------------------------------------------------------------------------------

enum VstEventTypes : VstInt32
{
    kVstMidiType = 1,
    kVstSysExType = 6,
};

struct VstEvent
{
    VstInt32 type;
    VstInt32 byteSize;
    VstInt32 deltaFrames;
    VstInt32 flags;
    char data[16];
};

struct VstEvents
{
    VstInt32 numEvents;
    VstIntPtr reserved;
    VstEvent* events[2];  // numEvents entries in fact
};

struct VstMidiEvent
{
    VstInt32 type;
    VstInt32 byteSize;
    VstInt32 deltaFrames;
    VstInt32 flags;
    VstInt32 noteLength;
    VstInt32 noteOffset;
    char midiData[4];
    char detune;
    char noteOffVelocity;
    char reserved1;
    char reserved2;
};

struct VstMidiSysexEvent
{
    VstInt32 type;
    VstInt32 byteSize;
    VstInt32 deltaFrames;
    VstInt32 flags;
    VstInt32 dumpBytes;
    VstIntPtr resvd1;
    char* sysexDump;
    VstIntPtr resvd2;
};

// ---- Time information ---------------------------------------------------------------------

enum VstTimeInfoFlags : VstInt32
{
    kVstTransportChanged = 1,
    kVstTransportPlaying = 1 << 1,
    kVstTransportCycleActive = 1 << 2,
    kVstPpqPosValid = 1 << 9,
    kVstTempoValid = 1 << 10,
    kVstBarsValid = 1 << 11,
    kVstCyclePosValid = 1 << 12,
    kVstTimeSigValid = 1 << 13,
};

struct VstTimeInfo
{
    double samplePos;
    double sampleRate;
    double nanoSeconds;
    double ppqPos;
    double tempo;
    double barStartPos;
    double cycleStartPos;
    double cycleEndPos;
    VstInt32 timeSigNumerator;
    VstInt32 timeSigDenominator;
    VstInt32 smpteOffset;
    VstInt32 smpteFrameRate;
    VstInt32 samplesToNextClock;
    VstInt32 flags;
};

// ---- Pins and speakers ----------------------------------------------------------------------

enum VstPinPropertiesFlags : VstInt32
{
    kVstPinIsActive = 1,
    kVstPinIsStereo = 1 << 1,
};

struct VstPinProperties
{
    char label[kVstMaxLabelLen];
    VstInt32 flags;
    VstInt32 arrangementType;
    char shortLabel[kVstMaxShortLabelLen];
    char future[48];
};

enum VstSpeakerArrangementType : VstInt32
{
    kSpeakerArrUserDefined = -2,
    kSpeakerArrEmpty = -1,
    kSpeakerArrMono = 0,
    kSpeakerArrStereo = 1,
};

struct VstSpeakerProperties
{
    float azimuth;
    float elevation;
    float radius;
    float reserved;
    char name[kVstMaxNameLen];
    VstInt32 type;
    char future[28];
};

struct VstSpeakerArrangement
{
    VstInt32 type;
    VstInt32 numChannels;
    VstSpeakerProperties speakers[8];  // numChannels entries in fact
};

struct MidiKeyName
{
    VstInt32 thisProgramIndex;
    VstInt32 thisKeyNumber;
    char keyName[kVstMaxNameLen];
    VstInt32 reserved;
    VstInt32 flags;
};

// The layout every host relies on.
static_assert(sizeof(void*) == 8, "the VST 2.4 module is built for 64-bit hosts");
static_assert(sizeof(AEffect) == 192, "AEffect layout");
static_assert(sizeof(ERect) == 8, "ERect layout");
static_assert(sizeof(VstEvent) == 32 && sizeof(VstMidiEvent) == 32, "event layout");
static_assert(sizeof(VstMidiSysexEvent) == 48, "sysex event layout");
static_assert(sizeof(VstEvents) == 32, "event list layout");
static_assert(sizeof(VstTimeInfo) == 88, "time information layout");
static_assert(sizeof(VstPinProperties) == 128, "pin properties layout");
static_assert(sizeof(VstSpeakerProperties) == 112, "speaker properties layout");
static_assert(sizeof(VstSpeakerArrangement) == 904, "speaker arrangement layout");
static_assert(sizeof(MidiKeyName) == 80, "key name layout");
