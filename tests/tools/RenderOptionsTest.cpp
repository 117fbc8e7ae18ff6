#include "RenderOptions.h"

#include <gtest/gtest.h>

#include <initializer_list>
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
    for (const char* option : {"--set", "--list-params", "--load-state", "--save-state", "--format", "--tail",
                               "--impulse", "--rate", "--block", "--demo", "--quiet", "--help"})
        EXPECT_NE(usage.find(option), std::string::npos) << option;
}
