// Pictures of gauges as the simulator draws them: the draw state of a gauge's
// last frame composed from the module's own bitmaps, and a whole panel from
// its configuration.
//
// How each element kind is drawn:
// - static image, icon, slider: the bitmap at the element's position (an icon
//   shows bitmap resource_id + image, or nothing when the image lies outside
//   its pictures; a slider moves by its offsets);
// - needle: the bitmap turned about its pivot, which is placed at the element's
//   position. A needle with a scale table is drawn pointing along +x and turned
//   to the angle of its value; without a table the value is the turn itself,
//   in degrees clockwise from how the bitmap is drawn;
// - moving image: the window of its strip that its values select, the window
//   being its mask bitmap (drawn where the mask is not black) or one cell of
//   the strip (host/moving_window.h);
// - sprite: its texture scaled, moved by its offsets and turned (degrees
//   counter-clockwise) about its texture centre, a point of the gauge, and
//   seen through a window at the element's position: the bitmap numbered one
//   after the texture when the module carries it, else the texture's own
//   scaled rectangle; the texture tiles, so offsets past its edges wrap;
// - the transparent colour (black) of elements with image flag 0x1, and of
//   every sprite's texture, lets what lies beneath show: a sprite without a
//   window bitmap is seen through its whole scaled texture, which would
//   otherwise hide the face around it (ALT's barometric scale); hidden
//   elements are not drawn.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "host/host.h"
#include "host/module_bitmaps.h"
#include "host/panel_config.h"

namespace tw {

struct Image {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint32_t> pixels;  // 0x00RRGGBB, top row first

    Image() = default;
    Image(int32_t w, int32_t h, uint32_t fill = 0);
    uint32_t at(int32_t x, int32_t y) const {
        return pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)];
    }
    void put(int32_t x, int32_t y, uint32_t rgb) {
        if (x >= 0 && y >= 0 && x < width && y < height)
            pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)] =
                rgb;
    }
};

// The module's bitmaps by number, decoded once.
class Pictures {
public:
    explicit Pictures(void* module_handle) : module_(module_handle) {}
    const Picture* find(uint32_t id);

private:
    void* module_;
    std::map<uint32_t, std::optional<Picture>> cache_;
};

// The gauge's size in pixels: the rectangle from (0,0) over its static images,
// icons and sliders at their positions.
PIXPOINT gaugeSize(const Gauge& gauge, Pictures& pictures);

// The gauge after its last frame, on `background` where nothing is drawn.
Image renderGauge(const Gauge& gauge, Pictures& pictures, uint32_t background = 0x303236);

// `src` scaled to w x h onto `dst` at (x, y).
void drawScaled(Image& dst, const Image& src, int32_t x, int32_t y, int32_t w, int32_t h);

// The gauge after its last frame at its own size, drawn over the part of
// `beneath` that its w x h box at (x, y) covers (brought to the gauge's size;
// the panel colour outside `beneath`): the gauge's transparent parts show
// what lies there, as they show the window's background in the simulator.
// drawScaled then puts it into its box.
Image renderGaugeOver(const Gauge& gauge, Pictures& pictures, const Image& beneath, int32_t x,
                      int32_t y, int32_t w, int32_t h);

// The panel paint where a window has no background bitmap.
constexpr uint32_t PanelColour = 0x2E3034;

// A panel's gauges placed on the host, in the configuration's order.
struct PlacedGauge {
    const PanelWindow* window;
    const PanelGauge* line;
    Gauge* gauge;
};
// Creates every gauge the configuration names (the master gauge first when it
// is there, as the rest rely on it); throws PanelConfigError naming the line of
// a gauge of another module or one the module lacks.
std::vector<PlacedGauge> placePanel(Host& host, const PanelConfig& config);

// Window backgrounds by section name ("Window00").
using Backgrounds = std::map<std::string, Image>;
// The bitmaps the windows' file= lines name, from the first of `folders` that
// holds a readable one; a window whose bitmap is nowhere is left out.
Backgrounds loadBackgrounds(const PanelConfig& config, const std::vector<std::string>& folders);

// The cockpit: the windows one below the other, each at its design size on its
// background (stretched to the window) or the panel colour, every gauge
// scaled into its box. A window without a height is as tall as its gauges reach.
Image drawPanel(const PanelConfig& config, const std::vector<PlacedGauge>& placed,
                Pictures& pictures, const Backgrounds& backgrounds = {});

// A contact sheet: each gauge under its name at its own size and, beside it,
// at the size a panel draws it (when given), `columns` gauges to a row.
struct SheetEntry {
    const Gauge* gauge;
    int32_t panel_width = 0, panel_height = 0;
};
Image drawSheet(const std::vector<SheetEntry>& entries, Pictures& pictures, int32_t columns);

// A PNG file of the image (8-bit RGB).
std::vector<uint8_t> encodePng(const Image& image);
// Throws std::runtime_error when the file cannot be written.
void writePng(const std::string& path, const Image& image);
// A PNG or BMP picture; nothing for bytes that are neither.
std::optional<Image> decodeImage(const std::vector<uint8_t>& bytes);
std::optional<Image> readImage(const std::string& path);

}  // namespace tw
