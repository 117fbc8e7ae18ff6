#include "ReverbEngine.h"

#include "ReverbFastKernel.h"
#include "ReverbParameters.h"
#include "ScopedFlushDenormals.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace {

namespace P = ReverbParameters;

// Calls body with the class of the vector kernel `kernel` (SSE2 for any other).
template <class Body>
decltype(auto) WithVectorKernel(ReverbKernel kernel, Body body)
{
    if (kernel == ReverbKernel::kAvx2)
        return body(ReverbFastKernel<ReverbKernel::kAvx2>{});
    return body(ReverbFastKernel<ReverbKernel::kSse2>{});
}

constexpr double kTwoPi = 6.283185307179586;
constexpr double kLineRatioBase = 0.5471698113207547;     // 29/53, raised to 2/(2N-1): line ratio
constexpr double kEightLineExponent = 0.13333333333333333; // 2/15, used by every Room size change
constexpr double kFirstLineSeconds = 0.159;                // first line at room scale 1
constexpr double kShelfFreq = 4000.0;                      // Hz, corner of the damping shelf
constexpr double kShelfQ = 0.34;
constexpr double kTurbBound = 0.099;
constexpr double kRandScale = 3.051850947599719e-05;       // 1/32767
constexpr double kFlushLevel = 1e-100;                     // tails end in exact zeros below this
constexpr std::uint32_t kRandomSeed = 8;

// One correction suffices: every position is the write position minus a length or delay of
// at most kLineCapacity, moved by at most one modulation depth (well under kLineCapacity).
// The rate limit and the clamped parameters keep it so.
int WrapPosition(int position)
{
    if (position < 0)
        return position + ReverbEngine::kLineCapacity;
    if (position >= ReverbEngine::kLineCapacity)
        return position - ReverbEngine::kLineCapacity;
    return position;
}

// Cubic convolution kernel, a = -0.5, for distances 0..1 and 1..2.
double KernelNear(double t) { return (t * 1.5 - 2.5) * t * t + 1.0; }
double KernelFar(double t) { return (2.5 - t * 0.5) * t * t + (2.0 - t * 4.0); }

// The four cells around a fractional position q: i0 = floor(q), i1 after it, im1 before i0,
// i2 after i1, all wrapped, and the fraction d of q past i0.
struct CubicTaps {
    int i0;
    int i1;
    int im1;
    int i2;
    double d;
};

CubicTaps LocateTaps(double q)
{
    CubicTaps taps;
    const int i0 = static_cast<int>(std::floor(q));
    taps.d = q - i0;
    taps.i0 = WrapPosition(i0);
    taps.i1 = WrapPosition(i0 + 1);
    taps.im1 = WrapPosition(taps.i0 - 1);
    taps.i2 = WrapPosition(taps.i1 + 1);
    return taps;
}

// Lines hold the left and right bank side by side; lane 0 or 1 picks one bank.
double InterpolatedRead(const double (*line)[2], int lane, double q)
{
    const CubicTaps t = LocateTaps(q);
    return (KernelFar(2.0 - t.d) * line[t.i2][lane] + KernelFar(1.0 + t.d) * line[t.im1][lane]) +
           (KernelNear(1.0 - t.d) * line[t.i1][lane] + KernelNear(t.d) * line[t.i0][lane]);
}

void SpreadWrite(double (*line)[2], int lane, double q, double value)
{
    const CubicTaps t = LocateTaps(q);
    line[t.i0][lane] += KernelNear(t.d) * value;
    line[t.i1][lane] += KernelNear(1.0 - t.d) * value;
    line[t.im1][lane] += KernelFar(1.0 + t.d) * value;
    line[t.i2][lane] += KernelFar(2.0 - t.d) * value;
}

double FlushTiny(double value) { return std::fabs(value) < kFlushLevel ? 0.0 : value; }

// A host that hands over NaN or infinity must not poison the network for good.
double SafeSample(double sample) { return std::isfinite(sample) ? sample : 0.0; }

} // namespace

ReverbEngine::ReverbEngine()
{
    RestoreDefaultCopies();
    randScale = kRandScale;
    turbBound = kTurbBound;
    random.Seed(kRandomSeed);
}

// ---- Setup ---------------------------------------------------------------------------

void ReverbEngine::SetHostSampleRate(double hostRate)
{
    if (!(hostRate >= kMinSampleRate)) // also NaN
        sampleRate = kMinSampleRate;
    else if (hostRate > kMaxSampleRate)
        sampleRate = kMaxSampleRate;
    else
        sampleRate = hostRate;
}

