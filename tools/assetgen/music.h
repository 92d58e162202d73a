// The soundtrack generator's contract: a sequencer turns each song plan into timed notes
// (music_score.cpp), a synthesiser renders the notes through its effects into stereo frames
// (music_synth.cpp), and skx_musicgen encodes the frames as Ogg Vorbis (music_main.cpp).
// Nothing here reads the clock or the environment: the same program makes the same frames.
#pragma once

#include <cstdint>
#include <vector>

constexpr int MUSIC_RATE = 44100;

enum Instrument : uint8_t {
    INST_BASS,  // saw and sub sine through a low-pass with a plucked filter envelope
    INST_ARP,   // short pulse-wave pluck, sent to the delay
    INST_PAD,   // three detuned saws with a slow attack, sent to the reverb
    INST_LEAD,  // saw and square with delayed vibrato
    INST_BELL,  // two-operator FM bell
    INST_DRONE, // slowly beating saws under a wandering low-pass
    INST_SWELL, // noise through a rising band-pass: the run-up to a new section
    INST_KICK,
    INST_SNARE,
    INST_HAT, // closed hi-hat; a long note is the open one
    INST_COUNT
};

// One note: times in seconds from the start of the piece, pitch as a MIDI note number.
struct Note {
    float start;
    float length;
    float pitch;
    float velocity; // 0..1
    float pan;      // -1 left .. 1 right
    float tone;     // 0 dark .. 1 bright: the filter's opening
    Instrument inst;
};

// A whole piece ready to encode: left and right frames, the same length.
struct MusicTrack {
    int number;        // file music/trackNN.ogg
    const char* title; // for the log and the listen-proof picture
    std::vector<float> left, right;
};

// Renders the notes (with delay and reverb), then shapes the master: a light limiter, the peak at
// `peak` and a fade to exact silence over the last `fadeSeconds`. The delay repeats every dotted
// eighth at `bpm`.
MusicTrack MusicRender(int number, const char* title, const std::vector<Note>& notes, float seconds,
                       float bpm, float peak, float fadeSeconds);

// The game's soundtrack, tracks 2 to 6 (music_score.cpp): how many songs, and song `index`
// composed and rendered (one at a time, so only one piece is in memory).
int MusicSongCount();
MusicTrack MusicCompose(int index);
// Two short tracks (2 and 3) for the end-to-end music test: a few seconds each, track 2 peaking
// at 0.5 and track 3 at 0.25 so the test can tell them apart in the output.
std::vector<MusicTrack> MusicComposeTest();
