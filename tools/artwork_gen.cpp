// artwork_gen: draws the module's bitmap resources.
//
//   artwork_gen TABLE SCRIPT MODULE OUTDIR
//
// Beside the module's bitmaps it draws the panel windows' backgrounds that
// panel.cfg and panel_old_epr.cfg (beside TABLE) name in their file= lines.
//
// Reads the description table (resources/artwork.tsv), checks that the
// resource script (resources/tarnwick.rc) numbers exactly its bitmaps, loads
// the module (a native build of tarnwick.gau) to read its gauge records, and
// writes one Windows bitmap file per resource into OUTDIR, named as the script
// names it. Pictures that follow the records take them from there: dial marks
// and numerals at every scale point of the needles that turn over a face,
// needle pivots, the cells of drum strips, the images of multi-image icons.
// Text goes through cairo and fontconfig with the DejaVu fonts.

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "host/module.h"
#include "host/moving_window.h"
#include "host/panel_config.h"
#include "host/stb.h"
#include "tools/artwork_table.h"

namespace {

constexpr double Pi = 3.14159265358979323846;

// ---- What the records say ------------------------------------------------------

struct NeedleUse {
    std::string gauge;
    uint32_t bitmap = 0;
    PIXPOINT turn{};   // the turning point on the gauge
    PIXPOINT pivot{};  // the turning point inside the needle bitmap
    std::vector<NONLINEARITY> scale;
};

struct StaticUse {
    std::string gauge;
    PIXPOINT pos{};
};

struct MovingUse {
    double minimum = 0, maximum = 0;
    uint32_t mask = 0;
};

// Where a gauge places a bitmap (a drum strip, an icon).
struct PlaceUse {
    uint32_t bitmap = 0;
    PIXPOINT pos{};
};

struct Records {
    std::map<uint32_t, NeedleUse> needles;                        // by needle bitmap
    std::map<std::string, std::vector<NeedleUse>> scales;         // needles with a scale, by gauge
    std::map<uint32_t, std::vector<StaticUse>> statics;           // by bitmap
    std::map<uint32_t, uint32_t> icon_images;                     // by first bitmap
    std::map<uint32_t, MovingUse> moving;                         // by strip bitmap
    std::map<std::string, std::vector<NeedleUse>> gauge_needles;  // every needle, by gauge
    std::map<std::string, std::vector<PlaceUse>> gauge_moving;    // drum strips, by gauge
    std::map<std::string, std::vector<PlaceUse>> gauge_icons;     // icons, by gauge
    std::set<uint32_t> named;                                     // every bitmap any record names
};

void walk(Records& r, const std::string& gauge, ELEMENT_HEADER* e, int depth, int& budget) {
    if (!e || depth > 32 || --budget < 0) return;
    r.named.insert(e->resource_id);
    switch (e->element_type) {
        case ElementStaticImage:
            r.statics[e->resource_id].push_back({gauge, e->position});
            break;
        case ElementNeedle: {
            auto* n = reinterpret_cast<ELEMENT_NEEDLE*>(e);
            NeedleUse u{gauge, e->resource_id, e->position, n->needle_pivot, {}};
            if (n->nonlinearity_table && n->nonlinearity_count < 256)
                u.scale.assign(n->nonlinearity_table,
                               n->nonlinearity_table + n->nonlinearity_count);
            if (!r.needles.count(e->resource_id)) r.needles[e->resource_id] = u;
            if (!u.scale.empty()) r.scales[gauge].push_back(u);
            r.gauge_needles[gauge].push_back(u);
            break;
        }
        case ElementIcon: {
            auto* ic = reinterpret_cast<ELEMENT_ICON*>(e);
            uint32_t count = ic->picture_count > 64 ? 64 : ic->picture_count;
            r.icon_images[e->resource_id] = std::max(r.icon_images[e->resource_id], count);
            r.gauge_icons[gauge].push_back({e->resource_id, e->position});
            for (uint32_t i = 1; i < count; ++i) r.named.insert(e->resource_id + i);
            break;
        }
        case ElementMovingImage: {
            auto* m = reinterpret_cast<ELEMENT_MOVING_IMAGE*>(e);
            r.moving[e->resource_id] = {m->y.minimum, m->y.maximum, m->mask_id};
            r.gauge_moving[gauge].push_back({e->resource_id, e->position});
            if (m->mask_id) r.named.insert(m->mask_id);
            break;
        }
        default:
            break;
    }
    if (!e->next_element) return;
    for (int i = 0; i < 64 && e->next_element[i]; ++i)
        walk(r, gauge, e->next_element[i], depth + 1, budget);
}

Records readRecords(const std::string& module_path) {
    static PANEL_SERVICES none{};
    tw::Module m(module_path, &none);
    Records r;
    for (GAUGE_HEADER* const* g = m.linkage()->gauge_table; *g; ++g) {
        if (!(*g)->elements_list || !(*g)->gauge_name) continue;
        int budget = 4096;
        walk(r, (*g)->gauge_name, (*g)->elements_list[0], 0, budget);
    }
    return r;
}

// ---- Palette and bitmap files ----------------------------------------------------

struct Rgb {
    uint8_t r, g, b;
};

// One palette for every 8-bit picture: the transparent colour, a grey ramp and
// ramps of the lamp and instrument colours. Opaque pixels never take entry 0.
std::vector<Rgb> palette8() {
    std::vector<Rgb> p{{0, 0, 0}};
    for (int i = 1; i <= 64; ++i) {
        auto v = static_cast<uint8_t>(std::max(3, i * 255 / 64));
        p.push_back({v, v, v});
    }
    const Rgb hues[] = {{220, 40, 30},  {255, 170, 0},  {40, 210, 60},  {60, 140, 255},
                        {240, 220, 40}, {255, 120, 20}, {230, 60, 230}, {60, 220, 230},
                        {70, 130, 200}, {150, 95, 45}};
    for (Rgb h : hues) {
        for (int i = 1; i <= 14; ++i) {
            double f = i / 14.0;
            p.push_back({static_cast<uint8_t>(std::max(3.0, h.r * f)),
                         static_cast<uint8_t>(std::max(3.0, h.g * f)),
                         static_cast<uint8_t>(std::max(3.0, h.b * f))});
        }
        for (int i = 1; i <= 5; ++i) {
            double f = i / 6.0;
            p.push_back({static_cast<uint8_t>(h.r + (255 - h.r) * f),
                         static_cast<uint8_t>(h.g + (255 - h.g) * f),
                         static_cast<uint8_t>(h.b + (255 - h.b) * f)});
        }
    }
    p.resize(256, Rgb{255, 255, 255});
    return p;
}

std::vector<Rgb> paletteGrey(int entries) {
    std::vector<Rgb> p{{0, 0, 0}};
    for (int i = 1; i < entries; ++i) {
        auto v = static_cast<uint8_t>(entries == 2 ? 64 : i * 255 / (entries - 1));
        p.push_back({v, v, v});
    }
    return p;
}

class Quantizer {
public:
    explicit Quantizer(std::vector<Rgb> pal) : pal_(std::move(pal)), lut_(32768, -1) {}
    const std::vector<Rgb>& palette() const { return pal_; }
    uint8_t index(Rgb c) {
        int key = (c.r >> 3) << 10 | (c.g >> 3) << 5 | (c.b >> 3);
        if (lut_[key] < 0) {
            int best = 1;
            long best_d = -1;
            for (size_t i = 1; i < pal_.size(); ++i) {
                long dr = pal_[i].r - c.r, dg = pal_[i].g - c.g, db = pal_[i].b - c.b;
                long d = 3 * dr * dr + 4 * dg * dg + 2 * db * db;
                if (best_d < 0 || d < best_d) best_d = d, best = static_cast<int>(i);
            }
            lut_[key] = best;
        }
        return static_cast<uint8_t>(lut_[key]);
    }

private:
    std::vector<Rgb> pal_;
    std::vector<int> lut_;
};

void put16(std::vector<uint8_t>& b, uint32_t v) {
    b.push_back(v & 0xFF);
    b.push_back((v >> 8) & 0xFF);
}
void put32(std::vector<uint8_t>& b, uint32_t v) {
    put16(b, v & 0xFFFF);
    put16(b, v >> 16);
}

// A bottom-up Windows bitmap file with a palette; pixels whose alpha is below
// one half become the transparent colour.
std::vector<uint8_t> bitmapFile(cairo_surface_t* s, int bpp, Quantizer& q) {
    cairo_surface_flush(s);
    int w = cairo_image_surface_get_width(s), h = cairo_image_surface_get_height(s);
    int stride = cairo_image_surface_get_stride(s);
    const uint8_t* px = cairo_image_surface_get_data(s);
    int row_bytes = ((w * bpp + 31) / 32) * 4;
    int colours = 1 << bpp;
    std::vector<uint8_t> bits(static_cast<size_t>(row_bytes) * h, 0);
    for (int y = 0; y < h; ++y) {
        uint8_t* out = &bits[static_cast<size_t>(h - 1 - y) * row_bytes];
        for (int x = 0; x < w; ++x) {
            uint32_t argb;
            std::memcpy(&argb, px + y * stride + x * 4, 4);
            unsigned a = argb >> 24;
            uint8_t idx = 0;
            if (a >= 128) {
                auto un = [a](unsigned c) {
                    return static_cast<uint8_t>(std::min(255u, c * 255 / a));
                };
                idx = q.index({un((argb >> 16) & 0xFF), un((argb >> 8) & 0xFF), un(argb & 0xFF)});
            }
            if (bpp == 8) {
                out[x] = idx;
            } else if (bpp == 4) {
                out[x / 2] |= static_cast<uint8_t>((idx & 0xF) << (x % 2 ? 0 : 4));
            } else {
                if (idx) out[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
            }
        }
    }
    std::vector<uint8_t> f;
    uint32_t offset = 14 + 40 + 4 * colours;
    f.push_back('B');
    f.push_back('M');
    put32(f, offset + static_cast<uint32_t>(bits.size()));
    put32(f, 0);
    put32(f, offset);
    put32(f, 40);
    put32(f, static_cast<uint32_t>(w));
    put32(f, static_cast<uint32_t>(h));
    put16(f, 1);
    put16(f, static_cast<uint32_t>(bpp));
    put32(f, 0);
    put32(f, static_cast<uint32_t>(bits.size()));
    put32(f, 2835);
    put32(f, 2835);
    put32(f, static_cast<uint32_t>(colours));
    put32(f, 0);
    for (int i = 0; i < colours; ++i) {
        Rgb c = i < static_cast<int>(q.palette().size()) ? q.palette()[i] : Rgb{0, 0, 0};
        f.push_back(c.b);
        f.push_back(c.g);
        f.push_back(c.r);
        f.push_back(0);
    }
    f.insert(f.end(), bits.begin(), bits.end());
    return f;
}

// ---- Drawing ---------------------------------------------------------------------

struct Colour {
    double r, g, b;
};

Colour named(const std::string& n) {
    static const std::map<std::string, Colour> table = {
        {"white", {0.95, 0.95, 0.93}}, {"grey", {0.36, 0.37, 0.39}},
        {"dark", {0.17, 0.18, 0.19}},  {"red", {0.92, 0.16, 0.12}},
        {"amber", {1.0, 0.67, 0.0}},   {"green", {0.16, 0.85, 0.25}},
        {"blue", {0.25, 0.56, 1.0}},   {"yellow", {0.95, 0.87, 0.16}},
        {"orange", {1.0, 0.47, 0.08}}, {"magenta", {0.9, 0.24, 0.9}},
        {"cyan", {0.24, 0.86, 0.9}},
    };
    auto it = table.find(n);
    return it == table.end() ? Colour{0.95, 0.95, 0.93} : it->second;
}

constexpr Colour PanelGrey = {0.36, 0.37, 0.39};
constexpr Colour PanelDark = {0.17, 0.18, 0.19};
constexpr Colour FaceBlack = {0.09, 0.09, 0.10};
constexpr Colour Ink = {0.05, 0.05, 0.05};  // dark, but never the transparent colour

void set(cairo_t* cr, Colour c, double scale = 1.0) {
    cairo_set_source_rgb(cr, c.r * scale, c.g * scale, c.b * scale);
}

void font(cairo_t* cr, double size, bool bold = true) {
    cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL,
                           bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, size);
}

// Text centred on (x, y), shrunk to fit max_width.
void text(cairo_t* cr, const std::string& s, double x, double y, double size,
          double max_width = 1e9) {
    if (s.empty()) return;
    font(cr, size);
    cairo_text_extents_t e;
    cairo_text_extents(cr, s.c_str(), &e);
    if (e.width > max_width && e.width > 0) {
        font(cr, size * max_width / e.width);
        cairo_text_extents(cr, s.c_str(), &e);
    }
    cairo_move_to(cr, x - e.width / 2 - e.x_bearing, y - e.height / 2 - e.y_bearing);
    cairo_show_text(cr, s.c_str());
}

// Legends of more than one word wrap onto two lines when narrow.
void legendText(cairo_t* cr, const std::string& s, double x, double y, double size, double width) {
    size_t sp = s.find(' ');
    font(cr, size);
    cairo_text_extents_t e;
    cairo_text_extents(cr, s.c_str(), &e);
    if (sp != std::string::npos && e.width > width && s.find("  ") == std::string::npos) {
        size_t mid = s.size() / 2, best = sp;
        for (size_t i = sp; i != std::string::npos; i = s.find(' ', i + 1))
            if (std::abs(static_cast<long>(i) - static_cast<long>(mid)) <
                std::abs(static_cast<long>(best) - static_cast<long>(mid)))
                best = i;
        text(cr, s.substr(0, best), x, y - size * 0.55, size, width);
        text(cr, s.substr(best + 1), x, y + size * 0.55, size, width);
        return;
    }
    text(cr, s, x, y, size, width);
}

void roundRect(cairo_t* cr, double x, double y, double w, double h, double r) {
    r = std::min({r, w / 2, h / 2});
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - r, y + r, r, -Pi / 2, 0);
    cairo_arc(cr, x + w - r, y + h - r, r, 0, Pi / 2);
    cairo_arc(cr, x + r, y + h - r, r, Pi / 2, Pi);
    cairo_arc(cr, x + r, y + r, r, Pi, 3 * Pi / 2);
    cairo_close_path(cr);
}