void ReverbEngine::ResetEngine()
{
    engineReady = 0;
    lineCount = paramTurbulence == 0.0 ? 8 : 6;
    writePos = 0;

    // Lines beyond lineCount are not used, so they keep what they hold.
    for (int i = 0; i < lineCount; ++i)
        std::fill(&delayLines[i][0][0], &delayLines[i][0][0] + 2 * kLineCapacity, 0.0);
    farEchoTapL = 0.0;
    farEchoTapR = 0.0;

    ComputeLowCut();
    lowCutStateL = 0.0;
    lowCutStateR = 0.0;

    ComputeHighCut();
    highCutStateL = 0.0;
    highCutStateR = 0.0;

    shelfFreq = kShelfFreq;
    shelfQ = kShelfQ;
    shelfGain = 1.0 - 0.05 * paramDarkness;
    for (int i = 0; i < lineCount; ++i) {
        shelfZ1L[i] = 0.0;
        shelfZ2L[i] = 0.0;
        shelfZ1R[i] = 0.0;
        shelfZ2R[i] = 0.0;
    }
    ComputeDampingShelf();

    ComputeOutputGain();

    std::fill(&wetHistory[0][0], &wetHistory[0][0] + 2 * kLineCapacity, 0.0);

    ComputeLineLengths(2.0 / (2 * lineCount - 1));
    ComputeFarEchoDelay();
    ComputeTurbulenceRate();
    ComputeModulationSpeedAtReset();

    random.Seed(kRandomSeed);
    randScale = kRandScale;
    turbBound = kTurbBound;
    DrawStartingState();

    quietFrames = kLineCapacity;
    atRest = true;
    engineReady = 1;
}

// ---- Parameters ------------------------------------------------------------------------

void ReverbEngine::ApplyParameter(int index, double value)
{
    if (!P::IsSoundParameter(index))
        return;
    SetParameterCopy(index, value);

    switch (index) {
    case P::kMix:
        ComputeOutputGain();
        break;
    case P::kRoomSize:
        // Always the ratio of the 8-line network, even while 6 lines run; the next reset
        // brings the 6-line ratio back. The lines keep their contents.
        ComputeLineLengths(kEightLineExponent);
        ComputeFarEchoDelay();
        // The odd lines are cleared where they are read; with new lengths, a lap of quiet
        // frames no longer reads every cell, so the count starts again.
        if (!atRest)
            quietFrames = 0;
        break;
    case P::kLowCut:
        ComputeLowCut();
        break;
    case P::kHighCut:
        ComputeHighCut();
        break;
    case P::kDarkness:
        shelfFreq = kShelfFreq;
        shelfGain = 1.0 - 0.05 * paramDarkness;
        shelfQ = kShelfQ;
        ComputeDampingShelf();
        break;
    case P::kModRate:
        ComputeModulationSpeed();
        break;
    case P::kTurbRate:
        ComputeTurbulenceRate();
        break;
    case P::kTurbulence:
    case P::kAir:
        ResetEngine();
        break;
    default: // Input, Far echo, Diffusion, Pre-delay: read at every sample
        break;
    }
}

void ReverbEngine::SetParameterCopy(int index, double value)
{
    const double v = P::ClampNormalised(value);
    switch (index) {
    case P::kInput: paramInput = v; break;
    case P::kMix: paramMix = v; break;
    case P::kFarEcho: paramFarEcho = v; break;
    case P::kDiffusion: paramDiffusion = v; break;
    case P::kRoomSize: paramRoomSize = v; break;
    case P::kLowCut: paramLowCut = v; break;
    case P::kHighCut: paramHighCut = v; break;
    case P::kDarkness: paramDarkness = v; break;
    case P::kPreDelay: paramPreDelay = v; break;
    case P::kModRate: paramModRate = v; break;
    case P::kTurbRate: paramTurbRate = v; break;
    case P::kTurbulence: paramTurbulence = v; break;
    case P::kAir: paramAir = v; break;
    default: break;
    }
}

double ReverbEngine::ParameterCopy(int index) const
{
    switch (index) {
    case P::kInput: return paramInput;
    case P::kMix: return paramMix;
    case P::kFarEcho: return paramFarEcho;
    case P::kDiffusion: return paramDiffusion;
    case P::kRoomSize: return paramRoomSize;
    case P::kLowCut: return paramLowCut;
    case P::kHighCut: return paramHighCut;
    case P::kDarkness: return paramDarkness;
    case P::kPreDelay: return paramPreDelay;
    case P::kModRate: return paramModRate;
    case P::kTurbRate: return paramTurbRate;
    case P::kTurbulence: return paramTurbulence;
    case P::kAir: return paramAir;
    default: return 0.0;
    }
}

void ReverbEngine::RestoreDefaultCopies()
{
    for (int index = 0; index < P::kCount; ++index)
        if (P::IsSoundParameter(index))
            SetParameterCopy(index, P::DefaultValue(index));
}

// ---- Derived values --------------------------------------------------------------------

// First-order high-pass at the network input, 10..1000 Hz.
void ReverbEngine::ComputeLowCut()
{
    const double f = 10.0 * std::pow(100.0, paramLowCut);
    const double w = f * kTwoPi / sampleRate;
    lowCutCoef = (std::sin(w) - 1.0) / std::cos(w);
    lowCutGain = (1.0 - lowCutCoef) * 0.5;
}

// One-pole low-pass at the network input, 2..20 kHz.
void ReverbEngine::ComputeHighCut()
{
    const double f = 2000.0 * std::pow(10.0, paramHighCut);
    const double o = 2.0 - std::cos(f * kTwoPi / sampleRate);
    highCutCoef = std::sqrt(o * o - 1.0) + (1.0 - o);
}

