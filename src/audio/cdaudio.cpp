// CD audio over numbered music files: the track table, the decoder-fed output device, the play
// order with its wrap and skips, and the worker thread.
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
};

} // namespace

const SettingTable cdAudioSettings = SettingTableOf("music", CDAUDIOSETTINGS_ROWS);

namespace {

constexpr std::array<const char*, 5> CD_EXTENSIONS = {"ogg", "opus", "mp3", "flac", "wav"};
constexpr uint32_t CD_SEMAPHORE_MAX = 99;
constexpr Uint32 CD_WAKE_MS = 100;
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

void CDTrackPath(char* out, size_t size, int32_t track, int32_t ext) {
    std::snprintf(out, size, "music/track%02d.%s", static_cast<int>(track), CD_EXTENSIONS[ext]);
}

// SDL's audio thread: decodes straight into the device buffer. The track counts as finished one
// buffer after the decoder ran dry, so its tail has been handed to the device.
void CDAudioFeed(void*, Uint8* stream, int len) {
    auto* out = reinterpret_cast<float*>(stream);
    sf_count_t frames = len / static_cast<int>(sizeof(float) * cdChannels);
    sf_count_t got = 0;
    if (!cdEndOfFile.load()) got = sf_readf_float(cdFile, out, frames);
    float gain = cdGain.load();
    for (sf_count_t i = 0; i < got * cdChannels; ++i)
        out[i] *= gain;
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

void CDAudioThread() {
    // The thread inherits the process's scheduling, which is the "normal" priority here.
    CDOpen();
    CDChooseFirstTrack();
    while (cdSemaphore != nullptr && cdRunning.load()) {
        SDL_SemWaitTimeout(cdSemaphore, CD_WAKE_MS);
        if (cdRunning.load() && !CDIsPlaying()) {
            if (CDPlayNext() != CD_OK) break;
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
    uint8_t start = cdStart.load();
    uint8_t end = cdEnd.load();
    if (start > end) // only before the first-track choice; keeps the loop below finite
        start = end;
    uint8_t from = std::max(start, cdTrack.load());
    uint8_t s = from >= end ? end : from;
    uint8_t t = s;
    for (;;) {
        t = static_cast<uint8_t>(t + 1);
        if (t > end) t = start;
        cdTrack.store(t);
        uint32_t error = cdPlayTrack(cdSynchronous ? 1 : 0, t);
        if (error == CD_OK) return CD_OK;
        if (t == s) return error;
    }
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

void CDAudioNotify(uint32_t, int32_t) {
    if (cdSemaphore != nullptr)
        CDPostSemaphore();
    else if (cdSynchronous)
        CDPlayNext();
}

bool CDAudioWorkerRunning() {
    return cdWorkerAlive.load();
}

void CDAudioInit() {
    int32_t volume = SettingReadInt(cdAudioSettings, "cdvolume");
    cdStart.store(static_cast<uint8_t>(SettingReadInt(cdAudioSettings, "cdstart")));
    cdEnd.store(static_cast<uint8_t>(SettingReadInt(cdAudioSettings, "cdend")));
    cdRandom = SettingReadInt(cdAudioSettings, "random");
    int32_t playcd = SettingReadInt(cdAudioSettings, "playcd");
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
    if (cdMusicOn && (cdSynchronous || CDAudioWorkerRunning())) CDPlayNext();
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