std::vector<double> numbers(const std::string& s) {
    std::vector<double> v;
    std::string cur;
    for (char c : s + ",") {
        if (c == ',' || c == ':') {
            if (!cur.empty()) v.push_back(std::atof(cur.c_str()));
            cur.clear();
        } else {
            cur += c;
        }
    }
    return v;
}

std::vector<std::string> words(const std::string& s) {
    std::vector<std::string> v;
    std::string cur;
    for (char c : s + ",") {
        if (c == ',') {
            v.push_back(cur);
            cur.clear();
        } else {
            cur += c;
        }
    }
    return v;
}

std::string numeral(double v) {
    if (std::fabs(v) < 1e-9) v = 0;
    // A scale point a hair off a whole number (the flaps' 3275 units times
    // 50/16382 degrees) is engraved as the whole number.
    if (std::fabs(v) >= 5 && std::fabs(v - std::round(v)) < 0.01) v = std::round(v);
    char buf[32];
    std::snprintf(buf, sizeof buf, "%g", std::round(v * 1000) / 1000);
    return buf;
}

struct Job {
    const twart::BitmapRow& row;
    const Records& rec;
    const std::map<uint32_t, const twart::BitmapRow*>& by_id;
    cairo_t* cr;
    int w, h;
};

void screws(cairo_t* cr, int w, int h) {
    if (w < 60 || h < 60) return;
    for (auto [x, y] : {std::pair{7, 7}, {w - 7, 7}, {7, h - 7}, {w - 7, h - 7}}) {
        set(cr, PanelGrey, 0.6);
        cairo_arc(cr, x, y, 3.5, 0, 2 * Pi);
        cairo_fill(cr);
        set(cr, PanelGrey, 1.4);
        cairo_set_line_width(cr, 1);
        cairo_move_to(cr, x - 2.5, y);
        cairo_line_to(cr, x + 2.5, y);
        cairo_stroke(cr);
    }
}

void plateBase(cairo_t* cr, int w, int h, Colour base) {
    set(cr, base);
    cairo_rectangle(cr, 0, 0, w, h);
    cairo_fill(cr);
    cairo_set_line_width(cr, 1);
    set(cr, base, 1.45);
    cairo_move_to(cr, 0.5, h - 0.5);
    cairo_line_to(cr, 0.5, 0.5);
    cairo_line_to(cr, w - 0.5, 0.5);
    cairo_stroke(cr);
    set(cr, base, 0.55);
    cairo_move_to(cr, w - 0.5, 0.5);
    cairo_line_to(cr, w - 0.5, h - 0.5);
    cairo_line_to(cr, 0.5, h - 0.5);
    cairo_stroke(cr);
}

void lensBox(cairo_t* cr, double x, double y, double w, double h, Colour c, bool lit,
             const std::string& legend) {
    roundRect(cr, x + 1, y + 1, w - 2, h - 2, 3);
    set(cr, lit ? c : c, lit ? 1.0 : 0.22);
    cairo_fill_preserve(cr);
    set(cr, PanelGrey, 0.8);
    cairo_set_line_width(cr, 1.5);
    cairo_stroke(cr);
    if (lit) {
        cairo_pattern_t* g = cairo_pattern_create_radial(x + w / 2, y + h / 2, 1, x + w / 2,
                                                         y + h / 2, std::max(w, h) * 0.7);
        cairo_pattern_add_color_stop_rgba(g, 0, 1, 1, 1, 0.35);
        cairo_pattern_add_color_stop_rgba(g, 1, 1, 1, 1, 0);
        roundRect(cr, x + 2, y + 2, w - 4, h - 4, 3);
        cairo_set_source(cr, g);
        cairo_fill(cr);
        cairo_pattern_destroy(g);
        set(cr, Ink);
    } else {
        set(cr, c, 0.5);
    }
    legendText(cr, legend, x + w / 2, y + h / 2, std::min(h * 0.36, 13.0), w - 5);
}

// Evenly spread housings for N lamps.
void lenses(cairo_t* cr, int w, int h, int n, Colour c) {
    double cw = static_cast<double>(w) / n;
    for (int i = 0; i < n; ++i) lensBox(cr, i * cw + 1, 1, cw - 2, h - 2, c, false, "");
}

void drawPlate(Job& j) {
    const auto& r = j.row;
    Colour base = r.colour == "dark" ? PanelDark : PanelGrey;
    plateBase(j.cr, j.w, j.h, base);
    screws(j.cr, j.w, j.h);
    if (r.has("ring")) {
        auto v = numbers(r.param("ring"));
        if (v.size() == 3) {
            cairo_arc(j.cr, v[0], v[1], v[2] + 8, 0, 2 * Pi);
            set(j.cr, PanelGrey, 0.7);
            cairo_fill(j.cr);
            cairo_arc(j.cr, v[0], v[1], v[2], 0, 2 * Pi);
            set(j.cr, FaceBlack);
            cairo_fill(j.cr);
        }
    }
    if (r.has("lenses"))
        lenses(j.cr, j.w, j.h, std::atoi(r.param("lenses").c_str()), named("amber"));
    if (r.has("window")) {
        auto v = numbers(r.param("window"));
        if (v.size() == 4) {
            set(j.cr, FaceBlack);
            roundRect(j.cr, v[0], v[1], v[2], v[3], 3);
            cairo_fill(j.cr);
        }
    }
    if (r.has("quadrant")) {
        // Lever slots and the flap detents of the pedestal.
        set(j.cr, FaceBlack);
        for (int x : {209, 259, 309, 359}) {
            cairo_rectangle(j.cr, x, 20, 12, 440);
            cairo_fill(j.cr);
        }
        cairo_rectangle(j.cr, 551, 20, 10, 420);
        cairo_rectangle(j.cr, 89, 90, 10, 300);
        cairo_fill(j.cr);
        set(j.cr, named("white"));
        const char* detents[] = {"0", "2", "5", "10", "25", "30"};
        for (int i = 0; i < 6; ++i) text(j.cr, detents[i], 600, 66 + i * 66.5, 14);
        text(j.cr, "SPEED BRAKE", 94, 16, 11);
        text(j.cr, "THRUST", 290, 11, 10);  // above the slots
        text(j.cr, "START", 290, 470, 11);
        text(j.cr, "FLAPS", 557, 9, 10);  // above the lever at its stop
        text(j.cr, "TRIM", 30, 172, 10);
        return;
    }
    if (r.has("leverslot")) {
        // A lever's slot, X:TOP:BOTTOM, with its ends engraved UP and DN.
        auto v = numbers(r.param("leverslot"));
        if (v.size() == 3) {
            set(j.cr, FaceBlack);
            roundRect(j.cr, v[0] - 7, v[1], 14, v[2] - v[1], 6);
            cairo_fill(j.cr);
            set(j.cr, named("white"));
            // Clear of the handle's knob, which stands over either end.
            text(j.cr, "UP", v[0] + 36, v[1] + 8, 11);
            text(j.cr, "DN", v[0] + 36, v[2] - 8, 11);
        }
    }
    if (r.has("housings")) {
        // Unlit lamp housings where the gauge's lamps light: LEGEND:X:Y:W:H:COLOUR,
        // separated by ';'.
        std::string rest = r.param("housings") + ";";
        for (size_t p = 0, q; (q = rest.find(';', p)) != std::string::npos; p = q + 1) {
            auto f = rest.substr(p, q - p);
            size_t c = f.find(':');
            if (c == std::string::npos) continue;
            auto v = numbers(f.substr(c + 1));
            auto last = f.rfind(':');
            if (v.size() < 4) continue;
            lensBox(j.cr, v[0], v[1], v[2], v[3], named(f.substr(last + 1)), false, f.substr(0, c));
        }
    }
    set(j.cr, named("white"));
    if (r.has("at")) {
        // Legends at their own places: TEXT:X:Y, separated by ';' ('_' for a space).
        std::string rest = r.param("at") + ";";
        for (size_t p = 0, q; (q = rest.find(';', p)) != std::string::npos; p = q + 1) {
            auto f = rest.substr(p, q - p);
            size_t c1 = f.find(':'), c2 = c1 == std::string::npos ? c1 : f.find(':', c1 + 1);
            if (c2 == std::string::npos) continue;
            std::string legend = f.substr(0, c1);
            std::replace(legend.begin(), legend.end(), '_', ' ');
            text(j.cr, legend, std::atof(f.substr(c1 + 1).c_str()),
                 std::atof(f.substr(c2 + 1).c_str()), 8);
        }
    }
    if (r.has("digits")) {
        set(j.cr, FaceBlack);
        cairo_rectangle(j.cr, 0, 0, j.w, j.h);
        cairo_fill(j.cr);
        set(j.cr, named("white"));
        text(j.cr, r.legend, j.w / 2.0, j.h / 2.0, j.h * 0.7, j.w - 4);
    } else if (j.h > 80 && j.w > 80) {
        text(j.cr, r.legend, j.w / 2.0, 16, 12, j.w - 20);
    } else {
        legendText(j.cr, r.legend, j.w / 2.0, j.h / 2.0, std::min(12.0, j.h * 0.45), j.w - 4);
    }
}

// The face a needle's scale points lie on, in the face bitmap's pixels: the
// needles of every gauge that shows this face.
std::vector<NeedleUse> scalesOnFace(const Job& j, uint32_t face) {
    std::vector<NeedleUse> out;
    auto st = j.rec.statics.find(face);
    if (st == j.rec.statics.end()) return out;
    std::set<std::string> seen;
    for (const StaticUse& s : st->second) {
        if (!seen.insert(s.gauge).second || !out.empty()) continue;
        auto sc = j.rec.scales.find(s.gauge);
        if (sc == j.rec.scales.end()) continue;
        for (NeedleUse n : sc->second) {
            n.turn.x -= s.pos.x;
            n.turn.y -= s.pos.y;
            for (auto& p : n.scale) p.pt = {p.pt.x - s.pos.x, p.pt.y - s.pos.y};
            out.push_back(n);
        }
    }
    return out;
}

struct Rect {
    double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    bool empty() const { return x1 <= x0 || y1 <= y0; }
    bool hits(const Rect& o, double pad) const {
        return x0 - pad < o.x1 && o.x0 - pad < x1 && y0 - pad < o.y1 && o.y0 - pad < y1;
    }
};

// The height of the window a drum strip shows through.
double drumWindow(const Job& j, uint32_t strip) {
    auto row = j.by_id.find(strip);
    if (row == j.by_id.end()) return 0;
    auto u = j.rec.moving.find(strip);
    if (u == j.rec.moving.end()) return row->second->height;
    auto mask = j.by_id.find(u->second.mask);
    if (u->second.mask && mask != j.by_id.end()) return mask->second->height;
    return tw::movingImageWindow(row->second->height, u->second.minimum, u->second.maximum);
}

