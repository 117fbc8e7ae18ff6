// The engine's per-sample processing with the left and right bank side by side in vector
// lanes. Included by ReverbFastKernelSse2.cpp and ReverbFastKernelAvx2.cpp, which compile it for
// two instruction sets; everything here has internal linkage or depends on the kernel argument,
// so the two compilations never share a function (the linker would otherwise be free to keep the
// AVX2 copy of a helper for both). For the same reason this file calls nothing inline from other
// headers.
//
// Every sample value is computed with the same operations in the same order as in
// ReverbEngine::ProcessReference, so each lane rounds exactly as the scalar code does. The banks
// share every coefficient and position except the modulation offsets; they meet only through the
// far echo taps, whose order is kept (the right side sees this frame's left tap, the left side
// the previous frame's right tap). The one computation done another way is the stage gains with
// Turbulence On, diffusionGain^(1/(e+1)) (ComputeRunGains). They equal the runtime pow's results
// except where pow itself errs by more than 0.51 units in the last place (glibc allows itself
// 0.52, and was not seen to): then a gain differs in its last bit and the sound by rounding.
//
// Work proceeds in runs of up to kRunFrames frames in which no position wraps around its line:
//  1. the control values of every frame: turbulence walks, modulation offsets, routed input. The
//     walks draw random numbers only when they turn; those rare frames go to the engine's own
//     scalar steps, so the draws keep their order;
//  2. the stage gains, which do not depend on the network;
//  3. the network itself (RenderRun): in steady stretches, where every position moves on by one
//     cell per frame, two frames at a time with the odd lines' spreads gathered in registers;
//     frame by frame elsewhere. Each stretch's chain inputs (far echo, low cut, high cut) are
//     filtered as the stretch is found.
#include "ReverbEngine.h"
#include "ReverbFastKernel.h"

#include <cstdint>
#include <immintrin.h>
#include <new>

