// The host's inter-process offset service: a server window of class "UIPCMAIN"
// (or "FS98MAIN") that answers the registered message "FsasmLib:IPC" by
// carrying out the request block the client names with a global atom, over an
// address space that tests and tools read and write. A client's block is
// mapped at its first message and the view kept while the client holds the
// block: mapping and unmapping it for every message cost the systems tick more
// than the module's own work.
#pragma once

#include <cstdint>
#include <cstring>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "host/weather_field.h"
#include "platform/windows_api.h"

namespace tw {

class OffsetServer {
public:
    enum class Class { Uipcmain, Fs98main };
    // How the server answers: as it should; with 0 instead of 1; or by
    // scribbling over the block's ids and sizes after carrying it out.
    enum class Behaviour { Normal, AnswerZero, Garbage };

    static constexpr uint32_t AddressSpace = 0x10000;
    static constexpr uint32_t ServerVersionOffset = 0x3304;
    static constexpr uint32_t SimVersionOffset = 0x3308;
    static constexpr uint32_t ClientVersionOffset = 0x330A;
    static constexpr uint32_t WeatherOffset = 0xCC00;
    static constexpr uint32_t WeatherRequestOffset = 0xCC10;  // latitude, then longitude
    static constexpr uint32_t WeatherBlockSize = 1024;
    static constexpr uint32_t DefaultServerVersion = 0x19980005;

    explicit OffsetServer(Class window_class = Class::Uipcmain, uint16_t sim_version = 7);
    ~OffsetServer();
    OffsetServer(const OffsetServer&) = delete;
    OffsetServer& operator=(const OffsetServer&) = delete;

    HWND window() const { return window_; }
    void setBehaviour(Behaviour b) { behaviour_ = b; }
    // The handshake values: the marker 0xFADE rides in the high half.
    void setSimVersion(uint16_t code);
    void setServerVersion(uint32_t version) { set<uint32_t>(ServerVersionOffset, version); }

    // The address space; bytes beyond it read as 0 and take no writes.
    void write(uint32_t offset, const void* data, size_t size);
    void read(uint32_t offset, void* data, size_t size) const;
    template <typename T>
    void set(uint32_t offset, T value) {
        write(offset, &value, sizeof value);
    }
    template <typename T>
    T get(uint32_t offset) const {
        T v;
        read(offset, &v, sizeof v);
        return v;
    }

    // What the client last wrote at 0x330A. The write registers the client; it
    // does not land in the address space, where the marker 0xFADE must stay.
    uint16_t clientVersion() const { return client_version_; }
    // The weather report the service answers at 0xCC00: where it was taken,
    // the ground elevation and up to 24 layers (the rest cleared).
    static constexpr size_t WeatherLayers = 24;
    void setWeatherReport(double latitude, double longitude, double ground_elevation_m,
                          const std::vector<WeatherLayer>& layers);

    // The weather service: from now on a position written at 0xCC10 and 0xCC18
    // is a request, which the report at 0xCC00 answers from the field by the
    // batch after the next one (the request's bytes do not land in the
    // report). Until then the report keeps what it held.
    void serveWeather(WeatherField field);
    const WeatherField& weatherField() const { return field_; }
    // How the service answers: at once (in the next batch); `late_by` batches
    // later than that; never; or with 1024 bytes of garbage that carry the
    // requested position.
    enum class WeatherAnswers { Prompt, Late, Never, Garbage };
    void setWeatherAnswers(WeatherAnswers how, unsigned late_by = 1);

    struct WeatherRequest {
        double latitude, longitude;
    };
    unsigned weatherRequests() const { return weather_requests_; }  // batches that asked
    std::optional<WeatherRequest> lastWeatherRequest() const { return last_request_; }

    unsigned batches() const { return batches_; }  // messages answered
    const std::vector<uint32_t>& lastBatchOffsets() const { return last_offsets_; }
    // The clients' blocks the server holds a view of.
    size_t heldBlocks() const { return held_.size(); }

private:
    static LRESULT CALLBACK windowProc(HWND, UINT, WPARAM, LPARAM);
    static void blockReleased(const char* name);
    LRESULT serve(ATOM atom);
    uint8_t* blockNamed(const char* name);
    void release(const char* name);
    void clientWrite(uint32_t offset, const uint8_t* data, size_t size);
    void answerDueRequests();
    void takeRequest();

    HWND window_ = nullptr;
    const char* class_name_;
    UINT message_ = 0;
    Behaviour behaviour_ = Behaviour::Normal;
    std::vector<uint8_t> space_;
    uint16_t client_version_ = 0;
    unsigned batches_ = 0;
    std::vector<uint32_t> last_offsets_;

    // A client's block, by the name its atom gives, and the server's view of
    // it; let go when the client closes its last handle to the block.
    struct HeldBlock {
        std::string name;
        uint8_t* view;
    };
    std::vector<HeldBlock> held_;

    struct PendingRequest {
        WeatherRequest where;
        unsigned due;  // the batch that answers it
    };
    bool serving_weather_ = false;
    WeatherField field_;
    WeatherAnswers answers_ = WeatherAnswers::Prompt;
    unsigned late_by_ = 0;
    uint8_t request_bytes_[16] = {};  // what this batch wrote at 0xCC10..0xCC1F
    bool request_written_ = false;
    std::deque<PendingRequest> pending_;
    unsigned weather_requests_ = 0;
    std::optional<WeatherRequest> last_request_;
    uint32_t garbage_state_ = 0x9E3779B9u;
};

}  // namespace tw
