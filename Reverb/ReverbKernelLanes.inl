// The vector types of the reverb kernels and the few operations they use, for the
// instruction set the including file is compiled for:
//   Pair      two doubles {left bank, right bank}; a native 128-bit vector everywhere.
//   Quad      four doubles, two Pairs side by side: one 256-bit register with AVX, two 128-bit
//             registers without (GCC's own lowering of 256-bit vectors for SSE2 goes through
//             memory, so it is spelled out here).
//   QuadMask  the result of comparing Quads: all ones in the lanes where it holds.
// Every arithmetic operation is the IEEE operation of scalar code, lane by lane, so results do
// not depend on the instruction set. Only ReverbFastKernel.inl includes this file, and only
// inside an unnamed namespace.

#if !defined(__SSE2__)
#error "the reverb kernels need SSE2 (every x86-64 CPU has it)"
#endif

#define KERNEL_INLINE inline __attribute__((always_inline))

typedef double Pair __attribute__((vector_size(16))); // the same type as __m128d

KERNEL_INLINE Pair PairOf(double v) { return Pair{v, v}; }
// The lanes of Pairs stored side by side, for loads and stores that span several of them. (Taking
// the address of one lane is a GCC extension.)
KERNEL_INLINE double* LanesOf(Pair* p) { return reinterpret_cast<double*>(p); }
KERNEL_INLINE const double* LanesOf(const Pair* p) { return reinterpret_cast<const double*>(p); }
KERNEL_INLINE Pair LoadPair(const double* p) { return _mm_loadu_pd(p); }
KERNEL_INLINE void StorePair(double* p, Pair v) { _mm_storeu_pd(p, v); }
KERNEL_INLINE Pair AbsPair(Pair v) { return _mm_andnot_pd(PairOf(-0.0), v); }

// {a[1], b[0]}
KERNEL_INLINE Pair CrossPair(Pair a, Pair b) { return _mm_shuffle_pd(a, b, 1); }
// Each lane to or from a place of its own.
KERNEL_INLINE Pair LoadPairFrom(const double* low, const double* high) { return _mm_loadh_pd(_mm_load_sd(low), high); }
KERNEL_INLINE void StorePairTo(double* low, double* high, Pair v)
{
    _mm_storel_pd(low, v);
    _mm_storeh_pd(high, v);
}

#if defined(__AVX__)

struct Quad {
    __m256d v;
};
struct QuadMask {
    __m256d v;
};

KERNEL_INLINE Quad QuadOf(double v) { return {_mm256_set1_pd(v)}; }
KERNEL_INLINE Quad QuadOfLanes(double a, double b, double c, double d) { return {_mm256_setr_pd(a, b, c, d)}; }
KERNEL_INLINE Quad Join(Pair low, Pair high) { return {_mm256_set_m128d(high, low)}; }
KERNEL_INLINE Pair Low(Quad q) { return _mm256_castpd256_pd128(q.v); }
KERNEL_INLINE Pair High(Quad q) { return _mm256_extractf128_pd(q.v, 1); }
KERNEL_INLINE Quad LoadQuad(const double* p) { return {_mm256_loadu_pd(p)}; }
KERNEL_INLINE void StoreQuad(double* p, Quad q) { _mm256_storeu_pd(p, q.v); }

KERNEL_INLINE Quad operator+(Quad a, Quad b) { return {_mm256_add_pd(a.v, b.v)}; }
KERNEL_INLINE Quad operator-(Quad a, Quad b) { return {_mm256_sub_pd(a.v, b.v)}; }
KERNEL_INLINE Quad operator*(Quad a, Quad b) { return {_mm256_mul_pd(a.v, b.v)}; }
KERNEL_INLINE Quad operator/(Quad a, Quad b) { return {_mm256_div_pd(a.v, b.v)}; }
KERNEL_INLINE Quad operator-(Quad a) { return {_mm256_xor_pd(a.v, _mm256_set1_pd(-0.0))}; }
KERNEL_INLINE Quad Min(Quad a, Quad b) { return {_mm256_min_pd(a.v, b.v)}; }
KERNEL_INLINE Quad Max(Quad a, Quad b) { return {_mm256_max_pd(a.v, b.v)}; }

