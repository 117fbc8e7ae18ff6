#include "Vst2TestSupport.h"

#include "HostIdentification.h"

#include <cstring>

TEST_F(Vst2Test, HostIsIdentifiedOnceAtOpen)
{
    host.productString = "Some REAPER build";
    host.vendorVersion = 10208;
    EXPECT_EQ(host.Count(audioMasterGetProductString), 0);  // not at creation
    Dispatch(effOpen);
    EXPECT_EQ(Plugin().GetHostId(), kHostReaper);
    EXPECT_EQ(Plugin().HostVersion(), 0x010208);
    Dispatch(effOpen);
    Plugin().GetHostId();
    EXPECT_EQ(host.Count(audioMasterGetProductString), 1);
    EXPECT_EQ(host.Count(audioMasterGetVendorVersion), 1);
}

TEST_F(Vst2Test, HostWithoutAProductStringIsAskedOnce)
{
    host.productString = "";
    Dispatch(effOpen);
    EXPECT_EQ(Plugin().GetHostId(), kHostUnknown);
    EXPECT_EQ(Plugin().HostVersion(), 0);
    Plugin().GetHostId();
    EXPECT_EQ(host.Count(audioMasterGetProductString), 1);
    EXPECT_EQ(host.Count(audioMasterGetVendorVersion), 0);
}

TEST(Vst2HostLink, WorksWithoutAHostCallback)
{
    AEffect* effect = VSTPluginMain(nullptr);
    ASSERT_NE(effect, nullptr);
    effect->dispatcher(effect, effOpen, 0, 0, nullptr, 0.0f);
    auto* plugin = static_cast<TestGainDelay*>(IEffectVST2::FromAEffect(effect));
    EXPECT_EQ(plugin->GetHostId(), kHostUnknown);
    EXPECT_EQ(plugin->GetHostTempo(), 0.0);
    EXPECT_FALSE(plugin->IsOfflineRender());
    effect->setParameter(effect, TestGainDelay::kNudge, 1.0f);
    effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
}

TEST(Vst2HostLink, InitialisationForHostsThatFeedStereoAtMost)
{
    RecordingHost host;
    host.productString = "Forte";
    ConfigurableEffect plugin("4-4");
    plugin.GetAEffect()->numInputs = 99;
    plugin.Dispatch(effOpen);
    plugin.Dispatch(effOpen);
    EXPECT_EQ(plugin.hostKnown, 1);
    EXPECT_TRUE(plugin.Inputs().At(1).connected);
    EXPECT_FALSE(plugin.Inputs().At(2).connected);
    EXPECT_FALSE(plugin.Inputs().At(3).connected);
    EXPECT_TRUE(plugin.Outputs().At(3).connected);
    EXPECT_EQ(plugin.GetAEffect()->numInputs, 4);

    RecordingHost other;
    other.productString = "Another host";
    ConfigurableEffect all("4-4");
    all.Dispatch(effOpen);
    EXPECT_EQ(all.Inputs().ConnectedCount(), 4);
}

TEST_F(Vst2Test, EditsGesturesAndPresetChangesReachTheHost)
{
    host.Clear();
    effect->setParameter(effect, TestGainDelay::kNudge, 1.0f);
    ASSERT_EQ(host.calls.size(), 4u);
    EXPECT_EQ(host.calls[0].opcode, audioMasterBeginEdit);
    EXPECT_EQ(host.calls[0].index, TestGainDelay::kMix);
    EXPECT_EQ(host.calls[1].opcode, audioMasterAutomate);
    EXPECT_EQ(host.calls[1].index, TestGainDelay::kMix);
    EXPECT_EQ(host.calls[1].opt, 0.25f);
    EXPECT_EQ(host.calls[2].opcode, audioMasterEndEdit);
    EXPECT_EQ(host.calls[2].index, TestGainDelay::kMix);
    EXPECT_EQ(host.calls[3].opcode, audioMasterUpdateDisplay);
    EXPECT_DOUBLE_EQ(Value(TestGainDelay::kMix), 0.25);
    // Setting parameters from the host does not echo back as automation.
    host.Clear();
    effect->setParameter(effect, TestGainDelay::kGain, 0.5f);
    EXPECT_TRUE(host.calls.empty());
}

