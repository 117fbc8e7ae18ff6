// The reverb's 19 parameters: their indices, names, steps and defaults, and the texts the
// editor's value readouts show for them. Every value is normalised to 0..1; physical units
// appear only in the engine and in the readouts below.
#pragma once

#include <cstddef>

namespace ReverbParameters {

constexpr int kInput = 0;          // routing: 0 L, 1/3 R, 2/3 L+R, 1 L&R
constexpr int kMix = 1;
constexpr int kFarEcho = 2;
constexpr int kDiffusion = 3;
constexpr int kRoomSize = 4;
constexpr int kLowCut = 5;
constexpr int kHighCut = 6;
constexpr int kDarkness = 7;
constexpr int kPreDelay = 8;
constexpr int kModRate = 9;
constexpr int kTurbRate = 10;
constexpr int kRestoreDefault = 11; // momentary buttons: the value flips at every click
constexpr int kHelp = 12;
constexpr int kAbout = 13;
constexpr int kOk = 14;
constexpr int kReserved1 = 15;     // kept so that the On/Off pair and the stored block keep their places
constexpr int kReserved2 = 16;
constexpr int kTurbulence = 17;    // 0 = On (8 lines), anything else = Off (6 lines)
constexpr int kAir = 18;           // 0 = On (lines in equal pairs), 1 = Off
constexpr int kCount = 19;

// The first and last parameter that has a value readout in the editor.
constexpr int kFirstReadout = kMix;
constexpr int kLastReadout = kTurbRate;

// Readout texts need at most 6 characters; the editor formats them into a 56-byte buffer.
constexpr std::size_t kReadoutCapacity = 56;

struct Info {
    const char* name;
    double step;
    double defaultValue;
};

// In index order. The engine's construction values are taken from here, so the engine and
// the host-visible table always start equal.
constexpr Info kTable[kCount] = {
    {"Input", 0.33333, 0.66},
    {"Mix", 0.001, 0.33},
    {"Far echo", 0.001, 0.0},
    {"Diffusion", 0.001, 0.708},
    {"Room size", 0.001, 0.4486},
    {"Low cut", 0.001, 0.0},
    {"High cut", 0.001, 0.185},
    {"Darkness", 0.001, 0.31},
    {"Pre-delay", 0.001, 0.2},
    {"Mod rate", 0.001, 0.5},
    {"Turb rate", 0.001, 0.5},
    {"Restore default", 1.0, 0.0},
    {"Help", 1.0, 0.0},
    {"About", 1.0, 0.0},
    {"OK", 1.0, 0.0},
    {"Reserved 1", 1.0, 0.0},
    {"Reserved 2", 1.0, 0.0},
    {"Turbulence", 1.0, 0.0},
    {"Air", 1.0, 0.0},
};

constexpr bool IsValidIndex(int index) { return index >= 0 && index < kCount; }

// Default of a parameter; 0 for an index outside the table.
constexpr double DefaultValue(int index) { return IsValidIndex(index) ? kTable[index].defaultValue : 0.0; }

// True for the thirteen parameters the engine keeps a copy of (0..10, Turbulence, Air).
constexpr bool IsSoundParameter(int index)
{
    return (index >= kInput && index <= kTurbRate) || index == kTurbulence || index == kAir;
}

// Maps any value into 0..1; NaN and -0.0 become 0.
double ClampNormalised(double value);

// Writes the readout text of parameter `index` (1..10) for the normalised value into `text`,
// truncated to `capacity` - 1 characters and always terminated when capacity > 0. The value
// is clamped to 0..1 first. Returns false, writing an empty text, for an index without readout
// or a buffer of capacity 0.
//   Mix, Far echo, Darkness, Pre-delay, Mod rate: the value, "%3.2f"
//   Diffusion: 0.5 v + 0.5, "%3.2f"     Room size: 0.9 v + 0.1, "%3.2f"
//   Low cut: 10 * 100^v Hz, "%4.0f"     High cut: int(20 * 10^v) * 100 Hz, "%d"
//   Turb rate: 0.1 * 25^v, "%3.2f"
bool FormatReadout(int index, double value, char* text, std::size_t capacity);

} // namespace ReverbParameters