KERNEL_INLINE QuadMask Less(Quad a, Quad b) { return {_mm256_cmp_pd(a.v, b.v, _CMP_LT_OQ)}; }
KERNEL_INLINE QuadMask LessEqual(Quad a, Quad b) { return {_mm256_cmp_pd(a.v, b.v, _CMP_LE_OQ)}; }
KERNEL_INLINE QuadMask Equal(Quad a, Quad b) { return {_mm256_cmp_pd(a.v, b.v, _CMP_EQ_OQ)}; }
KERNEL_INLINE QuadMask NotFinite(Quad a)
{
    return {_mm256_cmp_pd(_mm256_andnot_pd(_mm256_set1_pd(-0.0), a.v), _mm256_set1_pd(__builtin_inf()), _CMP_NLT_UQ)};
}
KERNEL_INLINE QuadMask operator|(QuadMask a, QuadMask b) { return {_mm256_or_pd(a.v, b.v)}; }
KERNEL_INLINE QuadMask operator&(QuadMask a, QuadMask b) { return {_mm256_and_pd(a.v, b.v)}; }
KERNEL_INLINE int LaneBits(QuadMask m) { return _mm256_movemask_pd(m.v); } // bit i: lane i
KERNEL_INLINE bool AnyLane(QuadMask m) { return LaneBits(m) != 0; }
KERNEL_INLINE bool AllLanes(QuadMask m) { return LaneBits(m) == 15; }
KERNEL_INLINE Quad Select(QuadMask m, Quad ifTrue, Quad ifFalse)
{
    return {_mm256_blendv_pd(ifFalse.v, ifTrue.v, m.v)};
}
KERNEL_INLINE Quad ZeroWhere(QuadMask m, Quad q) { return {_mm256_andnot_pd(m.v, q.v)}; }
KERNEL_INLINE Quad Abs(Quad q) { return {_mm256_andnot_pd(_mm256_set1_pd(-0.0), q.v)}; }
KERNEL_INLINE Quad BitOr(Quad a, Quad b) { return {_mm256_or_pd(a.v, b.v)}; }
KERNEL_INLINE bool AllBitsZero(Quad q) { return _mm256_testz_si256(_mm256_castpd_si256(q.v), _mm256_castpd_si256(q.v)) != 0; }

KERNEL_INLINE Quad Floor(Quad q) { return {_mm256_floor_pd(q.v)}; }
KERNEL_INLINE Quad Truncate(Quad q) { return {_mm256_round_pd(q.v, _MM_FROUND_TO_ZERO | _MM_FROUND_NO_EXC)}; }
// Lanes that hold whole numbers, converted to int.
KERNEL_INLINE __m128i ToInts(Quad whole) { return _mm256_cvttpd_epi32(whole.v); }

// base[n] + 8 × index[n]: the addresses of four doubles, from 32-bit indices.
KERNEL_INLINE void Addresses(const double* const* base, __m128i index, const double** address)
{
    const __m256i offsets = _mm256_slli_epi64(_mm256_cvtepi32_epi64(index), 3);
    const __m256i bases = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(base));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(address), _mm256_add_epi64(bases, offsets));
}