TEST_F(Vst2Test, TimeInformation)
{
    host.Clear();
    EXPECT_EQ(Plugin().GetSamplePosition(), 4410);
    ASSERT_EQ(host.CallsOf(audioMasterGetTime).size(), 1u);
    EXPECT_EQ(host.CallsOf(audioMasterGetTime)[0].value, 0);
    host.timeInfo.samplePos = 4410.5;
    EXPECT_EQ(Plugin().GetSamplePosition(), 4411);
    host.timeInfo.samplePos = -3.0;
    EXPECT_EQ(Plugin().GetSamplePosition(), 0);
    host.timeInfo.samplePos = 1e12;
    EXPECT_EQ(Plugin().GetSamplePosition(), 2147483647);

    host.Clear();
    EXPECT_EQ(Plugin().GetHostTempo(), 120.25);
    EXPECT_EQ(host.CallsOf(audioMasterGetTime)[0].value, 0x400);
    int32_t num = -1, den = -1;
    Plugin().GetTimeSignature(&num, &den);
    EXPECT_EQ(num, 3);
    EXPECT_EQ(den, 4);
    EXPECT_EQ(host.CallsOf(audioMasterGetTime)[1].value, 0x2000);

    ITransportInfo info;
    Plugin().GetTransportInfo(&info);
    EXPECT_EQ(host.CallsOf(audioMasterGetTime)[2].value, 0x3E00);
    EXPECT_EQ(info.samplePosition, 1e12);
    EXPECT_EQ(info.musicalPosition, 12.5);
    EXPECT_EQ(info.tempo, 120.25);
    EXPECT_EQ(info.lastBarStart, 12.0);
    EXPECT_EQ(info.cycleStart, 8.0);
    EXPECT_EQ(info.cycleEnd, 16.0);
    EXPECT_EQ(info.timeSigNumerator, 3);
    EXPECT_EQ(info.timeSigDenominator, 4);
    EXPECT_TRUE(info.transportPlaying);
    EXPECT_FALSE(info.cycleActive);

    // Fields the host marks invalid, or holds negative, are left alone.
    host.timeInfo.flags = kVstTransportCycleActive | kVstTempoValid | kVstCyclePosValid | kVstTimeSigValid;
    host.timeInfo.tempo = 0.0;
    host.timeInfo.cycleStartPos = -1.0;
    host.timeInfo.timeSigDenominator = 0;
    ITransportInfo partial;
    partial.musicalPosition = 77.0;
    partial.tempo = 77.0;
    partial.cycleStart = 77.0;
    partial.timeSigNumerator = 77;
    Plugin().GetTransportInfo(&partial);
    EXPECT_EQ(partial.musicalPosition, 77.0);
    EXPECT_EQ(partial.tempo, 77.0);
    EXPECT_EQ(partial.cycleStart, 77.0);
    EXPECT_EQ(partial.timeSigNumerator, 77);
    EXPECT_TRUE(partial.cycleActive);
    EXPECT_FALSE(partial.transportPlaying);
    EXPECT_EQ(Plugin().GetHostTempo(), 0.0);

    // Without the flags asked for, nothing is taken.
    host.timeInfo.flags = kVstTransportPlaying;
    EXPECT_EQ(Plugin().GetHostTempo(), 0.0);
    Plugin().GetTimeSignature(&num, &den);
    EXPECT_EQ(num, 0);
    EXPECT_EQ(den, 0);
    ITransportInfo untouched;
    untouched.samplePosition = 5.0;
    Plugin().GetTransportInfo(&untouched);
    EXPECT_EQ(untouched.samplePosition, 5.0);
    EXPECT_FALSE(untouched.transportPlaying);

    host.hasTimeInfo = false;
    EXPECT_EQ(Plugin().GetSamplePosition(), 0);
    EXPECT_EQ(Plugin().GetHostTempo(), 0.0);
    Plugin().GetTimeSignature(&num, &den);
    EXPECT_EQ(num, 0);
    Plugin().GetTransportInfo(&untouched);
    Plugin().GetTimeSignature(nullptr, nullptr);
    Plugin().GetTransportInfo(nullptr);
}

