#include "ProgressBar.h"

#include <algorithm>
#include <unistd.h>

ProgressBar::ProgressBar(FILE* s, bool wanted)
    : stream(s), enabled(wanted && isatty(fileno(s))), start(std::chrono::steady_clock::now())
{
}

ProgressBar::~ProgressBar()
{
    Finish();
}

void ProgressBar::Update(double fraction)
{
    if (!enabled || std::chrono::steady_clock::now() - start < kDelay)
        return;
    const int percent = static_cast<int>(std::clamp(fraction, 0.0, 1.0) * 100.0);
    if (percent == lastPercent)
        return;
    lastPercent = percent;
    const int filled = percent * kWidth / 100;
    fprintf(stream, "\r[%.*s%*s] %3d%%", filled, "########################################", kWidth - filled, "",
            percent);
    fflush(stream);
    shown = true;
}

void ProgressBar::Finish()
{
    if (!shown)
        return;
    Update(1.0);
    fputc('\n', stream);
    shown = false;
}
