// Wave mixer: five sound effects mixed in software into a double-buffered output stream, with
// positional loudness and left/right balance that follow the listener (the camera). The stream is
// 11025 Hz 8-bit unless `mixrate` and `mixbits` ask for more; then each effect is resampled from
// its own rate and the volume is applied before the output is rounded. A thread of the mixer's own
// refills whichever output block the device has played, every `period` ms. The main thread starts
// and moves sounds; the voice table is shared under one re-entrant lock.
#pragma once

#include "core/settings.h"
#include "audio/waveread.h"
#include "foundation/vec.h"

#include <cstdint>

// Sample numbers, the first argument of the play calls.
enum WaveSound : int32_t {
    SND_SHOOT3 = 0,
    SND_SHOOT = 1,
    SND_EXPLODE = 2,
    SND_PICKUP = 3,
    SND_MENU = 4,
};
constexpr int32_t WAVE_SAMPLES = 5;
constexpr int32_t WAVE_VOICES = 8;
constexpr int32_t WAVE_RATE = 11025;        // the effects' own rate and the default output rate
constexpr int32_t WAVE_MAX_MIXAHEAD = 2048; // in frames at WAVE_RATE
constexpr int32_t WAVE_MAX_MIXRATE = 48000;
// The largest block in output frames: WAVE_MAX_MIXAHEAD at the highest rate.
constexpr int32_t WAVE_MAX_BLOCK =
    int32_t(int64_t{WAVE_MAX_MIXAHEAD} * WAVE_MAX_MIXRATE / WAVE_RATE) + 1;

// One playing sound.
struct Voice {
    const Sample* sample;
    uint32_t position; // next frame to mix
    uint32_t fraction; // and how far past it, in 1/65536 frame (resampled output only)
    uint8_t volume;    // effective level 0-255: mono level and stealing priority
    int32_t left;      // stereo levels 0-255
    int32_t right;
    int32_t positional; // 1 for WavePlayAt voices
    Vec3 source;
    float invRangeSq;
    uint32_t id; // never 0
    uint8_t baseVolume;
};

extern int32_t voiceChannels;    // "channels" 1..8; 0 = audio off (no device)
extern int32_t adaptiveBuffer;   // "abuffer"
extern int32_t criticalThread;   // "cthread"
extern int32_t positionalSound;  // "psound"
extern int32_t stereoOutput;     // "stereo"
extern int32_t mixAhead;         // "mixahead" frames per block, 300..2048
extern int32_t priorityBoost;    // "boost"
extern uint32_t timerResolution; // "timerres" ms
extern uint32_t timerPeriod;     // "period" ms
extern int32_t mixRate;          // "mixrate" output frames per second
extern int32_t mixBits;          // "mixbits" 8 or 16

// Where positional sounds are heard from: the listener's position and heading (yaw in degrees, 0
// facing -z), asked on the main thread at every positional play and update. The client installs
// the camera's pose, which belongs to the renderer; without a listener it stands at the origin
// facing -z.
using WaveListener = void (*)(Vec3* pos, float* yaw);
void WaveSetListener(WaveListener listener);

// Client start-up, after the models: reads the settings, loads the five samples (exit 1 on a bad
// file), opens the device and starts the mixing thread. Audio stays off when no device opens.
void WaveInit();
// Starts a sample (a WaveSound) at volume 0-255 in both channels. Returns the voice id, or 0 when
// audio is off, the sample number is unknown, or the table is full and the sound too quiet.
uint32_t WavePlay(int32_t sample, int32_t volume);
// Starts a sample at a world position: silent at squared distance rangeSq from the listener, louder
// on the side it lies. Plays as WavePlay when positional sound is off. Returns the id or 0.
uint32_t WavePlayAt(int32_t sample, int32_t volume, const Vec3* position, float rangeSq);
// Refreshes a positional voice's loudness and balance (position may be null: keep the last one).
// Returns id while that voice still plays, else 0.
uint32_t WaveUpdateAt(uint32_t id, const Vec3* position);
// The effects volume, 0 to 65535 (vantor.ini "volume"): heard from the next mixed block on.
void WaveSetVolume(int32_t volume);
int32_t WaveVolume();
// Shutdown: stops and joins the mixing thread, closes the device, logs the timing statistics.
void WaveUnInit();

// Tests and the benchmark only: the module's internal pieces.
// Opens the output device, stereo then mono, and sets the output gain; WaveInit calls it.
void WaveOutInit();

// One tick of the mixing thread: statistics, adaptive block length, refill of played blocks.
void WaveMixTick();
// Removes the voice in slot, moving later voices down one slot.
void VoiceRemove(int32_t slot);
// Number of voices in use and a copy of one slot (under the lock).
int32_t WaveVoiceCount();
Voice WaveVoiceGet(int32_t slot);

// What the mixer copies of one voice for one block.
struct WaveMixVoice {
    const int8_t* data;
    uint32_t length;
    uint32_t position;
    int32_t left; // the mono level in mono
    int32_t right;
    uint32_t fraction = 0;   // WaveMixWide: 1/65536 frames past position
    uint32_t step = 0x10000; // WaveMixWide: sample frames per output frame, in 1/65536
};
// Mixes count voices (count <= channels) into frames output frames (bytes, or left/right byte
// pairs in stereo) for a mixer of `channels` voices: each voice adds level * s / (channels * 255)
// plus 128 / channels, idle slots add the bias alone, all additions wrap at 256.
void WaveMixVoices(uint8_t* out, int32_t frames, bool stereo, int32_t channels,
                   const WaveMixVoice* mix, int32_t count);
// The mix of any other rate or depth: each voice read at its step with linear interpolation,
// scaled by its levels and by volume (0-65535) in a float sum, then rounded and clipped once into
// bits 16 (signed, native order) or 8 (unsigned) samples. A voice at full level and volume peaks
// at full scale / channels, as in WaveMixVoices. frames <= WAVE_MAX_BLOCK.
void WaveMixWide(void* out, int32_t frames, int32_t bits, bool stereo, int32_t channels,
                 uint32_t volume, const WaveMixVoice* mix, int32_t count);

// vantor.ini channels, abuffer, cthread, psound, sfx, stereo, volume, mixahead, boost, timerres,
// period, mixrate and mixbits.
extern const SettingTable waveSettings;
