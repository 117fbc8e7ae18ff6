// Writes the seed corpora of the fuzz harnesses: states and chunks made by the plug-in's own
// write paths, PNG images of every colour type the decoder converts, and command lines as the
// render tool's help shows them. Usage: fuzz_make_corpus CORPUS_FOLDER

#include "EffectSnapshot.h"
#include "IReverbEffect.h"
#include "PngTestImages.h"

#include <png.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

// The mode bytes of the harnesses that serve several entry points (see each harness).
constexpr uint8_t kVst2Bank = 0;
constexpr uint8_t kVst2Program = 1;
constexpr uint8_t kVst2Text = 2;
constexpr uint8_t kVst3Component = 0;
constexpr uint8_t kVst3Controller = 1;
constexpr uint8_t kVst3Text = 2;
constexpr uint8_t kStartAtZero = 1;  // the reverb state harness's first byte for start 0

std::filesystem::path root;

void Save(const char* harness, const char* name, const Bytes& bytes)
{
    const std::filesystem::path folder = root / harness;
    std::filesystem::create_directories(folder);
    std::ofstream out(folder / name, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

Bytes Cat(std::initializer_list<Bytes> parts)
{
    Bytes all;
    for (const Bytes& p : parts)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}

Bytes Text(const std::string& s)
{
    return Bytes(s.begin(), s.end());
}

Bytes Wide(const std::string& s)
{
    Bytes out;
    for (const char c : s)
    {
        out.push_back(static_cast<uint8_t>(c));
        out.push_back(0);
    }
    return out;
}

// The state, program chunk and bank chunk of a reverb, as its write paths make them.
struct Written
{
    Bytes state;
    Bytes program;
    Bytes bank;
};

Written Write(IReverbEffect& reverb)
{
    Written w;
    IStateChunk chunk;
    reverb.WriteState(chunk);
    w.state = BytesOf(chunk);
    IEffectBase::InitChunkHeader(chunk);
    reverb.WriteState(chunk);
    w.program = BytesOf(chunk);
    IEffectBase::InitChunkHeader(chunk);
    reverb.ModifyCurrentPreset(nullptr);
    reverb.SerializePresets(chunk);
    w.bank = BytesOf(chunk);
    return w;
}

void MakeStates()
{
    IReverbEffect reverb(nullptr);
    const Written defaults = Write(reverb);
    // A big, dark room with Turbulence and Air off: every value away from its default.
    const double values[] = {1.0, 0.5, 0.25, 0.9, 1.0, 0.1, 0.7, 0.8, 0.6, 0.3, 0.9, 0, 0, 0, 0, 0, 0, 1.0, 1.0};
    for (int32_t i = 0; i < reverb.ParameterCount() && i < static_cast<int32_t>(std::size(values)); ++i)
        reverb.ApplyHostParameter(i, values[i]);
    const Written hall = Write(reverb);
    const Bytes cut(defaults.state.begin(), defaults.state.begin() + 20);  // Input and half of Mix

    Save("reverb_state", "defaults", Cat({{kStartAtZero}, defaults.state}));
    Save("reverb_state", "hall", Cat({{kStartAtZero}, hall.state}));
    Save("reverb_state", "hall-at-4", Cat({{kStartAtZero + 4}, {0xde, 0xad, 0xbe, 0xef}, hall.state}));
    Save("reverb_state", "cut-in-mix", Cat({{kStartAtZero}, cut}));

    Save("vst2_host", "program", Cat({{kVst2Program}, hall.program}));
    Save("vst2_host", "program-bare", Cat({{kVst2Program}, hall.state}));
    Save("vst2_host", "program-cut", Cat({{kVst2Program}, Bytes(hall.program.begin(), hall.program.begin() + 28)}));
    Save("vst2_host", "bank", Cat({{kVst2Bank}, hall.bank}));
    Save("vst2_host", "bank-defaults", Cat({{kVst2Bank}, defaults.bank}));
    Save("vst2_host", "text-mix", Cat({{kVst2Text, 2}, Text("0.25")}));
    Save("vst2_host", "text-huge", Cat({{kVst2Text, 5}, Text("1e999 ms")}));

    Save("vst3_host", "component", Cat({{kVst3Component}, hall.state}));
    Save("vst3_host", "controller", Cat({{kVst3Controller}, hall.state, {1, 0, 0, 0}}));
    Save("vst3_host", "controller-cut", Cat({{kVst3Controller}, hall.state, {1, 0}}));
    Save("vst3_host", "text-room", Cat({{kVst3Text, 5}, Wide("0.75")}));
    Save("vst3_host", "text-bypass", Cat({{kVst3Text, 20}, Wide("on")}));
    Save("vst3_host", "text-huge", Cat({{kVst3Text, 8}, Wide("-1e999")}));

    Save("render_state", "defaults", defaults.state);
    Save("render_state", "hall", hall.state);
    Save("render_state", "short", cut);
}

void MakePngs()
{
    Save("png_decoder", "rgba", WriteGradientPng(7, 5));
    Save("png_decoder", "rgba-interlaced", WriteGradientPng(7, 5, true));

    PngImageLayout palette;
    palette.width = 6;
    palette.height = 3;
    palette.colourType = PNG_COLOR_TYPE_PALETTE;
    palette.bitDepth = 2;
    palette.palette = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255};
    palette.paletteAlpha = {0, 128};
    Save("png_decoder", "palette-2bit-trns", WritePng(palette, {{0x1b, 0x40}, {0xe4, 0x10}, {0x6c, 0x30}}));

    PngImageLayout grey;
    grey.width = 3;
    grey.height = 2;
    grey.colourType = PNG_COLOR_TYPE_GRAY_ALPHA;
    grey.bitDepth = 16;
    grey.interlaced = true;
    std::vector<std::vector<uint8_t>> greyRows(2);
    for (int i = 0; i < 12; ++i)
        greyRows[static_cast<size_t>(i / 6)].insert(greyRows[static_cast<size_t>(i / 6)].end(),
                                                   {static_cast<uint8_t>(20 * i), 0x55});
    Save("png_decoder", "grey-alpha-16bit", WritePng(grey, greyRows));

    PngImageLayout bits;
    bits.width = 9;
    bits.height = 2;
    bits.colourType = PNG_COLOR_TYPE_GRAY;
    bits.bitDepth = 1;
    bits.hasTransparentColour = true;
    bits.transparentGrey = 1;
    Save("png_decoder", "grey-1bit-trns", WritePng(bits, {{0xa5, 0x80}, {0x5a, 0x00}}));
}

void MakeCommandLines()
{
    const char* lines[][2] = {
        {"settings", "--set\nRoom size=0.8\n--set\nmix=0.5\n--set\n17=1\n--list-params"},
        {"at", "--at\n2.5\nRoom size=1\n--at\n132300f\nTurbulence=1\n--list-params"},
        {"ramp", "--ramp\n1\n3\nmix=0.2:0.8\n--ramp\n0f\n48000f\nPre-delay=0:1\n32\n--list-params"},
        {"render", "--format\ndouble\n--tail\n4\n--block\n64\nin.wav\nout.wav"},
        {"impulse", "--impulse\n--rate\n96000\nir.wav"},
        {"save", "--load-state\nhall.tsvstate\n--save-state\nbig.tsvstate"},
    };
    for (const auto& line : lines)
        Save("render_options", line[0], Text(line[1]));
    Save("render_options", "automation-file",
         Cat({Text("--automation\n@\n--rate\n44100\n--list-params"), {0},
              Text("# lanes\n0 mix=0.2\n12.5 Room size=0.9\n529200f Air=1\n")}));
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        std::fprintf(stderr, "usage: %s CORPUS_FOLDER\n", argv[0]);
        return 2;
    }
    root = argv[1];
    MakeStates();
    MakePngs();
    MakeCommandLines();
    return 0;
}