// The counter window of a face, in its pixels: the windows of the drums of
// the first gauge that shows the face with drums (none: empty).
Rect counterWindow(const Job& j, uint32_t face) {
    auto st = j.rec.statics.find(face);
    if (st == j.rec.statics.end()) return {};
    for (const StaticUse& s : st->second) {
        auto mv = j.rec.gauge_moving.find(s.gauge);
        if (mv == j.rec.gauge_moving.end()) continue;
        Rect w{1e9, 1e9, -1e9, -1e9};
        for (const PlaceUse& m : mv->second) {
            auto row = j.by_id.find(m.bitmap);
            if (row == j.by_id.end()) continue;
            double window_h = drumWindow(j, m.bitmap);
            double x = m.pos.x - s.pos.x, y = m.pos.y - s.pos.y;
            w = {std::min(w.x0, x), std::min(w.y0, y), std::max(w.x1, x + row->second->width),
                 std::max(w.y1, y + window_h)};
        }
        return w.empty() ? Rect{} : w;
    }
    return {};
}

// A small icon of that gauge just below the window (a unit marking that
// covers the face's own unit when it shows), in face pixels (none: empty).
Rect markingBelow(const Job& j, uint32_t face, const Rect& window) {
    auto st = j.rec.statics.find(face);
    if (window.empty() || st == j.rec.statics.end()) return {};
    for (const StaticUse& s : st->second) {
        auto ic = j.rec.gauge_icons.find(s.gauge);
        if (ic == j.rec.gauge_icons.end()) continue;
        for (const PlaceUse& i : ic->second) {
            auto row = j.by_id.find(i.bitmap);
            if (row == j.by_id.end() || row->second->width * 2 > j.w) continue;
            Rect m{static_cast<double>(i.pos.x - s.pos.x), static_cast<double>(i.pos.y - s.pos.y),
                   0, 0};
            m.x1 = m.x0 + row->second->width;
            m.y1 = m.y0 + row->second->height;
            if (m.y0 >= window.y1 - 1 && m.x0 < window.x1 && window.x0 < m.x1) return m;
        }
    }
    return {};
}

// What the gauge that shows a face sets over it that numerals must not hide
// under: its small static pictures and icons (a placard, a flag, a lamp), in
// face pixels.
std::vector<Rect> obstacles(const Job& j, uint32_t face) {
    std::vector<Rect> out;
    auto st = j.rec.statics.find(face);
    if (st == j.rec.statics.end() || st->second.empty()) return out;
    const StaticUse& s = st->second.front();
    auto add = [&](uint32_t bitmap, PIXPOINT pos) {
        auto row = j.by_id.find(bitmap);
        if (bitmap == face || row == j.by_id.end() || row->second->width * 2 > j.w) return;
        double x = pos.x - s.pos.x, y = pos.y - s.pos.y;
        out.push_back({x, y, x + row->second->width, y + row->second->height});
    };
    for (const auto& [bitmap, uses] : j.rec.statics)
        for (const StaticUse& u : uses)
            if (u.gauge == s.gauge) add(bitmap, u.pos);
    if (auto ic = j.rec.gauge_icons.find(s.gauge); ic != j.rec.gauge_icons.end())
        for (const PlaceUse& i : ic->second) add(i.bitmap, i.pos);
    return out;
}

// How far from the turning point C the numerals may reach: a bug (a needle
// whose pivot lies well short of its bitmap, beyond half the face's radius
// RAD) rides round the scale beyond that.
double bugRadius(const Job& j, uint32_t face, PIXPOINT c, double rad) {
    double r = 1e9;
    auto st = j.rec.statics.find(face);
    if (st == j.rec.statics.end()) return r;
    for (const StaticUse& s : st->second) {
        auto ns = j.rec.gauge_needles.find(s.gauge);
        if (ns == j.rec.gauge_needles.end()) continue;
        for (const NeedleUse& n : ns->second)
            if (n.turn.x - s.pos.x == c.x && n.turn.y - s.pos.y == c.y && -n.pivot.x > rad / 2)
                r = std::min(r, static_cast<double>(-n.pivot.x));
    }
    return r;
}

void tick(cairo_t* cr, double cx, double cy, double ang, double r_out, double len, double width) {
    double s = std::sin(ang), c = -std::cos(ang);
    cairo_set_line_width(cr, width);
    cairo_move_to(cr, cx + s * r_out, cy + c * r_out);
    cairo_line_to(cr, cx + s * (r_out - len), cy + c * (r_out - len));
    cairo_stroke(cr);
}

double angleOf(PIXPOINT c, PIXPOINT p) { return std::atan2(p.x - c.x, -(p.y - c.y)); }

// The angle a needle shows V at, between its scale points.
double angleAt(const NeedleUse& n, double v) {
    double a = angleOf(n.turn, n.scale.front().pt);
    for (size_t i = 0; i + 1 < n.scale.size(); ++i) {
        double a2 = angleOf(n.turn, n.scale[i + 1].pt);
        double d = a2 - angleOf(n.turn, n.scale[i].pt);
        while (d > Pi) d -= 2 * Pi;
        while (d <= -Pi) d += 2 * Pi;
        double v0 = n.scale[i].value, v1 = n.scale[i + 1].value;
        if (v1 != v0 && (v - v0) * (v - v1) <= 0) return a + d * (v - v0) / (v1 - v0);
        a += d;
    }
    return a;
}

// A small dial set into a face (a vernier): its turning point and radius.
struct Inset {
    PIXPOINT turn;
    double radius;
};

// Marks at a needle's scale points, and minor marks between them.
void scaleMarks(cairo_t* cr, const NeedleUse& n) {
    for (size_t i = 0; i < n.scale.size(); ++i) {
        const auto& p = n.scale[i];
        double a = angleOf(n.turn, p.pt);
        double rad = std::hypot(p.pt.x - n.turn.x, p.pt.y - n.turn.y);
        double big = rad > 60 ? 1.0 : 0.5;
        set(cr, named("white"));
        tick(cr, n.turn.x, n.turn.y, a, rad + 3 * big, 14 * big, 2.5 * big);
        if (i + 1 < n.scale.size()) {
            double a2 = angleOf(n.turn, n.scale[i + 1].pt);
            double d = a2 - a;
            while (d > Pi) d -= 2 * Pi;
            while (d < -Pi) d += 2 * Pi;
            double rad2 =
                std::hypot(n.scale[i + 1].pt.x - n.turn.x, n.scale[i + 1].pt.y - n.turn.y);
            for (int k = 1; k < 5; ++k) {
                double f = k / 5.0;
                tick(cr, n.turn.x, n.turn.y, a + d * f, rad + (rad2 - rad) * f + 3 * big, 7 * big,
                     1.2 * big);
            }
        }
    }
}

// ---- Numerals ------------------------------------------------------------------

// One numeral of a scale: at its mark's angle and radius from the turning point.
struct Numeral {
    std::string text;
    double angle = 0, mark_r = 0, size = 15;
    int tier = 0;  // rounder numbers first: whole tens and fives, whole numbers, ...
};

int roundness(double v) {
    int decimals = 0;
    double m = std::fabs(v);
    while (decimals < 4 && std::fabs(m - std::round(m)) > 1e-6) m *= 10, ++decimals;
    return decimals * 2 + (std::lround(m) % 5 == 0 ? 0 : 1);
}

// Where a ring of numerals may go, and what is there already.
struct Ring {
    PIXPOINT turn{};
    double mark_in = 11, mark_out = 3;  // how far the marks reach in and out of their radius
    double inner_limit = 1e9;           // no numeral's ink beyond this inside the marks (bugs)
    double outer_limit = 1e9;           // nor beyond this outside them (the rim)
    double pad = 0.4;                   // the least gap between two numerals, in their size
    bool outside = false;               // the numerals outside the marks
};

struct Taken {
    std::vector<Rect> windows;    // counter windows
    std::vector<Rect> obstacles;  // pictures set over the face
    std::vector<Inset> discs;     // inset dials
    std::vector<Rect> numerals;
};

bool hitsDisc(const Rect& r, const Inset& d, double pad) {
    double nx = std::clamp<double>(d.turn.x, r.x0, r.x1),
           ny = std::clamp<double>(d.turn.y, r.y0, r.y1);
    return std::hypot(nx - d.turn.x, ny - d.turn.y) < d.radius + pad;
}

// Each numeral beside its mark, inside the marks, or outside them all where
// one inside would touch a counter window. The roundest go first; a numeral
// that would touch one already placed, an inset dial, a window or a picture
// the gauge sets over the face is left out.
void placeNumerals(cairo_t* cr, const Ring& ring, std::vector<Numeral> ns, Taken& taken) {
    struct Spot {
        Rect box;
        double x = 0, y = 0;
        bool fits = true;
    };
    auto spot = [&](const Numeral& n, bool outside) {
        font(cr, n.size);
        cairo_text_extents_t e;
        cairo_text_extents(cr, n.text.c_str(), &e);
        double hw = e.width / 2, hh = e.height / 2;
        double ext = std::fabs(std::sin(n.angle)) * hw + std::fabs(std::cos(n.angle)) * hh;
        double r = outside
                       ? n.mark_r + ring.mark_out + 2 + ext
                       : std::min(n.mark_r - ring.mark_in - 3 - ext, ring.inner_limit - 3 - ext);
        Spot s;
        s.x = ring.turn.x + std::sin(n.angle) * r;
        s.y = ring.turn.y - std::cos(n.angle) * r;
        s.box = {s.x - hw, s.y - hh, s.x + hw, s.y + hh};
        s.fits = outside ? r + ext <= ring.outer_limit : r - ext > 0;
        return s;
    };
    bool outside = ring.outside;
    for (const Numeral& n : ns)
        for (const Rect& w : taken.windows)
            if (spot(n, false).box.hits(w, 2)) outside = true;
    std::stable_sort(ns.begin(), ns.end(),
                     [](const Numeral& a, const Numeral& b) { return a.tier < b.tier; });
    for (const Numeral& n : ns) {
        Spot s = spot(n, outside);
        bool clear = s.fits;
        for (const Rect& w : taken.windows) clear = clear && !s.box.hits(w, 2);
        for (const Rect& o : taken.obstacles) clear = clear && !s.box.hits(o, 2);
        // Small numerals may stand closer: a small dial has little room.
        double gap = ring.pad * n.size * std::min(1.0, n.size / 15);
        for (const Rect& o : taken.numerals) clear = clear && !s.box.hits(o, gap);
        for (const Inset& d : taken.discs) clear = clear && !hitsDisc(s.box, d, 2);
        if (!clear) continue;
        text(cr, n.text, s.x, s.y, n.size);
        taken.numerals.push_back(s.box);
    }
}

// The numerals of a needle's scale points, each value times MUL, and of the
// minor marks between two points where they read as round as both points
// (0 to 50 in fifths: 10, 20, 30, 40) and lie far enough apart to read,
// after those of the points.
std::vector<Numeral> scaleNumerals(const NeedleUse& n, double mul, double size) {
    std::vector<Numeral> out;
    for (size_t i = 0; i < n.scale.size(); ++i) {
        const auto& p = n.scale[i];
        double v = p.value * mul, a = angleOf(n.turn, p.pt);
        double r = std::hypot(p.pt.x - n.turn.x, p.pt.y - n.turn.y);
        out.push_back({numeral(v), a, r, size, roundness(v)});
        if (i + 1 == n.scale.size()) break;
        const auto& q = n.scale[i + 1];
        double v2 = q.value * mul, d = angleOf(n.turn, q.pt) - a;
        while (d > Pi) d -= 2 * Pi;
        while (d < -Pi) d += 2 * Pi;
        double r2 = std::hypot(q.pt.x - n.turn.x, q.pt.y - n.turn.y);
        if (std::fabs(d) * std::min(r, r2) / 5 < 3 * size) continue;
        for (int k = 1; k < 5; ++k) {
            double f = k / 5.0, m = v + (v2 - v) * f;
            if (roundness(m) <= std::min(roundness(v), roundness(v2)))
                out.push_back({numeral(m), a + d * f, r + (r2 - r) * f, size, roundness(m) + 1});
        }
    }
    return out;
}

// The ring of a needle's marks as scaleMarks draws them.
Ring markRing(const NeedleUse& n) {
    double r = 0;
    for (const auto& p : n.scale) r = std::max(r, std::hypot(p.pt.x - n.turn.x, p.pt.y - n.turn.y));
    double big = r > 60 ? 1.0 : 0.5;
    Ring ring;
    ring.turn = n.turn;
    ring.mark_in = 11 * big;
    ring.mark_out = 3 * big;
    return ring;
}

double scaleRadius(const NeedleUse& n) {
    double r = 0;
    for (const auto& p : n.scale) r = std::max(r, std::hypot(p.pt.x - n.turn.x, p.pt.y - n.turn.y));
    return r;
}

