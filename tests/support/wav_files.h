// WAV images and a scratch folder for tests that load sounds from files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace twtest {

// A RIFF/WAVE image built chunk by chunk; lengths are right unless a test
// overrides them.
class WavImage {
public:
    WavImage() = default;
    // A plain PCM "fmt " chunk: mono, 8 bits, the given rate.
    WavImage& format(uint32_t rate = 11025, uint16_t channels = 1, uint16_t bits = 8);
    WavImage& chunk(const std::string& id, const std::vector<uint8_t>& body);
    WavImage& data(const std::vector<uint8_t>& samples) { return chunk("data", samples); }
    // The image; riff_length replaces the RIFF length field when given.
    std::vector<uint8_t> bytes(int64_t riff_length = -1) const;

private:
    std::vector<uint8_t> chunks_;
};

std::vector<uint8_t> samples(size_t count, uint8_t first = 0);

// A fresh folder made the current one for the life of the object, holding a
// "Sound" subfolder; the previous current folder comes back afterwards.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::string& path() const { return path_; }
    // Writes a file at a path relative to the folder, '/'-separated.
    void write(const std::string& relative, const std::vector<uint8_t>& bytes) const;

private:
    std::string path_;
    std::string previous_;
};

}  // namespace twtest
