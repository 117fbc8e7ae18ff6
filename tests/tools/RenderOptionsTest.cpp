#include "RenderOptions.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <tuple>
#include <unistd.h>
#include <vector>

namespace {

struct Parsed
{
    bool ok;
    RenderOptions options;
    std::string error;
};

Parsed Parse(std::initializer_list<const char*> args)
{
    std::vector<const char*> argv = {"tessivane-render"};
    argv.insert(argv.end(), args);
    Parsed p;
    p.ok = ParseRenderOptions(static_cast<int>(argv.size()), argv.data(), p.options, p.error);
    return p;
}

// An automation file in the temporary folder, removed with the object.
struct TextFile
{
    explicit TextFile(const std::string& text)
        : path(std::filesystem::temp_directory_path() / ("tessivane-lanes-" + std::to_string(getpid()) + ".txt"))
    {
        std::ofstream(path) << text;
    }
    ~TextFile() { std::filesystem::remove(path); }
    std::filesystem::path path;
};

using Change = std::tuple<int64_t, int32_t, double>;

std::vector<Change> Resolved(const RenderOptions& options, double sampleRate)
{
    const auto lookup = [](const std::string& name) { return name == "mix" ? 1 : name == "Room size" ? 4 : -1; };
    std::vector<FrameChange> changes;
    std::string error;
    EXPECT_TRUE(options.automation.Resolve(sampleRate, lookup, changes, error)) << error;
    std::vector<Change> out;
    for (const FrameChange& c : changes)
        out.emplace_back(c.frame, c.index, c.value);
    return out;
}

} // namespace

TEST(RenderOptions, ReadsARenderWithSettingsInOrder)
{
    Parsed p = Parse({"--set", "Room size=0.8", "in.wav", "--set", "mix=1", "--format", "double", "--tail", "2.5", "out.wav"});
    ASSERT_TRUE(p.ok) << p.error;
    EXPECT_EQ(p.options.mode, RenderOptions::Mode::Render);
    EXPECT_EQ(p.options.inputPath, "in.wav");
    EXPECT_EQ(p.options.outputPath, "out.wav");
    EXPECT_EQ(p.options.settings, (std::vector<std::string>{"Room size=0.8", "mix=1"}));
    EXPECT_EQ(p.options.format, RenderOptions::SampleFormat::Float64);
    EXPECT_EQ(p.options.tailSeconds, 2.5);
    EXPECT_EQ(p.options.blockFrames, 512);
}

TEST(RenderOptions, RecognisesTheOtherModes)
{
    EXPECT_EQ(Parse({"--impulse", "--rate", "96000", "ir.wav"}).options.mode, RenderOptions::Mode::Impulse);
    EXPECT_EQ(Parse({"--demo", "out"}).options.demoFolder, "out");
    EXPECT_EQ(Parse({"--list-params"}).options.mode, RenderOptions::Mode::ParametersOnly);
    EXPECT_EQ(Parse({"--save-state", "s.bin"}).options.mode, RenderOptions::Mode::ParametersOnly);
    EXPECT_EQ(Parse({"in.wav", "--help"}).options.mode, RenderOptions::Mode::Help);
}

TEST(RenderOptions, MistakesGiveAMessage)
{
    for (auto args : {std::initializer_list<const char*>{"--set", "mix", "a.wav", "b.wav"},
                      {"--format", "mp3", "a.wav", "b.wav"},
                      {"--tail", "-1", "a.wav", "b.wav"},
                      {"--tail", "nan", "a.wav", "b.wav"},
                      {"--block", "0", "a.wav", "b.wav"},
                      {"--block", "1.5", "a.wav", "b.wav"},
                      {"--rate", "10", "--impulse", "ir.wav"},
                      {"--impulse", "a.wav", "b.wav"},
                      {"--bogus", "a.wav", "b.wav"},
                      {"a.wav"},
                      {"--set"}})
    {
        Parsed p = Parse(args);
        EXPECT_FALSE(p.ok);
        EXPECT_FALSE(p.error.empty());
    }
}