void faceDisc(cairo_t* cr, double cx, double cy, double r) {
    cairo_arc(cr, cx, cy, r, 0, 2 * Pi);
    set(cr, PanelGrey, 0.75);
    cairo_fill(cr);
    cairo_arc(cr, cx, cy, r - 5, 0, 2 * Pi);
    set(cr, FaceBlack);
    cairo_fill(cr);
}

PIXPOINT centreOf(const Job& j) {
    auto v = numbers(j.row.param("c"));
    if (v.size() == 2) return {static_cast<int32_t>(v[0]), static_cast<int32_t>(v[1])};
    return {j.w / 2, j.h / 2};
}

// A counter's window: recessed, with a frame, a little larger than the drums.
void counterFrame(cairo_t* cr, const Rect& w) {
    roundRect(cr, w.x0 - 6, w.y0 - 5, w.x1 - w.x0 + 12, w.y1 - w.y0 + 10, 4);
    set(cr, PanelGrey, 0.9);
    cairo_fill(cr);
    roundRect(cr, w.x0 - 3, w.y0 - 2, w.x1 - w.x0 + 6, w.y1 - w.y0 + 4, 2);
    set(cr, FaceBlack, 0.6);
    cairo_fill(cr);
}

// Legends of a face with a counter: the parts of LEGEND (split where two or
// more spaces part them) above the window, the last below it, or under the
// unit marking that covers it when the marking shows. ROW: 0 for the face's
// own legend, 1 for an overlay's, which sits between it and the window.
void counterLegends(cairo_t* cr, const std::string& legend, const Rect& w, const Rect& marking,
                    int row) {
    std::vector<std::string> parts;
    for (size_t p = 0; p < legend.size();) {
        size_t q = legend.find("  ", p);
        if (q == std::string::npos) q = legend.size();
        parts.push_back(legend.substr(p, q - p));
        p = legend.find_first_not_of(' ', q);
        if (p == std::string::npos) break;
    }
    if (parts.empty() || parts[0].empty()) return;
    double cx = (w.x0 + w.x1) / 2, width = w.x1 - w.x0 + 40;
    text(cr, parts[0], cx, w.y0 - (row == 0 ? 35 : 16), row == 0 ? 16 : 12, width);
    if (parts.size() < 2) return;
    if (!marking.empty())
        text(cr, parts[1], (marking.x0 + marking.x1) / 2, (marking.y0 + marking.y1) / 2, 12,
             marking.x1 - marking.x0 - 4);
    else
        text(cr, parts[1], cx, w.y1 + 17, row == 0 ? 13 : 12, width);
}

// A clock's face after its hands' records: a mark every minute round the rim,
// the minutes and seconds every five just inside (60 at the top, where the
// minute hand's scale starts), the hours 1 to 12 within, where the hour hand
// shows them.
void clockFace(cairo_t* cr, PIXPOINT c, double rad, const std::vector<NeedleUse>& hands) {
    const NeedleUse* hours = nullptr;
    const NeedleUse* minutes = nullptr;
    for (const NeedleUse& n : hands) {
        if (n.turn.x != c.x || n.turn.y != c.y || n.scale.size() < 2) continue;
        double top = n.scale.back().value;
        if (top > 13 && top < 30 && !hours) hours = &n;
        if (top >= 59 && top <= 61 && !minutes) minutes = &n;
    }
    auto minuteAngle = [&](double m) { return minutes ? angleAt(*minutes, m) : m * Pi / 30; };
    auto hourAngle = [&](double h) { return hours ? angleAt(*hours, h) : h * Pi / 6; };
    double tr = rad - 8;
    set(cr, named("white"));
    for (int m = 0; m < 60; ++m) {
        bool major = m % 5 == 0;
        tick(cr, c.x, c.y, minuteAngle(m), tr, major ? 12 : 6, major ? 2.5 : 1.2);
    }
    Ring ring;
    ring.turn = c;
    ring.mark_in = 12;
    ring.mark_out = 0;
    std::vector<Numeral> ms;
    for (int m = 5; m <= 60; m += 5)
        ms.push_back({std::to_string(m), minuteAngle(m % 60), tr, 11, 0});
    Taken taken;
    placeNumerals(cr, ring, ms, taken);
    // The hours within the minutes' numerals.
    for (int h = 1; h <= 12; ++h) {
        double a = hourAngle(h), r = tr - 52;
        text(cr, std::to_string(h), c.x + std::sin(a) * r, c.y - std::cos(a) * r, 22);
    }
}

// A vernier's dial, sized to the room about it: its numerals outside its
// marks where the room allows, else smaller inside them.
void insetDial(cairo_t* cr, const NeedleUse& v, const std::vector<NeedleUse>& mains, PIXPOINT c,
               double face_r, Taken& main_taken) {
    double sr = scaleRadius(v);
    double room = face_r - 6 - std::hypot(v.turn.x - c.x, v.turn.y - c.y) - 2;
    for (const NeedleUse& m : mains)
        for (const auto& p : m.scale)
            room = std::min(room, std::hypot(p.pt.x - v.turn.x, p.pt.y - v.turn.y) - 16);
    double r = std::min(sr + 19, room);
    bool outside = r >= sr + 16;
    if (!outside) r = std::max(r, sr + 5);
    main_taken.discs.push_back({v.turn, r});
    cairo_arc(cr, v.turn.x, v.turn.y, r, 0, 2 * Pi);
    set(cr, FaceBlack, 1.8);
    cairo_fill_preserve(cr);
    set(cr, PanelGrey);
    cairo_set_line_width(cr, 2);
    cairo_stroke(cr);
    scaleMarks(cr, v);
    // A vernier's numerals are its own digits, unmultiplied.
    Ring ring = markRing(v);
    ring.pad = 0.1;
    ring.outer_limit = r - 1;
    ring.outside = outside;
    auto ns = scaleNumerals(v, 1.0, 11);
    Taken taken;
    if (!outside) {
        // Inside, every second digit.
        std::vector<Numeral> even;
        for (const Numeral& n : ns)
            if (n.tier <= 1 && std::atoi(n.text.c_str()) % 2 == 0) even.push_back(n);
        ns = even;
    }
    set(cr, named("white"));
    placeNumerals(cr, ring, ns, taken);
}

void drawDial(Job& j) {
    const auto& r = j.row;
    PIXPOINT c = centreOf(j);
    auto found = scalesOnFace(j, r.id);
    if (!found.empty()) c = found[0].turn;
    double rad = std::min({c.x, c.y, j.w - c.x, j.h - c.y}) - 1.0;
    faceDisc(j.cr, c.x, c.y, rad);
    double mul = r.has("mul") ? std::atof(r.param("mul").c_str()) : 1.0;
    bool numerals = r.param("numerals", "1") != "0";
    Taken taken;
    taken.obstacles = obstacles(j, r.id);
    Rect window = counterWindow(j, r.id);
    if (!window.empty()) {
        counterFrame(j.cr, window);
        taken.windows.push_back({window.x0 - 6, window.y0 - 5, window.x1 + 6, window.y1 + 5});
    }
    double bug = bugRadius(j, r.id, c, rad);
    if (r.param("clock") == "1") {
        clockFace(j.cr, c, rad, found);
    } else if (!found.empty()) {
        // A needle that turns elsewhere on the face (a vernier) gets a dial of its own.
        std::vector<NeedleUse> mains, verniers;
        for (const NeedleUse& n : found)
            (n.turn.x == c.x && n.turn.y == c.y ? mains : verniers).push_back(n);
        for (const NeedleUse& v : verniers) insetDial(j.cr, v, mains, c, rad, taken);
        for (const NeedleUse& n : mains) {
            scaleMarks(j.cr, n);
            if (!numerals) continue;
            Ring ring = markRing(n);
            ring.inner_limit = bug;
            ring.outer_limit = rad - 6;
            set(j.cr, named("white"));
            placeNumerals(j.cr, ring, scaleNumerals(n, mul, scaleRadius(n) > 60 ? 15 : 9), taken);
        }
    } else if (r.has("lin")) {
        auto v = numbers(r.param("lin"));
        if (v.size() == 6 && v[4] > 0) {
            set(j.cr, named("white"));
            double tr = rad - 8;
            std::vector<Numeral> ns;
            for (double x = v[0]; x <= v[1] + 1e-9; x += v[4]) {
                double a = (v[2] + (v[3] - v[2]) * (x - v[0]) / (v[1] - v[0])) * Pi / 180;
                double steps = (x - v[0]) / v[5];
                bool major = std::fabs(steps - std::round(steps)) < 1e-6;
                tick(j.cr, c.x, c.y, a, tr, major ? 14 : 7, major ? 2.5 : 1.2);
                if (major && !(std::fabs(v[3] - v[2] - 360) < 1e-9 && x > v[1] - 1e-9))
                    ns.push_back(
                        {numeral(x * mul), a, tr, rad > 80 ? 16.0 : 9.0, roundness(x * mul)});
            }
            Ring ring;
            ring.turn = c;
            ring.mark_in = 14;
            ring.mark_out = 0;
            ring.inner_limit = bug;
            ring.outer_limit = rad - 6;
            placeNumerals(j.cr, ring, ns, taken);
        }
    }
    if (r.has("index")) {
        // A reading index, DEG:R: its tip at radius R, pointing outwards.
        auto v = numbers(r.param("index"));
        if (v.size() == 2) {
            double a = v[0] * Pi / 180, s = std::sin(a), k = -std::cos(a);
            set(j.cr, named("white"));
            cairo_move_to(j.cr, c.x + s * v[1], c.y + k * v[1]);
            cairo_line_to(j.cr, c.x + s * (v[1] - 8) - k * 4, c.y + k * (v[1] - 8) + s * 4);
            cairo_line_to(j.cr, c.x + s * (v[1] - 8) + k * 4, c.y + k * (v[1] - 8) - s * 4);
            cairo_close_path(j.cr);
            cairo_fill(j.cr);
        }
    }
    set(j.cr, named("white"), 0.85);
    if (!window.empty())
        counterLegends(j.cr, r.legend, window, markingBelow(j, r.id, window), 0);
    else
        text(j.cr, r.legend, c.x, c.y + rad * 0.28, rad > 80 ? 11 : 8, rad * 0.8);
}

// Whether a needle of the gauges that show bitmap ID turns at C on it, and
// where the first such needle rests (its first scale point's angle).
bool needleTurnsAt(const Job& j, uint32_t id, PIXPOINT c, double& rest_angle) {
    auto st = j.rec.statics.find(id);
    if (st == j.rec.statics.end()) return false;
    for (const StaticUse& s : st->second) {
        auto ns = j.rec.gauge_needles.find(s.gauge);
        if (ns == j.rec.gauge_needles.end()) continue;
        for (const NeedleUse& n : ns->second) {
            if (n.turn.x - s.pos.x != c.x || n.turn.y - s.pos.y != c.y) continue;
            rest_angle = n.scale.empty() ? Pi : angleOf(n.turn, n.scale.front().pt);
            return true;
        }
    }
    return false;
}

