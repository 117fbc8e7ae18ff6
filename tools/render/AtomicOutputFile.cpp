#include "AtomicOutputFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

AtomicOutputFile::AtomicOutputFile(std::string targetPath) : target(std::move(targetPath)) {}

AtomicOutputFile::~AtomicOutputFile()
{
    if (!temporary.empty() && !committed)
        unlink(temporary.c_str());
}

int AtomicOutputFile::Create(std::string& error)
{
    const size_t slash = target.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : target.substr(0, slash + 1);
    std::string pattern = folder + (slash == std::string::npos ? "/" : "") + ".tessivane-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = mkstemp(name.data());
    if (fd < 0)
    {
        error = "cannot write '" + target + "': " + strerror(errno);
        return -1;
    }
    // mkstemp creates the file private; give it the permissions any new file would get.
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
    temporary = name.data();
    return fd;
}

bool AtomicOutputFile::Commit(std::string& error)
{
    if (temporary.empty() || rename(temporary.c_str(), target.c_str()) != 0)
    {
        error = "cannot write '" + target + "': " + strerror(errno);
        return false;
    }
    committed = true;
    return true;
}

bool SameFile(const std::string& a, const std::string& b)
{
    struct stat sa;
    struct stat sb;
    if (stat(a.c_str(), &sa) != 0 || stat(b.c_str(), &sb) != 0)
        return false;
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}
