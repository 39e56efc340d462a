// Loading tarnwick.gau the way the simulator does: map the library, find its two
// exports, write the panel-services table into ImportTable before any call, then
// module_init; the reverse on unload.
//
// The library is the platform's own (a shared object on Linux, a DLL on
// Windows) or, on the 32-bit Linux host, the shipping Windows DLL itself, run
// through the host's PE loader (host/peload). Such an image is called in its
// own convention, stdcall: the host reaches module code only through the
// call routines below, which check the stack around every call into the
// image, and the image gets a stdcall services table in front of the host's.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "framework/host_records.h"

namespace tw {

namespace pe {
class Image;
}

class Module {
public:
    // Throws std::runtime_error when the library or one of its exports is missing.
    Module(const std::string& path, PANEL_SERVICES* services);
    ~Module();
    Module(const Module&) = delete;
    Module& operator=(const Module&) = delete;

    LINKAGE* linkage() const { return linkage_; }
    IMPORT_TABLE* importTable() const { return import_; }
    // The gauge the panel configuration names, or null: names are case-sensitive.
    GAUGE_HEADER* findGauge(std::string_view name) const;
    // A symbol of the library; on Windows only the exports are found.
    void* symbol(const char* name) const;
    void* handle() const { return handle_; }
    const std::string& path() const { return path_; }

    // True when the module is a Windows image run through the PE loader.
    bool isWindowsImage() const { return image_ != nullptr; }
    // The loaded image, or null when the module is the platform's own library.
    const pe::Image* image() const { return image_.get(); }
    // The table written into ImportTable: the host's own, or for a Windows
    // image the stdcall table in front of it.
    PANEL_SERVICES* servicesGiven() const { return given_; }

    // Calls into the module. A routine inside a Windows image is called in
    // stdcall with the stack checked (a difference throws
    // pe::StackCheckError); any other (the platform's library, records a
    // test built) is called directly.
    void call(GenericRoutine routine) const;
    void call(GenericArgRoutine routine, uint32_t arg) const;
    void callGauge(GaugeCallback callback, GAUGE_HEADER* gauge, int32_t service,
                   uintptr_t extra) const;
    double callElement(ElementCallback callback, ELEMENT_HEADER* element) const;
    int32_t callMouse(MouseCallback callback, PIXPOINT* point, uint32_t flags) const;
    double callTooltipNumber(TooltipNumberCallback callback, double number, uint32_t id,
                             const char* text, MODULE_VAR* var, GAUGE_HEADER* gauge) const;
    const char* callTooltipString(TooltipStringCallback callback, double number, uint32_t id,
                                  const char* text, MODULE_VAR* var, GAUGE_HEADER* gauge) const;

    // tarnwick.gau beside the running program, unless TARNWICK_MODULE names one.
    static std::string defaultPath();

private:
    std::string path_;
    void* handle_ = nullptr;
    LINKAGE* linkage_ = nullptr;
    IMPORT_TABLE* import_ = nullptr;
    PANEL_SERVICES* given_ = nullptr;
    // Shared so that the image's type need not be known where none is loaded.
    std::shared_ptr<pe::Image> image_;
    // Whether calls of a routine go through the image's checked stdcall.
    bool inImage(const void* routine) const;
};

}  // namespace tw