namespace {

#include "ReverbKernelLanes.inl"

constexpr int kCapacity = ReverbEngine::kLineCapacity;
constexpr int kRunFrames = 128;
constexpr double kTurbBound = 0.099;
constexpr double kClampDeviation = -0.99;
// A computed power is taken as the result when its more precise value (hi + lo), which is within
// about 0.001 units in the last place of the exact power, lies at most this many units from it;
// the others, about 2.4% of the gains, are taken from the runtime's pow, so that both agree. pow
// itself is correctly rounded but within 0.01 units of a rounding boundary: glibc promises 0.52
// units, and over 80 million of these powers none of its results beyond 0.01 units of a boundary
// differed from the correctly rounded one.
constexpr double kSureWithin = 0.488;

// ---- Power ---------------------------------------------------------------------------------

// The logarithm of the base as high + low: high keeps 26 significant bits, so that its
// product with a 26- or 27-bit part of a double is exact; low holds the rest to double
// precision.
struct LogOfBase {
    double high;
    double low;
};

LogOfBase SplitLog(double hi, double lo)
{
    constexpr double kSplitter = 134217729.0; // 2^27 + 1: rounds to 26 bits
    const double c = hi * kSplitter;
    const double high = c - (c - hi);
    return {high, (hi - high) + lo}; // hi - high is exact
}

// 2^(j/128) as hi + lo, j = 0..127.
alignas(64) constexpr double kExp2Table[128][2] = {
    {0x1.0000000000000p+0, 0x0.0p+0},
    {0x1.0163da9fb3335p+0, 0x1.b61299ab8cdb7p-54},
    {0x1.02c9a3e778061p+0, -0x1.19083535b085dp-56},
    {0x1.04315e86e7f85p+0, -0x1.0a31c1977c96ep-54},
    {0x1.059b0d3158574p+0, 0x1.d73e2a475b465p-55},
    {0x1.0706b29ddf6dep+0, -0x1.c91dfe2b13c27p-55},
    {0x1.0874518759bc8p+0, 0x1.186be4bb284ffp-57},
    {0x1.09e3ecac6f383p+0, 0x1.1487818316136p-54},
    {0x1.0b5586cf9890fp+0, 0x1.8a62e4adc610bp-54},
    {0x1.0cc922b7247f7p+0, 0x1.01edc16e24f71p-54},
    {0x1.0e3ec32d3d1a2p+0, 0x1.03a1727c57b53p-59},
    {0x1.0fb66affed31bp+0, -0x1.b9bedc44ebd7bp-57},
    {0x1.11301d0125b51p+0, -0x1.6c51039449b3ap-54},
    {0x1.12abdc06c31ccp+0, -0x1.1b514b36ca5c7p-58},
    {0x1.1429aaea92de0p+0, -0x1.32fbf9af1369ep-54},
    {0x1.15a98c8a58e51p+0, 0x1.2406ab9eeab0ap-55},
    {0x1.172b83c7d517bp+0, -0x1.19041b9d78a76p-55},
    {0x1.18af9388c8deap+0, -0x1.11023d1970f6cp-54},
    {0x1.1a35beb6fcb75p+0, 0x1.e5b4c7b4968e4p-55},
    {0x1.1bbe084045cd4p+0, -0x1.95386352ef607p-54},
    {0x1.1d4873168b9aap+0, 0x1.e016e00a2643cp-54},
    {0x1.1ed5022fcd91dp+0, -0x1.1df98027bb78cp-54},
    {0x1.2063b88628cd6p+0, 0x1.dc775814a8495p-55},
    {0x1.21f49917ddc96p+0, 0x1.2a97e9494a5eep-55},
    {0x1.2387a6e756238p+0, 0x1.9b07eb6c70573p-54},
    {0x1.251ce4fb2a63fp+0, 0x1.ac155bef4f4a4p-55},
    {0x1.26b4565e27cddp+0, 0x1.2bd339940e9d9p-55},
    {0x1.284dfe1f56381p+0, -0x1.a4c3a8c3f0d7ep-54},
    {0x1.29e9df51fdee1p+0, 0x1.612e8afad1255p-55},
    {0x1.2b87fd0dad990p+0, -0x1.10adcd6381aa4p-59},
    {0x1.2d285a6e4030bp+0, 0x1.0024754db41d5p-54},
    {0x1.2ecafa93e2f56p+0, 0x1.1ca0f45d52383p-56},
    {0x1.306fe0a31b715p+0, 0x1.6f46ad23182e4p-55},
    {0x1.32170fc4cd831p+0, 0x1.a9ce78e18047cp-55},
    {0x1.33c08b26416ffp+0, 0x1.32721843659a6p-54},
    {0x1.356c55f929ff1p+0, -0x1.b5cee5c4e4628p-55},
    {0x1.371a7373aa9cbp+0, -0x1.63aeabf42eae2p-54},
    {0x1.38cae6d05d866p+0, -0x1.e958d3c9904bdp-54},
    {0x1.3a7db34e59ff7p+0, -0x1.5e436d661f5e3p-56},
    {0x1.3c32dc313a8e5p+0, -0x1.efff8375d29c3p-54},
    {0x1.3dea64c123422p+0, 0x1.ada0911f09ebcp-55},
    {0x1.3fa4504ac801cp+0, -0x1.7d023f956f9f3p-54},
    {0x1.4160a21f72e2ap+0, -0x1.ef3691c309278p-58},
    {0x1.431f5d950a897p+0, -0x1.1c7dde35f7999p-55},
    {0x1.44e086061892dp+0, 0x1.89b7a04ef80d0p-59},
    {0x1.46a41ed1d0057p+0, 0x1.c944bd1648a76p-54},
    {0x1.486a2b5c13cd0p+0, 0x1.3c1a3b69062f0p-56},
    {0x1.4a32af0d7d3dep+0, 0x1.9cb62f3d1be56p-54},
    {0x1.4bfdad5362a27p+0, 0x1.d4397afec42e2p-56},
    {0x1.4dcb299fddd0dp+0, 0x1.8ecdbbc6a7833p-54},
    {0x1.4f9b2769d2ca7p+0, -0x1.4b309d25957e3p-54},
    {0x1.516daa2cf6642p+0, -0x1.f768569bd93efp-55},
    {0x1.5342b569d4f82p+0, -0x1.07abe1db13cadp-55},
    {0x1.551a4ca5d920fp+0, -0x1.d689cefede59bp-55},
    {0x1.56f4736b527dap+0, 0x1.9bb2c011d93adp-54},
    {0x1.58d12d497c7fdp+0, 0x1.295e15b9a1de8p-55},
    {0x1.5ab07dd485429p+0, 0x1.6324c054647adp-54},
    {0x1.5c9268a5946b7p+0, 0x1.c4b1b816986a2p-60},
    {0x1.5e76f15ad2148p+0, 0x1.ba6f93080e65ep-54},
    {0x1.605e1b976dc09p+0, -0x1.3e2429b56de47p-54},
    {0x1.6247eb03a5585p+0, -0x1.383c17e40b497p-54},
    {0x1.6434634ccc320p+0, -0x1.c483c759d8933p-55},
    {0x1.6623882552225p+0, -0x1.bb60987591c34p-54},
    {0x1.68155d44ca973p+0, 0x1.038ae44f73e65p-57},
    {0x1.6a09e667f3bcdp+0, -0x1.bdd3413b26456p-54},
    {0x1.6c012750bdabfp+0, -0x1.2895667ff0b0dp-56},
    {0x1.6dfb23c651a2fp+0, -0x1.bbe3a683c88abp-57},
    {0x1.6ff7df9519484p+0, -0x1.83c0f25860ef6p-55},
    {0x1.71f75e8ec5f74p+0, -0x1.16e4786887a99p-55},
    {0x1.73f9a48a58174p+0, -0x1.0a8d96c65d53cp-54},
    {0x1.75feb564267c9p+0, -0x1.0245957316dd3p-54},
    {0x1.780694fde5d3fp+0, 0x1.866b80a02162dp-54},
    {0x1.7a11473eb0187p+0, -0x1.41577ee04992fp-55},
    {0x1.7c1ed0130c132p+0, 0x1.f124cd1164dd6p-54},
    {0x1.7e2f336cf4e62p+0, 0x1.05d02ba15797ep-56},
    {0x1.80427543e1a12p+0, -0x1.27c86626d972bp-54},
    {0x1.82589994cce13p+0, -0x1.d4c1dd41532d8p-54},
    {0x1.8471a4623c7adp+0, -0x1.8d684a341cdfbp-55},
    {0x1.868d99b4492edp+0, -0x1.fc6f89bd4f6bap-54},
    {0x1.88ac7d98a6699p+0, 0x1.994c2f37cb53ap-54},
    {0x1.8ace5422aa0dbp+0, 0x1.6e9f156864b27p-54},
    {0x1.8cf3216b5448cp+0, -0x1.0d55e32e9e3aap-56},
    {0x1.8f1ae99157736p+0, 0x1.5cc13a2e3976cp-55},
    {0x1.9145b0b91ffc6p+0, -0x1.dd6792e582524p-54},
    {0x1.93737b0cdc5e5p+0, -0x1.75fc781b57ebcp-57},
    {0x1.95a44cbc8520fp+0, -0x1.64b7c96a5f039p-56},
    {0x1.97d829fde4e50p+0, -0x1.d185b7c1b85d1p-54},
    {0x1.9a0f170ca07bap+0, -0x1.173bd91cee632p-54},
    {0x1.9c49182a3f090p+0, 0x1.c7c46b071f2bep-56},
    {0x1.9e86319e32323p+0, 0x1.824ca78e64c6ep-56},
    {0x1.a0c667b5de565p+0, -0x1.359495d1cd533p-54},
    {0x1.a309bec4a2d33p+0, 0x1.6305c7ddc36abp-54},
    {0x1.a5503b23e255dp+0, -0x1.d2f6edb8d41e1p-54},
    {0x1.a799e1330b358p+0, 0x1.bcb7ecac563c7p-54},
    {0x1.a9e6b5579fdbfp+0, 0x1.0fac90ef7fd31p-54},
    {0x1.ac36bbfd3f37ap+0, -0x1.f9234cae76cd0p-55},
    {0x1.ae89f995ad3adp+0, 0x1.7a1cd345dcc81p-54},
    {0x1.b0e07298db666p+0, -0x1.bdef54c80e425p-54},
    {0x1.b33a2b84f15fbp+0, -0x1.2805e3084d708p-57},
    {0x1.b59728de5593ap+0, -0x1.c71dfbbba6de3p-54},
    {0x1.b7f76f2fb5e47p+0, -0x1.5584f7e54ac3bp-56},
    {0x1.ba5b030a1064ap+0, -0x1.efcd30e54292ep-54},
    {0x1.bcc1e904bc1d2p+0, 0x1.23dd07a2d9e84p-55},
    {0x1.bf2c25bd71e09p+0, -0x1.efdca3f6b9c73p-54},
    {0x1.c199bdd85529cp+0, 0x1.11065895048ddp-55},
    {0x1.c40ab5fffd07ap+0, 0x1.b4537e083c60ap-54},
    {0x1.c67f12e57d14bp+0, 0x1.2884dff483cadp-54},
    {0x1.c8f6d9406e7b5p+0, 0x1.1acbc48805c44p-56},
    {0x1.cb720dcef9069p+0, 0x1.503cbd1e949dbp-56},
    {0x1.cdf0b555dc3fap+0, -0x1.dd83b53829d72p-55},
    {0x1.d072d4a07897cp+0, -0x1.cbc3743797a9cp-54},
    {0x1.d2f87080d89f2p+0, -0x1.d487b719d8578p-54},
    {0x1.d5818dcfba487p+0, 0x1.2ed02d75b3707p-55},
    {0x1.d80e316c98398p+0, -0x1.11ec18beddfe8p-54},
    {0x1.da9e603db3285p+0, 0x1.c2300696db532p-54},
    {0x1.dd321f301b460p+0, 0x1.2da5778f018c3p-54},
    {0x1.dfc97337b9b5fp+0, -0x1.1a5cd4f184b5cp-54},
    {0x1.e264614f5a129p+0, -0x1.7b627817a1496p-54},
    {0x1.e502ee78b3ff6p+0, 0x1.39e8980a9cc8fp-55},
    {0x1.e7a51fbc74c83p+0, 0x1.2d522ca0c8de2p-54},
    {0x1.ea4afa2a490dap+0, -0x1.e9c23179c2893p-54},
    {0x1.ecf482d8e67f1p+0, -0x1.c93f3b411ad8cp-54},
    {0x1.efa1bee615a27p+0, 0x1.dc7f486a4b6b0p-54},
    {0x1.f252b376bba97p+0, 0x1.3a1a5bf0d8e43p-54},
    {0x1.f50765b6e4540p+0, 0x1.9d3e12dd8a18bp-54},
    {0x1.f7bfdad9cbe14p+0, -0x1.dbb12d006350ap-54},
    {0x1.fa7c1819e90d8p+0, 0x1.74853f3a5931ep-55},
    {0x1.fd3c22b8f71f1p+0, 0x1.2eb74966579e7p-57},
};

// hi and lo of 2^(j/128) for four table indices.
KERNEL_INLINE void LookUpExp2(QuadBits j, Quad& hi, Quad& lo)
{
#if defined(__AVX2__)
    const __m256i index = _mm256_slli_epi64(j.v, 1);
    hi = {_mm256_i64gather_pd(&kExp2Table[0][0], index, 8)};
    lo = {_mm256_i64gather_pd(&kExp2Table[0][1], index, 8)};
#else
    long long lanes[4];
    ToLongs(j, lanes);
    const Pair e0 = LoadPair(kExp2Table[lanes[0]]);
    const Pair e1 = LoadPair(kExp2Table[lanes[1]]);
    const Pair e2 = LoadPair(kExp2Table[lanes[2]]);
    const Pair e3 = LoadPair(kExp2Table[lanes[3]]);
    hi = Join(_mm_unpacklo_pd(e0, e1), _mm_unpacklo_pd(e2, e3));
    lo = Join(_mm_unpackhi_pd(e0, e1), _mm_unpackhi_pd(e2, e3));
#endif
}

// base^y = exp(log(base) × y) for log(base) in -0.7..0 and y in 0..100 (results 2^-101..1),
// for kCount vectors at once, step by step, so that their long dependency chains overlap.
// The product is carried in two doubles (split into exact products), the exponential is reduced
// by multiples of ln2/128 and a table of 2^(j/128), and the one rounding that matters happens
// in the final sum, whose rounding error is computed exactly. Before that sum the value is
// within about 0.001 units in the last place of the exact power (the logarithm's 64 bits
// limit it), so the result is the correctly rounded power unless the exact power lies about
// that close to a rounding boundary; `uncertain` marks the lanes within kSureWithin of one.
// A logarithm of 0 gives exactly 1.
template <int kCount>
KERNEL_INLINE void PowFromLog(const LogOfBase& log, const Quad* y, Quad* power, Quad* low, QuadMask* uncertain)
{
    constexpr double kSplitter = 134217729.0;                 // 2^27 + 1
    constexpr double kRoundingShift = 0x1.8p52;               // adding it rounds to an integer
    constexpr double kStepsPerLn2 = 0x1.71547652b82fep+7;     // 128 / ln2
    constexpr double kLn2Over128Hi = 0x1.62e42fefa0000p-8;    // 39 bits: exact times any k here
    constexpr double kLn2Over128Lo = 0x1.cf79abc9e3b3ap-47;

    // x = log × y = xHi + xLo: y split into 26 and 27 bits, each product with log.high exact.
    Quad xHi[kCount], xLo[kCount];
#pragma GCC unroll 16
    for (int n = 0; n < kCount; ++n) {
        const Quad cy = y[n] * kSplitter;
        const Quad yHigh = cy - (cy - y[n]);
        const Quad yLow = y[n] - yHigh;
        const Quad a = yHigh * log.high;
        const Quad b = yLow * log.high;
        xHi[n] = a + b;
        xLo[n] = (b - (xHi[n] - a)) + y[n] * log.low; // |a| > |b|: the sum's error, exactly
    }

    // x = k × ln2/128 + r + rLo with |r| <= ln2/256; k = 128 m + j.
    Quad r[kCount], rLo[kCount];
    QuadBits twoToM[kCount], index[kCount];
#pragma GCC unroll 16
    for (int n = 0; n < kCount; ++n) {
        const Quad shifted = xHi[n] * kStepsPerLn2 + kRoundingShift;
        const Quad k = shifted - kRoundingShift;
        const QuadBits kBits = BitsOf(shifted) - BitsOf(QuadOf(kRoundingShift));
        const QuadBits j = LowBits(kBits, 127);
        twoToM[n] = ShiftLeft<45>(kBits - j); // m in the exponent field
        index[n] = j;
        const Quad high = xHi[n] - k * kLn2Over128Hi; // exact
        const Quad low = xLo[n] - k * kLn2Over128Lo;
        r[n] = high + low;
        rLo[n] = low - (r[n] - high);
    }

    // 2^(j/128) exp(r + rLo) = t + t r + t (exp(r) - 1 - r) + t rLo, t = tableHi + tableLo, with
    // tableHi r exact (split products) and everything rounded once at the end; then times 2^m.
#pragma GCC unroll 16
    for (int n = 0; n < kCount; ++n) {
        Quad tableHi, tableLo;
        LookUpExp2(index[n], tableHi, tableLo);
        const Quad ct = tableHi * kSplitter;
        const Quad tHigh = ct - (ct - tableHi);
        const Quad tLow = tableHi - tHigh;
        const Quad cr = r[n] * kSplitter;
        const Quad rHigh = cr - (cr - r[n]);
        const Quad rLow = r[n] - rHigh;
        const Quad product = tableHi * r[n];
        const Quad productError = (((tHigh * rHigh - product) + tHigh * rLow) + tLow * rHigh) + tLow * rLow;
        const Quad r2 = r[n] * r[n];
        const Quad beyondLinear = // exp(r) - 1 - r
            r2 * (0.5 + r[n] * (1.0 / 6.0 + r[n] * (1.0 / 24.0 + r[n] * (1.0 / 120.0 + r[n] * (1.0 / 720.0)))));
        const Quad small = ((tableHi * beyondLinear + (tableLo + tableLo * r[n])) + tableHi * rLo[n]) + productError;
        const Quad sum = tableHi + product;
        const Quad tail = (product - (sum - tableHi)) + small; // the first part exact: |tableHi| > |product|
        const Quad scaled = sum + tail;
        // scaled lies in 0.994..1.995, so its unit in the last place is 2^-52 unless it is
        // below 1 (j = 0 and r < 0); those few lanes count as uncertain.
        const Quad roundingError = tail - (scaled - sum); // exact: |sum| > |tail|
        uncertain[n] = Less(QuadOf(kSureWithin * 0x1p-52), Abs(roundingError)) | Less(scaled, QuadOf(1.0));
        power[n] = FromBits(BitsOf(scaled) + twoToM[n]);
        low[n] = roundingError * FromBits(BitsOf(QuadOf(1.0)) + twoToM[n]); // times 2^m, exactly
    }
}

// ---- Cubic kernel --------------------------------------------------------------------------

// The reference's kernel, lane by lane: distances 0..1 and 1..2.
KERNEL_INLINE Quad KernelNear(Quad t) { return (t * 1.5 - 2.5) * t * t + 1.0; }
KERNEL_INLINE Quad KernelFar(Quad t) { return (2.5 - t * 0.5) * t * t + (2.0 - t * 4.0); }

// The four weights of one pair's positions {even line left, right, odd line left, right} at
// fractions d past their cells i0, computed as in the reference, in the arrangement their one
// use needs: {left, right} per cell.
struct PairWeights {
    Quad readNear;   // k(1 + d) and k(d): the even line's cells im1 and i0
    Quad readFar;    // k(1 - d) and k(2 - d): cells i1 and i2
    Quad spreadNear; // the same for the odd line's spread
    Quad spreadFar;
};

KERNEL_INLINE PairWeights WeightsAt(Quad d)
{
    const Quad atI0 = KernelNear(d);
    const Quad atI1 = KernelNear(1.0 - d);
    const Quad atIm1 = KernelFar(1.0 + d);
    const Quad atI2 = KernelFar(2.0 - d);
    return {Lows(atIm1, atI0), Lows(atI1, atI2), Highs(atIm1, atI0), Highs(atI1, atI2)};
}

// How one line pair is read and spread in one frame: the even line is read between cells at
// its modulated position, the odd line spread there, each in both banks.
struct PairTaps : PairWeights {
    // Cell im1 of each position {read left, read right, spread left, spread right}, the
    // spread ones at their bank's half; for positions near the ends of a line, the line's start.
    const double* cell[4];
    int i0[4];      // floor of each position
    int inside;     // 1 when all four groups of cells lie inside their lines, without wrapping
};

KERNEL_INLINE int Wrap(int position)
{
    if (position < 0)
        return position + kCapacity;
    if (position >= kCapacity)
        return position - kCapacity;
    return position;
}

// q: the positions {even line left, right, odd line left, right}; lines: the lines' starts,
// {even, even, odd, odd + 1}. The kernel's four weights for the distances of the cells around
// each position, computed as in the reference, and where the cells are.
KERNEL_INLINE void LocateTaps(Quad q, const double* const* lines, PairTaps& t)
{
    const Quad whole = Floor(q);
    const Quad d = q - whole;
    const __m128i i0 = ToInts(whole);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(t.i0), i0);
    static_cast<PairWeights&>(t) = WeightsAt(d);

