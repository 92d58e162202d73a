// Wave mixer: voice table, positional levels, the mixing thread and the SDL output device.
#include "audio/wave.h"

#include "core/fatal.h"
#include "core/clock.h"
#include "core/ini.h"
#include "core/log.h"
#include "core/settings.h"

#include <SDL.h>
#include <pthread.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>

int32_t voiceChannels = 0;
int32_t adaptiveBuffer = 1;
int32_t criticalThread = 1;
int32_t positionalSound = 1;
int32_t stereoOutput = 1;
int32_t mixAhead = 1500;
int32_t priorityBoost = 50;
uint32_t timerResolution = 10;
uint32_t timerPeriod = 35;
int32_t mixRate = WAVE_RATE;
int32_t mixBits = 8;

namespace {

const Setting WAVESETTINGS_ROWS[] = {
    {"channels", SETTING_INT, 4, nullptr, 1, WAVE_VOICES, 0, nullptr, nullptr},
    {"abuffer", SETTING_INT, 1, nullptr, 0, 1, 0, nullptr, nullptr},
    {"cthread", SETTING_INT, 1, nullptr, 0, 1, 0, nullptr, nullptr},
    {"psound", SETTING_INT, 1, nullptr, 0, 1, SETTING_PLAYER, nullptr, nullptr},
    {"sfx", SETTING_INT, 1, nullptr, 0, 1, SETTING_PLAYER, nullptr, nullptr},
    {"stereo", SETTING_INT, 1, nullptr, 0, 1, 0, nullptr, nullptr},
    {"volume", SETTING_INT, 52000, nullptr, 0, 65535, SETTING_PLAYER,
     [] { return double(WaveVolume()); }, [](double v) { WaveSetVolume(int32_t(v)); }},
    {"mixahead", SETTING_INT, 1500, nullptr, 1, 1000000, 0, nullptr, nullptr},
    {"boost", SETTING_INT, 50, nullptr, 0, 100, 0, nullptr, nullptr},
    {"timerres", SETTING_INT, 10, nullptr, 0, 20, 0, nullptr, nullptr},
    {"period", SETTING_INT, 35, nullptr, 1, 50, 0, nullptr, nullptr},
    {"mixrate", SETTING_INT, WAVE_RATE, nullptr, 8000, WAVE_MAX_MIXRATE, 0, nullptr, nullptr},
    {"mixbits", SETTING_INT, 8, nullptr, 8, 16, 0, nullptr, nullptr},
};

} // namespace

const SettingTable waveSettings = SettingTableOf("wave", WAVESETTINGS_ROWS);