// High shelf in every line's feedback; shelfGain serves directly as the amplitude factor, so
// the highs are damped by shelfGain squared.
void ReverbEngine::ComputeDampingShelf()
{
    const double A = shelfGain;
    const double w0 = shelfFreq * kTwoPi / sampleRate;
    const double c = std::cos(w0);
    const double alpha = std::sin(w0) * 0.5 / shelfQ;
    const double s = 2.0 * std::sqrt(A) * alpha;
    const double a0 = (A + 1.0) - (A - 1.0) * c + s;
    shelfB0 = A * ((A + 1.0) + (A - 1.0) * c + s) / a0;
    shelfB1 = -2.0 * A * ((A - 1.0) + (A + 1.0) * c) / a0;
    shelfB2 = A * ((A + 1.0) + (A - 1.0) * c - s) / a0;
    shelfA1 = 2.0 * ((A - 1.0) - (A + 1.0) * c) / a0;
    shelfA2 = ((A + 1.0) - (A - 1.0) * c - s) / a0;
}

// Keeps the loudness of the wet/dry crossfade even: 1 at both ends, sqrt 2 in the middle.
void ReverbEngine::ComputeOutputGain()
{
    const double m = paramMix;
    outputGain = std::sqrt(0.5 / (m * m + (0.5 - m)));
}

void ReverbEngine::ComputeLineLengths(double ratioExponent)
{
    roomScale = paramRoomSize * 0.9 + 0.1;
    const double ratio = std::pow(kLineRatioBase, ratioExponent);
    const bool airOff = paramAir == 1.0;

    const int first = static_cast<int>(roomScale * kFirstLineSeconds * sampleRate);
    lineLengthL[0] = first;
    lineLengthR[0] = first;
    for (int j = 1; j < lineCount; ++j) {
        int length;
        if (airOff)
            length = static_cast<int>(lineLengthL[j - 1] * ratio);
        else if (j % 2 == 1)
            length = lineLengthL[j - 1];
        else
            length = static_cast<int>(lineLengthL[j - 2] * (ratio * ratio));
        lineLengthL[j] = length;
        lineLengthR[j] = length;
    }

    for (int k = 0; k < lineCount; k += 2) {
        const int depth = airOff ? static_cast<int>((1.0 - ratio) * lineLengthL[k + 1])
                                 : static_cast<int>((1.0 - ratio * ratio) * lineLengthL[k]);
        modDepthL[k] = depth;
        modDepthL[k + 1] = depth;
        modDepthR[k] = depth;
        modDepthR[k + 1] = depth;
    }
}

void ReverbEngine::ComputeFarEchoDelay()
{
    farEchoDelay = static_cast<int>((lineLengthL[0] * 45.0) / 87.0);
}

void ReverbEngine::ComputeTurbulenceRate()
{
    turbRate = std::pow(25.0, paramTurbRate) * 0.1;
    turbStepDivisor = sampleRate / turbRate / 3.0;
}

// The form a Mod rate change uses.
void ReverbEngine::ComputeModulationSpeed()
{
    modRateDivisor = sampleRate / 0.278 / 3.0;
    modStepMax = std::pow(9.0, paramModRate) * (sampleRate * 12.0 / 44100.0) / modRateDivisor;
}

// The form the reset uses; equal in value, not always in the last bit.
void ReverbEngine::ComputeModulationSpeedAtReset()
{
    modRateDivisor = sampleRate / 0.278 / 3.0;
    modStepMax = (sampleRate * 6.0 / 44100.0 * std::pow(9.0, paramModRate)) * (2.0 / modRateDivisor);
}

// Twelve draws per line, in this order: walk A, walk B, step A size and sign, step B size
// and sign, left and right offset, left step size and sign, right step size and sign.
void ReverbEngine::DrawStartingState()
{
    for (int i = 0; i < lineCount; ++i) {
        int r[13];
        for (int k = 1; k <= 12; ++k)
            r[k] = random.Next();

        turbWalkA[i] = 0.099 - (2.0 * 0.099 * r[1]) * randScale;
        turbWalkB[i] = 0.099 - (2.0 * 0.099 * r[2]) * randScale;
        turbStepA[i] = (2.0 * 0.099) / ((r[3] * randScale + 1.0) * turbStepDivisor);
        if (r[4] % 2 == 1)
            turbStepA[i] = -turbStepA[i];
        turbStepB[i] = (2.0 * 0.099) / ((r[5] * randScale + 1.0) * turbStepDivisor);
        if (r[6] % 2 == 1)
            turbStepB[i] = -turbStepB[i];

        modOffsetL[i] = -static_cast<double>(modDepthL[i]) * r[7] * randScale;
        modOffsetR[i] = -static_cast<double>(modDepthR[i]) * r[8] * randScale;

        modStepL[i] = modStepMax / (r[9] * randScale + 1.0);
        if (r[10] % 2 == 1)
            modStepL[i] = -modStepL[i];
        modStepR[i] = modStepMax / (r[11] * randScale + 1.0);
        if (r[12] % 2 == 1)
            modStepR[i] = -modStepR[i];
    }
}

// ---- Processing ------------------------------------------------------------------------

