// The soundtrack's synthesiser: band-limited oscillators, envelopes, a state-variable filter, ten
// instruments, a ping-pong delay, a small plate-like reverb and the master stage.
#include "music.h"
#include "noise.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float TAU = 6.2831853f;
constexpr float INV_RATE = 1.0f / float(MUSIC_RATE);

float NoteHz(float pitch) {
    return 440.0f * std::exp2((pitch - 69.0f) / 12.0f);
}

// PolyBLEP: subtracts the step's aliasing near each discontinuity of a naive saw or pulse.
float Blep(float t, float dt) {
    if (t < dt) {
        t /= dt;
        return t + t - t * t - 1.0f;
    }
    if (t > 1.0f - dt) {
        t = (t - 1.0f) / dt;
        return t * t + t + t + 1.0f;
    }
    return 0.0f;
}

struct Osc {
    float phase = 0.0f;
    float Advance(float hz) {
        float dt = hz * INV_RATE;
        phase += dt;
        phase -= std::floor(phase);
        return dt;
    }
    float Saw(float hz) {
        float dt = Advance(hz);
        return 2.0f * phase - 1.0f - Blep(phase, dt);
    }
    float Pulse(float hz, float width) {
        float dt = Advance(hz);
        float v = phase < width ? 1.0f : -1.0f;
        float down = phase - width;
        down -= std::floor(down);
        return v + Blep(phase, dt) - Blep(down, dt);
    }
    float Sine(float hz) {
        Advance(hz);
        return std::sin(TAU * phase);
    }
};

// Zero-delay-feedback state-variable filter; the coefficients follow the cutoff every sample.
struct Svf {
    float ic1 = 0.0f, ic2 = 0.0f;
    float low = 0.0f, band = 0.0f, high = 0.0f;
    void Step(float x, float cutoff, float q) {
        cutoff = std::clamp(cutoff, 20.0f, 0.42f * float(MUSIC_RATE));
        float g = std::tan(3.14159265f * cutoff * INV_RATE);
        float k = 1.0f / q;
        float a1 = 1.0f / (1.0f + g * (g + k));
        float a2 = g * a1;
        float a3 = g * a2;
        float v3 = x - ic2;
        float v1 = a1 * ic1 + a2 * v3;
        float v2 = ic2 + a2 * ic1 + a3 * v3;
        ic1 = 2.0f * v1 - ic1;
        ic2 = 2.0f * v2 - ic2;
        low = v2;
        band = v1;
        high = x - k * v1 - v2;
    }
};

// Linear attack, exponential decay towards the sustain level, exponential release after the gate.
float Adsr(float t, float gate, float attack, float decay, float sustain, float release) {
    auto held = [&](float u) {
        if (u < attack) return u / attack;
        return sustain + (1.0f - sustain) * std::exp(-(u - attack) / decay);
    };
    if (t < gate) return held(t);
    return held(gate) * std::exp(-(t - gate) / release);
}

// The mix buses every note adds into.
struct Buses {
    std::vector<float> dryL, dryR, delayL, delayR, verb;
    explicit Buses(size_t frames)
        : dryL(frames), dryR(frames), delayL(frames), delayR(frames), verb(frames) {}
};

struct Patch {
    float tail;  // seconds rendered after the gate closes
    float delay; // send levels
    float verb;
};

constexpr Patch PATCHES[INST_COUNT] = {
    {0.08f, 0.0f, 0.04f}, // bass
    {0.35f, 0.32f, 0.2f}, // arp
    {2.0f, 0.08f, 0.55f}, // pad
    {0.3f, 0.28f, 0.25f}, // lead
    {2.5f, 0.22f, 0.45f}, // bell
    {2.0f, 0.0f, 0.4f},   // drone
    {0.2f, 0.1f, 0.5f},   // swell
    {0.45f, 0.0f, 0.0f},  // kick
    {0.3f, 0.0f, 0.22f},  // snare
    {0.1f, 0.0f, 0.08f},  // hat
};

// One voice of one note: the mono signal at time t (seconds since the note started).
struct Voice {
    const Note& note;
    float hz;
    Osc a, b, c, d;
    Svf filter, filter2;
    Rng rng;
    float lfoPhase;