namespace {

constexpr std::array<const char*, WAVE_SAMPLES> WAVE_FILES = {
    "sound/shoot3.wav", "sound/shoot.wav", "sound/explode.wav",
    "sound/pickup.wav", "sound/menu.wav",
};
constexpr int32_t WAVE_MIN_MIXAHEAD = 300;
constexpr uint8_t WAVE_SILENCE = 128;
constexpr uint32_t WAVE_FULL_VOLUME = 65535;
constexpr Uint16 WAVE_DEVICE_FRAMES = 512; // SDL's pull size at 11025 Hz: how finely "done" is seen

struct WaveBlock {
    uint8_t* buffer;      // allocated once, kept for the whole run
    uint32_t bufferSize;  // the largest block: 4096 bytes stereo, 2048 mono at 11025 Hz 8-bit
    uint32_t queuedBytes; // mixAhead's frames in bytes
    uint64_t endMark;     // total bytes queued when this block's last byte went in
};

std::array<Sample, WAVE_SAMPLES> samples{};
// Per sample, its frames per output frame in 1/65536: 1.0 on the 11025 Hz 8-bit path, which plays
// every sample frame as an output frame.
std::array<uint32_t, WAVE_SAMPLES> sampleStep{};
// Any rate or depth other than 11025 Hz 8-bit: resampled voices and the volume in the float mix.
bool waveWide = false;
// The wide mix's sum: the mixing thread's own (WaveMixWide is not re-entrant).
std::array<float, size_t{WAVE_MAX_BLOCK} * 2> waveSum{};
std::array<Voice, WAVE_VOICES> voices{};
int32_t voiceCount = 0;
uint32_t nextVoiceId = 0;
std::recursive_mutex waveLock;

SDL_AudioDeviceID waveDevice = 0;
bool waveAudioSubsystem = false;
uint32_t savedVolume = WAVE_FULL_VOLUME;
std::array<uint8_t, 256> waveGain{}; // output byte -> byte scaled around 128 by `volume`
uint32_t waveGainVolume = 0;         // the volume waveGain was made for (0: not yet made)
// The volume asked for; the mixing thread remakes its table when it differs (WaveQueueBlock).
std::atomic<uint32_t> waveVolume{0};
std::array<WaveBlock, 2> waveBlocks{};
uint64_t waveBytesQueued = 0;

std::thread waveThread;
std::mutex waveTimerMutex;
std::condition_variable waveTimerWake;
bool waveTimerStop = false;

float lastTickTime = 0.0f;
float fastestDelay = 1.0f;
float slowestDelay = 0.0f;
float slowestMix = 0.0f;

int32_t WaveClampByte(int32_t v) {
    return std::clamp(v, 0, 255);
}

// The device has no volume of its own here, so `volume` scales the finished bytes around 128.
void WaveSetGain(uint32_t volume) {
    waveGainVolume = volume;
    for (int32_t b = 0; b < 256; ++b)
        waveGain[b] =
            static_cast<uint8_t>(WAVE_SILENCE + (b - WAVE_SILENCE) * static_cast<int32_t>(volume) /
                                                    static_cast<int32_t>(WAVE_FULL_VOLUME));
}

// The output frames of a block of `ahead` frames at 11025 Hz: the same stretch of time.
int32_t WaveBlockFrames(int32_t ahead) {
    return waveWide ? static_cast<int32_t>(int64_t{ahead} * mixRate / WAVE_RATE) : ahead;
}

uint32_t WaveFrameBytes() {
    return (stereoOutput ? 2u : 1u) * (mixBits == 16 ? 2u : 1u);
}

// The rate a sample's format chunk states (its bytes 4 to 7); a file without one, or with an
// absurd one, plays at 11025.
uint32_t WaveSampleRate(const Sample& sample, const char* fileName) {
    if (sample.formatSize < 8) return WAVE_RATE;
    const uint8_t* f = sample.format + 4;
    const uint32_t rate = static_cast<uint32_t>(f[0]) | (static_cast<uint32_t>(f[1]) << 8) |
                          (static_cast<uint32_t>(f[2]) << 16) | (static_cast<uint32_t>(f[3]) << 24);
    if (rate >= 1000 && rate <= 192000) return rate;
    Log(LOG_ERROR, "WaveInit: %s states %lu frames a second, played at %ld\n", fileName,
        static_cast<unsigned long>(rate), static_cast<long>(WAVE_RATE));
    return WAVE_RATE;
}

SDL_AudioDeviceID WaveOpenDevice(int channels) {
    if (!waveAudioSubsystem) return 0;
    SDL_AudioSpec want{};
    want.freq = mixRate;
    want.format = mixBits == 16 ? AUDIO_S16SYS : AUDIO_U8;
    want.channels = static_cast<Uint8>(channels);
    // The same time per pull at any rate, as a power of two.
    Uint16 pull = WAVE_DEVICE_FRAMES;
    while (int64_t{pull} * 2 * WAVE_RATE <= int64_t{WAVE_DEVICE_FRAMES} * mixRate)
        pull = static_cast<Uint16>(pull * 2);
    want.samples = pull;
    SDL_AudioSpec have{};
    return SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
}

void WaveQueueBlock(WaveBlock& block) {
    // The wide mix has applied the volume already, before its rounding.
    if (!waveWide) {
        if (const uint32_t volume = waveVolume.load(); volume != waveGainVolume)
            WaveSetGain(volume);
        for (uint32_t i = 0; i < block.queuedBytes; ++i)
            block.buffer[i] = waveGain[block.buffer[i]];
    }
    SDL_QueueAudio(waveDevice, block.buffer, block.queuedBytes);
    waveBytesQueued += block.queuedBytes;
    block.endMark = waveBytesQueued;
}

// Queue mode has no per-block done flag: a block is done once the device has pulled every byte
// queued up to and including it.
bool WaveBlockDone(const WaveBlock& block) {
    uint64_t played = waveBytesQueued - SDL_GetQueuedAudioSize(waveDevice);
    return played >= block.endMark;
}

// Must be called with waveLock held. False when the table is full and level is too low to take
// the place of the quietest voice.
bool WaveMakeRoom(int32_t level) {
    if (voiceCount < voiceChannels) return true;
    int32_t candidate = 0;
    int64_t lowest = voices[0].volume;
    for (int32_t i = 1; i < voiceCount; ++i) {
        if (static_cast<int64_t>(priorityBoost) + voices[i].volume < lowest) {
            candidate = i;
            lowest = voices[i].volume;
        }
    }
    if (level == 0 || static_cast<int64_t>(priorityBoost) + level < lowest) return false;
    VoiceRemove(candidate);
    return true;
}

uint32_t WaveNextId() {
    if (++nextVoiceId == 0) nextVoiceId = 1;
    return nextVoiceId;
}

WaveListener waveListener = nullptr;

// The listener's pose now.
void WaveListenerPose(Vec3* pos, float* yaw) {
    *pos = {0.0f, 0.0f, 0.0f};
    *yaw = 0.0f;
    if (waveListener) waveListener(pos, yaw);
}

Vec3 WaveEar(float yaw) {
    Vec3 ear{0.0f, 0.0f, -1.0f};
    VecRotateY(&ear, yaw);
    return ear;
}

// Attenuation 1 - d^2 / rangeSq, never below 0 (nor NaN for a zero range).
double WaveAttenuation(const Vec3& rel, float invRangeSq) {
    double a = 1.0 - VecDot(&rel, &rel) * static_cast<double>(invRangeSq);
    return a > 0.0 ? a : 0.0;
}

// The side the source lies on plays at the voice's level, the other at that level times the
// cosine between the view direction and the direction to the source.
void WaveBalance(Voice& voice, const Vec3& rel, double a, const Vec3& ear, float yaw) {
    double angle = std::fmod(VecHeading(&rel) - static_cast<double>(yaw), 360.0);
    if (angle > 180.0) angle -= 360.0;
    if (angle <= -180.0) angle += 360.0;
    // A source exactly at the camera has no direction: treat it as straight ahead.
    double c = 1.0;
    if (VecLength(&rel) > 0.0) {
        Vec3 relN = rel;
        VecNormalize(&relN);
        c = VecDot(&ear, &relN);
    }
    double farLevel = std::clamp(std::floor(c * voice.baseVolume * a), -1.0, 256.0);
    int32_t far = static_cast<int32_t>(farLevel);
    if (angle > 0.0) {
        voice.left = far;
        voice.right = voice.volume;
    } else {
        voice.left = voice.volume;
        voice.right = far;
    }
    voice.left = WaveClampByte(voice.left);
    voice.right = WaveClampByte(voice.right);
}

template <int32_t CH>
void WaveMixChannels(uint8_t* out, int32_t frames, bool stereo, const WaveMixVoice* mix,
                     int32_t count) {
    constexpr int32_t divisor = CH * 255;
    constexpr int32_t bias = 128 / CH;
    // Every slot, playing, ended or idle, adds its bias to every byte; sum them up front.
    std::memset(out, static_cast<uint8_t>(bias * CH),
                static_cast<size_t>(frames) * (stereo ? 2 : 1));
    for (int32_t v = 0; v < count; ++v) {
        const WaveMixVoice& voice = mix[v];
        if (voice.position >= voice.length) continue;
        const size_t avail =
            std::min<uint32_t>(static_cast<uint32_t>(frames), voice.length - voice.position);
        const int8_t* s = voice.data + voice.position;
        // Each voice's quotient for every sample value, worked out once per block, leaves the
        // frame loop with two table look-ups.
        std::array<uint8_t, 256> leftPart, rightPart;
        for (int32_t b = -128; b < 128; ++b) {
            leftPart[static_cast<uint8_t>(b)] = static_cast<uint8_t>(voice.left * b / divisor);
            rightPart[static_cast<uint8_t>(b)] = static_cast<uint8_t>(voice.right * b / divisor);
        }
        const auto* u = reinterpret_cast<const uint8_t*>(s);
        if (stereo) {
            for (size_t f = 0; f < avail; ++f) {
                out[2 * f] += leftPart[u[f]];
                out[2 * f + 1] += rightPart[u[f]];
            }
        } else {
            for (size_t f = 0; f < avail; ++f)
                out[f] += leftPart[u[f]];
        }
    }
}

void WaveMixBlock(WaveBlock& block) {
    std::array<WaveMixVoice, WAVE_VOICES> copies;
    int32_t count = 0;
    const int32_t frames = WaveBlockFrames(mixAhead);
    {
        std::lock_guard<std::recursive_mutex> lock(waveLock);
        count = voiceCount;
        for (int32_t i = 0; i < count; ++i) {
            Voice& v = voices[i];
            const uint32_t step = sampleStep[static_cast<size_t>(v.sample - samples.data())];
            copies[i] = {
                v.sample->data, v.sample->dataLength, v.position, stereoOutput ? v.left : v.volume,
                v.right,        v.fraction,           step};
            const uint64_t next =
                (uint64_t{v.position} << 16) + v.fraction + static_cast<uint64_t>(frames) * step;
            v.position = static_cast<uint32_t>(std::min<uint64_t>(next >> 16, UINT32_MAX));
            v.fraction = static_cast<uint32_t>(next & 0xFFFFu);
        }
        for (int32_t i = 0; i < voiceCount;) {
            if (voices[i].position >= voices[i].sample->dataLength)
                VoiceRemove(i);
            else
                ++i;
        }
    }
    if (waveWide)
        WaveMixWide(block.buffer, frames, mixBits, stereoOutput != 0, voiceChannels,
                    waveVolume.load(), copies.data(), count);
    else
        WaveMixVoices(block.buffer, frames, stereoOutput != 0, voiceChannels, copies.data(), count);
    WaveQueueBlock(block);
}

// Raises the calling thread to the highest real-time priority for the mix; without the privilege
// the request is refused and the mix runs at the normal priority.
struct WaveCriticalPriority {
    int policy = 0;
    sched_param saved{};
    bool raised = false;
    WaveCriticalPriority() {
        pthread_t self = pthread_self();
        if (pthread_getschedparam(self, &policy, &saved) != 0) return;
        sched_param high{};
        high.sched_priority = sched_get_priority_max(SCHED_FIFO);
        raised = pthread_setschedparam(self, SCHED_FIFO, &high) == 0;
    }
    ~WaveCriticalPriority() {
        if (raised) pthread_setschedparam(pthread_self(), policy, &saved);
    }
};

// mixrate and mixbits, each back to its default with an error line when the file's value is not
// one the mixer makes.
void WaveReadFormat() {
    mixRate = SettingReadInt(waveSettings, "mixrate");
    if (mixRate < 8000 || mixRate > WAVE_MAX_MIXRATE) {
        Log(LOG_ERROR, "WaveInit: mixrate %ld is not 8000 to %ld, using %ld\n",
            static_cast<long>(mixRate), static_cast<long>(WAVE_MAX_MIXRATE),
            static_cast<long>(WAVE_RATE));
        mixRate = WAVE_RATE;
    }
    mixBits = SettingReadInt(waveSettings, "mixbits");
    if (mixBits != 8 && mixBits != 16) {
        Log(LOG_ERROR, "WaveInit: mixbits %ld is neither 8 nor 16, using 8\n",
            static_cast<long>(mixBits));
        mixBits = 8;
    }
    waveWide = mixBits != 8 || mixRate != WAVE_RATE;
}

void WaveTimerThread() {
    using Clock = std::chrono::steady_clock;
    const auto period = std::chrono::milliseconds(timerPeriod);
    auto next = Clock::now();
    std::unique_lock<std::mutex> lock(waveTimerMutex);
    while (!waveTimerStop) {
        next += period;
        // A periodic timer does not make up for missed ticks in a burst.
        if (next + period < Clock::now()) next = Clock::now() + period;
        if (waveTimerWake.wait_until(lock, next, [] { return waveTimerStop; })) break;
        lock.unlock();
        WaveMixTick();
        lock.lock();
    }
}

} // namespace

