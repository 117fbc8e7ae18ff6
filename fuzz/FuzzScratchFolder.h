#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A folder of this process's own for the files a harness hands to the render tool.
class FuzzScratchFolder
{
public:
    FuzzScratchFolder();
    ~FuzzScratchFolder();
    FuzzScratchFolder(const FuzzScratchFolder&) = delete;
    FuzzScratchFolder& operator=(const FuzzScratchFolder&) = delete;

    std::string Path(const char* name) const;
    // Writes the bytes to the named file; its path.
    std::string Write(const char* name, const uint8_t* data, size_t size) const;
    // The file's bytes; false when it does not exist.
    static bool Read(const std::string& path, std::vector<uint8_t>& bytes);

private:
    std::string folder;
};
