#include "RenderOptions.h"

#include "TextParsing.h"

#include <cmath>
#include <cstring>

namespace {

constexpr int kMaxBlockFrames = RenderOptions::kMaxBlockFrames;
constexpr double kMaxTailSeconds = RenderOptions::kMaxTailSeconds;
constexpr double kMinRate = RenderOptions::kMinRate;
constexpr double kMaxRate = RenderOptions::kMaxRate;

bool ParseFormat(const std::string& text, RenderOptions::SampleFormat& out)
{
    if (text == "pcm24" || text == "24")
        out = RenderOptions::SampleFormat::Pcm24;
    else if (text == "float" || text == "float32" || text == "32f")
        out = RenderOptions::SampleFormat::Float32;
    else if (text == "double" || text == "float64" || text == "64f")
        out = RenderOptions::SampleFormat::Float64;
    else
        return false;
    return true;
}

} // namespace

const char* RenderUsage()
{
    return
        "Usage: tessivane-render [options] INPUT OUTPUT\n"
        "       tessivane-render [options] --impulse OUTPUT\n"
        "       tessivane-render --demo FOLDER\n"
        "       tessivane-render [--load-state FILE] [--set NAME=VALUE]... --list-params\n"
        "\n"
        "Renders audio through Tessivane Reverb. Reads WAV, AIFF and FLAC, mono or stereo, at any\n"
        "sample rate; mono stays mono, stereo stays stereo. The output keeps the input's format and\n"
        "rate unless --format says otherwise, and carries the reverb tail after the input ends.\n"
        "\n"
        "Options:\n"
        "  --set NAME=VALUE     set a parameter by name (any letter case) or index to a value 0..1;\n"
        "                       repeatable, applied in order after --load-state.\n"
        "                       Example: --set \"Room size=0.8\" --set mix=0.5 --set 17=1\n"
        "  --at WHEN NAME=VALUE change a parameter during the render: it takes VALUE (0..1) just before\n"
        "                       the frame at WHEN, in seconds (1.5) or as an exact frame (66150f), the\n"
        "                       way a host's automation sets it. Repeatable; changes at the same frame\n"
        "                       apply in the order given, changes after the input during the tail.\n"
        "                       Example: --at 2.5 \"Room size=1\" --at 132300f Turbulence=1\n"
        "  --automation FILE    timed changes from a text file, one \"WHEN NAME=VALUE\" a line; blank\n"
        "                       lines are skipped and # starts a comment. Example: --automation lanes.txt\n"
        "                       with lines such as \"0 mix=0.2\", \"12.5 Room size=0.9\", \"529200f Air=1\".\n"
        "  --ramp FROM TO NAME=START:END [STEP]\n"
        "                       sweep a parameter linearly from START at FROM to END at TO (seconds or\n"
        "                       frames), one change every STEP frames (default 64) and END exactly at\n"
        "                       TO. Example: --ramp 1 3 mix=0.2:0.8 --ramp 0f 48000f \"Pre-delay=0:1\" 32\n"
        "  --list-params        print index, name, default, value and readout of every parameter; with\n"
        "                       timed changes, the values they leave at the end.\n"
        "                       Example: tessivane-render --set mix=1 --at 2 mix=0.5 --list-params\n"
        "  --load-state FILE    start from a saved 152-byte state.\n"
        "                       Example: --load-state hall.tsvstate\n"
        "  --save-state FILE    write the state in effect after --load-state and --set (before any\n"
        "                       timed change) to FILE.\n"
        "                       Example: --set \"Room size=1\" --save-state big.tsvstate --list-params\n"
        "  --format FORMAT      output samples: pcm24, float (32-bit) or double (64-bit, keeps the\n"
        "                       engine's full precision). Example: --format double in.wav out.wav\n"
        "  --tail SECONDS       render exactly this much after the input ends; every timed change must\n"
        "                       fall within it (default: until the output stays below -120 dBFS for\n"
        "                       100 ms, at most 30 s, and at least until the last timed change).\n"
        "                       Example: --tail 4 in.wav out.wav\n"
        "  --impulse            render the impulse response instead of a file (stereo, 32-bit float\n"
        "                       WAV unless --format says otherwise). Example: --impulse --rate 96000 ir.wav\n"
        "  --rate HZ            sample rate of --impulse, and of timed changes in seconds when only\n"
        "                       --list-params runs (default 48000). Example: --rate 44100\n"
        "  --block FRAMES       processing block size, 1..65536 (default 512). Example: --block 64\n"
        "  --demo FOLDER        render the built-in demo: FOLDER/demo-dry.wav and FOLDER/demo-wet.wav.\n"
        "                       Example: tessivane-render --demo out\n"
        "  --quiet              no progress bar.\n"
        "  --help               this text.\n"
        "\n"
        "Exit status: 0 on success, 1 when the render failed, 2 for a mistake on the command line or in\n"
        "an automation file.\n";
}

