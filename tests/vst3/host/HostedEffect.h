#pragma once

#include "HostModule.h"
#include "HostObjects.h"

#include "pluginterfaces/base/ipluginbase.h"
#include "pluginterfaces/vst/ivstaudioprocessor.h"
#include "pluginterfaces/vst/ivstcomponent.h"
#include "pluginterfaces/vst/ivsteditcontroller.h"
#include "pluginterfaces/vst/ivstunits.h"

#include <string>
#include <vector>

// A VST3 module opened as a host opens it: binary loaded from the bundle, InitDll called,
// the factory fetched. Closing releases the factory, calls ExitDll and unloads the binary.
class HostedModule
{
public:
    ~HostedModule() { Close(); }

    bool Open(const std::string& bundlePath);
    void Close();
    Steinberg::IPluginFactory* Factory() const { return factory; }
    // The entry points, for tests that call them directly.
    bool (PLUGIN_API* initDll)() = nullptr;
    bool (PLUGIN_API* exitDll)() = nullptr;
    Steinberg::IPluginFactory* (PLUGIN_API* getPluginFactory)() = nullptr;

private:
    HostModule module;
    Steinberg::IPluginFactory* factory = nullptr;
};

// One plug-in instance with the faces a host uses, found the way a host finds them: the
// component from the factory, the controller by querying the component.
class HostedEffect
{
public:
    HostedEffect(Steinberg::IPluginFactory* factory, const Steinberg::TUID classId);
    ~HostedEffect();
    HostedEffect(const HostedEffect&) = delete;
    HostedEffect& operator=(const HostedEffect&) = delete;

    bool IsValid() const { return component && processor && controller; }
    // initialize on the component with the context, then activation of every bus as hosts do.
    Steinberg::tresult Initialize(Steinberg::FUnknown* context);
    Steinberg::tresult Setup(double sampleRate, Steinberg::int32 maxBlock, Steinberg::int32 sampleSize,
                             Steinberg::int32 mode = Steinberg::Vst::kRealtime);
    // Sets mono or stereo buses on both sides.
    Steinberg::tresult SetChannels(Steinberg::int32 channels);

    Steinberg::Vst::IComponent* component = nullptr;
    Steinberg::Vst::IAudioProcessor* processor = nullptr;
    Steinberg::Vst::IEditController* controller = nullptr;
    Steinberg::Vst::IUnitInfo* units = nullptr;

private:
    bool initialized = false;
};

// ---- Rendering -------------------------------------------------------------------------------------

using Channels = std::vector<std::vector<double>>;

struct ParamChange
{
    Steinberg::Vst::ParamID id;
    double value;
};

struct RenderBlock
{
    Steinberg::int32 frames;
    std::vector<ParamChange> changes;  // delivered with the block
};

// How a host fills the input bus's silence flags.
enum class InputSilenceFlags
{
    kNone,      // never set
    kSilentOnes,  // set for each channel whose block is all zeros
    kEveryOne,  // set for every channel whatever it holds, as a careless host might
};

struct RenderPlan
{
    double sampleRate = 44100.0;
    Steinberg::int32 maxBlock = 512;
    Steinberg::int32 channels = 2;
    bool inputBus = true;  // false: the host hands over no input buses at all
    InputSilenceFlags inputSilence = InputSilenceFlags::kNone;
    std::vector<RenderBlock> blocks;

    Steinberg::int32 TotalFrames() const;
};

// Feeds the blocks of a render to a hosted instance one process call at a time, so that
// renders on several instances can be interleaved. 32-bit rendering rounds the input to
// single precision first.
class BlockRenderer
{
public:
    BlockRenderer(HostedEffect& effect, const RenderPlan& plan, const Channels& input, Steinberg::int32 sampleSize);

    // Bus arrangement, processing set-up and activation.
    void Begin();
    // Processes the next block; false when all blocks are done.
    bool Step();
    // Deactivation; the output rendered so far.
    Channels End();
    // The output bus's silence flags after each block processed so far.
    const std::vector<Steinberg::uint64>& OutputSilenceFlags() const { return outputSilence; }

private:
    template <class Sample>
    void ProcessBlock(const RenderBlock& block, std::vector<std::vector<Sample>>& in,
                      std::vector<std::vector<Sample>>& out);

    HostedEffect& effect;
    const RenderPlan& plan;
    Steinberg::int32 sampleSize;
    std::vector<std::vector<float>> in32, out32;
    std::vector<std::vector<double>> in64, out64;
    std::vector<Steinberg::uint64> outputSilence;
    size_t nextBlock = 0;
    Steinberg::int32 done = 0;
};

// Runs all blocks through a hosted instance: set-up, activation, one process call per block,
// deactivation.
Channels RenderHosted(HostedEffect& effect, const RenderPlan& plan, const Channels& input,
                      Steinberg::int32 sampleSize);

// Deterministic test signal: decaying noise bursts and a sine, per channel.
Channels TestSignal(Steinberg::int32 channels, Steinberg::int32 frames, double sampleRate, unsigned seed);

// One bit per channel whose frames [first, first + count) are all zero.
Steinberg::uint64 SilentChannels(const Channels& c, Steinberg::int32 first, Steinberg::int32 count);

// The largest absolute difference between two renders of equal shape (infinity otherwise).
double MaxDifference(const Channels& a, const Channels& b);
bool AllFinite(const Channels& c);
