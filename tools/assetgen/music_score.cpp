// The soundtrack's sequencer: each song is a plan (tempo, key, chord progression, sections with
// the parts that play in them, a style per part), and the sequencer writes its notes bar by bar.
// Motifs, arpeggio orders and bass accents come from the song's own seeded generator.
#include "music.h"
#include "noise.h"

#include <array>
#include <cmath>

namespace {

enum Part : uint32_t {
    P_BASS = 1u << 0,
    P_ARP = 1u << 1,
    P_PAD = 1u << 2,
    P_LEAD = 1u << 3,
    P_BELL = 1u << 4,
    P_DRONE = 1u << 5,
    P_KICK = 1u << 6,
    P_SNARE = 1u << 7,
    P_HATS = 1u << 8,
    P_FILL = 1u << 9, // a snare run and a noise swell in the section's last bar
    P_FADE = 1u << 10 // the section fades out towards its end
};
constexpr uint32_t P_DRUMS = P_KICK | P_SNARE | P_HATS;

enum BassStyle { BASS_DRIVE, BASS_GALLOP, BASS_HELD, BASS_CREEP };
enum DrumStyle { DRUM_FOUR, DRUM_BREAK, DRUM_HALF, DRUM_SOFT };

struct Section {
    int bars;
    uint32_t parts;
};

struct Song {
    int number;
    const char* title;
    uint64_t seed;
    float bpm;
    int root;                 // MIDI note of the key's tonic in the bass register
    std::array<int, 7> scale; // semitones of the seven degrees
    std::vector<int> chords;  // scale degree of each chord's root
    int barsPerChord;
    std::vector<Section> sections;
    BassStyle bass;
    DrumStyle drums;
    int arpSteps; // arpeggio notes per bar: 8 or 16
    float tone;   // general brightness
};

// A scale degree (any integer; 7 is the octave) as semitones above the root.
int Degree(const Song& song, int degree) {
    int octave = degree >= 0 ? degree / 7 : -((6 - degree) / 7);
    return song.scale[size_t(degree - octave * 7)] + 12 * octave;
}

struct Writer {
    const Song& song;
    std::vector<Note>& notes;
    Rng rng;
    float barSeconds;
    float stepSeconds; // a sixteenth
    float gain = 1.0f; // the fade of the current moment