TEST(RenderOptions, UsageDocumentsEveryOption)
{
    const std::string usage = RenderUsage();
    for (const char* option : {"--set", "--at", "--automation", "--ramp", "--list-params", "--load-state", "--save-state", "--format", "--tail",
                               "--impulse", "--rate", "--block", "--demo", "--quiet", "--help"})
        EXPECT_NE(usage.find(option), std::string::npos) << option;
}

TEST(RenderOptions, TimedChangesResolveToFramesInTheOrderGiven)
{
    const TextFile lanes("# the chorus\n\n  0.5 Room size = 0.25  # opens up\n10f mix=0.5\r\n");
    const std::string file = lanes.path.string();
    Parsed p = Parse({"--at", "10f", "mix=1", "--automation", file.c_str(), "--ramp", "0.002", "20f", "mix=0:1", "4",
                      "--at", "0.5", "mix=0", "in.wav", "out.wav"});
    ASSERT_TRUE(p.ok) << p.error;
    EXPECT_EQ(p.options.inputPath, "in.wav");  // STEP took the number only

    // Seconds at 1000 Hz; the ramp has a change every 4 frames from frame 2 and the end value
    // exactly at frame 20; changes at one frame keep the order they were given in.
    const std::vector<Change> expected = {
        {2, 1, 0.0},  {6, 1, 4.0 / 18.0},   {10, 1, 1.0},  {10, 1, 0.5}, {10, 1, 8.0 / 18.0},
        {14, 1, 12.0 / 18.0}, {18, 1, 16.0 / 18.0}, {20, 1, 1.0}, {500, 4, 0.25}, {500, 1, 0.0}};
    EXPECT_EQ(Resolved(p.options, 1000.0), expected);
    // The default step is 64 frames.
    Parsed ramp = Parse({"--ramp", "0f", "130f", "mix=0:1", "in.wav", "out.wav"});
    ASSERT_TRUE(ramp.ok) << ramp.error;
    EXPECT_EQ(Resolved(ramp.options, 1000.0),
              (std::vector<Change>{{0, 1, 0.0}, {64, 1, 64.0 / 130.0}, {128, 1, 128.0 / 130.0}, {130, 1, 1.0}}));
}

TEST(RenderOptions, TimedChangeMistakesNameTheProblem)
{
    const TextFile lanes("0 mix=0.5\n\n1 mix=0.5 later\n");
    const std::string file = lanes.path.string();
    const struct
    {
        std::vector<const char*> args;
        const char* message;
    } cases[] = {
        {{"--at", "-1", "mix=0.5"}, "WHEN must be seconds"},
        {{"--at", "soon", "mix=0.5"}, "got 'soon'"},
        {{"--at", "1.5f", "mix=0.5"}, "got '1.5f'"},
        {{"--at", "66355200001f", "mix=0.5"}, "24 hours"},
        {{"--at", "86401", "mix=0.5"}, "24 hours"},
        {{"--at", "1", "mix=nan"}, "from 0 to 1, got 'nan'"},
        {{"--at", "1", "mix=1.5"}, "from 0 to 1"},
        {{"--at", "1", "mix"}, "expected NAME=VALUE"},
        {{"--ramp", "0", "1", "mix=0.5"}, "NAME=START:END"},
        {{"--ramp", "0", "-1", "mix=0:1"}, "TO must be"},
        {{"--ramp", "0", "1", "mix=0:1", "0"}, "STEP must be"},
        {{"--automation", file.c_str()}, " line 3: the value for 'mix'"},
        {{"--automation", "/no/such/lanes.txt"}, "cannot read automation file"},
    };
    for (const auto& c : cases)
    {
        std::vector<const char*> argv = {"tessivane-render"};
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        argv.insert(argv.end(), {"a.wav", "b.wav"});
        RenderOptions options;
        std::string error;
        EXPECT_FALSE(ParseRenderOptions(static_cast<int>(argv.size()), argv.data(), options, error)) << c.message;
        EXPECT_NE(error.find(c.message), std::string::npos) << error;
    }
    EXPECT_NE(Parse({"--at", "1"}).error.find("--at needs 2 values"), std::string::npos);
}
