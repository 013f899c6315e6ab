// Addresses and query values.
#include "http/Http.h"

#include <cctype>

namespace glw::http {

namespace {

bool hasScheme(std::string_view address) {
    // A scheme is a letter, then letters, digits, "+", "-" or ".", then "://".
    if (address.empty() || !std::isalpha(static_cast<unsigned char>(address[0]))) {
        return false;
    }
    for (std::size_t i = 1; i < address.size(); ++i) {
        const auto c = static_cast<unsigned char>(address[i]);
        if (c == ':') {
            return address.substr(i, 3) == "://";
        }
        if (!std::isalnum(c) && c != '+' && c != '-' && c != '.') {
            return false;
        }
    }
    return false;
}

} // namespace

std::string normalizeAddress(std::string_view address) {
    std::string text(address);
    return hasScheme(text) ? text : "http://" + text;
}

std::string encodeQueryValue(std::string_view value) {
    static constexpr char hex[] = "0123456789ABCDEF";
    std::string out;
    for (const char ch : value) {
        const auto c = static_cast<unsigned char>(ch);
        if (std::isalnum(c) || c == '-' || c == '.' || c == '_' || c == '~') {
            out += ch;
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

std::string Reply::header(std::string_view name) const {
    std::string key;
    for (const char c : name) {
        key += char(std::tolower(static_cast<unsigned char>(c)));
    }
    auto it = headers.find(key);
    return it == headers.end() ? std::string() : it->second;
}

const Reply& runToEnd(Transfer& transfer, const std::function<void()>& between) {
    while (transfer.stillExecuting()) {
        if (between) {
            between();
        }
    }
    return transfer.reply();
}

} // namespace glw::http
