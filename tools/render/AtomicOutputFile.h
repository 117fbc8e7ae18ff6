#pragma once

#include <string>

// A file written under a temporary name in its target folder and renamed into place only
// when the writer commits, so that a failed job never leaves a partial file behind.
class AtomicOutputFile
{
public:
    explicit AtomicOutputFile(std::string targetPath);
    ~AtomicOutputFile();
    AtomicOutputFile(const AtomicOutputFile&) = delete;
    AtomicOutputFile& operator=(const AtomicOutputFile&) = delete;

    // Creates the temporary file; returns its descriptor, or -1 with a message.
    int Create(std::string& error);
    // Moves the finished file to its target name; false with a message.
    bool Commit(std::string& error);

private:
    std::string target;
    std::string temporary;
    bool committed = false;
};

// True when both paths name the same existing file.
bool SameFile(const std::string& a, const std::string& b);
