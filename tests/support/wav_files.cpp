#include "tests/support/wav_files.h"

#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace twtest {

namespace {

void put32(std::vector<uint8_t>& v, uint32_t x) {
    for (int i = 0; i < 4; ++i) v.push_back(static_cast<uint8_t>(x >> (8 * i)));
}
void put16(std::vector<uint8_t>& v, uint16_t x) {
    v.push_back(static_cast<uint8_t>(x));
    v.push_back(static_cast<uint8_t>(x >> 8));
}

}  // namespace

WavImage& WavImage::format(uint32_t rate, uint16_t channels, uint16_t bits) {
    std::vector<uint8_t> body;
    uint16_t align = static_cast<uint16_t>(channels * bits / 8);
    put16(body, 1);  // PCM
    put16(body, channels);
    put32(body, rate);
    put32(body, rate * align);
    put16(body, align);
    put16(body, bits);
    put16(body, 0);  // no extra format bytes
    return chunk("fmt ", body);
}

WavImage& WavImage::chunk(const std::string& id, const std::vector<uint8_t>& body) {
    chunks_.insert(chunks_.end(), id.begin(), id.begin() + 4);
    put32(chunks_, static_cast<uint32_t>(body.size()));
    chunks_.insert(chunks_.end(), body.begin(), body.end());
    if (body.size() & 1) chunks_.push_back(0);
    return *this;
}

std::vector<uint8_t> WavImage::bytes(int64_t riff_length) const {
    std::vector<uint8_t> out = {'R', 'I', 'F', 'F'};
    put32(out, riff_length >= 0 ? static_cast<uint32_t>(riff_length)
                                : static_cast<uint32_t>(4 + chunks_.size()));
    out.insert(out.end(), {'W', 'A', 'V', 'E'});
    out.insert(out.end(), chunks_.begin(), chunks_.end());
    return out;
}

std::vector<uint8_t> samples(size_t count, uint8_t first) {
    std::vector<uint8_t> v(count);
    for (size_t i = 0; i < count; ++i) v[i] = static_cast<uint8_t>(first + i);
    return v;
}

ScratchFolder::ScratchFolder() {
    namespace fs = std::filesystem;
    previous_ = fs::current_path().string();
    fs::path base = fs::temp_directory_path();
    for (int i = 0;; ++i) {
        fs::path p = base / ("tarnwick-test-" + std::to_string(i));
        if (fs::create_directory(p)) {
            path_ = p.string();
            break;
        }
        if (i > 100000) throw std::runtime_error("no scratch folder");
    }
    fs::create_directory(fs::path(path_) / "Sound");
    fs::current_path(path_);
}

ScratchFolder::~ScratchFolder() {
    std::error_code ec;
    std::filesystem::current_path(previous_, ec);
    std::filesystem::remove_all(path_, ec);
}

void ScratchFolder::write(const std::string& relative, const std::vector<uint8_t>& bytes) const {
    std::filesystem::path p = std::filesystem::path(path_) / relative;
    std::filesystem::create_directories(p.parent_path());
    std::ofstream out(p, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

}  // namespace twtest