void ReverbEngine::Process(const double* const* inputs, double* const* outputs, int frames)
{
    if (frames <= 0 || outputs == nullptr || outputs[0] == nullptr || outputs[1] == nullptr)
        return;
    ScopedFlushDenormals flushDenormals;
    int idle = 0;
    if (idlePath && atRest && engineReady != 0 && InputIsSilent(inputs, frames)) {
        // In pieces, each with its own bound on the turbulence gains; should a piece not
        // qualify, the full path renders from there on.
        while (idle < frames) {
            const int piece = std::min(frames - idle, kIdlePieceFrames);
            if (!RemnantStaysSilent(piece))
                break;
            AdvanceGeneratorsIdle(piece);
            idle += piece;
        }
        if (idle > 0)
            FinishIdle(outputs, idle);
    }
    if (idle == frames)
        return;
    const double* restInputs[2] = {nullptr, nullptr};
    for (int channel = 0; channel < 2 && inputs != nullptr; ++channel)
        restInputs[channel] = inputs[channel] != nullptr ? inputs[channel] + idle : nullptr;
    double* restOutputs[2] = {outputs[0] + idle, outputs[1] + idle};
    ProcessFullPath(restInputs, restOutputs, frames - idle);
}

void ReverbEngine::ProcessFullPath(const double* const* inputs, double* const* outputs, int frames)
{
    if (kernel == ReverbKernel::kReference || engineReady == 0 || !FastKernelRunsThisSetup()) {
        ProcessReference(inputs, outputs, frames);
    } else {
        UpdateDiffusionLog();
        const bool onlyZeros = WithVectorKernel(
            kernel, [&](auto fast) { return decltype(fast)::Process(*this, inputs, outputs, frames); });
        NoteNetworkWrites(frames, onlyZeros);
    }
    RecoverFromOverflow(outputs, frames);
}

ReverbKernel ReverbEngine::SetKernel(ReverbKernel requested)
{
    kernel = IsKernelSupported(requested) ? requested : BestSupportedKernel();
    return kernel;
}

// The vector kernel for work that every kernel does alike.
ReverbKernel ReverbEngine::VectorKernel() const
{
    return kernel == ReverbKernel::kReference ? BestSupportedKernel() : kernel;
}

// ---- Idle path -------------------------------------------------------------------------

// With every memory at +0.0 and a routed input of +0.0, each frame computes +0.0 throughout:
// the cubic weights' signs make -0.0 only inside sums that end in +0.0, and the flushes turn
// every zero into +0.0. So the network stays at rest and the output is +0.0, and the idle
// path only has to move what moves anyway. Both channels must be silent, whichever the
// routing reads: a host rarely feeds a channel that is not heard.
bool ReverbEngine::InputIsSilent(const double* const* inputs, int frames) const
{
    if (inputs == nullptr)
        return true;
    return WithVectorKernel(VectorKernel(), [&](auto fast) {
        return decltype(fast)::IsSilent(inputs[0], frames) && decltype(fast)::IsSilent(inputs[1], frames);
    });
}

// The one state that may be left over at rest is the high cut's, whose decay stops once
// (0 - state) × coefficient underflows; the chain input is then that remnant in every frame.
// With every line reading +0.0 each all-pass stage passes on -(input × gain), so the chain output
// is the remnant times the product of the stage gains, rounded stage by stage, and it becomes
// +0.0 (and stays so down the chain) once that drops below the smallest normal number. The
// bound on the product holds for every frame of a piece of a block; from a piece it does not
// clear on, the full path renders, computing what it computes.
bool ReverbEngine::RemnantStaysSilent(int frames) const
{
    double remnant = 0.0;
    for (const double state : {highCutStateL, highCutStateR}) {
        if (BitsOf((0.0 - state) * highCutCoef + state) != BitsOf(state))
            return false;
        remnant = std::max(remnant, std::fabs(state));
    }
    if (remnant == 0.0)
        return true;
    constexpr double kRoundingAllowance = 1.0 + 1e-13;
    const double diffusionGain = paramDiffusion * 0.5 + 0.5;
    const double largestProduct = std::pow(diffusionGain, LeastGainExponentSum(frames)) * kRoundingAllowance;
    return remnant * largestProduct < std::numeric_limits<double>::min();
}

// The smallest sum over the chain of the gains' exponents 1 / (e + 1) in any frame of the next
// `frames`, which bounds the product of the gains, diffusionGain^sum, from above. Turbulence
// Off: every exponent is 1. On: from the walks as they stand, each deviation e moves by at most
// 8 steps of the fastest walk per frame (its centring adds up eight walks' moves at most).
double ReverbEngine::LeastGainExponentSum(int frames) const
{
    if (paramTurbulence != 0.0)
        return lineCount;
    double fastest = (turbBound + turbBound) / turbStepDivisor; // the largest step a turn can draw
    for (int i = 0; i < lineCount; ++i)
        fastest = std::max({fastest, std::fabs(turbStepA[i]), std::fabs(turbStepB[i])});
    const double drift = 8.0 * (frames + 1.0) * fastest + 1e-12;

    const int halfCount = lineCount / 2;
    double sumA = 0.0, sumB = 0.0;
    for (int i = 0; i < lineCount; i += 2) {
        sumA += turbWalkA[i];
        sumB += turbWalkB[i];
    }
    double devL[kMaxLines], devR[kMaxLines], meanL = 0.0, meanR = 0.0;
    for (int i = 0; i < lineCount; ++i) {
        const double a = turbWalkA[i] - sumA / halfCount;
        const double b = turbWalkB[i] - sumB / halfCount;
        devL[i] = a + b;
        devR[i] = a - b;
        meanL += devL[i] / lineCount;
        meanR += devR[i] / lineCount;
    }
    double sum = 0.0;
    for (int i = 0; i < lineCount; ++i) {
        const double largest = std::max({devL[i] - meanL, devR[i] - meanR, -0.99}) + drift;
        sum += 1.0 / (largest + 1.0);
    }
    return sum;
}

