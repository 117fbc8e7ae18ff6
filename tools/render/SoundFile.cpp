#include "SoundFile.h"

#include <algorithm>
#include <cctype>
#include <unistd.h>

SoundFile::~SoundFile()
{
    Close();
}

bool SoundFile::OpenRead(const std::string& path, std::string& error)
{
    info = SF_INFO{};
    file = sf_open(path.c_str(), SFM_READ, &info);
    if (!file)
    {
        error = "cannot read '" + path + "': " + sf_strerror(nullptr);
        return false;
    }
    return true;
}

bool SoundFile::OpenWrite(int fd, int format, int channels, int sampleRate, std::string& error)
{
    info = SF_INFO{};
    info.format = format;
    info.channels = channels;
    info.samplerate = sampleRate;
    if (!sf_format_check(&info))
    {
        close(fd);
        error = std::string("the ") + ContainerName(format) + " format cannot hold these samples; choose another --format";
        return false;
    }
    file = sf_open_fd(fd, SFM_WRITE, &info, SF_TRUE);
    if (!file)
    {
        error = std::string("cannot write the output: ") + sf_strerror(nullptr);
        return false;
    }
    // Integer formats clip overs instead of wrapping them around.
    sf_command(file, SFC_SET_CLIPPING, nullptr, SF_TRUE);
    return true;
}

int64_t SoundFile::ReadFrames(double* interleaved, int64_t frames)
{
    return file ? sf_readf_double(file, interleaved, frames) : 0;
}

bool SoundFile::WriteFrames(const double* interleaved, int64_t frames)
{
    return file && sf_writef_double(file, interleaved, frames) == frames;
}

bool SoundFile::Close()
{
    if (!file)
        return true;
    const bool ok = sf_close(file) == 0;
    file = nullptr;
    return ok;
}

int ContainerForPath(const std::string& path, int defaultContainer)
{
    const size_t dot = path.find_last_of('.');
    const size_t slash = path.find_last_of('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return defaultContainer;
    std::string ext = path.substr(dot + 1);
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (ext == "wav" || ext == "wave")
        return SF_FORMAT_WAV;
    if (ext == "aif" || ext == "aiff")
        return SF_FORMAT_AIFF;
    if (ext == "flac")
        return SF_FORMAT_FLAC;
    return defaultContainer;
}

const char* ContainerName(int format)
{
    switch (format & SF_FORMAT_TYPEMASK)
    {
    case SF_FORMAT_WAV:
        return "WAV";
    case SF_FORMAT_AIFF:
        return "AIFF";
    case SF_FORMAT_FLAC:
        return "FLAC";
    default:
        return "output";
    }
}