void drawOverlay(Job& j) {
    const auto& r = j.row;
    PIXPOINT c = centreOf(j);
    cairo_t* cr = j.cr;
    if (r.has("lit")) {
        // The backlit legends of the panel face, in a row across its top.
        set(cr, named(r.colour));
        text(cr, r.legend, j.w / 2.0, 12, 11, j.w - 10);
        return;
    }
    if (r.has("frame")) {
        set(cr, PanelGrey);
        cairo_set_line_width(cr, 3);
        cairo_rectangle(cr, 14, 18, j.w - 30, 38);
        cairo_stroke(cr);
        set(cr, named("white"));
        text(cr, r.legend, j.w - 24, 68, 10);
        return;
    }
    if (r.has("scalefrom")) {
        uint32_t face = 0;
        twart::parseNumberKey(r.param("scalefrom"), face);
        double mul = std::atof(r.param("mul", "1").c_str());
        double rad = std::min({c.x, c.y, j.w - c.x, j.h - c.y}) - 1.0;
        Taken taken;
        taken.obstacles = obstacles(j, face);
        Rect window = counterWindow(j, face);
        if (!window.empty())
            taken.windows.push_back({window.x0 - 6, window.y0 - 5, window.x1 + 6, window.y1 + 5});
        set(cr, named("white"));
        for (const NeedleUse& n : scalesOnFace(j, face)) {
            Ring ring = markRing(n);
            ring.inner_limit = bugRadius(j, face, n.turn, rad);
            ring.outer_limit = rad - 6;
            placeNumerals(cr, ring, scaleNumerals(n, mul, scaleRadius(n) > 60 ? 15 : 9), taken);
        }
        if (!window.empty())
            counterLegends(cr, r.legend, window, markingBelow(j, face, window), 1);
        else
            text(cr, r.legend, c.x, c.y + 90, 10, 200);
        return;
    }
    if (Rect window = counterWindow(j, r.id); !window.empty()) {
        set(cr, named("white"), 0.9);
        counterLegends(cr, r.legend, window, markingBelow(j, r.id, window), 1);
        return;
    }
    double rest = Pi;
    bool hub = needleTurnsAt(j, r.id, c, rest);
    // The legend above the turning point, or below where the needle rests up there.
    double rad = std::min({c.x, c.y, j.w - c.x, j.h - c.y}) - 1.0;
    bool rests_up = std::fabs(std::remainder(rest, 2 * Pi)) < Pi / 3;
    set(cr, named("white"), 0.9);
    text(cr, r.legend, c.x, rests_up ? c.y + rad * 0.28 - 18 : c.y - 0.3 * std::min(c.x, c.y), 12,
         160);
    if (!hub) return;
    // The hub that covers the needles' turning point.
    cairo_pattern_t* g = cairo_pattern_create_radial(c.x - 3, c.y - 3, 1, c.x, c.y, 11);
    cairo_pattern_add_color_stop_rgb(g, 0, 0.6, 0.6, 0.62);
    cairo_pattern_add_color_stop_rgb(g, 1, 0.12, 0.12, 0.13);
    cairo_arc(cr, c.x, c.y, 10, 0, 2 * Pi);
    cairo_set_source(cr, g);
    cairo_fill(cr);
    cairo_pattern_destroy(g);
}

bool orientedUp(const twart::BitmapRow& r) { return r.param("up") == "1"; }

// The pivot: the records' first, then the table's, then the near end.
PIXPOINT pivotOf(const Job& j) {
    auto it = j.rec.needles.find(j.row.id);
    if (!j.row.named && it != j.rec.needles.end()) return it->second.pivot;
    auto v = numbers(j.row.param("p"));
    if (v.size() == 2) return {static_cast<int32_t>(v[0]), static_cast<int32_t>(v[1])};
    if (orientedUp(j.row)) return {j.w / 2, j.h - j.w / 2};
    return {j.h / 2, j.h / 2};
}

void drawBug(Job& j) {
    cairo_t* cr = j.cr;
    set(cr, named(j.row.colour));
    if (orientedUp(j.row)) {
        // Points down, towards the turning point below the bitmap.
        cairo_move_to(cr, 1, 1);
        cairo_line_to(cr, j.w - 1, 1);
        cairo_line_to(cr, j.w - 1, j.h * 0.45);
        cairo_line_to(cr, j.w / 2.0, j.h - 1);
        cairo_line_to(cr, 1, j.h * 0.45);
    } else {
        cairo_move_to(cr, j.w - 1, 1);
        cairo_line_to(cr, j.w - 1, j.h - 1);
        cairo_line_to(cr, j.w * 0.35, j.h - 1);
        cairo_line_to(cr, 1, j.h / 2.0);
        cairo_line_to(cr, j.w * 0.35, 1);
    }
    cairo_close_path(cr);
    cairo_fill_preserve(cr);
    set(cr, Ink);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
}

void drawNeedle(Job& j) {
    cairo_t* cr = j.cr;
    const auto& r = j.row;
    PIXPOINT p = pivotOf(j);
    bool up = orientedUp(r);
    bool outside = p.x < 0 || p.y < 0 || p.x >= j.w || p.y >= j.h;
    if (outside) {
        if (up ? p.y >= j.h : p.x < 0) {
            // The pointer is a segment of a needle whose hub lies off the bitmap.
            if (up) {
                Job k = j;
                drawBug(k);
                return;
            }
            set(cr, named(r.colour));
            cairo_move_to(cr, 0, j.h * 0.25);
            cairo_line_to(cr, j.w - 1, j.h * 0.5);
            cairo_line_to(cr, 0, j.h * 0.75);
            cairo_close_path(cr);
            cairo_fill(cr);
            return;
        }
    }
    // Drawn along +x from the pivot; an upward needle is the same turned.
    cairo_save(cr);
    double len, tail, width;
    if (up) {
        cairo_translate(cr, p.x, p.y);
        cairo_rotate(cr, -Pi / 2);
        len = p.y - 1;
        tail = std::min<double>(j.h - 1 - p.y, len * 0.3);
        width = j.w;
    } else {
        cairo_translate(cr, p.x, p.y);
        len = j.w - 1 - p.x;
        tail = std::min<double>(p.x, len * 0.3);
        width = 2.0 * std::min(p.y, j.h - p.y);
    }
    Colour col = named(r.colour);
    double half = std::max(1.5, std::min(width / 2 - 1, 5.0));
    if (r.param("wide") == "1") half = width / 2 - 1;
    if (r.param("shape") == "course") {
        // Course arrow with a gap where the deviation bar moves.
        set(cr, col);
        cairo_set_line_width(cr, 6);
        cairo_move_to(cr, len * 0.35, 0);
        cairo_line_to(cr, len - 14, 0);
        cairo_stroke(cr);
        cairo_move_to(cr, len, 0);
        cairo_line_to(cr, len - 18, -12);
        cairo_line_to(cr, len - 18, 12);
        cairo_close_path(cr);
        cairo_fill(cr);
        cairo_move_to(cr, -len * 0.35, 0);
        cairo_line_to(cr, -std::min<double>(j.h - p.y, len) + 2, 0);
        cairo_stroke(cr);
        cairo_restore(cr);
        return;
    }
    if (r.param("shape") == "tenk") {
        // The ten-thousands pointer: a thin shaft out to the rim, where a broad
        // wedge shows past the other hands.
        double wedge = std::min(width / 2 - 1, 14.0);
        set(cr, col);
        cairo_set_line_width(cr, 2.5);
        cairo_move_to(cr, -tail * 0.3, 0);
        cairo_line_to(cr, len - 20, 0);
        cairo_stroke(cr);
        cairo_move_to(cr, len, -wedge);
        cairo_line_to(cr, len, wedge);
        cairo_line_to(cr, len - 22, 0);
        cairo_close_path(cr);
        cairo_fill_preserve(cr);
        set(cr, Ink);
        cairo_set_line_width(cr, 0.8);
        cairo_stroke(cr);
        cairo_restore(cr);
        return;
    }
    if (r.param("knob") == "1") {
        cairo_arc(cr, 0, 0, len * 0.8, 0, 2 * Pi);
        set(cr, PanelGrey, 1.1);
        cairo_fill(cr);
        set(cr, col);
        cairo_set_line_width(cr, 3);
        cairo_move_to(cr, 0, 0);
        cairo_line_to(cr, len, 0);
        cairo_stroke(cr);
        cairo_restore(cr);
        return;
    }
    auto shaft = [&](double offset) {
        cairo_move_to(cr, -tail, offset - half * 0.8);
        cairo_line_to(cr, len * 0.7, offset - half);
        cairo_line_to(cr, len, offset);
        cairo_line_to(cr, len * 0.7, offset + half);
        cairo_line_to(cr, -tail, offset + half * 0.8);
        cairo_close_path(cr);
    };
    if (r.param("double") == "1") {
        half = std::max(1.5, half * 0.5);
        shaft(-width / 4);
        shaft(width / 4);
    } else {
        shaft(0);
    }
    set(cr, col);
    cairo_fill_preserve(cr);
    set(cr, Ink);
    cairo_set_line_width(cr, 0.8);
    cairo_stroke(cr);
    if (r.param("stripe") == "1") {
        cairo_save(cr);
        shaft(0);
        cairo_clip(cr);
        set(cr, named("white"));
        for (double x = -tail; x < len; x += 16) {
            cairo_rectangle(cr, x, -width, 8, 2 * width);
            cairo_fill(cr);
        }
        cairo_restore(cr);
    }
    double hub = r.param("hub") == "1" ? std::min(p.y, p.x) - 1.0 : std::min(half + 2, 6.0);
    if (p.x >= 0 && p.y >= 0) {
        cairo_arc(cr, 0, 0, std::max(hub, 1.0), 0, 2 * Pi);
        set(cr, col, 0.8);
        cairo_fill(cr);
    }
    cairo_restore(cr);
}

void drawLamp(Job& j) {
    const auto& r = j.row;
    Colour c = named(r.colour);
    bool lit = r.kind == "lamp";
    if (r.has("slot")) {
        int k = 0, n = 1;
        if (std::sscanf(r.param("slot").c_str(), "%d/%d", &k, &n) != 2 || n < 1 || k < 0 || k >= n)
            throw std::runtime_error("line " + std::to_string(r.line) + ": want slot=K/N");
        plateBase(j.cr, j.w, j.h, PanelDark);
        double cw = static_cast<double>(j.w) / n;
        const char* marks[] = {"O", "M", "I"};
        Colour cols[] = {named("blue"), named("amber"), named("white")};
        for (int i = 0; i < n && i < 3; ++i)
            lensBox(j.cr, i * cw + 1, 1, cw - 2, j.h - 2, cols[i], i == k, marks[i]);
        return;
    }
    plateBase(j.cr, j.w, j.h, PanelDark);
    int n = std::max(1, std::atoi(r.param("lenses", "1").c_str()));
    bool across = j.w >= j.h;
    // labels=A,B and colours=C,D: each housing's own legend and colour (the
    // legend of an unlit lens still reads, dimly, as on the aircraft).
    auto labels = r.has("labels") ? words(r.param("labels")) : std::vector<std::string>{};
    auto colours = r.has("colours") ? words(r.param("colours")) : std::vector<std::string>{};
    for (int i = 0; i < n; ++i) {
        double x = across ? i * j.w / static_cast<double>(n) : 0;
        double y = across ? 0 : i * j.h / static_cast<double>(n);
        double w = across ? j.w / static_cast<double>(n) : j.w;
        double h = across ? j.h : j.h / static_cast<double>(n);
        auto k = static_cast<size_t>(i);
        lensBox(j.cr, x, y, w, h, k < colours.size() ? named(colours[k]) : c, lit,
                k < labels.size() ? labels[k] : r.legend);
    }
}

int imageOf(const Job& j, int& count) {
    int k = 0;
    count = 1;
    if (j.row.has("img") && (std::sscanf(j.row.param("img").c_str(), "%d/%d", &k, &count) != 2 ||
                             count < 1 || k < 0 || k >= count))
        throw std::runtime_error("line " + std::to_string(j.row.line) + ": want img=K/N");
    // The records' picture count wins over the table's.
    if (!j.row.named && k > 0 && j.row.id >= static_cast<uint32_t>(k)) {
        auto it = j.rec.icon_images.find(j.row.id - k);
        if (it != j.rec.icon_images.end() && static_cast<int>(it->second) > k) count = it->second;
    }
    return k;
}

void drawSwitch(Job& j) {
    cairo_t* cr = j.cr;
    int n = 1, k = imageOf(j, n);
    plateBase(cr, j.w, j.h, PanelGrey);
    double cx = j.w / 2.0, cy = j.h / 2.0;
    double reach = std::min(j.w, j.h) * 0.42;
    bool across = j.row.param("horizontal") == "1";
    // Position 0 at the top (or left), the last at the bottom (or right).
    double t = n > 1 ? static_cast<double>(k) / (n - 1) : 0.5;
    double dy = (t * 2 - 1) * (across ? 0 : std::max(reach, j.h * 0.36));
    double dx = (t * 2 - 1) * (across ? std::max(reach, j.w * 0.36) : 0);
    cairo_arc(cr, cx, cy, std::min(j.w, j.h) * 0.28, 0, 2 * Pi);
    set(cr, PanelGrey, 0.55);
    cairo_fill(cr);
    cairo_set_line_width(cr, std::max(3.0, std::min(j.w, j.h) * 0.18));
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    set(cr, named("white"), 0.8);
    cairo_move_to(cr, cx, cy);
    cairo_line_to(cr, cx + dx, cy + dy);
    cairo_stroke(cr);
    cairo_arc(cr, cx + dx, cy + dy, std::max(2.5, std::min(j.w, j.h) * 0.13), 0, 2 * Pi);
    set(cr, named(j.row.colour));
    cairo_fill(cr);
    if (j.h > 60 && !j.row.legend.empty()) {
        set(cr, named("white"));
        text(cr, j.row.legend, cx, dy > 0 ? 10 : j.h - 10, 10, j.w - 4);
    }
}