    // Inside: 1 <= i0 <= capacity - 3, so that cells i0 - 1 .. i0 + 2 exist.
    const __m128i inside = _mm_and_si128(_mm_cmpgt_epi32(i0, _mm_setzero_si128()),
                                         _mm_cmpgt_epi32(_mm_set1_epi32(kCapacity - 2), i0));
    t.inside = _mm_movemask_ps(_mm_castsi128_ps(inside)) == 15;
    const __m128i cellIndex = _mm_and_si128(_mm_add_epi32(i0, i0), inside); // 2 (i0 - 1) + 2, or 0
    const __m128i im1 = _mm_sub_epi32(cellIndex, _mm_and_si128(_mm_set1_epi32(2), inside));
    Addresses(lines, im1, t.cell);
}

// The four wrapped cells of the reference (i0, i1 = i0 + 1, im1 = wrapped i0 - 1,
// i2 = wrapped i1 + 1), for positions near the ends of a line.
struct WrappedTaps {
    int i0, i1, im1, i2;
};

KERNEL_INLINE WrappedTaps WrapTaps(int i0)
{
    WrappedTaps t;
    t.i0 = Wrap(i0);
    t.i1 = Wrap(i0 + 1);
    t.im1 = Wrap(t.i0 - 1);
    t.i2 = Wrap(t.i1 + 1);
    return t;
}

// Interpolated read of the even line, both banks, where no cell wraps: left and right point at
// cell im1 of each bank's position. Sums in the reference's grouping:
// (k(2-d) line[i2] + k(1+d) line[im1]) + (k(1-d) line[i1] + k(d) line[i0]).
KERNEL_INLINE Pair ReadEvenAt(const double* left, const double* right, const PairWeights& w)
{
    // Cells im1, i0 and i1, i2 around each bank's position; each load brings both banks, and
    // each bank keeps its own.
    const Quad nearCells = LeftOfRightOf(LoadQuad(left), LoadQuad(right));
    const Quad farCells = LeftOfRightOf(LoadQuad(left + 4), LoadQuad(right + 4));
    const Quad a = w.readNear * nearCells;
    const Quad b = w.readFar * farCells;
    return (High(b) + Low(a)) + (Low(b) + High(a));
}

KERNEL_INLINE Pair ReadEvenInside(const PairTaps& t) { return ReadEvenAt(t.cell[0], t.cell[1], t); }

KERNEL_INLINE Pair ReadEven(const double* line, const PairTaps& t)
{
    if (__builtin_expect(t.inside, 1))
        return ReadEvenInside(t);
    double result[2];
    for (int lane = 0; lane < 2; ++lane) {
        const WrappedTaps w = WrapTaps(t.i0[lane]);
        const double* cell = line + lane;
        result[lane] = (Lane(t.readFar, 2 + lane) * cell[2 * w.i2] + Lane(t.readNear, lane) * cell[2 * w.im1]) +
                       (Lane(t.readFar, lane) * cell[2 * w.i1] + Lane(t.readNear, 2 + lane) * cell[2 * w.i0]);
    }
    return Pair{result[0], result[1]};
}

// Spread write of value {left, right, left, right} into the odd line, where no cell wraps:
// each bank adds into its own half of its four cells.
KERNEL_INLINE void SpreadOddInside(const PairTaps& t, Quad value)
{
    const Quad nearAdd = t.spreadNear * value; // im1 left, right; i0 left, right
    const Quad farAdd = t.spreadFar * value;   // i1, i2
    const Pair nearLow = Low(nearAdd), nearHigh = High(nearAdd);
    const Pair farLow = Low(farAdd), farHigh = High(farAdd);
    double* l = const_cast<double*>(t.cell[2]);
    double* r = const_cast<double*>(t.cell[3]);
    l[0] += nearLow[0];
    l[2] += nearHigh[0];
    l[4] += farLow[0];
    l[6] += farHigh[0];
    r[0] += nearLow[1];
    r[2] += nearHigh[1];
    r[4] += farLow[1];
    r[6] += farHigh[1];
}

KERNEL_INLINE void SpreadOdd(double* line, const PairTaps& t, Quad value)
{
    if (__builtin_expect(t.inside, 1)) {
        SpreadOddInside(t, value);
        return;
    }
    const Quad nearAdd = t.spreadNear * value;
    const Quad farAdd = t.spreadFar * value;
    for (int lane = 0; lane < 2; ++lane) {
        const WrappedTaps w = WrapTaps(t.i0[2 + lane]);
        double* cell = line + lane;
        cell[2 * w.i0] += Lane(nearAdd, 2 + lane);
        cell[2 * w.i1] += Lane(farAdd, lane);
        cell[2 * w.im1] += Lane(nearAdd, lane);
        cell[2 * w.i2] += Lane(farAdd, 2 + lane);
    }
}

// ---- Setup ---------------------------------------------------------------------------------

enum class Routing { kLeft, kRight, kSum, kStereo };

// What a call needs from the engine, read once.
struct Setup {
    double* lines[ReverbEngine::kMaxLines]; // interleaved cells
    double* history;                        // interleaved wet history
    int length[ReverbEngine::kMaxLines];
    int pairDepth[ReverbEngine::kMaxLines / 2];
    int farEchoDelay;
    int preDelaySamples;
    Routing routing;
    const double* inLeft;
    const double* inRight;
    double farEcho;
    double mix;
    double dryShare; // 1 - mix
    double outputGain;
    double lowCutGain, lowCutCoef, highCutCoef;
    double shelfB0, shelfB1, shelfB2, shelfA1, shelfA2;
    double diffusionGain;
    LogOfBase diffusionLog;
};

// State carried from frame to frame inside a call.
struct Carried {
    Pair lowCut;
    Pair highCut;
    Pair taps; // far echo taps read in the previous frame
    Quad shelfZ1[ReverbEngine::kMaxLines / 2]; // per pair {even L, even R, odd L, odd R}
    Quad shelfZ2[ReverbEngine::kMaxLines / 2];
    // Turbulence walks of lines 0-3 and 4-7.
    Quad walkA[2], walkB[2], stepA[2], stepB[2];
    // Modulation of the even lines 0, 2, 4, 6 (a missing fourth pair sits still at -1 in -2..0,
    // its midpoint far away).
    Quad offsetL, offsetR, stepL, stepR;
    Quad depth, midpoint;
    Quad written; // the bits of every value written into the lines and wet histories, or-ed
};

// Control values of the frames of one run; the gains are computed four frames at a time, so
// their arrays have room for up to three frames beyond the run.
struct RunControl {
    Pair offset[kRunFrames][ReverbEngine::kMaxLines / 2]; // per pair {left, right}, after the frame's step
    Quad lowestOffset, highestOffset;                     // per pair (lanes), over the run and both banks
    Pair routed[kRunFrames + 3];
    Pair chainInput[kRunFrames];                          // after far echo, low cut and high cut
    Quad walks[kRunFrames + 3][4];                        // A 0-3, A 4-7, B 0-3, B 4-7 after the step
    Quad fraction[kRunFrames][ReverbEngine::kMaxLines / 2]; // per pair: d of each position (steady stretches)
    Quad exponent[kRunFrames + 3][ReverbEngine::kMaxLines / 2]; // 1 / (e + 1), per frame {line 2q L, R, 2q+1 L, R}
    Pair gain[kRunFrames][ReverbEngine::kMaxLines];             // per line {left, right}; Turbulence On
    struct Uncertain {
        int frame;
        QuadMask lanes[ReverbEngine::kMaxLines / 2]; // per exponent vector: the lanes whose power is uncertain
    } uncertain[kRunFrames];
};

// ---- Control -------------------------------------------------------------------------------

KERNEL_INLINE void AddWalkSteps(Carried& c)
{
    for (int h = 0; h < 2; ++h) {
        c.walkA[h] += c.stepA[h];
        c.walkB[h] += c.stepB[h];
    }
}

// One frame of the turbulence walks when no walk is at a bound: each moves by its step.
// Returns false, changing nothing, when a walk must turn (and draw) this frame.
KERNEL_INLINE bool StepWalks(Carried& c)
{
    const Quad bound = QuadOf(kTurbBound);
    const Quad minusBound = QuadOf(-kTurbBound);
    QuadMask turns = LessEqual(bound, c.walkA[0]) | LessEqual(c.walkA[0], minusBound);
    turns = turns | LessEqual(bound, c.walkA[1]) | LessEqual(c.walkA[1], minusBound);
    turns = turns | LessEqual(bound, c.walkB[0]) | LessEqual(c.walkB[0], minusBound);
    turns = turns | LessEqual(bound, c.walkB[1]) | LessEqual(c.walkB[1], minusBound);
    if (AnyLane(turns))
        return false;
    AddWalkSteps(c);
    return true;
}

// The lanes in which an offset turns at an end or crosses its midpoint this frame.
KERNEL_INLINE QuadMask OffsetEvents(Quad f, Quad h, Quad c, Quad m)
{
    const Quad next = f + h;
    return LessEqual(QuadOf(0.0), f) | LessEqual(f, -c) | (LessEqual(m, f) & Less(next, m)) |
           (LessEqual(f, m) & Less(m, next));
}

