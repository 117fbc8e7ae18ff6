#include "Automation.h"

#include "TextParsing.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fstream>

namespace {

constexpr size_t kMaxFrameDigits = 12;

// A whole number of frames, "66150" or "66150f", up to the render's limit.
bool ParseFrames(const std::string& text, int64_t& out)
{
    if (!Automation::IsFrameCount(text))
        return false;
    // More digits than any frame within the limit has would overflow the conversion.
    const std::string digits = text.substr(0, text.find_first_not_of("0123456789"));
    if (digits.size() > kMaxFrameDigits)
        return false;
    out = std::stoll(digits);
    return out <= Automation::kMaxFrame;
}

bool ParseWhen(const std::string& written, ChangeTime& out)
{
    const std::string text = Trim(written);
    out = ChangeTime{};
    out.exactFrame = !text.empty() && text.back() == 'f';
    if (out.exactFrame)
        return ParseFrames(text, out.frame);
    return ParseNumber(text, out.seconds) && out.seconds >= 0.0 && out.seconds <= Automation::kMaxSeconds;
}

std::string WhenMistake(const std::string& origin, const char* what, const std::string& text)
{
    return origin + ": " + what + " must be seconds (1.5) or a frame (66150f) from 0 to 24 hours, got '" + text + "'";
}

// "START:END", both parameter values.
bool ParseRampValues(const std::string& text, double& start, double& end)
{
    const size_t colon = text.find(':');
    return colon != std::string::npos && ParseNormalised(Trim(text.substr(0, colon)), start) &&
           ParseNormalised(Trim(text.substr(colon + 1)), end);
}

} // namespace

int64_t ChangeTime::FrameAt(double sampleRate) const
{
    return exactFrame ? frame : std::llround(seconds * sampleRate);
}

bool Automation::IsFrameCount(const std::string& text)
{
    const size_t digits = !text.empty() && text.back() == 'f' ? text.size() - 1 : text.size();
    return digits > 0 && text.find_first_not_of("0123456789") >= digits;
}

bool Automation::AddChange(const std::string& when, const std::string& assignment, std::string& error)
{
    return AddChangeFrom("--at", when, assignment, error);
}

bool Automation::AddChangeFrom(const std::string& origin, const std::string& when, const std::string& assignment,
                               std::string& error)
{
    Lane lane{{}, {}, "", 0.0, 0.0, 1, origin};
    std::string value;
    if (!ParseWhen(when, lane.from))
        error = WhenMistake(origin, "WHEN", when);
    else if (!SplitAssignment(assignment, lane.name, value))
        error = origin + ": expected NAME=VALUE, got '" + Trim(assignment) + "'";
    else if (!ParseNormalised(value, lane.start))
        error = origin + ": the value for '" + lane.name + "' must be a number from 0 to 1, got '" + value + "'";
    else
    {
        lane.to = lane.from;
        lane.end = lane.start;
        return AddLane(std::move(lane), error);
    }
    return false;
}

bool Automation::AddFile(const std::string& path, std::string& error)
{
    std::ifstream in(path);
    if (!in)
    {
        error = "cannot read automation file '" + path + "': " + strerror(errno);
        return false;
    }
    std::string line;
    for (int number = 1; std::getline(in, line); ++number)
    {
        const std::string text = Trim(line.substr(0, line.find('#')));
        if (text.empty())
            continue;
        // WHEN ends at the first blank; the name after it may contain blanks of its own.
        const size_t gap = std::min(text.find_first_of(" \t"), text.size());
        if (!AddChangeFrom(path + " line " + std::to_string(number), text.substr(0, gap), text.substr(gap), error))
            return false;
    }
    if (in.bad())
    {
        error = "cannot read automation file '" + path + "'";
        return false;
    }
    return true;
}

bool Automation::AddRamp(const std::string& from, const std::string& to, const std::string& assignment,
                         const std::string& step, std::string& error)
{
    const std::string origin = "--ramp";
    Lane lane{{}, {}, "", 0.0, 0.0, kDefaultRampStep, origin};
    std::string values;
    if (!ParseWhen(from, lane.from))
        error = WhenMistake(origin, "FROM", from);
    else if (!ParseWhen(to, lane.to))
        error = WhenMistake(origin, "TO", to);
    else if (!SplitAssignment(assignment, lane.name, values) || !ParseRampValues(values, lane.start, lane.end))
        error = origin + ": expected NAME=START:END with values from 0 to 1, got '" + assignment + "'";
    else if (!step.empty() && (!ParseFrames(step, lane.step) || lane.step < 1))
        error = origin + ": STEP must be a whole number of frames from 1, got '" + step + "'";
    else
        return AddLane(std::move(lane), error);
    return false;
}

bool Automation::AddLane(Lane lane, std::string& error)
{
    if (static_cast<int64_t>(lanes.size()) >= kMaxChanges)
    {
        error = lane.origin + ": more than " + std::to_string(kMaxChanges) + " changes";
        return false;
    }
    lanes.push_back(std::move(lane));
    return true;
}

int64_t Automation::CountChanges(const Lane& lane, int64_t from, int64_t to)
{
    return (to - from + lane.step - 1) / lane.step + 1;
}

bool Automation::Resolve(double sampleRate, const ParameterLookup& lookup, std::vector<FrameChange>& changes,
                         std::string& error) const
{
    changes.clear();
    std::vector<int32_t> indices;
    int64_t total = 0;
    for (const Lane& lane : lanes)
    {
        indices.push_back(lookup(lane.name));
        const int64_t from = lane.from.FrameAt(sampleRate);
        const int64_t to = lane.to.FrameAt(sampleRate);
        if (indices.back() < 0)
            error = lane.origin + ": unknown parameter '" + lane.name + "' (see --list-params)";
        else if (to < from)
            error = lane.origin + ": the ramp ends before it starts";
        else if ((total += CountChanges(lane, from, to)) > kMaxChanges)
            error = lane.origin + ": more than " + std::to_string(kMaxChanges) + " changes in all (use a larger STEP)";
        else
            continue;
        return false;
    }
    changes.reserve(static_cast<size_t>(total));
    for (size_t i = 0; i < lanes.size(); ++i)
        Expand(lanes[i], indices[i], sampleRate, changes);
    std::stable_sort(changes.begin(), changes.end(),
                     [](const FrameChange& a, const FrameChange& b) { return a.frame < b.frame; });
    return true;
}

void Automation::Expand(const Lane& lane, int32_t index, double sampleRate, std::vector<FrameChange>& changes)
{
    const int64_t from = lane.from.FrameAt(sampleRate);
    const int64_t to = lane.to.FrameAt(sampleRate);
    for (int64_t frame = from; frame < to; frame += lane.step)
    {
        const double position = static_cast<double>(frame - from) / static_cast<double>(to - from);
        changes.push_back({frame, index, lane.start + (lane.end - lane.start) * position});
    }
    // The last change lands exactly on the end value, whatever the step.
    changes.push_back({to, index, lane.end});
}