    float Sample(float t) {
        const float gate = note.length;
        const float tone = note.tone;
        switch (note.inst) {
        case INST_BASS: {
            float v = 0.7f * a.Saw(hz) + 0.55f * b.Sine(hz * 0.5f);
            float cutoff = 90.0f + (500.0f + 2600.0f * tone) * std::exp(-t / 0.11f) + 150.0f * tone;
            filter.Step(v, cutoff, 1.6f);
            return filter.low * Adsr(t, gate, 0.003f, 0.2f, 0.75f, 0.03f);
        }
        case INST_ARP: {
            float width = 0.32f + 0.12f * std::sin(TAU * 0.3f * (note.start + t));
            float v = a.Pulse(hz, width) + 0.3f * b.Saw(hz * 2.003f);
            filter.Step(v, 350.0f + (1200.0f + 5200.0f * tone) * std::exp(-t / 0.07f), 2.2f);
            return 0.6f * filter.low * Adsr(t, gate, 0.002f, 0.16f, 0.15f, 0.09f);
        }
        case INST_PAD: {
            float v = a.Saw(hz) + b.Saw(hz * 1.0041f) + c.Saw(hz * 0.9957f);
            float lfo = std::sin(TAU * (lfoPhase + 0.13f * t));
            filter.Step(v, 500.0f + 1400.0f * tone + 300.0f * lfo, 0.9f);
            return 0.22f * filter.low * Adsr(t, gate, 0.8f, 1.5f, 0.8f, 1.2f);
        }
        case INST_LEAD: {
            float vib = 1.0f + 0.006f * std::min(1.0f, t / 0.35f) * std::sin(TAU * 5.3f * t);
            float v = 0.6f * a.Saw(hz * vib) + 0.4f * b.Pulse(hz * vib * 1.002f, 0.5f);
            filter.Step(v, 900.0f + 3800.0f * tone * (0.6f + 0.4f * std::exp(-t / 0.3f)), 1.8f);
            return 0.45f * filter.low * Adsr(t, gate, 0.012f, 0.25f, 0.7f, 0.12f);
        }
        case INST_BELL: {
            float index = (1.2f + 2.5f * tone) * std::exp(-t / 0.35f);
            float mod = std::sin(TAU * b.phase) * index;
            b.Advance(hz * 3.5f);
            a.Advance(hz);
            float v = std::sin(TAU * a.phase + mod);
            float amp = std::min(1.0f, t / 0.002f) * std::exp(-t / 1.1f);
            if (t > gate) amp *= std::exp(-(t - gate) / 0.8f);
            return 0.5f * v * amp;
        }
        case INST_DRONE: {
            float v = a.Saw(hz) + b.Saw(hz * 1.0025f + 0.13f) + 0.8f * c.Sine(hz * 0.5f);
            float lfo = std::sin(TAU * (lfoPhase + 0.07f * t));
            filter.Step(v, 180.0f + 500.0f * tone * (1.0f + lfo), 3.0f);
            return 0.3f * filter.low * Adsr(t, gate, 1.5f, 2.0f, 0.9f, 1.5f);
        }
        case INST_SWELL: {
            float u = std::min(1.0f, t / gate);
            float white = RngRange(rng, -1.0f, 1.0f);
            filter.Step(white, 300.0f * std::exp2(4.0f * u), 4.0f);
            float amp = u * u * (t < gate ? 1.0f : std::exp(-(t - gate) / 0.05f));
            return 0.5f * filter.band * amp;
        }
        case INST_KICK: {
            float f = 48.0f + 120.0f * std::exp(-t / 0.028f);
            float body = a.Sine(f) * std::exp(-t / 0.3f) * std::min(1.0f, t / 0.001f);
            float click = RngRange(rng, -1.0f, 1.0f) * std::exp(-t / 0.002f);
            return std::tanh(1.6f * body + 0.25f * click);
        }
        case INST_SNARE: {
            float body = a.Sine(190.0f) * std::exp(-t / 0.05f);
            filter.Step(RngRange(rng, -1.0f, 1.0f), 1900.0f + 1500.0f * tone, 0.7f);
            float noise = filter.band * std::exp(-t / 0.13f);
            return 0.55f * body + 0.9f * noise;
        }
        case INST_HAT: {
            filter.Step(RngRange(rng, -1.0f, 1.0f), 7500.0f, 0.8f);
            float decay = gate > 0.25f ? 0.22f : 0.035f; // open when held over a quarter second
            return 0.3f * filter.high * std::exp(-t / decay);
        }
        case INST_COUNT:
            break;
        }
        return 0.0f;
    }
};

void RenderNote(Buses& buses, const Note& note, uint64_t seed) {
    const Patch& patch = PATCHES[note.inst];
    Voice voice{note, NoteHz(note.pitch), {}, {}, {}, {}, {}, {}, Rng{seed}, 0.0f};
    voice.lfoPhase = RngFloat(voice.rng);
    const size_t frames = buses.dryL.size();
    const size_t first = size_t(std::lround(note.start * MUSIC_RATE));
    const size_t count = size_t((note.length + patch.tail) * MUSIC_RATE);
    // Equal-power pan.
    const float angle = (std::clamp(note.pan, -1.0f, 1.0f) + 1.0f) * 0.25f * 3.14159265f;
    const float gl = std::cos(angle) * note.velocity;
    const float gr = std::sin(angle) * note.velocity;
    for (size_t i = 0; i < count && first + i < frames; ++i) {
        float v = voice.Sample(float(i) * INV_RATE);
        size_t at = first + i;
        buses.dryL[at] += v * gl;
        buses.dryR[at] += v * gr;
        buses.delayL[at] += v * gl * patch.delay;
        buses.delayR[at] += v * gr * patch.delay;
        buses.verb[at] += v * (gl + gr) * 0.5f * patch.verb;
    }
}

