#include "RenderJob.h"

#include "AtomicOutputFile.h"
#include "DemoSignal.h"
#include "IReverbEffect.h"
#include "ProgressBar.h"
#include "ReverbParameters.h"
#include "SoundFile.h"
#include "TextParsing.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <new>
#include <unistd.h>

namespace {

constexpr int kStateBytes = 152;
constexpr double kTailThreshold = 1e-6;       // -120 dBFS
constexpr double kTailQuietSeconds = 0.1;     // the output must stay below it this long
constexpr double kTailLimitSeconds = 30.0;
constexpr double kLongestPreDelaySeconds = 0.159;  // the first line at the largest room
constexpr double kDemoRate = 48000.0;
constexpr double kDemoSeconds = 2.5;
constexpr double kDemoTailSeconds = 4.0;

bool EqualIgnoringCase(const std::string& a, const char* b)
{
    const size_t n = strlen(b);
    if (a.size() != n)
        return false;
    for (size_t i = 0; i < n; ++i)
        if (tolower(static_cast<unsigned char>(a[i])) != tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

bool IsSupportedInput(int format)
{
    switch (format & SF_FORMAT_TYPEMASK)
    {
    case SF_FORMAT_WAV:
    case SF_FORMAT_WAVEX:
    case SF_FORMAT_RF64:
    case SF_FORMAT_AIFF:
    case SF_FORMAT_FLAC:
        return true;
    default:
        return false;
    }
}

int Subtype(RenderOptions::SampleFormat format, int inputFormat)
{
    switch (format)
    {
    case RenderOptions::SampleFormat::Pcm24:
        return SF_FORMAT_PCM_24;
    case RenderOptions::SampleFormat::Float32:
        return SF_FORMAT_FLOAT;
    case RenderOptions::SampleFormat::Float64:
        return SF_FORMAT_DOUBLE;
    case RenderOptions::SampleFormat::SameAsInput:
        break;
    }
    return inputFormat & SF_FORMAT_SUBMASK;
}

} // namespace

struct RenderJob::Source
{
    virtual ~Source() = default;
    // Fills up to `frames` interleaved frames; returns how many, 0 at the end.
    virtual int64_t Read(double* interleaved, int64_t frames) = 0;
    virtual int64_t TotalFrames() const = 0;
};

namespace {

struct FileSource : RenderJob::Source
{
    explicit FileSource(SoundFile& f) : file(f) {}
    int64_t Read(double* interleaved, int64_t frames) override { return file.ReadFrames(interleaved, frames); }
    int64_t TotalFrames() const override { return file.Frames(); }
    SoundFile& file;
};

struct MemorySource : RenderJob::Source
{
    MemorySource(const std::vector<double>& s, int c) : samples(s), channels(c) {}
    int64_t Read(double* interleaved, int64_t frames) override
    {
        const int64_t left = TotalFrames() - position;
        const int64_t n = std::min(frames, left);
        std::copy_n(samples.begin() + position * channels, n * channels, interleaved);
        position += n;
        return n;
    }
    int64_t TotalFrames() const override { return static_cast<int64_t>(samples.size()) / channels; }
    const std::vector<double>& samples;
    int channels;
    int64_t position = 0;
};

// The frames of one slice: interleaved as sound files hold them, and split into the channel
// buffers the plug-in processes.
struct Slice
{
    Slice(int block, int channelCount)
        : channels(channelCount), interleaved(static_cast<size_t>(block) * static_cast<size_t>(channelCount))
    {
        for (int ch = 0; ch < 2; ++ch)
        {
            in[ch].resize(static_cast<size_t>(block));
            out[ch].resize(static_cast<size_t>(block));
        }
    }

    // Fills frames [from, to) with silence; returns the new frame count, `to`.
    int64_t PadWithSilence(int64_t from, int64_t to)
    {
        std::fill(interleaved.begin() + from * channels, interleaved.begin() + to * channels, 0.0);
        return to;
    }

    // Runs the first `frames` frames through the plug-in and leaves its output in their place.
    void Process(IReverbEffect& reverb, int64_t frames)
    {
        for (int64_t f = 0; f < frames; ++f)
            for (int ch = 0; ch < channels; ++ch)
                in[ch][static_cast<size_t>(f)] = interleaved[static_cast<size_t>(f * channels + ch)];
        const double* ins[2] = {in[0].data(), in[1].data()};
        double* outs[2] = {out[0].data(), out[1].data()};
        reverb.ProcessDouble(ins, outs, static_cast<int32_t>(frames), false);
        for (int64_t f = 0; f < frames; ++f)
            for (int ch = 0; ch < channels; ++ch)
                interleaved[static_cast<size_t>(f * channels + ch)] = out[ch][static_cast<size_t>(f)];
    }

    int channels;
    std::vector<double> interleaved;
    std::vector<double> in[2];
    std::vector<double> out[2];
};

// Decides where an automatic tail ends: at the first frame where the output has stayed below
// -120 dBFS long enough and the longest pre-delay has passed since the input ended. Judged frame
// by frame, so the length of the render does not depend on the block size.
struct TailWatch
{
    int64_t quietNeeded;
    int64_t preDelayGuard;
    int64_t quietRun = 0;
    bool died = false;

    // How many of the slice's `frames` output frames, the first of them frame `first` of the
    // render, to keep. `inputEnd` is negative while the input lasts; `mayEnd` is false while
    // the tail must go on regardless.
    int64_t FramesToKeep(const Slice& slice, int64_t frames, int64_t first, int64_t inputEnd, bool mayEnd)
    {
        for (int64_t f = 0; f < frames; ++f)
        {
            bool quiet = true;
            for (int ch = 0; ch < slice.channels; ++ch)
                quiet = quiet && std::fabs(slice.interleaved[static_cast<size_t>(f * slice.channels + ch)]) < kTailThreshold;
            quietRun = quiet ? quietRun + 1 : 0;
            died = mayEnd && inputEnd >= 0 && first + f + 1 - inputEnd >= preDelayGuard && quietRun >= quietNeeded;
            if (died)
                return f + 1;
        }
        return frames;
    }
};

} // namespace

int32_t FindParameter(const IReverbEffect& reverb, const std::string& nameOrIndex)
{
    const std::string key = Trim(nameOrIndex);
    if (!key.empty() && key.find_first_not_of("0123456789") == std::string::npos)
    {
        const long index = key.size() <= 3 ? strtol(key.c_str(), nullptr, 10) : -1;
        return index < reverb.ParameterCount() ? static_cast<int32_t>(index) : -1;
    }
    for (int32_t i = 0; i < reverb.ParameterCount(); ++i)
        if (EqualIgnoringCase(key, reverb.Parameter(i)->Name()))
            return i;
    return -1;
}

RenderJob::RenderJob(const RenderOptions& o) : options(o) {}

RenderJob::~RenderJob() = default;

bool RenderJob::Fail(const std::string& message)
{
    error = message;
    return false;
}

int RenderJob::Run()
{
    bool ok = CreateReverb() && LoadState() && ApplySettings() && SaveState();
    if (ok)
    {
        switch (options.mode)
        {
        case RenderOptions::Mode::Render:
            ok = RenderInputFile();
            break;
        case RenderOptions::Mode::Impulse:
            ok = RenderImpulse();
            break;
        case RenderOptions::Mode::Demo:
            ok = RenderDemo();
            break;
        case RenderOptions::Mode::ParametersOnly:
            ok = ApplyAllChanges();
            break;
        case RenderOptions::Mode::Help:
            break;
        }
    }
    // Listed last, so that timed changes show the values they leave behind.
    if (ok && options.listParams)
        ListParameters();
    return ok ? 0 : 1;
}

bool RenderJob::CreateReverb()
{
    try
    {
        reverb = std::make_unique<IReverbEffect>(nullptr);
    }
    catch (const std::bad_alloc&)
    {
        return Fail("not enough memory for the reverb");
    }
    return true;
}

bool RenderJob::LoadState()
{
    if (options.loadStatePath.empty())
        return true;
    std::ifstream in(options.loadStatePath, std::ios::binary);
    if (!in)
        return Fail("cannot read state file '" + options.loadStatePath + "': " + strerror(errno));
    std::vector<char> bytes;
    char buffer[256];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0)
    {
        bytes.insert(bytes.end(), buffer, buffer + in.gcount());
        if (bytes.size() > kStateBytes)
            break;
    }
    if (in.bad())
        return Fail("cannot read state file '" + options.loadStatePath + "'");
    if (bytes.size() != kStateBytes)
        return Fail("state file '" + options.loadStatePath + "' is not a Tessivane Reverb state (" +
                    (bytes.size() > kStateBytes ? std::string("more than 152") : std::to_string(bytes.size())) +
                    " bytes, expected 152)");
    IStateChunk chunk;
    chunk.PutBytes(bytes.data(), kStateBytes);
    reverb->ReadState(chunk, 0);
    return true;
}

bool RenderJob::ApplySettings()
{
    for (const std::string& setting : options.settings)
    {
        std::string name;
        std::string text;
        SplitAssignment(setting, name, text);
        const int32_t index = FindParameter(*reverb, name);
        if (index < 0)
            return Fail("unknown parameter '" + name + "' (see --list-params)");
        double value = 0.0;
        if (!ParseNormalised(text, value))
            return Fail("value for '" + std::string(reverb->Parameter(index)->Name()) + "' must be a number from 0 to 1, got '" + text + "'");
        reverb->ApplyHostParameter(index, value);
    }
    return true;
}

bool RenderJob::ResolveChanges(double sampleRate)
{
    nextChange = 0;
    const auto lookup = [this](const std::string& name) { return FindParameter(*reverb, name); };
    return options.automation.Resolve(sampleRate, lookup, changes, error);
}

bool RenderJob::ApplyAllChanges()
{
    if (!ResolveChanges(options.sampleRate))
        return false;
    ApplyChangesDue(INT64_MAX);
    return true;
}

void RenderJob::ApplyChangesDue(int64_t frame)
{
    // Through the same path as a host's automation, so the engine reacts as it would in a host.
    for (; ChangesPending() && changes[nextChange].frame <= frame; ++nextChange)
        reverb->ApplyHostParameter(changes[nextChange].index, changes[nextChange].value);
}

int64_t RenderJob::FramesToNextChange(int64_t frame) const
{
    return ChangesPending() ? changes[nextChange].frame - frame : INT64_MAX;
}

int64_t RenderJob::LastChangeFrame() const
{
    return changes.empty() ? 0 : changes.back().frame;
}

int64_t RenderJob::TailLimit(int sampleRate) const
{
    const bool fixedTail = options.tailSeconds >= 0.0;
    return static_cast<int64_t>((fixedTail ? options.tailSeconds : kTailLimitSeconds) * sampleRate);
}

bool RenderJob::CheckChangesFit(int64_t inputFrames, int sampleRate)
{
    // A fixed tail fixes the length of the render, and a change after its end could never be made.
    const int64_t end = inputFrames + TailLimit(sampleRate);
    return options.tailSeconds < 0.0 || LastChangeFrame() <= end || FailChangePastEnd(end);
}

bool RenderJob::FailChangePastEnd(int64_t endFrame)
{
    return Fail("a timed change at frame " + std::to_string(LastChangeFrame()) +
                " comes after the end of the render at frame " + std::to_string(endFrame) + " (lengthen --tail)");
}

bool RenderJob::SaveState()
{
    if (options.saveStatePath.empty())
        return true;
    IStateChunk chunk;
    if (!reverb->WriteState(chunk))
        return Fail("cannot build the state");
    AtomicOutputFile out(options.saveStatePath);
    const int fd = out.Create(error);
    if (fd < 0)
        return false;
    const bool written = write(fd, chunk.Data(), static_cast<size_t>(chunk.Size())) == chunk.Size();
    const bool closed = close(fd) == 0;
    if (!written || !closed)
        return Fail("cannot write state file '" + options.saveStatePath + "': " + strerror(errno));
    return out.Commit(error);
}

void RenderJob::ListParameters() const
{
    printf("%-5s %-16s %-9s %-9s %s\n", "index", "name", "default", "value", "readout");
    for (int32_t i = 0; i < reverb->ParameterCount(); ++i)
    {
        const IParamEntry* p = reverb->Parameter(i);
        char readout[ReverbParameters::kReadoutCapacity] = "";
        ReverbParameters::FormatReadout(i, p->Value(), readout, sizeof readout);
        printf("%-5d %-16s %-9.*f %-9.*f %s\n", static_cast<int>(i), p->Name(), static_cast<int>(p->DisplayPrecision()),
               p->DefaultValue(), static_cast<int>(p->DisplayPrecision()), p->Value(), readout);
    }
}

bool RenderJob::RenderInputFile()
{
    if (options.inputPath == options.outputPath || SameFile(options.inputPath, options.outputPath))
        return Fail("the output '" + options.outputPath + "' would overwrite the input");
    SoundFile input;
    if (!input.OpenRead(options.inputPath, error))
        return false;
    if (!IsSupportedInput(input.Format()))
        return Fail("'" + options.inputPath + "' is not a WAV, AIFF or FLAC file");
    if (input.Channels() < 1 || input.Channels() > 2)
        return Fail("'" + options.inputPath + "' has " + std::to_string(input.Channels()) +
                    " channels; only mono and stereo are supported");
    const int container = ContainerForPath(options.outputPath, input.Format() & SF_FORMAT_TYPEMASK);
    const int format = container | Subtype(options.format, input.Format());
    if (!ResolveChanges(input.SampleRate()))
        return false;
    FileSource source(input);
    return RenderToFile(source, input.Channels(), input.SampleRate(), format, options.outputPath);
}

bool RenderJob::RenderImpulse()
{
    const int sampleRate = static_cast<int>(std::lround(options.sampleRate));
    if (!ResolveChanges(sampleRate))
        return false;
    const std::vector<double> impulse = {1.0, 1.0};
    MemorySource source(impulse, 2);
    const int subtype = options.format == RenderOptions::SampleFormat::SameAsInput
                            ? SF_FORMAT_FLOAT
                            : Subtype(options.format, 0);
    const int format = ContainerForPath(options.outputPath, SF_FORMAT_WAV) | subtype;
    return RenderToFile(source, 2, sampleRate, format, options.outputPath);
}

bool RenderJob::RenderDemo()
{
    const std::vector<double> dry = MakeDemoSignal(kDemoRate, kDemoSeconds);
    if (options.tailSeconds < 0.0)
        options.tailSeconds = kDemoTailSeconds;
    if (!ResolveChanges(kDemoRate) || !CheckChangesFit(static_cast<int64_t>(dry.size() / 2), static_cast<int>(kDemoRate)))
        return false;
    const std::string folder = options.demoFolder.empty() ? "." : options.demoFolder;
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec)
        return Fail("cannot create folder '" + folder + "': " + ec.message());
    const std::string dryPath = folder + "/demo-dry.wav";
    const std::string wetPath = folder + "/demo-wet.wav";
    const int format = SF_FORMAT_WAV | SF_FORMAT_PCM_24;
    if (!WriteDryFile(dry, static_cast<int>(kDemoRate), dryPath))
        return false;
    MemorySource source(dry, 2);
    if (!RenderToFile(source, 2, static_cast<int>(kDemoRate), format, wetPath))
        return false;
    printf("Wrote %s (dry) and %s (through the reverb).\n", dryPath.c_str(), wetPath.c_str());
    return true;
}

