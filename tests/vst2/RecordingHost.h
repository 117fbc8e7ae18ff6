#pragma once

#include "vst2/Vst2Interface.h"

#include <cstdint>
#include <string>
#include <vector>

// The host side of a VST 2.4 plug-in under test: answers the audioMaster calls a plug-in
// makes (product string, vendor version, time information, process level, events) and
// records every call. The callback serves the recorder made current last.
class RecordingHost
{
public:
    struct Call
    {
        VstInt32 opcode;
        VstInt32 index;
        VstIntPtr value;
        float opt;
    };

    RecordingHost();
    ~RecordingHost();
    RecordingHost(const RecordingHost&) = delete;
    RecordingHost& operator=(const RecordingHost&) = delete;

    static VstIntPtr Callback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                              float opt);

    int Count(VstInt32 opcode) const;
    // The calls with the given opcode, in order.
    std::vector<Call> CallsOf(VstInt32 opcode) const;
    void Clear();

    // What the host answers.
    std::string productString = "Tessivane Test Host";
    VstIntPtr vendorVersion = 10208;
    VstInt32 processLevel = 0;
    bool hasTimeInfo = true;
    VstTimeInfo timeInfo{};
    VstIntPtr eventsAnswer = 1;

    // What the host received.
    std::vector<Call> calls;
    std::vector<VstMidiEvent> midiEvents;
    std::vector<std::vector<uint8_t>> sysexDumps;
    std::vector<VstInt32> sysexByteSizes;

private:
    VstIntPtr Answer(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt);

    RecordingHost* previous;
    static RecordingHost* current;
};
