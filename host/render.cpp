#include "host/render.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "host/moving_window.h"
#include "host/stb.h"

#include <stb_easy_font.h>

namespace tw {

namespace {

constexpr double Pi = 3.14159265358979323846;
constexpr uint32_t Transparent = 0;
// Pictures farther off than this are not the module's: nothing is drawn there.
constexpr double MaxExtent = 16384;

bool finite(double v) { return std::isfinite(v) && std::fabs(v) < MaxExtent; }

int32_t roundToInt(double v) { return finite(v) ? static_cast<int32_t>(std::lround(v)) : 0; }

void blit(Image& dst, const Picture& p, int32_t x0, int32_t y0, bool transparent) {
    for (int32_t y = 0; y < p.height; ++y) {
        for (int32_t x = 0; x < p.width; ++x) {
            uint32_t c = p.at(x, y);
            if (transparent && c == Transparent) continue;
            dst.put(x0 + x, y0 + y, c);
        }
    }
}

// Every pixel of dst within the box whose source point (through `map`) lies
// inside the picture takes that pixel.
template <typename Map>
void resample(Image& dst, const Picture& p, int32_t bx0, int32_t by0, int32_t bx1, int32_t by1,
              bool transparent, Map map) {
    bx0 = std::max(bx0, 0);
    by0 = std::max(by0, 0);
    bx1 = std::min(bx1, dst.width - 1);
    by1 = std::min(by1, dst.height - 1);
    for (int32_t y = by0; y <= by1; ++y) {
        for (int32_t x = bx0; x <= bx1; ++x) {
            double sx, sy;
            if (!map(x + 0.5, y + 0.5, sx, sy)) continue;
            auto ix = static_cast<int32_t>(std::floor(sx)),
                 iy = static_cast<int32_t>(std::floor(sy));
            if (ix < 0 || iy < 0 || ix >= p.width || iy >= p.height) continue;
            uint32_t c = p.at(ix, iy);
            if (transparent && c == Transparent) continue;
            dst.put(x, y, c);
        }
    }
}

void drawNeedle(Image& dst, const ElementState& s, const Picture& p, bool transparent) {
    auto* n = reinterpret_cast<const ELEMENT_NEEDLE*>(s.element);
    double turn = n->nonlinearity_table && n->nonlinearity_count ? s.angle - 90.0 : s.angle;
    double a = turn * Pi / 180.0, c = std::cos(a), si = std::sin(a);
    double px = n->needle_pivot.x, py = n->needle_pivot.y;
    double ox = s.position.x, oy = s.position.y;
    if (!finite(px) || !finite(py) || !finite(ox) || !finite(oy)) return;
    double reach = std::hypot(std::max(std::fabs(px), std::fabs(p.width - px)),
                              std::max(std::fabs(py), std::fabs(p.height - py))) +
                   1;
    resample(dst, p, static_cast<int32_t>(ox - reach), static_cast<int32_t>(oy - reach),
             static_cast<int32_t>(ox + reach), static_cast<int32_t>(oy + reach), transparent,
             [&](double x, double y, double& sx, double& sy) {
                 // Turned clockwise on screen, so the source is the point turned back.
                 double dx = x - ox, dy = y - oy;
                 sx = px + c * dx + si * dy;
                 sy = py - si * dx + c * dy;
                 return true;
             });
}

void drawMoving(Image& dst, const ElementState& s, const Picture& strip, Pictures& pictures,
                bool transparent) {
    auto* m = reinterpret_cast<const ELEMENT_MOVING_IMAGE*>(s.element);
    const Picture* mask = m->mask_id ? pictures.find(m->mask_id) : nullptr;
    int32_t ww = mask ? mask->width : strip.width;
    int32_t wh = mask ? mask->height : movingImageWindow(strip.height, m->y.minimum, m->y.maximum);
    if (!mask && m->x.maximum != m->x.minimum)
        ww = movingImageWindow(strip.width, m->x.minimum, m->x.maximum);
    ww = std::min(ww, strip.width);
    wh = std::min(wh, strip.height);
    auto ox = static_cast<int32_t>(std::lround(s.fraction_x * (strip.width - ww)));
    auto oy = static_cast<int32_t>(std::lround(s.fraction_y * (strip.height - wh)));
    for (int32_t y = 0; y < wh; ++y) {
        for (int32_t x = 0; x < ww; ++x) {
            if (mask && mask->at(x, y) == Transparent) continue;
            uint32_t c = strip.at(x + ox, y + oy);
            if (transparent && c == Transparent) continue;
            dst.put(s.position.x + x, s.position.y + y, c);
        }
    }
}

// floor(t) modulo n, never negative; t is finite.
int32_t wrapIndex(double t, int32_t n) {
    double r = std::fmod(std::floor(t), static_cast<double>(n));
    if (r < 0) r += n;
    return std::clamp(static_cast<int32_t>(r), 0, n - 1);
}

// The texture's transparent colour always shows what lies beneath (render.h).
void drawSprite(Image& dst, const ElementState& s, const Picture& tex, Pictures& pictures) {
    auto* sp = reinterpret_cast<const ELEMENT_SPRITE*>(s.element);
    double kx = sp->texture_scale_x, ky = sp->texture_scale_y;
    if (!finite(kx) || !finite(ky) || std::fabs(kx) < 1e-3 || std::fabs(ky) < 1e-3) return;
    if (!finite(s.offset_x) || !finite(s.offset_y) || !finite(s.rotation)) return;
    const Picture* window = pictures.find(s.resource_id + 1);
    int32_t ww = window ? window->width : roundToInt(tex.width * std::fabs(kx));
    int32_t wh = window ? window->height : roundToInt(tex.height * std::fabs(ky));
    double a = s.rotation * Pi / 180.0, c = std::cos(a), si = std::sin(a);
    double cx = sp->texture_center.x, cy = sp->texture_center.y;
    for (int32_t y = 0; y < wh; ++y) {
        for (int32_t x = 0; x < ww; ++x) {
            if (window && window->at(x, y) == Transparent) continue;
            // Turned counter-clockwise on screen: turn the point back clockwise.
            double dx = s.position.x + x + 0.5 - cx, dy = s.position.y + y + 0.5 - cy;
            double tx = c * dx - si * dy, ty = si * dx + c * dy;
            double u = tex.width / 2.0 + tx / kx - s.offset_x;
            double v = tex.height / 2.0 + ty / ky - s.offset_y;
            // Textures tile: offsets past an edge come round from the other
            // side, which is how the radar's cells pick their quadrants and scroll.
            if (!finite(u) || !finite(v)) continue;
            int32_t iu = wrapIndex(u, tex.width), iv = wrapIndex(v, tex.height);
            uint32_t col = tex.at(iu, iv);
            if (col == Transparent) continue;
            dst.put(s.position.x + x, s.position.y + y, col);
        }
    }
}

void appendBytes(void* context, void* data, int size) {
    auto* out = static_cast<std::vector<uint8_t>*>(context);
    auto* p = static_cast<const uint8_t*>(data);
    if (size > 0) out->insert(out->end(), p, p + size);
}

std::vector<uint8_t> rgbBytes(const Image& image) {
    std::vector<uint8_t> rgb;
    rgb.reserve(image.pixels.size() * 3);
    for (uint32_t c : image.pixels) {
        rgb.push_back(static_cast<uint8_t>(c >> 16));
        rgb.push_back(static_cast<uint8_t>(c >> 8));
        rgb.push_back(static_cast<uint8_t>(c));
    }
    return rgb;
}

Image fromRgb(const uint8_t* rgb, int32_t w, int32_t h) {
    Image img(w, h);
    for (size_t i = 0; i < img.pixels.size(); ++i)
        img.pixels[i] = static_cast<uint32_t>(rgb[3 * i]) << 16 |
                        static_cast<uint32_t>(rgb[3 * i + 1]) << 8 | rgb[3 * i + 2];
    return img;
}

// A line of small text, its top left at (x, y).
void drawLabel(Image& dst, const std::string& text, int32_t x, int32_t y, uint32_t rgb) {
    // stb_easy_font gives quads of four vertices (x, y, z, colour) each.
    std::vector<char> buf(std::max<size_t>(text.size(), 1) * 270);
    std::string t = text;
    int quads =
        stb_easy_font_print(0, 0, t.data(), nullptr, buf.data(), static_cast<int>(buf.size()));
    for (int q = 0; q < quads; ++q) {
        float v[16];
        std::memcpy(v, buf.data() + static_cast<size_t>(q) * 64, sizeof v);
        auto x0 = static_cast<int32_t>(v[0]), y0 = static_cast<int32_t>(v[1]);
        auto x1 = static_cast<int32_t>(v[8]), y1 = static_cast<int32_t>(v[9]);
        for (int32_t yy = y0; yy < y1; ++yy)
            for (int32_t xx = x0; xx < x1; ++xx) dst.put(x + xx, y + yy, rgb);
    }
}

}  // namespace

Image::Image(int32_t w, int32_t h, uint32_t fill)
    : width(std::max(w, 0)),
      height(std::max(h, 0)),
      pixels(static_cast<size_t>(width) * static_cast<size_t>(height), fill) {}

const Picture* Pictures::find(uint32_t id) {
    auto it = cache_.find(id);
    if (it == cache_.end()) {
        std::optional<Picture> p;
        if (auto bytes = bitmapResource(module_, id)) p = decodeBitmap(*bytes);
        it = cache_.emplace(id, std::move(p)).first;
    }
    return it->second ? &*it->second : nullptr;
}

PIXPOINT gaugeSize(const Gauge& gauge, Pictures& pictures) {
    PIXPOINT size{0, 0};
    for (const ElementState& s : gauge.drawState()) {
        if (s.type != ElementStaticImage && s.type != ElementIcon && s.type != ElementSlider)
            continue;
        if (s.type == ElementSlider) continue;  // sliders travel; their rest is on the face
        const Picture* p = pictures.find(s.resource_id);
        if (!p || !finite(s.position.x) || !finite(s.position.y)) continue;
        size.x = std::max(size.x, s.position.x + p->width);
        size.y = std::max(size.y, s.position.y + p->height);
    }
    return PIXPOINT{std::clamp(size.x, 1, 8192), std::clamp(size.y, 1, 8192)};
}

namespace {

// The gauge's elements after its last frame onto `img`, at its own size.
void drawElements(Image& img, const Gauge& gauge, Pictures& pictures) {
    for (const ElementState& s : gauge.drawState()) {
        if (s.hidden || !s.element) continue;
        bool transparent = (s.element->image_flags & ImageTransparent) != 0;
        uint32_t id = s.resource_id;
        if (s.type == ElementIcon) {
            auto* ic = reinterpret_cast<const ELEMENT_ICON*>(s.element);
            if (s.image < 0 || static_cast<uint32_t>(s.image) >= std::max(ic->picture_count, 1u))
                continue;
            id += static_cast<uint32_t>(s.image);
        }
        const Picture* p = pictures.find(id);
        if (!p) continue;
        switch (s.type) {
            case ElementStaticImage:
            case ElementIcon:
                blit(img, *p, s.position.x, s.position.y, transparent);
                break;
            case ElementSlider:
                if (finite(s.offset_x) && finite(s.offset_y))
                    blit(img, *p, s.position.x + roundToInt(s.offset_x),
                         s.position.y + roundToInt(s.offset_y), transparent);
                break;
            case ElementNeedle:
                drawNeedle(img, s, *p, transparent);
                break;
            case ElementMovingImage:
                drawMoving(img, s, *p, pictures, transparent);
                break;
            case ElementSprite:
                drawSprite(img, s, *p, pictures);
                break;
            default:
                break;
        }
    }
}

}  // namespace

Image renderGauge(const Gauge& gauge, Pictures& pictures, uint32_t background) {
    PIXPOINT size = gaugeSize(gauge, pictures);
    Image img(size.x, size.y, background);
    drawElements(img, gauge, pictures);
    return img;
}

Image renderGaugeOver(const Gauge& gauge, Pictures& pictures, const Image& beneath, int32_t x,
                      int32_t y, int32_t w, int32_t h) {
    PIXPOINT size = gaugeSize(gauge, pictures);
    Image own(size.x, size.y, PanelColour);
    // Only the gauge's own pixels are worked out, however large the box.
    for (int32_t j = 0; j < size.y; ++j) {
        int64_t by = y + static_cast<int64_t>(j) * std::max(h, 1) / size.y;
        for (int32_t i = 0; i < size.x; ++i) {
            int64_t bx = x + static_cast<int64_t>(i) * std::max(w, 1) / size.x;
            if (bx >= 0 && by >= 0 && bx < beneath.width && by < beneath.height)
                own.put(i, j, beneath.at(static_cast<int32_t>(bx), static_cast<int32_t>(by)));
        }
    }
    drawElements(own, gauge, pictures);
    return own;
}

void drawScaled(Image& dst, const Image& src, int32_t x, int32_t y, int32_t w, int32_t h) {
    if (w <= 0 || h <= 0 || src.width <= 0 || src.height <= 0) return;
    if (w < src.width && h < src.height) {
        // Smaller: every pixel averages the source pixels it covers, so that
        // fine lines and numerals stay readable.
        auto in = rgbBytes(src);
        std::vector<uint8_t> out(static_cast<size_t>(w) * static_cast<size_t>(h) * 3);
        if (stbir_resize_uint8(in.data(), src.width, src.height, 0, out.data(), w, h, 0, 3)) {
            Image small = fromRgb(out.data(), w, h);
            int32_t j0 = std::max(0, -y), j1 = std::min(h, dst.height - y);
            int32_t i0 = std::max(0, -x), i1 = std::min(w, dst.width - x);
            for (int32_t j = j0; j < j1; ++j)
                for (int32_t i = i0; i < i1; ++i) dst.put(x + i, y + j, small.at(i, j));
            return;
        }
    }
    // Only the part that lands on dst is worked out, however large the box.
    int32_t j0 = std::max(0, -y), j1 = std::min(h, dst.height - y);
    int32_t i0 = std::max(0, -x), i1 = std::min(w, dst.width - x);
    for (int32_t j = j0; j < j1; ++j) {
        int32_t sy = static_cast<int32_t>(static_cast<int64_t>(j) * src.height / h);
        for (int32_t i = i0; i < i1; ++i) {
            int32_t sx = static_cast<int32_t>(static_cast<int64_t>(i) * src.width / w);
            dst.put(x + i, y + j, src.at(sx, sy));
        }
    }
}

std::vector<PlacedGauge> placePanel(Host& host, const PanelConfig& config) {
    constexpr const char* ModuleName = "tarnwick";
    constexpr const char* MasterGauge = "FLOOD_SW";
    std::vector<PlacedGauge> placed;
    for (const PanelWindow& w : config.windows) {
        for (const PanelGauge& g : w.gauges) {
            if (g.module != ModuleName)
                throw PanelConfigError(config.file, g.line, "gauge of another module: " + g.module);
            if (!host.module().findGauge(g.name))
                throw PanelConfigError(config.file, g.line, "no gauge named " + g.name);
            placed.push_back({&w, &g, nullptr});
        }
    }
    auto create = [&](PlacedGauge& p) {
        p.gauge = host.createGauge(p.line->name, p.line->parameters);
    };
    for (PlacedGauge& p : placed)
        if (p.line->name == MasterGauge) create(p);
    for (PlacedGauge& p : placed)
        if (!p.gauge) create(p);
    return placed;
}

Image drawPanel(const PanelConfig& config, const std::vector<PlacedGauge>& placed,
                Pictures& pictures, const Backgrounds& backgrounds) {
    struct Box {
        int32_t x, y, w, h;
    };
    std::vector<Box> boxes;
    std::map<const PanelWindow*, int32_t> heights;
    for (const PlacedGauge& p : placed) {
        const PIXPOINT size = gaugeSize(*p.gauge, pictures);
        int32_t w = p.line->width ? p.line->width : size.x;
        int32_t h = p.line->height ? p.line->height
                                   : static_cast<int32_t>(std::min<int64_t>(
                                         static_cast<int64_t>(w) * size.y / size.x, 1 << 20));
        boxes.push_back({p.line->x, p.line->y, w, h});
        heights[p.window] = std::max(heights[p.window], p.line->y + std::min(h, 1 << 20));
    }
    int64_t width = 1, height = 0;
    std::map<const PanelWindow*, int32_t> tops;
    for (const PanelWindow& w : config.windows) {
        tops[&w] = static_cast<int32_t>(std::min<int64_t>(height, 1 << 30));
        width = std::max<int64_t>(width, w.width);
        height += w.height ? w.height : std::max(heights[&w], 1);
    }
    constexpr int32_t MaxSide = 16384;
    Image panel(static_cast<int32_t>(std::clamp<int64_t>(width, 1, MaxSide)),
                static_cast<int32_t>(std::clamp<int64_t>(height, 1, MaxSide)), 0x1A1B1D);
    for (const PanelWindow& w : config.windows) {
        int32_t h = w.height ? w.height : std::max(heights[&w], 1);
        auto bg = backgrounds.find(w.section);
        if (bg != backgrounds.end() && bg->second.width > 0) {
            // The window's bitmap stretched over its design size, as the
            // simulator fits it to the window.
            drawScaled(panel, bg->second, 0, tops[&w], w.width, h);
            continue;
        }
        for (int32_t y = tops[&w]; y < std::min(tops[&w] + h, panel.height); ++y)
            for (int32_t x = 0; x < std::min(w.width, panel.width); ++x)
                panel.put(x, y, PanelColour);
    }
    // Each gauge over what the window shows beneath it.
    for (size_t i = 0; i < placed.size(); ++i) {
        const Box& b = boxes[i];
        int32_t top = tops[placed[i].window] + b.y;
        drawScaled(panel, renderGaugeOver(*placed[i].gauge, pictures, panel, b.x, top, b.w, b.h),
                   b.x, top, b.w, b.h);
    }
    return panel;
}

Backgrounds loadBackgrounds(const PanelConfig& config, const std::vector<std::string>& folders) {
    Backgrounds out;
    for (const PanelWindow& w : config.windows) {
        if (w.file.empty()) continue;
        for (const std::string& folder : folders) {
            if (auto img = readImage(folder + "/" + w.file)) {
                out[w.section] = std::move(*img);
                break;
            }
        }
    }
    return out;
}

Image drawSheet(const std::vector<SheetEntry>& entries, Pictures& pictures, int32_t columns) {
    constexpr int32_t Gap = 12, Label = 14, MaxSide = 1024;
    constexpr uint32_t SheetColour = 0x1A1B1D, LabelColour = 0xE0E0E0;
    columns = std::clamp(columns, 1, 64);
    // A cell: the gauge at its own size, then at the panel's.
    std::vector<Image> cells;
    for (const SheetEntry& e : entries) {
        Image own = renderGauge(*e.gauge, pictures, PanelColour);
        int32_t ow = std::min(own.width, MaxSide), oh = std::min(own.height, MaxSide);
        int32_t pw = std::clamp(e.panel_width, 0, MaxSide),
                ph = std::clamp(e.panel_height, 0, MaxSide);
        Image cell(ow + (pw ? Gap + pw : 0), Label + std::max(oh, ph), SheetColour);
        drawScaled(cell, own, 0, Label, ow, oh);
        if (pw && ph) drawScaled(cell, own, ow + Gap, Label, pw, ph);
        std::string label = e.gauge->name();
        if (pw) label += "  (panel " + std::to_string(pw) + " x " + std::to_string(ph) + ")";
        drawLabel(cell, label, 0, 2, LabelColour);
        cells.push_back(std::move(cell));
    }
    // Each row as tall as its tallest cell; each column as wide as its widest.
    auto cols = static_cast<size_t>(columns);
    std::vector<int32_t> col_w(cols, 0), row_h;
    for (size_t i = 0; i < cells.size(); ++i) {
        if (i / cols >= row_h.size()) row_h.push_back(0);
        col_w[i % cols] = std::max(col_w[i % cols], cells[i].width);
        row_h[i / cols] = std::max(row_h[i / cols], cells[i].height);
    }
    int32_t width = Gap, height = Gap;
    for (int32_t w : col_w) width += w + Gap;
    for (int32_t h : row_h) height += h + Gap;
    Image sheet(width, height, SheetColour);
    int32_t y = Gap;
    for (size_t r = 0; r < row_h.size(); ++r) {
        int32_t x = Gap;
        for (size_t c = 0; c < cols && r * cols + c < cells.size(); ++c) {
            const Image& cell = cells[r * cols + c];
            drawScaled(sheet, cell, x, y, cell.width, cell.height);
            x += col_w[c] + Gap;
        }
        y += row_h[r] + Gap;
    }
    return sheet;
}

constexpr int PngCompression = 5, PngFilterUp = 2;

std::vector<uint8_t> encodePng(const Image& image) {
    std::vector<uint8_t> out;
    if (image.width <= 0 || image.height <= 0) throw std::runtime_error("an empty picture");
    auto rgb = rgbBytes(image);
    // The panel's pictures are large and alike row to row: the "up" filter on
    // every row and the compressor's shortest search write them a third
    // quicker than stb's own choice per row, at about the same size.
    stbi_write_png_compression_level = PngCompression;
    stbi_write_force_png_filter = PngFilterUp;
    if (!stbi_write_png_to_func(appendBytes, &out, image.width, image.height, 3, rgb.data(),
                                image.width * 3))
        throw std::runtime_error("cannot encode the picture");
    return out;
}

std::optional<Image> decodeImage(const std::vector<uint8_t>& bytes) {
    if (bytes.empty() || bytes.size() > (1u << 30)) return std::nullopt;
    int w = 0, h = 0, n = 0;
    uint8_t* rgb =
        stbi_load_from_memory(bytes.data(), static_cast<int>(bytes.size()), &w, &h, &n, 3);
    if (!rgb) return std::nullopt;
    std::optional<Image> img;
    if (w > 0 && h > 0 && w <= 16384 && h <= 16384) img = fromRgb(rgb, w, h);
    stbi_image_free(rgb);
    return img;
}

std::optional<Image> readImage(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                               std::istreambuf_iterator<char>());
    return decodeImage(bytes);
}

void writePng(const std::string& path, const Image& image) {
    auto bytes = encodePng(image);
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path);
}

}  // namespace tw
