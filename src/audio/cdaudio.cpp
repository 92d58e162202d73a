// CD audio over numbered music files: the track table, the decoder-fed output device, the play
// order with its wrap and skips, the worker thread and the pieces that follow the game's mood.
#include "audio/cdaudio.h"

#include "core/ini.h"
#include "core/log.h"
#include "core/settings.h"
#include "foundation/mem.h"

#include <SDL.h>
#include <sndfile.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <system_error>
#include <thread>
#include <sys/stat.h>

std::atomic<uint8_t> cdStart{1};
std::atomic<uint8_t> cdEnd{99};
std::atomic<uint8_t> cdTrack{0};
int32_t cdRandom = 1;
std::atomic<int32_t> cdRunning{1};
uint32_t cdNotifyEvent = 0;

namespace {

const Setting CDAUDIOSETTINGS_ROWS[] = {
    {"cdvolume", SETTING_INT, 20000, nullptr, 0, 65535, SETTING_PLAYER,
     [] { return double(CDAudioVolume()); }, [](double v) { CDAudioSetGain(int32_t(v)); }},
    {"cdstart", SETTING_INT, 1, nullptr, 1, 99, 0, nullptr, nullptr},
    {"cdend", SETTING_INT, 99, nullptr, 1, 99, 0, nullptr, nullptr},
    {"random", SETTING_INT, 1, nullptr, 0, 1, SETTING_PLAYER, nullptr, nullptr},
    {"playcd", SETTING_INT, 0, nullptr, 0, 1, SETTING_PLAYER,
     [] { return CDAudioPlaying() ? 1.0 : 0.0; }, [](double v) { CDAudioSetPlaying(v != 0.0); }},
    {"musicfollow", SETTING_INT, 0, nullptr, 0, 1, 0, nullptr, nullptr},
    {"titletrack", SETTING_INT, 2, nullptr, 0, CD_MAX_TRACKS, 0, nullptr, nullptr},
    {"darktrack", SETTING_INT, 6, nullptr, 0, CD_MAX_TRACKS, 0, nullptr, nullptr},
};

} // namespace

const SettingTable cdAudioSettings = SettingTableOf("music", CDAUDIOSETTINGS_ROWS);

