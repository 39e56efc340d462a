// The host's records, services and callback signatures, laid out exactly as the
// host reads them. Everything here is little-endian. Where pointers are 4 bytes
// (the shipping target) the records are packed to 4 bytes, as the host lays them
// out, and every offset is pinned by a static_assert. No host reads them where
// pointers are 8 bytes: there the same fields follow each other in the same
// order at their natural alignment, so that no pointer or double sits misaligned.
#pragma once

#include <cstddef>
#include <cstdint>

// On 32-bit Windows the host calls module callbacks, and the module calls host
// services, with the stdcall convention; elsewhere the platform default holds.
#if defined(_WIN32) && !defined(_WIN64)
#define HOSTAPI __stdcall
#else
#define HOSTAPI
#endif

#if UINTPTR_MAX == 0xFFFFFFFFu
#define TW_HOST_PACKING 1
#pragma pack(push, 4)
#endif

struct GAUGE_HEADER;
struct ELEMENT_HEADER;
struct MOUSE_RECT;

// A point in bitmap pixels.
struct PIXPOINT {
    int32_t x;
    int32_t y;
};

// One read of a host variable. The value is valid only after lookup_var on it.
struct MODULE_VAR {
    uint32_t id;        // the host's variable number (token id)
    void* var_ptr;      // host-owned
    uint32_t var_type;  // 0 in every record of the module
    double var_value;   // refreshed by lookup_var
    double var_old;     // host-owned
};

// ---- Host services ----------------------------------------------------------

using ElementListFn = void(HOSTAPI*)(ELEMENT_HEADER* element);
using ElementListArgFn = void(HOSTAPI*)(ELEMENT_HEADER* element, uint32_t arg);
using TriggerKeyEventFn = int32_t(HOSTAPI*)(uint32_t event_id, uint32_t value);
using LookupVarFn = void(HOSTAPI*)(MODULE_VAR* var);
using ExecuteCalculatorCodeFn = int32_t(HOSTAPI*)(const char* expression, double* result,
                                                  int32_t* int_result, const char** string_result);

// The host's panel-services table: an array of function slots. Only the slots
// named here are used; the others belong to the host.
struct PANEL_SERVICES {
    void* slots_0_23[24];
    ElementListFn element_list_query;        // 24
    ElementListArgFn element_list_install;   // 25
    ElementListFn element_list_initialize;   // 26
    ElementListFn element_list_update;       // 27
    ElementListArgFn element_list_generate;  // 28
    ElementListFn element_list_plot;         // 29
    ElementListFn element_list_erase;        // 30, never called by the module
    ElementListFn element_list_kill;         // 31
    void* slots_32_35[4];
    TriggerKeyEventFn trigger_key_event;  // 36
    void* slots_37_39[3];
    LookupVarFn lookup_var;  // 40
    void* slots_41_68[28];
    ExecuteCalculatorCodeFn execute_calculator_code;  // 69
    void* slots_70_79[10];
};

// The import table as the host reads it: (id, pointer) entries up to the first
// entry whose id is 0. For every entry whose id it knows the host writes the
// address of that table into the pointer. The module imports one table, the
// panel services, so its import table is that entry and the end entry.
struct IMPORT_ENTRY {
    uint32_t id;  // 0 ends the table
    void* table;  // written by the host
};
constexpr uint32_t ImportPanelsId = 0x0000000F;
constexpr int ImportTableEntries = 2;

struct IMPORT_TABLE {
    IMPORT_ENTRY entries[ImportTableEntries];  // the panel services, then the end
};

// ---- Callbacks the host calls -----------------------------------------------

// Gauge callback: service id and one extra word (the window handle on connect).
using GaugeCallback = void(HOSTAPI*)(GAUGE_HEADER* gauge, int32_t service_id, uintptr_t extra);
// Element callback: returns the value that drives the element.
using ElementCallback = double(HOSTAPI*)(ELEMENT_HEADER* element);
// Mouse callback: the point relative to the area's origin and the mouse flags
// that triggered it; every callback of the module returns 0.
using MouseCallback = int32_t(HOSTAPI*)(PIXPOINT* point, uint32_t mouse_flags);
// Tooltip argument callbacks: the host's number (two words), the argument's
// index, the tooltip text, the argument's own MODULE_VAR and the gauge.
using TooltipNumberCallback = double(HOSTAPI*)(double number, uint32_t id, const char* text,
                                               MODULE_VAR* var, GAUGE_HEADER* gauge);