void WaveMixVoices(uint8_t* out, int32_t frames, bool stereo, int32_t channels,
                   const WaveMixVoice* mix, int32_t count) {
    switch (channels) {
    case 1:
        WaveMixChannels<1>(out, frames, stereo, mix, count);
        break;
    case 2:
        WaveMixChannels<2>(out, frames, stereo, mix, count);
        break;
    case 3:
        WaveMixChannels<3>(out, frames, stereo, mix, count);
        break;
    case 4:
        WaveMixChannels<4>(out, frames, stereo, mix, count);
        break;
    case 5:
        WaveMixChannels<5>(out, frames, stereo, mix, count);
        break;
    case 6:
        WaveMixChannels<6>(out, frames, stereo, mix, count);
        break;
    case 7:
        WaveMixChannels<7>(out, frames, stereo, mix, count);
        break;
    case 8:
        WaveMixChannels<8>(out, frames, stereo, mix, count);
        break;
    default:
        break;
    }
}

void WaveMixWide(void* out, int32_t frames, int32_t bits, bool stereo, int32_t channels,
                 uint32_t volume, const WaveMixVoice* mix, int32_t count) {
    frames = std::clamp(frames, 0, WAVE_MAX_BLOCK);
    channels = std::clamp(channels, 1, WAVE_VOICES);
    const int32_t width = stereo ? 2 : 1;
    const size_t total = static_cast<size_t>(frames) * static_cast<size_t>(width);
    float* sum = waveSum.data();
    std::fill_n(sum, total, 0.0f);
    // A full-scale byte at level 255 and full volume comes to 32768 / channels, the headroom of the
    // 8-bit mix: the voices cannot clip together.
    const float scale = static_cast<float>(std::min(volume, WAVE_FULL_VOLUME)) /
                        static_cast<float>(WAVE_FULL_VOLUME) * 256.0f /
                        static_cast<float>(channels * 255);
    for (int32_t v = 0; v < count; ++v) {
        const WaveMixVoice& voice = mix[v];
        const float left = static_cast<float>(voice.left) * scale;
        const float right = static_cast<float>(voice.right) * scale;
        const uint64_t end = uint64_t{voice.length} << 16;
        uint64_t pos = (uint64_t{voice.position} << 16) + voice.fraction;
        for (int32_t f = 0; f < frames && pos < end; ++f, pos += voice.step) {
            const uint32_t i = static_cast<uint32_t>(pos >> 16);
            const float t = static_cast<float>(pos & 0xFFFFu) * (1.0f / 65536.0f);
            const float s0 = voice.data[i];
            const float s1 = i + 1 < voice.length ? voice.data[i + 1] : 0.0f;
            const float s = s0 + (s1 - s0) * t;
            if (stereo) {
                const size_t at = 2 * static_cast<size_t>(f);
                sum[at] += s * left;
                sum[at + 1] += s * right;
            } else {
                sum[f] += s * left;
            }
        }
    }
    if (bits == 16) {
        auto* o = static_cast<int16_t*>(out);
        for (size_t i = 0; i < total; ++i)
            o[i] = static_cast<int16_t>(std::clamp(std::lrint(sum[i]), -32768L, 32767L));
    } else {
        auto* o = static_cast<uint8_t*>(out);
        for (size_t i = 0; i < total; ++i)
            o[i] = static_cast<uint8_t>(std::clamp(std::lrint(sum[i] / 256.0f) + 128, 0L, 255L));
    }
}