void drawKnob(Job& j) {
    cairo_t* cr = j.cr;
    int n = 1, k = imageOf(j, n);
    plateBase(cr, j.w, j.h, PanelGrey);
    auto labels = words(j.row.param("labels"));
    bool wide = j.w > 1.6 * j.h;
    double cx = j.w / 2.0, cy = wide ? j.h * 0.68 : j.h * 0.58;
    double kr = std::min(j.w, j.h) * (wide ? 0.25 : 0.22);
    double spread = wide ? 70 : 120;
    std::vector<double> angles;  // degrees clockwise from 12 o'clock, where the records put them
    if (j.row.has("centre")) {
        auto c = numbers(j.row.param("centre"));
        if (c.size() == 2) cx = c[0], cy = c[1];
        kr = std::atof(j.row.param("radius", "9").c_str());
        angles = numbers(j.row.param("angles"));
    }
    auto angle = [&](int i) {
        if (i < static_cast<int>(angles.size())) return angles[static_cast<size_t>(i)] * Pi / 180;
        return (n > 1 ? -spread + 2 * spread * i / (n - 1) : 0) * Pi / 180;
    };
    double size = std::atof(j.row.param("size", wide ? "8" : "9").c_str());
    for (int i = 0; i < n; ++i) {
        double a = angle(i);
        double lr = angles.empty() ? (wide ? kr * 2.1 : kr * 1.9) : kr + 11;
        set(cr, named("white"), i == k ? 1.0 : 0.7);
        std::string l = i < static_cast<int>(labels.size()) ? labels[i] : std::to_string(i);
        double x = cx + std::sin(a) * lr * (wide ? 1.6 : 1.0), y = cy - std::cos(a) * lr;
        // Whole within the picture.
        font(cr, size);
        cairo_text_extents_t e;
        cairo_text_extents(cr, l.c_str(), &e);
        x = std::clamp(x, e.width / 2 + 1, j.w - e.width / 2 - 1);
        y = std::clamp(y, e.height / 2 + 1, j.h - e.height / 2 - 1);
        text(cr, l, x, y, size, wide ? j.w / 4.0 : 30);
    }
    cairo_arc(cr, cx, cy, kr, 0, 2 * Pi);
    set(cr, PanelDark);
    cairo_fill(cr);
    double a = angle(k);
    set(cr, named("white"));
    cairo_set_line_width(cr, 2.5);
    cairo_move_to(cr, cx, cy);
    cairo_line_to(cr, cx + std::sin(a) * kr, cy - std::cos(a) * kr);
    cairo_stroke(cr);
}

// How far to lower this strip's digits so that they stand level with those
// of the gauge's other drums, where the records set its window a little
// higher or lower than theirs.
double drumLevel(const Job& j, double window_h) {
    for (const auto& [gauge, places] : j.rec.gauge_moving) {
        const PlaceUse* mine = nullptr;
        const PlaceUse* other = nullptr;
        for (const PlaceUse& p : places) (p.bitmap == j.row.id ? mine : other) = &p;
        if (!mine || !other) continue;
        double d = (other->pos.y + drumWindow(j, other->bitmap) / 2) - (mine->pos.y + window_h / 2);
        return std::clamp(d, -window_h * 0.15, window_h * 0.15);
    }
    return 0;
}

void drawDrum(Job& j) {
    cairo_t* cr = j.cr;
    const auto& r = j.row;
    set(cr, FaceBlack, 1.2);
    cairo_rectangle(cr, 0, 0, j.w, j.h);
    cairo_fill(cr);
    double minimum = 0, maximum = 9, window_h = 0;
    auto range = numbers(r.param("range", ""));
    if (range.size() == 2) minimum = range[0], maximum = range[1];
    uint32_t mask = 0;
    twart::parseNumberKey(r.param("mask"), mask);
    if (auto it = j.rec.moving.find(r.id); !r.named && it != j.rec.moving.end()) {
        minimum = it->second.minimum;
        maximum = it->second.maximum;
        mask = it->second.mask;
    }
    if (mask && j.by_id.count(mask)) window_h = j.by_id.at(mask)->height;
    if (window_h <= 0) window_h = tw::movingImageWindow(j.h, minimum, maximum);
    double step = tw::movingImageStep(minimum, maximum);
    double span = maximum - minimum;
    double travel = j.h - window_h;
    double level = r.named ? 0 : drumLevel(j, window_h);
    set(cr, named(r.colour));
    // One cell per step of the range, and the next digit after the last so
    // the drum rolls on; each cell sits where the host shows that value.
    int steps = static_cast<int>(std::round(std::fabs(span) / step));
    for (int i = 0; i <= steps + 1; ++i) {
        double value = minimum + (span >= 0 ? 1 : -1) * i * step;
        double top = span != 0 ? (value - minimum) / span * travel : 0;
        if (top > j.h) break;
        int digit = static_cast<int>(std::lround(std::fabs(value) / step)) % 10;
        std::string s = std::to_string(digit) + r.param("suffix");
        text(cr, s, j.w / 2.0, top + window_h / 2 + level, std::min(window_h * 0.7, j.w * 1.1),
             j.w - 2);
    }
}

void drawMask(Job& j) {
    set(j.cr, named("white"));
    if (j.row.param("shape") == "circle")
        cairo_arc(j.cr, j.w / 2.0, j.h / 2.0, std::min(j.w, j.h) / 2.0, 0, 2 * Pi);
    else if (j.row.param("shape") == "cell")
        roundRect(j.cr, 0, 0, j.w, j.h, 3);  // the radar's cells overlap into a smooth fan
    else
        cairo_rectangle(j.cr, 0, 0, j.w, j.h);
    cairo_fill(j.cr);
}

// How radar returns are read: green weak, yellow, red, magenta strongest.
Colour echoColour(int level) {
    if (level <= 1) return {0.1, 0.62, 0.18};
    if (level == 2) return {0.16, 0.88, 0.25};
    if (level == 3) return {0.95, 0.87, 0.16};
    if (level <= 5) return {0.92, 0.16, 0.12};
    return {0.9, 0.24, 0.9};
}

void drawTexture(Job& j) {
    cairo_t* cr = j.cr;
    std::string mode = j.row.param("mode");
    double cx = j.w / 2.0, cy = j.h / 2.0;
    if (mode == "horizon") {
        // Sky over ground, a ladder every 5 degrees at 2.5 pixels a degree.
        cairo_set_source_rgb(cr, 0.22, 0.45, 0.8);
        cairo_rectangle(cr, 0, 0, j.w, cy);
        cairo_fill(cr);
        cairo_set_source_rgb(cr, 0.5, 0.32, 0.14);
        cairo_rectangle(cr, 0, cy, j.w, j.h - cy);
        cairo_fill(cr);
        set(cr, named("white"));
        cairo_set_line_width(cr, 2);
        cairo_move_to(cr, 0, cy);
        cairo_line_to(cr, j.w, cy);
        cairo_stroke(cr);
        for (int d = -40; d <= 40; d += 5) {
            if (d == 0) continue;
            double y = cy - d * 2.5, half = d % 10 == 0 ? 26 : 12;
            cairo_set_line_width(cr, 1.5);
            cairo_move_to(cr, cx - half, y);
            cairo_line_to(cr, cx + half, y);
            cairo_stroke(cr);
            if (d % 10 == 0) {
                text(cr, std::to_string(std::abs(d)), cx - half - 10, y, 9);
                text(cr, std::to_string(std::abs(d)), cx + half + 10, y, 9);
            }
        }
    } else if (mode == "ring") {
        double rad = std::min(cx, cy) * 0.66;
        set(cr, named("white"));
        for (int d : {-60, -45, -30, -20, -10, 10, 20, 30, 45, 60}) {
            bool major = d % 30 == 0;
            tick(cr, cx, cy, d * Pi / 180, rad, major ? 12 : 7, major ? 3 : 2);
        }
        cairo_move_to(cr, cx, cy - rad);
        cairo_line_to(cr, cx - 6, cy - rad - 10);
        cairo_line_to(cr, cx + 6, cy - rad - 10);
        cairo_close_path(cr);
        cairo_fill(cr);
    } else if (mode == "card") {
        // rad=R: the card's radius in the texture's pixels, where the sprite
        // magnifies it (RMI: its window's radius over the scale), so that the
        // marks fall inside the window.
        double rad =
            j.row.has("rad") ? std::atof(j.row.param("rad").c_str()) : std::min(cx, cy) - 2;
        rad = std::clamp(rad, 20.0, std::min(cx, cy) - 2);
        cairo_arc(cr, cx, cy, rad, 0, 2 * Pi);
        set(cr, PanelDark, 0.9);
        cairo_fill(cr);
        set(cr, named("white"));
        for (int d = 0; d < 360; d += 5) {
            bool major = d % 10 == 0;
            tick(cr, cx, cy, d * Pi / 180, rad - 2, major ? 12 : 7, major ? 2 : 1.2);
            if (d % 30 == 0) {
                static const char* points[] = {"N", "3",  "6",  "E", "12", "15",
                                               "S", "21", "24", "W", "30", "33"};
                cairo_save(cr);
                cairo_translate(cr, cx, cy);
                cairo_rotate(cr, d * Pi / 180);
                text(cr, points[d / 30], 0, -(rad - 28), 16);
                cairo_restore(cr);
            }
        }
    } else if (mode == "devbar") {
        set(cr, named(j.row.colour));
        cairo_rectangle(cr, cx - 3, cy - 60, 6, 120);
        cairo_fill(cr);
    } else if (mode == "baro") {
        // Inches of mercury, a hundredth to the degree, for a sprite that
        // turns 29.90 to half a turn and shows it at 3 o'clock: so 29.90 sits
        // at 9 o'clock here and higher settings anticlockwise from it. The
        // numerals run along the radius, to read upright in the window; the
        // marks and numerals lie where the sprite's window shows them
        // (rad=R: the radius of the marks' outer ends, in texture pixels).
        double rad = std::atof(j.row.param("rad", "95").c_str());
        rad = std::clamp(rad, 30.0, std::min(cx, cy) - 2);
        set(cr, named("white"));
        for (int i = -150; i <= 150; i += 2) {
            double a = (270 - i) * Pi / 180;
            bool major = i % 10 == 0;
            tick(cr, cx, cy, a, rad, major ? 4 : 2, major ? 1.5 : 1);
            if (!major) continue;
            char buf[16];
            std::snprintf(buf, sizeof buf, "%.1f", 29.9 + i / 100.0);
            cairo_save(cr);
            cairo_translate(cr, cx, cy);
            cairo_rotate(cr, a - Pi / 2);
            font(cr, 9);
            cairo_text_extents_t e;
            cairo_text_extents(cr, buf, &e);
            text(cr, buf, rad - 5 - e.width / 2, 0, 9);
            cairo_restore(cr);
        }
    } else if (mode == "cell") {
        // Four quadrants, each one echo level's colour in a speckle that
        // repeats every 64 x 256 pixels (as the scroll does); the gaps are the
        // transparent colour, so the layer beneath shows through them.
        constexpr int PeriodX = 64, PeriodY = 256;
        auto range = numbers(j.row.param("levels", "1:4"));
        int first = range.empty() ? 1 : static_cast<int>(range[0]);
        double dim = j.row.param("dim") == "1" ? 0.7 : 1.0;
        for (int y = 0; y < j.h; y += 2) {
            for (int x = 0; x < j.w; x += 2) {
                // As the host samples the offsets the gauge gives: the left
                // half holds the even levels, the bottom half levels 1, 2 (5,
                // 6); level 9 shares level 5's quadrant, as the gauge picks it.
                int quadrant = (x < j.w / 2 ? 1 : 0) + (y < j.h / 2 ? 2 : 0);
                int level = first + quadrant;
                unsigned seed =
                    static_cast<unsigned>((x % PeriodX) / 2 * 7919 + (y % PeriodY) / 2 * 104729 +
                                          static_cast<int>(j.row.id));
                seed = seed * 1103515245u + 12345u;
                seed ^= seed >> 13;
                seed *= 2654435761u;
                int r = static_cast<int>((seed >> 8) % 100);
                if (r < 22) continue;  // a gap
                set(cr, echoColour(level), (0.7 + 0.3 * r / 100.0) * dim);
                cairo_rectangle(cr, x, y, 2, 2);
                cairo_fill(cr);
            }
        }
    }
}