// One frame of the modulation when no offset turns; false, changing nothing, otherwise.
KERNEL_INLINE bool StepOffsets(Carried& c)
{
    if (AnyLane(OffsetEvents(c.offsetL, c.stepL, c.depth, c.midpoint) |
                OffsetEvents(c.offsetR, c.stepR, c.depth, c.midpoint)))
        return false;
    c.offsetL += c.stepL;
    c.offsetR += c.stepR;
    return true;
}

// Whether no walk can reach its bound within `frames` frames: each moves by at most its step
// per frame (and by far less than 1e-12 through rounding).
KERNEL_INLINE bool WalksStayInside(const Carried& c, int frames)
{
    const Quad reach = QuadOf(static_cast<double>(frames));
    const Quad limit = QuadOf(kTurbBound - 1e-12);
    QuadMask outside = Less(limit, Abs(c.walkA[0]) + Abs(c.stepA[0]) * reach);
    outside = outside | Less(limit, Abs(c.walkA[1]) + Abs(c.stepA[1]) * reach);
    outside = outside | Less(limit, Abs(c.walkB[0]) + Abs(c.stepB[0]) * reach);
    outside = outside | Less(limit, Abs(c.walkB[1]) + Abs(c.stepB[1]) * reach);
    return !AnyLane(outside);
}

// Whether no offset can reach an end of its range or its midpoint within `frames` frames.
KERNEL_INLINE QuadMask OffsetsNear(Quad f, Quad h, Quad c, Quad m, Quad reachFrames)
{
    const Quad reach = Abs(h) * reachFrames + 1e-9;
    return LessEqual(-f, reach) | LessEqual(f + c, reach) | LessEqual(Abs(f - m), reach);
}

KERNEL_INLINE bool OffsetsStayClear(const Carried& c, int frames)
{
    const Quad reachFrames = QuadOf(static_cast<double>(frames + 1));
    return !AnyLane(OffsetsNear(c.offsetL, c.stepL, c.depth, c.midpoint, reachFrames) |
                    OffsetsNear(c.offsetR, c.stepR, c.depth, c.midpoint, reachFrames));
}

// The stage gains' exponents 1 / (e + 1) from the walks of four frames, one frame per lane:
// the deviations centred on the even lines' means (left A + B, right A - B), centred again per
// bank and clamped. The sums over the lines run in the reference's order; dividing by 4 and 8
// is multiplying by 0.25 and 0.125, exactly. walks holds each frame's four walk vectors
// (A 0-3, A 4-7, B 0-3, B 4-7); the exponents go out per frame, four lanes {line 2q left,
// right, line 2q+1 left, right} per vector.
KERNEL_INLINE void ComputeExponents(const Quad (*walks)[4], Quad (*exponent)[ReverbEngine::kMaxLines / 2],
                                    Quad* deviationL, Quad* deviationR)
{
    constexpr int kLines = ReverbEngine::kMaxLines;
    Quad walkA[kLines], walkB[kLines]; // per line, frames in lanes
    for (int part = 0; part < 4; ++part) {
        const Quad rows[4] = {walks[0][part], walks[1][part], walks[2][part], walks[3][part]};
        Transpose(rows, part < 2 ? walkA + 4 * part : walkB + 4 * (part - 2));
    }

    const Quad meanA = ((((QuadOf(0.0) + walkA[0]) + walkA[2]) + walkA[4]) + walkA[6]) * 0.25;
    const Quad meanB = ((((QuadOf(0.0) + walkB[0]) + walkB[2]) + walkB[4]) + walkB[6]) * 0.25;
    Quad sumL = QuadOf(0.0);
    Quad sumR = QuadOf(0.0);
    for (int i = 0; i < kLines; ++i) {
        const Quad a = walkA[i] - meanA;
        const Quad b = walkB[i] - meanB;
        deviationL[i] = a + b;
        deviationR[i] = a - b;
        sumL = sumL + deviationL[i];
        sumR = sumR + deviationR[i];
    }
    const Quad meanL = sumL * 0.125;
    const Quad meanR = sumR * 0.125;

    const Quad clamp = QuadOf(kClampDeviation);
    for (int q = 0; q < kLines / 2; ++q) {
        Quad columns[4]; // line 2q left, right, line 2q+1 left, right; frames in lanes
        for (int n = 0; n < 2; ++n) {
            const int i = 2 * q + n;
            deviationL[i] = Max(deviationL[i] - meanL, clamp); // e < -0.99 becomes -0.99; deviations are finite
            deviationR[i] = Max(deviationR[i] - meanR, clamp);
            columns[2 * n] = 1.0 / (deviationL[i] + 1.0);
            columns[2 * n + 1] = 1.0 / (deviationR[i] + 1.0);
        }
        Quad rows[4];
        Transpose(columns, rows);
        for (int f = 0; f < 4; ++f)
            exponent[f][q] = rows[f];
    }
}

// A host's NaN or infinity counts as 0; a missing channel is silent.
KERNEL_INLINE Quad SafeSamples(const double* channel, int n)
{
    if (channel == nullptr)
        return QuadOf(0.0);
    const Quad v = LoadQuad(channel + n);
    return ZeroWhere(NotFinite(v), v);
}

// Routed frames f .. f + 3 from the input lanes of those frames.
KERNEL_INLINE void StoreRouted(Pair* routed, Quad left, Quad right)
{
    StoreQuad(LanesOf(routed), InterleaveLows(left, right));
    StoreQuad(LanesOf(routed + 2), InterleaveHighs(left, right));
}

// The routed input of frames start .. start + count - 1: Input 0 = L, 1/3 = R, 2/3 = L+R,
// 1 = L&R; a mode reads only the channels it uses. Four frames at a time, into room for up to
// three beyond the run, so the inputs are read from a copy where fewer are left.
KERNEL_INLINE void RouteRun(const Setup& s, int start, int count, Pair* routed)
{
    for (int f = 0; f < count; f += 4) {
        double tail[2][4] = {};
        const double* inLeft = s.inLeft;
        const double* inRight = s.inRight;
        int n = start + f;
        if (count - f < 4) {
            for (int k = 0; k < count - f; ++k) {
                tail[0][k] = inLeft != nullptr ? inLeft[n + k] : 0.0;
                tail[1][k] = inRight != nullptr ? inRight[n + k] : 0.0;
            }
            inLeft = tail[0];
            inRight = tail[1];
            n = 0;
        }
        switch (s.routing) {
        case Routing::kLeft: {
            const Quad l = SafeSamples(inLeft, n);
            StoreRouted(routed + f, l, l);
            break;
        }
        case Routing::kRight: {
            const Quad r = SafeSamples(inRight, n);
            StoreRouted(routed + f, r, r);
            break;
        }
        case Routing::kSum: {
            const Quad sum = (SafeSamples(inRight, n) + SafeSamples(inLeft, n)) * 0.5;
            StoreRouted(routed + f, sum, sum);
            break;
        }
        case Routing::kStereo:
            StoreRouted(routed + f, SafeSamples(inLeft, n), SafeSamples(inRight, n));
            break;
        }
    }
}

// ---- Signal --------------------------------------------------------------------------------

// Where a run's frames read and write; all positions move on by one cell per frame.
template <int kLines>
struct RunCells {
    static constexpr int kPairs = kLines / 2;
    double* oddRead[kPairs];   // cells the odd lines are read (and cleared) at
    int oddReadCell[kPairs];   // their index in the line
    double* evenWrite[kPairs]; // the even lines' write cells
    Quad positions[kPairs];    // {even read position x2, odd spread position x2}, as doubles
    const double* lineStarts[kPairs][4]; // {even, even, odd, odd + 1}: where each lane's cells start
    double* historyWrite;
    const double* farEchoRead;
    const double* preDelayRead;

    RunCells(const Setup& s, int wp0)
    {
        for (int k = 0; k < kPairs; ++k) {
            const int evenPos = Wrap(wp0 - s.length[2 * k]);
            const int oddPos = Wrap(wp0 - s.length[2 * k + 1]);
            oddRead[k] = s.lines[2 * k + 1] + 2 * oddPos;
            oddReadCell[k] = oddPos;
            evenWrite[k] = s.lines[2 * k] + 2 * wp0;
            const double spreadBase = wp0 - s.pairDepth[k];
            positions[k] = QuadOfLanes(evenPos, evenPos, spreadBase, spreadBase);
            lineStarts[k][0] = s.lines[2 * k];
            lineStarts[k][1] = s.lines[2 * k];
            lineStarts[k][2] = s.lines[2 * k + 1];
            lineStarts[k][3] = s.lines[2 * k + 1] + 1;
        }
        historyWrite = s.history + 2 * wp0;
        farEchoRead = s.history + 2 * Wrap(wp0 - s.farEchoDelay);
        preDelayRead = s.history + 2 * Wrap(wp0 - s.preDelaySamples);
    }

    // The four positions of pair k in frame f: the even line's read position and the odd
    // line's spread position, each moved by the bank's offset, + 0.25, as in the reference.
    KERNEL_INLINE Quad Position(const RunControl& run, int f, int k) const
    {
        const Pair offset = run.offset[f][k];
        return (positions[k] + static_cast<double>(f) - Join(offset, offset)) + 0.25;
    }

    KERNEL_INLINE void Locate(const RunControl& run, int f, int k, PairTaps& taps) const
    {
        LocateTaps(Position(run, f, k), lineStarts[k], taps);
    }
};

// The states of the low cut and high cut, {left, right}.
struct InputFilters {
    Pair lowCut;
    Pair highCut;

    // Far echo crossed in from the other side, low cut and high cut: the chain input of one frame.
    KERNEL_INLINE Pair Filter(const Setup& s, Pair in, Pair taps, Pair otherTaps)
    {
        const Pair a = in - (taps * 0.1 + otherTaps) * s.farEcho * 0.9;
        const Pair y = a * s.lowCutGain - lowCut * s.lowCutCoef;
        const Pair h = y - lowCut;
        lowCut = y;
        highCut = (h - highCut) * s.highCutCoef + highCut;
        return highCut;
    }
};

// The states of the damping shelves and the record of what was written, held apart from
// Carried while a stretch runs: as locals whose address never escapes they stay in registers,
// where the compiler must otherwise assume that every store into a line may change them.
template <int kLines>
struct DampStates {
    Quad z1[kLines / 2]; // per pair {even L, even R, odd L, odd R}
    Quad z2[kLines / 2];
    Quad written;

    explicit DampStates(const Carried& c) : written(c.written)
    {
        for (int k = 0; k < kLines / 2; ++k) {
            z1[k] = c.shelfZ1[k];
            z2[k] = c.shelfZ2[k];
        }
    }

    void StoreInto(Carried& c) const
    {
        for (int k = 0; k < kLines / 2; ++k) {
            c.shelfZ1[k] = z1[k];
            c.shelfZ2[k] = z2[k];
        }
        c.written = written;
    }

