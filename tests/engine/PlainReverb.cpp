#include "PlainReverb.h"

#include <cmath>

PlainReverb::PlainReverb()
    : lineL(8, std::vector<double>(CAP, 0.0)), lineR(8, std::vector<double>(CAP, 0.0)),
      histL(CAP, 0.0), histR(CAP, 0.0)
{
}

void PlainReverb::SetRate(double hostRate)
{
    rate = hostRate;
    if (!(rate >= 44056))
        rate = 44056;
    if (rate > 384000)
        rate = 384000;
}

double PlainReverb::Draw()
{
    seed = seed * 214013u + 2531011u;
    int r = (int)((seed >> 16) & 32767u);
    return r * 3.051850947599719e-05;
}

static int Trunc(double x) { return (int)x; }

void PlainReverb::Reset()
{
    ready = false;
    N = (pTurb == 0) ? 8 : 6;
    wp = 0;
    for (int i = 0; i < N; i++)
        for (int c = 0; c < CAP; c++) {
            lineL[i][c] = 0;
            lineR[i][c] = 0;
        }
    tapL = 0;
    tapR = 0;

    // low cut
    {
        double f = 10 * pow(100.0, pLow);
        double w = f * 6.283185307179586 / rate;
        lcCoef = (sin(w) - 1) / cos(w);
        lcGain = (1 - lcCoef) * 0.5;
    }
    lcL = 0;
    lcR = 0;
    // high cut
    {
        double f = 2000 * pow(10.0, pHigh);
        double o = 2 - cos(f * 6.283185307179586 / rate);
        hcCoef = sqrt(o * o - 1) + (1 - o);
    }
    hcL = 0;
    hcR = 0;
    // shelf
    for (int i = 0; i < N; i++) {
        z1L[i] = 0;
        z2L[i] = 0;
        z1R[i] = 0;
        z2R[i] = 0;
    }
    Change(7, pDark);
    // output gain
    Change(1, pMix);
    for (int c = 0; c < CAP; c++) {
        histL[c] = 0;
        histR[c] = 0;
    }
    // lengths with 2/(2N-1)
    {
        double roomScale = pRoom * 0.9 + 0.1;
        double P = pow(0.5471698113207547, 2.0 / (2 * N - 1));
        int L[8];
        L[0] = Trunc(roomScale * 0.159 * rate);
        for (int j = 1; j < N; j++) {
            if (pAir == 1)
                L[j] = Trunc(L[j - 1] * P);
            else if (j % 2 == 1)
                L[j] = L[j - 1];
            else
                L[j] = Trunc(L[j - 2] * (P * P));
        }
        for (int j = 0; j < N; j++) {
            lenL[j] = L[j];
            lenR[j] = L[j];
        }
        for (int k = 0; k < N; k += 2) {
            int d = (pAir == 1) ? Trunc((1 - P) * L[k + 1]) : Trunc((1 - P * P) * L[k]);
            depL[k] = d;
            depL[k + 1] = d;
            depR[k] = d;
            depR[k + 1] = d;
        }
        farDelay = Trunc((L[0] * 45.0) / 87.0);
    }
    Change(10, pTurbRate);
    {
        double modRateDivisor = rate / 0.278 / 3;
        stepMax = (rate * 6 / 44100 * pow(9.0, pMod)) * (2 / modRateDivisor);
    }
    seed = 8;
    for (int i = 0; i < N; i++) {
        int r[13];
        for (int k = 1; k <= 12; k++) {
            seed = seed * 214013u + 2531011u;
            r[k] = (int)((seed >> 16) & 32767u);
        }
        double rs = 3.051850947599719e-05;
        wA[i] = 0.099 - (2 * 0.099 * r[1]) * rs;
        wB[i] = 0.099 - (2 * 0.099 * r[2]) * rs;
        sA[i] = (2 * 0.099) / ((r[3] * rs + 1) * turbDivisor);
        if (r[4] & 1)
            sA[i] = -sA[i];
        sB[i] = (2 * 0.099) / ((r[5] * rs + 1) * turbDivisor);
        if (r[6] & 1)
            sB[i] = -sB[i];
        offL[i] = -depL[i] * r[7] * rs;
        offR[i] = -depR[i] * r[8] * rs;
        stepL[i] = stepMax / (r[9] * rs + 1);
        if (r[10] & 1)
            stepL[i] = -stepL[i];
        stepR[i] = stepMax / (r[11] * rs + 1);
        if (r[12] & 1)
            stepR[i] = -stepR[i];
    }
    ready = true;
}

