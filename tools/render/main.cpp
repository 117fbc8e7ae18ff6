// tessivane-render: renders audio files through Tessivane Reverb from the command line.

#include "RenderJob.h"
#include "RenderOptions.h"

#include <cstdio>

int main(int argc, char** argv)
{
    RenderOptions options;
    std::string error;
    if (!ParseRenderOptions(argc, argv, options, error))
    {
        fprintf(stderr, "tessivane-render: %s\n", error.c_str());
        return 2;
    }
    if (options.mode == RenderOptions::Mode::Help)
    {
        fputs(RenderUsage(), stdout);
        return 0;
    }
    RenderJob job(options);
    const int status = job.Run();
    if (status != 0)
        fprintf(stderr, "tessivane-render: %s\n", job.Error().c_str());
    return status;
}
