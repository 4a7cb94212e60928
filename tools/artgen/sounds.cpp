// The four sound effects, synthesised: a short click, a rising rotation blip, a
// crunching row destruction and a rising level jingle. Each is normalised well
// below full scale and faded in and out so it starts and ends silently.
#include <cmath>

#include "tools/artgen/art.h"

static const double TwoPi = 6.283185307179586;
static const double Rate = (double)ArtSampleRate;

// Scales the peak to 70 % of full scale, fades the ends and converts.
static std::vector<int16_t> Finish(std::vector<double> s, double fadeInMs, double fadeOutMs)
{
    size_t in = (size_t)(fadeInMs * Rate / 1000.0), out = (size_t)(fadeOutMs * Rate / 1000.0);
    for (size_t i = 0; i < s.size(); i++) {
        double g = 1.0;
        if (i < in) g = (double)i / (double)in;
        if (i + out >= s.size()) g = std::min(g, (double)(s.size() - 1 - i) / (double)out);
        s[i] *= g;
    }
    double peak = 0.0;
    for (double v : s) peak = std::max(peak, std::fabs(v));
    double k = peak > 0.0 ? 0.70 * 32767.0 / peak : 0.0;
    std::vector<int16_t> pcm(s.size());
    for (size_t i = 0; i < s.size(); i++) pcm[i] = (int16_t)std::lround(s[i] * k);
    return pcm;
}

static double Noise(Lcg *g) { return (double)(NextRandom(g) & 0xFFFF) / 32768.0 - 1.0; }

std::vector<int16_t> SoundClick(void)
{
    Lcg g{0xC11Cu};
    std::vector<double> s((size_t)(0.035 * Rate));
    double lp = 0.0;
    for (size_t i = 0; i < s.size(); i++) {
        double t = (double)i / Rate;
        lp += (Noise(&g) - lp) * 0.5;
        s[i] = lp * 0.6 * std::exp(-t / 0.003) +
               0.5 * std::sin(TwoPi * 2300.0 * t) * std::exp(-t / 0.005) +
               0.35 * std::sin(TwoPi * 950.0 * t) * std::exp(-t / 0.009);
    }
    return Finish(s, 0.5, 4.0);
}

std::vector<int16_t> SoundRotate(void)
{
    std::vector<double> s((size_t)(0.085 * Rate));
    double phase = 0.0;
    for (size_t i = 0; i < s.size(); i++) {
        double t = (double)i / Rate;
        double f = 520.0 * std::pow(2.0, t / 0.085);
        phase += TwoPi * f / Rate;
        // A soft square: the first odd harmonics only.
        double v = std::sin(phase) + std::sin(3.0 * phase) / 3.0 + std::sin(5.0 * phase) / 5.0;
        double env = std::min(1.0, t / 0.004) * std::exp(-t / 0.04);
        s[i] = v * env;
    }
    return Finish(s, 1.0, 10.0);
}

std::vector<int16_t> SoundDestroy(void)
{
    Lcg g{0xDE57u};
    std::vector<double> s((size_t)(0.26 * Rate));
    double lp = 0.0, held = 0.0, thump = 0.0;
    for (size_t i = 0; i < s.size(); i++) {
        double t = (double)i / Rate;
        // Noise through a closing low-pass, held in steps for a gritty crunch.
        double cutoff = 6000.0 * std::pow(400.0 / 6000.0, t / 0.26);
        double a = 1.0 - std::exp(-TwoPi * cutoff / Rate);
        lp += (Noise(&g) - lp) * a;
        if (i % 3 == 0) held = std::round(lp * 12.0) / 12.0;
        double f = 120.0 * std::pow(0.4, t / 0.12);
        thump += TwoPi * f / Rate;
        double body = t < 0.14 ? std::sin(thump) * std::exp(-t / 0.05) : 0.0;
        double env = std::min(1.0, t / 0.003) * std::exp(-t / 0.09);
        s[i] = held * env * 1.3 + body * 0.8;
    }
    return Finish(s, 1.0, 25.0);
}

std::vector<int16_t> SoundLevel(void)
{
    static const double notes[5] = {523.25, 659.25, 783.99, 1046.50, 1318.51};
    static const double starts[5] = {0.0, 0.1, 0.2, 0.3, 0.42};
    const double length = 0.72;
    std::vector<double> s((size_t)(length * Rate), 0.0);
    for (int n = 0; n < 5; n++) {
        double dur = n == 4 ? length - starts[n] : 0.22;
        size_t first = (size_t)(starts[n] * Rate);
        for (size_t i = 0; i < (size_t)(dur * Rate) && first + i < s.size(); i++) {
            double t = (double)i / Rate;
            double ph = std::fmod(notes[n] * t, 1.0);
            double tri = 4.0 * std::fabs(ph - 0.5) - 1.0;
            double v = 0.7 * tri + 0.3 * std::sin(TwoPi * 2.0 * notes[n] * t);
            double env = std::min(1.0, t / 0.004) * (0.45 + 0.55 * std::exp(-t / 0.06));
            if (t > dur - 0.03) env *= (dur - t) / 0.03;
            s[first + i] += v * env * (n == 4 ? 1.0 : 0.8);
        }
    }
    return Finish(s, 1.0, 20.0);
}

static void Put32(std::vector<uint8_t> &out, uint32_t v)
{
    for (int k = 0; k < 4; k++) out.push_back((uint8_t)(v >> (8 * k)));
}

static void Put16(std::vector<uint8_t> &out, uint32_t v)
{
    out.push_back((uint8_t)v);
    out.push_back((uint8_t)(v >> 8));
}

static void PutTag(std::vector<uint8_t> &out, const char *tag)
{
    for (int k = 0; k < 4; k++) out.push_back((uint8_t)tag[k]);
}

std::vector<uint8_t> EncodeWav(const std::vector<int16_t> &samples)
{
    std::vector<uint8_t> out;
    uint32_t data = (uint32_t)samples.size() * 2;
    PutTag(out, "RIFF");
    Put32(out, 36 + data);
    PutTag(out, "WAVE");
    PutTag(out, "fmt ");
    Put32(out, 16);
    Put16(out, 1); // PCM
    Put16(out, 1); // mono
    Put32(out, ArtSampleRate);
    Put32(out, ArtSampleRate * 2);
    Put16(out, 2);
    Put16(out, 16);
    PutTag(out, "data");
    Put32(out, data);
    for (int16_t v : samples) Put16(out, (uint16_t)v);
    return out;
}
