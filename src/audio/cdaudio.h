// CD audio: background music played as a range of numbered tracks, one after another, wrapping
// around. The tracks are the files music/track01 .. music/track99 (.ogg, .opus, .mp3, .flac or
// .wav, the first found in that order), decoded with libsndfile onto an audio device of their own.
// A worker thread starts the next track when one ends; without a worker ("synchronous mode") each
// track-finished notification, delivered through the main loop's event pump, starts the next.
// With `musicfollow` the worker plays what the game's mood asks for instead: the title piece, the
// range's other tracks in turn during play, the dark piece on dark levels, fading one out before
// the next starts.
#pragma once

#include "core/settings.h"
#include <atomic>
#include <cstdint>

constexpr uint32_t CD_OK = 0;
constexpr uint32_t CD_ERROR_NOT_OPEN = 1;  // CDOpen has not run
constexpr uint32_t CD_ERROR_NO_TRACK = 2;  // no file for that track number
constexpr uint32_t CD_ERROR_DECODE = 3;    // the file cannot be opened or decoded
constexpr uint32_t CD_ERROR_NO_OUTPUT = 4; // no audio device takes the track's format
constexpr int32_t CD_MAX_TRACKS = 99;
constexpr float CD_FADE_SECONDS = 0.75f; // a piece fades out over this when the mood changes

// What the game wants to hear, told by the layer above (CDAudioSetMood).
enum CDMood : int32_t {
    CD_MOOD_NONE = 0, // nothing asked yet: with musicfollow the worker waits
    CD_MOOD_TITLE,    // the title menu and the attract mode: `titletrack`
    CD_MOOD_PLAY,     // a game: the range in turn, the title and dark pieces left out
    CD_MOOD_DARK,     // a dark level: `darktrack`
};

extern std::atomic<uint8_t> cdStart; // first track of the range
extern std::atomic<uint8_t> cdEnd;   // last track of the range
extern std::atomic<uint8_t> cdTrack; // the track last started (before that: the one to follow)
extern int32_t cdRandom;             // "random": first track chosen at random
extern std::atomic<int32_t> cdRunning;
// The SDL user-event type that carries the track-finished notification; 0 until CDAudioInit
// registers it. The frame loop's pump hands such events to CDAudioNotify.
extern uint32_t cdNotifyEvent;

// How CDPlayNext starts a track: callback non-zero asks for the track-finished notification.
// Returns CD_OK or an error. Tests may wrap it to watch the order of tracks.
using CDPlayTrackFn = uint32_t (*)(uint32_t callback, uint8_t track);
extern CDPlayTrackFn cdPlayTrack;
// How CDAudioInit starts the worker; true when it runs. Tests may replace it to force
// synchronous mode.
extern bool (*cdThreadStart)();

// Client start-up, after the wave mixer. Reads cdvolume, cdstart, cdend, random, playcd; with
// playcd non-zero starts the worker (or synchronous mode when it cannot).
void CDAudioInit();
// Shutdown: stops the worker and waits for it, then stops the music whatever state it was in.
void CDAudioUnInit();
// Sets the music gain from the low 16 bits of volume (65535 = as decoded); logs "Unable to locate
// audio CD!" when no music output can be opened.
void CDAudioSetVolume(int32_t volume);
// The music gain alone (the options' slider), and the volume it was made from.
void CDAudioSetGain(int32_t volume);
int32_t CDAudioVolume();
// Music on or off while the program runs (vantor.ini "playcd" at start-up): on starts the range as
// CDAudioInit does, off stops the worker and what plays.
void CDAudioSetPlaying(bool on);
bool CDAudioPlaying();
// The next track of the range at once, while music plays.
void CDAudioSkip();
// CDAudioInit's start of the music at this volume, once playcd asked for it.
void CDAudioStart(int32_t volume);
// Track-finished notification from the event pump: wakes the worker, or in synchronous mode
// starts the next track. Arguments are not used.
void CDAudioNotify(uint32_t code, int32_t data);
// The mood now (a CDMood), from the main thread as often as every frame: a change wakes the
// worker, which fades the piece out and starts the mood's own. Heard only with musicfollow 1 and a
// worker; otherwise the range plays in turn whatever the mood.
void CDAudioSetMood(int32_t mood);

// Tests only: the worker's state, and the "drive" that the worker and CDAudioInit otherwise use
// alone.
// True while the worker thread is alive.
bool CDAudioWorkerRunning();
// The playing piece's fade: 1 while it plays as decoded, falling to 0 as it fades out.
float CDAudioFade();
// The drive's track table is the music/ directory of the working directory.
// Scans music/ for tracks; always CD_OK (no tracks means a track count of 0).
uint32_t CDOpen();
// Stops any track and forgets the scan.
void CDStopClose();
// Highest track number with a file, 0 when none or not open.
int32_t CDTrackCount();
// True while a started track still has sound to play.
bool CDIsPlaying();
// Stops what plays and starts track (1-99) from its beginning. CD_OK or an error.
uint32_t CDPlayTrack(uint32_t callback, uint8_t track);
// Starts the track after cdTrack within the range, wrapping to cdStart and skipping tracks that
// cannot play; the last error when none of the range plays.
uint32_t CDPlayNext();
// Lowers cdEnd to the track count and cdStart to cdEnd, then sets cdTrack to the track after
// which playing begins (random within the range when cdRandom is set).
void CDChooseFirstTrack();

// vantor.ini cdvolume, cdstart, cdend, random, playcd, musicfollow, titletrack and darktrack.
extern const SettingTable cdAudioSettings;