void WaveInit() {
    Log(LOG_BOOT, "Initing wave audio\n");
    voiceChannels = SettingReadInt(waveSettings, "channels");
    voiceChannels = std::clamp(voiceChannels, 1, WAVE_VOICES);
    adaptiveBuffer = SettingReadInt(waveSettings, "abuffer");
    criticalThread = SettingReadInt(waveSettings, "cthread");
    positionalSound = SettingReadInt(waveSettings, "psound");
    Log(LOG_BOOT, adaptiveBuffer ? "Wave audio buffer size will be adaptive\n"
                                 : "Wave audio buffer size is static\n");
    Log(LOG_BOOT, criticalThread
                      ? "Wave audio thread priority will escalate to time critical during mixing\n"
                      : "Wave audio thread priority is default\n");
    Log(LOG_BOOT, "Wave audio configured for %ld simultaneous samples\n",
        static_cast<long>(voiceChannels));
    Log(LOG_BOOT, positionalSound ? "Wave audio positional stereo effects are enabled\n"
                                  : "Wave audio positional stereo effects are disabled\n");

    {
        std::lock_guard<std::recursive_mutex> lock(waveLock);
        voices = {};
        voiceCount = 0;
        nextVoiceId = 0;
    }
    lastTickTime = 0.0f;
    fastestDelay = 1.0f;
    slowestDelay = 0.0f;
    slowestMix = 0.0f;
    for (int32_t i = 0; i < WAVE_SAMPLES; ++i)
        WaveRead(WAVE_FILES[i], &samples[i]);

    // Music alone: without the effects' device, a driver that opens one device at a time (SDL's
    // dummy and disk drivers) gives it to the music.
    if (SettingReadInt(waveSettings, "sfx") == 0) {
        Log(LOG_BOOT, "WaveInit: sfx setting is 0, sound effects off\n");
        voiceChannels = 0;
        // The options show and keep the volume for when the effects are back.
        waveVolume.store(static_cast<uint32_t>(SettingReadInt(waveSettings, "volume")) & 0xFFFFu);
        return;
    }
    WaveReadFormat();
    for (int32_t i = 0; i < WAVE_SAMPLES; ++i) {
        const uint32_t rate = waveWide ? WaveSampleRate(samples[i], WAVE_FILES[i]) : WAVE_RATE;
        sampleStep[i] = static_cast<uint32_t>(((uint64_t{rate} << 16) + mixRate / 2) / mixRate);
    }
    stereoOutput = SettingReadInt(waveSettings, "stereo");
    WaveOutInit();
    if (voiceChannels == 0) return;

    mixAhead = SettingReadInt(waveSettings, "mixahead");
    Log(LOG_BOOT, "WaveInit: Mixahead is %ld\n", static_cast<long>(mixAhead));
    if (mixAhead < WAVE_MIN_MIXAHEAD) mixAhead = WAVE_MIN_MIXAHEAD;
    if (mixAhead >= WAVE_MAX_MIXAHEAD) mixAhead = WAVE_MAX_MIXAHEAD;
    priorityBoost = SettingReadInt(waveSettings, "boost");

    waveBytesQueued = 0;
    const uint32_t frameBytes = WaveFrameBytes();
    for (WaveBlock& block : waveBlocks) {
        const uint32_t size =
            static_cast<uint32_t>(WaveBlockFrames(WAVE_MAX_MIXAHEAD)) * frameBytes;
        if (block.buffer == nullptr || block.bufferSize < size) {
            delete[] block.buffer;
            block.buffer = new (std::nothrow) uint8_t[size];
            if (block.buffer == nullptr) {
                Log(LOG_ERROR, "WaveInit: Unable to alloc waveBuffer\n");
                FatalExit(1);
            }
        }
        block.bufferSize = size;
        std::memset(block.buffer, mixBits == 16 ? 0 : WAVE_SILENCE, size);
        block.queuedBytes = static_cast<uint32_t>(WaveBlockFrames(mixAhead)) * frameBytes;
        WaveQueueBlock(block);
    }

    int32_t res = SettingReadInt(waveSettings, "timerres");
    timerResolution = res == 0 ? 1 : (res < 0 || res >= 20) ? 20 : static_cast<uint32_t>(res);
    int32_t period = SettingReadInt(waveSettings, "period");
    timerPeriod = period < 1 ? 1 : period >= 50 ? 50 : static_cast<uint32_t>(period);
    TimerRequestResolution(timerResolution);
    Log(LOG_BOOT, "WaveInit: Timer resolution (corrected) is %ld\n",
        static_cast<long>(timerResolution));
    Log(LOG_BOOT, "WaveInit: Timer period is %ld\n", static_cast<long>(timerPeriod));

    waveTimerStop = false;
    try {
        waveThread = std::thread(WaveTimerThread);
    } catch (const std::system_error&) {
        Log(LOG_ERROR, "WaveInit: timeSetEvent failed\n");
        FatalExit(1);
    }
}

