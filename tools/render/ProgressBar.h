#pragma once

#include <chrono>
#include <cstdio>

// A progress bar on a terminal: shown only when the stream is a terminal and the job has
// already taken longer than a second, so that quick jobs and pipelines stay quiet.
class ProgressBar
{
public:
    ProgressBar(FILE* stream, bool enabled);
    ~ProgressBar();

    void Update(double fraction);
    void Finish();

private:
    static constexpr int kWidth = 40;
    static constexpr std::chrono::milliseconds kDelay{1000};

    FILE* stream;
    bool enabled;
    bool shown = false;
    int lastPercent = -1;
    std::chrono::steady_clock::time_point start;
};
