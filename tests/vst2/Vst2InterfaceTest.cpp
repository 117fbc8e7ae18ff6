#include "Vst2Interface.h"

#include <gtest/gtest.h>

#include <cstddef>

// The offsets every 64-bit host reads the structures at.
static_assert(offsetof(AEffect, dispatcher) == 8, "");
static_assert(offsetof(AEffect, process) == 16, "");
static_assert(offsetof(AEffect, setParameter) == 24, "");
static_assert(offsetof(AEffect, getParameter) == 32, "");
static_assert(offsetof(AEffect, numPrograms) == 40, "");
static_assert(offsetof(AEffect, numParams) == 44, "");
static_assert(offsetof(AEffect, numInputs) == 48, "");
static_assert(offsetof(AEffect, numOutputs) == 52, "");
static_assert(offsetof(AEffect, flags) == 56, "");
static_assert(offsetof(AEffect, resvd1) == 64, "");
static_assert(offsetof(AEffect, resvd2) == 72, "");
static_assert(offsetof(AEffect, initialDelay) == 80, "");
static_assert(offsetof(AEffect, realQualities) == 84, "");
static_assert(offsetof(AEffect, offQualities) == 88, "");
static_assert(offsetof(AEffect, ioRatio) == 92, "");
static_assert(offsetof(AEffect, object) == 96, "");
static_assert(offsetof(AEffect, user) == 104, "");
static_assert(offsetof(AEffect, uniqueID) == 112, "");
static_assert(offsetof(AEffect, version) == 116, "");
static_assert(offsetof(AEffect, processReplacing) == 120, "");
static_assert(offsetof(AEffect, processDoubleReplacing) == 128, "");
static_assert(offsetof(AEffect, future) == 136, "");

static_assert(offsetof(VstEvents, reserved) == 8, "");
static_assert(offsetof(VstEvents, events) == 16, "");
static_assert(offsetof(VstMidiEvent, noteLength) == 16, "");
static_assert(offsetof(VstMidiEvent, midiData) == 24, "");
static_assert(offsetof(VstMidiEvent, detune) == 28, "");
static_assert(offsetof(VstMidiSysexEvent, dumpBytes) == 16, "");
static_assert(offsetof(VstMidiSysexEvent, resvd1) == 24, "");
static_assert(offsetof(VstMidiSysexEvent, sysexDump) == 32, "");
static_assert(offsetof(VstMidiSysexEvent, resvd2) == 40, "");

static_assert(offsetof(VstTimeInfo, ppqPos) == 24, "");
static_assert(offsetof(VstTimeInfo, tempo) == 32, "");
static_assert(offsetof(VstTimeInfo, barStartPos) == 40, "");
static_assert(offsetof(VstTimeInfo, cycleStartPos) == 48, "");
static_assert(offsetof(VstTimeInfo, cycleEndPos) == 56, "");
static_assert(offsetof(VstTimeInfo, timeSigNumerator) == 64, "");
static_assert(offsetof(VstTimeInfo, timeSigDenominator) == 68, "");
static_assert(offsetof(VstTimeInfo, flags) == 84, "");

static_assert(offsetof(VstPinProperties, flags) == 64, "");
static_assert(offsetof(VstPinProperties, arrangementType) == 68, "");
static_assert(offsetof(VstPinProperties, shortLabel) == 72, "");
static_assert(offsetof(VstSpeakerProperties, name) == 16, "");
static_assert(offsetof(VstSpeakerProperties, type) == 80, "");
static_assert(offsetof(VstSpeakerArrangement, numChannels) == 4, "");
static_assert(offsetof(VstSpeakerArrangement, speakers) == 8, "");
static_assert(offsetof(MidiKeyName, thisKeyNumber) == 4, "");
static_assert(offsetof(MidiKeyName, keyName) == 8, "");
static_assert(offsetof(MidiKeyName, reserved) == 72, "");
static_assert(offsetof(MidiKeyName, flags) == 76, "");

TEST(Vst2Interface, ValuesHostsDependOn)
{
    // The four-character codes, spelt out.
    EXPECT_EQ(kEffectMagic, ('V' << 24) | ('s' << 16) | ('t' << 8) | 'P');
    EXPECT_EQ(kVstIdentifyAnswer, ('N' << 24) | ('v' << 16) | ('E' << 8) | 'f');
    EXPECT_EQ(kVstPpqPosValid | kVstTempoValid | kVstBarsValid | kVstCyclePosValid | kVstTimeSigValid, 0x3E00);
    EXPECT_EQ(kVstTempoValid, 0x400);
    EXPECT_EQ(kVstTimeSigValid, 0x2000);
}
