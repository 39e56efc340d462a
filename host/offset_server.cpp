#include "host/offset_server.h"

#include "host/allocation_count.h"
#include "host/host_instance.h"

#include <algorithm>
#include <climits>
#include <map>
#include <utility>

#if !defined(_WIN32)
#include "platform/linux/stand_in.h"
#endif

namespace tw {

namespace {

constexpr size_t BlockSize = 32768;
std::map<HWND, OffsetServer*> servers;

uint32_t get32(const uint8_t* at) {
    uint32_t v;
    std::memcpy(&v, at, 4);
    return v;
}
void put32(uint8_t* at, uint32_t v) { std::memcpy(at, &v, 4); }

}  // namespace

OffsetServer::OffsetServer(Class window_class, uint16_t sim_version)
    : class_name_(window_class == Class::Uipcmain ? "UIPCMAIN" : "FS98MAIN"),
      space_(AddressSpace, 0) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = windowProc;
    wc.hInstance = hostInstance();
    wc.lpszClassName = class_name_;
    RegisterClassA(&wc);
    message_ = RegisterWindowMessageA("FsasmLib:IPC");
    window_ =
        CreateWindowExA(0, class_name_, "", 0, 0, 0, 0, 0, nullptr, nullptr, wc.hInstance, nullptr);
    servers[window_] = this;
#if !defined(_WIN32)
    twplat::setMappingListener(blockReleased);
#endif
    setServerVersion(DefaultServerVersion);
    setSimVersion(sim_version);
}

OffsetServer::~OffsetServer() {
    for (const HeldBlock& b : held_) UnmapViewOfFile(b.view);
    servers.erase(window_);
#if !defined(_WIN32)
    if (servers.empty()) twplat::setMappingListener(nullptr);
#endif
    DestroyWindow(window_);
    UnregisterClassA(class_name_, hostInstance());
}

void OffsetServer::setSimVersion(uint16_t code) {
    set<uint32_t>(SimVersionOffset, 0xFADE0000u | code);
}

void OffsetServer::write(uint32_t offset, const void* data, size_t size) {
    if (offset >= space_.size()) return;
    size_t n = std::min<size_t>(size, space_.size() - offset);
    std::memcpy(space_.data() + offset, data, n);
}

void OffsetServer::read(uint32_t offset, void* data, size_t size) const {
    std::memset(data, 0, size);
    if (offset >= space_.size()) return;
    size_t n = std::min<size_t>(size, space_.size() - offset);
    std::memcpy(data, space_.data() + offset, n);
}

void OffsetServer::setWeatherReport(double latitude, double longitude, double ground_elevation_m,
                                    const std::vector<WeatherLayer>& layers) {
    set<double>(WeatherOffset + 0x10, latitude);
    set<double>(WeatherOffset + 0x18, longitude);
    // Elevations beyond the field's 32 bits are cut to its range.
    double raw = ground_elevation_m * 65536.0;
    int32_t elevation = !(raw > INT32_MIN) ? INT32_MIN
                        : raw < INT32_MAX  ? static_cast<int32_t>(raw)
                                           : INT32_MAX;
    set<int32_t>(WeatherOffset + 0x20, elevation);
    for (size_t k = 0; k < WeatherLayers; ++k) {
        uint8_t record[16] = {};
        if (k < layers.size()) {
            std::memcpy(record, &layers[k].top_m, 2);
            record[6] = layers[k].amount;
            record[7] = layers[k].kind;
            record[13] = layers[k].intensity;
        }
        write(static_cast<uint32_t>(WeatherOffset + 0x280 + 16 * k), record, sizeof record);
    }
}

void OffsetServer::serveWeather(WeatherField field) {
    field_ = std::move(field);
    serving_weather_ = true;
}

void OffsetServer::setWeatherAnswers(WeatherAnswers how, unsigned late_by) {
    answers_ = how;
    late_by_ = how == WeatherAnswers::Late ? late_by : 0;
}

// The request a batch wrote waits for the batch that answers it.
void OffsetServer::takeRequest() {
    if (!request_written_) return;
    request_written_ = false;
    WeatherRequest where;
    std::memcpy(&where.latitude, request_bytes_, 8);
    std::memcpy(&where.longitude, request_bytes_ + 8, 8);
    ++weather_requests_;
    last_request_ = where;
    if (answers_ == WeatherAnswers::Never) return;
    pending_.push_back({where, batches_ + 1 + late_by_});
}

