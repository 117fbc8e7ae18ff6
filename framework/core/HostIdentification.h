#pragma once

#include <cstdint>

// Host ids, matched from the host's product name.
enum IHostId : int32_t
{
    kHostNotIdentified = -1,
    kHostUnknown = 0,
    kHostReaper = 1,
    kHostProTools = 2,
    kHostCubase = 3,
    kHostNuendo = 4,
    kHostCakewalk = 5,
    kHostFruity = 7,
    kHostSamplitude = 8,
    kHostLive = 9,
    kHostMelodyne = 12,
    kHostVSTManLib = 13,
    kHostAULab = 14,
    kHostForte = 15,
    kHostChainer = 16,
    kHostAudition = 17,
    kHostOrion = 18,
    kHostSAWStudio = 20,
    kHostLogic = 21,
    kHostGarageBand = 22,
    kHostDigitalPerformer = 23,
    kHostStandalone = 24,
    kHostAudioMulch = 25,
    kHostPreSonus = 26,
    kHostVST3TestHost = 27,
    kHostArdour = 28,
    kHostRenoise = 29,
    kHostOpenMPT = 30,
};

// Matches a host product name (case-insensitively, first 255 bytes) against the known hosts,
// in a fixed order; the first text found anywhere in the name decides. 0 when none matches.
int32_t IdentifyHost(const char* productName);

// Turns a decimal vendor version major*10000 + minor*100 + bug-fix into
// major*65536 + minor*256 + bug-fix.
int32_t DecodeHostVersion(int32_t vendorVersion);
