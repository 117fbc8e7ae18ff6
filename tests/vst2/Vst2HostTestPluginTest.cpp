// Checks that need the test plug-in's own behaviour: it reports what it learnt from its
// host through key names, edits a parameter like an editor when "Nudge" is set, and echoes
// events back.

#include "Vst2HostSupport.h"

#include <cstring>

namespace {

// The test plug-in's parameter and key numbers, as seen from outside the module.
constexpr VstInt32 kMix = 3;
constexpr VstInt32 kNudge = 11;
constexpr VstInt32 kTransportKey = 126;
constexpr VstInt32 kHostKey = 127;

} // namespace

class HostTestPluginTest : public HostTest
{
protected:
    std::string KeyName(VstInt32 key)
    {
        MidiKeyName name{};
        name.thisKeyNumber = key;
        if (Dispatch(effGetMidiKeyName, 0, 0, &name) != 1)
            return "(none)";
        return name.keyName;
    }
};

TEST_F(HostTestPluginTest, HostIdentityAndVersion)
{
    host.productString = "Test host of the REAPER kind";
    host.vendorVersion = 10208;
    Dispatch(effOpen);
    // Reaper is host 1; 10208 decodes to 0x010208.
    EXPECT_EQ(KeyName(kHostKey), "host 1 version 66056 offline 0");
    host.processLevel = 4;
    EXPECT_EQ(KeyName(kHostKey), "host 1 version 66056 offline 1");
    EXPECT_EQ(host.Count(audioMasterGetProductString), 1);
    EXPECT_EQ(host.Count(audioMasterGetVendorVersion), 1);
    EXPECT_EQ(KeyName(60), "(none)");
}

TEST_F(HostTestPluginTest, TimeInformation)
{
    host.Clear();
    EXPECT_EQ(KeyName(kTransportKey), "pos 4410 tempo 120.25 ppq 12.50 sig 3/4 play 1 cycle 0");
    std::vector<VstIntPtr> filters;
    for (const RecordingHost::Call& call : host.CallsOf(audioMasterGetTime))
        filters.push_back(call.value);
    EXPECT_EQ(filters, (std::vector<VstIntPtr>{0x3E00, 0x2000, 0, 0x400}));
    host.hasTimeInfo = false;
    EXPECT_EQ(KeyName(kTransportKey), "pos 0 tempo 0.00 ppq 0.00 sig 0/0 play 0 cycle 0");
}

TEST_F(HostTestPluginTest, EditorLikeEditsReachTheHost)
{
    host.Clear();
    effect->setParameter(effect, kNudge, 1.0f);
    ASSERT_EQ(host.calls.size(), 4u);
    EXPECT_EQ(host.calls[0].opcode, audioMasterBeginEdit);
    EXPECT_EQ(host.calls[0].index, kMix);
    EXPECT_EQ(host.calls[1].opcode, audioMasterAutomate);
    EXPECT_EQ(host.calls[1].index, kMix);
    EXPECT_EQ(host.calls[1].opt, 0.25f);
    EXPECT_EQ(host.calls[2].opcode, audioMasterEndEdit);
    EXPECT_EQ(host.calls[2].index, kMix);
    EXPECT_EQ(host.calls[3].opcode, audioMasterUpdateDisplay);
    EXPECT_EQ(effect->getParameter(effect, kMix), 0.25f);
}

TEST_F(HostTestPluginTest, EventsComeBack)
{
    VstMidiEvent note{};
    note.type = kVstMidiType;
    note.byteSize = sizeof note;
    note.deltaFrames = 9;
    note.midiData[0] = static_cast<char>(0x90);
    note.midiData[1] = 64;
    note.midiData[2] = 127;
    uint8_t dump[] = {0xF0, 0x7D, 0x10, 0x20, 0x30, 0xF7};
    VstMidiSysexEvent sysex{};
    sysex.type = kVstSysExType;
    sysex.byteSize = sizeof sysex;
    sysex.deltaFrames = 3;
    sysex.dumpBytes = sizeof dump;
    sysex.sysexDump = reinterpret_cast<char*>(dump);
    VstEvents events{};
    events.numEvents = 2;
    events.events[0] = reinterpret_cast<VstEvent*>(&note);
    events.events[1] = reinterpret_cast<VstEvent*>(&sysex);
    EXPECT_EQ(Dispatch(effProcessEvents, 0, 0, &events), 1);
    ASSERT_EQ(host.midiEvents.size(), 1u);
    EXPECT_EQ(host.midiEvents[0].deltaFrames, 9);
    EXPECT_EQ(host.midiEvents[0].midiData[1], 64);
    ASSERT_EQ(host.sysexDumps.size(), 1u);
    EXPECT_EQ(host.sysexDumps[0], std::vector<uint8_t>(dump, dump + sizeof dump));
    EXPECT_EQ(Dispatch(effProcessEvents), 0);
}