using TooltipStringCallback = const char*(HOSTAPI*)(double number, uint32_t id, const char* text,
                                                    MODULE_VAR* var, GAUGE_HEADER* gauge);
using GenericRoutine = void(HOSTAPI*)();
using GenericArgRoutine = void(HOSTAPI*)(uint32_t arg);
using ModuleRoutine = void(HOSTAPI*)();

// Service ids the host sends to gauge callbacks, in the order of the host's
// life cycle. The module reacts to 2, 4, 6, 14 and 15.
enum PanelService : int32_t {
    ServicePreQuery = 0,
    ServicePostQuery = 1,
    ServicePreInstall = 2,
    ServicePostInstall = 3,
    ServicePreInitialize = 4,
    ServicePostInitialize = 5,
    ServicePreUpdate = 6,
    ServicePostUpdate = 7,
    ServicePreGenerate = 8,
    ServicePostGenerate = 9,
    ServicePreDraw = 10,
    ServicePostDraw = 11,
    ServicePreKill = 12,
    ServicePostKill = 13,
    ServiceConnectToWindow = 14,
    ServiceDisconnect = 15,
};

// ---- Gauge and element records ----------------------------------------------

constexpr uint32_t GaugeHeaderVersion = 0x320;

struct GAUGE_HEADER {
    uint32_t gauge_header_version;  // 0x320
    const char* gauge_name;
    ELEMENT_HEADER** elements_list;  // only the first pointer is used
    GenericRoutine query_routine;
    GenericArgRoutine install_routine;
    GenericRoutine initialize_routine;
    GenericRoutine update_routine;
    GenericArgRoutine generate_routine;
    GenericRoutine draw_routine;
    GenericRoutine kill_routine;
    void* reserved1;
    uint32_t size_x_mm;
    uint32_t size_y_mm;
    uint32_t host_owned_52[7];
    MOUSE_RECT* mouse_rect;
    GaugeCallback gauge_callback;
    uint32_t host_owned_88;
    const char* parameters;  // written by the host
    uint32_t host_owned_96[27];
};

// Element type codes.
enum ElementType : uint32_t {
    ElementStaticImage = 0,
    ElementNeedle = 1,
    ElementString = 2,  // not used by the module
    ElementSlider = 3,
    ElementIcon = 4,
    ElementMovingImage = 5,
    ElementSprite = 6,
};

// Image flags the module uses; the host defines their drawing.
constexpr uint32_t ImageTransparent = 0x00000001;
constexpr uint32_t ImageErase = 0x00000002;
constexpr uint32_t ImageBilinearColor = 0x00000080;
constexpr uint32_t ImageLuminous = 0x00004000;
constexpr uint32_t ImageHidden = 0x40000000;

// Ties an element to a host failure; a list ends with key 0.
struct FAILURE_RECORD {
    uint32_t failure_key;
    uint32_t action;
};

// The head every element record begins with.
struct ELEMENT_HEADER {
    uint32_t element_type;
    uint32_t resource_id;
    PIXPOINT position;
    PIXPOINT image_size;     // host-owned: written by the host from the bitmap
    PIXPOINT host_owned_24;  // host-owned
    GAUGE_HEADER* gauge_header;
    ELEMENT_HEADER* previous_element;  // host-owned
    ELEMENT_HEADER** next_element;     // null-terminated list, or null
    const FAILURE_RECORD* failure_systems;
    uint32_t image_flags;
    uint32_t host_owned_52;
};

// One point of a needle's scale: a pixel on the face and the value it marks.
struct NONLINEARITY {
    PIXPOINT pt;
    double value;
};

using ELEMENT_STATIC_IMAGE = ELEMENT_HEADER;