void WaveOutInit() {
    if (!waveAudioSubsystem) waveAudioSubsystem = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
    const long kHz = mixRate / 1000;
    const long bits = mixBits;
    if (stereoOutput) {
        Log(LOG_BOOT, "WaveOutInit: Trying %ld kHz %ld-bit stereo\n", kHz, bits);
        waveDevice = WaveOpenDevice(2);
        if (waveDevice == 0) {
            Log(LOG_BOOT, "WaveOutInit: %ld kHz %ld-bit stereo is not supported\n", kHz, bits);
            Log(LOG_BOOT, "WaveOutInit: falling back to mono\n");
            stereoOutput = 0;
        }
    }
    if (!stereoOutput) {
        Log(LOG_BOOT, "WaveOutInit: Trying %ld kHz %ld-bit mono\n", kHz, bits);
        waveDevice = WaveOpenDevice(1);
        if (waveDevice == 0) {
            Log(LOG_ERROR, "WaveOutInit: %ld kHz %ld-bit mono is not supported\n", kHz, bits);
            voiceChannels = 0;
            if (waveAudioSubsystem) SDL_QuitSubSystem(SDL_INIT_AUDIO);
            waveAudioSubsystem = false;
        }
    }
    // No device volume exists here; unity gain is what "restoring" returns to.
    savedVolume = WAVE_FULL_VOLUME;
    int32_t volume = SettingReadInt(waveSettings, "volume");
    Log(LOG_BOOT, "WaveOutInit: Volume is %ld%%\n",
        static_cast<long>(static_cast<int64_t>(volume) * 100 / 65535));
    waveVolume.store(static_cast<uint32_t>(volume) & 0xFFFFu);
    WaveSetGain(waveVolume.load());
    if (waveDevice != 0) {
        SDL_ClearQueuedAudio(waveDevice);
        SDL_PauseAudioDevice(waveDevice, 0);
    }
}

