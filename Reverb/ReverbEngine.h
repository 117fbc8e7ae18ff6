// The reverb's signal processing: two banks of modulated all-pass delay lines with damping,
// input cut filters, far echo and pre-delay, mixed with the dry signal. The engine knows
// nothing of hosts, editors or locks; its owner serialises every call.
//
// The object holds all of its memory in fixed arrays sized for 384 kHz (a little under 9 MB),
// so nothing is allocated when the rate or the parameters change. Create it on the heap.
#pragma once

#include "ReverbKernel.h"
#include "ReverbRandom.h"

#include <cstdint>

template <ReverbKernel kKernel>
class ReverbFastKernel;

class ReverbEngine {
public:
    static constexpr int kMaxLines = 8;
    static constexpr int kLineCapacity = 61056;           // 0.159 s at 384 kHz, the longest line
    static constexpr double kMinSampleRate = 44056.0;     // Hz; lower host rates compute as this
    static constexpr double kMaxSampleRate = 384000.0;    // Hz; the rate the memories are sized for
    static constexpr double kInitialSampleRate = 44100.0; // Hz, until the host sets one

    ReverbEngine();
    ReverbEngine(const ReverbEngine&) = delete;
    ReverbEngine& operator=(const ReverbEngine&) = delete;

    // ---- Setup ------------------------------------------------------------------------
    // Stores the rate every computation uses: the host's rate, raised to 44056 Hz when it is
    // lower, not finite or not positive, and limited to 384 kHz so that no line outgrows its
    // memory. Does not reset; call ResetEngine afterwards, as the host's setup does.
    void SetHostSampleRate(double hostRate);

    // Clears every memory, recomputes everything from the parameter copies and the rate,
    // reseeds the generator and draws the starting modulation and turbulence state.
    void ResetEngine();

    // ---- Parameters (normalised 0..1; values outside are clamped, NaN becomes 0) ------
    // Stores the copy of a sound parameter and does what a change of it requires: recompute
    // the quantities that depend on it, or reset for Turbulence and Air (even when the value
    // is unchanged). Indices without an engine copy are ignored.
    void ApplyParameter(int index, double value);
    // Stores the copy only, recomputing nothing (state restore, Restore default).
    void SetParameterCopy(int index, double value);
    // The engine's copy; 0 for an index without one.
    double ParameterCopy(int index) const;
    // Writes the thirteen construction values back into the copies, recomputing nothing.
    void RestoreDefaultCopies();

    // ---- Audio ------------------------------------------------------------------------
    // Renders `frames` frames: inputs and outputs are two channel pointers each (left,
    // right). Outputs silence until the first reset; writes nothing when frames <= 0.
    // Inputs and outputs may be the same buffers. Non-finite input samples count as 0. A
    // missing input table or channel reads as silence; a missing output channel renders
    // nothing. Runs with subnormal numbers flushed to zero and restores the caller's setting.
    // Should absurd input overflow the network, the broken samples are silenced and the
    // engine resets. Uses the kernel chosen with SetKernel.
    void Process(const double* const* inputs, double* const* outputs, int frames);

    // The per-sample algorithm written out step by step, in scalar code; the reference the
    // vector kernels are measured against. Same contract as Process, but leaves the
    // floating-point mode to the caller and does not recover from overflow.
    void ProcessReference(const double* const* inputs, double* const* outputs, int frames);

    // Chooses the implementation Process runs (the best supported one by default). A kernel
    // this CPU cannot run is replaced by the best one it can; returns the kernel now in use.
    // Switching is allowed between any two blocks: all kernels share the engine's state.
    ReverbKernel SetKernel(ReverbKernel kernel);
    ReverbKernel Kernel() const { return kernel; }

    // The idle path: once the network is at rest (NetworkAtRest), Process renders a block of
    // silent input, every sample of both channels +0.0, by moving only the modulation and
    // turbulence generators (walks, turns and random draws, in the order the full path makes
    // them) and writing +0.0; the result is the full path's, bit for bit. On by default; tests
    // and benchmarks switch it off to compare.
    void SetIdlePath(bool enabled) { idlePath = enabled; }
    // Whether the delay lines, wet histories, far echo taps, low cut and damping states all hold
    // +0.0, as after a reset. The high cut's state may keep a remnant: below about 1e-307 its
    // decay underflows and stops. Known without looking: a reset brings rest, and it returns
    // once every value written into the network has been +0.0 for kLineCapacity frames in a row
    // with unchanged line lengths and those states have reached +0.0. The idle path runs a
    // block while the high cut's remnant stays put and the all-pass chains turn it into +0.0.
    bool NetworkAtRest() const { return atRest; }
    // Frames rendered through the idle path since construction; a statistic, not state.
    long long IdleFrames() const { return idleFrames; }

    // Names the first part of the state in which two engines differ ("delay lines", "modulation
    // offsets", ...), or returns nullptr when every memory, generator, coefficient, parameter
    // copy and piece of bookkeeping is equal bit for bit. Scratch space, the working values of
    // a frame, the kernel and the idle path switch are not state. For tests.
    const char* FirstStateDifference(const ReverbEngine& other) const;

