#pragma once

#include <cstdint>

// Packs a four-character code into an int32, first character in the most significant byte.
constexpr int32_t FourCharCode(char a, char b, char c, char d)
{
    return static_cast<int32_t>((static_cast<uint32_t>(static_cast<uint8_t>(a)) << 24) |
                                (static_cast<uint32_t>(static_cast<uint8_t>(b)) << 16) |
                                (static_cast<uint32_t>(static_cast<uint8_t>(c)) << 8) |
                                static_cast<uint32_t>(static_cast<uint8_t>(d)));
}

// Which host adapter the instance runs under.
enum IApiKind : int32_t
{
    kApiVST2 = 0,
    kApiVST3 = 1,
    kApiOffline = 2,  // no host: offline rendering, tests and tools
};

// What a plug-in declares about itself when its instance core is built.
struct IEffectConfig
{
    const char* effectName;
    const char* productName;
    const char* makerName;
    int32_t uniqueId;
    int32_t makerId;
    int32_t version;         // bits 16-31 major, 8-15 minor, 0-7 bug-fix
    const char* channelIO;   // legal (inputs-outputs) pairs separated by blanks, e.g. "1-1 2-2"
    int32_t parameterCount;
    int32_t presetCount;
    int32_t editorWidth;
    int32_t editorHeight;
    bool isInstrument;
    bool doesMidi;
    bool doesStateChunks;
};

struct IChannelPair
{
    int32_t inputs;
    int32_t outputs;
};

// Snapshot of the host's transport.
struct ITransportInfo
{
    double tempo = 0.0;              // beats per minute
    double samplePosition = 0.0;
    double musicalPosition = 0.0;    // quarter notes
    double lastBarStart = 0.0;
    double cycleStart = 0.0;         // quarter notes
    double cycleEnd = 0.0;
    int32_t timeSigNumerator = 0;
    int32_t timeSigDenominator = 0;
    bool transportPlaying = false;
    bool cycleActive = false;
};

struct IMidiMessage
{
    int32_t sampleOffset = 0;
    uint8_t status = 0;
    uint8_t data1 = 0;
    uint8_t data2 = 0;
};

struct ISysExMessage
{
    int32_t sampleOffset = 0;
    int32_t size = 0;
    const uint8_t* data = nullptr;
};
