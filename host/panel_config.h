// The simulator's panel configuration (panel.cfg): windows in [WindowNN]
// sections, each with its design size (size_mm=W[,H], in the units its gauge
// lines use), its background bitmap (file=NAME.bmp, in the configuration's
// folder) and its gauges:
//
//   gaugeNN=MODULE!GAUGE, X, Y[, W[, H]][, PARAMETERS]
//
// W and H default to the gauge's own size (H keeps its picture's aspect when
// only W is given); the rest of the line after H is the gauge's parameter
// string. Lines starting with // or ; are comments; other sections and keys
// belong to the simulator and are kept out of the way.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

namespace tw {

struct PanelGauge {
    std::string module;  // before the '!'
    std::string name;
    int x = 0, y = 0;
    int width = 0, height = 0;  // 0: not given
    std::string parameters;
    int line = 0;
};

struct PanelWindow {
    std::string section;        // "Window00"
    std::string title;          // from [Window Titles], or the section's name
    int width = 0, height = 0;  // design size; height 0: not given
    std::string file;           // the background bitmap (file=), beside the configuration
    std::vector<PanelGauge> gauges;
    int line = 0;
};

struct PanelConfig {
    std::string file;  // as errors name it
    std::vector<PanelWindow> windows;
};

// A line the configuration cannot be read at: its number and what is wrong.
class PanelConfigError : public std::runtime_error {
public:
    PanelConfigError(const std::string& file, int line, const std::string& what)
        : std::runtime_error(file + ":" + std::to_string(line) + ": " + what), line_(line) {}
    int line() const { return line_; }

private:
    int line_;
};

// `file` names the text in errors.
PanelConfig parsePanelConfig(const std::string& text, const std::string& file = "panel.cfg");
PanelConfig readPanelConfig(const std::string& path);

}  // namespace tw