namespace {

constexpr std::array<const char*, 5> CD_EXTENSIONS = {"ogg", "opus", "mp3", "flac", "wav"};
constexpr uint32_t CD_SEMAPHORE_MAX = 99;
constexpr Uint32 CD_WAKE_MS = 100;
constexpr Uint32 CD_FADE_WAKE_MS = 20; // while a piece fades: the next starts this soon after
constexpr Uint16 CD_DEVICE_FRAMES = 1024;
constexpr int CD_MAX_CHANNELS = 8;

SDL_sem* cdSemaphore = nullptr;
std::thread cdThread;
std::atomic<bool> cdWorkerAlive{false};
bool cdAudioSubsystem = false;
bool cdSynchronous = false;
int32_t cdRandomDraw = 0; // RandomRange(0, 32767) taken on the main thread at start-up

// The "drive". cdDeviceLock covers the table and the stream against the worker and the main
// thread; SDL's audio thread reads the stream only between open and close of cdOutput.
std::mutex cdDeviceLock;
bool cdOpened = false;
std::array<int8_t, CD_MAX_TRACKS + 1> cdTrackExt{}; // extension index per track, -1 none
int32_t cdTrackTotal = 0;
SDL_AudioDeviceID cdOutput = 0;
SNDFILE* cdFile = nullptr;
int cdChannels = 0;
bool cdWantNotify = false;
std::atomic<bool> cdEndOfFile{false};
std::atomic<bool> cdFinished{false};
std::atomic<float> cdGain{20000.0f / 65535.0f};
int32_t cdVolume = 20000; // what cdGain was made from
bool cdMusicOn = false;   // started and not stopped (playcd, or the options)

// Following the mood (musicfollow): the settings, read at start-up, and what the main thread asks.
int32_t cdFollow = 0;
int32_t cdTitleTrack = 2; // 0: none, the title plays the range in turn
int32_t cdDarkTrack = 6;
std::atomic<int32_t> cdMood{CD_MOOD_NONE};
std::atomic<bool> cdSkipAsked{false};
// The worker's own.
int32_t cdPlayingMood = CD_MOOD_NONE; // the mood the playing track was started for
uint8_t cdCycle = 0;                  // the play track last started: the turn goes on after it
bool cdFading = false;
// The fade: asked by the worker, done by SDL's audio thread, which alone touches the frame
// counts while the device is open.
std::atomic<bool> cdFadeAsked{false};
std::atomic<bool> cdFadedOut{false};
sf_count_t cdFadeTotal = 1;
sf_count_t cdFadeLeft = 1;
std::atomic<float> cdFadeShown{1.0f}; // cdFadeLeft / cdFadeTotal after the last feed, for tests

void CDTrackPath(char* out, size_t size, int32_t track, int32_t ext) {
    std::snprintf(out, size, "music/track%02d.%s", static_cast<int>(track), CD_EXTENSIONS[ext]);
}

// SDL's audio thread: decodes straight into the device buffer. The track counts as finished one
// buffer after the decoder ran dry, so its tail has been handed to the device.
void CDAudioFeed(void*, Uint8* stream, int len) {
    auto* out = reinterpret_cast<float*>(stream);
    sf_count_t frames = len / static_cast<int>(sizeof(float) * cdChannels);
    if (cdFadedOut.load()) { // silence until the worker starts the next piece
        std::memset(out, 0, static_cast<size_t>(len));
        return;
    }
    sf_count_t got = 0;
    if (!cdEndOfFile.load()) got = sf_readf_float(cdFile, out, frames);
    float gain = cdGain.load();
    if (cdFadeAsked.load()) {
        for (sf_count_t f = 0; f < got; ++f) {
            const float g = gain * static_cast<float>(cdFadeLeft) / static_cast<float>(cdFadeTotal);
            if (cdFadeLeft > 0) --cdFadeLeft;
            for (int c = 0; c < cdChannels; ++c)
                out[f * cdChannels + c] *= g;
        }
        cdFadeShown.store(static_cast<float>(cdFadeLeft) / static_cast<float>(cdFadeTotal));
        if (cdFadeLeft == 0) cdFadedOut.store(true);
    } else {
        for (sf_count_t i = 0; i < got * cdChannels; ++i)
            out[i] *= gain;
    }
    std::memset(out + got * cdChannels, 0,
                static_cast<size_t>((frames - got) * cdChannels) * sizeof(float));
    if (got == frames) return;
    if (!cdEndOfFile.exchange(true) && got > 0) return;
    if (!cdFinished.exchange(true) && cdWantNotify && cdNotifyEvent != 0) {
        SDL_Event event{};
        event.type = cdNotifyEvent;
        SDL_PushEvent(&event);
    }
}

void CDStopLocked() {
    if (cdOutput != 0) {
        SDL_CloseAudioDevice(cdOutput); // joins SDL's audio thread: no feed runs after this
        cdOutput = 0;
    }
    if (cdFile != nullptr) {
        sf_close(cdFile);
        cdFile = nullptr;
    }
}

// A header that opens is not yet a track that decodes: read one frame before committing.
SNDFILE* CDOpenDecoder(const char* path, SF_INFO* info) {
    *info = {};
    SNDFILE* file = sf_open(path, SFM_READ, info);
    if (file == nullptr) return nullptr;
    float probe[CD_MAX_CHANNELS];
    bool usable = info->channels >= 1 && info->channels <= CD_MAX_CHANNELS &&
                  info->samplerate > 0 && sf_readf_float(file, probe, 1) == 1 &&
                  sf_seek(file, 0, SEEK_SET) == 0;
    if (!usable) {
        sf_close(file);
        return nullptr;
    }
    return file;
}

bool CDThreadStartDefault();

// The first track after `from` within the range that plays, wrapping to cdStart, the tracks skipA
// and skipB left out; the last error when none does.
uint32_t CDPlayAfter(uint8_t from, int32_t skipA, int32_t skipB) {
    uint8_t start = cdStart.load();
    uint8_t end = cdEnd.load();
    if (start > end) // only before the first-track choice; keeps the loop below finite
        start = end;
    uint8_t f = std::max(start, from);
    uint8_t s = f >= end ? end : f;
    uint8_t t = s;
    uint32_t error = CD_ERROR_NO_TRACK;
    for (;;) {
        t = static_cast<uint8_t>(t + 1);
        if (t > end) t = start;
        if (t != skipA && t != skipB) {
            cdTrack.store(t);
            error = cdPlayTrack(cdSynchronous ? 1 : 0, t);
            if (error == CD_OK) return CD_OK;
        }
        if (t == s) return error;
    }
}

// The next play track in turn; a range of nothing but the two pieces plays them in turn too.
uint32_t CDPlayCycle() {
    uint32_t error = CDPlayAfter(cdCycle, cdTitleTrack, cdDarkTrack);
    if (error != CD_OK) error = CDPlayAfter(cdCycle, -1, -1);
    if (error == CD_OK) cdCycle = cdTrack.load();
    return error;
}

// The mood's own piece, or the next play track when it has none or it cannot play.
uint32_t CDPlayMood(int32_t mood) {
    cdPlayingMood = mood;
    const int32_t piece = mood == CD_MOOD_TITLE  ? cdTitleTrack
                          : mood == CD_MOOD_DARK ? cdDarkTrack
                                                 : 0;
    if (piece != 0) {
        cdTrack.store(static_cast<uint8_t>(piece));
        if (cdPlayTrack(0, static_cast<uint8_t>(piece)) == CD_OK) return CD_OK;
    }
    return CDPlayCycle();
}

// One look of the worker at the mood: a change fades the piece out, a piece that has faded or
// ended is followed by the mood's. False when nothing can play.
bool CDFollowMood() {
    const int32_t wanted = cdMood.load();
    if (cdSkipAsked.exchange(false)) {
        cdFading = false;
        return CDPlayCycle() == CD_OK;
    }
    const bool playing = CDIsPlaying();
    if (playing && !cdFading) {
        if (wanted != CD_MOOD_NONE && wanted != cdPlayingMood) {
            cdFadeAsked.store(true);
            cdFading = true;
        }
        return true;
    }
    if (playing && !cdFadedOut.load()) return true;
    if (wanted == CD_MOOD_NONE) return true; // the game has not said yet
    cdFading = false;
    return CDPlayMood(wanted) == CD_OK;
}

void CDAudioThread() {
    // The thread inherits the process's scheduling, which is the "normal" priority here.
    CDOpen();
    CDChooseFirstTrack();
    cdCycle = cdTrack.load();
    cdPlayingMood = CD_MOOD_NONE;
    cdFading = false;
    while (cdSemaphore != nullptr && cdRunning.load()) {
        SDL_SemWaitTimeout(cdSemaphore, cdFading ? CD_FADE_WAKE_MS : CD_WAKE_MS);
        if (!cdRunning.load()) break;
        if (cdFollow) {
            if (!CDFollowMood()) break;
        } else if (!CDIsPlaying() && CDPlayNext() != CD_OK) {
            break;
        }
    }
    CDStopClose();
    cdWorkerAlive.store(false);
}

bool CDThreadStartDefault() {
    try {
        cdWorkerAlive.store(true);
        cdThread = std::thread(CDAudioThread);
        return true;
    } catch (const std::system_error&) {
        cdWorkerAlive.store(false);
        return false;
    }
}

// A piece's track number, 0 (none) to 99; anything else is logged and the default kept.
int32_t CDReadPiece(const char* key) {
    const int32_t track = SettingReadInt(cdAudioSettings, key);
    if (track >= 0 && track <= CD_MAX_TRACKS) return track;
    const int32_t fallback = SettingDefaultInt(cdAudioSettings, key);
    Log(LOG_ERROR, "CDAudioInit: %s %ld is not a track from 0 to %ld, using %ld\n", key,
        static_cast<long>(track), static_cast<long>(CD_MAX_TRACKS), static_cast<long>(fallback));
    return fallback;
}

void CDPostSemaphore() {
    if (cdSemaphore != nullptr && SDL_SemValue(cdSemaphore) < CD_SEMAPHORE_MAX)
        SDL_SemPost(cdSemaphore);
}

} // namespace

