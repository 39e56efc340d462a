// The description table of the module's bitmaps (resources/artwork.tsv) and
// the resource script that numbers them (resources/tarnwick.rc), as the
// artwork generator and the tests read them.
#pragma once

#include <cstdint>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace twart {

struct BitmapRow {
    std::string key;  // as written: "0x1000", "2384", "BMP_CLOCK2_BG"
    bool named = false;
    uint32_t id = 0;  // the number, when not named
    int width = 0, height = 0, bpp = 8;
    std::string gauge, kind, colour, legend;
    std::map<std::string, std::string> params;
    int line = 0;

    // The resource's name in the script: its decimal number, or its name.
    std::string resourceName() const { return named ? key : std::to_string(id); }
    std::string param(const std::string& k, const std::string& fallback = "") const {
        auto it = params.find(k);
        return it == params.end() ? fallback : it->second;
    }
    bool has(const std::string& k) const { return params.count(k) != 0; }
};

inline bool parseNumberKey(const std::string& s, uint32_t& out) {
    if (s.empty()) return false;
    try {
        size_t used = 0;
        unsigned long v = std::stoul(s, &used, 0);
        if (used != s.size() || v > 0xFFFF) return false;
        out = static_cast<uint32_t>(v);
        return true;
    } catch (...) {
        return false;
    }
}

// "\xB0" in the table stands for the degree sign.
inline std::string unescape(const std::string& s) {
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s.compare(i, 4, "\\xB0") == 0) {
            out += "\xC2\xB0";  // UTF-8 for the font library
            i += 3;
        } else {
            out += s[i];
        }
    }
    return out;
}

// Throws std::runtime_error naming the line of a malformed row.
inline std::vector<BitmapRow> readTable(const std::string& path) {
    std::ifstream in(path);
    if (!in) throw std::runtime_error("cannot read " + path);
    std::vector<BitmapRow> rows;
    std::string text;
    int line = 0;
    while (std::getline(in, text)) {
        ++line;
        size_t first = text.find_first_not_of(" \t");
        if (first == std::string::npos || text[first] == '#') continue;
        BitmapRow r;
        r.line = line;
        std::string legend_part;
        size_t q1 = text.find('"');
        size_t q2 = q1 == std::string::npos ? q1 : text.find('"', q1 + 1);
        if (q2 == std::string::npos)
            throw std::runtime_error(path + ":" + std::to_string(line) + ": no quoted legend");
        std::istringstream head(text.substr(0, q1));
        if (!(head >> r.key >> r.width >> r.height >> r.bpp >> r.gauge >> r.kind >> r.colour))
            throw std::runtime_error(path + ":" + std::to_string(line) +
                                     ": want KEY W H BPP GAUGE KIND COLOUR");
        r.legend = unescape(text.substr(q1 + 1, q2 - q1 - 1));
        std::istringstream tail(text.substr(q2 + 1));
        std::string p;
        while (tail >> p) {
            size_t eq = p.find('=');
            if (eq == std::string::npos)
                throw std::runtime_error(path + ":" + std::to_string(line) + ": bad parameter " +
                                         p);
            r.params[p.substr(0, eq)] = p.substr(eq + 1);
        }
        r.named = !parseNumberKey(r.key, r.id);
        if (r.width <= 0 || r.height <= 0 || r.width > 4096 || r.height > 4096 ||
            (r.bpp != 1 && r.bpp != 4 && r.bpp != 8))
            throw std::runtime_error(path + ":" + std::to_string(line) + ": bad size or depth");
        rows.push_back(std::move(r));
    }
    return rows;
}

// The resource script's entries: NAME BITMAP "FILE", in order.
struct ScriptEntry {
    std::string name;
    std::string file;
};

inline std::vector<ScriptEntry> readScript(const std::string& path) {
    std::ifstream in(path);
    if (!in) throw std::runtime_error("cannot read " + path);
    std::vector<ScriptEntry> out;
    std::string text;
    while (std::getline(in, text)) {
        std::istringstream s(text);
        std::string name, type, file;
        if (!(s >> name >> type) || name.rfind("//", 0) == 0 || type != "BITMAP") continue;
        size_t q1 = text.find('"'), q2 = text.find('"', q1 + 1);
        if (q1 == std::string::npos || q2 == std::string::npos) continue;
        out.push_back({name, text.substr(q1 + 1, q2 - q1 - 1)});
    }
    return out;
}

}  // namespace twart