    // Damping shelf of pair k's two lines in one frame (transposed direct form II); p holds the
    // stage sums {even L, even R, odd L, odd R}, the result the values to write.
    KERNEL_INLINE Quad Damp(const Setup& s, int k, Quad p)
    {
        const Quad J = FlushTiny(p * s.shelfB0 + z1[k]);
        written = BitOr(written, J);
        z1[k] = (z2[k] - J * s.shelfA1) + p * s.shelfB1;
        z2[k] = p * s.shelfB2 - J * s.shelfA2;
        return J;
    }
};

// One frame, the left and right bank side by side.
template <int kLines, bool kTurbulence>
KERNEL_INLINE void RenderFrame(const Setup& s, Carried& c, const RunControl& run, const RunCells<kLines>& cells, int f,
                               double* outLeft, double* outRight)
{
    constexpr int kPairs = kLines / 2;
    const Pair in = run.routed[f];
    Pair chain = run.chainInput[f];
    DampStates<kLines> damp(c);

#pragma GCC unroll 4
    for (int k = 0; k < kPairs; ++k) {
        PairTaps w;
        cells.Locate(run, f, k, w);
        const Pair evenValue = ReadEven(s.lines[2 * k], w);
        double* oddCell = cells.oddRead[k] + 2 * f;
        const Pair oddValue = LoadPair(oddCell);
        StorePair(oddCell, PairOf(0.0));

        // Two all-pass stages; each stage's sum goes on to the damping.
        const Pair evenGain = kTurbulence ? run.gain[f][2 * k] : PairOf(s.diffusionGain);
        const Pair oddGain = kTurbulence ? run.gain[f][2 * k + 1] : PairOf(s.diffusionGain);
        Pair v = evenGain * evenValue + chain;
        const Pair evenStage = FlushTiny(v);
        chain = evenValue - v * evenGain;
        v = oddGain * oddValue + chain;
        const Pair oddStage = FlushTiny(v);
        chain = oddValue - v * oddGain;

        const Quad J = damp.Damp(s, k, Join(evenStage, oddStage));
        StorePair(cells.evenWrite[k] + 2 * f, Low(J));
        SpreadOdd(s.lines[2 * k + 1], w, HighTwice(J));
    }

    // Wet history: written first, so a pre-delay of 0 reads this frame's chain output.
    StorePair(cells.historyWrite + 2 * f, chain);
    damp.written = BitOr(damp.written, Join(chain, chain));
    damp.StoreInto(c);
    const Pair wet = LoadPair(cells.preDelayRead + 2 * f);
    const Pair result = (in * s.dryShare - wet * s.mix) * s.outputGain;
    outLeft[f] = result[0];
    outRight[f] = result[1];
}

// ---- Steady stretches ----------------------------------------------------------------------
//
// Mostly every position of a run moves on by exactly one cell per frame (an offset moves by a
// thousandth of a cell or so). In such a stretch the cells of every read and spread follow from
// its first frame, and the odd lines' spreads are gathered in registers: each frame adds its
// products to a window of the four cells around its position, which then moves on by a cell,
// storing the cell it leaves (no later frame of the stretch spreads into it) and loading the one
// it reaches. Every cell still receives the reference's additions in the reference's order.
//
// Frames are rendered in pairs: the reads and all-pass chains of both, side by side, then the
// damping and writes of one after the other. The second frame thus reads ahead of the first
// frame's writes.

// Frames `first` onwards while every position of every pair moves by one cell per frame; keeps
// the fractions d of those frames and the cells i0 of the first, and runs inputOf for each frame
// of the stretch. Returns where the stretch ends. Positions are truncated rather than floored:
// a stretch runs only from a first cell of at least 1, where every position is positive and
// both agree (negative ones end it or keep it from running).
template <int kLines, class InputOf>
int SteadyStretch(RunControl& run, const RunCells<kLines>& cells, int first, int count, Quad* firstCell,
                  InputOf& inputOf)
{
    constexpr int kPairs = kLines / 2;
    Quad expected[kPairs];
#pragma GCC unroll 4
    for (int k = 0; k < kPairs; ++k) {
        const Quad q = cells.Position(run, first, k);
        firstCell[k] = Truncate(q);
        run.fraction[first][k] = q - firstCell[k];
        expected[k] = firstCell[k];
    }
    inputOf(first);
    for (int f = first + 1; f < count; ++f) {
        QuadMask steady = EveryLane();
#pragma GCC unroll 4
        for (int k = 0; k < kPairs; ++k) {
            const Quad q = cells.Position(run, f, k);
            const Quad whole = Truncate(q);
            run.fraction[f][k] = q - whole;
            expected[k] = expected[k] + 1.0;
            steady = steady & Equal(whole, expected[k]);
        }
        if (!AllLanes(steady))
            return f;
        inputOf(f);
    }
    return count;
}

// Where a steady stretch reads and spreads: cell im1 of each position in the stretch's first
// frame (the right spread at its bank's half); every frame moves each on by a stereo cell.
template <int kLines>
struct SteadyCells {
    static constexpr int kPairs = kLines / 2;
    int first;
    int i0[kPairs][4];
    const double* evenLeft[kPairs];
    const double* evenRight[kPairs];
    double* oddLeft[kPairs];
    double* oddRight[kPairs];

    SteadyCells(const Setup& s, const Quad* firstCell, int firstFrame) : first(firstFrame)
    {
        for (int k = 0; k < kPairs; ++k) {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(i0[k]), ToInts(firstCell[k]));
            evenLeft[k] = s.lines[2 * k] + 2 * (i0[k][0] - 1);
            evenRight[k] = s.lines[2 * k] + 2 * (i0[k][1] - 1);
            oddLeft[k] = s.lines[2 * k + 1] + 2 * (i0[k][2] - 1);
            oddRight[k] = s.lines[2 * k + 1] + 1 + 2 * (i0[k][3] - 1);
        }
    }

    KERNEL_INLINE int Cell(int f) const { return 2 * (f - first); }

    // Whether frames first .. end - 1 may run this way: every cell they touch lies inside its
    // line (a window reaches one cell beyond i0 + 2), and no odd line is read near its window,
    // where a read would miss additions still held in registers or, as the second frame of a
    // pair reads before the first spreads, additions still to come.
    bool IsSafe(const RunCells<kLines>& cells, int end) const
    {
        constexpr int kWindowReach = 8;
        const int frames = end - first;
        for (int k = 0; k < kPairs; ++k) {
            for (int lane = 0; lane < 4; ++lane)
                if (i0[k][lane] < 1 || i0[k][lane] + frames + 2 > kCapacity - 1)
                    return false;
            const int oddRead = cells.oddReadCell[k] + first;
            for (int lane = 2; lane < 4; ++lane) {
                const int distance = i0[k][lane] - oddRead;
                if (distance >= -kWindowReach && distance <= kWindowReach)
                    return false;
            }
        }
        return true;
    }
};

// The odd lines' windows: cells im1, i0 and i1, i2 of each pair's spread, {left, right} per cell.
template <int kLines>
struct SpreadWindows {
    Quad nearCells[kLines / 2];
    Quad farCells[kLines / 2];
};

template <int kLines>
KERNEL_INLINE void LoadWindows(const SteadyCells<kLines>& at, int f, SpreadWindows<kLines>& w)
{
    const int cell = at.Cell(f);
    for (int k = 0; k < kLines / 2; ++k) {
        const double* l = at.oddLeft[k] + cell;
        const double* r = at.oddRight[k] + cell;
        w.nearCells[k] = Join(LoadPairFrom(l, r), LoadPairFrom(l + 2, r + 2));
        w.farCells[k] = Join(LoadPairFrom(l + 4, r + 4), LoadPairFrom(l + 6, r + 6));
    }
}

template <int kLines>
KERNEL_INLINE void StoreWindows(const SteadyCells<kLines>& at, int f, const SpreadWindows<kLines>& w)
{
    const int cell = at.Cell(f);
    for (int k = 0; k < kLines / 2; ++k) {
        double* l = at.oddLeft[k] + cell;
        double* r = at.oddRight[k] + cell;
        StorePairTo(l, r, Low(w.nearCells[k]));
        StorePairTo(l + 2, r + 2, High(w.nearCells[k]));
        StorePairTo(l + 4, r + 4, Low(w.farCells[k]));
        StorePairTo(l + 6, r + 6, High(w.farCells[k]));
    }
}

// One frame's spread of value {left, right, left, right} into a window whose cell im1 sits at
// left and right, with the weights of cells im1, i0 (near) and i1, i2 (far), {left, right} per
// cell; then the window moves on by a cell.
KERNEL_INLINE void SpreadIntoWindow(Quad& nearCells, Quad& farCells, Quad nearWeights, Quad farWeights, Quad value,
                                    double* left, double* right)
{
    nearCells += nearWeights * value;
    farCells += farWeights * value;
    StorePairTo(left, right, Low(nearCells));
    nearCells = Join(High(nearCells), Low(farCells));
    farCells = Join(High(farCells), LoadPairFrom(left + 8, right + 8));
}

// Frames f and f + 1 side by side: their all-pass chains, which do not depend on each other,
// run in one vector {f L, f R, f+1 L, f+1 R}. Everything that carries from frame to frame
// (damping, history, spreads) still runs frame by frame.
template <int kLines>
struct TwoChains {
    Quad evenStage[kLines / 2]; // each stage's sum, per pair
    Quad oddStage[kLines / 2];
    Quad output;                // the chains' outputs
};

// The kernel's weights of cells im1, i0, i1, i2 for fractions d.
KERNEL_INLINE void TapWeights(Quad d, Quad* weights)
{
    weights[0] = KernelFar(1.0 + d);
    weights[1] = KernelNear(d);
    weights[2] = KernelNear(1.0 - d);
    weights[3] = KernelFar(2.0 - d);
}

// The even line's interpolated reads of frames f and f + 1 in both banks: in a steady stretch
// the cells of the second frame follow those of the first, so one load per bank brings a cell
// of both frames. Sums in the reference's grouping:
// (k(2-d) line[i2] + k(1+d) line[im1]) + (k(1-d) line[i1] + k(d) line[i0]).
KERNEL_INLINE Quad ReadEvenTwice(const double* left, const double* right, Quad d)
{
    Quad w[4], c[4];
    TapWeights(d, w);
    for (int tap = 0; tap < 4; ++tap)
        c[tap] = LeftOfRightOf(LoadQuad(left + 2 * tap), LoadQuad(right + 2 * tap));
    return (w[3] * c[3] + w[0] * c[0]) + (w[2] * c[2] + w[1] * c[1]);
}