// {l0, r1, l2, r3}: the left bank's lanes of l with the right bank's lanes of r.
KERNEL_INLINE Quad LeftOfRightOf(Quad l, Quad r) { return {_mm256_blend_pd(l.v, r.v, 0b1010)}; }
// {a0, a1, b0, b1} and {a2, a3, b2, b3}.
KERNEL_INLINE Quad Lows(Quad a, Quad b) { return {_mm256_permute2f128_pd(a.v, b.v, 0x20)}; }
KERNEL_INLINE Quad Highs(Quad a, Quad b) { return {_mm256_permute2f128_pd(a.v, b.v, 0x31)}; }
// {a0, b0, a1, b1} and {a2, b2, a3, b3}.
KERNEL_INLINE Quad InterleaveLows(Quad a, Quad b)
{
    return {_mm256_permute2f128_pd(_mm256_unpacklo_pd(a.v, b.v), _mm256_unpackhi_pd(a.v, b.v), 0x20)};
}
KERNEL_INLINE Quad InterleaveHighs(Quad a, Quad b)
{
    return {_mm256_permute2f128_pd(_mm256_unpacklo_pd(a.v, b.v), _mm256_unpackhi_pd(a.v, b.v), 0x31)};
}
// {a0, b0, a2, b2} and {a1, b1, a3, b3}.
KERNEL_INLINE Quad EvenLanes(Quad a, Quad b) { return {_mm256_unpacklo_pd(a.v, b.v)}; }
KERNEL_INLINE Quad OddLanes(Quad a, Quad b) { return {_mm256_unpackhi_pd(a.v, b.v)}; }
// {a0, a0, a1, a1} and {a2, a2, a3, a3}.
KERNEL_INLINE Quad DoubleLows(Quad a) { return {_mm256_permute4x64_pd(a.v, 0x50)}; }
KERNEL_INLINE Quad DoubleHighs(Quad a) { return {_mm256_permute4x64_pd(a.v, 0xfa)}; }
// {a2, a3, a2, a3}.
KERNEL_INLINE Quad HighTwice(Quad a) { return {_mm256_permute2f128_pd(a.v, a.v, 0x11)}; }

// Integer view of the lanes, for the exponential.
struct QuadBits {
    __m256i v;
};
KERNEL_INLINE QuadBits BitsOf(Quad q) { return {_mm256_castpd_si256(q.v)}; }
KERNEL_INLINE Quad FromBits(QuadBits b) { return {_mm256_castsi256_pd(b.v)}; }
KERNEL_INLINE QuadBits operator-(QuadBits a, QuadBits b) { return {_mm256_sub_epi64(a.v, b.v)}; }
KERNEL_INLINE QuadBits BitsOf(long long v) { return {_mm256_set1_epi64x(v)}; }
KERNEL_INLINE QuadBits operator+(QuadBits a, QuadBits b) { return {_mm256_add_epi64(a.v, b.v)}; }
KERNEL_INLINE QuadBits LowBits(QuadBits a, long long mask) { return {_mm256_and_si256(a.v, _mm256_set1_epi64x(mask))}; }
template <int kShift>
KERNEL_INLINE QuadBits ShiftLeft(QuadBits a) { return {_mm256_slli_epi64(a.v, kShift)}; }
KERNEL_INLINE void ToLongs(QuadBits b, long long* lanes)
{
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(lanes), b.v);
}

#else // SSE2 only

struct Quad {
    __m128d lo, hi;
};
struct QuadMask {
    __m128d lo, hi;
};

KERNEL_INLINE Quad QuadOf(double v) { return {_mm_set1_pd(v), _mm_set1_pd(v)}; }
KERNEL_INLINE Quad QuadOfLanes(double a, double b, double c, double d)
{
    return {_mm_setr_pd(a, b), _mm_setr_pd(c, d)};
}
KERNEL_INLINE Quad Join(Pair low, Pair high) { return {low, high}; }
KERNEL_INLINE Pair Low(Quad q) { return q.lo; }
KERNEL_INLINE Pair High(Quad q) { return q.hi; }
KERNEL_INLINE Quad LoadQuad(const double* p) { return {_mm_loadu_pd(p), _mm_loadu_pd(p + 2)}; }
KERNEL_INLINE void StoreQuad(double* p, Quad q)
{
    _mm_storeu_pd(p, q.lo);
    _mm_storeu_pd(p + 2, q.hi);
}