CDPlayTrackFn cdPlayTrack = CDPlayTrack;
bool (*cdThreadStart)() = CDThreadStartDefault;

uint32_t CDOpen() {
    std::lock_guard<std::mutex> lock(cdDeviceLock);
    CDStopLocked();
    cdTrackExt.fill(-1);
    cdTrackTotal = 0;
    char path[64];
    for (int32_t track = 1; track <= CD_MAX_TRACKS; ++track) {
        for (int32_t ext = 0; ext < static_cast<int32_t>(CD_EXTENSIONS.size()); ++ext) {
            CDTrackPath(path, sizeof(path), track, ext);
            struct stat st {};
            if (stat(path, &st) == 0 && S_ISREG(st.st_mode)) {
                cdTrackExt[track] = static_cast<int8_t>(ext);
                cdTrackTotal = track;
                break;
            }
        }
    }
    cdOpened = true;
    return CD_OK;
}

void CDStopClose() {
    std::lock_guard<std::mutex> lock(cdDeviceLock);
    CDStopLocked();
    cdOpened = false;
}

int32_t CDTrackCount() {
    std::lock_guard<std::mutex> lock(cdDeviceLock);
    return cdOpened ? cdTrackTotal : 0;
}

bool CDIsPlaying() {
    std::lock_guard<std::mutex> lock(cdDeviceLock);
    return cdOutput != 0 && !cdFinished.load();
}

