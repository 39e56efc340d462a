// sound_gen: synthesizes the twenty cockpit sounds (nineteen files: the
// altitude alert is loaded twice) as PCM WAV files the module's sound player
// loads: RIFF/WAVE, a 16-byte "fmt " chunk (PCM, mono, 22050 Hz, 16 bits) and
// a "data" chunk.
//
//   sound_gen OUTDIR ESPEAK
//
// Clicks, chimes, horns and tones are shaped here; the ground crew's calls are
// spoken by espeak-ng (the program ESPEAK) and passed through an interphone
// band filter. Looping sounds (rolling, gear wind, the air cart, the
// inverters) end where they begin, so a loop has no seam.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

namespace {

constexpr int Rate = 22050;
constexpr double Pi = 3.14159265358979323846;

using Samples = std::vector<double>;

// A reproducible noise source.
class Noise {
public:
    explicit Noise(uint32_t seed) : s_(seed) {}
    double next() {
        s_ = s_ * 1664525u + 1013904223u;
        return static_cast<double>(s_ >> 8) / 8388608.0 - 1.0;
    }

private:
    uint32_t s_;
};

// One-pole filters, enough for rumble, wind and an interphone band.
Samples lowPass(const Samples& in, double hz) {
    double a = 1.0 - std::exp(-2 * Pi * hz / Rate), y = 0;
    Samples out(in.size());
    for (size_t i = 0; i < in.size(); ++i) out[i] = y += a * (in[i] - y);
    return out;
}
Samples highPass(const Samples& in, double hz) {
    Samples low = lowPass(in, hz), out(in.size());
    for (size_t i = 0; i < in.size(); ++i) out[i] = in[i] - low[i];
    return out;
}

size_t count(double seconds) { return static_cast<size_t>(seconds * Rate); }

void normalise(Samples& s, double peak) {
    double m = 0;
    for (double v : s) m = std::max(m, std::fabs(v));
    if (m > 0)
        for (double& v : s) v *= peak / m;
}

constexpr double SpokenPeak = 0.8, HighestPeak = 0.97;

// The sound at the given RMS of full scale, or as near as its peaks allow.
void atLevel(Samples& s, double rms) {
    double sum = 0, peak = 0;
    for (double v : s) sum += v * v, peak = std::max(peak, std::fabs(v));
    if (s.empty() || sum <= 0) return;
    double gain =
        std::min(rms / std::sqrt(sum / static_cast<double>(s.size())), HighestPeak / peak);
    for (double& v : s) v *= gain;
}

// The last part fades into the first, so the sound loops without a click.
void seamless(Samples& s, double fade_seconds) {
    size_t f = std::min(count(fade_seconds), s.size() / 2);
    for (size_t i = 0; i < f; ++i) {
        double t = static_cast<double>(i) / f;
        s[i] = s[i] * t + s[s.size() - f + i] * (1 - t);
    }
    s.resize(s.size() - f);
}

Samples tone(double seconds, const std::function<double(double)>& f) {
    Samples s(count(seconds));
    for (size_t i = 0; i < s.size(); ++i) s[i] = f(static_cast<double>(i) / Rate);
    return s;
}

double envelope(double t, double attack, double decay) {
    return (t < attack ? t / attack : 1.0) * std::exp(-(t > attack ? t - attack : 0) / decay);
}

// A bell: a few inharmonic partials that die away.
double bell(double t, double f) {
    return envelope(t, 0.004, 0.45) *
           (std::sin(2 * Pi * f * t) + 0.5 * std::sin(2 * Pi * f * 2.76 * t) * std::exp(-t * 4) +
            0.25 * std::sin(2 * Pi * f * 5.4 * t) * std::exp(-t * 8));
}

Samples click(double seconds, double pitch, double decay, uint32_t seed) {
    Noise n(seed);
    return tone(seconds, [&](double t) {
        return std::exp(-t / decay) * (0.6 * n.next() + std::sin(2 * Pi * pitch * t));
    });
}

void add(Samples& into, const Samples& s, double at_seconds, double gain = 1.0) {
    size_t at = count(at_seconds);
    if (into.size() < at + s.size()) into.resize(at + s.size(), 0.0);
    for (size_t i = 0; i < s.size(); ++i) into[at + i] += gain * s[i];
}

Samples rolling() {
    Noise n(7);
    Samples s(count(2.5));
    for (double& v : s) v = n.next();
    s = lowPass(lowPass(s, 90), 140);
    for (size_t i = 0; i < s.size(); ++i) {
        double t = static_cast<double>(i) / Rate;
        s[i] *= 0.8 + 0.2 * std::sin(2 * Pi * 2.0 * t);  // the tyres over the joints
    }
    seamless(s, 0.5);
    return s;
}

Samples gearWind() {
    Noise n(11);
    Samples s(count(2.5));
    for (double& v : s) v = n.next();
    s = highPass(lowPass(s, 900), 250);
    seamless(s, 0.5);
    return s;
}

Samples trim() {
    Samples s;
    for (int k = 0; k < 8; ++k) add(s, click(0.03, 1400, 0.006, 20 + k), k * 0.07);
    return s;
}

Samples altitudeAlert() {
    return tone(1.1, [](double t) {
        double e = envelope(t, 0.02, 0.6);
        return e * (std::sin(2 * Pi * 523.25 * t) + std::sin(2 * Pi * 659.25 * t) +
                    std::sin(2 * Pi * 783.99 * t));
    });
}

Samples spoolUp() {
    Noise n(31);
    return tone(3.5, [&](double t) {
        double k = t / 3.5;
        double f = 180 + 2200 * k * k;
        double phase = 2 * Pi * (180 * t + 2200 * t * t * t / (3 * 3.5 * 3.5));
        return std::min(1.0, t * 2) *
               (0.5 * std::sin(phase) + 0.25 * std::sin(2 * phase) + 0.3 * k * n.next()) *
               (0.6 + 0.4 * k) * (f > 0 ? 1 : 0);
    });
}

Samples takeoffHorn() {
    return tone(1.2, [](double t) {
        bool on = std::fmod(t, 0.4) < 0.25;
        double x = std::sin(2 * Pi * 330 * t);
        return on ? (x > 0 ? 0.7 : -0.7) + 0.3 * std::sin(2 * Pi * 660 * t) : 0.0;
    });
}

Samples stickShaker() {
    Noise n(41);
    return tone(1.5, [&](double t) {
        double beat = std::sin(2 * Pi * 16 * t) > 0 ? 1.0 : 0.2;
        return beat * (0.6 * std::sin(2 * Pi * 55 * t) + 0.4 * n.next());
    });
}

Samples overspeedClacker() {
    Samples s;
    for (int k = 0; k < 9; ++k) add(s, click(0.05, 900, 0.012, 50 + k), k * 0.125);
    s.resize(count(1.125), 0.0);
    return s;
}

Samples airCart() {
    Noise n(61);
    Samples s(count(3.0));
    for (double& v : s) v = n.next();
    s = lowPass(s, 400);
    for (size_t i = 0; i < s.size(); ++i) {
        double t = static_cast<double>(i) / Rate;
        s[i] = 0.6 * s[i] + 0.3 * std::sin(2 * Pi * 120 * t) + 0.15 * std::sin(2 * Pi * 900 * t);
    }
    seamless(s, 0.5);
    return s;
}

Samples inverters() {
    // Exactly 400 periods of the 400 Hz whine: the loop closes on itself.
    return tone(1.0, [](double t) {
        return 0.6 * std::sin(2 * Pi * 400 * t) + 0.25 * std::sin(2 * Pi * 800 * t) +
               0.15 * std::sin(2 * Pi * 1200 * t);
    });
}

// ---- Files -----------------------------------------------------------------------

void put(std::vector<uint8_t>& b, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void writeWav(const std::string& path, const Samples& s) {
    std::vector<uint8_t> data;
    for (double v : s) {
        long x = std::lround(std::clamp(v, -1.0, 1.0) * 32767);
        put(data, static_cast<uint32_t>(static_cast<int16_t>(x)) & 0xFFFF, 2);
    }
    std::vector<uint8_t> f;
    f.insert(f.end(), {'R', 'I', 'F', 'F'});
    put(f, static_cast<uint32_t>(4 + 8 + 16 + 8 + data.size()), 4);
    f.insert(f.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    put(f, 16, 4);
    put(f, 1, 2);         // PCM
    put(f, 1, 2);         // mono
    put(f, Rate, 4);      // samples per second
    put(f, Rate * 2, 4);  // bytes per second
    put(f, 2, 2);         // block
    put(f, 16, 2);        // bits
    f.insert(f.end(), {'d', 'a', 't', 'a'});
    put(f, static_cast<uint32_t>(data.size()), 4);
    f.insert(f.end(), data.begin(), data.end());
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(f.data()), static_cast<std::streamsize>(f.size()));
    if (!out) throw std::runtime_error("cannot write " + path);
}

// The 16-bit mono samples of a WAV file as espeak-ng writes it.
Samples readWav(const std::string& path, int& rate) {
    std::ifstream in(path, std::ios::binary);
    std::vector<uint8_t> b((std::istreambuf_iterator<char>(in)), {});
    if (b.size() < 12 || std::memcmp(b.data(), "RIFF", 4) != 0 ||
        std::memcmp(b.data() + 8, "WAVE", 4) != 0)
        throw std::runtime_error(path + " is no WAV file");
    auto u32 = [&](size_t at) {
        return static_cast<uint32_t>(b[at] | b[at + 1] << 8 | b[at + 2] << 16 | b[at + 3] << 24);
    };
    Samples s;
    rate = Rate;
    for (size_t at = 12; at + 8 <= b.size();) {
        uint32_t n = u32(at + 4);
        size_t body = at + 8;
        if (std::memcmp(b.data() + at, "fmt ", 4) == 0 && body + 8 <= b.size()) {
            rate = static_cast<int>(u32(body + 4));
        } else if (std::memcmp(b.data() + at, "data", 4) == 0) {
            // espeak-ng writing to a file may leave the length unset: take the rest.
            size_t end = n == 0 || n == 0xFFFFFFFFu || body + n > b.size() ? b.size() : body + n;
            for (size_t i = body; i + 1 < end; i += 2)
                s.push_back(static_cast<int16_t>(b[i] | b[i + 1] << 8) / 32768.0);
            break;
        }
        at = body + n + (n & 1);
    }
    if (s.empty()) throw std::runtime_error(path + " holds no samples");
    return s;
}

Samples resample(const Samples& in, int from) {
    if (from == Rate) return in;
    Samples out(static_cast<size_t>(in.size() * static_cast<double>(Rate) / from));
    for (size_t i = 0; i < out.size(); ++i) {
        double x = i * static_cast<double>(from) / Rate;
        size_t k = static_cast<size_t>(x);
        double f = x - k;
        out[i] = in[std::min(k, in.size() - 1)] * (1 - f) + in[std::min(k + 1, in.size() - 1)] * f;
    }
    return out;
}

// A call over the interphone: espeak-ng's voice through a 300 Hz - 3 kHz band.
Samples speech(const std::string& espeak, const std::string& dir, const std::string& words,
               const std::string& voice) {
    std::string tmp = dir + "/speech.tmp.wav";
    std::string cmd =
        "\"" + espeak + "\" -v " + voice + " -s 155 -w \"" + tmp + "\" \"" + words + "\"";
    if (std::system(cmd.c_str()) != 0) throw std::runtime_error("espeak-ng failed: " + cmd);
    int rate = Rate;
    Samples s = resample(readWav(tmp, rate), rate);
    std::filesystem::remove(tmp);
    s = lowPass(highPass(s, 300), 3000);
    return s;
}

int run(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: sound_gen OUTDIR ESPEAK\n";
        return 2;
    }
    std::string dir = argv[1], espeak = argv[2];
    std::filesystem::create_directories(dir);
    // The mix as heard in the cockpit: each sound at its level, the RMS of
    // full scale that it is written at (0: speech and clicks, whose peaks set
    // their level, at 0.8). Background loops (rolling, gear wind, the air cart,
    // the inverters, which hum for as long as there is power) sit well below
    // the alerts, so every alert is heard over them.
    constexpr double Speech = 0, Rolling = 0.04, GearWind = 0.04, AirCart = 0.04, Inverters = 0.025,
                     SpoolUp = 0.07, Alert = 0.3, Chime = 0.2;
    struct Sound {
        const char* file;
        std::function<Samples()> make;
        double rms = Speech;
    };
    const Sound sounds[] = {
        {"quorl_ostra_Gear_Sound.wav", rolling, Rolling},
        {"quorl_ostra_gear_1.wav", gearWind, GearWind},
        {"brennel_click.wav", [] { return click(0.04, 2200, 0.005, 1); }},
        {"tarnwick_Trim_Sound.WAV", trim},
        {"brennel_altwarn.wav", altitudeAlert, Alert},
        {"brennel_quorl_bigswitch_click.wav", [] { return click(0.08, 700, 0.014, 2); }},
        {"tarnwick_HGHB_SPUP.wav", spoolUp, SpoolUp},
        {"tarnwick_towarn.wav", takeoffHorn, Alert},
        {"tarnwick_stkshkr.wav", stickShaker, Alert},
        {"brennel_chime.wav", [] { return tone(1.2, [](double t) { return bell(t, 880); }); },
         Chime},
        {"tarnwick_overspeed.wav", overspeedClacker, Alert},
        {"brennel_external_elec.wav",
         [&] { return speech(espeak, dir, "Ground power is connected.", "en-us"); }},
        {"tarnwick_external_aircart.wav", airCart, AirCart},
        {"tarnwick_cockpit2ground2.wav",
         [&] {
             return speech(espeak, dir,
                           "Ground, cockpit. Connect the air cart for engine start, please.",
                           "en-us");
         }},
        {"tarnwick_external_air_off.wav",
         [&] { return speech(espeak, dir, "Air cart disconnected.", "en-us"); }},
        {"brennel_clear421.wav",
         [&] {
             return speech(espeak, dir,
                           "Ground equipment removed. You are clear. Have a good flight.", "en-us");
         }},
        {"brennel_RP_ding_dong.wav",
         [] {
             return tone(1.6, [](double t) {
                 return bell(t, 1046.5) + (t > 0.5 ? bell(t - 0.5, 784) : 0);
             });
         },
         Chime},
        {"tarnwick_inverters.wav", inverters, Inverters},
        {"tarnwick_glideslope.wav", [&] { return speech(espeak, dir, "Glideslope.", "en-us+m3"); },
         Alert},
    };
    for (const Sound& s : sounds) {
        Samples v = s.make();
        normalise(v, SpokenPeak);
        if (s.rms > 0) atLevel(v, s.rms);
        writeWav(dir + "/" + s.file, v);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        return run(argc, argv);
    } catch (const std::exception& e) {
        std::cerr << "sound_gen: " << e.what() << "\n";
        return 1;
    }
}