KERNEL_INLINE Quad operator+(Quad a, Quad b) { return {_mm_add_pd(a.lo, b.lo), _mm_add_pd(a.hi, b.hi)}; }
KERNEL_INLINE Quad operator-(Quad a, Quad b) { return {_mm_sub_pd(a.lo, b.lo), _mm_sub_pd(a.hi, b.hi)}; }
KERNEL_INLINE Quad operator*(Quad a, Quad b) { return {_mm_mul_pd(a.lo, b.lo), _mm_mul_pd(a.hi, b.hi)}; }
KERNEL_INLINE Quad operator/(Quad a, Quad b) { return {_mm_div_pd(a.lo, b.lo), _mm_div_pd(a.hi, b.hi)}; }
KERNEL_INLINE Quad operator-(Quad a)
{
    const __m128d sign = _mm_set1_pd(-0.0);
    return {_mm_xor_pd(a.lo, sign), _mm_xor_pd(a.hi, sign)};
}

KERNEL_INLINE Quad Min(Quad a, Quad b) { return {_mm_min_pd(a.lo, b.lo), _mm_min_pd(a.hi, b.hi)}; }
KERNEL_INLINE Quad Max(Quad a, Quad b) { return {_mm_max_pd(a.lo, b.lo), _mm_max_pd(a.hi, b.hi)}; }

KERNEL_INLINE QuadMask Less(Quad a, Quad b) { return {_mm_cmplt_pd(a.lo, b.lo), _mm_cmplt_pd(a.hi, b.hi)}; }
KERNEL_INLINE QuadMask LessEqual(Quad a, Quad b) { return {_mm_cmple_pd(a.lo, b.lo), _mm_cmple_pd(a.hi, b.hi)}; }
KERNEL_INLINE QuadMask Equal(Quad a, Quad b) { return {_mm_cmpeq_pd(a.lo, b.lo), _mm_cmpeq_pd(a.hi, b.hi)}; }
KERNEL_INLINE QuadMask NotFinite(Quad a)
{
    const __m128d sign = _mm_set1_pd(-0.0);
    const __m128d inf = _mm_set1_pd(__builtin_inf());
    return {_mm_cmpnlt_pd(_mm_andnot_pd(sign, a.lo), inf), _mm_cmpnlt_pd(_mm_andnot_pd(sign, a.hi), inf)};
}
KERNEL_INLINE QuadMask operator|(QuadMask a, QuadMask b) { return {_mm_or_pd(a.lo, b.lo), _mm_or_pd(a.hi, b.hi)}; }
KERNEL_INLINE QuadMask operator&(QuadMask a, QuadMask b) { return {_mm_and_pd(a.lo, b.lo), _mm_and_pd(a.hi, b.hi)}; }
KERNEL_INLINE int LaneBits(QuadMask m) { return _mm_movemask_pd(m.lo) | (_mm_movemask_pd(m.hi) << 2); }
KERNEL_INLINE bool AnyLane(QuadMask m) { return _mm_movemask_pd(_mm_or_pd(m.lo, m.hi)) != 0; }
KERNEL_INLINE bool AllLanes(QuadMask m) { return _mm_movemask_pd(_mm_and_pd(m.lo, m.hi)) == 3; }
KERNEL_INLINE Quad Select(QuadMask m, Quad ifTrue, Quad ifFalse)
{
    return {_mm_or_pd(_mm_and_pd(m.lo, ifTrue.lo), _mm_andnot_pd(m.lo, ifFalse.lo)),
            _mm_or_pd(_mm_and_pd(m.hi, ifTrue.hi), _mm_andnot_pd(m.hi, ifFalse.hi))};
}
KERNEL_INLINE Quad ZeroWhere(QuadMask m, Quad q) { return {_mm_andnot_pd(m.lo, q.lo), _mm_andnot_pd(m.hi, q.hi)}; }
KERNEL_INLINE Quad Abs(Quad q)
{
    const __m128d sign = _mm_set1_pd(-0.0);
    return {_mm_andnot_pd(sign, q.lo), _mm_andnot_pd(sign, q.hi)};
}
KERNEL_INLINE Quad BitOr(Quad a, Quad b) { return {_mm_or_pd(a.lo, b.lo), _mm_or_pd(a.hi, b.hi)}; }
KERNEL_INLINE bool AllBitsZero(Quad q)
{
    const __m128i bits = _mm_castpd_si128(_mm_or_pd(q.lo, q.hi));
    return _mm_movemask_epi8(_mm_cmpeq_epi8(bits, _mm_setzero_si128())) == 0xffff;
}

