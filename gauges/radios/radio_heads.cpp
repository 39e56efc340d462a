// ADF, ADF2, NAV1, NAV2, COM1: the radio heads that are views on the host's own
// radios. Each shows the host's frequency on five digit drums, and its areas
// carry the host's tuning events, which the host sends by itself. One table of
// per-head numbers and one implementation; no gauge callback.
//
// Reads: 16 and 18 (ADF), 24 (NAV1), 27 (NAV2), 23 (COM1), all packed decimal,
// and the calculator expression "(A:ADF ACTIVE FREQUENCY:2, KHz)" (ADF2).
// Sends: nothing itself; the host sends 65636..65650, 65666..65668 and
// 66544..66550 from the areas. Shares: nothing; the digits are the heads' own
// module global RadioHeadDigits.

#include <cmath>

#include "framework/gauge.h"
#include "framework/host_ids.h"
#include "framework/truncate.h"

extern GAUGE_HEADER gauge_ADF;
extern GAUGE_HEADER gauge_ADF2;
extern GAUGE_HEADER gauge_NAV1;
extern GAUGE_HEADER gauge_NAV2;
extern GAUGE_HEADER gauge_COM1;

constexpr int RadioHeadCount = 5;
constexpr int RadioDrumCount = 5;

extern "C" {

// Each head's digits from left to right as its last refresh read them: a
// packed-decimal group as the host holds it (0..15), or a decimal digit.
int32_t RadioHeadDigits[RadioHeadCount][RadioDrumCount] = {};

}  // extern "C"