uint32_t WavePlay(int32_t sample, int32_t volume) {
    if (voiceChannels == 0 || sample < 0 || sample >= WAVE_SAMPLES) return 0;
    volume = WaveClampByte(volume);
    std::lock_guard<std::recursive_mutex> lock(waveLock);
    if (!WaveMakeRoom(volume)) return 0;
    Voice& v = voices[voiceCount];
    v = {};
    v.sample = &samples[sample];
    v.volume = static_cast<uint8_t>(volume);
    v.left = volume;
    v.right = volume;
    v.id = WaveNextId();
    ++voiceCount;
    return v.id;
}

void WaveSetListener(WaveListener listener) {
    waveListener = listener;
}

uint32_t WavePlayAt(int32_t sample, int32_t volume, const Vec3* position, float rangeSq) {
    if (voiceChannels == 0 || sample < 0 || sample >= WAVE_SAMPLES) return 0;
    if (!positionalSound) return WavePlay(sample, volume);
    volume = WaveClampByte(volume);
    Vec3 listener;
    float yaw;
    WaveListenerPose(&listener, &yaw);
    Vec3 rel = *position;
    VecSub(&rel, &listener);
    float invRangeSq = 1.0f / rangeSq;
    double a = WaveAttenuation(rel, invRangeSq);
    int32_t level = static_cast<int32_t>(std::floor(volume * a));
    Vec3 ear{};
    if (stereoOutput) ear = WaveEar(yaw);

    std::lock_guard<std::recursive_mutex> lock(waveLock);
    if (!WaveMakeRoom(level)) return 0;
    Voice& v = voices[voiceCount];
    v = {};
    v.sample = &samples[sample];
    v.baseVolume = static_cast<uint8_t>(volume);
    v.positional = 1;
    v.source = *position;
    v.invRangeSq = invRangeSq;
    v.id = WaveNextId();
    v.volume = static_cast<uint8_t>(level);
    v.left = level;
    v.right = level;
    if (stereoOutput) WaveBalance(v, rel, a, ear, yaw);
    ++voiceCount;
    return v.id;
}

