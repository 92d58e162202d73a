// skx_musicgen: composes the soundtrack and writes it as Ogg Vorbis into <run-dir>/music/.
// Usage: skx_musicgen [--test] <run-dir>. --test writes the two short tracks of the music test.
// Every file is decoded again before it is written: a track whose peak reaches full scale or whose
// first or last frames are not silent fails the run.
#include "music.h"

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

// libsndfile writes and reads the stream through these, so no scratch file is needed.
struct MemFile {
    std::vector<uint8_t> bytes;
    sf_count_t pos = 0;
};

sf_count_t MemLength(void* user) {
    return sf_count_t(static_cast<MemFile*>(user)->bytes.size());
}
sf_count_t MemSeek(sf_count_t offset, int whence, void* user) {
    auto* f = static_cast<MemFile*>(user);
    sf_count_t base = whence == SEEK_CUR ? f->pos : (whence == SEEK_END ? MemLength(user) : 0);
    f->pos = std::clamp<sf_count_t>(base + offset, 0, MemLength(user));
    return f->pos;
}
sf_count_t MemRead(void* out, sf_count_t count, void* user) {
    auto* f = static_cast<MemFile*>(user);
    sf_count_t n = std::min(count, MemLength(user) - f->pos);
    std::memcpy(out, f->bytes.data() + f->pos, size_t(n));
    f->pos += n;
    return n;
}
sf_count_t MemWrite(const void* in, sf_count_t count, void* user) {
    auto* f = static_cast<MemFile*>(user);
    if (size_t(f->pos + count) > f->bytes.size()) f->bytes.resize(size_t(f->pos + count));
    std::memcpy(f->bytes.data() + f->pos, in, size_t(count));
    f->pos += count;
    return count;
}
sf_count_t MemTell(void* user) {
    return static_cast<MemFile*>(user)->pos;
}
SF_VIRTUAL_IO memIo = {MemLength, MemSeek, MemRead, MemWrite, MemTell};

uint32_t OggCrc(const uint8_t* data, size_t size) {
    uint32_t crc = 0;
    for (size_t i = 0; i < size; ++i) {
        crc ^= uint32_t(data[i]) << 24;
        for (int b = 0; b < 8; ++b)
            crc = (crc & 0x80000000u) ? (crc << 1) ^ 0x04c11db7u : crc << 1;
    }
    return crc;
}

// libsndfile gives each Ogg stream a serial number from the clock. The serial is fixed here and
// every page's checksum recomputed, so the same music gives the same file. False when the bytes
// are not a sequence of whole Ogg pages.
bool OggFixSerial(std::vector<uint8_t>& ogg, uint32_t serial) {
    size_t at = 0;
    while (at < ogg.size()) {
        if (ogg.size() - at < 27 || std::memcmp(&ogg[at], "OggS", 4) != 0) return false;
        size_t segments = ogg[at + 26];
        if (ogg.size() - at < 27 + segments) return false;
        size_t size = 27 + segments;
        for (size_t s = 0; s < segments; ++s)
            size += ogg[at + 27 + s];
        if (ogg.size() - at < size) return false;
        for (int b = 0; b < 4; ++b) {
            ogg[at + 14 + size_t(b)] = uint8_t(serial >> (8 * b));
            ogg[at + 22 + size_t(b)] = 0;
        }
        uint32_t crc = OggCrc(&ogg[at], size);
        for (int b = 0; b < 4; ++b)
            ogg[at + 22 + size_t(b)] = uint8_t(crc >> (8 * b));
        at += size;
    }
    return true;
}