    // ---- Read-only state ----------------------------------------------------------------
    bool IsReady() const { return engineReady != 0; }
    double SampleRate() const { return sampleRate; }
    int LineCount() const { return lineCount; }
    int WritePos() const { return writePos; }

    // Per line (0..7); 0 for a line index outside the bank.
    int LineLengthL(int line) const { return IsLine(line) ? lineLengthL[line] : 0; }
    int LineLengthR(int line) const { return IsLine(line) ? lineLengthR[line] : 0; }
    int ModDepthL(int line) const { return IsLine(line) ? modDepthL[line] : 0; }
    int ModDepthR(int line) const { return IsLine(line) ? modDepthR[line] : 0; }
    double StageGainL(int line) const { return IsLine(line) ? stageGainL[line] : 0.0; }
    double StageGainR(int line) const { return IsLine(line) ? stageGainR[line] : 0.0; }
    double TurbWalkA(int line) const { return IsLine(line) ? turbWalkA[line] : 0.0; }
    double TurbWalkB(int line) const { return IsLine(line) ? turbWalkB[line] : 0.0; }
    double TurbStepA(int line) const { return IsLine(line) ? turbStepA[line] : 0.0; }
    double TurbStepB(int line) const { return IsLine(line) ? turbStepB[line] : 0.0; }
    double ModOffsetL(int line) const { return IsLine(line) ? modOffsetL[line] : 0.0; }
    double ModOffsetR(int line) const { return IsLine(line) ? modOffsetR[line] : 0.0; }
    double ModStepL(int line) const { return IsLine(line) ? modStepL[line] : 0.0; }
    double ModStepR(int line) const { return IsLine(line) ? modStepR[line] : 0.0; }

    double RoomScale() const { return roomScale; }
    int FarEchoDelay() const { return farEchoDelay; }
    double OutputGain() const { return outputGain; }
    double LowCutCoef() const { return lowCutCoef; }
    double LowCutGain() const { return lowCutGain; }
    double HighCutCoef() const { return highCutCoef; }
    double ShelfGain() const { return shelfGain; }
    double ShelfB0() const { return shelfB0; }
    double ShelfB1() const { return shelfB1; }
    double ShelfB2() const { return shelfB2; }
    double ShelfA1() const { return shelfA1; }
    double ShelfA2() const { return shelfA2; }
    double TurbRate() const { return turbRate; }
    double TurbStepDivisor() const { return turbStepDivisor; }
    double ModStepMax() const { return modStepMax; }
    double ModRateDivisor() const { return modRateDivisor; }
    std::uint32_t RandomState() const { return random.State(); }

private:
    template <ReverbKernel> friend class ReverbFastKernel;

    // Left and right cells of a delay line or wet history side by side, so that one vector
    // load or store serves both banks where they use the same position.
    static constexpr int kLeft = 0;
    static constexpr int kRight = 1;
    using StereoCell = double[2];
    using StereoLine = StereoCell[kLineCapacity];

    // One bank's fields, so that the left and right side run the same code.
    struct SideView {
        int lane; // kLeft or kRight: the bank's half of every stereo cell
        StereoLine* delayLines;
        const int* modDepth;
        const double* modOffset;
        const double* stageGain;
        const int* readPos;
        double* lineRead;
        double* stageValue;
        double* shelfZ1;
        double* shelfZ2;
        double& lowCutState;
        double& highCutState;
        StereoLine& wetHistory;
        double& ownTap;
        const double& otherTap;
    };

    struct RoutedInput {
        double left;
        double right;
    };

    static bool IsLine(int line) { return line >= 0 && line < kMaxLines; }
    SideView LeftSide();
    SideView RightSide();

    // Derived values.
    void ComputeLowCut();
    void ComputeHighCut();
    void ComputeDampingShelf();
    void ComputeOutputGain();
    void ComputeLineLengths(double ratioExponent);
    void ComputeFarEchoDelay();
    void ComputeTurbulenceRate();
    void ComputeModulationSpeed();
    void ComputeModulationSpeedAtReset();
    void DrawStartingState();
    void RecoverFromOverflow(double* const* outputs, int frames);
    bool FastKernelRunsThisSetup() const;
    void UpdateDiffusionLog();

    // The idle path.
    static constexpr int kIdlePieceFrames = 1024;
    void ProcessFullPath(const double* const* inputs, double* const* outputs, int frames);
    bool InputIsSilent(const double* const* inputs, int frames) const;
    bool RemnantStaysSilent(int frames) const;
    double LeastGainExponentSum(int frames) const;
    ReverbKernel VectorKernel() const;
    void AdvanceGeneratorsIdle(int frames);
    void FinishIdle(double* const* outputs, int frames);
    void NoteNetworkWrites(int frames, bool onlyZeros);
    void NoteWritten(double value) { writtenBits |= BitsOf(value); }
    bool FilterStatesAtRest() const;
    static std::uint64_t BitsOf(double value);