uint32_t WaveUpdateAt(uint32_t id, const Vec3* position) {
    if (voiceChannels == 0) return 0;
    Vec3 listener;
    float yaw;
    WaveListenerPose(&listener, &yaw);
    Vec3 ear{};
    if (stereoOutput) ear = WaveEar(yaw);
    std::lock_guard<std::recursive_mutex> lock(waveLock);
    int32_t slot = 0;
    while (slot < voiceCount && voices[slot].id != id)
        ++slot;
    if (slot == voiceCount || id == 0) return 0;
    Voice& v = voices[slot];
    if (!v.positional) return id;
    if (position) v.source = *position;
    Vec3 rel = v.source;
    VecSub(&rel, &listener);
    double a = WaveAttenuation(rel, v.invRangeSq);
    v.volume = static_cast<uint8_t>(std::floor(v.baseVolume * a));
    if (stereoOutput) WaveBalance(v, rel, a, ear, yaw);
    return id;
}

void VoiceRemove(int32_t slot) {
    if (voiceChannels == 0) return;
    std::lock_guard<std::recursive_mutex> lock(waveLock);
    if (slot < 0 || slot >= voiceCount) return;
    for (int32_t i = slot; i + 1 < voiceCount; ++i)
        voices[i] = voices[i + 1];
    --voiceCount;
    voices[voiceCount] = {};
}

