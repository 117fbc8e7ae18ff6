// Runs tessivane-render as a user would and checks its files, messages and exit status.

#include "EngineTestSupport.h"
#include "IReverbEffect.h"
#include "PlainReverb.h"
#include "ReverbParameters.h"
#include "ScopedFlushDenormals.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <memory>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Result
{
    int status;
    std::string out;
    std::string err;
};

std::string Quote(const std::string& s)
{
    std::string q = "'";
    for (char c : s)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

std::string ReadText(const fs::path& p)
{
    std::ifstream in(p);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

struct Audio
{
    int channels = 0;
    int rate = 0;
    int format = 0;
    std::vector<double> samples;  // interleaved
    size_t Frames() const { return channels ? samples.size() / static_cast<size_t>(channels) : 0; }
};

bool WriteAudio(const fs::path& path, const Audio& a)
{
    SF_INFO info{};
    info.channels = a.channels;
    info.samplerate = a.rate;
    info.format = a.format;
    SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!f)
        return false;
    sf_writef_double(f, a.samples.data(), static_cast<sf_count_t>(a.Frames()));
    sf_close(f);
    return true;
}

Audio ReadAudio(const fs::path& path)
{
    Audio a;
    SF_INFO info{};
    SNDFILE* f = sf_open(path.c_str(), SFM_READ, &info);
    if (!f)
        return a;
    a.channels = info.channels;
    a.rate = info.samplerate;
    a.format = info.format;
    a.samples.resize(static_cast<size_t>(info.frames * info.channels));
    sf_readf_double(f, a.samples.data(), info.frames);
    sf_close(f);
    return a;
}

Audio Noise(int channels, int rate, int frames, int format)
{
    Audio a;
    a.channels = channels;
    a.rate = rate;
    a.format = format;
    unsigned state = 12345;
    for (int i = 0; i < frames * channels; ++i)
    {
        state = state * 1103515245u + 12345u;
        a.samples.push_back(static_cast<double>((state >> 9) & 0xFFFF) / 65536.0 - 0.5);
    }
    return a;
}

// The first line of a message, for checking that errors are one line.
bool IsOneLine(const std::string& s)
{
    return !s.empty() && s.find('\n') == s.size() - 1;
}

struct FailureCase
{
    std::string args;
    int status;
    std::string message;
};

// A parameter change at a frame, as the plain transcription takes it.
struct Change
{
    int frame;
    int index;
    double value;
};

// Exactly as written, so that the tool and the transcription get the same doubles.
std::string Exact(double value)
{
    std::ostringstream text;
    text << std::setprecision(17) << value;
    return text.str();
}

class RenderTool : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir = fs::temp_directory_path() / ("tessivane-render-test-" + std::string(info->name()) + "-" +
                                           std::to_string(getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }

    Result Run(const std::string& args)
    {
        const fs::path out = dir / "stdout.txt";
        const fs::path err = dir / "stderr.txt";
        const std::string command = Quote(TESSIVANE_RENDER) + " " + args + " >" + Quote(out) + " 2>" + Quote(err);
        const int raw = std::system(command.c_str());
        Result r{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadText(out), ReadText(err)};
        fs::remove(out);
        fs::remove(err);
        return r;
    }

    std::string P(const std::string& name) const { return Quote((dir / name).string()); }

    // Every entry of the folder other than the given files: what a failed job left behind.
    std::vector<std::string> Leftovers(std::initializer_list<std::string> expected) const
    {
        std::vector<std::string> found;
        for (const auto& e : fs::directory_iterator(dir))
        {
            const std::string name = e.path().filename().string();
            if (std::find(expected.begin(), expected.end(), name) == expected.end())
                found.push_back(name);
        }
        return found;
    }

    // Each case fails with its status and a one-line message, and leaves nothing but `keep`.
    void ExpectFailures(const std::vector<FailureCase>& cases, std::initializer_list<std::string> keep)
    {
        for (const FailureCase& c : cases)
        {
            Result r = Run(c.args);
            EXPECT_EQ(r.status, c.status) << c.args;
            EXPECT_NE(r.err.find(c.message), std::string::npos) << c.args << " -> " << r.err;
            EXPECT_TRUE(IsOneLine(r.err)) << r.err;
            EXPECT_TRUE(Leftovers(keep).empty()) << c.args;
        }
    }

    // Renders `input` (stereo, 44.1 kHz) with `settings` made before the start and `changes` at
    // their frames, and compares the output with the plain transcription given the same. With
    // Turbulence On the engine's vector kernels may differ from it by rounding.
    void ExpectPlainTranscription(const Audio& input, const std::vector<Change>& settings,
                                  const std::vector<Change>& changes);

    fs::path dir;
};

} // namespace