void drawFlag(Job& j) {
    cairo_t* cr = j.cr;
    set(cr, named(j.row.colour));
    cairo_rectangle(cr, 0, 0, j.w, j.h);
    cairo_fill(cr);
    set(cr, named("white"));
    cairo_save(cr);
    cairo_rectangle(cr, 0, 0, j.w, j.h);
    cairo_clip(cr);
    cairo_set_line_width(cr, 3);
    for (int x = -j.h; x < j.w + j.h; x += 12) {
        cairo_move_to(cr, x, j.h);
        cairo_line_to(cr, x + j.h, 0);
        cairo_stroke(cr);
    }
    cairo_restore(cr);
    // The legend on a clear patch of the flag's colour, to read through the
    // stripes; legendx=F centres it at that fraction of the width (where the
    // gauge covers part of the flag).
    bool vertical = j.h > 1.8 * j.w;
    double mid = std::clamp(std::atof(j.row.param("legendx", "0.5").c_str()), 0.1, 0.9) * j.w;
    double room = 2 * std::min(mid, j.w - mid) - 4;
    if (!j.row.legend.empty()) {
        font(cr, vertical ? j.w * 0.8 : j.h * 0.7);
        cairo_text_extents_t e;
        cairo_text_extents(cr, j.row.legend.c_str(), &e);
        double along = std::min(e.width + 8, vertical ? j.h - 2.0 : room + 2);
        set(cr, named(j.row.colour));
        if (vertical)
            cairo_rectangle(cr, 1, (j.h - along) / 2, j.w - 2, along);
        else
            cairo_rectangle(cr, mid - along / 2, 1, along, j.h - 2);
        cairo_fill(cr);
    }
    if (vertical) {
        cairo_save(cr);
        cairo_translate(cr, j.w / 2.0, j.h / 2.0);
        cairo_rotate(cr, -Pi / 2);
        set(cr, Ink);
        text(cr, j.row.legend, 0, 0, j.w * 0.8, j.h - 4);
        cairo_restore(cr);
    } else {
        set(cr, Ink);
        text(cr, j.row.legend, mid, j.h / 2.0, j.h * 0.7, room);
    }
}

void drawMarker(Job& j) {
    cairo_t* cr = j.cr;
    set(cr, named(j.row.colour));
    std::string s = j.row.param("shape");
    double cx = j.w / 2.0, cy = j.h / 2.0;
    if (s == "diamond") {
        cairo_move_to(cr, cx, 0.5);
        cairo_line_to(cr, j.w - 0.5, cy);
        cairo_line_to(cr, cx, j.h - 0.5);
        cairo_line_to(cr, 0.5, cy);
        cairo_close_path(cr);
    } else if (s == "ball") {
        cairo_arc(cr, cx, cy, std::min(cx, cy) - 0.5, 0, 2 * Pi);
    } else if (s == "tri") {
        cairo_move_to(cr, 0.5, 0.5);
        cairo_line_to(cr, j.w - 0.5, cy);
        cairo_line_to(cr, 0.5, j.h - 0.5);
        cairo_close_path(cr);
    } else {
        cairo_rectangle(cr, 0, 0, j.w, j.h);
    }
    cairo_fill(cr);
}

void drawLever(Job& j) {
    cairo_t* cr = j.cr;
    std::string s = j.row.param("shape");
    Colour c = named(j.row.colour);
    auto knob = [&](double x, double y, double w, double h) {
        cairo_pattern_t* g = cairo_pattern_create_linear(x, y, x, y + h);
        cairo_pattern_add_color_stop_rgb(g, 0, c.r, c.g, c.b);
        cairo_pattern_add_color_stop_rgb(g, 1, c.r * 0.45, c.g * 0.45, c.b * 0.45);
        roundRect(cr, x, y, w, h, 5);
        cairo_set_source(cr, g);
        cairo_fill(cr);
        cairo_pattern_destroy(g);
    };
    if (s == "stem") {
        set(cr, c);
        cairo_rectangle(cr, j.w / 2.0 - 5, 0, 10, j.h);
        cairo_fill(cr);
    } else if (s == "start") {
        int n = 1, k = imageOf(j, n);
        double y = k == 0 ? j.h * 0.55 : 2;
        set(cr, PanelGrey, 0.8);
        cairo_rectangle(cr, j.w / 2.0 - 4, y, 8, j.h - y);
        cairo_fill(cr);
        knob(2, y, j.w - 4, j.h * 0.4);
        set(cr, named("white"));
        text(cr, j.row.legend, j.w / 2.0, y + j.h * 0.2, 10, j.w - 6);
    } else if (s == "gear") {
        set(cr, PanelGrey, 0.8);
        cairo_rectangle(cr, j.w / 2.0 - 5, j.h / 2.0, 10, j.h / 2.0);
        cairo_fill(cr);
        cairo_arc(cr, j.w / 2.0, j.h * 0.38, std::min(j.w, j.h) * 0.36, 0, 2 * Pi);
        set(cr, c);
        cairo_fill(cr);
        cairo_arc(cr, j.w / 2.0, j.h * 0.38, std::min(j.w, j.h) * 0.16, 0, 2 * Pi);
        set(cr, Ink, 5);
        cairo_fill(cr);
    } else {
        knob(1, 1, j.w - 2, j.h - 2);
        set(cr, Ink, 4);
        cairo_set_line_width(cr, 1);
        for (double y = 6; y < j.h - 4; y += 5) {
            cairo_move_to(cr, 5, y);
            cairo_line_to(cr, j.w - 5, y);
            cairo_stroke(cr);
        }
    }
}

void drawWheel(Job& j) {
    cairo_t* cr = j.cr;
    set(cr, PanelGrey, 0.7);
    cairo_rectangle(cr, 0, 0, j.w, j.h);
    cairo_fill(cr);
    for (int y = 0; y < j.h; y += 8) {
        set(cr, PanelGrey, 1.5);
        cairo_rectangle(cr, 1, y, j.w - 2, 3);
        cairo_fill(cr);
    }
}

void drawScreen(Job& j) {
    cairo_t* cr = j.cr;
    std::string mode = j.row.param("mode");
    int level = std::atoi(j.row.param("level", "3").c_str());
    Colour c = named(j.row.colour);
    if (mode == "crt") {
        plateBase(cr, j.w, j.h, PanelDark);
        cairo_arc(cr, 84, 148, 122, -Pi * 0.80, -Pi * 0.20);
        cairo_line_to(cr, 84, 148);
        cairo_close_path(cr);
        // Cleared to the transparent colour: the gauge draws this picture
        // again above the weather cells, which must show through the screen.
        cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
        cairo_fill(cr);
        cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
        set(cr, named("white"), 0.7);
        text(cr, "INT", 26, 10, 8);
        text(cr, "LINES", 140, 10, 8);
    } else if (mode == "backdrop") {
        // Scan lines, brighter with the intensity; drawn above the cells, so
        // the rows between stay black (transparent).
        cairo_arc(cr, j.w / 2.0, j.h, j.h - 1, -Pi * 0.8, -Pi * 0.2);
        cairo_line_to(cr, j.w / 2.0, j.h);
        cairo_close_path(cr);
        cairo_clip(cr);
        set(cr, c, 0.08 + 0.06 * level);
        for (int y = 0; y < j.h; y += 3) cairo_rectangle(cr, 0, y, j.w, 1);
        cairo_fill(cr);
        cairo_reset_clip(cr);
    } else {
        set(cr, c, 0.3 + 0.7 * level / 6.0);
        cairo_set_line_width(cr, 1);
        for (int k = 1; k <= 3; ++k) {
            cairo_new_path(cr);
            cairo_arc(cr, j.w / 2.0, j.h - 1, (j.h - 2) * k / 3.0, -Pi * 0.8, -Pi * 0.2);
            cairo_stroke(cr);
        }
    }
}

void draw(Job& j) {
    const std::string& k = j.row.kind;
    if (k == "plate")
        drawPlate(j);
    else if (k == "dial")
        drawDial(j);
    else if (k == "overlay")
        drawOverlay(j);
    else if (k == "needle")
        drawNeedle(j);
    else if (k == "bug")
        drawBug(j);
    else if (k == "lamp" || k == "lens")
        drawLamp(j);
    else if (k == "switch")
        drawSwitch(j);
    else if (k == "knob")
        drawKnob(j);
    else if (k == "drum")
        drawDrum(j);
    else if (k == "mask")
        drawMask(j);
    else if (k == "texture")
        drawTexture(j);
    else if (k == "flag")
        drawFlag(j);
    else if (k == "marker")
        drawMarker(j);
    else if (k == "lever")
        drawLever(j);
    else if (k == "wheel")
        drawWheel(j);
    else if (k == "screen")
        drawScreen(j);
    else
        throw std::runtime_error("line " + std::to_string(j.row.line) + ": unknown kind " + k);
}

// ---- Panel backgrounds --------------------------------------------------------------
// One bitmap per window of the panel configuration, at the window's design
// size: the panel paint, a cut-out with its bezel wherever a gauge sits, the
// glareshield over the autopilot controller's row, the engine numbers over the
// engine columns and the panels' placards over their groups of controls.

struct Box {
    double x, y, w, h;
};

// Placards: a legend over the group of gauges it names (those present).
struct Placard {
    const char* legend;
    std::vector<const char*> gauges;
};

const std::vector<Placard>& placards() {
    static const std::vector<Placard> table = {
        {"HYDRAULICS AND BRAKES",
         {"AIRBRAKE_PRESS", "HYDBRAKE_PRESS", "HYDSYS_PRESS", "HYDSPLR_PRESS"}},
        {"AIR TEMP    FUEL QTY", {"TAT", "TOTAL_FUEL"}},
        {"LANDING GEAR", {"GEAR_HANDLE"}},
        {"FLAPS", {"FLAPS"}},
        {"LOW OIL PRESS", {"LOWOILPRESS1", "LOWOILPRESS4"}},
        {"PANELS", {"TOGGLE2", "TOGGLE7"}},
        {"ELECTRICAL", {"BATTERYSW", "EMERLIGHTS", "EMERWARN", "EXTPWR_AVAIL"}},
        {"CALL", {"FA_CALL", "MECH_CALL"}},
        {"SIGNS AND EXTERIOR LIGHTS",
         {"SMOKING_SIGN", "SEATBELT_SIGN", "ANTICOLLISION", "NAV_LIGHTS", "WING_FLOOD_LIGHTS",
          "LANDING_LIGHT1"}},
        {"WINDOW AND PROBE HEAT", {"WINDSHIELD_HEAT", "PITOT", "HEATER_INOP", "PITOT_AMPS"}},
        {"ENGINE START",
         {"STARTER_PRESS", "START_ARM", "STARTMAN_SEL", "START_SWITCHES", "FU_RESET",
          "IGNITION_OVERRIDE", "IGNITION_CONT"}},
        {"STALL", {"STALL_TEST"}},
        {"ENGINE ANTI-ICE",
         {"ENGICE_OUTBD", "ENGICE_INBD", "ENG1ICE_VALVE", "ENG2ICE_VALVE", "ENG3ICE_VALVE",
          "ENG4ICE_VALVE"}},
        {"CAPTAIN", {"NAV1", "COM1", "ADF"}},
        {"FIRST OFFICER", {"NAV2", "COM2", "ADF2"}},
        {"WEATHER RADAR", {"radar"}},
    };
    return table;
}

// Names engraved under single controls, by gauge; '|' spreads a name's parts
// evenly over the gauge's width (a row of switches in one gauge).
const std::map<std::string, const char*>& engraved() {
    static const std::map<std::string, const char*> table = {
        {"BATTERYSW", "BATTERY"},
        {"EMERLIGHTS", "EMER LTS"},
        {"EXTPWR_AVAIL", "EXT PWR"},
        {"FA_CALL", "ATTEND"},
        {"MECH_CALL", "GRD CALL"},
        {"SMOKING_SIGN", "NO SMOKE"},
        {"SEATBELT_SIGN", "SEAT BELT"},
        {"ANTICOLLISION", "ANTI COLL"},
        {"NAV_LIGHTS", "NAV"},
        {"WING_FLOOD_LIGHTS", "WING"},
        {"LANDING_LIGHT1", "LANDING"},
        {"WINDSHIELD_HEAT", "WINDOW"},
        {"PITOT", "PROBE SEL"},
        {"HEATER_INOP", "HTR INOP"},
        {"START_ARM", "START SEL"},
        {"STARTMAN_SEL", "MANUAL"},
        {"START_SWITCHES", "1|2|3|4"},
        {"IGNITION_OVERRIDE", "IGN OVRD"},
        {"IGNITION_CONT", "IGN CONT"},
        {"STALL_TEST", "TEST"},
        {"ENGICE_OUTBD", "OUTBD"},
        {"ENGICE_INBD", "INBD"},
        {"ENG1ICE_VALVE", "VALVE 1"},
        {"ENG2ICE_VALVE", "VALVE 2"},
        {"ENG3ICE_VALVE", "VALVE 3"},
        {"ENG4ICE_VALVE", "VALVE 4"},
        {"TOGGLE2", "RADIO"},
        {"TOGGLE3", "OVHD"},
        {"TOGGLE4", "THROT"},
        {"TOGGLE5", "A/P"},
        {"TOGGLE6", "COMP"},
        {"TOGGLE7", "WX"},
        {"FLOOD_SW", "FLOOD"},
        {"PB", "PARK"},
    };
    return table;
}

