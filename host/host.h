// The bundled host: the simulator's side of the module, for tests, tools and the
// command-line program. It loads tarnwick.gau, keeps host variables, logs the
// events the module sends, creates gauges (writing their bitmaps' sizes into the
// elements) and runs their frames, walks element trees into a draw state,
// hit-tests mouse areas and formats tooltips.
//
// Every call into module code goes through the Module's call routines, which
// call the shipping Windows DLL (loaded on the 32-bit Linux host) in stdcall
// with the stack checked.
//
// One Host is active at a time: the panel services reach it through a global, as
// the host's own table has no room for a context.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "host/bitmap_sizes.h"
#include "host/main_window.h"
#include "host/module.h"
#include "host/mouse_areas.h"
#include "host/offset_server.h"
#include "host/ring_log.h"
#include "host/var_table.h"

namespace tw {

// A simulator event, sent by the module (trigger_key_event) or by the host
// itself for a mouse area that carries the event.
struct SentEvent {
    enum Source { Module, MouseArea } source;
    uint32_t id;
    uint32_t value;
    bool operator==(const SentEvent&) const = default;
};

// The element-list services, in the order of their slots.
enum class ElementListService : uint8_t {
    Query,
    Install,
    Initialize,
    Update,
    Generate,
    Plot,
    Erase,
    Kill,
};
// "element_list_query", ...
const char* elementListServiceName(ElementListService service);

// A call of one of the element-list services.
struct ElementListCall {
    ElementListService service;
    ELEMENT_HEADER* element;
    uint32_t arg;
};

// A call of a gauge callback; the header is the module's, valid while it is
// loaded.
struct ServiceCall {
    const GAUGE_HEADER* gauge;
    int32_t service;
    uintptr_t extra;
};

// What the host draws for one element after a frame.
struct ElementState {
    ELEMENT_HEADER* element = nullptr;
    uint32_t type = 0;
    uint32_t resource_id = 0;
    int depth = 0;        // 0 for the root
    bool hidden = false;  // image flag 0x40000000, or an icon with a negative image
    PIXPOINT position{};
    double value = 0.0;                         // needle, icon: the element's value
    double angle = 0.0;                         // needle: degrees clockwise from 12 o'clock, 0..360
    int32_t image = 0;                          // icon: image index
    double offset_x = 0.0, offset_y = 0.0;      // slider, sprite: pixels
    double rotation = 0.0;                      // sprite: degrees
    double value_x = 0.0, value_y = 0.0;        // slider, moving image, sprite: axis values
    double fraction_x = 0.0, fraction_y = 0.0;  // moving image: place in its range, 0..1
    PIXPOINT texture_center{};                  // sprite: the turning point in its bitmap
    double texture_scale_x = 0.0, texture_scale_y = 0.0;  // sprite: bitmap scale
};

class Host;

// One gauge placed on a panel window. All instances of a gauge share its header
// and the module's state; the host writes an instance's parameter string into
// the header before each of its calls.
//
// Once an instance is created its frames, walk, mouse hit-tests and tooltip
// formatting allocate nothing: the draw state and the needles' memory are sized
// for its tree when it is made.
class Gauge {
public:
    const std::string& name() const { return name_; }
    GAUGE_HEADER* header() const { return header_; }
    const std::string& parameters() const { return parameters_; }
    uintptr_t window() const { return window_; }

    // The draw state of the last frame, in walk order.
    const std::vector<ElementState>& drawState() const { return draw_; }
    const MouseAreas& mouseAreas() const { return areas_; }

    // Mouse, in gauge pixels. A press returns false when no child area is there.
    bool press(int32_t x, int32_t y);
    // The button stays down: areas with the repeat flag fire again.
    void repeat(int times = 1);
    // The pointer moves with the button down: areas with the drag flag follow.
    void drag(int32_t x, int32_t y);
    void release();
    // What the last mouse callback returned; empty before any callback ran.
    std::optional<int32_t> lastMouseResult() const { return last_mouse_result_; }
    // The tooltip of the area under the point, as Latin-1 bytes.
    std::optional<std::string> tooltipAt(int32_t x, int32_t y);
    // The same in the host's own buffer, as the host shows it: valid until the
    // next tooltip is formatted, cut at Host::TooltipCapacity - 1 bytes.
    std::optional<std::string_view> formatTooltip(int32_t x, int32_t y);

private:
    friend class Host;
    Gauge(Host& host, GAUGE_HEADER* header, std::string parameters, uintptr_t window);
    void call(int32_t service, uintptr_t extra = 0);
    void select();
    void fireArea(int index, int32_t x, int32_t y, uint32_t flags);
    void frame();
    size_t countElements(ELEMENT_HEADER* e, int depth, size_t counted) const;
    void walk(ELEMENT_HEADER* e, int depth);
    ElementState evaluate(ELEMENT_HEADER* e, int depth, size_t index);

    // The angle a needle was last shown at, by its place in the walk.
    struct NeedleMemory {
        ELEMENT_HEADER* element = nullptr;
        double shown = 0.0;
    };

