#include "host/message_format.h"

#include <cctype>
#include <cstdio>
#include <cstring>

#include "framework/truncate.h"

namespace tw {

namespace {

constexpr int MaxFieldDigits = 2;   // widths and precisions up to 99
constexpr size_t FieldBytes = 256;  // one converted field, its NUL included
constexpr const char* Flags = "-+ #0";

bool isDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }

// The result so far: what fits in the caller's buffer, and the whole length.
class Output {
public:
    Output(char* out, size_t capacity) : out_(out), capacity_(capacity) {}
    void put(char c) {
        if (length_ + 1 < capacity_) out_[length_] = c;
        ++length_;
    }
    void put(std::string_view s) {
        for (char c : s) put(c);
    }
    size_t finish() {
        if (capacity_ != 0) out_[length_ < capacity_ ? length_ : capacity_ - 1] = '\0';
        return length_;
    }

private:
    char* out_;
    size_t capacity_;
    size_t length_ = 0;
};

// Checks a printf conversion ("-5.2f", "d", ".2d") and returns its conversion
// character, or 0 when the host would not accept it.
char conversionOf(std::string_view spec) {
    size_t i = 0;
    while (i < spec.size() && std::strchr(Flags, spec[i])) ++i;
    size_t digits = 0;
    while (i < spec.size() && isDigit(spec[i])) ++i, ++digits;
    if (digits > MaxFieldDigits) return 0;
    if (i < spec.size() && spec[i] == '.') {
        ++i;
        digits = 0;
        while (i < spec.size() && isDigit(spec[i])) ++i, ++digits;
        if (digits > MaxFieldDigits) return 0;
    }
    if (i + 1 != spec.size()) return 0;
    char c = spec[i];
    return std::strchr("diouxXeEfgGcs", c) ? c : 0;
}

// The printf format of an accepted spec. A flag given twice means no more than
// once, so each is written once and the whole fits a short buffer.
constexpr size_t FormatBytes = 1 + 5 + MaxFieldDigits + 1 + MaxFieldDigits + 1 + 1;
void printfFormat(std::string_view spec, char (&fmt)[FormatBytes]) {
    size_t n = 0;
    fmt[n++] = '%';
    size_t i = 0;
    while (i < spec.size() && std::strchr(Flags, spec[i])) ++i;
    for (const char* f = Flags; *f; ++f)
        if (spec.substr(0, i).find(*f) != std::string_view::npos) fmt[n++] = *f;
    for (; i < spec.size(); ++i) fmt[n++] = spec[i];
    fmt[n] = '\0';
}

// The placeholder has passed conversionOf, so the format built from it is one that
// matches the argument passed.
void formatOne(std::string_view spec, char conversion, const MessageArg& arg, Output& out) {
    char fmt[FormatBytes];
    printfFormat(spec, fmt);
    char buf[FieldBytes];
    int n = 0;
    switch (conversion) {
        case 'd':
        case 'i':
            n = std::snprintf(buf, sizeof buf, fmt, truncToInt(arg.number));
            break;
        case 'o':
        case 'u':
        case 'x':
        case 'X':
            n = std::snprintf(buf, sizeof buf, fmt, static_cast<unsigned>(truncToInt(arg.number)));
            break;
        case 'c':
            n = std::snprintf(buf, sizeof buf, fmt, truncToInt(arg.number) & 0xFF);
            break;
        case 's':
            n = std::snprintf(buf, sizeof buf, fmt, arg.text ? arg.text : "");
            break;
        default:
            n = std::snprintf(buf, sizeof buf, fmt, arg.number);
            break;
    }
    if (n < 0) return;
    out.put(std::string_view(buf, static_cast<size_t>(n) < sizeof buf ? n : sizeof buf - 1));
}

}  // namespace

size_t formatMessage(std::string_view text, std::span<const MessageArg> args, char* out,
                     size_t capacity) {
    Output result(out, capacity);
    size_t i = 0;
    while (i < text.size()) {
        char c = text[i];
        if (c != '%' || i + 1 >= text.size()) {
            result.put(c);
            ++i;
            continue;
        }
        char next = text[i + 1];
        if (next == '0') break;  // end of message
        if (next == 'n') {
            result.put("\r\n");
            i += 2;
            continue;
        }
        if (!isDigit(next)) {
            result.put(next);  // "%%", "%.", "%!", "% " stand for the character itself
            i += 2;
            continue;
        }
        size_t j = i + 1;
        size_t index = 0;
        while (j < text.size() && j < i + 3 && isDigit(text[j])) {
            index = index * 10 + static_cast<size_t>(text[j] - '0');
            ++j;
        }
        std::string_view spec = "s";
        size_t end = j;
        if (j < text.size() && text[j] == '!') {
            size_t close = text.find('!', j + 1);
            if (close == std::string_view::npos) {
                result.put(text.substr(i));
                break;
            }
            spec = text.substr(j + 1, close - j - 1);
            end = close + 1;
        }
        char conversion = conversionOf(spec);
        if (index == 0 || index > args.size() || conversion == 0) {
            result.put(text.substr(i, end - i));
        } else {
            formatOne(spec, conversion, args[index - 1], result);
        }
        i = end;
    }
    return result.finish();
}

std::string formatMessage(std::string_view text, const std::vector<MessageArg>& args) {
    char small[FieldBytes];
    size_t n = formatMessage(text, args, small, sizeof small);
    if (n < sizeof small) return std::string(small, n);
    std::string whole(n, '\0');
    formatMessage(text, args, whole.data(), n + 1);
    return whole;
}

}  // namespace tw
