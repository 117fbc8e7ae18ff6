#include "FuzzScratchFolder.h"

#include "FuzzCheck.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <unistd.h>

FuzzScratchFolder::FuzzScratchFolder()
{
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("tessivane-fuzz-" + std::to_string(getpid()));
    std::error_code ignored;
    std::filesystem::create_directories(path, ignored);
    folder = path.string();
}

FuzzScratchFolder::~FuzzScratchFolder()
{
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
}

std::string FuzzScratchFolder::Path(const char* name) const
{
    return folder + "/" + name;
}

std::string FuzzScratchFolder::Write(const char* name, const uint8_t* data, size_t size) const
{
    const std::string path = Path(name);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    FUZZ_CHECK(out.good(), "cannot write the scratch file %s", path.c_str());
    return path;
}

bool FuzzScratchFolder::Read(const std::string& path, std::vector<uint8_t>& bytes)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}