TEST_F(RenderTool, HelpDocumentsTheOptions)
{
    Result r = Run("--help");
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("--set"), std::string::npos);
    EXPECT_NE(r.out.find("Example"), std::string::npos);
}

TEST_F(RenderTool, RendersStereoWithTheReverbsOwnNumbers)
{
    Audio in = Noise(2, 44100, 3000, SF_FORMAT_WAV | SF_FORMAT_DOUBLE);
    ASSERT_TRUE(WriteAudio(dir / "in.wav", in));
    Result r = Run("--quiet --tail 0.05 --block 100 --set \"ROOM SIZE = 0.8\" --set 2=0.3 " + P("in.wav") + " " +
                   P("out.wav"));
    ASSERT_EQ(r.status, 0) << r.err;
    Audio out = ReadAudio(dir / "out.wav");
    EXPECT_EQ(out.channels, 2);
    EXPECT_EQ(out.rate, 44100);
    EXPECT_EQ(out.format, SF_FORMAT_WAV | SF_FORMAT_DOUBLE);
    ASSERT_EQ(out.Frames(), 3000u + 2205u);

    // The same input through the plug-in directly gives the same samples.
    IReverbEffect reverb(nullptr);
    reverb.ApplyHostParameter(4, 0.8);
    reverb.ApplyHostParameter(2, 0.3);
    reverb.Prepare(44100, 512);
    const size_t frames = out.Frames();
    std::vector<double> l(frames, 0.0), rr(frames, 0.0), ol(frames), orr(frames);
    for (size_t f = 0; f < 3000; ++f)
    {
        l[f] = in.samples[2 * f];
        rr[f] = in.samples[2 * f + 1];
    }
    const double* ins[] = {l.data(), rr.data()};
    double* outs[] = {ol.data(), orr.data()};
    reverb.ProcessDouble(ins, outs, static_cast<int32_t>(frames), false);
    for (size_t f = 0; f < frames; ++f)
    {
        ASSERT_EQ(out.samples[2 * f], ol[f]) << f;
        ASSERT_EQ(out.samples[2 * f + 1], orr[f]) << f;
    }
}

TEST_F(RenderTool, MonoStaysMonoAndKeepsItsFormat)
{
    ASSERT_TRUE(WriteAudio(dir / "in.flac", Noise(1, 32000, 4000, SF_FORMAT_FLAC | SF_FORMAT_PCM_16)));
    Result r = Run("--quiet " + P("in.flac") + " " + P("out.flac"));
    ASSERT_EQ(r.status, 0) << r.err;
    Audio out = ReadAudio(dir / "out.flac");
    EXPECT_EQ(out.channels, 1);
    EXPECT_EQ(out.rate, 32000);
    EXPECT_EQ(out.format, SF_FORMAT_FLAC | SF_FORMAT_PCM_16);
    // The tail runs until the output has died away, within 30 s.
    EXPECT_GT(out.Frames(), 4000u + 3200u);
    EXPECT_LE(out.Frames(), 4000u + 30u * 32000u + 512u);
    Result r24 = Run("--quiet --format pcm24 --tail 0 " + P("in.flac") + " " + P("out.aiff"));
    ASSERT_EQ(r24.status, 0) << r24.err;
    EXPECT_EQ(ReadAudio(dir / "out.aiff").format, SF_FORMAT_AIFF | SF_FORMAT_PCM_24);
}

