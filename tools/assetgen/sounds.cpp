// The five sound effects, synthesised from oscillators, noise, envelopes and simple filters, and
// written as 8-bit unsigned mono 11025 Hz RIFF files with the chunks format, "fact", "data".
#include "assetgen.h"
#include "noise.h"

#include <cmath>

namespace {

constexpr int RATE = 11025;
constexpr float TAU = 6.2831853f;

using Signal = std::vector<float>;

// One-pole low-pass, cutoff in Hz.
struct LowPass {
    float y = 0.0f;
    float Step(float x, float cutoff) {
        float a = 1.0f - std::exp(-TAU * cutoff / float(RATE));
        y += a * (x - y);
        return y;
    }
};

// Attack then exponential decay: the envelope of a struck or fired sound.
float Envelope(float t, float attack, float decay) {
    if (t < attack) return t / attack;
    return std::exp(-(t - attack) / decay);
}

// Scales to a peak of `peak` and fades the last few milliseconds so no sound ends in a click.
void Finish(Signal& s, float peak) {
    float m = 1e-6f;
    for (float v : s)
        m = std::fmax(m, std::fabs(v));
    const size_t fade = size_t(RATE * 0.008f);
    for (size_t i = 0; i < s.size(); ++i) {
        s[i] *= peak / m;
        if (i + fade > s.size()) s[i] *= float(s.size() - i) / float(fade);
    }
}

// The ship's laser: a bright square-ish zap that sweeps down, with a detuned twin.
Signal Shoot3Make() {
    Signal s(size_t(RATE * 0.25f));
    float ph1 = 0, ph2 = 0;
    LowPass lp;
    for (size_t i = 0; i < s.size(); ++i) {
        float t = float(i) / RATE;
        float f = 300.0f + 1600.0f * std::exp(-t * 16.0f);
        ph1 += f / RATE;
        ph2 += f * 1.013f / RATE;
        float sq = std::tanh(4.0f * std::sin(TAU * ph1));
        float saw = 2.0f * (ph2 - std::floor(ph2)) - 1.0f;
        float v = 0.6f * sq + 0.4f * saw;
        s[i] = lp.Step(v, 3500.0f) * Envelope(t, 0.004f, 0.07f);
    }
    Finish(s, 0.9f);
    return s;
}

// The saucer's shot: a warbling, ring-modulated descending "pew".
Signal ShootMake() {
    Signal s(size_t(RATE * 0.3f));
    float ph = 0, mod = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        float t = float(i) / RATE;
        float f = 220.0f + 700.0f * std::exp(-t * 9.0f);
        f *= 1.0f + 0.08f * std::sin(TAU * 28.0f * t); // warble
        ph += f / RATE;
        mod += (f * 1.5f) / RATE;
        float tri = 4.0f * std::fabs(ph - std::floor(ph) - 0.5f) - 1.0f;
        float v = tri * (0.65f + 0.35f * std::sin(TAU * mod));
        s[i] = v * Envelope(t, 0.006f, 0.11f);
    }
    Finish(s, 0.85f);
    return s;
}

// The blast: a low thump under filtered noise whose brightness and loudness die away, with a
// slow crackle on top.
Signal ExplodeMake() {
    Signal s(size_t(RATE * 1.2f));
    Rng rng{0xb1a57};
    LowPass body, rumble, rumble2;
    float ph = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        float t = float(i) / RATE;
        float white = RngRange(rng, -1.0f, 1.0f);
        float cutoff = 150.0f + 2400.0f * std::exp(-t * 5.0f);
        float noise = body.Step(white, cutoff);
        float low = rumble2.Step(rumble.Step(white, 90.0f), 90.0f) * 6.0f;
        ph += (55.0f * std::exp(-t * 1.5f) + 30.0f) / RATE;
        float thump = std::sin(TAU * ph) * Envelope(t, 0.002f, 0.18f);
        float crackle = (RngFloat(rng) < 0.004f * std::exp(-t * 3.0f)) ? RngRange(rng, -1, 1) : 0;
        float v = (noise * 1.3f + low) * Envelope(t, 0.003f, 0.38f) + 0.8f * thump + 0.5f * crackle;
        s[i] = std::tanh(1.6f * v);
    }
    Finish(s, 0.95f);
    return s;
}

