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

constexpr int MaxTooltipArgs = 16;

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

const char* elementListServiceName(ElementListService service) {
    switch (service) {
        case ElementListService::Query:
            return "element_list_query";
        case ElementListService::Install:
            return "element_list_install";
        case ElementListService::Initialize:
            return "element_list_initialize";
        case ElementListService::Update:
            return "element_list_update";
        case ElementListService::Generate:
            return "element_list_generate";
        case ElementListService::Plot:
            return "element_list_plot";
        case ElementListService::Erase:
            return "element_list_erase";
        case ElementListService::Kill:
            return "element_list_kill";
    }
    return "element_list_unknown";
}

// The panel services the host hands the module.
struct Services {
    using S = ElementListService;
    static Host& host() { return *g_active; }
    static void log(S service, ELEMENT_HEADER* e, uint32_t arg = 0) {
        host().element_list_calls_.push(ElementListCall{service, e, arg});
    }
    static void HOSTAPI query(ELEMENT_HEADER* e) { log(S::Query, e); }
    static void HOSTAPI install(ELEMENT_HEADER* e, uint32_t a) { log(S::Install, e, a); }
    static void HOSTAPI initialize(ELEMENT_HEADER* e) { log(S::Initialize, e); }
    static void HOSTAPI update(ELEMENT_HEADER* e) { log(S::Update, e); }
    static void HOSTAPI generate(ELEMENT_HEADER* e, uint32_t a) { log(S::Generate, e, a); }
    static void HOSTAPI plot(ELEMENT_HEADER* e) { log(S::Plot, e); }
    static void HOSTAPI erase(ELEMENT_HEADER* e) { log(S::Erase, e); }
    static void HOSTAPI kill(ELEMENT_HEADER* e) { log(S::Kill, e); }

    static int32_t HOSTAPI triggerKeyEvent(uint32_t id, uint32_t value) {
        host().events_.push(SentEvent{SentEvent::Module, id, value});
        return 0;
    }
    // The module's lookups are counted; the host's own refreshes of element
    // and tooltip records (fill) are not.
    static void HOSTAPI lookupVar(MODULE_VAR* var) {
        if (!var) return;
        if (VarTable::Entry* e = host().vars_.findOrAdd(var->id)) ++e->lookups;
        fill(var);
    }
    static void fill(MODULE_VAR* var) {
        Host& h = host();
        VarTable::Entry* e = h.vars_.findOrAdd(var->id);
        var->var_old = var->var_value;
        var->var_value = e ? e->value : 0.0;
        var->var_ptr = e ? &e->value : &h.unset_var_;
    }
    static int32_t HOSTAPI executeCalculatorCode(const char* expression, double* result, int32_t*,
                                                 const char**) {
        if (!expression || !result) return 0;
        auto& known = host().calculator_;
        auto it = known.find(std::string_view(expression));
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
        bitmap_sizes_.useModule(module_->handle());
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

void Host::setVar(uint32_t id, double value) {
    VarTable::Entry* e = vars_.findOrAdd(id);
    if (!e) throw std::length_error("the host keeps no more than 4096 variables");
    e->value = value;
}

double Host::var(uint32_t id) const {
    const VarTable::Entry* e = vars_.find(id);
    return e ? e->value : 0.0;
}

unsigned Host::lookups(uint32_t id) const {
    const VarTable::Entry* e = vars_.find(id);
    return e ? e->lookups : 0;
}

void Host::setCalculatorResult(const std::string& expression, double value) {
    calculator_[expression] = value;
}

void Host::forgetCalculatorResult(const std::string& expression) { calculator_.erase(expression); }

void Host::clearLogs() {
    events_.clear();
    vars_.clearLookups();
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
        // Room for a frame's draw state, so that frames allocate nothing.
        ELEMENT_HEADER* root = header->elements_list[0];
        size_t count = root ? g.countElements(root, 0, 0) : 0;
        g.draw_.reserve(count);
        g.needles_.resize(count);
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
        main_window_->runTimerPeriod(PeriodMs);
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
    host_.service_calls_.push(ServiceCall{header_, service, extra});
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

// The elements the walk visits, within the same limits.
size_t Gauge::countElements(ELEMENT_HEADER* e, int depth, size_t counted) const {
    if (depth > MaxDepth || counted >= MaxElements) return counted;
    ++counted;
    if (!e->next_element) return counted;
    for (int i = 0; i < MaxNextEntries && e->next_element[i]; ++i)
        counted = countElements(e->next_element[i], depth + 1, counted);
    return counted;
}

// Depth first: an element, then each entry of its next list in order, each with
// its own subtree. Every element's callbacks run whether or not it is hidden,
// since a callback may be what shows it again.
void Gauge::walk(ELEMENT_HEADER* e, int depth) {
    if (depth > MaxDepth || ++visited_ > MaxElements) return;
    draw_.push_back(evaluate(e, depth, draw_.size()));
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

ElementState Gauge::evaluate(ELEMENT_HEADER* e, int depth, size_t index) {
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
            // A tree that grew after the gauge was made gets room here.
            if (index >= needles_.size()) needles_.resize(index + 1);
            NeedleMemory& memory = needles_[index];
            double shown = target;
            if (memory.element == e && n->max_degrees_per_update > 0) {
                double step = target - memory.shown;
                double rate = n->max_degrees_per_update;
                shown = memory.shown + (step > rate ? rate : step < -rate ? -rate : step);
            }
            memory = NeedleMemory{e, shown};
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
            s.texture_center = sp->texture_center;
            s.texture_scale_x = sp->texture_scale_x;
            s.texture_scale_y = sp->texture_scale_y;
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
        host_.events_.push(SentEvent{SentEvent::MouseArea, r.event_id, 0});
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

std::optional<std::string_view> Gauge::formatTooltip(int32_t x, int32_t y) {
    const MOUSE_RECT* t = areas_.tooltipAt(x, y);
    if (!t || !t->text) return std::nullopt;
    select();
    MessageArg args[MaxTooltipArgs];
    size_t count = 0;
    for (uint32_t i = 0; t->tooltip_args && i < t->event_id && i < MaxTooltipArgs; ++i) {
        TOOLTIP_ARG& a = t->tooltip_args[i];
        Services::fill(&a.source_var);
        double number = a.source_var.var_value;
        MessageArg& m = args[count++];
        const Module& module = host_.module();
        m.number = a.number_cb ? module.callTooltipNumber(a.number_cb, number, i + 1, t->text,
                                                          &a.source_var, header_)
                               : number;
        if (a.string_cb)
            m.text = module.callTooltipString(a.string_cb, number, i + 1, t->text, &a.source_var,
                                              header_);
    }
    size_t n = formatMessage(t->text, std::span<const MessageArg>(args, count), host_.tooltip_,
                             sizeof host_.tooltip_);
    return std::string_view(host_.tooltip_,
                            n < sizeof host_.tooltip_ ? n : sizeof host_.tooltip_ - 1);
}

std::optional<std::string> Gauge::tooltipAt(int32_t x, int32_t y) {
    std::optional<std::string_view> text = formatTooltip(x, y);
    if (!text) return std::nullopt;
    return std::string(*text);
}

}  // namespace tw
