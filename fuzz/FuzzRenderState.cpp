// tessivane-render's --load-state with any file. A file of the state's size is taken: every
// value inside 0..1 exactly as written, anything else clamped into it; the state saved after
// it loads and saves again unchanged; and an impulse rendered from it is finite. Any other
// file is refused with a message naming it, and nothing is saved.

#include "FuzzCheck.h"
#include "FuzzScratchFolder.h"
#include "RenderJob.h"
#include "SoundFile.h"

#include <cmath>
#include <cstring>
#include <filesystem>
#include <vector>

namespace {

constexpr size_t kStateBytes = 152;
constexpr double kImpulseTailSeconds = 0.01;

const FuzzScratchFolder& Scratch()
{
    static const FuzzScratchFolder folder;
    return folder;
}

// Loads `from` and saves what is then in effect to `to`; the job's exit status.
int LoadAndSave(const std::string& from, const std::string& to, std::string& error)
{
    std::filesystem::remove(to);
    RenderOptions options;
    options.mode = RenderOptions::Mode::ParametersOnly;
    options.loadStatePath = from;
    options.saveStatePath = to;
    options.quiet = true;
    RenderJob job(options);
    const int status = job.Run();
    error = job.Error();
    return status;
}

double ValueAt(const uint8_t* bytes, size_t index)
{
    double v;
    std::memcpy(&v, bytes + 8 * index, sizeof v);
    return v;
}

void CheckSavedState(const uint8_t* input, const std::vector<uint8_t>& saved)
{
    FUZZ_CHECK(saved.size() == kStateBytes, "the saved state has %zu bytes", saved.size());
    for (size_t i = 0; i < kStateBytes / 8; ++i)
    {
        const double in = ValueAt(input, i);
        const double out = ValueAt(saved.data(), i);
        FUZZ_CHECK(std::isfinite(out) && out >= 0.0 && out <= 1.0, "parameter %zu was saved as %.17g", i, out);
        if (std::isfinite(in) && in >= 0.0 && in <= 1.0)
            FUZZ_CHECK(std::memcmp(&in, &out, sizeof in) == 0, "parameter %zu loaded as %.17g was saved as %.17g",
                       i, in, out);
    }
}

void CheckImpulseFinite(const std::string& state)
{
    RenderOptions options;
    options.mode = RenderOptions::Mode::Impulse;
    options.loadStatePath = state;
    options.outputPath = Scratch().Path("impulse.wav");
    options.format = RenderOptions::SampleFormat::Float64;
    options.tailSeconds = kImpulseTailSeconds;
    options.quiet = true;
    RenderJob job(options);
    FUZZ_CHECK(job.Run() == 0, "the impulse render failed: %s", job.Error().c_str());
    SoundFile file;
    std::string error;
    FUZZ_CHECK(file.OpenRead(options.outputPath, error), "the impulse cannot be read: %s", error.c_str());
    std::vector<double> samples(static_cast<size_t>(file.Frames() * file.Channels()));
    FUZZ_CHECK(file.ReadFrames(samples.data(), file.Frames()) == file.Frames(), "the impulse is short");
    for (const double s : samples)
        FUZZ_CHECK(std::isfinite(s), "the impulse holds %g", s);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string in = Scratch().Write("input.state", data, size);
    const std::string out = Scratch().Path("saved.state");
    std::string error;
    const int status = LoadAndSave(in, out, error);
    std::vector<uint8_t> saved;
    const bool wasSaved = FuzzScratchFolder::Read(out, saved);
    if (size != kStateBytes)
    {
        FUZZ_CHECK(status == 1 && error.find(in) != std::string::npos, "a %zu-byte state was not refused by name (%s)",
                   size, error.c_str());
        FUZZ_CHECK(!wasSaved, "a refused state left a saved state behind");
        return 0;
    }
    FUZZ_CHECK(status == 0 && wasSaved, "a state of the right size was refused: %s", error.c_str());
    CheckSavedState(data, saved);

    const std::string again = Scratch().Path("saved-again.state");
    std::vector<uint8_t> savedAgain;
    FUZZ_CHECK(LoadAndSave(out, again, error) == 0 && FuzzScratchFolder::Read(again, savedAgain),
               "a saved state did not load: %s", error.c_str());
    FUZZ_CHECK(savedAgain == saved, "load -> save -> load -> save changed the state");
    CheckImpulseFinite(in);
    return 0;
}
