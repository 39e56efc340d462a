// Option texts into values. Every refusal names the option and the text.
#include <cerrno>
#include <cmath>
#include <cstdlib>

#include "tools/cli/cli.h"

namespace twcli {

namespace {

[[noreturn]] void refuse(const std::string& what, const std::string& text) {
    throw UsageError("bad " + what + ": '" + text + "'");
}

// 64 bits on every target: variable ids span the whole unsigned 32-bit range.
long long integer(const std::string& text, const std::string& what, long long lo, long long hi) {
    char* end = nullptr;
    errno = 0;
    long long v = std::strtoll(text.c_str(), &end, 0);
    if (text.empty() || *end != '\0' || errno == ERANGE || v < lo || v > hi) refuse(what, text);
    return v;
}

double number(const std::string& text, const std::string& what) {
    char* end = nullptr;
    double v = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || !std::isfinite(v)) refuse(what, text);
    return v;
}

int32_t coordinate(const std::string& text, const std::string& what) {
    return static_cast<int32_t>(integer(text, what, -100000, 100000));
}

// A comma-separated list of exactly `count` numbers.
std::vector<double> numbers(const std::string& text, size_t count, const std::string& what) {
    std::vector<double> out;
    size_t start = 0;
    while (true) {
        size_t comma = text.find(',', start);
        out.push_back(number(text.substr(start, comma - start), what));
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    if (out.size() != count)
        throw UsageError("bad " + what + ", want " + std::to_string(count) + " numbers: '" + text +
                         "'");
    return out;
}

template <typename T>
T whole(double v, const std::string& what, double hi) {
    if (v < 0 || v > hi || v != std::floor(v)) refuse(what, std::to_string(v));
    return static_cast<T>(v);
}

tw::StormCell storm(const std::string& text) {
    std::vector<double> v = numbers(text, 7, "--storm");
    tw::StormCell s;
    s.latitude = v[0];
    s.longitude = v[1];
    s.radius_nm = v[2];
    s.layer.top_m = whole<uint16_t>(v[3], "--storm top", 65535);
    s.layer.kind = whole<uint8_t>(v[4], "--storm kind", 255);
    s.layer.amount = whole<uint8_t>(v[5], "--storm amount", 255);
    s.layer.intensity = whole<uint8_t>(v[6], "--storm intensity", 255);
    return s;
}

}  // namespace

void Options::finish() {
    for (const std::string& v : var_texts) {
        size_t eq = v.find('=');
        if (eq == std::string::npos) throw UsageError("bad --var, want ID=VALUE: '" + v + "'");
        auto id = static_cast<uint32_t>(integer(v.substr(0, eq), "--var id", 0, 0xFFFFFFFFLL));
        vars.emplace_back(id, number(v.substr(eq + 1), "--var value"));
    }
    // The value follows the last '=': expressions hold '=' of their own.
    for (const std::string& v : calc_texts) {
        size_t eq = v.rfind('=');
        if (eq == std::string::npos || eq == 0)
            throw UsageError("bad --calc, want EXPR=VALUE: '" + v + "'");
        calculations.emplace_back(v.substr(0, eq), number(v.substr(eq + 1), "--calc value"));
    }
    for (const std::string& v : storm_texts) field.storms.push_back(storm(v));
    for (const std::string& v : ground_texts) {
        std::vector<double> g = numbers(v, 4, "--ground");
        field.ground.push_back(tw::GroundArea{g[0], g[1], g[2], g[3]});
    }
    weather = !field.storms.empty() || !field.ground.empty();
    for (const std::string& v : click_texts) {
        size_t comma = v.find(',');
        if (comma == std::string::npos) throw UsageError("bad --click, want X,Y: '" + v + "'");
        clicks.push_back({coordinate(v.substr(0, comma), "--click x"),
                          coordinate(v.substr(comma + 1), "--click y")});
    }
    for (size_t i = 0; i + 3 < at_words.size(); i += 4) {
        TimedPress t;
        t.tick = static_cast<int>(integer(at_words[i], "--at tick", 0, 10000000));
        t.gauge = at_words[i + 1];
        t.point = {coordinate(at_words[i + 2], "--at x"), coordinate(at_words[i + 3], "--at y")};
        if (t.tick > ticks)
            throw UsageError("--at " + std::to_string(t.tick) + " is past --ticks " +
                             std::to_string(ticks));
        presses.push_back(t);
    }
}

}  // namespace twcli
