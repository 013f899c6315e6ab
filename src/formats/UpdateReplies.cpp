// The update site's replies: each read as the updater reads it, written as the site tool serves it.
#include "formats/UpdateReplies.h"

#include "vb/VbText.h"

namespace glw::formats {

namespace {

// The updater takes a reply that holds "404" anywhere for a missing page.
const std::string kHolds404 = "the updater would read this reply as a missing page, since it holds \"404\": ";

std::string replaced(std::string text, char from, char to) {
    for (char& c : text) {
        if (c == from) {
            c = to;
        }
    }
    return text;
}

bool holdsAny(std::string_view text, std::string_view characters) {
    return text.find_first_of(characters) != std::string_view::npos;
}

// The text between the first `open` and the next `close` after it; "" when either is missing.
std::string between(std::string_view text, char open, char close) {
    const std::size_t start = text.find(open);
    if (start == std::string_view::npos) {
        return "";
    }
    const std::size_t end = text.find(close, start + 1);
    return end == std::string_view::npos ? "" : std::string(text.substr(start + 1, end - start - 1));
}

Result<std::string> refused(const std::string& why) {
    return makeError(ErrorCode::Invalid, why);
}

} // namespace

std::string withoutLineBreaks(std::string_view text) {
    std::string out;
    for (const char c : text) {
        if (c != '\r' && c != '\n') {
            out += c;
        }
    }
    return out;
}

std::vector<std::string> splitFields(std::string_view text, char separator) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t at = text.find(separator, start);
        fields.emplace_back(text.substr(start, at == std::string_view::npos ? std::string_view::npos : at - start));
        if (at == std::string_view::npos) {
            return fields;
        }
        start = at + 1;
    }
}

Result<UpdateReply> readUpdateReply(std::string_view bytes) {
    if (bytes.find("404") != std::string_view::npos || bytes.find(kUpdateMarker) == std::string_view::npos) {
        return makeError(ErrorCode::NotFound, "not an update reply");
    }
    std::vector<std::string> fields = splitFields(withoutLineBreaks(bytes), '/');
    auto field = [&](std::size_t i) { return i < fields.size() ? std::move(fields[i]) : std::string(); };
    UpdateReply reply{field(0), field(1), field(2), replaced(field(3), '|', '/'), {}};
    for (std::size_t i = 4; i < fields.size(); ++i) {
        reply.more.push_back(std::move(fields[i]));
    }
    return reply;
}

Result<std::string> writeUpdateReply(const UpdateReply& reply) {
    std::string line;
    bool marked = false;
    for (const std::string* field : {&reply.day, &reply.month, &reply.year}) {
        if (holdsAny(*field, "/\r\n")) {
            return refused("a field of the update reply may not hold \"/\" or a line break: " + *field);
        }
        line += *field + "/";
        marked = marked || field->find(kUpdateMarker) != std::string::npos;
    }
    if (holdsAny(reply.archiveAddress, "|\r\n")) {
        return refused("the archive's address may not hold \"|\" or a line break: " + reply.archiveAddress);
    }
    line += replaced(reply.archiveAddress, '/', '|');
    marked = marked || line.find(kUpdateMarker) != std::string::npos;
    for (const std::string& field : reply.more) {
        if (holdsAny(field, "/\r\n")) {
            return refused("a field of the update reply may not hold \"/\" or a line break: " + field);
        }
        line += "/" + field;
        marked = marked || field.find(kUpdateMarker) != std::string::npos;
    }
    if (!marked) {
        return refused("the update reply must hold \"" + std::string(kUpdateMarker) + "\": " + line);
    }
    if (line.find("404") != std::string::npos) {
        return refused(kHolds404 + line);
    }
    return line + "\r\n";
}

std::string packageFileName(std::string_view path) {
    const std::size_t cut = path.find_last_of("/\\");
    return vb::Trim(cut == std::string_view::npos ? path : path.substr(cut + 1));
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

ImportsReply readImportsReply(std::string_view bytes) {
    ImportsReply reply;
    const std::string text = withoutLineBreaks(bytes);
    if (text.find('|') == std::string::npos) {
        return reply;
    }
    for (const std::string& piece : splitFields(text, '|')) {
        std::string path = between(piece, '[', ']');
        if (path.empty() || !safePackageName(packageFileName(path))) {
            continue;
        }
        reply.packages.push_back({std::move(path), between(piece, '(', ')')});
    }
    return reply;
}

Result<std::string> writeImportsReply(const ImportsReply& reply) {
    std::string text;
    for (const OfferedPackage& package : reply.packages) {
        if (holdsAny(package.title, "|()")) {
            return refused("a title may not hold \"|\", \"(\" or \")\": " + package.title);
        }
        if (holdsAny(package.path, "|[]()")) {
            return refused("a package's path may not hold \"|\", \"[\", \"]\", \"(\" or \")\": " + package.path);
        }
        if (!safePackageName(packageFileName(package.path))) {
            return refused("a package's path must end in a file name: " + package.path);
        }
        text += "[" + package.path + "](" + package.title + ")|";
    }
    if (holdsAny(text, "\r\n")) {
        return refused("the list of packages may not hold a line break: " + text);
    }
    if (text.find("404") != std::string::npos) {
        return refused(kHolds404 + text);
    }
    return text + "\r\n";
}

bool bodyMeansNotFound(std::string_view body, bool isZip) {
    if (body.find_first_not_of(" \t\r\n") == std::string_view::npos) {
        return true;
    }
    return !isZip && body.find("404") != std::string_view::npos;
}

} // namespace glw::formats