TEST_F(RenderTool, ImpulseResponseStartsWithTheWetSignal)
{
    Result r = Run("--quiet --impulse --rate 44100 --set \"Pre-delay=0\" --set mix=1 --tail 1 " + P("ir.wav"));
    ASSERT_EQ(r.status, 0) << r.err;
    Audio ir = ReadAudio(dir / "ir.wav");
    EXPECT_EQ(ir.format, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    EXPECT_EQ(ir.Frames(), 1u + 44100u);
    EXPECT_NE(ir.samples[0], 0.0);  // no pre-delay: the chain output reaches the first sample
}

TEST_F(RenderTool, StateFilesRoundTripAndListShowsReadouts)
{
    Result save = Run("--set \"Room size=0.8\" --set \"low cut=0.5\" --save-state " + P("s.state"));
    ASSERT_EQ(save.status, 0) << save.err;
    EXPECT_EQ(fs::file_size(dir / "s.state"), 152u);
    Result list = Run("--load-state " + P("s.state") + " --list-params");
    ASSERT_EQ(list.status, 0) << list.err;
    EXPECT_NE(list.out.find("Room size"), std::string::npos);
    EXPECT_NE(list.out.find("0.800"), std::string::npos);
    EXPECT_NE(list.out.find(" 100\n"), std::string::npos);  // Low cut readout at 0.5

    Result defaults = Run("--list-params");
    EXPECT_NE(defaults.out.find("  10\n"), std::string::npos);
    EXPECT_NE(defaults.out.find("3000\n"), std::string::npos);
    EXPECT_NE(defaults.out.find("0.85\n"), std::string::npos);
}

TEST_F(RenderTool, DemoWritesDryAndWetFiles)
{
    Result r = Run("--quiet --demo " + P("demo"));
    ASSERT_EQ(r.status, 0) << r.err;
    Audio dry = ReadAudio(dir / "demo" / "demo-dry.wav");
    Audio wet = ReadAudio(dir / "demo" / "demo-wet.wav");
    EXPECT_EQ(dry.channels, 2);
    EXPECT_GT(wet.Frames(), dry.Frames());
    EXPECT_NE(r.out.find("demo-wet.wav"), std::string::npos);
}

TEST_F(RenderTool, BadInputFailsWithOneLineAndNoPartialFile)
{
    ASSERT_TRUE(WriteAudio(dir / "in.wav", Noise(2, 48000, 100, SF_FORMAT_WAV | SF_FORMAT_PCM_16)));
    ASSERT_TRUE(WriteAudio(dir / "three.wav", Noise(3, 48000, 100, SF_FORMAT_WAV | SF_FORMAT_PCM_16)));
    ASSERT_TRUE(WriteAudio(dir / "in.au", Noise(1, 48000, 100, SF_FORMAT_AU | SF_FORMAT_PCM_16)));
    std::ofstream(dir / "text.wav") << "not audio";
    std::ofstream(dir / "short.state") << "12345678";
    const std::string in = P("in.wav");
    const std::string out = P("out.wav");
    const std::vector<FailureCase> cases = {
        {P("missing.wav") + " " + out, 1, "cannot read"},
        {P("text.wav") + " " + out, 1, "cannot read"},
        {P("in.au") + " " + out, 1, "not a WAV, AIFF or FLAC"},
        {P("three.wav") + " " + out, 1, "only mono and stereo"},
        {"--set nosuch=0.5 " + in + " " + out, 1, "unknown parameter 'nosuch'"},
        {"--set mix=1.5 " + in + " " + out, 1, "from 0 to 1"},
        {"--set mix=abc " + in + " " + out, 1, "from 0 to 1"},
        {"--set 19=0.5 " + in + " " + out, 1, "unknown parameter"},
        {"--load-state " + P("short.state") + " " + in + " " + out, 1, "expected 152"},
        {"--load-state " + P("nothing.state") + " " + in + " " + out, 1, "cannot read state file"},
        {in + " " + in, 1, "would overwrite the input"},
        {in + " " + P("./in.wav"), 1, "would overwrite the input"},
        {in + " " + P("no/such/folder/out.wav"), 1, "cannot write"},
        {"--format float " + in + " " + P("out.flac"), 1, "FLAC format cannot hold"},
        {"--tail", 2, "needs a value"},
    };
    ExpectFailures(cases, {"in.wav", "three.wav", "in.au", "text.wav", "short.state"});
    EXPECT_EQ(ReadAudio(dir / "in.wav").Frames(), 100u);  // the input survived
}

void RenderTool::ExpectPlainTranscription(const Audio& input, const std::vector<Change>& settings,
                                          const std::vector<Change>& changes)
{
    namespace RP = ReverbParameters;
    constexpr int kTailFrames = 22050;  // --tail 0.5 at 44.1 kHz
    ASSERT_TRUE(WriteAudio(dir / "in.wav", input));
    std::string args = "--quiet --format double --tail 0.5";
    for (const Change& c : settings)
        args += " --set " + std::to_string(c.index) + "=" + Exact(c.value);
    for (const Change& c : changes)
        args += " --at " + std::to_string(c.frame) + "f " + std::to_string(c.index) + "=" + Exact(c.value);
    Result r = Run(args + " " + P("in.wav") + " " + P("out.wav"));
    ASSERT_EQ(r.status, 0) << r.err;
    const Audio out = ReadAudio(dir / "out.wav");
    const size_t frames = input.Frames() + kTailFrames;
    ASSERT_EQ(out.Frames(), frames);

    auto plain = std::make_unique<PlainReverb>();
    double turbulence = RP::DefaultValue(RP::kTurbulence);
    for (const Change& c : settings)
    {
        plain->Change(c.index, c.value);
        turbulence = c.index == RP::kTurbulence ? c.value : turbulence;
    }
    plain->SetRate(44100.0);
    plain->Reset();
    EngineTest::Stereo in = EngineTest::Silence(static_cast<int>(frames));
    EngineTest::Stereo got = EngineTest::Silence(static_cast<int>(frames));
    EngineTest::Stereo expected = EngineTest::Silence(static_cast<int>(frames));
    for (size_t f = 0; f < frames; ++f)
    {
        in.left[f] = f < input.Frames() ? input.samples[2 * f] : 0.0;
        in.right[f] = f < input.Frames() ? input.samples[2 * f + 1] : 0.0;
        got.left[f] = out.samples[2 * f];
        got.right[f] = out.samples[2 * f + 1];
    }
    // Rendered in stretches between changes; each stretch is compared on its own, exactly
    // where Turbulence is Off.
    size_t next = 0;
    for (size_t start = 0; start < frames;)
    {
        for (; next < changes.size() && static_cast<size_t>(changes[next].frame) == start; ++next)
        {
            plain->Change(changes[next].index, changes[next].value);
            turbulence = changes[next].index == RP::kTurbulence ? changes[next].value : turbulence;
        }
        const size_t end = next < changes.size() ? static_cast<size_t>(changes[next].frame) : frames;
        {
            ScopedFlushDenormals sameFloatingPointMode;
            plain->Render(&in.left[start], &in.right[start], &expected.left[start], &expected.right[start],
                          static_cast<int>(end - start));
        }
        SCOPED_TRACE("frames " + std::to_string(start) + ".." + std::to_string(end));
        EXPECT_TRUE(EngineTest::MatchesReference(got.left, expected.left, turbulence != 0.0, start, end));
        EXPECT_TRUE(EngineTest::MatchesReference(got.right, expected.right, turbulence != 0.0, start, end));
        start = end;
    }
}

TEST_F(RenderTool, ChangeLandsOnItsExactFrame)
{
    // Only the wet signal until Mix goes to 0; after that only the dry impulse, long past.
    const std::string base = "--quiet --impulse --rate 48000 --set mix=1 --tail 0.2 --format double ";
    ASSERT_EQ(Run(base + P("unchanged.wav")).status, 0);
    const Audio unchanged = ReadAudio(dir / "unchanged.wav");
    const struct
    {
        const char* when;
        size_t frame;
    } cases[] = {{"2000f", 2000}, {"0.0625", 3000}};
    for (const auto& c : cases)
    {
        Result r = Run(base + "--at " + c.when + " mix=0 " + P("switched.wav"));
        ASSERT_EQ(r.status, 0) << r.err;
        const Audio switched = ReadAudio(dir / "switched.wav");
        ASSERT_EQ(switched.samples.size(), unchanged.samples.size());
        ASSERT_NE(unchanged.samples[2 * c.frame], 0.0) << "the tail must still sound where Mix changes";
        for (size_t i = 0; i < switched.samples.size(); ++i)
            ASSERT_EQ(switched.samples[i], i < 2 * c.frame ? unchanged.samples[i] : 0.0) << c.when << ", frame " << i / 2;
    }
}

TEST_F(RenderTool, AutomationSoundsTheSameWithAnyBlockSize)
{
    ASSERT_TRUE(WriteAudio(dir / "in.wav", Noise(2, 44100, 9000, SF_FORMAT_WAV | SF_FORMAT_DOUBLE)));
    std::ofstream(dir / "lanes.txt") << "# opens, then lighter\n100f Room size=0.9\n0.1 Air=1\n\n9500f Turbulence=1\n";
    const std::string args = "--quiet --format double --automation " + P("lanes.txt") +
                             " --ramp 1000f 6000f mix=0.1:0.9 --at 7001f \"Mod rate=1\" --at 9000f \"Far echo=0.7\" " +
                             P("in.wav") + " " + P("out.wav");
    std::vector<double> first;
    for (const char* block : {"1", "64", "4096"})
    {
        Result r = Run("--block " + std::string(block) + " " + args);
        ASSERT_EQ(r.status, 0) << r.err;
        const Audio out = ReadAudio(dir / "out.wav");
        if (first.empty())
            first = out.samples;
        else
            EXPECT_TRUE(out.samples == first) << "blocks of " << block << ": " << out.Frames() << " frames";
    }
    EXPECT_GT(first.size(), 2u * 9500u);  // the tail went past the last change
}

TEST_F(RenderTool, EngineReactsToTimedChangesAsThePlainTranscription)
{
    namespace RP = ReverbParameters;
    const Audio noise = Noise(2, 44100, 15000, SF_FORMAT_WAV | SF_FORMAT_DOUBLE);
    {
        SCOPED_TRACE("Room size recomputes the lengths; the tail keeps sounding");
        ExpectPlainTranscription(noise, {{0, RP::kTurbulence, 1.0}},
                                 {{5000, RP::kRoomSize, 0.9}, {12000, RP::kRoomSize, 0.1}, {20000, RP::kRoomSize, 0.7}});
    }
    {
        SCOPED_TRACE("Turbulence and Air reset the engine, also during the tail");
        ExpectPlainTranscription(noise, {},
                                 {{6000, RP::kAir, 1.0}, {11000, RP::kAir, 0.0}, {18000, RP::kTurbulence, 1.0},
                                  {26000, RP::kAir, 1.0}, {30000, RP::kTurbulence, 0.0}});
    }
    {
        SCOPED_TRACE("Mod rate retimes the modulation walks");
        ExpectPlainTranscription(noise, {{0, RP::kTurbulence, 1.0}, {0, RP::kModRate, 0.2}},
                                 {{4000, RP::kModRate, 1.0}, {9000, RP::kModRate, 0.0}, {17000, RP::kModRate, 0.75}});
    }
}

TEST_F(RenderTool, ListShowsTheValuesTimedChangesLeave)
{
    // Mix 0 silences the tail at once: the render then lasts just past the last change,
    // beyond the 30 s an automatic tail may otherwise take.
    Result r = Run("--quiet --impulse --rate 8000 --set mix=0 --ramp 0 1 \"Pre-delay=0:0.5\" --at 35 \"Room size=1\" "
                   "--list-params " + P("ir.wav"));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(ReadAudio(dir / "ir.wav").Frames(), 35u * 8000u + 1u);
    EXPECT_NE(r.out.find("Room size        0.449     1.000"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Pre-delay        0.200     0.500"), std::string::npos) << r.out;
    // Without a render the changes still apply in time order, not in the order written.
    Result list = Run("--at 1 mix=0.25 --at 0.5 mix=0.75 --list-params");
    EXPECT_NE(list.out.find("Mix              0.330     0.250"), std::string::npos) << list.out;
}

TEST_F(RenderTool, TimedChangeMistakesFailWithOneLineAndNoOutput)
{
    ASSERT_TRUE(WriteAudio(dir / "in.wav", Noise(2, 48000, 100, SF_FORMAT_WAV | SF_FORMAT_PCM_16)));
    std::ofstream(dir / "bad.lanes") << "# fine so far\n0 mix=0.5\nlater mix=1\n";
    const std::string files = " " + P("in.wav") + " " + P("out.wav");
    ExpectFailures({{"--at 1 nosuch=0.5" + files, 1, "--at: unknown parameter 'nosuch'"},
                    {"--at 1 mix=1.5" + files, 2, "from 0 to 1"},
                    {"--at 1 mix=nan" + files, 2, "from 0 to 1"},
                    {"--at -0.5 mix=1" + files, 2, "WHEN must be seconds"},
                    {"--at soon mix=1" + files, 2, "got 'soon'"},
                    {"--at 99999999999999f mix=1" + files, 2, "from 0 to 24 hours"},
                    {"--automation " + P("bad.lanes") + files, 2, "bad.lanes line 3: WHEN"},
                    {"--ramp 2 1 mix=0:1" + files, 1, "ends before it starts"},
                    {"--tail 0.1 --at 1 mix=1" + files, 1, "comes after the end of the render at frame 4900"},
                    {"--demo " + P("demo") + " --at 1 nosuch=1", 1, "unknown parameter"},
                    {"--demo " + P("demo") + " --at 7 mix=1", 1, "after the end of the render"}},
                   {"in.wav", "bad.lanes"});
}
