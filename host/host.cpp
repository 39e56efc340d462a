#include "host/host.h"

#include <cmath>
#include <stdexcept>

#include "framework/truncate.h"
#include "host/message_format.h"
#include "host/needle_scale.h"

#if !defined(_WIN32)
#include "platform/linux/stand_in.h"
#endif

namespace tw {

namespace {

Host* g_active = nullptr;

// Deeper trees or longer next lists than these mean a broken record.
constexpr int MaxDepth = 32;
constexpr int MaxNextEntries = 64;
constexpr int MaxElements = 4096;

// The logs keep the most recent entries: a host that runs for hours must not
// grow without end. Dropping the older half at a time keeps appends cheap.
constexpr size_t MaxLogEntries = 1 << 16;
template <typename T>
void logEntry(std::vector<T>& log, T entry) {
    if (log.size() >= MaxLogEntries) log.erase(log.begin(), log.begin() + MaxLogEntries / 2);
    log.push_back(std::move(entry));
}

// Every element of a tree gets its bitmap's size, as the host loads the bitmaps
// before it builds the gauge.
void writeImageSizes(const BitmapSizes& sizes, ELEMENT_HEADER* e, int depth, int& visited) {
    if (!e || depth > MaxDepth || ++visited > MaxElements) return;
    e->image_size = sizes.find(e->resource_id).value_or(PIXPOINT{0, 0});
    if (!e->next_element) return;
    for (int i = 0; i < MaxNextEntries && e->next_element[i]; ++i)
        writeImageSizes(sizes, e->next_element[i], depth + 1, visited);
}

}  // namespace

// The panel services the host hands the module.
struct Services {
    static Host& host() { return *g_active; }
    static void log(const char* name, ELEMENT_HEADER* e, uint32_t arg = 0) {
        logEntry(host().element_list_calls_, ElementListCall{name, e, arg});
    }
    static void HOSTAPI query(ELEMENT_HEADER* e) { log("element_list_query", e); }
    static void HOSTAPI install(ELEMENT_HEADER* e, uint32_t a) {
        log("element_list_install", e, a);
    }
    static void HOSTAPI initialize(ELEMENT_HEADER* e) { log("element_list_initialize", e); }
    static void HOSTAPI update(ELEMENT_HEADER* e) { log("element_list_update", e); }
    static void HOSTAPI generate(ELEMENT_HEADER* e, uint32_t a) {
        log("element_list_generate", e, a);
    }
    static void HOSTAPI plot(ELEMENT_HEADER* e) { log("element_list_plot", e); }
    static void HOSTAPI erase(ELEMENT_HEADER* e) { log("element_list_erase", e); }
    static void HOSTAPI kill(ELEMENT_HEADER* e) { log("element_list_kill", e); }