TEST_F(Vst2Test, ProcessLevel)
{
    host.processLevel = 4;
    EXPECT_TRUE(Plugin().IsOfflineRender());
    host.processLevel = 2;
    EXPECT_FALSE(Plugin().IsOfflineRender());
}

TEST_F(Vst2Test, LatencyIsReported)
{
    Plugin().SetLatencySamples(64);
    EXPECT_EQ(effect->initialDelay, 64);
    EXPECT_EQ(Plugin().Latency(), 64);
}

TEST_F(Vst2Test, EventsInAndOut)
{
    VstMidiEvent note{};
    note.type = kVstMidiType;
    note.byteSize = sizeof note;
    note.deltaFrames = 17;
    note.midiData[0] = static_cast<char>(0x90);
    note.midiData[1] = 60;
    note.midiData[2] = 100;
    uint8_t dump[] = {0xF0, 0x7D, 0x01, 0x02, 0xF7};
    VstMidiSysexEvent sysex{};
    sysex.type = kVstSysExType;
    sysex.byteSize = sizeof sysex;
    sysex.deltaFrames = 5;
    sysex.dumpBytes = sizeof dump;
    sysex.sysexDump = reinterpret_cast<char*>(dump);
    VstMidiSysexEvent broken = sysex;
    broken.dumpBytes = -4;
    VstMidiSysexEvent missing = sysex;
    missing.sysexDump = nullptr;
    VstEvent other{};
    other.type = 3;

    // A list of five: the struct declares room for two, hosts append the rest.
    struct
    {
        VstInt32 numEvents;
        VstIntPtr reserved;
        VstEvent* events[6];
    } list{5, 0, {reinterpret_cast<VstEvent*>(&note), &other, nullptr, reinterpret_cast<VstEvent*>(&broken),
                  reinterpret_cast<VstEvent*>(&sysex), reinterpret_cast<VstEvent*>(&missing)}};
    list.numEvents = 6;
    EXPECT_EQ(Dispatch(effProcessEvents, 0, 0, &list), 1);

    // The framework passes MIDI through; the test plug-in echoes sysex.
    ASSERT_EQ(host.midiEvents.size(), 1u);
    EXPECT_EQ(host.midiEvents[0].byteSize, 32);
    EXPECT_EQ(host.midiEvents[0].deltaFrames, 17);
    EXPECT_EQ(static_cast<uint8_t>(host.midiEvents[0].midiData[0]), 0x90);
    EXPECT_EQ(host.midiEvents[0].midiData[1], 60);
    EXPECT_EQ(host.midiEvents[0].midiData[2], 100);
    ASSERT_EQ(host.sysexDumps.size(), 1u);
    EXPECT_EQ(host.sysexDumps[0], std::vector<uint8_t>(dump, dump + sizeof dump));
    EXPECT_EQ(host.sysexByteSizes[0], 48);

    list.numEvents = -3;
    EXPECT_EQ(Dispatch(effProcessEvents, 0, 0, &list), 1);
    EXPECT_EQ(host.midiEvents.size(), 1u);

    IMidiMessage message;
    EXPECT_TRUE(Plugin().SendMidiMessage(message));
    host.eventsAnswer = 0;
    EXPECT_FALSE(Plugin().SendMidiMessage(message));
    EXPECT_FALSE(Plugin().SendSysExMessage(ISysExMessage{}));
}

TEST(Vst2HostLink, MidiEffectsAskForMidiWithEveryBlock)
{
    RecordingHost host;
    ConfigurableEffect midi("1-1 2-2", true);
    ConfigurableEffect plain("1-1 2-2");
    std::vector<float> buffer(16, 0.0f);
    float* channels[] = {buffer.data(), buffer.data()};
    for (ConfigurableEffect* plugin : {&midi, &plain})
    {
        AEffect* e = plugin->GetAEffect();
        e->processReplacing(e, channels, channels, 16);
        e->process(e, channels, channels, 16);
    }
    std::vector<double> dbuffer(16, 0.0);
    double* dchannels[] = {dbuffer.data(), dbuffer.data()};
    midi.GetAEffect()->processDoubleReplacing(midi.GetAEffect(), dchannels, dchannels, 16);
    EXPECT_EQ(host.Count(audioMasterWantMidi), 3);
}