    Host& host_;
    GAUGE_HEADER* header_;
    std::string name_;
    std::string parameters_;
    uintptr_t window_;
    MouseAreas areas_;
    std::vector<ElementState> draw_;
    std::vector<NeedleMemory> needles_;
    std::optional<int> pressed_;
    int32_t last_x_ = 0, last_y_ = 0;
    std::optional<int32_t> last_mouse_result_;
    int visited_ = 0;
};

class Host {
public:
    explicit Host(const std::string& module_path = Module::defaultPath());
    ~Host();
    Host(const Host&) = delete;
    Host& operator=(const Host&) = delete;

    Module& module() { return *module_; }
    PANEL_SERVICES* services() { return &services_; }

    // Host variables by token id; unset ones read 0. The host keeps up to
    // VarTable::Capacity distinct variables; setting one more throws
    // std::length_error, and a lookup of one more reads 0 uncounted.
    void setVar(uint32_t id, double value);
    double var(uint32_t id) const;
    // How often the module has refreshed a variable: shows what ran, on every
    // target, without looking inside the module.
    unsigned lookups(uint32_t id) const;
    // The value execute_calculator_code stores for an expression; an expression
    // the host does not know leaves the result as the module set it.
    void setCalculatorResult(const std::string& expression, double value);
    // The host then no longer knows the expression.
    void forgetCalculatorResult(const std::string& expression);

    // The logs hold the most recent LogCapacity entries each, oldest first.
    static constexpr size_t LogCapacity = 1 << 15;
    const RingLog<SentEvent>& events() const { return events_; }
    const RingLog<ElementListCall>& elementListCalls() const { return element_list_calls_; }
    const RingLog<ServiceCall>& serviceCalls() const { return service_calls_; }
    void clearLogs();

    // Creates an instance as the panel configuration asks for it: first the
    // bitmap sizes, written into image_size of every element of the gauge's tree
    // from bitmapSizes(), which reads them from the module's own bitmap
    // resources ({0, 0} for a bitmap of unknown size), then the query,
    // install and initialise services, then the connect to its window. Unknown
    // names give null.
    Gauge* createGauge(std::string_view name, std::string parameters = "", uintptr_t window = 0);
    // The same for a header that is not in the module's table (records a test built).
    Gauge* createGauge(GAUGE_HEADER* header, std::string parameters = "", uintptr_t window = 0);
    // The sizes createGauge writes; changes apply to gauges created later.
    BitmapSizes& bitmapSizes() { return bitmap_sizes_; }
    // Disconnect and kill, then the instance is gone.
    void destroyGauge(Gauge* gauge);
    const std::vector<std::unique_ptr<Gauge>>& gauges() const { return gauges_; }

    // One frame of every instance in creation order: pre-update (service 6),
    // the header's update routine, the element callbacks of its tree, then
    // post-update, generate and draw with their routines. The tree is walked
    // depth first from the root: an element, then each entry of its next list
    // in order with that entry's own subtree. Hidden elements (image flag
    // 0x40000000) are walked and their callbacks run, since a callback may show
    // its element again; the draw state marks them hidden.
    void frame();
    void frames(int count);

    // The simulator's main window, which carries the module's systems timer.
    MainWindow& mainWindow() { return *main_window_; }
    // Lets time pass with the message loop running, so timers tick.
    void runFor(uint32_t ms) { main_window_->runFor(ms); }
    // The simulator running for `count` periods of the module's systems timer:
    // in each, one period passes (so the timer ticks once when it runs; on
    // Windows the host waits for that one tick, see runTimerPeriod), the host's
    // tick counter (variable 1) moves one count, its simulation time (604) moves
    // 0.055 s, and every gauge gets one frame.
    void runTicks(int count);

    // The offset service, when a test or tool starts one; null otherwise.
    OffsetServer& startOffsetServer(
        OffsetServer::Class window_class = OffsetServer::Class::Uipcmain, uint16_t sim_version = 7);
    void stopOffsetServer() { offset_server_.reset(); }
    OffsetServer* offsetServer() { return offset_server_.get(); }

    // The longest tooltip the host shows, its NUL included.
    static constexpr size_t TooltipCapacity = 1024;

    // Where the services find the active host.
    static Host* active();

private:
    friend class Gauge;
    friend struct Services;
    VarTable vars_;
    std::map<std::string, double, std::less<>> calculator_;
    RingLog<SentEvent> events_{LogCapacity};
    RingLog<ElementListCall> element_list_calls_{LogCapacity};
    RingLog<ServiceCall> service_calls_{LogCapacity};
    std::vector<std::unique_ptr<Gauge>> gauges_;
    BitmapSizes bitmap_sizes_;
    uintptr_t next_window_ = 0x10000;
    PANEL_SERVICES services_{};
    double unset_var_ = 0.0;  // what a lookup beyond the table's capacity points at
    char tooltip_[TooltipCapacity] = {};
    // Declared before the module so that they outlive it.
    std::unique_ptr<MainWindow> main_window_;
    std::unique_ptr<OffsetServer> offset_server_;
    std::unique_ptr<Module> module_;
};

}  // namespace tw
