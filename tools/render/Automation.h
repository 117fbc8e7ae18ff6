#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// A moment of the render as the user wrote it: seconds ("1.5"), which become a frame once the
// sample rate is known, or an exact frame ("66150f").
struct ChangeTime
{
    double seconds = 0.0;
    int64_t frame = 0;
    bool exactFrame = false;

    // The nearest frame at the rate; an exact frame as it stands.
    int64_t FrameAt(double sampleRate) const;
};

// One change ready for the render: just before frame `frame`, parameter `index` takes `value`.
struct FrameChange
{
    int64_t frame;
    int32_t index;
    double value;
};

// The timed parameter changes of one render, in the order the user gave them: single changes
// (--at and automation files) and linear ramps (--ramp). Seconds become frames only once the
// render's sample rate is known, and names become parameter indices only once there is a
// plug-in to look them up in, so both wait for Resolve.
class Automation
{
public:
    static constexpr int64_t kDefaultRampStep = 64;  // frames: a host's usual automation resolution
    static constexpr double kMaxSeconds = 24.0 * 3600.0;
    static constexpr int64_t kMaxFrame = 24LL * 3600 * 768000;  // a day at the highest rate
    static constexpr int64_t kMaxChanges = 10000000;            // about 240 MB once resolved

    // Each Add returns false with a one-line message naming the problem and where it was written.
    // `when` is WHEN of --at, `assignment` NAME=VALUE.
    bool AddChange(const std::string& when, const std::string& assignment, std::string& error);
    // One change a line ("WHEN NAME=VALUE"); '#' starts a comment, blank lines are skipped.
    bool AddFile(const std::string& path, std::string& error);
    // NAME=START:END from `from` to `to`, one change every `step` frames ("" for the default).
    bool AddRamp(const std::string& from, const std::string& to, const std::string& assignment,
                 const std::string& step, std::string& error);

    bool Empty() const { return lanes.empty(); }

    // Whether the text is written as a whole number of frames, "64" or "64f" (of any size).
    static bool IsFrameCount(const std::string& text);

    // Finds a parameter by name or index; -1 when there is none.
    using ParameterLookup = std::function<int32_t(const std::string& name)>;
    // The changes at `sampleRate`, sorted by frame; changes at one frame keep the order given.
    bool Resolve(double sampleRate, const ParameterLookup& lookup, std::vector<FrameChange>& changes,
                 std::string& error) const;

private:
    // A single change is a ramp that starts and ends at once.
    struct Lane
    {
        ChangeTime from;
        ChangeTime to;
        std::string name;
        double start;
        double end;
        int64_t step;
        std::string origin;  // "--at", "--ramp" or "FILE line N", for messages
    };

    bool AddChangeFrom(const std::string& origin, const std::string& when, const std::string& assignment,
                       std::string& error);
    bool AddLane(Lane lane, std::string& error);
    static int64_t CountChanges(const Lane& lane, int64_t from, int64_t to);
    static void Expand(const Lane& lane, int32_t index, double sampleRate, std::vector<FrameChange>& changes);

    std::vector<Lane> lanes;
};