// Truncation, then one down where that rounded up (negative non-integers); exact for
// |q| < 2^31, which covers every position in a line.
KERNEL_INLINE __m128d FloorPair(__m128d q)
{
    const __m128d truncated = _mm_cvtepi32_pd(_mm_cvttpd_epi32(q));
    return _mm_sub_pd(truncated, _mm_and_pd(_mm_cmpgt_pd(truncated, q), _mm_set1_pd(1.0)));
}
KERNEL_INLINE Quad Floor(Quad q) { return {FloorPair(q.lo), FloorPair(q.hi)}; }
// Exact for |q| < 2^31.
KERNEL_INLINE Quad Truncate(Quad q)
{
    return {_mm_cvtepi32_pd(_mm_cvttpd_epi32(q.lo)), _mm_cvtepi32_pd(_mm_cvttpd_epi32(q.hi))};
}
KERNEL_INLINE __m128i ToInts(Quad whole)
{
    return _mm_unpacklo_epi64(_mm_cvttpd_epi32(whole.lo), _mm_cvttpd_epi32(whole.hi));
}

// base[n] + 8 × index[n]: the addresses of four doubles, from 32-bit indices.
KERNEL_INLINE void Addresses(const double* const* base, __m128i index, const double** address)
{
    const __m128i sign = _mm_srai_epi32(index, 31);
    const __m128i low = _mm_slli_epi64(_mm_unpacklo_epi32(index, sign), 3);
    const __m128i high = _mm_slli_epi64(_mm_unpackhi_epi32(index, sign), 3);
    const __m128i* bases = reinterpret_cast<const __m128i*>(base);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(address), _mm_add_epi64(_mm_loadu_si128(bases), low));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(address) + 1, _mm_add_epi64(_mm_loadu_si128(bases + 1), high));
}

KERNEL_INLINE Quad LeftOfRightOf(Quad l, Quad r) { return {_mm_move_sd(r.lo, l.lo), _mm_move_sd(r.hi, l.hi)}; }
KERNEL_INLINE Quad Lows(Quad a, Quad b) { return {a.lo, b.lo}; }
KERNEL_INLINE Quad Highs(Quad a, Quad b) { return {a.hi, b.hi}; }
KERNEL_INLINE Quad InterleaveLows(Quad a, Quad b) { return {_mm_unpacklo_pd(a.lo, b.lo), _mm_unpackhi_pd(a.lo, b.lo)}; }
KERNEL_INLINE Quad InterleaveHighs(Quad a, Quad b)
{
    return {_mm_unpacklo_pd(a.hi, b.hi), _mm_unpackhi_pd(a.hi, b.hi)};
}
KERNEL_INLINE Quad EvenLanes(Quad a, Quad b) { return {_mm_unpacklo_pd(a.lo, b.lo), _mm_unpacklo_pd(a.hi, b.hi)}; }
KERNEL_INLINE Quad OddLanes(Quad a, Quad b) { return {_mm_unpackhi_pd(a.lo, b.lo), _mm_unpackhi_pd(a.hi, b.hi)}; }
KERNEL_INLINE Quad DoubleLows(Quad a) { return {_mm_unpacklo_pd(a.lo, a.lo), _mm_unpackhi_pd(a.lo, a.lo)}; }
KERNEL_INLINE Quad DoubleHighs(Quad a) { return {_mm_unpacklo_pd(a.hi, a.hi), _mm_unpackhi_pd(a.hi, a.hi)}; }
KERNEL_INLINE Quad HighTwice(Quad a) { return {a.hi, a.hi}; }