// The generators' steps are those of the vector kernels wherever they run (for the reference
// kernel too: they add and turn exactly as the reference does); the reference's own steps, frame
// by frame, for the setups the vector kernels leave to it.
void ReverbEngine::AdvanceGeneratorsIdle(int frames)
{
    if (!FastKernelRunsThisSetup()) {
        for (int n = 0; n < frames; ++n) {
            if (paramTurbulence == 0.0)
                WalkTurbulence();
            AdvanceModulation();
        }
    } else {
        WithVectorKernel(VectorKernel(), [&](auto fast) { decltype(fast)::AdvanceGenerators(*this, frames); });
    }
}

// What the full path leaves besides the generators after `frames` frames at rest: the write
// position, the last frame's stage gains as the kernel computes them, and silent outputs. The
// rest bookkeeping stays as it is: at rest the count of quiet frames is already full, and the
// filter states the idle path never touches are still +0.0.
void ReverbEngine::FinishIdle(double* const* outputs, int frames)
{
    writePos = static_cast<int>((writePos + static_cast<long long>(frames)) % kLineCapacity);
    idleFrames += frames;
    if (kernel == ReverbKernel::kReference || !FastKernelRunsThisSetup()) {
        SetStageGains();
    } else {
        UpdateDiffusionLog();
        WithVectorKernel(kernel, [&](auto fast) { decltype(fast)::StoreLastGains(*this); });
    }
    std::fill(outputs[0], outputs[0] + frames, 0.0);
    std::fill(outputs[1], outputs[1] + frames, 0.0);
}

// Even lines and histories are overwritten at the write position, so a lap of frames that
// write +0.0 clears them; the odd lines, which the spreads only add to, are cleared where they
// are read, and with lengths unchanged for a lap every cell has been read. A spread of +0.0
// leaves a cell of +0.0 as it is.
void ReverbEngine::NoteNetworkWrites(int frames, bool onlyZeros)
{
    if (!onlyZeros)
        quietFrames = 0;
    else
        quietFrames = frames >= kLineCapacity - quietFrames ? kLineCapacity : quietFrames + frames;
    atRest = quietFrames == kLineCapacity && FilterStatesAtRest();
}

// All but the high cut's state, whose remnant RemnantStaysSilent looks after.
bool ReverbEngine::FilterStatesAtRest() const
{
    std::uint64_t bits = BitsOf(lowCutStateL) | BitsOf(lowCutStateR) | BitsOf(farEchoTapL) | BitsOf(farEchoTapR);
    for (int i = 0; i < lineCount; ++i)
        bits |= BitsOf(shelfZ1L[i]) | BitsOf(shelfZ2L[i]) | BitsOf(shelfZ1R[i]) | BitsOf(shelfZ2R[i]);
    return bits == 0;
}

