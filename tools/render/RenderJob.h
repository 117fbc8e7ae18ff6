#pragma once

#include "Automation.h"
#include "RenderOptions.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class IReverbEffect;
class SoundFile;

// One run of tessivane-render: sets the reverb up as asked, then renders, lists or saves.
// Every failure ends the job with a one-line message and leaves no partial output behind.
class RenderJob
{
public:
    explicit RenderJob(const RenderOptions& options);
    ~RenderJob();

    // Returns the process exit status: 0 success, 1 failure (message in Error()).
    int Run();
    const std::string& Error() const { return error; }

    // Where the dry signal comes from: a file, or samples held in memory.
    struct Source;

private:
    bool CreateReverb();
    bool LoadState();
    bool ApplySettings();
    bool SaveState();
    void ListParameters() const;

    // Timed changes: resolved for each render at its sample rate, then made as it reaches them.
    bool ResolveChanges(double sampleRate);
    bool ApplyAllChanges();
    void ApplyChangesDue(int64_t frame);
    bool ChangesPending() const { return nextChange < changes.size(); }
    int64_t FramesToNextChange(int64_t frame) const;
    int64_t LastChangeFrame() const;
    int64_t TailLimit(int sampleRate) const;
    bool CheckChangesFit(int64_t inputFrames, int sampleRate);
    bool FailChangePastEnd(int64_t endFrame);

    bool RenderInputFile();
    bool RenderImpulse();
    bool RenderDemo();

    // Renders the source plus its tail into a new file at outputPath.
    bool RenderToFile(Source& source, int channels, int sampleRate, int format, const std::string& outputPath);
    bool WriteDryFile(const std::vector<double>& interleaved, int sampleRate, const std::string& path);

    bool Fail(const std::string& message);

    RenderOptions options;
    std::unique_ptr<IReverbEffect> reverb;
    std::vector<FrameChange> changes;  // in frame order
    size_t nextChange = 0;
    std::string error;
};

// Finds a parameter by its name (any letter case) or its index; -1 when there is none.
int32_t FindParameter(const IReverbEffect& reverb, const std::string& nameOrIndex);
