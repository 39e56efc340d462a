// The flight instruments and radio heads with unreadable host values: NaN,
// infinities and huge numbers in every variable and calculator result they
// read give finite needles, offsets and turns, drums within their pictures,
// and tooltips and knobs that still work.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "host/host.h"

namespace instrument_inputs_test {

namespace {

constexpr const char* Gauges[] = {"ADI", "HSI",  "ALT",  "VSI",  "RMI",  "DME1", "DME2",
                                  "ADF", "ADF2", "NAV1", "NAV2", "COM1", "COM2"};
constexpr uint32_t Vars[] = {16, 18, 23, 24, 27, 31, 35, 39, 40, 41,  43,  44,  45, 59,
                             65, 74, 76, 77, 78, 79, 80, 81, 84, 107, 276, 550, 853};
constexpr const char* Expressions[] = {"(A:ADF RADIAL:2,degrees)",
                                       "(A:ADF ACTIVE FREQUENCY:2, KHz)"};

void expectDefined(const tw::ElementState& s) {
    for (double v : {s.value, s.angle, s.offset_x, s.offset_y, s.rotation, s.value_x, s.value_y})
        EXPECT_TRUE(std::isfinite(v)) << "element " << s.resource_id;
    if (s.type == ElementMovingImage) {
        // At most the drum's last whole mark: the continuous units drum runs
        // on towards 10 past its 9.99.
        const auto* m = reinterpret_cast<const ELEMENT_MOVING_IMAGE*>(s.element);
        EXPECT_GE(s.value_y, m->y.minimum) << "element " << s.resource_id;
        EXPECT_LE(s.value_y, std::ceil(m->y.maximum)) << "element " << s.resource_id;
    }
    if (s.type == ElementIcon) {
        const auto* icon = reinterpret_cast<const ELEMENT_ICON*>(s.element);
        EXPECT_GE(s.image, -1);
        EXPECT_LT(s.image, static_cast<int32_t>(icon->picture_count));
    }
}

}  // namespace

TEST(InstrumentInputs, UnreadableValuesGiveADefinedPicture) {
    constexpr double Inf = std::numeric_limits<double>::infinity();
    for (double bad : {std::nan(""), Inf, -Inf, 1e300, -1e300, 4294967296.0, -2147483649.0}) {
        SCOPED_TRACE(bad);
        tw::Host host;
        for (uint32_t v : Vars) host.setVar(v, bad);
        for (const char* e : Expressions) host.setCalculatorResult(e, bad);
        host.setVar(335, 2);
        for (const char* name : Gauges) ASSERT_NE(host.createGauge(name), nullptr) << name;
        host.frames(2);
        for (const auto& g : host.gauges()) {
            SCOPED_TRACE(g->name());
            for (const auto& s : g->drawState()) expectDefined(s);
            if (g->name() != "RMI") {
                EXPECT_TRUE(g->tooltipAt(20, 20).has_value());
            }
        }
        // The selector to the calculator's pointer and back; the knobs still send.
        tw::Gauge* rmi = host.gauges()[4].get();
        ASSERT_TRUE(rmi->press(40, 40));
        rmi->release();
        host.frame();
        for (const auto& s : rmi->drawState()) expectDefined(s);
        tw::Gauge* hsi = host.gauges()[1].get();
        ASSERT_TRUE(hsi->press(240, 260));
        ASSERT_TRUE(hsi->press(60, 270));
        EXPECT_EQ(host.events().size(), 2u);
    }
}

}  // namespace instrument_inputs_test