bool Encode(const MusicTrack& track, std::vector<uint8_t>* out) {
    MemFile file;
    SF_INFO info{};
    info.samplerate = MUSIC_RATE;
    info.channels = 2;
    info.format = SF_FORMAT_OGG | SF_FORMAT_VORBIS;
    SNDFILE* sf = sf_open_virtual(&memIo, SFM_WRITE, &info, &file);
    if (sf == nullptr) {
        std::fprintf(stderr, "Encode: %s\n", sf_strerror(nullptr));
        return false;
    }
    char title[80];
    std::snprintf(title, sizeof(title), "%s", track.title);
    sf_set_string(sf, SF_STR_TITLE, title);
    sf_set_string(sf, SF_STR_ALBUM, "Skarnex3D");
    double quality = 0.4; // about 128 kbit/s
    sf_command(sf, SFC_SET_VBR_ENCODING_QUALITY, &quality, sizeof(quality));
    std::vector<float> block;
    const size_t frames = track.left.size();
    for (size_t at = 0; at < frames; at += 4096) {
        size_t n = std::min<size_t>(4096, frames - at);
        block.resize(2 * n);
        for (size_t i = 0; i < n; ++i) {
            block[2 * i] = track.left[at + i];
            block[2 * i + 1] = track.right[at + i];
        }
        if (sf_writef_float(sf, block.data(), sf_count_t(n)) != sf_count_t(n)) {
            std::fprintf(stderr, "Encode: %s\n", sf_strerror(sf));
            sf_close(sf);
            return false;
        }
    }
    sf_close(sf);
    if (!OggFixSerial(file.bytes, 0x534b5800u + uint32_t(track.number))) {
        std::fprintf(stderr, "Encode: track %d is not a clean Ogg stream\n", track.number);
        return false;
    }
    *out = std::move(file.bytes);
    return true;
}

// Decodes the file as the game will and checks peak, start and end.
// A silent track reads as -200 dBFS, not as minus infinity.
double Decibels(double level) {
    return 20.0 * std::log10(std::max(level, 1e-10));
}

bool Check(const MusicTrack& track, const std::vector<uint8_t>& ogg) {
    MemFile file{ogg, 0};
    SF_INFO info{};
    SNDFILE* sf = sf_open_virtual(&memIo, SFM_READ, &info, &file);
    if (sf == nullptr || info.channels != 2 || info.samplerate != MUSIC_RATE) {
        std::fprintf(stderr, "Check: track %d does not decode\n", track.number);
        if (sf != nullptr) sf_close(sf);
        return false;
    }
    std::vector<float> pcm(size_t(info.frames) * 2);
    sf_count_t got = sf_readf_float(sf, pcm.data(), info.frames);
    sf_close(sf);
    pcm.resize(size_t(got) * 2);
    double peak = 0.0, sum = 0.0, edge = 0.0;
    // The first 0.25 ms and the last 10 ms: a track must neither start nor stop on a step.
    const size_t head = 2 * MUSIC_RATE / 4000, tail = 2 * MUSIC_RATE / 100;
    for (size_t i = 0; i < pcm.size(); ++i) {
        double v = std::fabs(pcm[i]);
        peak = std::max(peak, v);
        sum += v * v;
        if (i < head || i + tail >= pcm.size()) edge = std::max(edge, v);
    }
    double rms = std::sqrt(sum / double(std::max<size_t>(1, pcm.size())));
    std::printf("musicgen: track%02d %-14s %6.1f s  %4zu KiB  peak %5.1f dBFS  rms %5.1f dBFS\n",
                track.number, track.title, double(got) / MUSIC_RATE, ogg.size() / 1024,
                Decibels(peak), Decibels(rms));
    if (peak >= 0.97 || edge > 0.02) {
        std::fprintf(stderr, "Check: track %d peaks at %.3f, edges at %.3f\n", track.number, peak,
                     edge);
        return false;
    }
    return true;
}

bool WriteFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
    std::error_code ec;
    std::filesystem::create_directories(path.parent_path(), ec);
    // Written beside the target and renamed, so the game never sees half a track.
    const std::filesystem::path temp = path.string() + ".tmp";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        if (!out) return false;
    }
    std::filesystem::rename(temp, path, ec);
    return !ec;
}

} // namespace

int main(int argc, char** argv) {
    bool test = argc == 3 && std::strcmp(argv[1], "--test") == 0;
    if (argc != 2 && !test) {
        std::fprintf(stderr, "usage: %s [--test] <run-dir>\n", argv[0]);
        return 2;
    }
    const std::filesystem::path root(argv[argc - 1]);
    std::vector<MusicTrack> tests = test ? MusicComposeTest() : std::vector<MusicTrack>{};
    const int count = test ? int(tests.size()) : MusicSongCount();
    for (int i = 0; i < count; ++i) {
        const MusicTrack track = test ? tests[size_t(i)] : MusicCompose(i);
        std::vector<uint8_t> ogg;
        if (!Encode(track, &ogg) || !Check(track, ogg)) return 1;
        char name[32];
        std::snprintf(name, sizeof(name), "music/track%02d.ogg", track.number);
        if (!WriteFile(root / name, ogg)) {
            std::fprintf(stderr, "musicgen: cannot write %s\n", (root / name).c_str());
            return 1;
        }
    }
    return 0;
}