uint32_t CDPlayTrack(uint32_t callback, uint8_t track) {
    std::lock_guard<std::mutex> lock(cdDeviceLock);
    if (!cdOpened) return CD_ERROR_NOT_OPEN;
    CDStopLocked();
    if (track < 1 || track > CD_MAX_TRACKS || cdTrackExt[track] < 0) return CD_ERROR_NO_TRACK;
    char path[64];
    CDTrackPath(path, sizeof(path), track, cdTrackExt[track]);
    SF_INFO info;
    SNDFILE* file = CDOpenDecoder(path, &info);
    if (file == nullptr) return CD_ERROR_DECODE;

    cdFile = file;
    cdChannels = info.channels;
    cdWantNotify = callback != 0;
    cdEndOfFile.store(false);
    cdFinished.store(false);
    cdFadeAsked.store(false);
    cdFadedOut.store(false);
    cdFadeTotal = std::max<sf_count_t>(
        1, static_cast<sf_count_t>(CD_FADE_SECONDS * static_cast<float>(info.samplerate)));
    cdFadeLeft = cdFadeTotal;
    cdFadeShown.store(1.0f);
    SDL_AudioSpec want{};
    want.freq = info.samplerate;
    want.format = AUDIO_F32SYS;
    want.channels = static_cast<Uint8>(info.channels);
    want.samples = CD_DEVICE_FRAMES;
    want.callback = CDAudioFeed;
    SDL_AudioSpec have{};
    cdOutput = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (cdOutput == 0) {
        sf_close(cdFile);
        cdFile = nullptr;
        return CD_ERROR_NO_OUTPUT;
    }
    SDL_PauseAudioDevice(cdOutput, 0);
    return CD_OK;
}

uint32_t CDPlayNext() {
    return CDPlayAfter(cdTrack.load(), -1, -1);
}

void CDChooseFirstTrack() {
    uint8_t end = static_cast<uint8_t>(std::min<int32_t>(cdEnd.load(), CDTrackCount()));
    uint8_t start = std::min(cdStart.load(), end);
    int32_t r = start;
    if (cdRandom) {
        // RandomRange(start, end), from the value drawn on the main thread at start-up: the
        // generator is not shared with this thread.
        int32_t hi = std::max<int32_t>(end, start + 1);
        r = start + cdRandomDraw % (hi - start + 1);
    }
    cdEnd.store(end);
    cdStart.store(start);
    cdTrack.store(static_cast<uint8_t>(std::min<int32_t>(r, end)));
}

void CDAudioSetGain(int32_t volume) {
    const uint32_t v = static_cast<uint32_t>(volume) & 0xFFFFu;
    cdVolume = static_cast<int32_t>(v);
    cdGain.store(static_cast<float>(v) / 65535.0f);
}

int32_t CDAudioVolume() {
    return cdVolume;
}

void CDAudioSetVolume(int32_t volume) {
    CDAudioSetGain(volume);
    // No per-device volume to find: the music output exists when a device can be opened.
    SDL_AudioSpec want{};
    want.freq = 44100;
    want.format = AUDIO_F32SYS;
    want.channels = 2;
    want.samples = CD_DEVICE_FRAMES;
    SDL_AudioDeviceID probe =
        cdAudioSubsystem ? SDL_OpenAudioDevice(nullptr, 0, &want, nullptr, 0) : 0;
    if (probe == 0) {
        Log(LOG_BOOT, "CDAudioSetVolume: Unable to locate audio CD!\n");
        return;
    }
    SDL_CloseAudioDevice(probe);
}

void CDAudioSetMood(int32_t mood) {
    if (mood < CD_MOOD_NONE || mood > CD_MOOD_DARK) mood = CD_MOOD_NONE;
    if (cdMood.exchange(mood) != mood) CDPostSemaphore();
}

void CDAudioNotify(uint32_t, int32_t) {
    if (cdSemaphore != nullptr)
        CDPostSemaphore();
    else if (cdSynchronous)
        CDPlayNext();
}

