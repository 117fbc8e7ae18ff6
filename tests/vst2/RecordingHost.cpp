#include "RecordingHost.h"

#include <algorithm>
#include <cstring>
#include <iterator>

RecordingHost* RecordingHost::current = nullptr;

RecordingHost::RecordingHost() : previous(current)
{
    current = this;
    timeInfo.samplePos = 4410.4;
    timeInfo.sampleRate = 44100.0;
    timeInfo.ppqPos = 12.5;
    timeInfo.tempo = 120.25;
    timeInfo.barStartPos = 12.0;
    timeInfo.cycleStartPos = 8.0;
    timeInfo.cycleEndPos = 16.0;
    timeInfo.timeSigNumerator = 3;
    timeInfo.timeSigDenominator = 4;
    timeInfo.flags = kVstTransportPlaying | kVstPpqPosValid | kVstTempoValid | kVstBarsValid |
                     kVstCyclePosValid | kVstTimeSigValid;
}

RecordingHost::~RecordingHost()
{
    current = previous;
}

VstIntPtr RecordingHost::Callback(AEffect*, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                  float opt)
{
    return current ? current->Answer(opcode, index, value, ptr, opt) : 0;
}

VstIntPtr RecordingHost::Answer(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt)
{
    calls.push_back({opcode, index, value, opt});
    switch (opcode)
    {
    case audioMasterGetProductString:
        // The promised buffer size, terminator included.
        if (ptr)
        {
            const size_t n = std::min(productString.size(), static_cast<size_t>(kVstMaxProductStrLen - 1));
            memcpy(ptr, productString.data(), n);
            static_cast<char*>(ptr)[n] = '\0';
        }
        return 1;
    case audioMasterGetVendorVersion:
        return vendorVersion;
    case audioMasterGetCurrentProcessLevel:
        return processLevel;
    case audioMasterGetTime:
        return hasTimeInfo ? reinterpret_cast<VstIntPtr>(&timeInfo) : 0;
    case audioMasterProcessEvents:
    {
        const auto* events = static_cast<const VstEvents*>(ptr);
        for (VstInt32 i = 0; events && i < events->numEvents; ++i)
        {
            const VstEvent* event = events->events[i];
            if (event->type == kVstMidiType)
            {
                midiEvents.push_back(*reinterpret_cast<const VstMidiEvent*>(event));
            }
            else if (event->type == kVstSysExType)
            {
                const auto* sysex = reinterpret_cast<const VstMidiSysexEvent*>(event);
                const auto* bytes = reinterpret_cast<const uint8_t*>(sysex->sysexDump);
                sysexDumps.emplace_back(bytes, bytes + sysex->dumpBytes);
                sysexByteSizes.push_back(sysex->byteSize);
            }
        }
        return eventsAnswer;
    }
    default:
        return 0;
    }
}

int RecordingHost::Count(VstInt32 opcode) const
{
    return static_cast<int>(
        std::count_if(calls.begin(), calls.end(), [opcode](const Call& c) { return c.opcode == opcode; }));
}

std::vector<RecordingHost::Call> RecordingHost::CallsOf(VstInt32 opcode) const
{
    std::vector<Call> found;
    std::copy_if(calls.begin(), calls.end(), std::back_inserter(found),
                 [opcode](const Call& c) { return c.opcode == opcode; });
    return found;
}

void RecordingHost::Clear()
{
    calls.clear();
    midiEvents.clear();
    sysexDumps.clear();
    sysexByteSizes.clear();
}
