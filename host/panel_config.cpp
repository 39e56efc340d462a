#include "host/panel_config.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>

namespace tw {

namespace {

std::string trim(const std::string& s) {
    size_t a = s.find_first_not_of(" \t\r");
    if (a == std::string::npos) return "";
    size_t b = s.find_last_not_of(" \t\r");
    return s.substr(a, b - a + 1);
}

std::string lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// A whole number in 0..1000000, or false.
bool number(const std::string& text, int& out) {
    std::string t = trim(text);
    if (t.empty()) return false;
    char* end = nullptr;
    errno = 0;
    long v = std::strtol(t.c_str(), &end, 10);
    if (*end != '\0' || errno == ERANGE || v < 0 || v > 1000000) return false;
    out = static_cast<int>(v);
    return true;
}

std::vector<std::string> fields(const std::string& s) {
    std::vector<std::string> out;
    std::string cur;
    for (char c : s) {
        if (c == ',') {
            out.push_back(trim(cur));
            cur.clear();
        } else {
            cur += c;
        }
    }
    out.push_back(trim(cur));
    return out;
}

}  // namespace

PanelConfig parsePanelConfig(const std::string& text, const std::string& file) {
    PanelConfig cfg;
    cfg.file = file;
    std::map<std::string, std::string> titles;
    std::istringstream in(text);
    std::string raw, section;
    PanelWindow* window = nullptr;
    int line = 0;
    while (std::getline(in, raw)) {
        ++line;
        std::string s = trim(raw);
        if (s.empty() || s[0] == ';' || s.rfind("//", 0) == 0) continue;
        if (s[0] == '[') {
            if (s.back() != ']') throw PanelConfigError(file, line, "unclosed section name");
            section = trim(s.substr(1, s.size() - 2));
            window = nullptr;
            std::string l = lower(section);
            if (l.rfind("window", 0) == 0 && l.size() > 6 &&
                l.find_first_not_of("0123456789", 6) == std::string::npos) {
                cfg.windows.push_back(PanelWindow{section, section, 0, 0, {}, {}, line});
                window = &cfg.windows.back();
            }
            continue;
        }
        size_t eq = s.find('=');
        if (eq == std::string::npos) throw PanelConfigError(file, line, "no '=' in the line");
        std::string key = lower(trim(s.substr(0, eq))), value = trim(s.substr(eq + 1));
        if (lower(section) == "window titles") {
            titles[lower(key)] = value;
            continue;
        }
        if (!window) {
            if (key.rfind("gauge", 0) == 0)
                throw PanelConfigError(file, line, "gauge outside a window");
            continue;
        }
        if (key == "size_mm") {
            auto f = fields(value);
            if (f.size() > 2 || !number(f[0], window->width) || window->width == 0 ||
                (f.size() == 2 && (!number(f[1], window->height) || window->height == 0)))
                throw PanelConfigError(file, line, "bad size_mm, want WIDTH[,HEIGHT]: " + value);
            continue;
        }
        if (key == "file") {
            // A bare file name: the bitmap lies beside the configuration.
            if (value.empty() || value.find_first_of("/\\") != std::string::npos ||
                value.find("..") != std::string::npos)
                throw PanelConfigError(file, line, "bad file, want a bitmap's name: " + value);
            window->file = value;
            continue;
        }
        if (key.rfind("gauge", 0) != 0 || key.size() == 5 ||
            key.find_first_not_of("0123456789", 5) != std::string::npos)
            continue;
        auto f = fields(value);
        PanelGauge g;
        g.line = line;
        size_t bang = f[0].find('!');
        if (bang == std::string::npos || bang == 0 || bang + 1 == f[0].size())
            throw PanelConfigError(file, line, "bad gauge, want MODULE!GAUGE: " + f[0]);
        g.module = f[0].substr(0, bang);
        g.name = f[0].substr(bang + 1);
        if (f.size() < 3 || !number(f[1], g.x) || !number(f[2], g.y))
            throw PanelConfigError(file, line, "bad gauge position, want X, Y: " + value);
        if (f.size() > 3 && !f[3].empty() && !number(f[3], g.width))
            throw PanelConfigError(file, line, "bad gauge width: " + f[3]);
        if (f.size() > 4 && !f[4].empty() && !number(f[4], g.height))
            throw PanelConfigError(file, line, "bad gauge height: " + f[4]);
        if (f.size() > 5) {
            size_t cut = 0;
            for (int commas = 0; commas < 5; ++commas) cut = value.find(',', cut) + 1;
            g.parameters = trim(value.substr(cut));
        }
        window->gauges.push_back(std::move(g));
    }
    for (PanelWindow& w : cfg.windows) {
        if (auto it = titles.find(lower(w.section)); it != titles.end()) w.title = it->second;
        if (w.width == 0)
            throw PanelConfigError(file, w.line, "window " + w.section + " has no size_mm");
    }
    return cfg;
}

PanelConfig readPanelConfig(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    std::ostringstream s;
    s << in.rdbuf();
    return parsePanelConfig(s.str(), path);
}

}  // namespace tw