bool ParseRenderOptions(int argc, const char* const* argv, RenderOptions& options, std::string& error)
{
    std::vector<std::string> positional;
    bool impulse = false;
    // The `count` arguments after option `name`, or null with a message when they are missing.
    auto values = [&](int& i, const char* name, int count) -> const char* const* {
        if (i + count >= argc)
        {
            error = std::string(name) + (count == 1 ? " needs a value" : " needs " + std::to_string(count) + " values");
            return nullptr;
        }
        i += count;
        return argv + i - count + 1;
    };
    auto value = [&](int& i, const char* name) -> const char* {
        const char* const* v = values(i, name, 1);
        return v ? *v : nullptr;
    };

    for (int i = 1; i < argc; ++i)
    {
        const std::string arg = argv[i];
        const char* v = nullptr;
        double number = 0.0;
        if (arg == "--help" || arg == "-h")
        {
            options.mode = RenderOptions::Mode::Help;
            return true;
        }
        else if (arg == "--set")
        {
            if (!(v = value(i, "--set")))
                return false;
            if (!strchr(v, '='))
            {
                error = "--set expects NAME=VALUE, got '" + std::string(v) + "'";
                return false;
            }
            options.settings.push_back(v);
        }
        else if (arg == "--at")
        {
            const char* const* at = values(i, "--at", 2);
            if (!at || !options.automation.AddChange(at[0], at[1], error))
                return false;
        }
        else if (arg == "--automation")
        {
            if (!(v = value(i, "--automation")) || !options.automation.AddFile(v, error))
                return false;
        }
        else if (arg == "--ramp")
        {
            const char* const* ramp = values(i, "--ramp", 3);
            if (!ramp)
                return false;
            const bool stepGiven = i + 1 < argc && Automation::IsFrameCount(argv[i + 1]);
            if (!options.automation.AddRamp(ramp[0], ramp[1], ramp[2], stepGiven ? argv[++i] : "", error))
                return false;
        }
        else if (arg == "--list-params")
            options.listParams = true;
        else if (arg == "--load-state")
        {
            if (!(v = value(i, "--load-state")))
                return false;
            options.loadStatePath = v;
        }
        else if (arg == "--save-state")
        {
            if (!(v = value(i, "--save-state")))
                return false;
            options.saveStatePath = v;
        }
        else if (arg == "--format")
        {
            if (!(v = value(i, "--format")))
                return false;
            if (!ParseFormat(v, options.format))
            {
                error = "unknown --format '" + std::string(v) + "' (pcm24, float or double)";
                return false;
            }
        }
        else if (arg == "--tail")
        {
            if (!(v = value(i, "--tail")))
                return false;
            if (!ParseNumber(v, number) || number < 0.0 || number > kMaxTailSeconds)
            {
                error = "--tail takes seconds from 0 to 3600, got '" + std::string(v) + "'";
                return false;
            }
            options.tailSeconds = number;
        }
        else if (arg == "--rate")
        {
            if (!(v = value(i, "--rate")))
                return false;
            if (!ParseNumber(v, number) || number < kMinRate || number > kMaxRate)
            {
                error = "--rate takes a sample rate from 1000 to 768000 Hz, got '" + std::string(v) + "'";
                return false;
            }
            options.sampleRate = number;
        }
        else if (arg == "--block")
        {
            if (!(v = value(i, "--block")))
                return false;
            if (!ParseNumber(v, number) || number < 1 || number > kMaxBlockFrames || std::floor(number) != number)
            {
                error = "--block takes a whole number of frames from 1 to 65536, got '" + std::string(v) + "'";
                return false;
            }
            options.blockFrames = static_cast<int>(number);
        }
        else if (arg == "--impulse")
            impulse = true;
        else if (arg == "--demo")
        {
            if (!(v = value(i, "--demo")))
                return false;
            options.demoFolder = v;
            options.mode = RenderOptions::Mode::Demo;
        }
        else if (arg == "--quiet" || arg == "-q")
            options.quiet = true;
        else if (arg.size() > 1 && arg[0] == '-' && arg != "-")
        {
            error = "unknown option '" + arg + "' (see --help)";
            return false;
        }
        else
            positional.push_back(arg);
    }

    if (options.mode == RenderOptions::Mode::Demo)
    {
        if (!positional.empty() || impulse)
        {
            error = "--demo takes only its folder";
            return false;
        }
        return true;
    }
    if (impulse)
    {
        if (positional.size() != 1)
        {
            error = "--impulse takes exactly one OUTPUT file";
            return false;
        }
        options.mode = RenderOptions::Mode::Impulse;
        options.outputPath = positional[0];
        return true;
    }
    if (positional.empty() && (options.listParams || !options.saveStatePath.empty()))
    {
        options.mode = RenderOptions::Mode::ParametersOnly;
        return true;
    }
    if (positional.size() != 2)
    {
        error = "expected INPUT and OUTPUT files (see --help)";
        return false;
    }
    options.inputPath = positional[0];
    options.outputPath = positional[1];
    return true;
}
