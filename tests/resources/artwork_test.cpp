// The module's bitmap resources against its records and its description table,
// read as the host reads them: from the loaded module (the real DLL on
// Windows, the build's bitmaps through the stand-in on Linux).
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "host/host.h"
#include "host/module_bitmaps.h"
#include "host/moving_window.h"
#include "host/needle_scale.h"
#include "tools/artwork_table.h"

namespace artwork_test {

namespace {

const std::string SourceDir = TW_SOURCE_DIR;

// Every bitmap a record names: elements, an icon's further images, masks.
void collect(ELEMENT_HEADER* e, int depth, std::set<uint32_t>& ids) {
    if (!e || depth > 32) return;
    ids.insert(e->resource_id);
    if (e->element_type == ElementIcon) {
        auto* ic = reinterpret_cast<ELEMENT_ICON*>(e);
        for (uint32_t i = 1; i < ic->picture_count && i < 64; ++i) ids.insert(e->resource_id + i);
    }
    if (e->element_type == ElementMovingImage) {
        if (uint32_t mask = reinterpret_cast<ELEMENT_MOVING_IMAGE*>(e)->mask_id) ids.insert(mask);
    }
    for (int i = 0; e->next_element && i < 64 && e->next_element[i]; ++i)
        collect(e->next_element[i], depth + 1, ids);
}

TEST(Artwork, EveryBitmapOfTheTableAndTheRecordsIsInTheModuleAtItsSizeAndDepth) {
    auto rows = twart::readTable(SourceDir + "/resources/artwork.tsv");
    auto script = twart::readScript(SourceDir + "/resources/tarnwick.rc");
    ASSERT_EQ(script.size(), rows.size());

    tw::Host host;
    void* module = host.module().handle();
    std::map<uint32_t, const twart::BitmapRow*> by_id;
    for (const auto& r : rows) {
        auto bytes = r.named ? tw::bitmapResource(module, r.key) : tw::bitmapResource(module, r.id);
        ASSERT_TRUE(bytes) << r.key << " is not among the module's resources";
        auto head = tw::bitmapHeader(*bytes);
        ASSERT_TRUE(head) << r.key;
        EXPECT_EQ(head->width, r.width) << r.key;
        EXPECT_EQ(head->height, r.height) << r.key;
        EXPECT_EQ(head->bits_per_pixel, r.bpp) << r.key;
        EXPECT_TRUE(tw::decodeBitmap(*bytes)) << r.key;
        if (!r.named) by_id[r.id] = &r;
    }
    // The named one is found by its name, and a number no record uses is not there.
    EXPECT_TRUE(tw::bitmapResource(module, std::string("BMP_CLOCK2_BG")));
    EXPECT_FALSE(tw::bitmapResource(module, 1u));

    std::set<uint32_t> named;
    for (GAUGE_HEADER* const* g = host.module().linkage()->gauge_table; *g; ++g)
        if ((*g)->elements_list) collect((*g)->elements_list[0], 0, named);
    ASSERT_FALSE(named.empty());
    for (uint32_t id : named) EXPECT_TRUE(by_id.count(id)) << "a record names bitmap " << id;

    // The host writes the resources' sizes into the elements it builds.
    tw::Gauge* asi = host.createGauge("ASI");
    host.frame();
    EXPECT_EQ(asi->drawState()[0].element->image_size.x, 276);
    EXPECT_EQ(asi->drawState()[0].element->image_size.y, 276);
    ASSERT_TRUE(host.bitmapSizes().find(9360));
    EXPECT_EQ(host.bitmapSizes().find(9360)->y, 480);
}

// The ASI face carries a mark at every scale point of the needles that turn
// over it, as its records give them: change a point and its mark moves.
TEST(Artwork, DialMarksSitOnTheRecordsScalePoints) {
    tw::Host host;
    tw::Gauge* asi = host.createGauge("ASI");
    host.frame();
    const auto& d = asi->drawState();
    ASSERT_GE(d.size(), 3u);
    auto face = tw::decodeBitmap(*tw::bitmapResource(host.module().handle(), 0x1000u));
    ASSERT_TRUE(face);
    auto* bug = reinterpret_cast<const ELEMENT_NEEDLE*>(d[2].element);
    ASSERT_GT(bug->nonlinearity_count, 10u);
    auto bright = [&](int x, int y) {
        uint32_t c = face->at(x, y);
        return ((c >> 16) & 0xFF) > 180 && ((c >> 8) & 0xFF) > 180 && (c & 0xFF) > 180;
    };
    for (uint32_t i = 0; i < bug->nonlinearity_count; ++i) {
        PIXPOINT p = bug->nonlinearity_table[i].pt;
        int x = p.x - d[0].position.x, y = p.y - d[0].position.y;
        EXPECT_TRUE(bright(x, y) || bright(x + 1, y) || bright(x, y + 1))
            << "no mark at the scale point of " << bug->nonlinearity_table[i].value;
    }
}

// A counter's digits read clear: nothing engraved on the faces beneath its
// drums (numerals, legends) runs under their windows or against their edges.
TEST(Artwork, FacesKeepTheirMarkingsClearOfTheirCounters) {
    tw::Host host;
    void* module = host.module().handle();
    for (const char* name : {"FFFU1", "TAS", "TOTAL_FUEL"}) {
        tw::Gauge* gauge = host.createGauge(name);
        host.frame();
        struct Box {
            int x0, y0, x1, y1;
        };
        std::vector<Box> windows;
        std::vector<std::pair<uint32_t, PIXPOINT>> faces;
        for (const auto& s : gauge->drawState()) {
            auto bytes = tw::bitmapResource(module, s.resource_id);
            auto head = bytes ? tw::bitmapHeader(*bytes) : std::nullopt;
            if (!head) continue;
            if (s.type == ElementMovingImage) {
                auto* m = reinterpret_cast<const ELEMENT_MOVING_IMAGE*>(s.element);
                int h = tw::movingImageWindow(head->height, m->y.minimum, m->y.maximum);
                windows.push_back({s.position.x - 3, s.position.y - 3,
                                   s.position.x + head->width + 3, s.position.y + h + 3});
            } else if (head->width >= 100 &&
                       (s.type == ElementStaticImage || s.type == ElementIcon)) {
                uint32_t images =
                    s.type == ElementIcon
                        ? reinterpret_cast<const ELEMENT_ICON*>(s.element)->picture_count
                        : 1;
                for (uint32_t k = 0; k < images; ++k)
                    faces.push_back({s.resource_id + k, s.position});
            }
        }
        ASSERT_GE(windows.size(), 3u) << name;
        ASSERT_FALSE(faces.empty()) << name;
        for (const auto& [id, at] : faces) {
            auto face = tw::decodeBitmap(*tw::bitmapResource(module, id));
            ASSERT_TRUE(face) << id;
            int ink = 0;
            for (const Box& w : windows)
                for (int y = w.y0; y < w.y1; ++y)
                    for (int x = w.x0; x < w.x1; ++x) {
                        int fx = x - at.x, fy = y - at.y;
                        if (fx < 0 || fy < 0 || fx >= face->width || fy >= face->height) continue;
                        uint32_t c = face->at(fx, fy);
                        if (((c >> 16) & 0xFF) > 180 && ((c >> 8) & 0xFF) > 180 && (c & 0xFF) > 180)
                            ++ink;
                    }
            EXPECT_EQ(ink, 0) << name << ": bitmap " << id << " has ink under its drums";
        }
    }
}

}  // namespace

}  // namespace artwork_test