template <int kLines, bool kTurbulence>
KERNEL_INLINE void ReadAndChain(const Setup& s, const RunControl& run, const RunCells<kLines>& cells,
                                const SteadyCells<kLines>& at, int f, TwoChains<kLines>& chains)
{
    constexpr int kPairs = kLines / 2;
    Quad evenValue[kPairs], oddValue[kPairs];
    const int cell = at.Cell(f);
#pragma GCC unroll 4
    for (int k = 0; k < kPairs; ++k) {
        // Fractions {left, right} of frame f, then of frame f + 1.
        const Quad evenFractions = Lows(run.fraction[f][k], run.fraction[f + 1][k]);
        evenValue[k] = ReadEvenTwice(at.evenLeft[k] + cell, at.evenRight[k] + cell, evenFractions);
        double* oddCells = cells.oddRead[k] + 2 * f;
        oddValue[k] = LoadQuad(oddCells);
        StoreQuad(oddCells, QuadOf(0.0));
    }
    Quad chain = LoadQuad(LanesOf(&run.chainInput[f]));
#pragma GCC unroll 4
    for (int k = 0; k < kPairs; ++k) {
        const Quad evenGain = kTurbulence ? Join(run.gain[f][2 * k], run.gain[f + 1][2 * k]) : QuadOf(s.diffusionGain);
        const Quad oddGain =
            kTurbulence ? Join(run.gain[f][2 * k + 1], run.gain[f + 1][2 * k + 1]) : QuadOf(s.diffusionGain);
        Quad v = evenGain * evenValue[k] + chain;
        chains.evenStage[k] = FlushTiny(v);
        chain = evenValue[k] - v * evenGain;
        v = oddGain * oddValue[k] + chain;
        chains.oddStage[k] = FlushTiny(v);
        chain = oddValue[k] - v * oddGain;
    }
    chains.output = chain;
}

template <int kLines>
KERNEL_INLINE void DampAndWrite(const Setup& s, DampStates<kLines>& damp, const RunControl& run,
                                const RunCells<kLines>& cells, const SteadyCells<kLines>& at,
                                SpreadWindows<kLines>& windows, int f, const TwoChains<kLines>& chains,
                                double* outLeft, double* outRight)
{
    const int cell = at.Cell(f);
#pragma GCC unroll 4
    for (int k = 0; k < kLines / 2; ++k) {
        const Quad J0 = damp.Damp(s, k, Lows(chains.evenStage[k], chains.oddStage[k]));
        const Quad J1 = damp.Damp(s, k, Highs(chains.evenStage[k], chains.oddStage[k]));
        StoreQuad(cells.evenWrite[k] + 2 * f, Lows(J0, J1));
        double* left = at.oddLeft[k] + cell;
        double* right = at.oddRight[k] + cell;
        Quad w[4];
        TapWeights(Highs(run.fraction[f][k], run.fraction[f + 1][k]), w);
        SpreadIntoWindow(windows.nearCells[k], windows.farCells[k], Lows(w[0], w[1]), Lows(w[2], w[3]), HighTwice(J0),
                         left, right);
        SpreadIntoWindow(windows.nearCells[k], windows.farCells[k], Highs(w[0], w[1]), Highs(w[2], w[3]),
                         HighTwice(J1), left + 2, right + 2);
    }

    // Wet history: written first, so a pre-delay of 0 reads this frame's chain output.
    damp.written = BitOr(damp.written, chains.output);
    StorePair(cells.historyWrite + 2 * f, Low(chains.output));
    const Pair wet0 = LoadPair(cells.preDelayRead + 2 * f);
    StorePair(cells.historyWrite + 2 * f + 2, High(chains.output));
    const Pair wet1 = LoadPair(cells.preDelayRead + 2 * f + 2);
    const Quad result = (Join(run.routed[f], run.routed[f + 1]) * s.dryShare - Join(wet0, wet1) * s.mix) * s.outputGain;
    StorePairTo(outLeft + f, outRight + f, Low(result));
    StorePairTo(outLeft + f + 1, outRight + f + 1, High(result));
}

// Frames first .. end - 1 of a steady stretch, an even number of them.
template <int kLines, bool kTurbulence>
void RenderSteady(const Setup& s, Carried& c, const RunControl& run, const RunCells<kLines>& cells,
                  const SteadyCells<kLines>& at, int end, double* outLeft, double* outRight)
{
    SpreadWindows<kLines> windows;
    LoadWindows(at, at.first, windows);
    DampStates<kLines> damp(c);
    for (int f = at.first; f < end; f += 2) {
        TwoChains<kLines> chains;
        ReadAndChain<kLines, kTurbulence>(s, run, cells, at, f, chains);
        DampAndWrite<kLines>(s, damp, run, cells, at, windows, f, chains, outLeft, outRight);
    }
    StoreWindows(at, end, windows);
    damp.StoreInto(c);
}

// Whether some whole number m × kCapacity lies in lo..hi.
KERNEL_INLINE bool MeetsAcrossWrap(int lo, int hi)
{
    for (int m = -3; m <= 3; ++m)
        if (lo <= m * kCapacity && m * kCapacity <= hi)
            return true;
    return false;
}

// Whether frames may read ahead of the writes of the frames before them, as the second frame of
// a pair does, for every frame of the run (checked for three frames, with room to spare): the
// even lines' interpolated reads must not reach a cell those frames write. That holds by a wide
// margin unless a line is as long as its memory or offsets lie far outside a depth that Room size
// has just shrunk. Distances are relative to the earlier frame's write position, with a cell of
// slack for rounding.
template <int kLines>
bool ReadAheadIsSafe(const Setup& s, const RunControl& run)
{
    constexpr int kAhead = 3;
    for (int k = 0; k < kLines / 2; ++k) {
        const double lowest = Lane(run.lowestOffset, k);
        const double highest = Lane(run.highestOffset, k);
        const int readAhead = static_cast<int>(__builtin_floor(0.25 - highest)); // cells beyond the read position
        const int readAheadMost = static_cast<int>(__builtin_floor(0.25 - lowest));
        const int evenRead = -s.length[2 * k];
        if (MeetsAcrossWrap(evenRead + 1 + readAhead - 2, evenRead + kAhead + readAheadMost + 3))
            return false;
    }
    return true;
}

// Before the exponents of a run: lanes beyond the run compute something harmless.
void PadRunWalks(RunControl& run, int count)
{
    for (int f = count; f % 4 != 0; ++f)
        for (int part = 0; part < 4; ++part)
            run.walks[f][part] = run.walks[count - 1][part];
}

// The gains of frame f that the computed powers leave uncertain, from the runtime's pow.
void TakeUncertainFromPow(const Setup& s, RunControl& run, int f, const QuadMask* uncertain)
{
    for (int q = 0; q < ReverbEngine::kMaxLines / 2; ++q) {
        for (int lanes = LaneBits(uncertain[q]); lanes != 0; lanes &= lanes - 1) {
            const int lane = __builtin_ctz(lanes);
            run.gain[f][2 * q + lane / 2][lane % 2] = __builtin_pow(s.diffusionGain, Lane(run.exponent[f][q], lane));
        }
    }
}

// How far log(base^y) may move in one frame for the step below, whose series then errs by
// less than x^5/120 < 1e-22 (0.00002 units in the last place, however many frames add up in a
// run); beyond, the power is taken afresh. Steps are around 1e-6 at the usual settings.
constexpr double kLargestStep = 1e-4;

// The stage gains of a run's frames. The first frame's powers are computed in full (to about
// 2^-60, as hi + lo); each later frame's follow from the previous ones, since
// base^(y + dy) = base^y × exp(dy × log(base)) and dy is tiny between frames: exp of it to
// fourth order, applied to hi + lo and renormalised, keeps the same accuracy. As in PowFromLog,
// a gain whose hi + lo lies within 0.01 units in the last place of a rounding boundary is
// taken from the runtime's pow afterwards.
void ComputeRunGains(const Setup& s, RunControl& run, int count)
{
    constexpr int kQuads = ReverbEngine::kMaxLines / 2;
    PadRunWalks(run, count);
    for (int group = 0; 4 * group < count; ++group) {
        Quad deviationL[ReverbEngine::kMaxLines], deviationR[ReverbEngine::kMaxLines]; // only the exponents are kept
        ComputeExponents(run.walks + 4 * group, run.exponent + 4 * group, deviationL, deviationR);
    }

    const double logBase = s.diffusionLog.high + s.diffusionLog.low;
    Quad hi[kQuads], lo[kQuads], previous[kQuads];
    QuadMask uncertain[kQuads];
    // Frames with uncertain gains go to the runtime's pow afterwards, so that no call interrupts
    // the steps (and the values they carry stay in registers). Every frame's lanes are written
    // to the next free entry, which only a frame with an uncertain lane keeps: about a third of
    // the frames have one, too many for a branch to foresee.
    int uncertainFrames = 0;
    const auto keep = [&run, &hi, &uncertain, &uncertainFrames](int f) {
        QuadMask any = NoLanes();
        RunControl::Uncertain& u = run.uncertain[uncertainFrames];
        u.frame = f;
        for (int q = 0; q < kQuads; ++q) {
            StoreQuad(LanesOf(&run.gain[f][2 * q]), hi[q]);
            u.lanes[q] = uncertain[q];
            any = any | uncertain[q];
        }
        uncertainFrames += AnyLane(any) ? 1 : 0;
    };
    PowFromLog<kQuads>(s.diffusionLog, run.exponent[0], hi, lo, uncertain);
    keep(0);
    for (int q = 0; q < kQuads; ++q)
        previous[q] = run.exponent[0][q];
    for (int f = 1; f < count; ++f) {
        Quad x[kQuads];
        QuadMask large = NoLanes();
        for (int q = 0; q < kQuads; ++q) {
            x[q] = (run.exponent[f][q] - previous[q]) * logBase;
            previous[q] = run.exponent[f][q];
            large = large | Less(QuadOf(kLargestStep), Abs(x[q]));
        }
        if (__builtin_expect(AnyLane(large), 0)) {
            PowFromLog<kQuads>(s.diffusionLog, run.exponent[f], hi, lo, uncertain);
        } else {
            for (int q = 0; q < kQuads; ++q) {
                const Quad series = MultiplyAdd(x[q], MultiplyAdd(x[q], QuadOf(1.0 / 24.0), QuadOf(1.0 / 6.0)), QuadOf(0.5));
                const Quad expm1 = MultiplyAdd(x[q] * x[q], series, x[q]);
                const Quad t = MultiplyAdd(hi[q], expm1, lo[q]);
                const Quad sum = hi[q] + t;
                lo[q] = t - (sum - hi[q]); // exact: |hi| > |t|
                hi[q] = sum;
                const Quad binade = FromBits(LowBits(BitsOf(sum), 0x7ff0000000000000)); // ulp × 2^52
                uncertain[q] = Less(binade * (kSureWithin * 0x1p-52), Abs(lo[q]));
            }
        }
        keep(f);
    }
    for (int n = 0; n < uncertainFrames; ++n)
        TakeUncertainFromPow(s, run, run.uncertain[n].frame, run.uncertain[n].lanes);
}

// The deviations and stage gains of the frame the walks stand at, per line, computed afresh
// rather than stepped along a run: so the engine keeps the same values whichever way a frame
// was reached, through runs of any length or the idle path.
struct FrameGains {
    double deviationL[ReverbEngine::kMaxLines], deviationR[ReverbEngine::kMaxLines];
    double gainL[ReverbEngine::kMaxLines], gainR[ReverbEngine::kMaxLines];
};