void OffsetServer::answerDueRequests() {
    while (!pending_.empty() && pending_.front().due <= batches_) {
        WeatherRequest where = pending_.front().where;
        pending_.pop_front();
        if (answers_ == WeatherAnswers::Garbage) {
            uint8_t junk[WeatherBlockSize];
            for (uint8_t& b : junk) {
                garbage_state_ ^= garbage_state_ << 13;
                garbage_state_ ^= garbage_state_ >> 17;
                garbage_state_ ^= garbage_state_ << 5;
                b = static_cast<uint8_t>(garbage_state_);
            }
            write(WeatherOffset, junk, sizeof junk);
            set<double>(WeatherRequestOffset, where.latitude);
            set<double>(WeatherRequestOffset + 8, where.longitude);
            continue;
        }
        WeatherReport r = field_.reportAt(where.latitude, where.longitude);
        setWeatherReport(where.latitude, where.longitude, r.ground_elevation_m, r.layers);
    }
}

void OffsetServer::clientWrite(uint32_t offset, const uint8_t* data, size_t size) {
    for (size_t i = 0; i < size; ++i) {
        uint64_t at = uint64_t{offset} + i;
        if (serving_weather_ && at >= WeatherRequestOffset &&
            at < WeatherRequestOffset + sizeof request_bytes_) {
            request_bytes_[at - WeatherRequestOffset] = data[i];
            request_written_ = true;
        } else if (at == ClientVersionOffset || at == ClientVersionOffset + 1u) {
            int shift = at == ClientVersionOffset ? 0 : 8;
            client_version_ =
                static_cast<uint16_t>((client_version_ & ~(0xFF << shift)) | (data[i] << shift));
        } else if (at < space_.size()) {
            space_[at] = data[i];
        }
    }
}

LRESULT CALLBACK OffsetServer::windowProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    auto it = servers.find(hwnd);
    if (it != servers.end() && msg == it->second->message_)
        return it->second->serve(static_cast<ATOM>(wparam));
    return DefWindowProcA(hwnd, msg, wparam, lparam);
}

// The client has closed its last handle to a block: whichever server holds a
// view of it lets it go, so that nothing of the client outlives it.
void OffsetServer::blockReleased(const char* name) {
    for (auto& [window, server] : servers) server->release(name);
}

void OffsetServer::release(const char* name) {
    for (auto it = held_.begin(); it != held_.end(); ++it) {
        if (it->name != name) continue;
        UnmapViewOfFile(it->view);
        held_.erase(it);
        return;
    }
}

// The view of the named block: the one held, or a new one. Only the view is
// kept, not a handle, so the block's name goes when the client's handle does.
uint8_t* OffsetServer::blockNamed(const char* name) {
    for (const HeldBlock& b : held_)
        if (b.name == name) return b.view;
    HANDLE mapping = OpenFileMappingA(FILE_MAP_WRITE, FALSE, name);
    if (!mapping) return nullptr;
    auto* view = static_cast<uint8_t*>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, 0));
    CloseHandle(mapping);
    if (view) held_.push_back({name, view});
    return view;
}

// Carries out the entries in order up to the zero id, leaving their headers.
LRESULT OffsetServer::serve(ATOM atom) {
    // The service is another process: what it allocates is not the client's.
    UncountedAllocations not_ours;
    char name[256] = {};
    if (GlobalGetAtomNameA(atom, name, sizeof name) == 0) return 0;
    uint8_t* block = blockNamed(name);
    if (!block) return 0;
#if defined(_WIN32)
    // Nothing tells a server on Windows that its client closed the block, and
    // a view kept past that keeps the block's name taken under Wine, so that a
    // client opening that name again is refused: there the view lasts one
    // message, as it did before views were kept.
    struct ReleaseAfter {
        std::vector<HeldBlock>& held;
        ~ReleaseAfter() {
            for (const HeldBlock& b : held) UnmapViewOfFile(b.view);
            held.clear();
        }
    } release_after{held_};
#endif
    ++batches_;
    last_offsets_.clear();
    if (serving_weather_) answerDueRequests();
    size_t at = 0;
    while (at + 12 <= BlockSize) {
        uint32_t id = get32(block + at);
        uint32_t offset = get32(block + at + 4);
        uint32_t size = get32(block + at + 8);
        size_t header = id == 1 ? 16 : id == 2 ? 12 : 0;
        if (header == 0 || size > BlockSize - at - header) break;
        last_offsets_.push_back(offset);
        if (id == 1)
            read(offset, block + at + header, size);
        else
            clientWrite(offset, block + at + header, size);
        at += header + size;
    }
    takeRequest();
    if (behaviour_ == Behaviour::Garbage) {
        // Sizes that run past the block and ids that mean nothing.
        put32(block + 8, 0xFFFFFFF0u);
        for (size_t p = 16; p + 4 <= BlockSize; p += 64) put32(block + p, 0x7FFFFFFFu + p);
    }
    return behaviour_ == Behaviour::AnswerZero ? 0 : 1;
}

}  // namespace tw