// The pick-up: a rising arpeggio of bell tones with a sparkle.
Signal PickupMake() {
    Signal s(size_t(RATE * 0.5f), 0.0f);
    const float notes[] = {784.0f, 988.0f, 1175.0f, 1568.0f}; // G5 B5 D6 G6
    for (int n = 0; n < 4; ++n) {
        const float start = 0.07f * float(n);
        for (size_t i = size_t(start * RATE); i < s.size(); ++i) {
            float t = float(i) / RATE - start;
            float f = notes[n];
            float bell = std::sin(TAU * f * t) + 0.35f * std::sin(TAU * f * 2.0f * t) +
                         0.15f * std::sin(TAU * f * 3.01f * t) * std::exp(-t * 20.0f);
            s[i] += bell * Envelope(t, 0.003f, n == 3 ? 0.16f : 0.08f) * 0.5f;
        }
    }
    Finish(s, 0.85f);
    return s;
}

// The menu click: a short tuned tick with a noise transient.
Signal MenuMake() {
    Signal s(size_t(RATE * 0.15f));
    Rng rng{0xc11c};
    for (size_t i = 0; i < s.size(); ++i) {
        float t = float(i) / RATE;
        float tone = std::sin(TAU * 1250.0f * t) * Envelope(t, 0.001f, 0.025f);
        float tone2 = 0.5f * std::sin(TAU * 625.0f * t) * Envelope(t, 0.002f, 0.04f);
        float tick = RngRange(rng, -1, 1) * Envelope(t, 0.0005f, 0.004f);
        s[i] = tone + tone2 + 0.6f * tick;
    }
    Finish(s, 0.8f);
    return s;
}

void PutId(std::vector<uint8_t>& out, const char* id) {
    for (int i = 0; i < 4; ++i)
        out.push_back(uint8_t(id[i]));
}

// Exactly the layout the engine reads: RIFF header, 16-byte format chunk, 4-byte "fact"
// chunk, "data" chunk of unsigned 8-bit frames. The frame count is kept even, so no pad byte
// is ever needed after the data.
std::vector<uint8_t> WavEncode(Signal s, uint64_t seed) {
    if (s.size() % 2) s.push_back(0.0f);
    const uint32_t frames = uint32_t(s.size());
    std::vector<uint8_t> out;
    PutId(out, "RIFF");
    PutU32(out, 4 + (8 + 16) + (8 + 4) + (8 + frames));
    PutId(out, "WAVE");
    PutId(out, "fmt ");
    PutU32(out, 16);
    PutU16(out, 1);    // PCM
    PutU16(out, 1);    // mono
    PutU32(out, RATE); // frames per second
    PutU32(out, RATE); // bytes per second
    PutU16(out, 1);    // block size
    PutU16(out, 8);    // bits per sample
    PutId(out, "fact");
    PutU32(out, 4);
    PutU32(out, frames);
    PutId(out, "data");
    PutU32(out, frames);
    // Triangular dither hides the 8-bit steps in the quiet tails.
    Rng rng{seed};
    for (float v : s) {
        float d = (RngFloat(rng) - RngFloat(rng)) / 127.0f;
        long q = std::lround(128.0f + 127.0f * (v + d));
        out.push_back(uint8_t(q < 0 ? 0 : (q > 255 ? 255 : q)));
    }
    return out;
}

} // namespace

void SoundsBuild(AssetList& assets) {
    assets.push_back({"sound/shoot3.wav", WavEncode(Shoot3Make(), 1)});
    assets.push_back({"sound/shoot.wav", WavEncode(ShootMake(), 2)});
    assets.push_back({"sound/explode.wav", WavEncode(ExplodeMake(), 3)});
    assets.push_back({"sound/pickup.wav", WavEncode(PickupMake(), 4)});
    assets.push_back({"sound/menu.wav", WavEncode(MenuMake(), 5)});
}
