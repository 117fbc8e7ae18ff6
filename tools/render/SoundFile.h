#pragma once

#include <sndfile.h>

#include <cstdint>
#include <string>

// A sound file opened through libsndfile, closed with the object.
class SoundFile
{
public:
    SoundFile() = default;
    ~SoundFile();
    SoundFile(const SoundFile&) = delete;
    SoundFile& operator=(const SoundFile&) = delete;

    // Opens an existing file for reading; false with a message when it cannot be read as sound.
    bool OpenRead(const std::string& path, std::string& error);
    // Writes a new file through an open descriptor (taken over); false with a message.
    bool OpenWrite(int fd, int format, int channels, int sampleRate, std::string& error);

    int64_t ReadFrames(double* interleaved, int64_t frames);
    bool WriteFrames(const double* interleaved, int64_t frames);
    bool Close();

    int Channels() const { return info.channels; }
    int SampleRate() const { return info.samplerate; }
    int Format() const { return info.format; }
    int64_t Frames() const { return info.frames; }

private:
    SNDFILE* file = nullptr;
    SF_INFO info{};
};

// The libsndfile format of an output file: its container from the file name's extension
// (wav, aif/aiff, flac), or the given default container when the extension names none.
int ContainerForPath(const std::string& path, int defaultContainer);
const char* ContainerName(int format);
