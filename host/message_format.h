// The host's tooltip message format: "%1!d!", "%2!s!", "%1!.2f!" and the rest of
// that placeholder form, with the escapes "%%", "%n", "%0" and "%." etc.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tw {

struct MessageArg {
    double number = 0.0;
    const char* text = nullptr;  // for string conversions; null reads as empty
};

// Formats text with the arguments numbered from 1. A placeholder whose argument
// is missing or whose conversion the host does not know is copied as it stands.
// Integer conversions truncate the number toward zero; widths and precisions are
// limited so that a format can never produce more than a short line per field.
//
// Writes into out, capacity bytes at most, NUL-terminated whenever capacity is
// not 0, and returns the length of the whole result, as snprintf does: a result
// of capacity or more was cut. Allocates nothing.
size_t formatMessage(std::string_view text, std::span<const MessageArg> args, char* out,
                     size_t capacity);

// The same, whole, as a string.
std::string formatMessage(std::string_view text, const std::vector<MessageArg>& args);

}  // namespace tw
