// tessivane-render's command line with any arguments, and an automation file with any lines.
// The input holds the arguments, one a line, then a NUL byte and the automation file; the
// argument "@" stands for that file's path.
//
// A refused command line comes with a one-line message. An accepted one holds only settings
// the tool can run with, and its timed changes resolve into changes of real parameters, inside
// 0..1, in frame order, within the render's limits, or are refused with a message.

#include "FuzzCheck.h"
#include "FuzzScratchFolder.h"
#include "IReverbEffect.h"
#include "RenderJob.h"
#include "RenderOptions.h"

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr double kMinRate = RenderOptions::kMinRate;
constexpr double kMaxRate = RenderOptions::kMaxRate;
constexpr int kMaxBlockFrames = RenderOptions::kMaxBlockFrames;
constexpr double kMaxTailSeconds = RenderOptions::kMaxTailSeconds;
constexpr char kFileArgument[] = "@";

const FuzzScratchFolder& Scratch()
{
    static const FuzzScratchFolder folder;
    return folder;
}

const IReverbEffect& Reverb()
{
    static const IReverbEffect reverb(nullptr);
    return reverb;
}

std::vector<std::string> Arguments(const uint8_t* data, size_t size, const std::string& filePath)
{
    std::vector<std::string> arguments{"tessivane-render"};
    std::string current;
    for (size_t i = 0; i < size; ++i)
    {
        if (data[i] != '\n')
        {
            current += static_cast<char>(data[i]);
            continue;
        }
        arguments.push_back(current == kFileArgument ? filePath : current);
        current.clear();
    }
    if (!current.empty())
        arguments.push_back(current == kFileArgument ? filePath : current);
    return arguments;
}

void CheckAccepted(const RenderOptions& options)
{
    FUZZ_CHECK(options.blockFrames >= 1 && options.blockFrames <= kMaxBlockFrames, "block of %d frames",
               options.blockFrames);
    FUZZ_CHECK(options.sampleRate >= kMinRate && options.sampleRate <= kMaxRate, "rate %g", options.sampleRate);
    FUZZ_CHECK(options.tailSeconds == -1.0 || (options.tailSeconds >= 0.0 && options.tailSeconds <= kMaxTailSeconds),
               "tail of %g s", options.tailSeconds);

    std::vector<FrameChange> changes;
    std::string error;
    const auto lookup = [](const std::string& name) { return FindParameter(Reverb(), name); };
    if (!options.automation.Resolve(options.sampleRate, lookup, changes, error))
    {
        FUZZ_CHECK(!error.empty() && error.find('\n') == std::string::npos, "timed changes refused with '%s'",
                   error.c_str());
        return;
    }
    FUZZ_CHECK(static_cast<int64_t>(changes.size()) <= Automation::kMaxChanges, "%zu changes", changes.size());
    for (size_t i = 0; i < changes.size(); ++i)
    {
        const FrameChange& c = changes[i];
        FUZZ_CHECK(c.index >= 0 && c.index < Reverb().ParameterCount(), "a change of parameter %d", c.index);
        FUZZ_CHECK(std::isfinite(c.value) && c.value >= 0.0 && c.value <= 1.0, "a change to %.17g", c.value);
        FUZZ_CHECK(c.frame >= 0 && c.frame <= Automation::kMaxFrame, "a change at frame %lld",
                   static_cast<long long>(c.frame));
        FUZZ_CHECK(i == 0 || changes[i - 1].frame <= c.frame, "changes out of frame order at %zu", i);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const auto* end = static_cast<const uint8_t*>(std::memchr(data, 0, size));
    const size_t argumentBytes = end ? static_cast<size_t>(end - data) : size;
    const size_t fileBytes = end ? size - argumentBytes - 1 : 0;
    const std::string file = Scratch().Write("automation.txt", end ? end + 1 : data, fileBytes);
    const std::vector<std::string> arguments = Arguments(data, argumentBytes, file);
    std::vector<const char*> argv;
    for (const std::string& a : arguments)
        argv.push_back(a.c_str());

    RenderOptions options;
    std::string error;
    if (ParseRenderOptions(static_cast<int>(argv.size()), argv.data(), options, error))
        CheckAccepted(options);
    else
        FUZZ_CHECK(!error.empty() && error.find('\n') == std::string::npos, "refused with the message '%s'",
                   error.c_str());
    return 0;
}