namespace {

using namespace hostvar;
using namespace hostevent;

enum Head { Adf, Adf2, Nav1, Nav2, Com1 };

// Where a drum's digit comes from.
struct DigitSource {
    enum Kind { Constant, Group, Place } kind;
    int var;      // Group: which of the head's two variables
    int shift;    // Group: the group's lowest bit
    int place;    // Place: the power of ten (0..3) of the calculator's frequency, -1 for tenths
    int32_t top;  // the drum's last digit
};

struct EventArea {
    int32_t x, y, width, height, cursor;
    uint32_t event;
};

constexpr int MaxAreas = 6;

struct RadioHead {
    GAUGE_HEADER* gauge;
    const char* tooltip;
    uint32_t vars[2];        // 0: none
    const char* expression;  // the frequency in kHz, where the host has no variable
    int32_t drumX[RadioDrumCount];
    DigitSource digits[RadioDrumCount];
    int areaCount;
    EventArea areas[MaxAreas];
};

constexpr uint32_t BmpBackground = 0x4500;
constexpr uint32_t BmpDigitDrum = 0x4510;
constexpr uint32_t BmpThousandsDrum = 0x4520;
constexpr int32_t ThousandsTop = 5;
constexpr int32_t DigitTop = 9;

constexpr DigitSource constantOne() { return {DigitSource::Constant, 0, 0, 0, DigitTop}; }
constexpr DigitSource group(int var, int shift, int32_t top = DigitTop) {
    return {DigitSource::Group, var, shift, 0, top};
}
constexpr DigitSource place(int power, int32_t top = DigitTop) {
    return {DigitSource::Place, 0, 0, power, top};
}

// The four-bit groups of a packed-decimal variable, and the places of a
// frequency in kHz, by their lowest bit and their power of ten.
constexpr int Bits0to3 = 0, Bits4to7 = 4, Bits8to11 = 8, Bits12to15 = 12;
constexpr int Thousands = 3, Hundreds = 2, Tens = 1, Units = 0, Tenths = -1;
constexpr int FirstVar = 0, SecondVar = 1;

constexpr int32_t AdfDrums[RadioDrumCount] = {0, 26, 52, 78, 111};
constexpr int32_t NavComDrums[RadioDrumCount] = {26, 52, 78, 111, 137};
constexpr int32_t Up = CursorUpArrow, Down = CursorDownArrow;

// The NAV and COM heads: a fixed leading 1, then four groups of one variable.
constexpr RadioHead navCom(GAUGE_HEADER* gauge, const char* tooltip, uint32_t var, EventArea a0,
                           EventArea a1, EventArea a2, EventArea a3) {
    return {gauge,
            tooltip,
            {var, 0},
            nullptr,
            {NavComDrums[0], NavComDrums[1], NavComDrums[2], NavComDrums[3], NavComDrums[4]},
            {constantOne(), group(FirstVar, Bits12to15), group(FirstVar, Bits8to11),
             group(FirstVar, Bits4to7), group(FirstVar, Bits0to3)},
            4,
            {a0, a1, a2, a3, {}, {}}};
}

// clang-format off
constexpr RadioHead Heads[RadioHeadCount] = {
    {&gauge_ADF, "ADF 1 Radio", {AdfFrequency, AdfFrequencyOuter}, nullptr,
     {AdfDrums[0], AdfDrums[1], AdfDrums[2], AdfDrums[3], AdfDrums[4]},
     {group(SecondVar, Bits8to11, ThousandsTop), group(FirstVar, Bits8to11),
      group(FirstVar, Bits4to7), group(FirstVar, Bits0to3), group(SecondVar, Bits0to3)},
     6,
     {{0, 0, 52, 35, Down, Adf1LeftDown}, {0, 30, 52, 35, Up, Adf1LeftUp},
      {53, 0, 26, 35, Down, Adf1MiddleDown}, {53, 30, 26, 35, Up, Adf1MiddleUp},
      {79, 0, 26, 35, Down, Adf1RightDown}, {79, 30, 26, 35, Up, Adf1RightUp}}},
    {&gauge_ADF2, "ADF 2 Radio", {0, 0}, "(A:ADF ACTIVE FREQUENCY:2, KHz)",
     {AdfDrums[0], AdfDrums[1], AdfDrums[2], AdfDrums[3], AdfDrums[4]},
     {place(Thousands, ThousandsTop), place(Hundreds), place(Tens), place(Units), place(Tenths)},
     6,
     {{0, 0, 52, 35, Down, Adf2LeftDown}, {0, 30, 52, 35, Up, Adf2LeftUp},
      {53, 0, 26, 35, Down, Adf2MiddleDown}, {53, 30, 26, 35, Up, Adf2MiddleUp},
      {79, 0, 26, 35, Down, Adf2RightDown}, {79, 30, 26, 35, Up, Adf2RightUp}}},
    navCom(&gauge_NAV1, "Navigation Radio 1", Nav1Frequency,
           {53, 20, 52, 30, Down, Nav1LeftDown}, {53, 0, 52, 30, Up, Nav1LeftUp},
           {106, 20, 52, 30, Down, Nav1RightDown}, {106, 0, 52, 30, Up, Nav1RightUp}),
    navCom(&gauge_NAV2, "Navigation Radio 2", Nav2Frequency,
           {53, 30, 52, 30, Down, Nav2LeftDown}, {53, 0, 52, 30, Up, Nav2LeftUp},
           {79, 30, 52, 30, Down, Nav2RightDown}, {79, 0, 52, 30, Up, Nav2RightUp}),
    navCom(&gauge_COM1, "Communications Radio 1", Com1Frequency,
           {53, 30, 52, 30, Down, Com1LeftDown}, {53, 0, 52, 30, Up, Com1LeftUp},
           {79, 30, 52, 30, Down, Com1RightDown}, {79, 0, 52, 30, Up, Com1RightUp}),
};
// clang-format on

constexpr uint32_t GroupMask = 0xF;
constexpr int32_t Decimal = 10;
constexpr double DrumColumn = 1.0;  // the drums move only vertically

MODULE_VAR headVars[RadioHeadCount][2] = {
    {hostVar(Heads[0].vars[0]), hostVar(Heads[0].vars[1])},
    {hostVar(Heads[1].vars[0]), hostVar(Heads[1].vars[1])},
    {hostVar(Heads[2].vars[0]), hostVar(Heads[2].vars[1])},
    {hostVar(Heads[3].vars[0]), hostVar(Heads[3].vars[1])},
    {hostVar(Heads[4].vars[0]), hostVar(Heads[4].vars[1])},
};

double calculated(const char* expression) {
    double result = 0.0;
    if (PANEL_SERVICES* s = panelServices())
        s->execute_calculator_code(expression, &result, nullptr, nullptr);
    return result;
}

// A frequency in whole tenths of a kHz, counted toward zero. The host's double
// is a binary approximation of a decimal frequency (1745.3 lies a hair below
// it), and arithmetic that keeps extra precision, as the 32-bit builds' does,
// would count one tenth short; an allowance of a millionth of a tenth gives
// the same count on every build. No frequency is negative or endless: such a
// reading counts 0, so the drums show zeros rather than negative digits.
constexpr double TenthsAllowance = 1e-6;

double tenthsOf(double khz) {
    if (!std::isfinite(khz) || khz < 0.0) return 0.0;
    const double tenths = std::trunc(khz * Decimal + TenthsAllowance);
    return std::isfinite(tenths) ? tenths : 0.0;
}

// The decimal digit of a count of tenths at a power of ten of kHz.
constexpr double TenthsPerPlace[] = {1.0, 10.0, 100.0, 1000.0, 10000.0};  // from the tenths up

int32_t placeDigit(double tenths, int power) {
    return truncToInt(std::fmod(std::trunc(tenths / TenthsPerPlace[power - Tenths]), Decimal));
}

// The host's packed decimal as the 32-bit integer it is.
uint32_t packed(double value) { return static_cast<uint32_t>(truncToInt(value)); }

void refresh(int h) {
    const RadioHead& head = Heads[h];
    double values[2] = {0.0, 0.0};
    double tenths = 0.0;
    if (head.expression) {
        tenths = tenthsOf(calculated(head.expression));
    } else {
        for (int v = 0; v < 2; ++v)
            if (head.vars[v]) values[v] = refreshVar(headVars[h][v]);
    }
    for (int d = 0; d < RadioDrumCount; ++d) {
        const DigitSource& s = head.digits[d];
        int32_t digit = 1;
        if (s.kind == DigitSource::Group)
            digit = static_cast<int32_t>((packed(values[s.var]) >> s.shift) & GroupMask);
        else if (s.kind == DigitSource::Place)
            digit = placeDigit(tenths, s.place);
        RadioHeadDigits[h][d] = digit;
    }
}

// ---- Element callbacks ------------------------------------------------------

// Every drum's horizontal callback, so the head reads the host once per drum.
template <int H>
double HOSTAPI refreshHead(ELEMENT_HEADER*) {
    refresh(H);
    return DrumColumn;
}

// A group above 9 shows its last decimal digit; a digit beyond the drum's last
// picture (the thousands drum has six) stays on that picture.
template <int H, int D>
double HOSTAPI headDigit(ELEMENT_HEADER*) {
    int32_t digit = RadioHeadDigits[H][D] % Decimal;
    if (digit < 0) digit = 0;
    const int32_t top = Heads[H].digits[D].top;
    return digit > top ? top : digit;
}

// ---- Records ----------------------------------------------------------------

// One head's elements: the background, then the drums from left to right,
// each the child of the one before it.
struct HeadElements {
    ELEMENT_STATIC_IMAGE background;
    ELEMENT_HEADER* backgroundNext[2];
    ELEMENT_MOVING_IMAGE drums[RadioDrumCount];
    ELEMENT_HEADER* drumNext[RadioDrumCount - 1][2];
    ELEMENT_HEADER* root[2];
};

template <int H, int D>
constexpr ELEMENT_MOVING_IMAGE drum(HeadElements* self) {
    const DigitSource& s = Heads[H].digits[D];
    const uint32_t bitmap = s.top == ThousandsTop ? BmpThousandsDrum : BmpDigitDrum;
    ELEMENT_HEADER** next = nullptr;
    if constexpr (D + 1 < RadioDrumCount) next = self->drumNext[D];
    return movingImage({Heads[H].gauge, bitmap, Heads[H].drumX[D], 0, 0, next}, 0,
                       ranged(0, 0.0, 0.0, refreshHead<H>), ranged(0, 0.0, s.top, headDigit<H, D>));
}

template <int H>
constexpr HeadElements headElements(HeadElements* self) {
    return HeadElements{
        staticImage({Heads[H].gauge, BmpBackground, 0, 0, 0, self->backgroundNext}),
        {&self->drums[0].header, nullptr},
        {drum<H, 0>(self), drum<H, 1>(self), drum<H, 2>(self), drum<H, 3>(self), drum<H, 4>(self)},
        {{&self->drums[1].header, nullptr},
         {&self->drums[2].header, nullptr},
         {&self->drums[3].header, nullptr},
         {&self->drums[4].header, nullptr}},
        {&self->background, nullptr},
    };
}

constinit HeadElements elements[RadioHeadCount] = {
    headElements<Adf>(&elements[Adf]),   headElements<Adf2>(&elements[Adf2]),
    headElements<Nav1>(&elements[Nav1]), headElements<Nav2>(&elements[Nav2]),
    headElements<Com1>(&elements[Com1]),
};

constexpr uint32_t Knob = MouseLeftPress | MouseDownRepeat;

// Parent, tooltip, the event areas, end of parent, end of list.
struct HeadMouse {
    MOUSE_RECT records[MaxAreas + 4];
};

constexpr HeadMouse headMouse(int h) {
    const RadioHead& head = Heads[h];
    HeadMouse m{};
    int n = 0;
    m.records[n++] = mouseParent(0, 0, 0, 0);
    m.records[n++] = mouseTooltip(head.tooltip);
    for (int i = 0; i < head.areaCount; ++i) {
        const EventArea& a = head.areas[i];
        m.records[n++] = mouseChildEvent(a.x, a.y, a.width, a.height, a.cursor, Knob, a.event);
    }
    m.records[n++] = mouseEndParent();
    while (n < MaxAreas + 4) m.records[n++] = mouseEnd();
    return m;
}

constinit HeadMouse mouse[RadioHeadCount] = {headMouse(Adf), headMouse(Adf2), headMouse(Nav1),
                                             headMouse(Nav2), headMouse(Com1)};

}  // namespace

constinit GAUGE_HEADER gauge_ADF =
    makeGaugeHeader("ADF", 100, elements[Adf].root, mouse[Adf].records, nullptr);
constinit GAUGE_HEADER gauge_ADF2 =
    makeGaugeHeader("ADF2", 100, elements[Adf2].root, mouse[Adf2].records, nullptr);
constinit GAUGE_HEADER gauge_NAV1 =
    makeGaugeHeader("NAV1", 100, elements[Nav1].root, mouse[Nav1].records, nullptr);
constinit GAUGE_HEADER gauge_NAV2 =
    makeGaugeHeader("NAV2", 100, elements[Nav2].root, mouse[Nav2].records, nullptr);
constinit GAUGE_HEADER gauge_COM1 =
    makeGaugeHeader("COM1", 100, elements[Com1].root, mouse[Com1].records, nullptr);