// Ping-pong delay: each repeat crosses to the other side and loses some treble.
void DelayApply(Buses& buses, float seconds) {
    const size_t length = size_t(seconds * MUSIC_RATE);
    std::vector<float> lineL(length), lineR(length);
    float lowL = 0.0f, lowR = 0.0f;
    size_t pos = 0;
    for (size_t i = 0; i < buses.dryL.size(); ++i) {
        float outL = lineL[pos], outR = lineR[pos];
        lowL += 0.35f * (outR - lowL);
        lowR += 0.35f * (outL - lowR);
        lineL[pos] = buses.delayL[i] + 0.42f * lowL;
        lineR[pos] = buses.delayR[i] + 0.42f * lowR;
        buses.dryL[i] += 0.6f * outL;
        buses.dryR[i] += 0.6f * outR;
        if (++pos == length) pos = 0;
    }
}

// A small Schroeder-Moorer reverb: damped combs in parallel, then all-passes, per side, the right
// side's lines slightly longer so the two decorrelate.
struct Comb {
    std::vector<float> line;
    size_t pos = 0;
    float low = 0.0f;
    float Step(float x) {
        float out = line[pos];
        low += 0.45f * (out - low);
        line[pos] = x + 0.83f * low;
        if (++pos == line.size()) pos = 0;
        return out;
    }
};
struct AllPass {
    std::vector<float> line;
    size_t pos = 0;
    float Step(float x) {
        float held = line[pos];
        line[pos] = x + 0.5f * held;
        if (++pos == line.size()) pos = 0;
        return held - x;
    }
};

void ReverbApply(Buses& buses) {
    constexpr int COMBS[] = {1116, 1188, 1277, 1356, 1422, 1491};
    constexpr int PASSES[] = {556, 441, 341};
    constexpr int SPREAD = 23;
    for (int side = 0; side < 2; ++side) {
        std::vector<Comb> combs;
        std::vector<AllPass> passes;
        for (int n : COMBS)
            combs.push_back({std::vector<float>(size_t(n + side * SPREAD)), 0, 0.0f});
        for (int n : PASSES)
            passes.push_back({std::vector<float>(size_t(n + side * SPREAD)), 0});
        std::vector<float>& out = side == 0 ? buses.dryL : buses.dryR;
        for (size_t i = 0; i < out.size(); ++i) {
            float in = buses.verb[i] * 0.1f;
            float v = 0.0f;
            for (Comb& comb : combs)
                v += comb.Step(in);
            for (AllPass& pass : passes)
                v = pass.Step(v);
            out[i] += v;
        }
    }
}

} // namespace

MusicTrack MusicRender(int number, const char* title, const std::vector<Note>& notes, float seconds,
                       float bpm, float peak, float fadeSeconds) {
    Buses buses(size_t(seconds * MUSIC_RATE));
    uint64_t seed = 0x5eed0000ull + uint64_t(number) * 7919;
    for (const Note& note : notes)
        RenderNote(buses, note, seed++);
    DelayApply(buses, 0.75f * 60.0f / bpm); // a dotted eighth
    ReverbApply(buses);

    MusicTrack track{number, title, std::move(buses.dryL), std::move(buses.dryR)};
    // A light limiter: the loudest moments are rounded off so the rest can sit higher.
    float loudest = 1e-9f;
    for (size_t i = 0; i < track.left.size(); ++i)
        loudest = std::max({loudest, std::fabs(track.left[i]), std::fabs(track.right[i])});
    const float drive = 1.3f / loudest;
    const float norm = peak / std::tanh(1.3f);
    const size_t frames = track.left.size();
    const size_t fadeIn = MUSIC_RATE / 50; // 20 ms
    const size_t fadeOut = size_t(fadeSeconds * MUSIC_RATE);
    for (size_t i = 0; i < frames; ++i) {
        float gain = norm;
        if (i < fadeIn) gain *= float(i) / float(fadeIn);
        // A raised-cosine fade reaching exact zero on the last frame: the end cannot click.
        if (i + fadeOut >= frames) {
            float u = float(frames - 1 - i) / float(fadeOut);
            gain *= 0.5f - 0.5f * std::cos(3.14159265f * u);
        }
        track.left[i] = std::tanh(track.left[i] * drive) * gain;
        track.right[i] = std::tanh(track.right[i] * drive) * gain;
    }
    return track;
}