    void Add(Instrument inst, float bar, float step, float steps, float pitch, float velocity,
             float pan, float tone) {
        float start = bar * barSeconds + step * stepSeconds;
        notes.push_back({start, steps * stepSeconds, pitch, velocity * gain, pan, tone, inst});
    }
};

// A two-bar motif of eighth notes: onsets and scale steps above the chord root.
struct Motif {
    std::array<int8_t, 16> degree; // -100: rest
    std::array<int8_t, 16> length; // in eighths
};

Motif MotifMake(Rng& rng, bool sparse) {
    Motif m{};
    int at = 0;
    int current = 2;
    while (at < 16) {
        int len = 1 + int(RngFloat(rng) * (sparse ? 4.0f : 2.6f));
        if (at + len > 16) len = 16 - at;
        bool rest = at > 0 && RngFloat(rng) < (sparse ? 0.35f : 0.18f);
        // Strong beats land on chord tones (0, 2, 4); the rest walk by step.
        if (at % 4 == 0)
            current = 2 * int(RngFloat(rng) * 3.0f) + (RngFloat(rng) < 0.3f ? 7 : 0);
        else
            current += RngFloat(rng) < 0.5f ? 1 : -1;
        current = current < -2 ? -2 : (current > 9 ? 9 : current);
        m.degree[size_t(at)] = int8_t(rest ? -100 : current);
        m.length[size_t(at)] = int8_t(len);
        for (int k = 1; k < len; ++k)
            m.degree[size_t(at) + size_t(k)] = -100;
        at += len;
    }
    return m;
}

void Drums(Writer& w, int bar, uint32_t parts, bool lastOfSection) {
    const DrumStyle style = w.song.drums;
    for (int s = 0; s < 16; ++s) {
        bool kick = false, snare = false, hat = false, open = false;
        float hatVel = 0.5f;
        switch (style) {
        case DRUM_FOUR:
            kick = s % 4 == 0;
            snare = s == 4 || s == 12;
            hat = s % 2 == 0 || RngFloat(w.rng) < 0.3f;
            open = s == 14 && bar % 2 == 1;
            hatVel = s % 4 == 2 ? 0.75f : 0.4f;
            break;
        case DRUM_BREAK:
            kick = s == 0 || s == 6 || s == 10 || (s == 15 && bar % 2 == 0);
            snare = s == 4 || s == 12;
            hat = true;
            hatVel = s % 2 == 0 ? 0.6f : 0.3f;
            break;
        case DRUM_HALF:
            kick = s == 0 || s == 11 || (s == 14 && bar % 4 == 3);
            snare = s == 8;
            hat = s % 2 == 0;
            open = s == 6 && bar % 2 == 0;
            hatVel = 0.4f;
            break;
        case DRUM_SOFT:
            kick = s == 0 || s == 10;
            snare = false;
            hat = s % 4 == 2;
            hatVel = 0.35f;
            break;
        }
        const float tone = w.song.tone;
        if (kick && (parts & P_KICK)) w.Add(INST_KICK, float(bar), float(s), 1, 36, 0.95f, 0, tone);
        if (snare && (parts & P_SNARE) && !(lastOfSection && (parts & P_FILL) && s >= 8))
            w.Add(INST_SNARE, float(bar), float(s), 1, 50, 0.75f, 0.05f, tone);
        if (hat && (parts & P_HATS))
            w.Add(INST_HAT, float(bar), float(s), open ? 3.0f : 1.0f, 80, hatVel, 0.3f, tone);
    }
    if (lastOfSection && (parts & P_FILL)) {
        // A run of sixteenths over the last two beats, growing louder.
        if (parts & P_SNARE)
            for (int s = 8; s < 16; ++s)
                w.Add(INST_SNARE, float(bar), float(s), 1, 50, 0.35f + 0.06f * float(s - 8), 0,
                      w.song.tone);
        w.Add(INST_SWELL, float(bar), 0, 16, 60, 0.8f, 0, w.song.tone);
    }
}

void Bass(Writer& w, int bar, int chordRoot, const std::array<bool, 16>& accents) {
    const float low = float(w.song.root + chordRoot);
    const float tone = w.song.tone;
    switch (w.song.bass) {
    case BASS_DRIVE:
        for (int s = 0; s < 16; s += 2)
            w.Add(INST_BASS, float(bar), float(s), 1.6f, low + (accents[size_t(s)] ? 12 : 0),
                  s % 4 == 0 ? 0.9f : 0.75f, 0, tone);
        break;
    case BASS_GALLOP:
        for (int s = 0; s < 16; ++s)
            if (s % 4 != 1)
                w.Add(INST_BASS, float(bar), float(s), 0.8f, low + (accents[size_t(s)] ? 12 : 0),
                      s % 4 == 0 ? 0.9f : 0.65f, 0, tone);
        break;
    case BASS_HELD:
        w.Add(INST_BASS, float(bar), 0, 10, low, 0.75f, 0, tone * 0.5f);
        w.Add(INST_BASS, float(bar), 10, 6, low + float(Degree(w.song, 4) - Degree(w.song, 0)),
              0.6f, 0, tone * 0.5f);
        break;
    case BASS_CREEP:
        // Sixteenths on the root that lean on the flat second above it.
        for (int s = 0; s < 16; ++s)
            w.Add(INST_BASS, float(bar), float(s), 0.7f, low + (accents[size_t(s)] ? 1 : 0),
                  s % 4 == 0 ? 0.85f : 0.55f, 0, tone);
        break;
    }
}

std::vector<Note> Sequence(const Song& song, float* seconds) {
    std::vector<Note> notes;
    Writer w{song, notes, Rng{song.seed}, 240.0f / song.bpm, 15.0f / song.bpm};
    // The song's fixed material.
    std::array<bool, 16> accents{};
    for (bool& a : accents)
        a = RngFloat(w.rng) < 0.3f;
    accents[0] = false;
    std::array<int, 8> arpOrder{};
    for (int& i : arpOrder)
        i = int(RngFloat(w.rng) * 6.0f);
    arpOrder[0] = 0;
    const bool sparse = song.drums == DRUM_SOFT || song.drums == DRUM_HALF;
    const Motif motifA = MotifMake(w.rng, sparse);
    const Motif motifB = MotifMake(w.rng, sparse);

    int bar = 0;
    for (const Section& section : song.sections) {
        for (int b = 0; b < section.bars; ++b, ++bar) {
            const uint32_t parts = section.parts;
            const bool last = b == section.bars - 1;
            w.gain = 1.0f;
            if (parts & P_FADE) w.gain = 1.0f - 0.85f * float(b) / float(section.bars);
            const int chord = song.chords[size_t(bar / song.barsPerChord) % song.chords.size()];
            const bool chordStart = bar % song.barsPerChord == 0;
            const float root = float(song.root + Degree(song, chord));
            auto tone = [&](int i) { return float(Degree(song, chord + i) - Degree(song, chord)); };

            if (parts & P_DRUMS)
                Drums(w, bar, parts, last);
            else if (last && (parts & P_FILL))
                Drums(w, bar, parts, true);
            if (parts & P_BASS) Bass(w, bar, Degree(song, chord), accents);
            if ((parts & P_PAD) && chordStart) {
                for (int i = 0; i < 4; ++i) {
                    if (i == 3 && !sparse) break; // the seventh only in the calmer songs
                    w.Add(INST_PAD, float(bar), 0, 16.0f * float(song.barsPerChord) - 0.5f,
                          root + 12 + tone(2 * i), 0.55f, -0.5f + 0.33f * float(i), song.tone);
                }
            }
            if (parts & P_ARP) {
                const int step = 16 / song.arpSteps;
                for (int s = 0; s < 16; s += step) {
                    int n = arpOrder[size_t((s / step) % 8)];
                    float pitch = root + 24 + tone(2 * (n % 3)) + (n >= 3 ? 12 : 0);
                    w.Add(INST_ARP, float(bar), float(s), float(step) * 0.7f, pitch,
                          s % 4 == 0 ? 0.55f : 0.4f, (s / step) % 2 ? 0.45f : -0.45f,
                          song.tone * (0.6f + 0.4f * float(b % 4) / 3.0f));
                }
            }
            if (parts & P_BELL) {
                // Chord tones in a slow, seeded pattern, high up.
                for (int s = 0; s < 16; s += 4) {
                    if (RngFloat(w.rng) < 0.25f) continue;
                    int n = arpOrder[size_t((bar * 4 + s / 4) % 8)];
                    w.Add(INST_BELL, float(bar), float(s), 3, root + 36 + tone(2 * (n % 3)), 0.35f,
                          RngRange(w.rng, -0.6f, 0.6f), song.tone);
                }
            }
            if ((parts & P_DRONE) && b % 4 == 0) {
                float length = 16.0f * float(std::min(4, section.bars - b)) - 2.0f;
                w.Add(INST_DRONE, float(bar), 0, length, float(song.root + 12), 0.7f, -0.2f,
                      song.tone);
                w.Add(INST_DRONE, float(bar), 0, length, float(song.root + 13), 0.35f, 0.3f,
                      song.tone);
            }
            if (parts & P_LEAD) {
                // An eight-bar phrase: motif A three times (the second ending higher), then B.
                const int phraseBar = bar % 8;
                const Motif& m = phraseBar >= 6 ? motifB : motifA;
                const int half = phraseBar % 2;
                for (int e = 0; e < 8; ++e) {
                    int at = half * 8 + e;
                    int degree = int{m.degree[size_t(at)]};
                    if (degree == -100) continue;
                    if (phraseBar == 3 && e >= 6) degree += 2;
                    float pitch =
                        float(song.root + 24 + Degree(song, chord + degree) - Degree(song, 0));
                    w.Add(INST_LEAD, float(bar), float(2 * e),
                          float(2 * m.length[size_t(at)]) - 0.3f, pitch, 0.6f, 0.1f, song.tone);
                }
            }
        }
    }
    // The final chord rings out over the tail.
    const float root = float(song.root + Degree(song, song.chords[0]));
    for (int i = 0; i < 3; ++i)
        w.Add(INST_PAD, float(bar), 0, 16, root + 12 + float(Degree(song, 2 * i) - Degree(song, 0)),
              0.4f, -0.4f + 0.4f * float(i), song.tone * 0.6f);
    w.Add(INST_BELL, float(bar), 0, 8, root + 36, 0.3f, 0, song.tone);
    *seconds = float(bar + 1) * w.barSeconds + 3.0f;
    return notes;
}

constexpr std::array<int, 7> AEOLIAN = {0, 2, 3, 5, 7, 8, 10};
constexpr std::array<int, 7> DORIAN = {0, 2, 3, 5, 7, 9, 10};
constexpr std::array<int, 7> PHRYGIAN = {0, 1, 3, 5, 7, 8, 10};
constexpr std::array<int, 7> LOCRIAN = {0, 1, 3, 5, 6, 8, 10};

std::vector<Song> Songs() {
    const uint32_t band = P_BASS | P_ARP | P_DRUMS;
    return {
        // The title piece: slow, open, bells over pads.
        {2,
         "Drift (title)",
         0x71713,
         92.0f,
         38,
         DORIAN,
         {0, 6, 2, 3},
         2,
         {{4, P_PAD},
          {8, P_PAD | P_BELL},
          {8, P_PAD | P_BELL | P_BASS | P_HATS},
          {8, P_PAD | P_BELL | P_BASS | P_KICK | P_HATS | P_ARP},
          {4, P_PAD | P_BELL},
          {4, P_PAD | P_BELL | P_FADE}},
         BASS_HELD,
         DRUM_SOFT,
         8,
         0.3f},
        {3,
         "Launch",
         0x1a0c4,
         140.0f,
         33,
         AEOLIAN,
         {0, 5, 2, 6},
         2,
         {{8, P_ARP | P_HATS | P_FILL},
          {8, P_ARP | P_BASS | P_KICK | P_HATS | P_FILL},
          {16, band | P_PAD | P_LEAD},
          {8, P_PAD | P_ARP | P_FILL},
          {16, band | P_PAD | P_LEAD},
          {8, P_ARP | P_PAD | P_KICK | P_FADE}},
         BASS_DRIVE,
         DRUM_FOUR,
         16,
         0.7f},
        {4,
         "Rock Field",
         0x90c4f,
         128.0f,
         28,
         AEOLIAN,
         {0, 3, 5, 4},
         1,
         {{8, P_PAD | P_HATS | P_FILL},
          {8, band},
          {16, band | P_LEAD | P_FILL},
          {8, P_PAD | P_LEAD | P_BELL | P_FILL},
          {16, band | P_PAD | P_LEAD},
          {4, P_PAD | P_ARP | P_FADE}},
         BASS_GALLOP,
         DRUM_BREAK,
         8,
         0.6f},
        {5,
         "Saucer Chase",
         0x5a0ce,
         150.0f,
         30,
         PHRYGIAN,
         {0, 1, 0, 6},
         2,
         {{8, P_BASS | P_HATS | P_FILL},
          {16, band | P_FILL},
          {16, band | P_PAD | P_LEAD},
          {8, P_ARP | P_PAD | P_FILL},
          {16, band | P_PAD | P_LEAD},
          {4, P_ARP | P_PAD | P_FADE}},
         BASS_DRIVE,
         DRUM_FOUR,
         16,
         0.8f},
        // The dark levels: a locrian drone, creeping bass and half-time drums.
        {6,
         "Dark Sector",
         0xda4c,
         108.0f,
         36,
         LOCRIAN,
         {0, 1, 0, 5},
         2,
         {{8, P_DRONE | P_BELL},
          {8, P_DRONE | P_BASS | P_HATS | P_FILL},
          {16, P_DRONE | band},
          {8, P_DRONE | P_BELL | P_PAD | P_FILL},
          {8, P_DRONE | band | P_LEAD},
          {4, P_DRONE | P_BELL | P_FADE}},
         BASS_CREEP,
         DRUM_HALF,
         8,
         0.45f},
    };
}

} // namespace

int MusicSongCount() {
    return int(Songs().size());
}

MusicTrack MusicCompose(int index) {
    const Song song = Songs()[size_t(index)];
    float seconds = 0.0f;
    std::vector<Note> notes = Sequence(song, &seconds);
    return MusicRender(song.number, song.title, notes, seconds, song.bpm, 0.85f, 2.5f);
}

std::vector<MusicTrack> MusicComposeTest() {
    // Two bars of bass and arpeggio each; the levels tell the tracks apart.
    std::vector<MusicTrack> tracks;
    for (int n = 2; n <= 3; ++n) {
        std::vector<Note> notes;
        for (int s = 0; s < 8; ++s) {
            notes.push_back(
                {0.25f * float(s), 0.2f, float(33 + 12 * (s % 2)), 0.9f, 0, 0.5f, INST_BASS});
            notes.push_back(
                {0.25f * float(s), 0.2f, float(69 + 3 * n + s % 3), 0.6f, 0.3f, 0.6f, INST_ARP});
        }
        tracks.push_back(MusicRender(n, n == 2 ? "test A" : "test B", notes, 2.5f, 120.0f,
                                     n == 2 ? 0.5f : 0.25f, 0.1f));
    }
    return tracks;
}
