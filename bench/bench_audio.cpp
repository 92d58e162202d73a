// Mixer cost: one block of the largest size, stereo, with every voice of the largest table busy: at
// 11025 Hz 8-bit, and the same stretch of time at 44100 Hz 16-bit (four times the frames).
#include "audio/wave.h"

#include <benchmark/benchmark.h>

#include <array>
#include <vector>

namespace {

void BM_WaveMixBlock8Voices2048Stereo(benchmark::State& state) {
    std::vector<int8_t> data(size_t{WAVE_MAX_MIXAHEAD} * 4);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<int8_t>((i * 37) & 0xFF);
    std::array<WaveMixVoice, WAVE_VOICES> voices;
    for (int32_t v = 0; v < WAVE_VOICES; ++v)
        voices[v] = {data.data(), static_cast<uint32_t>(data.size()),
                     static_cast<uint32_t>(v * 100), 255 - v * 20, 100 + v * 15};
    std::array<uint8_t, size_t{WAVE_MAX_MIXAHEAD} * 2> out{};
    for (auto _ : state) {
        WaveMixVoices(out.data(), WAVE_MAX_MIXAHEAD, true, WAVE_VOICES, voices.data(), WAVE_VOICES);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * WAVE_MAX_MIXAHEAD);
}
BENCHMARK(BM_WaveMixBlock8Voices2048Stereo);

void BM_WaveMixWide8Voices8192Stereo16(benchmark::State& state) {
    constexpr int32_t frames = WAVE_MAX_MIXAHEAD * 4;
    std::vector<int8_t> data(size_t{WAVE_MAX_MIXAHEAD} * 4);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<int8_t>((i * 37) & 0xFF);
    std::array<WaveMixVoice, WAVE_VOICES> voices;
    for (int32_t v = 0; v < WAVE_VOICES; ++v)
        voices[v] = {data.data(),  static_cast<uint32_t>(data.size()), 0,     255 - v * 20,
                     100 + v * 15, static_cast<uint32_t>(v * 1000),    0x4000};
    std::vector<int16_t> out(size_t{frames} * 2);
    for (auto _ : state) {
        WaveMixWide(out.data(), frames, 16, true, WAVE_VOICES, 52000, voices.data(), WAVE_VOICES);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * frames);
}
BENCHMARK(BM_WaveMixWide8Voices8192Stereo16);

} // namespace