struct ELEMENT_NEEDLE {
    ELEMENT_HEADER header;  // position: the turning point on the face
    MODULE_VAR source_var;
    ElementCallback update_cb;
    PIXPOINT needle_pivot;                   // the turning point inside the needle bitmap
    const NONLINEARITY* nonlinearity_table;  // null: the value is the angle in degrees
    uint32_t nonlinearity_count;
    double max_degrees_per_update;  // 0: unlimited
};

// A value driving one axis of a slider or sprite offset: value times scale.
struct SCALED_SOURCE {
    MODULE_VAR source_var;
    double scale;
    ElementCallback update_cb;  // null: the variable's value
};

struct ELEMENT_SLIDER {
    ELEMENT_HEADER header;
    SCALED_SOURCE x;
    SCALED_SOURCE y;
};

struct ELEMENT_ICON {
    ELEMENT_HEADER header;
    MODULE_VAR source_var;
    ElementCallback update_cb;  // null: the variable's value
    uint32_t picture_count;     // images resource_id, resource_id + 1, ...
};

// A value driving one axis of a moving image across [minimum, maximum].
struct RANGED_SOURCE {
    MODULE_VAR source_var;
    double minimum;
    double maximum;
    ElementCallback update_cb;
};

struct ELEMENT_MOVING_IMAGE {
    ELEMENT_HEADER header;
    uint32_t mask_id;  // 0: none
    RANGED_SOURCE x;
    RANGED_SOURCE y;
};

struct ELEMENT_SPRITE {
    ELEMENT_HEADER header;
    PIXPOINT texture_center;
    double texture_scale_x;
    double texture_scale_y;
    SCALED_SOURCE offset_x;
    SCALED_SOURCE offset_y;
    SCALED_SOURCE rotation;  // degrees
};

// ---- Mouse rectangles and tooltips ------------------------------------------

enum MouseRectType : uint32_t {
    MouseRectEnd = 0,
    MouseRectParent = 1,
    MouseRectChild = 2,
    MouseRectEndParent = 3,
    MouseRectTooltip = 4,
};

// Mouse flag bits: what the host reports and what triggers an area.
constexpr uint32_t MouseLeftPress = 0x20000000;
constexpr uint32_t MouseDownRepeat = 0x00200000;
constexpr uint32_t MouseLeftDrag = 0x00800000;

struct TOOLTIP_ARG {
    MODULE_VAR source_var;
    double scale;                     // host-owned
    const char* const* lookup_table;  // host-owned
    uint32_t host_owned_40[5];
    TooltipNumberCallback number_cb;  // null: the variable's value
    uint32_t host_owned_64;
    TooltipStringCallback string_cb;  // for string placeholders
};

struct MOUSE_RECT {
    uint32_t rect_type;
    int32_t x, y, width, height;
    int32_t cursor;
    uint32_t help_id;
    uint32_t mouse_flags;
    uint32_t event_id;  // child: event sent by the host; tooltip: argument count
    union {
        MouseCallback callback;  // child area
        const char* text;        // tooltip record
    };
    TOOLTIP_ARG* tooltip_args;
};

// The module record.
constexpr uint32_t LinkageModuleId = 0x00000013;
constexpr uint32_t LinkageVersion = 0x00000900;
constexpr int GaugeCount = 112;

struct LINKAGE {
    uint32_t module_id;
    ModuleRoutine module_init;
    ModuleRoutine module_deinit;
    uint32_t flags;
    uint32_t flags2;
    uint32_t version;
    GAUGE_HEADER* gauge_table[GaugeCount + 1];  // null-terminated
};

#if defined(TW_HOST_PACKING)
#pragma pack(pop)
#undef TW_HOST_PACKING
#endif

// ---- The host's offsets, pinned where pointers are 4 bytes ------------------

// Service slots are positions in an array of pointers on every target.
static_assert(offsetof(PANEL_SERVICES, element_list_query) == 24 * sizeof(void*));
static_assert(offsetof(PANEL_SERVICES, element_list_kill) == 31 * sizeof(void*));
static_assert(offsetof(PANEL_SERVICES, trigger_key_event) == 36 * sizeof(void*));
static_assert(offsetof(PANEL_SERVICES, lookup_var) == 40 * sizeof(void*));
static_assert(offsetof(PANEL_SERVICES, execute_calculator_code) == 69 * sizeof(void*));

