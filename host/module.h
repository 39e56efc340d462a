// Loading tarnwick.gau the way the simulator does: map the library, find its two
// exports, write the panel-services table into ImportTable before any call, then
// module_init; the reverse on unload.
#pragma once

#include <string>
#include <string_view>

#include "framework/host_records.h"

namespace tw {

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

    // tarnwick.gau beside the running program, unless TARNWICK_MODULE names one.
    static std::string defaultPath();

private:
    std::string path_;
    void* handle_ = nullptr;
    LINKAGE* linkage_ = nullptr;
    IMPORT_TABLE* import_ = nullptr;
};

}  // namespace tw