bool CDAudioWorkerRunning() {
    return cdWorkerAlive.load();
}

float CDAudioFade() {
    return cdFadeShown.load();
}

void CDAudioInit() {
    int32_t volume = SettingReadInt(cdAudioSettings, "cdvolume");
    cdStart.store(static_cast<uint8_t>(SettingReadInt(cdAudioSettings, "cdstart")));
    cdEnd.store(static_cast<uint8_t>(SettingReadInt(cdAudioSettings, "cdend")));
    cdRandom = SettingReadInt(cdAudioSettings, "random");
    int32_t playcd = SettingReadInt(cdAudioSettings, "playcd");
    cdFollow = SettingReadInt(cdAudioSettings, "musicfollow");
    cdTitleTrack = CDReadPiece("titletrack");
    cdDarkTrack = CDReadPiece("darktrack");
    CDAudioSetGain(volume); // the options show it, whether or not the music plays
    if (playcd == 0) {
        Log(LOG_BOOT, "CDAudioInit: playcd setting is 0, cdaudio halted\n");
        return;
    }
    if (cdRandom) cdRandomDraw = RandomRange(0, 32767);
    CDAudioStart(volume);
}

void CDAudioStart(int32_t volume) {
    Log(LOG_BOOT, "CDAudioInit: starting cdaudio\n");
    cdMusicOn = true;
    cdSkipAsked.store(false);
    cdRunning.store(1);
    cdSynchronous = false;
    if (!cdAudioSubsystem) cdAudioSubsystem = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
    if (cdNotifyEvent == 0) {
        Uint32 type = SDL_RegisterEvents(1);
        cdNotifyEvent = type == static_cast<Uint32>(-1) ? 0 : type;
    }
    CDAudioSetVolume(volume);

    cdSemaphore = SDL_CreateSemaphore(0);
    bool threaded = false;
    if (cdSemaphore == nullptr)
        Log(LOG_BOOT, "CDAudioInit: CreateSemaphore failed, falling back to synchronous mode\n");
    else
        threaded = cdThreadStart();
    if (threaded) {
        Log(LOG_BOOT, "CDAudioInit: asynchronous track changes enabled\n");
        CDPostSemaphore();
        return;
    }
    Log(LOG_BOOT, "CDAudioInit: CreateThread failed, falling back to synchronous mode\n");
    if (cdSemaphore != nullptr) SDL_DestroySemaphore(cdSemaphore);
    cdSemaphore = nullptr;
    // Each track asks for the finished notification, so the whole range plays in turn.
    cdSynchronous = true;
    CDOpen();
    CDChooseFirstTrack();
    CDPlayNext();
}

void CDAudioSetPlaying(bool on) {
    if (on == cdMusicOn) return;
    if (on) {
        CDAudioStart(cdVolume);
        return;
    }
    cdMusicOn = false;
    cdRunning.store(0);
    if (cdSemaphore != nullptr) {
        CDPostSemaphore();
        if (cdThread.joinable()) cdThread.join(); // the worker stops its track as it leaves
        SDL_DestroySemaphore(cdSemaphore);
        cdSemaphore = nullptr;
    } else {
        CDStopClose();
    }
    cdSynchronous = false;
}

bool CDAudioPlaying() {
    return cdMusicOn;
}

void CDAudioSkip() {
    if (!cdMusicOn) return;
    if (cdFollow && CDAudioWorkerRunning()) {
        // The worker owns the mood's state: it plays the next play track until the mood changes.
        cdSkipAsked.store(true);
        CDPostSemaphore();
    } else if (cdSynchronous || CDAudioWorkerRunning()) {
        CDPlayNext();
    }
}

void CDAudioUnInit() {
    cdRunning.store(0);
    if (cdSemaphore != nullptr) {
        CDPostSemaphore();
        SDL_Delay(0);
        // Waiting keeps the worker's own stop and close from interleaving with the one below.
        if (cdThread.joinable()) cdThread.join();
        SDL_DestroySemaphore(cdSemaphore);
    } else if (SettingReadInt(cdAudioSettings, "playcd") != 0 || cdMusicOn) {
        CDStopClose();
    }
    cdMusicOn = false;
    if (cdThread.joinable()) cdThread.join();
    cdSemaphore = nullptr;
    cdSynchronous = false;
    CDOpen();
    CDStopClose();
    if (cdAudioSubsystem) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        cdAudioSubsystem = false;
    }
}