int32_t WaveVoiceCount() {
    std::lock_guard<std::recursive_mutex> lock(waveLock);
    return voiceCount;
}

Voice WaveVoiceGet(int32_t slot) {
    std::lock_guard<std::recursive_mutex> lock(waveLock);
    return (slot >= 0 && slot < voiceCount) ? voices[slot] : Voice{};
}

void WaveMixTick() {
    ClockMark stopwatch = ClockNow();
    float now = ClockSeconds();
    if (lastTickTime != 0.0f) {
        float d = now - lastTickTime;
        if (d < fastestDelay) fastestDelay = d;
        if (d > slowestDelay) slowestDelay = d;
    }
    lastTickTime = now;

    const uint32_t frameBytes = WaveFrameBytes();
    if (adaptiveBuffer) {
        // 13230 frames are 1.2 s of output: the block must outlast the worst late tick.
        int32_t candidate =
            WAVE_MIN_MIXAHEAD + static_cast<int32_t>(13230.0f * (slowestMix + slowestDelay));
        mixAhead = std::min(WAVE_MAX_MIXAHEAD, std::max(mixAhead, candidate));
        for (WaveBlock& block : waveBlocks)
            block.queuedBytes = static_cast<uint32_t>(WaveBlockFrames(mixAhead)) * frameBytes;
    }

    if (voiceChannels != 0 && waveDevice != 0) {
        if (criticalThread) {
            WaveCriticalPriority raise;
            for (WaveBlock& block : waveBlocks)
                if (WaveBlockDone(block)) WaveMixBlock(block);
        } else {
            for (WaveBlock& block : waveBlocks)
                if (WaveBlockDone(block)) WaveMixBlock(block);
        }
    }

    float m = ClockDelta(&stopwatch);
    if (m > slowestMix) slowestMix = m;
}

void WaveUnInit() {
    if (voiceChannels == 0) return;
    // The thread goes first and outside the lock: a tick waiting for the lock must finish before
    // the device it queues to is closed.
    {
        std::lock_guard<std::mutex> lock(waveTimerMutex);
        waveTimerStop = true;
    }
    waveTimerWake.notify_all();
    if (waveThread.joinable()) waveThread.join();
    {
        std::lock_guard<std::recursive_mutex> lock(waveLock);
        TimerDoneResolution(timerResolution);
        SDL_ClearQueuedAudio(waveDevice);
        Log(LOG_BOOT, "WaveUnInit: Restoring original volume settings\n");
        waveVolume.store(savedVolume);
        WaveSetGain(savedVolume);
        SDL_CloseAudioDevice(waveDevice);
        waveDevice = 0;
        voices = {};
        voiceCount = 0;
        voiceChannels = 0;
    }
    Log(LOG_BOOT, "WaveUnInit: Releasing critical section\n");
    if (waveAudioSubsystem) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        waveAudioSubsystem = false;
    }
    Log(LOG_BOOT, "WaveUnInit: Slowest Delay is %f\n", static_cast<double>(slowestDelay));
    Log(LOG_BOOT, "WaveUnInit: Slowest Mix is %f\n", static_cast<double>(slowestMix));
    Log(LOG_BOOT, "WaveUnInit: Fastest Delay is %f\n", static_cast<double>(fastestDelay));
    Log(LOG_BOOT, "WaveUnInit: Adjusted Mixahead is %ld\n", static_cast<long>(mixAhead));
}

void WaveSetVolume(int32_t volume) {
    waveVolume.store(static_cast<uint32_t>(volume) & 0xFFFFu);
}

int32_t WaveVolume() {
    return static_cast<int32_t>(waveVolume.load());
}