std::uint64_t ReverbEngine::BitsOf(double value)
{
    std::uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

const char* ReverbEngine::FirstStateDifference(const ReverbEngine& o) const
{
    const auto same = [](const auto& a, const auto& b) { return std::memcmp(&a, &b, sizeof a) == 0; };
    if (!(same(paramInput, o.paramInput) && same(paramMix, o.paramMix) && same(paramFarEcho, o.paramFarEcho) &&
          same(paramDiffusion, o.paramDiffusion) && same(paramRoomSize, o.paramRoomSize) &&
          same(paramLowCut, o.paramLowCut) && same(paramHighCut, o.paramHighCut) &&
          same(paramDarkness, o.paramDarkness) && same(paramPreDelay, o.paramPreDelay) &&
          same(paramModRate, o.paramModRate) && same(paramTurbRate, o.paramTurbRate) &&
          same(paramTurbulence, o.paramTurbulence) && same(paramAir, o.paramAir)))
        return "parameter copies";
    if (!(same(sampleRate, o.sampleRate) && same(lineCount, o.lineCount) && same(engineReady, o.engineReady)))
        return "rate, line count or readiness";
    if (!same(writePos, o.writePos))
        return "write position";
    if (!same(delayLines, o.delayLines))
        return "delay lines";
    if (!(same(lineLengthL, o.lineLengthL) && same(lineLengthR, o.lineLengthR) && same(modDepthL, o.modDepthL) &&
          same(modDepthR, o.modDepthR) && same(roomScale, o.roomScale) && same(farEchoDelay, o.farEchoDelay)))
        return "line lengths, depths or far echo delay";
    if (!same(wetHistory, o.wetHistory))
        return "wet histories";
    if (!(same(farEchoTapL, o.farEchoTapL) && same(farEchoTapR, o.farEchoTapR)))
        return "far echo taps";
    if (!(same(lowCutCoef, o.lowCutCoef) && same(lowCutGain, o.lowCutGain) && same(highCutCoef, o.highCutCoef) &&
          same(shelfFreq, o.shelfFreq) && same(shelfQ, o.shelfQ) && same(shelfGain, o.shelfGain) &&
          same(shelfB0, o.shelfB0) && same(shelfB1, o.shelfB1) && same(shelfB2, o.shelfB2) &&
          same(shelfA1, o.shelfA1) && same(shelfA2, o.shelfA2) && same(outputGain, o.outputGain)))
        return "filter coefficients or output gain";
    if (!(same(lowCutStateL, o.lowCutStateL) && same(lowCutStateR, o.lowCutStateR) &&
          same(highCutStateL, o.highCutStateL) && same(highCutStateR, o.highCutStateR) &&
          same(shelfZ1L, o.shelfZ1L) && same(shelfZ2L, o.shelfZ2L) && same(shelfZ1R, o.shelfZ1R) &&
          same(shelfZ2R, o.shelfZ2R)))
        return "filter states";
    if (!(same(turbWalkA, o.turbWalkA) && same(turbWalkB, o.turbWalkB) && same(turbStepA, o.turbStepA) &&
          same(turbStepB, o.turbStepB) && same(turbBound, o.turbBound) && same(turbRate, o.turbRate) &&
          same(turbStepDivisor, o.turbStepDivisor)))
        return "turbulence walks";
    if (!(same(turbDevL, o.turbDevL) && same(turbDevR, o.turbDevR)))
        return "turbulence deviations";
    if (!(same(stageGainL, o.stageGainL) && same(stageGainR, o.stageGainR)))
        return "stage gains";
    if (!(same(modOffsetL, o.modOffsetL) && same(modOffsetR, o.modOffsetR) && same(modStepL, o.modStepL) &&
          same(modStepR, o.modStepR) && same(modStepMax, o.modStepMax) && same(modRateDivisor, o.modRateDivisor)))
        return "modulation offsets";
    if (!(same(randScale, o.randScale) && random.State() == o.random.State()))
        return "random generator";
    if (!(same(diffusionLogFor, o.diffusionLogFor) && same(diffusionLogHi, o.diffusionLogHi) &&
          same(diffusionLogLo, o.diffusionLogLo)))
        return "diffusion logarithm";
    if (!(quietFrames == o.quietFrames && atRest == o.atRest))
        return "rest of the network";
    return nullptr;
}

// The vector kernels are specialised for the two setups a reset produces: 8 lines with
// Turbulence On and 6 lines with it Off. A Turbulence copy stored without the reset that
// should follow it leaves the other two combinations, which the reference renders.
bool ReverbEngine::FastKernelRunsThisSetup() const
{
    return paramTurbulence == 0.0 ? lineCount == 8 : lineCount == 6;
}

// The vector kernels raise diffusionGain to 1/(e+1) as exp(log(diffusionGain) / (e+1)), with the
// logarithm carried beyond double precision (from the 64-bit mantissa of long double) so that
// their powers come within about 0.005 units in the last place of the exact ones. Computed once
// per value of Diffusion. Diffusion 1 gives a logarithm of exactly 0 and gains of exactly 1.
void ReverbEngine::UpdateDiffusionLog()
{
    static_assert(std::numeric_limits<long double>::digits >= 64, "needs the x87 extended format");
    if (paramDiffusion == diffusionLogFor)
        return;
    const double diffusionGain = paramDiffusion * 0.5 + 0.5;
    const long double logGain = std::log(static_cast<long double>(diffusionGain));
    diffusionLogHi = static_cast<double>(logGain);
    diffusionLogLo = static_cast<double>(logGain - diffusionLogHi);
    diffusionLogFor = paramDiffusion;
}

// Input far beyond any audio level (around 1e307 and up) can overflow the network, and the
// NaN that follows would circulate in the feedback loops for good. The broken samples are
// silenced and the engine starts afresh; finite sound never takes this path. Process has
// checked the outputs and the frame count.
void ReverbEngine::RecoverFromOverflow(double* const* outputs, int frames)
{
    if (WithVectorKernel(VectorKernel(), [&](auto fast) {
            return decltype(fast)::AllFinite(outputs[0], frames) && decltype(fast)::AllFinite(outputs[1], frames);
        }))
        return;
    for (int channel = 0; channel < 2; ++channel)
        std::replace_if(outputs[channel], outputs[channel] + frames, [](double v) { return !std::isfinite(v); }, 0.0);
    ResetEngine();
}

// Written to be read against the description of the algorithm, not for speed.
void ReverbEngine::ProcessReference(const double* const* inputs, double* const* outputs, int frames)
{
    if (frames <= 0 || outputs == nullptr || outputs[0] == nullptr || outputs[1] == nullptr)
        return;
    double* outLeft = outputs[0];
    double* outRight = outputs[1];
    if (engineReady == 0) {
        std::fill(outLeft, outLeft + frames, 0.0);
        std::fill(outRight, outRight + frames, 0.0);
        return;
    }
    const double* inLeft = inputs != nullptr ? inputs[0] : nullptr;
    const double* inRight = inputs != nullptr ? inputs[1] : nullptr;
    const SideView left = LeftSide();
    const SideView right = RightSide();
    writtenBits = 0;

    for (int n = 0; n < frames; ++n) {
        UpdateStageGains();
        AdvanceModulation();
        const RoutedInput routed = RouteInput(inLeft, inRight, n);

        for (int i = 0; i < lineCount; ++i) {
            readPosL[i] = WrapPosition(writePos - lineLengthL[i]);
            readPosR[i] = WrapPosition(writePos - lineLengthR[i]);
        }
        const int preDelaySamples = static_cast<int>(lineLengthL[0] * paramPreDelay);
        const int preDelayPos = WrapPosition(writePos - preDelaySamples);
        const int farEchoPos = WrapPosition(writePos - farEchoDelay);

        // The right side sees this sample's left far echo tap, the left side the previous
        // sample's right one.
        const double resultLeft = ProcessSide(left, routed.left, preDelayPos, farEchoPos);
        const double resultRight = ProcessSide(right, routed.right, preDelayPos, farEchoPos);

        writePos = writePos + 1 == kLineCapacity ? 0 : writePos + 1;
        outLeft[n] = resultLeft * outputGain;
        outRight[n] = resultRight * outputGain;
    }
    NoteNetworkWrites(frames, writtenBits == 0);
}

ReverbEngine::SideView ReverbEngine::LeftSide()
{
    return SideView{kLeft,        delayLines,    modDepthL,    modOffsetL,    stageGainL,
                    readPosL,     lineReadL,     stageValueL,  shelfZ1L,      shelfZ2L,
                    lowCutStateL, highCutStateL, wetHistory,   farEchoTapL,   farEchoTapR};
}

ReverbEngine::SideView ReverbEngine::RightSide()
{
    return SideView{kRight,       delayLines,    modDepthR,    modOffsetR,    stageGainR,
                    readPosR,     lineReadR,     stageValueR,  shelfZ1R,      shelfZ2R,
                    lowCutStateR, highCutStateR, wetHistory,   farEchoTapR,   farEchoTapL};
}

double ReverbEngine::DrawUnit() { return random.Next() * randScale; }

void ReverbEngine::UpdateStageGains()
{
    if (paramTurbulence == 0.0)
        WalkTurbulence();
    SetStageGains();
}

// From the walks as they stand.
void ReverbEngine::SetStageGains()
{
    if (paramTurbulence == 0.0) {
        CentreDeviations();
    } else {
        for (int i = 0; i < lineCount; ++i) {
            turbDevL[i] = 0.0;
            turbDevR[i] = 0.0;
        }
    }
    const double diffusionGain = paramDiffusion * 0.5 + 0.5;
    ComputeStageGains(turbDevL, stageGainL, diffusionGain);
    ComputeStageGains(turbDevR, stageGainR, diffusionGain);
}

// Two bounded random walks per line; each redraws its speed when it reaches a bound.
void ReverbEngine::WalkTurbulence()
{
    turbBound = kTurbBound;
    for (int i = 0; i < lineCount; ++i) {
        if (turbWalkA[i] >= turbBound)
            turbStepA[i] = (turbBound * -2.0) / ((DrawUnit() + 1.0) * turbStepDivisor);
        else if (turbWalkA[i] <= -turbBound)
            turbStepA[i] = (turbBound + turbBound) / ((DrawUnit() + 1.0) * turbStepDivisor);

        if (turbWalkB[i] >= turbBound)
            turbStepB[i] = (turbBound * -2.0) / ((DrawUnit() + 1.0) * turbStepDivisor);
        else if (turbWalkB[i] <= -turbBound)
            turbStepB[i] = (turbBound + turbBound) / ((DrawUnit() + 1.0) * turbStepDivisor);

        turbWalkA[i] += turbStepA[i];
        turbWalkB[i] += turbStepB[i];
    }
}

// The left bank follows A + B, the right bank A - B, each centred on the even lines' mean.
void ReverbEngine::CentreDeviations()
{
    const int halfCount = lineCount / 2;

    double sumA = 0.0;
    for (int i = 0; i < lineCount; i += 2)
        sumA += turbWalkA[i];
    const double meanA = sumA / halfCount;
    for (int i = 0; i < lineCount; ++i) {
        turbDevL[i] = turbWalkA[i] - meanA;
        turbDevR[i] = turbWalkA[i] - meanA;
    }

    double sumB = 0.0;
    for (int i = 0; i < lineCount; i += 2)
        sumB += turbWalkB[i];
    const double meanB = sumB / halfCount;
    for (int i = 0; i < lineCount; ++i) {
        turbDevL[i] += turbWalkB[i] - meanB;
        turbDevR[i] -= turbWalkB[i] - meanB;
    }
}

// A positive deviation raises a line's gain toward 1, a negative one lowers it. The clamp
// keeps the exponent at most 100.
void ReverbEngine::ComputeStageGains(double* turbDev, double* stageGain, double diffusionGain)
{
    double sum = 0.0;
    for (int i = 0; i < lineCount; ++i)
        sum += turbDev[i];
    const double mean = sum / lineCount;
    for (int i = 0; i < lineCount; ++i) {
        double e = turbDev[i] - mean;
        if (e < -0.99)
            e = -0.99;
        turbDev[i] = e;
        stageGain[i] = std::pow(diffusionGain, 1.0 / (e + 1.0));
    }
}

// Each even line's offset sweeps between -depth and 0; the odd partner uses it too.
void ReverbEngine::AdvanceModulation()
{
    for (int i = 0; i < lineCount; i += 2) {
        AdvanceOffset(modOffsetL[i], modStepL[i], modDepthL[i]);
        AdvanceOffset(modOffsetR[i], modStepR[i], modDepthR[i]);
    }
}

// Turns at both ends and redraws the speed, keeping its direction, at the midpoint.
void ReverbEngine::AdvanceOffset(double& offset, double& step, int depth)
{
    const double f = offset;
    const double c = depth;
    const double h = step;
    const double m = -c * 0.5;
    if (f >= 0.0)
        step = -(modStepMax / (DrawUnit() + 1.0));
    else if (f <= -c)
        step = modStepMax / (DrawUnit() + 1.0);
    else if (f >= m && f + h < m)
        step = -(modStepMax / (DrawUnit() + 1.0));
    else if (f <= m && f + h > m)
        step = modStepMax / (DrawUnit() + 1.0);
    offset += step;
}

// Input 0 = L, 1/3 = R, 2/3 = L+R, 1 = L&R, tested by ranges. A mode reads only the
// channels it uses.
ReverbEngine::RoutedInput ReverbEngine::RouteInput(const double* inLeft, const double* inRight, int frame) const
{
    const auto sample = [frame](const double* channel) {
        return channel != nullptr ? SafeSample(channel[frame]) : 0.0;
    };
    const double v = paramInput;
    if (v == 0.0) {
        const double l = sample(inLeft);
        return {l, l};
    }
    if (v > 0.3 && v < 0.4) {
        const double r = sample(inRight);
        return {r, r};
    }
    if (v > 0.6 && v < 0.7) {
        const double sum = (sample(inRight) + sample(inLeft)) * 0.5;
        return {sum, sum};
    }
    return {sample(inLeft), sample(inRight)};
}

double ReverbEngine::ProcessSide(const SideView& side, double routedIn, int preDelayPos, int farEchoPos)
{
    // Far echo feedback, crossed over from the other side.
    const double a = routedIn - (0.1 * side.ownTap + side.otherTap) * paramFarEcho * 0.9;

    // Low cut.
    const double previous = side.lowCutState;
    const double y = a * lowCutGain - previous * lowCutCoef;
    const double h = y - previous;
    side.lowCutState = y;

    // High cut; its output feeds the chain.
    side.highCutState = (h - side.highCutState) * highCutCoef + side.highCutState;

    ReadLines(side);
    const double chainOutput = RunAllPassChain(side, side.highCutState);

    // The history is written before it is read, so a pre-delay of 0 gives this sample's
    // chain output.
    side.wetHistory[writePos][side.lane] = chainOutput;
    NoteWritten(chainOutput);
    side.ownTap = side.wetHistory[farEchoPos][side.lane];
    const double result = (1.0 - paramMix) * routedIn - paramMix * side.wetHistory[preDelayPos][side.lane];

    DampAndWriteLines(side);
    return result;
}

// Even lines are read between cells at their modulated position; odd lines at a whole cell,
// which is then cleared because their writes add into cells.
void ReverbEngine::ReadLines(const SideView& side)
{
    for (int i = 0; i < lineCount; ++i) {
        StereoLine& line = side.delayLines[i];
        if (i % 2 == 1) {
            side.lineRead[i] = line[side.readPos[i]][side.lane];
            line[side.readPos[i]][side.lane] = 0.0;
        } else {
            const double q = side.readPos[i] - side.modOffset[i] + 0.25;
            side.lineRead[i] = InterpolatedRead(line, side.lane, q);
        }
    }
}

double ReverbEngine::RunAllPassChain(const SideView& side, double chainInput)
{
    double s = chainInput;
    for (int i = 0; i < lineCount; ++i) {
        const double g = side.stageGain[i];
        const double z = side.lineRead[i];
        const double v = g * z + s;
        side.stageValue[i] = FlushTiny(v);
        s = z - v * g;
    }
    return s;
}

// Damping shelf (transposed direct form II) per line, then the write: even lines at the
// write position, odd lines spread at the position their even partner's offset mirrors.
void ReverbEngine::DampAndWriteLines(const SideView& side)
{
    for (int i = 0; i < lineCount; ++i) {
        const double p = side.stageValue[i];
        const double J = FlushTiny(p * shelfB0 + side.shelfZ1[i]);
        side.stageValue[i] = J;
        NoteWritten(J);
        side.shelfZ1[i] = side.shelfZ2[i] - J * shelfA1 + shelfB1 * p;
        side.shelfZ2[i] = p * shelfB2 - J * shelfA2;

        StereoLine& line = side.delayLines[i];
        if (i % 2 == 0) {
            line[writePos][side.lane] = J;
        } else {
            const double q = writePos - side.modDepth[i - 1] - side.modOffset[i - 1] + 0.25;
            SpreadWrite(line, side.lane, q, J);
        }
    }
}