bool RenderJob::WriteDryFile(const std::vector<double>& interleaved, int sampleRate, const std::string& path)
{
    AtomicOutputFile out(path);
    const int fd = out.Create(error);
    if (fd < 0)
        return false;
    SoundFile file;
    if (!file.OpenWrite(fd, SF_FORMAT_WAV | SF_FORMAT_PCM_24, 2, sampleRate, error))
        return false;
    if (!file.WriteFrames(interleaved.data(), static_cast<int64_t>(interleaved.size() / 2)) || !file.Close())
        return Fail("cannot write '" + path + "'");
    return out.Commit(error);
}

bool RenderJob::RenderToFile(Source& source, int channels, int sampleRate, int format, const std::string& outputPath)
{
    AtomicOutputFile out(outputPath);
    const int fd = out.Create(error);
    if (fd < 0)
        return false;
    SoundFile output;
    if (!output.OpenWrite(fd, format, channels, sampleRate, error))
        return false;

    const int block = options.blockFrames;
    reverb->SetChannelCount(channels);
    if (!reverb->Prepare(sampleRate, block))
        return Fail("not enough memory for blocks of " + std::to_string(block) + " frames");

    const bool fixedTail = options.tailSeconds >= 0.0;
    const int64_t tailLimit = TailLimit(sampleRate);
    const int64_t announced = std::max<int64_t>(source.TotalFrames(), 0);
    if (!CheckChangesFit(announced, sampleRate))
        return false;
    Slice slice(block, channels);
    TailWatch watch{static_cast<int64_t>(kTailQuietSeconds * sampleRate),
                    static_cast<int64_t>(kLongestPreDelaySeconds * sampleRate)};
    ProgressBar progress(stderr, !options.quiet);

    int64_t done = 0;
    int64_t inputEnd = -1;  // the frame where the input ended, once it has
    int64_t renderEnd = 0;
    while (!watch.died)
    {
        // Slices end where changes are due, so every change lands on its frame whatever the block.
        ApplyChangesDue(done);
        const int64_t want = std::min<int64_t>(block, FramesToNextChange(done));
        int64_t n = inputEnd < 0 ? source.Read(slice.interleaved.data(), want) : 0;
        if (inputEnd < 0 && n < want)
        {
            inputEnd = done + n;
            // An automatic tail lasts at least to the frame the last timed change lands on.
            renderEnd = fixedTail ? inputEnd + tailLimit : std::max(inputEnd + tailLimit, LastChangeFrame() + 1);
        }
        if (inputEnd >= 0)
            n = slice.PadWithSilence(n, std::min(want, renderEnd - done));
        if (n == 0)
            break;
        slice.Process(*reverb, n);
        n = watch.FramesToKeep(slice, n, done, inputEnd, !fixedTail && !ChangesPending());
        if (!output.WriteFrames(slice.interleaved.data(), n))
            return Fail("cannot write '" + outputPath + "': " + sf_strerror(nullptr));
        done += n;
        progress.Update(static_cast<double>(done) / static_cast<double>(std::max<int64_t>(announced + tailLimit, 1)));
    }
    progress.Finish();
    if (ChangesPending())
        return FailChangePastEnd(done);
    if (!output.Close())
        return Fail("cannot write '" + outputPath + "'");
    return out.Commit(error);
}
