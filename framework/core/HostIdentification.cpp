#include "HostIdentification.h"

#include <cctype>
#include <cstring>

namespace {

struct HostMatch
{
    const char* text;
    int32_t id;
};

// Tested in this order: "cubase" before "nuendo", and the short "live" late, so that longer
// and more specific names win.
const HostMatch kHostTable[] = {
    {"cubase", kHostCubase},          {"reaper", kHostReaper},
    {"nuendo", kHostNuendo},          {"cakewalk", kHostCakewalk},
    {"samplitude", kHostSamplitude},  {"fruity", kHostFruity},
    {"live", kHostLive},              {"melodyne", kHostMelodyne},
    {"vstmanlib", kHostVSTManLib},    {"aulab", kHostAULab},
    {"garageband", kHostGarageBand},  {"forte", kHostForte},
    {"chainer", kHostChainer},        {"audition", kHostAudition},
    {"orion", kHostOrion},            {"sawstudio", kHostSAWStudio},
    {"logic", kHostLogic},            {"digital", kHostDigitalPerformer},
    {"audiomulch", kHostAudioMulch},  {"presonus", kHostPreSonus},
    {"vst3plugintesthost", kHostVST3TestHost},
    {"protools", kHostProTools},      {"ardour", kHostArdour},
    {"openmpt", kHostOpenMPT},        {"renoise", kHostRenoise},
    {"standalone", kHostStandalone},
};

constexpr size_t kNameBufferBytes = 256;

} // namespace

int32_t IdentifyHost(const char* productName)
{
    char lower[kNameBufferBytes] = "";
    if (productName)
    {
        size_t n = strnlen(productName, kNameBufferBytes - 1);
        for (size_t i = 0; i < n; ++i)
            lower[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(productName[i])));
        lower[n] = '\0';
    }
    for (const HostMatch& match : kHostTable)
        if (strstr(lower, match.text))
            return match.id;
    return kHostUnknown;
}

int32_t DecodeHostVersion(int32_t vendorVersion)
{
    const int64_t v = vendorVersion;
    const int64_t decoded = v + (v % 10000 / 100) * 156 + (v / 10000) * 55536;
    if (decoded > INT32_MAX || decoded < INT32_MIN)
        return 0;
    return static_cast<int32_t>(decoded);
}