void PlainReverb::Change(int index, double value)
{
    if (value != value || value < 0)
        value = 0;
    if (value > 1)
        value = 1;
    switch (index) {
    case 0: pIn = value; break;
    case 1:
        pMix = value;
        gainOut = sqrt(0.5 / (pMix * pMix + (0.5 - pMix)));
        break;
    case 2: pFar = value; break;
    case 3: pDiff = value; break;
    case 4: {
        pRoom = value;
        double roomScale = value * 0.9 + 0.1;
        double P = pow(0.5471698113207547, 0.13333333333333333);
        lenL[0] = lenR[0] = Trunc(roomScale * 0.159 * rate);
        for (int j = 1; j < N; j++) {
            int v;
            if (pAir == 1)
                v = Trunc(lenL[j - 1] * P);
            else if (j % 2 == 1)
                v = lenL[j - 1];
            else
                v = Trunc(lenL[j - 2] * (P * P));
            lenL[j] = lenR[j] = v;
        }
        for (int k = 0; k < N; k += 2) {
            int d = (pAir == 1) ? Trunc((1 - P) * lenL[k + 1]) : Trunc((1 - P * P) * lenL[k]);
            depL[k] = depL[k + 1] = depR[k] = depR[k + 1] = d;
        }
        farDelay = Trunc((lenL[0] * 45.0) / 87.0);
        break;
    }
    case 5: {
        pLow = value;
        double f = 10 * pow(100.0, pLow);
        double w = f * 6.283185307179586 / rate;
        lcCoef = (sin(w) - 1) / cos(w);
        lcGain = (1 - lcCoef) * 0.5;
        break;
    }
    case 6: {
        pHigh = value;
        double f = 2000 * pow(10.0, pHigh);
        double o = 2 - cos(f * 6.283185307179586 / rate);
        hcCoef = sqrt(o * o - 1) + (1 - o);
        break;
    }
    case 7: {
        pDark = value;
        double A = 1 - 0.05 * pDark;
        double w0 = 25132.741228718343 / rate;
        double c = cos(w0);
        double alpha = sin(w0) * 0.5 / 0.34;
        double s = 2 * sqrt(A) * alpha;
        double a0 = (A + 1) - (A - 1) * c + s;
        b0 = A * ((A + 1) + (A - 1) * c + s) / a0;
        b1 = -2 * A * ((A - 1) + (A + 1) * c) / a0;
        b2 = A * ((A + 1) + (A - 1) * c - s) / a0;
        a1 = 2 * ((A - 1) - (A + 1) * c) / a0;
        a2 = ((A + 1) - (A - 1) * c - s) / a0;
        break;
    }
    case 8: pPre = value; break;
    case 9: {
        pMod = value;
        double modRateDivisor = rate / 0.278 / 3;
        stepMax = pow(9.0, value) * (rate * 12 / 44100) / modRateDivisor;
        break;
    }
    case 10: {
        pTurbRate = value;
        double turbRate = pow(25.0, value) * 0.1;
        turbDivisor = rate / turbRate / 3;
        break;
    }
    case 17:
        pTurb = value;
        Reset();
        break;
    case 18:
        pAir = value;
        Reset();
        break;
    default: break;
    }
}

void PlainReverb::Render(const double* inL, const double* inR, double* outL, double* outR, int frames)
{
    for (int n = 0; n < frames; n++) {
        if (!ready) {
            outL[n] = 0;
            outR[n] = 0;
            continue;
        }
        Frame(inL[n], inR[n], outL[n], outR[n]);
    }
}

static int W(int p)
{
    if (p < 0)
        return p + 61056;
    if (p >= 61056)
        return p - 61056;
    return p;
}

static double K(double t)
{
    if (t <= 1)
        return (t * 1.5 - 2.5) * t * t + 1;
    return (2.5 - t * 0.5) * t * t + (2 - t * 4);
}

