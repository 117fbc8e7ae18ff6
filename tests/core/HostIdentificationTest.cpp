#include "HostIdentification.h"

#include <gtest/gtest.h>

#include <string>

TEST(HostIdentification, MatchesCaseInsensitivelyInTableOrder)
{
    EXPECT_EQ(IdentifyHost("REAPER"), kHostReaper);
    EXPECT_EQ(IdentifyHost("Steinberg Nuendo and Cubase"), kHostCubase);
    EXPECT_EQ(IdentifyHost("Nuendo"), kHostNuendo);
    EXPECT_EQ(IdentifyHost("Ableton Live 11"), kHostLive);
    EXPECT_EQ(IdentifyHost("Olive Tree"), kHostLive);  // "live" inside another word
    EXPECT_EQ(IdentifyHost("Fruity Live"), kHostFruity);
    EXPECT_EQ(IdentifyHost("VST3PluginTestHost"), kHostVST3TestHost);
    EXPECT_EQ(IdentifyHost("Renoise"), kHostRenoise);
    EXPECT_EQ(IdentifyHost("Pro Tools"), kHostUnknown);
    EXPECT_EQ(IdentifyHost("ProTools"), kHostProTools);
    EXPECT_EQ(IdentifyHost(""), kHostUnknown);
    EXPECT_EQ(IdentifyHost(nullptr), kHostUnknown);
}

TEST(HostIdentification, LooksOnlyAtTheFirst255Bytes)
{
    std::string name(255, 'x');
    EXPECT_EQ(IdentifyHost((name + "reaper").c_str()), kHostUnknown);
    EXPECT_EQ(IdentifyHost((std::string(249, 'x') + "reaper").c_str()), kHostReaper);
}

TEST(HostIdentification, DecodesDecimalVendorVersions)
{
    EXPECT_EQ(DecodeHostVersion(10208), 0x010208);
    EXPECT_EQ(DecodeHostVersion(0), 0);
    EXPECT_EQ(DecodeHostVersion(60512), 6 * 65536 + 5 * 256 + 12);
    EXPECT_EQ(DecodeHostVersion(INT32_MAX), 0);  // out of range, never overflows
}