// The engine rows' legends, by the first engine's gauge of each row.
const std::map<std::string, const char*>& rowLegends() {
    static const std::map<std::string, const char*> table = {
        {"EPR1", "EPR"}, {"OLD_EPR1", "EPR"}, {"N1E1", "N1"},
        {"EGT1", "EGT"}, {"N2E1", "N2"},      {"FFFU1", "FF"},
    };
    return table;
}

constexpr Colour Paint = {0.33, 0.36, 0.38};  // the flight deck's grey
constexpr Colour Glareshield = {0.07, 0.07, 0.08};
constexpr Colour Recess = {0.06, 0.06, 0.065};
constexpr Colour Legend = {0.92, 0.92, 0.88};

bool round(const tw::PanelGauge& g) {
    // The round instruments: about as tall as wide, and large.
    return g.width >= 140 && g.height > 0 && std::abs(g.width - g.height) < g.width / 6;
}

void drawBackground(cairo_t* cr, const tw::PanelWindow& w, int width, int height) {
    // Paint, with a little light from above.
    cairo_pattern_t* paint = cairo_pattern_create_linear(0, 0, 0, height);
    cairo_pattern_add_color_stop_rgb(paint, 0, Paint.r * 1.12, Paint.g * 1.12, Paint.b * 1.12);
    cairo_pattern_add_color_stop_rgb(paint, 1, Paint.r * 0.85, Paint.g * 0.85, Paint.b * 0.85);
    cairo_rectangle(cr, 0, 0, width, height);
    cairo_set_source(cr, paint);
    cairo_fill(cr);
    cairo_pattern_destroy(paint);
    // Panel seams.
    set(cr, Paint, 0.6);
    cairo_set_line_width(cr, 2);
    cairo_rectangle(cr, 3, 3, width - 6, height - 6);
    cairo_stroke(cr);

    std::map<std::string, Box> at;
    for (const auto& g : w.gauges)
        at[g.name] = {static_cast<double>(g.x), static_cast<double>(g.y),
                      static_cast<double>(g.width), static_cast<double>(g.height)};

    // The glareshield: over the autopilot controller's row, the full width.
    if (auto ap = at.find("AUTOPILOT1"); ap != at.end()) {
        double bottom = ap->second.y + ap->second.h + 14;
        set(cr, Glareshield);
        cairo_rectangle(cr, 0, 0, width, bottom);
        cairo_fill(cr);
        set(cr, Glareshield, 3.0);
        cairo_set_line_width(cr, 3);
        cairo_move_to(cr, 0, bottom - 1.5);
        cairo_line_to(cr, width, bottom - 1.5);
        cairo_stroke(cr);
    }

    // Cut-outs and bezels.
    for (const auto& g : w.gauges) {
        Box b = at[g.name];
        if (b.w <= 0 || b.h <= 0) continue;
        if (round(g)) {
            double cx = b.x + b.w / 2, cy = b.y + b.h / 2, r = std::min(b.w, b.h) / 2;
            roundRect(cr, cx - r - 9, cy - r - 9, 2 * r + 18, 2 * r + 18, 10);
            set(cr, Paint, 0.55);
            cairo_fill(cr);
            cairo_arc(cr, cx, cy, r + 4, 0, 2 * Pi);
            set(cr, Recess);
            cairo_fill(cr);
            for (auto [dx, dy] : {std::pair{-1, -1}, {1, -1}, {-1, 1}, {1, 1}}) {
                double sx = cx + dx * (r + 2), sy = cy + dy * (r + 2);
                cairo_arc(cr, sx, sy, 3.2, 0, 2 * Pi);
                set(cr, Paint, 1.5);
                cairo_fill(cr);
                set(cr, Ink);
                cairo_set_line_width(cr, 1);
                cairo_move_to(cr, sx - 2.2, sy);
                cairo_line_to(cr, sx + 2.2, sy);
                cairo_stroke(cr);
            }
        } else {
            roundRect(cr, b.x - 4, b.y - 4, b.w + 8, b.h + 8, 4);
            set(cr, Recess);
            cairo_fill(cr);
            set(cr, Paint, 1.35);
            cairo_set_line_width(cr, 1);
            cairo_move_to(cr, b.x - 4.5, b.y + b.h + 4.5);
            cairo_line_to(cr, b.x + b.w + 4.5, b.y + b.h + 4.5);
            cairo_line_to(cr, b.x + b.w + 4.5, b.y - 4.5);
            cairo_stroke(cr);
        }
    }

    // Engine numbers over the columns, the rows' legends left of them.
    double top = 1e9;
    for (int n = 1; n <= 4; ++n)
        for (const char* head : {"revlyrae", "EPR", "OLD_EPR"})
            if (auto it = at.find(head + std::to_string(n)); it != at.end())
                top = std::min(top, it->second.y);
    for (int n = 1; n <= 4; ++n) {
        auto it = at.find("EPR" + std::to_string(n));
        if (it == at.end()) it = at.find("OLD_EPR" + std::to_string(n));
        if (it == at.end()) continue;
        set(cr, Legend);
        text(cr, std::to_string(n), it->second.x + it->second.w / 2, top - 12, 18);
    }
    for (const auto& [gauge, legend] : rowLegends()) {
        auto it = at.find(gauge);
        if (it == at.end()) continue;
        set(cr, Legend);
        cairo_save(cr);
        cairo_translate(cr, it->second.x - 24, it->second.y + it->second.h / 2);
        cairo_rotate(cr, -Pi / 2);
        text(cr, legend, 0, 0, 15);
        cairo_restore(cr);
    }

    // Names under the controls.
    for (const auto& [gauge, name] : engraved()) {
        auto it = at.find(gauge);
        if (it == at.end()) continue;
        const Box& b = it->second;
        std::vector<std::string> parts;
        std::string rest = std::string(name) + "|";
        for (size_t p = 0, q; (q = rest.find('|', p)) != std::string::npos; p = q + 1)
            parts.push_back(rest.substr(p, q - p));
        double cell = b.w / static_cast<double>(parts.size());
        set(cr, Legend);
        for (size_t i = 0; i < parts.size(); ++i)
            text(cr, parts[i], b.x + cell * (i + 0.5), b.y + b.h + 13, 9, cell + 14);
    }

    // Placards over their groups.
    for (const Placard& p : placards()) {
        Box u{1e9, 1e9, -1e9, -1e9};  // left, top, right, bottom
        for (const char* g : p.gauges) {
            auto it = at.find(g);
            if (it == at.end()) continue;
            u.x = std::min(u.x, it->second.x);
            u.y = std::min(u.y, it->second.y);
            u.w = std::max(u.w, it->second.x + it->second.w);
            u.h = std::max(u.h, it->second.y + it->second.h);
        }
        if (u.w < u.x) continue;
        double y = u.y - 16;
        set(cr, Legend);
        text(cr, p.legend, (u.x + u.w) / 2, y, 11, u.w - u.x + 60);
        cairo_text_extents_t e;
        cairo_text_extents(cr, p.legend, &e);
        double half = std::max((u.w - u.x) / 2, e.width / 2 + 8), mid = (u.x + u.w) / 2;
        cairo_set_line_width(cr, 1);
        for (double side : {-1.0, 1.0}) {
            cairo_move_to(cr, mid + side * (e.width / 2 + 6), y);
            cairo_line_to(cr, mid + side * half, y);
            cairo_line_to(cr, mid + side * half, y + 6);
        }
        cairo_stroke(cr);
    }
}

void appendBytes(void* context, void* data, int size) {
    auto* out = static_cast<std::vector<uint8_t>*>(context);
    auto* p = static_cast<const uint8_t*>(data);
    if (size > 0) out->insert(out->end(), p, p + size);
}

// Every window of the configuration that names a file gets it, in OUTDIR.
void drawBackgrounds(const std::string& config_path, const std::string& outdir) {
    tw::PanelConfig cfg = tw::readPanelConfig(config_path);
    for (const auto& w : cfg.windows) {
        if (w.file.empty()) continue;
        int height = w.height ? w.height : w.width * 3 / 4;
        cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_RGB24, w.width, height);
        cairo_t* cr = cairo_create(s);
        drawBackground(cr, w, w.width, height);
        cairo_destroy(cr);
        cairo_surface_flush(s);
        int stride = cairo_image_surface_get_stride(s);
        const uint8_t* px = cairo_image_surface_get_data(s);
        std::vector<uint8_t> rgb;
        rgb.reserve(static_cast<size_t>(w.width) * static_cast<size_t>(height) * 3);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < w.width; ++x) {
                uint32_t c;
                std::memcpy(&c, px + y * stride + x * 4, 4);
                rgb.push_back(static_cast<uint8_t>(c >> 16));
                rgb.push_back(static_cast<uint8_t>(c >> 8));
                rgb.push_back(static_cast<uint8_t>(c));
            }
        cairo_surface_destroy(s);
        std::vector<uint8_t> bytes;
        if (!stbi_write_bmp_to_func(appendBytes, &bytes, w.width, height, 3, rgb.data()))
            throw std::runtime_error("cannot encode " + w.file);
        std::ofstream out(outdir + "/" + w.file, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
        if (!out) throw std::runtime_error("cannot write " + w.file);
    }
}

int run(int argc, char** argv) {
    if (argc != 5) {
        std::cerr << "usage: artwork_gen TABLE SCRIPT MODULE OUTDIR\n";
        return 2;
    }
    auto rows = twart::readTable(argv[1]);
    auto script = twart::readScript(argv[2]);

    // The script must number exactly the table's bitmaps, each in its own file.
    std::map<std::string, const twart::BitmapRow*> by_name;
    std::map<uint32_t, const twart::BitmapRow*> by_id;
    for (const auto& r : rows) {
        if (!by_name.emplace(r.resourceName(), &r).second)
            throw std::runtime_error("line " + std::to_string(r.line) + ": " + r.key + " twice");
        if (!r.named) by_id[r.id] = &r;
    }
    std::set<std::string> scripted;
    for (const auto& e : script) {
        if (!by_name.count(e.name))
            throw std::runtime_error(std::string(argv[2]) + ": " + e.name + " is not in the table");
        if (e.file != e.name + ".bmp")
            throw std::runtime_error(std::string(argv[2]) + ": " + e.name + " must be " + e.name +
                                     ".bmp");
        scripted.insert(e.name);
    }
    for (const auto& r : rows)
        if (!scripted.count(r.resourceName()))
            throw std::runtime_error(std::string(argv[2]) + " lacks " + r.resourceName());

    Records rec = readRecords(argv[3]);
    std::vector<uint32_t> missing;
    for (uint32_t id : rec.named)
        if (!by_id.count(id)) missing.push_back(id);
    if (!missing.empty()) {
        std::string list;
        for (uint32_t id : missing) list += " " + std::to_string(id);
        throw std::runtime_error("the records name bitmaps the table lacks:" + list);
    }

    std::filesystem::create_directories(argv[4]);
    Quantizer q8(palette8()), q4(paletteGrey(16)), q1(paletteGrey(2));
    for (const auto& r : rows) {
        cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, r.width, r.height);
        cairo_t* cr = cairo_create(s);
        Job j{r, rec, by_id, cr, r.width, r.height};
        draw(j);
        cairo_destroy(cr);
        Quantizer& q = r.bpp == 8 ? q8 : r.bpp == 4 ? q4 : q1;
        auto bytes = bitmapFile(s, r.bpp, q);
        cairo_surface_destroy(s);
        std::ofstream out(std::string(argv[4]) + "/" + r.resourceName() + ".bmp", std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
        if (!out) throw std::runtime_error("cannot write " + r.resourceName() + ".bmp");
    }
    // The panel windows' backgrounds, from the configurations beside the table.
    auto folder = std::filesystem::path(argv[1]).parent_path();
    for (const char* cfg : {"panel.cfg", "panel_old_epr.cfg"})
        if (std::filesystem::exists(folder / cfg))
            drawBackgrounds((folder / cfg).string(), argv[4]);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        return run(argc, argv);
    } catch (const std::exception& e) {
        std::cerr << "artwork_gen: " << e.what() << "\n";
        return 1;
    }
}