struct QuadBits {
    __m128i lo, hi;
};
KERNEL_INLINE QuadBits BitsOf(Quad q) { return {_mm_castpd_si128(q.lo), _mm_castpd_si128(q.hi)}; }
KERNEL_INLINE Quad FromBits(QuadBits b) { return {_mm_castsi128_pd(b.lo), _mm_castsi128_pd(b.hi)}; }
KERNEL_INLINE QuadBits operator-(QuadBits a, QuadBits b)
{
    return {_mm_sub_epi64(a.lo, b.lo), _mm_sub_epi64(a.hi, b.hi)};
}
KERNEL_INLINE QuadBits BitsOf(long long v) { return {_mm_set1_epi64x(v), _mm_set1_epi64x(v)}; }
KERNEL_INLINE QuadBits operator+(QuadBits a, QuadBits b)
{
    return {_mm_add_epi64(a.lo, b.lo), _mm_add_epi64(a.hi, b.hi)};
}
KERNEL_INLINE QuadBits LowBits(QuadBits a, long long mask)
{
    const __m128i m = _mm_set1_epi64x(mask);
    return {_mm_and_si128(a.lo, m), _mm_and_si128(a.hi, m)};
}
template <int kShift>
KERNEL_INLINE QuadBits ShiftLeft(QuadBits a) { return {_mm_slli_epi64(a.lo, kShift), _mm_slli_epi64(a.hi, kShift)}; }
KERNEL_INLINE void ToLongs(QuadBits b, long long* lanes)
{
    _mm_storeu_si128(reinterpret_cast<__m128i*>(lanes), b.lo);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(lanes + 2), b.hi);
}

#endif

// a × b + c for the gain steps' own approximations, which only need to be at least as accurate
// as the plain products and sums: fused with one rounding where the CPU has it. Never used on
// sample values, which round as the reference's do.
KERNEL_INLINE Quad MultiplyAdd(Quad a, Quad b, Quad c)
{
#if defined(__FMA__)
    return {_mm256_fmadd_pd(a.v, b.v, c.v)};
#else
    return a * b + c;
#endif
}

KERNEL_INLINE QuadMask NoLanes() { return Less(QuadOf(0.0), QuadOf(0.0)); }
KERNEL_INLINE QuadMask EveryLane() { return LessEqual(QuadOf(0.0), QuadOf(0.0)); }

// Mixed with scalars, which stand for a Quad of four equal lanes.
KERNEL_INLINE Quad operator+(Quad a, double b) { return a + QuadOf(b); }
KERNEL_INLINE Quad operator-(Quad a, double b) { return a - QuadOf(b); }
KERNEL_INLINE Quad operator*(Quad a, double b) { return a * QuadOf(b); }
KERNEL_INLINE Quad operator+(double a, Quad b) { return QuadOf(a) + b; }
KERNEL_INLINE Quad operator-(double a, Quad b) { return QuadOf(a) - b; }
KERNEL_INLINE Quad operator*(double a, Quad b) { return QuadOf(a) * b; }
KERNEL_INLINE Quad operator/(double a, Quad b) { return QuadOf(a) / b; }
KERNEL_INLINE Quad& operator+=(Quad& a, Quad b) { return a = a + b; }

// Rows to columns: out[i] = {in[0][i], in[1][i], in[2][i], in[3][i]}.
KERNEL_INLINE void Transpose(const Quad* in, Quad* out)
{
    const Quad even01 = EvenLanes(in[0], in[1]);
    const Quad odd01 = OddLanes(in[0], in[1]);
    const Quad even23 = EvenLanes(in[2], in[3]);
    const Quad odd23 = OddLanes(in[2], in[3]);
    out[0] = Lows(even01, even23);
    out[1] = Lows(odd01, odd23);
    out[2] = Highs(even01, even23);
    out[3] = Highs(odd01, odd23);
}

KERNEL_INLINE double Lane(Quad q, int lane)
{
    double lanes[4];
    StoreQuad(lanes, q);
    return lanes[lane];
}

// Values below 1e-100 in magnitude become 0 (positive zero), as in the reference.
constexpr double kFlushLevel = 1e-100;
KERNEL_INLINE Pair FlushTiny(Pair v) { return _mm_andnot_pd(_mm_cmplt_pd(AbsPair(v), PairOf(kFlushLevel)), v); }
KERNEL_INLINE Quad FlushTiny(Quad v) { return ZeroWhere(Less(Abs(v), QuadOf(kFlushLevel)), v); }