    static int32_t HOSTAPI triggerKeyEvent(uint32_t id, uint32_t value) {
        logEntry(host().events_, SentEvent{SentEvent::Module, id, value});
        return 0;
    }
    // The module's lookups are counted; the host's own refreshes of element
    // and tooltip records (fill) are not.
    static void HOSTAPI lookupVar(MODULE_VAR* var) {
        if (!var) return;
        ++host().lookups_[var->id];
        fill(var);
    }
    static void fill(MODULE_VAR* var) {
        auto& vars = host().vars_;
        auto it = vars.try_emplace(var->id, 0.0).first;
        var->var_old = var->var_value;
        var->var_value = it->second;
        var->var_ptr = &it->second;
    }
    static int32_t HOSTAPI executeCalculatorCode(const char* expression, double* result, int32_t*,
                                                 const char**) {
        if (!expression || !result) return 0;
        auto& known = host().calculator_;
        auto it = known.find(expression);
        if (it == known.end()) return 0;
        *result = it->second;
        return 1;
    }
};

// ---- Host ------------------------------------------------------------------

Host* Host::active() { return g_active; }

Host::Host(const std::string& module_path) {
    if (g_active) throw std::logic_error("only one host may be active");
    services_.element_list_query = Services::query;
    services_.element_list_install = Services::install;
    services_.element_list_initialize = Services::initialize;
    services_.element_list_update = Services::update;
    services_.element_list_generate = Services::generate;
    services_.element_list_plot = Services::plot;
    services_.element_list_erase = Services::erase;
    services_.element_list_kill = Services::kill;
    services_.trigger_key_event = Services::triggerKeyEvent;
    services_.lookup_var = Services::lookupVar;
    services_.execute_calculator_code = Services::executeCalculatorCode;
    g_active = this;
#if !defined(_WIN32)
    // Every host starts on a clean system and a clock at zero.
    twplat::reset();
#endif
    try {
        main_window_ = std::make_unique<MainWindow>();
        module_ = std::make_unique<Module>(module_path, &services_);
    } catch (...) {
        main_window_.reset();
        g_active = nullptr;
        throw;
    }
}

Host::~Host() {
    while (!gauges_.empty()) destroyGauge(gauges_.back().get());
    module_.reset();
    offset_server_.reset();
    main_window_.reset();
#if !defined(_WIN32)
    // Nothing of the unloaded module may stay behind in timers or windows.
    twplat::reset();
#endif
    g_active = nullptr;
}

OffsetServer& Host::startOffsetServer(OffsetServer::Class window_class, uint16_t sim_version) {
    offset_server_ = std::make_unique<OffsetServer>(window_class, sim_version);
    return *offset_server_;
}

double Host::var(uint32_t id) const {
    auto it = vars_.find(id);
    return it == vars_.end() ? 0.0 : it->second;
}

unsigned Host::lookups(uint32_t id) const {
    auto it = lookups_.find(id);
    return it == lookups_.end() ? 0 : it->second;
}

void Host::setCalculatorResult(const std::string& expression, double value) {
    calculator_[expression] = value;
}

void Host::clearLogs() {
    events_.clear();
    lookups_.clear();
    element_list_calls_.clear();
    service_calls_.clear();
}

Gauge* Host::createGauge(std::string_view name, std::string parameters, uintptr_t window) {
    GAUGE_HEADER* header = module_->findGauge(name);
    return header ? createGauge(header, std::move(parameters), window) : nullptr;
}

Gauge* Host::createGauge(GAUGE_HEADER* header, std::string parameters, uintptr_t window) {
    if (!header) return nullptr;
    if (window == 0) window = next_window_++;
    gauges_.push_back(
        std::unique_ptr<Gauge>(new Gauge(*this, header, std::move(parameters), window)));
    Gauge& g = *gauges_.back();
    if (header->elements_list) {
        int visited = 0;
        writeImageSizes(bitmap_sizes_, header->elements_list[0], 0, visited);
    }
    g.call(ServicePreQuery);
    if (header->query_routine) module_->call(header->query_routine);
    g.call(ServicePostQuery);
    g.call(ServicePreInstall);
    if (header->install_routine) module_->call(header->install_routine, 0);
    g.call(ServicePostInstall);
    g.call(ServicePreInitialize);
    if (header->initialize_routine) module_->call(header->initialize_routine);
    g.call(ServicePostInitialize);
    g.call(ServiceConnectToWindow, g.window());
    return &g;
}

void Host::destroyGauge(Gauge* gauge) {
    for (auto it = gauges_.begin(); it != gauges_.end(); ++it) {
        if (it->get() != gauge) continue;
        gauge->call(ServiceDisconnect);
        gauge->call(ServicePreKill);
        if (gauge->header_->kill_routine) module_->call(gauge->header_->kill_routine);
        gauge->call(ServicePostKill);
        gauges_.erase(it);
        return;
    }
}

void Host::frame() {
    for (auto& g : gauges_) g->frame();
}

void Host::frames(int count) {
    for (int i = 0; i < count; ++i) frame();
}

void Host::runTicks(int count) {
    constexpr uint32_t PeriodMs = 55;
    constexpr uint32_t TickCounter = 1;
    constexpr uint32_t SimulationTime = 604;
    for (int i = 0; i < count; ++i) {
        runFor(PeriodMs);
        setVar(TickCounter, var(TickCounter) + 1);
        setVar(SimulationTime, var(SimulationTime) + PeriodMs / 1000.0);
        frame();
    }
}

// ---- Gauge -----------------------------------------------------------------

Gauge::Gauge(Host& host, GAUGE_HEADER* header, std::string parameters, uintptr_t window)
    : host_(host),
      header_(header),
      name_(header->gauge_name ? header->gauge_name : ""),
      parameters_(std::move(parameters)),
      window_(window),
      areas_(header->mouse_rect) {}

void Gauge::select() { header_->parameters = parameters_.c_str(); }

void Gauge::call(int32_t service, uintptr_t extra) {
    select();
    logEntry(host_.service_calls_, ServiceCall{name_, service, extra});
    if (header_->gauge_callback)
        host_.module().callGauge(header_->gauge_callback, header_, service, extra);
}

void Gauge::frame() {
    call(ServicePreUpdate);
    const Module& module = host_.module();
    if (header_->update_routine) module.call(header_->update_routine);
    draw_.clear();
    visited_ = 0;
    if (header_->elements_list && header_->elements_list[0]) walk(header_->elements_list[0], 0);
    call(ServicePostUpdate);
    call(ServicePreGenerate);
    if (header_->generate_routine) module.call(header_->generate_routine, 0);
    call(ServicePostGenerate);
    call(ServicePreDraw);
    if (header_->draw_routine) module.call(header_->draw_routine);
    call(ServicePostDraw);
}

// Depth first: an element, then each entry of its next list in order, each with
// its own subtree. Every element's callbacks run whether or not it is hidden,
// since a callback may be what shows it again.
void Gauge::walk(ELEMENT_HEADER* e, int depth) {
    if (depth > MaxDepth || ++visited_ > MaxElements) return;
    draw_.push_back(evaluate(e, depth));
    if (!e->next_element) return;
    for (int i = 0; i < MaxNextEntries && e->next_element[i]; ++i)
        walk(e->next_element[i], depth + 1);
}

namespace {

double refresh(const Module& module, MODULE_VAR& var, ElementCallback cb, ELEMENT_HEADER* e) {
    Services::fill(&var);
    return cb ? module.callElement(cb, e) : var.var_value;
}

}  // namespace

ElementState Gauge::evaluate(ELEMENT_HEADER* e, int depth) {
    const Module& module = host_.module();
    ElementState s;
    s.element = e;
    s.type = e->element_type;
    s.resource_id = e->resource_id;
    s.depth = depth;
    s.position = e->position;
    switch (e->element_type) {
        case ElementNeedle: {
            auto* n = reinterpret_cast<ELEMENT_NEEDLE*>(e);
            s.value = refresh(module, n->source_var, n->update_cb, e);
            double target = scaleAngleUnfolded(e->position, n->nonlinearity_table,
                                               n->nonlinearity_count, s.value);
            if (!std::isfinite(target)) target = 0.0;
            auto it = needle_angles_.find(e);
            double shown = target;
            if (it != needle_angles_.end() && n->max_degrees_per_update > 0) {
                double step = target - it->second;
                double rate = n->max_degrees_per_update;
                shown = it->second + (step > rate ? rate : step < -rate ? -rate : step);
            }
            needle_angles_[e] = shown;
            s.angle = foldAngle(shown);
            break;
        }
        case ElementSlider: {
            auto* sl = reinterpret_cast<ELEMENT_SLIDER*>(e);
            s.value_x = refresh(module, sl->x.source_var, sl->x.update_cb, e);
            s.value_y = refresh(module, sl->y.source_var, sl->y.update_cb, e);
            s.offset_x = s.value_x * sl->x.scale;
            s.offset_y = s.value_y * sl->y.scale;
            break;
        }
        case ElementIcon: {
            auto* ic = reinterpret_cast<ELEMENT_ICON*>(e);
            s.value = refresh(module, ic->source_var, ic->update_cb, e);
            s.image = truncToInt(s.value);
            break;
        }
        case ElementMovingImage: {
            auto* m = reinterpret_cast<ELEMENT_MOVING_IMAGE*>(e);
            auto place = [](const RANGED_SOURCE& r, double v) {
                double span = r.maximum - r.minimum;
                if (span == 0 || !std::isfinite(v)) return 0.0;
                double f = (v - r.minimum) / span;
                return f < 0 ? 0.0 : f > 1 ? 1.0 : f;
            };
            s.value_x = refresh(module, m->x.source_var, m->x.update_cb, e);
            s.value_y = refresh(module, m->y.source_var, m->y.update_cb, e);
            s.fraction_x = place(m->x, s.value_x);
            s.fraction_y = place(m->y, s.value_y);
            break;
        }
        case ElementSprite: {
            auto* sp = reinterpret_cast<ELEMENT_SPRITE*>(e);
            s.value_x = refresh(module, sp->offset_x.source_var, sp->offset_x.update_cb, e);
            s.value_y = refresh(module, sp->offset_y.source_var, sp->offset_y.update_cb, e);
            double turn = refresh(module, sp->rotation.source_var, sp->rotation.update_cb, e);
            s.offset_x = s.value_x * sp->offset_x.scale;
            s.offset_y = s.value_y * sp->offset_y.scale;
            s.rotation = turn * sp->rotation.scale;
            break;
        }
        default:
            break;
    }
    // Read after the callbacks: they may set or clear the flag.
    s.hidden =
        (e->image_flags & ImageHidden) != 0 || (e->element_type == ElementIcon && s.image < 0);
    return s;
}

void Gauge::fireArea(int index, int32_t x, int32_t y, uint32_t flags) {
    const MouseArea& a = areas_.areas()[index];
    const MOUSE_RECT& r = *a.record;
    select();
    if (r.callback) {
        PIXPOINT point{x - a.box.x, y - a.box.y};
        last_mouse_result_ = host_.module().callMouse(r.callback, &point, flags);
    } else if (r.event_id != 0) {
        logEntry(host_.events_, SentEvent{SentEvent::MouseArea, r.event_id, 0});
    }
}

bool Gauge::press(int32_t x, int32_t y) {
    pressed_ = areas_.childAt(x, y);
    if (!pressed_) return false;
    if (areas_.areas()[*pressed_].record->mouse_flags & MouseLeftPress)
        fireArea(*pressed_, x, y, MouseLeftPress);
    last_x_ = x;
    last_y_ = y;
    return true;
}

void Gauge::repeat(int times) {
    if (!pressed_) return;
    if (!(areas_.areas()[*pressed_].record->mouse_flags & MouseDownRepeat)) return;
    for (int i = 0; i < times; ++i)
        fireArea(*pressed_, last_x_, last_y_, MouseLeftPress | MouseDownRepeat);
}

void Gauge::drag(int32_t x, int32_t y) {
    if (!pressed_) return;
    last_x_ = x;
    last_y_ = y;
    if (areas_.areas()[*pressed_].record->mouse_flags & MouseLeftDrag)
        fireArea(*pressed_, x, y, MouseLeftDrag);
}

void Gauge::release() { pressed_.reset(); }

std::optional<std::string> Gauge::tooltipAt(int32_t x, int32_t y) {
    const MOUSE_RECT* t = areas_.tooltipAt(x, y);
    if (!t || !t->text) return std::nullopt;
    select();
    std::vector<MessageArg> args;
    for (uint32_t i = 0; t->tooltip_args && i < t->event_id && i < 16; ++i) {
        TOOLTIP_ARG& a = t->tooltip_args[i];
        Services::fill(&a.source_var);
        double number = a.source_var.var_value;
        MessageArg m;
        const Module& module = host_.module();
        m.number = a.number_cb ? module.callTooltipNumber(a.number_cb, number, i + 1, t->text,
                                                          &a.source_var, header_)
                               : number;
        if (a.string_cb)
            m.text = module.callTooltipString(a.string_cb, number, i + 1, t->text, &a.source_var,
                                              header_);
        args.push_back(m);
    }
    return formatMessage(t->text, args);
}

}  // namespace tw