FrameGains GainsOfWalks(const Carried& c, double diffusionGain, const LogOfBase& log)
{
    constexpr int kLines = ReverbEngine::kMaxLines;
    constexpr int kQuads = kLines / 2;
    Quad walks[4][4]; // the frame four times over: ComputeExponents takes four frames
    for (int row = 0; row < 4; ++row) {
        walks[row][0] = c.walkA[0];
        walks[row][1] = c.walkA[1];
        walks[row][2] = c.walkB[0];
        walks[row][3] = c.walkB[1];
    }
    Quad exponent[4][kQuads], deviationL[kLines], deviationR[kLines];
    ComputeExponents(walks, exponent, deviationL, deviationR);
    Quad hi[kQuads], lo[kQuads];
    QuadMask uncertain[kQuads];
    PowFromLog<kQuads>(log, exponent[0], hi, lo, uncertain);

    FrameGains g;
    for (int q = 0; q < kQuads; ++q) {
        const int bits = LaneBits(uncertain[q]);
        double* gains[4] = {&g.gainL[2 * q], &g.gainR[2 * q], &g.gainL[2 * q + 1], &g.gainR[2 * q + 1]};
        for (int lane = 0; lane < 4; ++lane)
            *gains[lane] = (bits >> lane & 1) != 0 ? __builtin_pow(diffusionGain, Lane(exponent[0][q], lane))
                                                   : Lane(hi[q], lane);
    }
    for (int i = 0; i < kLines; ++i) {
        g.deviationL[i] = Lane(deviationL[i], 0);
        g.deviationR[i] = Lane(deviationR[i], 0);
    }
    return g;
}

// Renders count frames from write position wp0; no position wraps inside the run.
template <int kLines, bool kTurbulence>
void RenderRun(const Setup& s, Carried& c, RunControl& run, int wp0, int count, double* outLeft,
               double* outRight)
{
    // The chain inputs do not depend on this run's chain: their far echo taps are at least
    // farEchoDelay (over 300) frames old. The left side crosses in the previous frame's right
    // tap, the right side this frame's left tap. They are filtered frame by frame as the steady
    // stretches are found, not in a loop of their own: the filters' states form a chain of
    // dependent operations, which then overlaps the stretches' independent work.
    const RunCells<kLines> cells(s, wp0);
    InputFilters filters = {c.lowCut, c.highCut};
    Pair lastTaps = c.taps;
    const auto chainInputOf = [&](int f) {
        const Pair taps = LoadPair(cells.farEchoRead + 2 * f);
        run.chainInput[f] = filters.Filter(s, run.routed[f], lastTaps, CrossPair(lastTaps, taps));
        lastTaps = taps;
    };
    if constexpr (kTurbulence)
        ComputeRunGains(s, run, count);

    // Steady stretches where they are safe, frame by frame elsewhere.
    const bool readAhead = ReadAheadIsSafe<kLines>(s, run);
    for (int first = 0; first < count;) {
        Quad firstCell[kLines / 2];
        const int end = SteadyStretch<kLines>(run, cells, first, count, firstCell, chainInputOf);
        const int pairedEnd = first + ((end - first) & ~1);
        int f = first;
        if (readAhead && pairedEnd > first) {
            const SteadyCells<kLines> at(s, firstCell, first);
            if (at.IsSafe(cells, pairedEnd)) {
                RenderSteady<kLines, kTurbulence>(s, c, run, cells, at, pairedEnd, outLeft, outRight);
                f = pairedEnd;
            }
        }
        for (; f < end; ++f)
            RenderFrame<kLines, kTurbulence>(s, c, run, cells, f, outLeft, outRight);
        first = end;
    }
    c.lowCut = filters.lowCut;
    c.highCut = filters.highCut;
    c.taps = lastTaps;
}

// Frames until the first of the call's positions reaches the end of its line.
template <int kLines>
int FramesBeforeWrap(const Setup& s, int writePos)
{
    int lowest = kCapacity - writePos;
    const auto consider = [&lowest, writePos](int delay) {
        const int frames = kCapacity - Wrap(writePos - delay);
        lowest = frames < lowest ? frames : lowest;
    };
    for (int i = 0; i < kLines; ++i)
        consider(s.length[i]);
    consider(s.farEchoDelay);
    consider(s.preDelaySamples);
    return lowest;
}

// One frame of the walks and offsets. Quiet ones cannot turn within the current run, so they
// just move by their steps; turnWalks and turnOffsets run the engine's scalar step for a frame
// in which a walk or an offset turns.
template <bool kTurbulence, class TurnWalks, class TurnOffsets>
KERNEL_INLINE void StepGenerators(Carried& c, bool walksQuiet, bool offsetsQuiet, TurnWalks& turnWalks,
                                  TurnOffsets& turnOffsets)
{
    if constexpr (kTurbulence) {
        if (walksQuiet)
            AddWalkSteps(c);
        else if (!StepWalks(c))
            turnWalks(c);
    }
    if (offsetsQuiet) {
        c.offsetL += c.stepL;
        c.offsetR += c.stepR;
    } else if (!StepOffsets(c)) {
        turnOffsets(c);
    }
}

// The generators alone, for a network at rest: the full path's runs without the rest of their
// work. A run in which nothing turns, the usual one, gets a loop of its own: with the flags
// constant it holds no checks and no calls, and the generators stay in registers.
template <bool kTurbulence, class TurnWalks, class TurnOffsets>
void AdvanceIdle(Carried& c, int frames, TurnWalks turnWalks, TurnOffsets turnOffsets)
{
    for (int start = 0; start < frames; start += kRunFrames) {
        const int count = frames - start < kRunFrames ? frames - start : kRunFrames;
        const bool walksQuiet = !kTurbulence || WalksStayInside(c, count);
        const bool offsetsQuiet = OffsetsStayClear(c, count);
        if (walksQuiet && offsetsQuiet) {
            for (int f = 0; f < count; ++f)
                StepGenerators<kTurbulence>(c, true, true, turnWalks, turnOffsets);
        } else {
            for (int f = 0; f < count; ++f)
                StepGenerators<kTurbulence>(c, walksQuiet, offsetsQuiet, turnWalks, turnOffsets);
        }
    }
}

// The control values of a run's frames: the walks and offsets after each frame's step, and the
// range the offsets cover.
template <bool kTurbulence, class TurnWalks, class TurnOffsets>
void StepRun(Carried& c, RunControl& run, int count, TurnWalks& turnWalks, TurnOffsets& turnOffsets)
{
    const auto keepOffsets = [&run](int f, Quad offsetL, Quad offsetR) {
        StoreQuad(LanesOf(&run.offset[f][0]), InterleaveLows(offsetL, offsetR));
        StoreQuad(LanesOf(&run.offset[f][2]), InterleaveHighs(offsetL, offsetR));
    };
    run.lowestOffset = Min(c.offsetL, c.offsetR);
    run.highestOffset = Max(c.offsetL, c.offsetR);

    // Most runs hold no turn of a walk or an offset: then every frame just adds the steps, in
    // registers, and each offset moves one way, so its range lies between its first and last value.
    const bool walksQuiet = kTurbulence && WalksStayInside(c, count);
    const bool offsetsQuiet = OffsetsStayClear(c, count);
    if ((walksQuiet || !kTurbulence) && offsetsQuiet) {
        Quad walkA0 = c.walkA[0], walkA1 = c.walkA[1], walkB0 = c.walkB[0], walkB1 = c.walkB[1];
        const Quad stepA0 = c.stepA[0], stepA1 = c.stepA[1], stepB0 = c.stepB[0], stepB1 = c.stepB[1];
        Quad offsetL = c.offsetL, offsetR = c.offsetR;
        const Quad stepL = c.stepL, stepR = c.stepR;
        for (int f = 0; f < count; ++f) {
            if constexpr (kTurbulence) {
                run.walks[f][0] = walkA0 = walkA0 + stepA0;
                run.walks[f][1] = walkA1 = walkA1 + stepA1;
                run.walks[f][2] = walkB0 = walkB0 + stepB0;
                run.walks[f][3] = walkB1 = walkB1 + stepB1;
            }
            offsetL = offsetL + stepL;
            offsetR = offsetR + stepR;
            keepOffsets(f, offsetL, offsetR);
        }
        if constexpr (kTurbulence) {
            c.walkA[0] = walkA0;
            c.walkA[1] = walkA1;
            c.walkB[0] = walkB0;
            c.walkB[1] = walkB1;
        }
        c.offsetL = offsetL;
        c.offsetR = offsetR;
        run.lowestOffset = Min(run.lowestOffset, Min(offsetL, offsetR));
        run.highestOffset = Max(run.highestOffset, Max(offsetL, offsetR));
        return;
    }
    for (int f = 0; f < count; ++f) {
        StepGenerators<kTurbulence>(c, walksQuiet, offsetsQuiet, turnWalks, turnOffsets);
        if constexpr (kTurbulence) {
            run.walks[f][0] = c.walkA[0];
            run.walks[f][1] = c.walkA[1];
            run.walks[f][2] = c.walkB[0];
            run.walks[f][3] = c.walkB[1];
        }
        keepOffsets(f, c.offsetL, c.offsetR);
        run.lowestOffset = Min(run.lowestOffset, Min(c.offsetL, c.offsetR));
        run.highestOffset = Max(run.highestOffset, Max(c.offsetL, c.offsetR));
    }
}

// The whole call: runs of control values, then of signal.
template <int kLines, bool kTurbulence, class TurnWalks, class TurnOffsets>
void Render(const Setup& s, Carried& c, RunControl& run, int& writePos, int frames, double* outLeft,
            double* outRight, TurnWalks turnWalks, TurnOffsets turnOffsets)
{
    for (int start = 0; start < frames;) {
        int count = frames - start < kRunFrames ? frames - start : kRunFrames;
        const int beforeWrap = FramesBeforeWrap<kLines>(s, writePos);
        count = beforeWrap < count ? beforeWrap : count;

        StepRun<kTurbulence>(c, run, count, turnWalks, turnOffsets);
        RouteRun(s, start, count, run.routed);
        RenderRun<kLines, kTurbulence>(s, c, run, writePos, count, outLeft + start, outRight + start);

        writePos += count;
        if (writePos == kCapacity)
            writePos = 0;
        start += count;
    }
}

Routing RoutingOf(double input)
{
    if (input == 0.0)
        return Routing::kLeft;
    if (input > 0.3 && input < 0.4)
        return Routing::kRight;
    if (input > 0.6 && input < 0.7)
        return Routing::kSum;
    return Routing::kStereo;
}

// The lanes of the even lines 0, 2, 4, 6 of a per-line array; `missing` for a fourth pair
// that does not run.
Quad EvenLines(const double* perLine, int pairs, double missing)
{
    return QuadOfLanes(perLine[0], perLine[2], perLine[4], pairs > 3 ? perLine[6] : missing);
}