#define TW_PIN(record, field, offset) static_assert(offsetof(record, field) == (offset))
#define TW_SIZE(record, size) static_assert(sizeof(record) == (size))

#if UINTPTR_MAX == 0xFFFFFFFFu
TW_SIZE(IMPORT_ENTRY, 8);
TW_PIN(IMPORT_ENTRY, table, 4);
TW_SIZE(IMPORT_TABLE, 16);

TW_SIZE(MODULE_VAR, 28);
TW_PIN(MODULE_VAR, var_ptr, 4);
TW_PIN(MODULE_VAR, var_type, 8);
TW_PIN(MODULE_VAR, var_value, 12);
TW_PIN(MODULE_VAR, var_old, 20);

TW_PIN(LINKAGE, module_init, 4);
TW_PIN(LINKAGE, module_deinit, 8);
TW_PIN(LINKAGE, flags, 12);
TW_PIN(LINKAGE, flags2, 16);
TW_PIN(LINKAGE, version, 20);
TW_PIN(LINKAGE, gauge_table, 24);
TW_SIZE(LINKAGE, 24 + 4 * (GaugeCount + 1));

TW_SIZE(GAUGE_HEADER, 204);
TW_PIN(GAUGE_HEADER, gauge_name, 4);
TW_PIN(GAUGE_HEADER, elements_list, 8);
TW_PIN(GAUGE_HEADER, query_routine, 12);
TW_PIN(GAUGE_HEADER, install_routine, 16);
TW_PIN(GAUGE_HEADER, initialize_routine, 20);
TW_PIN(GAUGE_HEADER, update_routine, 24);
TW_PIN(GAUGE_HEADER, generate_routine, 28);
TW_PIN(GAUGE_HEADER, draw_routine, 32);
TW_PIN(GAUGE_HEADER, kill_routine, 36);
TW_PIN(GAUGE_HEADER, reserved1, 40);
TW_PIN(GAUGE_HEADER, size_x_mm, 44);
TW_PIN(GAUGE_HEADER, size_y_mm, 48);
TW_PIN(GAUGE_HEADER, mouse_rect, 80);
TW_PIN(GAUGE_HEADER, gauge_callback, 84);
TW_PIN(GAUGE_HEADER, parameters, 92);

TW_PIN(ELEMENT_HEADER, resource_id, 4);
TW_PIN(ELEMENT_HEADER, position, 8);
TW_PIN(ELEMENT_HEADER, gauge_header, 32);
TW_PIN(ELEMENT_HEADER, next_element, 40);
TW_PIN(ELEMENT_HEADER, failure_systems, 44);
TW_PIN(ELEMENT_HEADER, image_flags, 48);
TW_SIZE(ELEMENT_HEADER, 56);

TW_SIZE(MOUSE_RECT, 44);
TW_PIN(MOUSE_RECT, x, 4);
TW_PIN(MOUSE_RECT, y, 8);
TW_PIN(MOUSE_RECT, width, 12);
TW_PIN(MOUSE_RECT, height, 16);
TW_PIN(MOUSE_RECT, cursor, 20);
TW_PIN(MOUSE_RECT, help_id, 24);
TW_PIN(MOUSE_RECT, mouse_flags, 28);
TW_PIN(MOUSE_RECT, event_id, 32);
TW_PIN(MOUSE_RECT, callback, 36);
TW_PIN(MOUSE_RECT, text, 36);
TW_PIN(MOUSE_RECT, tooltip_args, 40);

TW_SIZE(TOOLTIP_ARG, 72);
TW_PIN(TOOLTIP_ARG, number_cb, 60);
TW_PIN(TOOLTIP_ARG, string_cb, 68);

TW_PIN(PANEL_SERVICES, element_list_query, 96);
TW_PIN(PANEL_SERVICES, trigger_key_event, 144);
TW_PIN(PANEL_SERVICES, lookup_var, 160);
TW_PIN(PANEL_SERVICES, execute_calculator_code, 276);
#endif

#undef TW_PIN
#undef TW_SIZE