    // Per-frame steps.
    double DrawUnit();
    void UpdateStageGains();
    void SetStageGains();
    void WalkTurbulence();
    void CentreDeviations();
    void ComputeStageGains(double* turbDev, double* stageGain, double diffusionGain);
    void AdvanceModulation();
    void AdvanceOffset(double& offset, double& step, int depth);
    RoutedInput RouteInput(const double* inLeft, const double* inRight, int frame) const;
    double ProcessSide(const SideView& side, double routedIn, int preDelayPos, int farEchoPos);
    void ReadLines(const SideView& side);
    double RunAllPassChain(const SideView& side, double chainInput);
    void DampAndWriteLines(const SideView& side);

    // Parameter copies (normalised 0..1).
    double paramInput;
    double paramMix;
    double paramFarEcho;
    double paramDiffusion;
    double paramRoomSize;
    double paramLowCut;
    double paramHighCut;
    double paramDarkness;
    double paramPreDelay;
    double paramModRate;
    double paramTurbRate;
    double paramTurbulence;
    double paramAir;

    // General state.
    ReverbKernel kernel = BestSupportedKernel();
    bool idlePath = true;
    double sampleRate = kInitialSampleRate;
    int lineCount = kMaxLines;
    int engineReady = 0;
    int writePos = 0;

    // Delay network: the left and right bank of lines, interleaved cell by cell.
    alignas(64) StereoLine delayLines[kMaxLines] = {};
    int lineLengthL[kMaxLines] = {};
    int lineLengthR[kMaxLines] = {};
    int modDepthL[kMaxLines] = {};
    int modDepthR[kMaxLines] = {};
    alignas(64) StereoLine wetHistory = {}; // left and right, interleaved
    double farEchoTapL = 0.0;
    double farEchoTapR = 0.0;
    int farEchoDelay = 0;
    double roomScale = 0.0;

    // Filters.
    double lowCutCoef = 0.0;
    double lowCutGain = 0.0;
    double lowCutStateL = 0.0;
    double lowCutStateR = 0.0;
    double highCutCoef = 0.0;
    double highCutStateL = 0.0;
    double highCutStateR = 0.0;
    double shelfFreq = 0.0;
    double shelfQ = 0.0;
    double shelfGain = 0.0;
    double shelfB0 = 0.0;
    double shelfB1 = 0.0;
    double shelfB2 = 0.0;
    double shelfA1 = 0.0;
    double shelfA2 = 0.0;
    double shelfZ1L[kMaxLines] = {};
    double shelfZ2L[kMaxLines] = {};
    double shelfZ1R[kMaxLines] = {};
    double shelfZ2R[kMaxLines] = {};
    double outputGain = 0.0;

    // Modulation and turbulence generators.
    double turbWalkA[kMaxLines] = {};
    double turbWalkB[kMaxLines] = {};
    double turbStepA[kMaxLines] = {};
    double turbStepB[kMaxLines] = {};
    double turbDevL[kMaxLines] = {};
    double turbDevR[kMaxLines] = {};
    double stageGainL[kMaxLines] = {};
    double stageGainR[kMaxLines] = {};
    double turbBound = 0.0;
    double turbRate = 0.0;
    double turbStepDivisor = 0.0;
    double modOffsetL[kMaxLines] = {};
    double modOffsetR[kMaxLines] = {};
    double modStepL[kMaxLines] = {};
    double modStepR[kMaxLines] = {};
    double modStepMax = 0.0;
    double modRateDivisor = 0.0;
    double randScale = 0.0;
    ReverbRandom random;

    // Rest of the network: frames in a row (up to kLineCapacity) that wrote only +0.0 into the
    // lines and histories since the line lengths last changed, and whether the network is at rest.
    int quietFrames = 0;
    bool atRest = false;
    long long idleFrames = 0;

    // log(diffusionGain) in more than double precision, for the vector kernels' powers;
    // recomputed only when Diffusion has changed.
    double diffusionLogFor = -1.0; // the paramDiffusion it was computed for
    double diffusionLogHi = 0.0;
    double diffusionLogLo = 0.0;

    // Room for the vector kernels' control values of a run of frames (walks, offsets, gains,
    // cubic weights), so that they need not sit on the audio thread's stack.
    static constexpr int kKernelScratchBytes = 128 * 1024;
    alignas(64) unsigned char kernelScratch[kKernelScratchBytes];

    // Working values of one frame; nothing in them survives to the next frame.
    int readPosL[kMaxLines] = {};
    int readPosR[kMaxLines] = {};
    double lineReadL[kMaxLines] = {};
    double lineReadR[kMaxLines] = {};
    double stageValueL[kMaxLines] = {};
    double stageValueR[kMaxLines] = {};
    std::uint64_t writtenBits = 0; // the bits of every value ProcessReference writes, or-ed
};
