// A second, deliberately plain transcription of the reverb, written straight from the
// description of the algorithm and independently of ReverbEngine: no shared helpers, left
// and right written out separately, storage in vectors. The tests render the same input
// through both and demand identical bits; a slip in either transcription shows up as a
// difference.
#pragma once

#include <cstdint>
#include <vector>

class PlainReverb {
public:
    PlainReverb();

    void SetRate(double hostRate);         // with the same 44056..384000 Hz limits
    void Reset();                          // the full reset
    void Change(int index, double value);  // what a parameter change does
    void Render(const double* inL, const double* inR, double* outL, double* outR, int frames);

private:
    void Frame(double inL, double inR, double& outL, double& outR);
    double Draw();

    static constexpr int CAP = 61056;

    // parameter copies
    double pIn = 0.66, pMix = 0.33, pFar = 0, pDiff = 0.708, pRoom = 0.4486, pLow = 0, pHigh = 0.185,
           pDark = 0.31, pPre = 0.2, pMod = 0.5, pTurbRate = 0.5, pTurb = 0, pAir = 0;

    double rate = 44100;
    int N = 8;
    bool ready = false;
    int wp = 0;
    std::uint32_t seed = 0;

    std::vector<std::vector<double>> lineL, lineR;
    std::vector<double> histL, histR;
    int lenL[8] = {}, lenR[8] = {}, depL[8] = {}, depR[8] = {};
    double tapL = 0, tapR = 0;
    int farDelay = 0;

    double lcCoef = 0, lcGain = 0, lcL = 0, lcR = 0;
    double hcCoef = 0, hcL = 0, hcR = 0;
    double b0 = 0, b1 = 0, b2 = 0, a1 = 0, a2 = 0;
    double z1L[8] = {}, z2L[8] = {}, z1R[8] = {}, z2R[8] = {};
    double gainOut = 0;

    double wA[8] = {}, wB[8] = {}, sA[8] = {}, sB[8] = {}, devL[8] = {}, devR[8] = {}, gL[8] = {}, gR[8] = {};
    double turbDivisor = 0;
    double offL[8] = {}, offR[8] = {}, stepL[8] = {}, stepR[8] = {};
    double stepMax = 0;
};
