#include "RenderJob.h"

#include "AtomicOutputFile.h"
#include "DemoSignal.h"
#include "IReverbEffect.h"
#include "ProgressBar.h"
#include "ReverbParameters.h"
#include "SoundFile.h"

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

std::string Trim(const std::string& s)
{
    const size_t first = s.find_first_not_of(" \t");
    if (first == std::string::npos)
        return "";
    return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

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
    if (ok && options.listParams)
        ListParameters();
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
        case RenderOptions::Mode::Help:
            break;
        }
    }
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
        const size_t eq = setting.find('=');
        const std::string name = setting.substr(0, eq);
        const std::string text = Trim(setting.substr(eq + 1));
        const int32_t index = FindParameter(*reverb, name);
        if (index < 0)
            return Fail("unknown parameter '" + Trim(name) + "' (see --list-params)");
        char* end = nullptr;
        const double value = strtod(text.c_str(), &end);
        if (text.empty() || *end != '\0' || !(value >= 0.0 && value <= 1.0))
            return Fail("value for '" + std::string(reverb->Parameter(index)->Name()) + "' must be a number from 0 to 1, got '" + text + "'");
        reverb->ApplyHostParameter(index, value);
    }
    return true;
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
    FileSource source(input);
    return RenderToFile(source, input.Channels(), input.SampleRate(), format, options.outputPath);
}

bool RenderJob::RenderImpulse()
{
    const std::vector<double> impulse = {1.0, 1.0};
    MemorySource source(impulse, 2);
    const int subtype = options.format == RenderOptions::SampleFormat::SameAsInput
                            ? SF_FORMAT_FLOAT
                            : Subtype(options.format, 0);
    const int format = ContainerForPath(options.outputPath, SF_FORMAT_WAV) | subtype;
    return RenderToFile(source, 2, static_cast<int>(std::lround(options.sampleRate)), format, options.outputPath);
}

bool RenderJob::RenderDemo()
{
    const std::vector<double> dry = MakeDemoSignal(kDemoRate, kDemoSeconds);
    const std::string folder = options.demoFolder.empty() ? "." : options.demoFolder;
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec)
        return Fail("cannot create folder '" + folder + "': " + ec.message());
    const std::string dryPath = folder + "/demo-dry.wav";
    const std::string wetPath = folder + "/demo-wet.wav";
    if (options.tailSeconds < 0.0)
        options.tailSeconds = kDemoTailSeconds;
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

    std::vector<double> interleaved(static_cast<size_t>(block) * static_cast<size_t>(channels));
    std::vector<double> in[2] = {std::vector<double>(static_cast<size_t>(block)), std::vector<double>(static_cast<size_t>(block))};
    std::vector<double> outs[2] = {std::vector<double>(static_cast<size_t>(block)), std::vector<double>(static_cast<size_t>(block))};
    const double* inPtr[2] = {in[0].data(), in[1].data()};
    double* outPtr[2] = {outs[0].data(), outs[1].data()};

    const bool fixedTail = options.tailSeconds >= 0.0;
    const int64_t tailLimit = static_cast<int64_t>((fixedTail ? options.tailSeconds : kTailLimitSeconds) * sampleRate);
    const int64_t quietNeeded = static_cast<int64_t>(kTailQuietSeconds * sampleRate);
    const int64_t preDelayGuard = static_cast<int64_t>(kLongestPreDelaySeconds * sampleRate);
    const int64_t expected = std::max<int64_t>(source.TotalFrames(), 0) + tailLimit;
    ProgressBar progress(stderr, !options.quiet);

    int64_t done = 0;
    int64_t tailDone = 0;
    int64_t quietRun = 0;
    bool inputEnded = false;
    while (true)
    {
        int64_t n = inputEnded ? 0 : source.Read(interleaved.data(), block);
        inputEnded = inputEnded || n < block;
        if (inputEnded)
        {
            // After the input, silence goes in until the tail has died away or its time is up.
            // The tail cannot have died before the longest pre-delay has passed.
            const bool died = !fixedTail && tailDone >= preDelayGuard && quietRun >= quietNeeded;
            const int64_t tail = died ? 0 : std::min<int64_t>(block - n, tailLimit - tailDone);
            std::fill(interleaved.begin() + n * channels, interleaved.begin() + (n + tail) * channels, 0.0);
            n += tail;
            tailDone += tail;
        }
        if (n == 0)
            break;
        for (int64_t f = 0; f < n; ++f)
            for (int ch = 0; ch < channels; ++ch)
                in[ch][static_cast<size_t>(f)] = interleaved[static_cast<size_t>(f * channels + ch)];
        reverb->ProcessDouble(inPtr, outPtr, static_cast<int32_t>(n), false);
        for (int64_t f = 0; f < n; ++f)
        {
            bool quiet = true;
            for (int ch = 0; ch < channels; ++ch)
            {
                const double v = outs[ch][static_cast<size_t>(f)];
                interleaved[static_cast<size_t>(f * channels + ch)] = v;
                quiet = quiet && std::fabs(v) < kTailThreshold;
            }
            quietRun = quiet ? quietRun + 1 : 0;
        }
        if (!output.WriteFrames(interleaved.data(), n))
            return Fail("cannot write '" + outputPath + "': " + sf_strerror(nullptr));
        done += n;
        progress.Update(expected > 0 ? static_cast<double>(done) / static_cast<double>(expected) : 1.0);
    }
    progress.Finish();
    if (!output.Close())
        return Fail("cannot write '" + outputPath + "'");
    return out.Commit(error);
}
