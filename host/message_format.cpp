#include "host/message_format.h"

#include <cctype>
#include <cstdio>
#include <cstring>

#include "framework/truncate.h"

namespace tw {

namespace {

constexpr int MaxFieldDigits = 2;  // widths and precisions up to 99

// Checks a printf conversion ("-5.2f", "d", ".2d") and returns its conversion
// character, or 0 when the host would not accept it.
char conversionOf(std::string_view spec) {
    size_t i = 0;
    while (i < spec.size() && std::strchr("-+ #0", spec[i])) ++i;
    size_t digits = 0;
    while (i < spec.size() && std::isdigit(static_cast<unsigned char>(spec[i]))) ++i, ++digits;
    if (digits > MaxFieldDigits) return 0;
    if (i < spec.size() && spec[i] == '.') {
        ++i;
        digits = 0;
        while (i < spec.size() && std::isdigit(static_cast<unsigned char>(spec[i]))) ++i, ++digits;
        if (digits > MaxFieldDigits) return 0;
    }
    if (i + 1 != spec.size()) return 0;
    char c = spec[i];
    return std::strchr("diouxXeEfgGcs", c) ? c : 0;
}

std::string formatOne(std::string_view spec, char conversion, const MessageArg& arg) {
    std::string fmt = "%" + std::string(spec);
    char buf[256];
    int n = 0;
    switch (conversion) {
        case 'd':
        case 'i':
            n = std::snprintf(buf, sizeof buf, fmt.c_str(), truncToInt(arg.number));
            break;
        case 'o':
        case 'u':
        case 'x':
        case 'X':
            n = std::snprintf(buf, sizeof buf, fmt.c_str(),
                              static_cast<unsigned>(truncToInt(arg.number)));
            break;
        case 'c':
            n = std::snprintf(buf, sizeof buf, fmt.c_str(), truncToInt(arg.number) & 0xFF);
            break;
        case 's':
            n = std::snprintf(buf, sizeof buf, fmt.c_str(), arg.text ? arg.text : "");
            break;
        default:
            n = std::snprintf(buf, sizeof buf, fmt.c_str(), arg.number);
            break;
    }
    if (n < 0) return {};
    return std::string(buf, static_cast<size_t>(n) < sizeof buf ? n : sizeof buf - 1);
}

}  // namespace

std::string formatMessage(std::string_view text, const std::vector<MessageArg>& args) {
    std::string out;
    size_t i = 0;
    while (i < text.size()) {
        char c = text[i];
        if (c != '%' || i + 1 >= text.size()) {
            out += c;
            ++i;
            continue;
        }
        char next = text[i + 1];
        if (next == '0') break;  // end of message
        if (next == 'n') {
            out += "\r\n";
            i += 2;
            continue;
        }
        if (!std::isdigit(static_cast<unsigned char>(next)) || next == '0') {
            out += next;  // "%%", "%.", "%!", "% " stand for the character itself
            i += 2;
            continue;
        }
        size_t j = i + 1;
        size_t index = 0;
        while (j < text.size() && j < i + 3 && std::isdigit(static_cast<unsigned char>(text[j]))) {
            index = index * 10 + static_cast<size_t>(text[j] - '0');
            ++j;
        }
        std::string_view spec = "s";
        size_t end = j;
        if (j < text.size() && text[j] == '!') {
            size_t close = text.find('!', j + 1);
            if (close == std::string_view::npos) {
                out.append(text.substr(i));
                break;
            }
            spec = text.substr(j + 1, close - j - 1);
            end = close + 1;
        }
        char conversion = conversionOf(spec);
        if (index == 0 || index > args.size() || conversion == 0) {
            out.append(text.substr(i, end - i));
        } else {
            out += formatOne(spec, conversion, args[index - 1]);
        }
        i = end;
    }
    return out;
}

}  // namespace tw
