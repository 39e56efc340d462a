// What the commands print: draw states, events and tooltips, as text or JSON.
// Tooltips are Windows Latin-1 bytes in the module; both forms print them as
// UTF-8.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <sstream>

#include "host/scenario.h"
#include "tools/cli/cli.h"

namespace twcli {

namespace {

const char* typeName(uint32_t t) {
    switch (t) {
        case ElementStaticImage:
            return "static";
        case ElementNeedle:
            return "needle";
        case ElementString:
            return "string";
        case ElementSlider:
            return "slider";
        case ElementIcon:
            return "icon";
        case ElementMovingImage:
            return "moving";
        case ElementSprite:
            return "sprite";
        default:
            return "unknown";
    }
}

Json elementJson(const tw::ElementState& s) {
    Json e;
    e["type"] = typeName(s.type);
    e["resource"] = s.resource_id;
    e["depth"] = s.depth;
    e["hidden"] = s.hidden;
    e["x"] = s.position.x;
    e["y"] = s.position.y;
    switch (s.type) {
        case ElementNeedle:
            e["value"] = jsonNumber(s.value);
            e["angle"] = jsonNumber(s.angle);
            break;
        case ElementIcon:
            e["image"] = s.image;
            break;
        case ElementSlider:
            e["offset_x"] = jsonNumber(s.offset_x);
            e["offset_y"] = jsonNumber(s.offset_y);
            e["value_x"] = jsonNumber(s.value_x);
            e["value_y"] = jsonNumber(s.value_y);
            break;
        case ElementMovingImage:
            e["fraction_x"] = jsonNumber(s.fraction_x);
            e["fraction_y"] = jsonNumber(s.fraction_y);
            e["value_x"] = jsonNumber(s.value_x);
            e["value_y"] = jsonNumber(s.value_y);
            break;
        case ElementSprite:
            e["offset_x"] = jsonNumber(s.offset_x);
            e["offset_y"] = jsonNumber(s.offset_y);
            e["rotation"] = jsonNumber(s.rotation);
            e["texture_center"] = Json::array({s.texture_center.x, s.texture_center.y});
            e["texture_scale"] =
                Json::array({jsonNumber(s.texture_scale_x), jsonNumber(s.texture_scale_y)});
            break;
        default:
            break;
    }
    return e;
}

void printElementText(const tw::ElementState& s) {
    std::cout << std::string(2 * (s.depth + 1), ' ') << typeName(s.type) << " " << s.resource_id
              << " at (" << s.position.x << "," << s.position.y << ")";
    switch (s.type) {
        case ElementNeedle:
            std::cout << " value " << textNumber(s.value) << " angle " << textNumber(s.angle);
            break;
        case ElementIcon:
            std::cout << " image " << s.image;
            break;
        case ElementSlider:
            std::cout << " offset (" << textNumber(s.offset_x) << "," << textNumber(s.offset_y)
                      << ") value (" << textNumber(s.value_x) << "," << textNumber(s.value_y)
                      << ")";
            break;
        case ElementMovingImage:
            std::cout << " fraction (" << textNumber(s.fraction_x) << ","
                      << textNumber(s.fraction_y) << ") value (" << textNumber(s.value_x) << ","
                      << textNumber(s.value_y) << ")";
            break;
        case ElementSprite:
            std::cout << " offset (" << textNumber(s.offset_x) << "," << textNumber(s.offset_y)
                      << ") rotation " << textNumber(s.rotation) << " centre ("
                      << s.texture_center.x << "," << s.texture_center.y << ") scale ("
                      << textNumber(s.texture_scale_x) << "," << textNumber(s.texture_scale_y)
                      << ")";
            break;
        default:
            break;
    }
    std::cout << (s.hidden ? " hidden" : "") << "\n";
}

}  // namespace

Json jsonNumber(double v) {
    if (!std::isfinite(v) || v == 0.0) return 0;  // negative zero too
    if (v == std::floor(v) && std::fabs(v) < 9007199254740992.0) return static_cast<int64_t>(v);
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.10g", v);
    return std::strtod(buf, nullptr);
}

std::string textNumber(double v) {
    std::ostringstream s;
    s.precision(10);
    s << (std::isfinite(v) && v != 0.0 ? v : 0.0);
    return s.str();
}

std::string utf8(const std::string& latin1) { return tw::latin1ToUtf8(latin1); }

Json eventsJson(const tw::Host& host) {
    Json events = Json::array();
    for (const tw::SentEvent& e : host.events()) {
        Json j;
        j["id"] = e.id;
        j["value"] = e.value;
        j["source"] = e.source == tw::SentEvent::Module ? "module" : "area";
        events.push_back(std::move(j));
    }
    return events;
}

void printJson(const Json& j) { std::cout << j.dump() << "\n"; }

void printEvents(const tw::Host& host, const Options& o) {
    if (o.json) {
        Json j;
        j["events"] = eventsJson(host);
        printJson(j);
        return;
    }
    for (const tw::SentEvent& e : host.events())
        std::cout << "event " << e.id << " value " << e.value
                  << (e.source == tw::SentEvent::Module ? "" : " (sent by the host)") << "\n";
}

void printState(const tw::Gauge& g, const Options& o, const Json* events) {
    if (o.json) {
        Json j;
        j["gauge"] = utf8(g.name());
        if (events) j["events"] = *events;
        Json elements = Json::array();
        for (const tw::ElementState& s : g.drawState()) elements.push_back(elementJson(s));
        j["elements"] = std::move(elements);
        printJson(j);
        return;
    }
    std::cout << g.name() << "\n";
    for (const tw::ElementState& s : g.drawState()) printElementText(s);
}

}  // namespace twcli
