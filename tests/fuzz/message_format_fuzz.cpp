// libFuzzer target for the host's tooltip formatter and the gauges' parameter
// reader on arbitrary strings and arguments. The formatter must stay within the
// buffer it is given at any capacity, agree with its whole-string form, and
// grow a text by a bounded factor; gaugeParameter must give what a plain
// reading of the leading integer with saturation gives.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "gauges/instruments.h"
#include "host/message_format.h"

// The host's tables, which gaugeParameter never consults.
IMPORT_TABLE ImportTable = {};

namespace {

// No placeholder of two or more characters turns into more than 255 bytes.
constexpr size_t MaxGrowth = 128;

int64_t expectedParameter(const char* s) {
    while (*s == ' ' || *s == '\t' || *s == '\n' || *s == '\v' || *s == '\f' || *s == '\r') ++s;
    bool negative = *s == '-';
    if (*s == '+' || *s == '-') ++s;
    int64_t v = 0;
    for (; *s >= '0' && *s <= '9'; ++s) {
        v = v * 10 + (*s - '0');
        if (v > (int64_t{1} << 32)) v = int64_t{1} << 32;
    }
    v = negative ? -v : v;
    if (v > INT32_MAX) return INT32_MAX;
    if (v < INT32_MIN) return INT32_MIN;
    return v;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    FuzzedDataProvider in(bytes, size);
    const size_t count = in.ConsumeIntegralInRange<size_t>(0, 20);
    std::vector<std::string> texts;
    std::vector<tw::MessageArg> args;
    texts.reserve(count);
    for (size_t i = 0; i < count; ++i) {
        tw::MessageArg a;
        a.number = in.ConsumeFloatingPoint<double>();
        texts.push_back(in.ConsumeRandomLengthString(300));
        if (in.ConsumeBool()) a.text = texts.back().c_str();
        args.push_back(a);
    }
    const size_t capacity = in.ConsumeIntegralInRange<size_t>(0, 512);
    const std::string text = in.ConsumeRemainingBytesAsString();

    const std::string whole = tw::formatMessage(text, args);
    if (whole.size() > MaxGrowth * text.size()) __builtin_trap();
    // A buffer of exactly the capacity, so that a write past it is caught.
    std::vector<char> out(capacity);
    const size_t n = tw::formatMessage(text, args, out.data(), capacity);
    if (n != whole.size()) __builtin_trap();
    if (capacity != 0) {
        const size_t kept = n < capacity ? n : capacity - 1;
        if (out[kept] != '\0' || std::memcmp(out.data(), whole.data(), kept) != 0) __builtin_trap();
    }

    GAUGE_HEADER gauge{};
    gauge.parameters = text.c_str();
    if (gaugeParameter(&gauge) != expectedParameter(text.c_str())) __builtin_trap();
    return 0;
}
