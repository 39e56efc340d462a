// Every call the host makes into module code, in the convention of the code
// called: a routine inside a Windows image through the loader's checked
// stdcall, anything else directly.

#include <string>

#include "host/module.h"

#if TW_PELOAD
#include "host/peload/pe_image.h"
#endif

namespace tw {

#if TW_PELOAD

namespace {

uint32_t word(const void* p) { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(p)); }

// A failed check names the gauge; the message is made only then.
pe::CallResult stdcall(const void* routine, std::initializer_list<uint32_t> words,
                       bool returns_double, const char* what, const GAUGE_HEADER* gauge) {
    try {
        return pe::checkedCall(routine, pe::Convention::Stdcall, words, returns_double, what);
    } catch (const pe::StackCheckError& e) {
        if (!gauge || !gauge->gauge_name) throw;
        throw pe::StackCheckError(std::string(e.what()) + " (gauge " + gauge->gauge_name + ")");
    }
}

}  // namespace

bool Module::inImage(const void* routine) const { return image_ && image_->contains(routine); }

#else

bool Module::inImage(const void*) const { return false; }

#endif

void Module::call(GenericRoutine routine) const {
#if TW_PELOAD
    auto code = reinterpret_cast<const void*>(routine);
    if (inImage(code))
        return void(stdcall(code, {}, false, "a routine without arguments", nullptr));
#endif
    routine();
}

void Module::call(GenericArgRoutine routine, uint32_t arg) const {
#if TW_PELOAD
    auto code = reinterpret_cast<const void*>(routine);
    if (inImage(code))
        return void(stdcall(code, {arg}, false, "a routine with one argument", nullptr));
#endif
    routine(arg);
}

void Module::callGauge(GaugeCallback callback, GAUGE_HEADER* gauge, int32_t service,
                       uintptr_t extra) const {
#if TW_PELOAD
    auto code = reinterpret_cast<const void*>(callback);
    if (inImage(code)) {
        stdcall(code, {word(gauge), static_cast<uint32_t>(service), static_cast<uint32_t>(extra)},
                false, "a gauge callback", gauge);
        return;
    }
#endif
    callback(gauge, service, extra);
}

double Module::callElement(ElementCallback callback, ELEMENT_HEADER* element) const {
#if TW_PELOAD
    auto code = reinterpret_cast<const void*>(callback);
    if (inImage(code)) {
        return stdcall(code, {word(element)}, true, "an element callback",
                       element ? element->gauge_header : nullptr)
            .number;
    }
#endif
    return callback(element);
}

int32_t Module::callMouse(MouseCallback callback, PIXPOINT* point, uint32_t flags) const {
#if TW_PELOAD
    auto code = reinterpret_cast<const void*>(callback);
    if (inImage(code)) {
        auto r = stdcall(code, {word(point), flags}, false, "a mouse callback", nullptr);
        return static_cast<int32_t>(static_cast<uint32_t>(r.words));
    }
#endif
    return callback(point, flags);
}

double Module::callTooltipNumber(TooltipNumberCallback callback, double number, uint32_t id,
                                 const char* text, MODULE_VAR* var, GAUGE_HEADER* gauge) const {
#if TW_PELOAD
    auto code = reinterpret_cast<const void*>(callback);
    if (inImage(code)) {
        uint32_t low, high;
        pe::splitDouble(number, low, high);
        return stdcall(code, {low, high, id, word(text), word(var), word(gauge)}, true,
                       "a tooltip number callback", gauge)
            .number;
    }
#endif
    return callback(number, id, text, var, gauge);
}

const char* Module::callTooltipString(TooltipStringCallback callback, double number, uint32_t id,
                                      const char* text, MODULE_VAR* var,
                                      GAUGE_HEADER* gauge) const {
#if TW_PELOAD
    auto code = reinterpret_cast<const void*>(callback);
    if (inImage(code)) {
        uint32_t low, high;
        pe::splitDouble(number, low, high);
        auto r = stdcall(code, {low, high, id, word(text), word(var), word(gauge)}, false,
                         "a tooltip text callback", gauge);
        return reinterpret_cast<const char*>(
            static_cast<uintptr_t>(static_cast<uint32_t>(r.words)));
    }
#endif
    return callback(number, id, text, var, gauge);
}

}  // namespace tw