void StoreEvenLines(double* perLine, int pairs, Quad v)
{
    for (int k = 0; k < pairs; ++k)
        perLine[2 * k] = Lane(v, k);
}

} // namespace

template <ReverbKernel kKernel>
bool ReverbFastKernel<kKernel>::Process(ReverbEngine& e, const double* const* inputs, double* const* outputs,
                                        int frames)
{
    const int lines = e.lineCount;
    const int pairs = lines / 2;

    Setup s;
    for (int i = 0; i < ReverbEngine::kMaxLines; ++i) {
        s.lines[i] = &e.delayLines[i][0][0];
        s.length[i] = e.lineLengthL[i];
    }
    for (int k = 0; k < ReverbEngine::kMaxLines / 2; ++k)
        s.pairDepth[k] = e.modDepthL[2 * k];
    s.history = &e.wetHistory[0][0];
    s.farEchoDelay = e.farEchoDelay;
    s.preDelaySamples = static_cast<int>(e.lineLengthL[0] * e.paramPreDelay);
    s.routing = RoutingOf(e.paramInput);
    s.inLeft = inputs != nullptr ? inputs[0] : nullptr;
    s.inRight = inputs != nullptr ? inputs[1] : nullptr;
    s.farEcho = e.paramFarEcho;
    s.mix = e.paramMix;
    s.dryShare = 1.0 - e.paramMix;
    s.outputGain = e.outputGain;
    s.lowCutGain = e.lowCutGain;
    s.lowCutCoef = e.lowCutCoef;
    s.highCutCoef = e.highCutCoef;
    s.shelfB0 = e.shelfB0;
    s.shelfB1 = e.shelfB1;
    s.shelfB2 = e.shelfB2;
    s.shelfA1 = e.shelfA1;
    s.shelfA2 = e.shelfA2;
    s.diffusionGain = e.paramDiffusion * 0.5 + 0.5;
    s.diffusionLog = SplitLog(e.diffusionLogHi, e.diffusionLogLo);

    Carried c;
    c.lowCut = Pair{e.lowCutStateL, e.lowCutStateR};
    c.highCut = Pair{e.highCutStateL, e.highCutStateR};
    c.taps = Pair{e.farEchoTapL, e.farEchoTapR};
    for (int k = 0; k < pairs; ++k) {
        c.shelfZ1[k] = QuadOfLanes(e.shelfZ1L[2 * k], e.shelfZ1R[2 * k], e.shelfZ1L[2 * k + 1], e.shelfZ1R[2 * k + 1]);
        c.shelfZ2[k] = QuadOfLanes(e.shelfZ2L[2 * k], e.shelfZ2R[2 * k], e.shelfZ2L[2 * k + 1], e.shelfZ2R[2 * k + 1]);
    }
    c.written = QuadOf(0.0);

    // Walks and offsets live in the engine's arrays whenever the engine's own scalar steps
    // run, and in vectors in between.
    const auto turnWalks = [&e](Carried& v) {
        StoreWalks(e, v);
        e.WalkTurbulence();
        LoadWalks(e, v);
    };
    const auto turnOffsets = [&e](Carried& v) {
        StoreOffsets(e, v);
        e.AdvanceModulation();
        LoadOffsets(e, v);
    };
    LoadWalks(e, c);
    LoadOffsets(e, c);

    // The run's control values live in the engine, not on the (host's) audio thread's stack.
    static_assert(sizeof(RunControl) <= ReverbEngine::kKernelScratchBytes, "the engine's scratch holds a run");
    static_assert(alignof(RunControl) <= 64, "the engine's scratch is aligned to 64 bytes");
    RunControl& run = *new (e.kernelScratch) RunControl;
    int writePos = e.writePos;
    if (lines == 8)
        Render<8, true>(s, c, run, writePos, frames, outputs[0], outputs[1], turnWalks, turnOffsets);
    else
        Render<6, false>(s, c, run, writePos, frames, outputs[0], outputs[1], turnWalks, turnOffsets);

    // Back into the engine.
    e.writePos = writePos;
    e.lowCutStateL = c.lowCut[0];
    e.lowCutStateR = c.lowCut[1];
    e.highCutStateL = c.highCut[0];
    e.highCutStateR = c.highCut[1];
    e.farEchoTapL = c.taps[0];
    e.farEchoTapR = c.taps[1];
    for (int k = 0; k < pairs; ++k) {
        e.shelfZ1L[2 * k] = Lane(c.shelfZ1[k], 0);
        e.shelfZ1R[2 * k] = Lane(c.shelfZ1[k], 1);
        e.shelfZ1L[2 * k + 1] = Lane(c.shelfZ1[k], 2);
        e.shelfZ1R[2 * k + 1] = Lane(c.shelfZ1[k], 3);
        e.shelfZ2L[2 * k] = Lane(c.shelfZ2[k], 0);
        e.shelfZ2R[2 * k] = Lane(c.shelfZ2[k], 1);
        e.shelfZ2L[2 * k + 1] = Lane(c.shelfZ2[k], 2);
        e.shelfZ2R[2 * k + 1] = Lane(c.shelfZ2[k], 3);
    }
    StoreOffsets(e, c);
    if (lines == 8)
        StoreWalks(e, c);
    StoreLastGains(e);
    return AllBitsZero(c.written);
}

template <ReverbKernel kKernel>
void ReverbFastKernel<kKernel>::AdvanceGenerators(ReverbEngine& e, int frames)
{
    Carried c;
    const auto turnWalks = [&e](Carried& v) {
        StoreWalks(e, v);
        e.WalkTurbulence();
        LoadWalks(e, v);
    };
    const auto turnOffsets = [&e](Carried& v) {
        StoreOffsets(e, v);
        e.AdvanceModulation();
        LoadOffsets(e, v);
    };
    LoadWalks(e, c);
    LoadOffsets(e, c);
    if (e.lineCount == 8)
        AdvanceIdle<true>(c, frames, turnWalks, turnOffsets);
    else
        AdvanceIdle<false>(c, frames, turnWalks, turnOffsets);
    StoreOffsets(e, c);
    if (e.lineCount == 8)
        StoreWalks(e, c);
}

template <ReverbKernel kKernel>
void ReverbFastKernel<kKernel>::StoreLastGains(ReverbEngine& e)
{
    const double diffusionGain = e.paramDiffusion * 0.5 + 0.5;
    if (e.lineCount != 8) { // Turbulence Off
        for (int i = 0; i < e.lineCount; ++i) {
            e.turbDevL[i] = 0.0;
            e.turbDevR[i] = 0.0;
            e.stageGainL[i] = diffusionGain;
            e.stageGainR[i] = diffusionGain;
        }
        return;
    }
    Carried c;
    LoadWalks(e, c);
    const FrameGains g = GainsOfWalks(c, diffusionGain, SplitLog(e.diffusionLogHi, e.diffusionLogLo));
    for (int i = 0; i < ReverbEngine::kMaxLines; ++i) {
        e.turbDevL[i] = g.deviationL[i];
        e.turbDevR[i] = g.deviationR[i];
        e.stageGainL[i] = g.gainL[i];
        e.stageGainR[i] = g.gainR[i];
    }
}

template <ReverbKernel kKernel>
bool ReverbFastKernel<kKernel>::AllFinite(const double* samples, int frames)
{
    QuadMask broken = NoLanes();
    int n = 0;
    for (; n + 4 <= frames; n += 4)
        broken = broken | NotFinite(LoadQuad(samples + n));
    double rest[4] = {0.0, 0.0, 0.0, 0.0};
    for (int k = 0; n + k < frames; ++k)
        rest[k] = samples[n + k];
    return !AnyLane(broken | NotFinite(LoadQuad(rest)));
}

template <ReverbKernel kKernel>
bool ReverbFastKernel<kKernel>::IsSilent(const double* samples, int frames)
{
    if (samples == nullptr)
        return true;
    Quad bits = QuadOf(0.0);
    int n = 0;
    for (; n + 4 <= frames; n += 4)
        bits = BitOr(bits, LoadQuad(samples + n));
    double rest[4] = {0.0, 0.0, 0.0, 0.0};
    for (int k = 0; n + k < frames; ++k)
        rest[k] = samples[n + k];
    return AllBitsZero(BitOr(bits, LoadQuad(rest)));
}

template <ReverbKernel kKernel>
template <class Carried>
void ReverbFastKernel<kKernel>::LoadWalks(const ReverbEngine& e, Carried& c)
{
    for (int h = 0; h < 2; ++h) {
        c.walkA[h] = LoadQuad(e.turbWalkA + 4 * h);
        c.walkB[h] = LoadQuad(e.turbWalkB + 4 * h);
        c.stepA[h] = LoadQuad(e.turbStepA + 4 * h);
        c.stepB[h] = LoadQuad(e.turbStepB + 4 * h);
    }
}

template <ReverbKernel kKernel>
template <class Carried>
void ReverbFastKernel<kKernel>::StoreWalks(ReverbEngine& e, const Carried& c)
{
    for (int h = 0; h < 2; ++h) {
        StoreQuad(e.turbWalkA + 4 * h, c.walkA[h]);
        StoreQuad(e.turbWalkB + 4 * h, c.walkB[h]);
        StoreQuad(e.turbStepA + 4 * h, c.stepA[h]);
        StoreQuad(e.turbStepB + 4 * h, c.stepB[h]);
    }
}

// Only the even lines' offsets move; a missing fourth pair sits still at -1 with step 0 and a
// midpoint far away, so that it never turns.
template <ReverbKernel kKernel>
template <class Carried>
void ReverbFastKernel<kKernel>::LoadOffsets(const ReverbEngine& e, Carried& c)
{
    const int pairs = e.lineCount / 2;
    c.offsetL = EvenLines(e.modOffsetL, pairs, -1.0);
    c.offsetR = EvenLines(e.modOffsetR, pairs, -1.0);
    c.stepL = EvenLines(e.modStepL, pairs, 0.0);
    c.stepR = EvenLines(e.modStepR, pairs, 0.0);
    double depth[ReverbEngine::kMaxLines];
    for (int i = 0; i < ReverbEngine::kMaxLines; ++i)
        depth[i] = e.modDepthL[i];
    c.depth = EvenLines(depth, pairs, 2.0);
    c.midpoint = -c.depth * 0.5;
    if (pairs < 4)
        c.midpoint = QuadOfLanes(Lane(c.midpoint, 0), Lane(c.midpoint, 1), Lane(c.midpoint, 2), 1000.0);
}

template <ReverbKernel kKernel>
template <class Carried>
void ReverbFastKernel<kKernel>::StoreOffsets(ReverbEngine& e, const Carried& c)
{
    const int pairs = e.lineCount / 2;
    StoreEvenLines(e.modOffsetL, pairs, c.offsetL);
    StoreEvenLines(e.modOffsetR, pairs, c.offsetR);
    StoreEvenLines(e.modStepL, pairs, c.stepL);
    StoreEvenLines(e.modStepR, pairs, c.stepR);
}