void PlainReverb::Frame(double xl, double xr, double& outL, double& outR)
{
    if (!std::isfinite(xl))
        xl = 0;
    if (!std::isfinite(xr))
        xr = 0;

    // T1, T2
    if (pTurb == 0) {
        double bound = 0.099;
        for (int i = 0; i < N; i++) {
            if (wA[i] >= bound) {
                double u = Draw();
                sA[i] = (bound * -2) / ((u + 1) * turbDivisor);
            } else if (wA[i] <= -bound) {
                double u = Draw();
                sA[i] = (bound + bound) / ((u + 1) * turbDivisor);
            }
            if (wB[i] >= bound) {
                double u = Draw();
                sB[i] = (bound * -2) / ((u + 1) * turbDivisor);
            } else if (wB[i] <= -bound) {
                double u = Draw();
                sB[i] = (bound + bound) / ((u + 1) * turbDivisor);
            }
            wA[i] += sA[i];
            wB[i] += sB[i];
        }
        int H = N / 2;
        double sum = 0;
        for (int i = 0; i < N; i += 2)
            sum += wA[i];
        double meanA = sum / H;
        for (int i = 0; i < N; i++)
            devL[i] = devR[i] = wA[i] - meanA;
        sum = 0;
        for (int i = 0; i < N; i += 2)
            sum += wB[i];
        double meanB = sum / H;
        for (int i = 0; i < N; i++) {
            devL[i] += wB[i] - meanB;
            devR[i] -= wB[i] - meanB;
        }
    } else {
        for (int i = 0; i < N; i++)
            devL[i] = devR[i] = 0;
    }
    // T3, T4
    double dg = pDiff * 0.5 + 0.5;
    {
        double sum = 0;
        for (int i = 0; i < N; i++)
            sum += devL[i];
        double mean = sum / N;
        for (int i = 0; i < N; i++) {
            double e = devL[i] - mean;
            if (e < -0.99)
                e = -0.99;
            devL[i] = e;
            gL[i] = pow(dg, 1 / (e + 1));
        }
        sum = 0;
        for (int i = 0; i < N; i++)
            sum += devR[i];
        mean = sum / N;
        for (int i = 0; i < N; i++) {
            double e = devR[i] - mean;
            if (e < -0.99)
                e = -0.99;
            devR[i] = e;
            gR[i] = pow(dg, 1 / (e + 1));
        }
    }
    // M1
    for (int i = 0; i < N; i += 2) {
        for (int side = 0; side < 2; side++) {
            double& f = side == 0 ? offL[i] : offR[i];
            double& h = side == 0 ? stepL[i] : stepR[i];
            double c = side == 0 ? depL[i] : depR[i];
            double m = -c * 0.5;
            int sign = 0;
            if (f >= 0)
                sign = -1;
            else if (f <= -c)
                sign = 1;
            else if (f >= m && f + h < m)
                sign = -1;
            else if (f <= m && f + h > m)
                sign = 1;
            if (sign != 0) {
                double u = Draw();
                h = stepMax / (u + 1);
                if (sign < 0)
                    h = -h;
            }
            f += h;
        }
    }
    // routing
    double rl, rr;
    double v = pIn;
    if (v == 0) {
        rl = rr = xl;
    } else if (v > 0.3 && v < 0.4) {
        rl = rr = xr;
    } else if (v > 0.6 && v < 0.7) {
        rl = rr = (xr + xl) * 0.5;
    } else {
        rl = xl;
        rr = xr;
    }
    int rpL[8], rpR[8];
    for (int i = 0; i < N; i++) {
        rpL[i] = wp - lenL[i];
        if (rpL[i] < 0)
            rpL[i] += 61056;
        rpR[i] = wp - lenR[i];
        if (rpR[i] < 0)
            rpR[i] += 61056;
    }
    int preSamples = (int)(lenL[0] * pPre);
    int prePos = wp - preSamples;
    if (prePos < 0)
        prePos += 61056;
    int farPos = wp - farDelay;
    if (farPos < 0)
        farPos += 61056;

    double resL, resR;
    // ---------------- left ----------------
    {
        double a = rl - (0.1 * tapL + tapR) * pFar * 0.9;
        double y = a * lcGain - lcL * lcCoef;
        double h = y - lcL;
        lcL = y;
        hcL = (h - hcL) * hcCoef + hcL;
        double s = hcL;
        double rd[8];
        for (int i = 0; i < N; i++) {
            std::vector<double>& line = lineL[i];
            if (i % 2 == 1) {
                rd[i] = line[rpL[i]];
                line[rpL[i]] = 0;
            } else {
                double q = rpL[i] - offL[i] + 0.25;
                int i0 = (int)floor(q);
                double d = q - i0;
                int i1 = i0 + 1;
                i0 = W(i0);
                i1 = W(i1);
                int im1 = W(i0 - 1);
                int i2 = W(i1 + 1);
                rd[i] = (K(2 - d) * line[i2] + K(1 + d) * line[im1]) + (K(1 - d) * line[i1] + K(d) * line[i0]);
            }
        }
        double sv[8];
        for (int i = 0; i < N; i++) {
            double g = gL[i];
            double z = rd[i];
            double vv = g * z + s;
            sv[i] = fabs(vv) < 1e-100 ? 0 : vv;
            s = z - vv * g;
        }
        histL[wp] = s;
        tapL = histL[farPos];
        resL = (1 - pMix) * rl - pMix * histL[prePos];
        for (int i = 0; i < N; i++) {
            double p = sv[i];
            double J = p * b0 + z1L[i];
            if (fabs(J) < 1e-100)
                J = 0;
            z1L[i] = z2L[i] - J * a1 + b1 * p;
            z2L[i] = p * b2 - J * a2;
            if (i % 2 == 0) {
                lineL[i][wp] = J;
            } else {
                double q = wp - depL[i - 1] - offL[i - 1] + 0.25;
                int i0 = (int)floor(q);
                double d = q - i0;
                int i1 = i0 + 1;
                i0 = W(i0);
                i1 = W(i1);
                int im1 = W(i0 - 1);
                int i2 = W(i1 + 1);
                lineL[i][i0] += K(d) * J;
                lineL[i][i1] += K(1 - d) * J;
                lineL[i][im1] += K(1 + d) * J;
                lineL[i][i2] += K(2 - d) * J;
            }
        }
    }
    // ---------------- right ----------------
    {
        double a = rr - (0.1 * tapR + tapL) * pFar * 0.9;
        double y = a * lcGain - lcR * lcCoef;
        double h = y - lcR;
        lcR = y;
        hcR = (h - hcR) * hcCoef + hcR;
        double s = hcR;
        double rd[8];
        for (int i = 0; i < N; i++) {
            std::vector<double>& line = lineR[i];
            if (i % 2 == 1) {
                rd[i] = line[rpR[i]];
                line[rpR[i]] = 0;
            } else {
                double q = rpR[i] - offR[i] + 0.25;
                int i0 = (int)floor(q);
                double d = q - i0;
                int i1 = i0 + 1;
                i0 = W(i0);
                i1 = W(i1);
                int im1 = W(i0 - 1);
                int i2 = W(i1 + 1);
                rd[i] = (K(2 - d) * line[i2] + K(1 + d) * line[im1]) + (K(1 - d) * line[i1] + K(d) * line[i0]);
            }
        }
        double sv[8];
        for (int i = 0; i < N; i++) {
            double g = gR[i];
            double z = rd[i];
            double vv = g * z + s;
            sv[i] = fabs(vv) < 1e-100 ? 0 : vv;
            s = z - vv * g;
        }
        histR[wp] = s;
        tapR = histR[farPos];
        resR = (1 - pMix) * rr - pMix * histR[prePos];
        for (int i = 0; i < N; i++) {
            double p = sv[i];
            double J = p * b0 + z1R[i];
            if (fabs(J) < 1e-100)
                J = 0;
            z1R[i] = z2R[i] - J * a1 + b1 * p;
            z2R[i] = p * b2 - J * a2;
            if (i % 2 == 0) {
                lineR[i][wp] = J;
            } else {
                double q = wp - depR[i - 1] - offR[i - 1] + 0.25;
                int i0 = (int)floor(q);
                double d = q - i0;
                int i1 = i0 + 1;
                i0 = W(i0);
                i1 = W(i1);
                int im1 = W(i0 - 1);
                int i2 = W(i1 + 1);
                lineR[i][i0] += K(d) * J;
                lineR[i][i1] += K(1 - d) * J;
                lineR[i][im1] += K(1 + d) * J;
                lineR[i][i2] += K(2 - d) * J;
            }
        }
    }
    wp++;
    if (wp == 61056)
        wp = 0;
    outL = resL * gainOut;
    outR = resR * gainOut;
}
