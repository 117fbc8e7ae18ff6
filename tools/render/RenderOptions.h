#pragma once

#include "Automation.h"

#include <string>
#include <vector>

// What the user asked tessivane-render to do, as read from the command line.
struct RenderOptions
{
    // What the command line accepts.
    static constexpr int kMaxBlockFrames = 65536;
    static constexpr double kMaxTailSeconds = 3600.0;
    static constexpr double kMinRate = 1000.0;    // Hz
    static constexpr double kMaxRate = 768000.0;  // Hz

    enum class Mode
    {
        Render,      // INPUT OUTPUT
        Impulse,     // --impulse OUTPUT
        Demo,        // --demo FOLDER
        ParametersOnly,  // --list-params or --save-state without anything to render
        Help,
    };
    enum class SampleFormat
    {
        SameAsInput,
        Pcm24,
        Float32,
        Float64,
    };

    Mode mode = Mode::Render;
    std::string inputPath;
    std::string outputPath;
    std::string demoFolder;
    std::vector<std::string> settings;  // "name=value" or "index=value", in command-line order
    Automation automation;              // timed changes: --at, --automation, --ramp
    std::string loadStatePath;
    std::string saveStatePath;
    SampleFormat format = SampleFormat::SameAsInput;
    int blockFrames = 512;
    double sampleRate = 48000.0;  // for --impulse
    double tailSeconds = -1.0;    // negative: until the tail has died away
    bool listParams = false;
    bool quiet = false;
};

// Reads the command line, and the automation files it names, into options. On a mistake returns
// false with a one-line message.
bool ParseRenderOptions(int argc, const char* const* argv, RenderOptions& options, std::string& error);

const char* RenderUsage();
