// The updater's files and the update site's replies.
#include "updater/UpdateFormats.h"

#include "common/CopyHelpers.h"
#include "common/ModText.h"

namespace glw::updater {

namespace {

std::vector<std::string> split(const std::string& text, char separator) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t at = text.find(separator, start);
        fields.push_back(text.substr(start, at == std::string::npos ? std::string::npos : at - start));
        if (at == std::string::npos) {
            return fields;
        }
        start = at + 1;
    }
}

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

std::string withoutLineBreaks(const std::string& text) {
    std::string out;
    for (const char c : text) {
        if (c != '\r' && c != '\n') {
            out += c;
        }
    }
    return out;
}

std::string trimBlanks(const std::string& text) {
    const std::size_t begin = text.find_first_not_of(' ');
    if (begin == std::string::npos) {
        return "";
    }
    return text.substr(begin, text.find_last_not_of(' ') - begin + 1);
}

} // namespace

DlInfo readDlInfo(const std::string& text) {
    const std::vector<std::string> fields = split(text, '|');
    auto field = [&](std::size_t i) { return i < fields.size() ? stripped(fields[i]) : std::string(); };
    return DlInfo{field(0), field(2), field(3), field(4)};
}

std::string DispDate(const std::string& WhatDate) {
    static const char* const months[] = {"January", "February", "March",     "April",   "May",      "June",
                                         "July",    "August",   "September", "October", "November", "December"};
    const std::vector<std::string> fields = split(withoutLineBreaks(WhatDate), '/');
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

bool acceptUpdateReply(const std::string& reply) {
    return reply.find("404") == std::string::npos && !trimBlanks(reply).empty() &&
           reply.find("GLW UPDATE") != std::string::npos;
}

std::string downloadAddress(const std::string& reply) {
    const std::vector<std::string> fields = split(reply, '/');
    std::string address = fields.size() > 3 ? fields[3] : "";
    for (char& c : address) {
        if (c == '|') {
            c = '/';
        }
    }
    return address;
}

bool safePackageName(std::string_view name) {
    if (name.empty() || name == "." || name == "..") {
        return false;
    }
    for (const char ch : name) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 32 || c == 127 || c == ':' || c == '/' || c == '\\') {
            return false;
        }
    }
    return true;
}

std::vector<OfferedPackage> readImportsReply(const std::string& reply) {
    std::vector<OfferedPackage> offered;
    if (reply.find('|') == std::string::npos) {
        return offered;
    }
    for (const std::string& piece : split(reply, '|')) {
        const std::string path = common::GetBetween(piece, "[", "]");
        if (path.empty()) {
            continue;
        }
        std::string name = trimBlanks(common::FileNameFromPath(common::ReplaceText(path, "/", "\\")));
        if (!safePackageName(name)) {
            continue;
        }
        offered.push_back({path, common::GetBetween(piece, "(", ")"), std::move(name)});
    }
    return offered;
}

bool bodyMeansNotFound(std::string_view body, bool isZip) {
    bool blank = true;
    for (const char c : body) {
        blank = blank && isSpace(c);
    }
    if (blank) {
        return true;
    }
    return !isZip && body.find("404") != std::string_view::npos;
}

} // namespace glw::updater
