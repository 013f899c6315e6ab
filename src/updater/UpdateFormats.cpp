// The updater's own files.
#include "updater/UpdateFormats.h"

#include "formats/UpdateReplies.h"

#include <vector>
namespace glw::updater {

namespace {

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string stripped(std::string_view text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && isSpace(text[begin])) {
        ++begin;
    }
    while (end > begin && isSpace(text[end - 1])) {
        --end;
    }
    return std::string(text.substr(begin, end - begin));
}

} // namespace

DlInfo readDlInfo(const std::string& text) {
    const std::vector<std::string> fields = formats::splitFields(text, '|');
    auto field = [&](std::size_t i) { return i < fields.size() ? stripped(fields[i]) : std::string(); };
    return DlInfo{field(0), field(2), field(3), field(4)};
}

std::string DispDate(const std::string& WhatDate) {
    static const char* const months[] = {"January", "February", "March",     "April",   "May",      "June",
                                         "July",    "August",   "September", "October", "November", "December"};
    const std::vector<std::string> fields = formats::splitFields(formats::withoutLineBreaks(WhatDate), '/');
    if (fields.size() < 3) {
        return "Unknown";
    }
    const std::string month = stripped(fields[1]);
    if (month.empty() || month.size() > 9 || month.find_first_not_of("0123456789") != std::string::npos) {
        return "Unknown";
    }
    const int number = std::stoi(month);
    std::string result = fields[0] + " ";
    if (number >= 1 && number <= 12) {
        result += months[number - 1];
    }
    return result + " " + fields[2];
}

} // namespace glw::updater
