// The startup lists: written line by line, read value by value as the stubs read them.
#include "formats/StartupList.h"

#include "vb/VbError.h"
#include "vb/VbText.h"

namespace glw::formats {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}
bool isLineEnd(char c) {
    return c == '\r' || c == '\n';
}

Result<std::string> numberLine(std::string_view text, std::string_view what) {
    try {
        return vb::printForm(vb::CDbl(text));
    } catch (const vb::RuntimeError&) {
        return makeError(ErrorCode::Invalid, std::string(what) + " \"" + std::string(text) + "\" is not a number.");
    }
}

Result<void> checkAll(std::initializer_list<std::pair<std::string_view, std::string_view>> values) {
    for (const auto& [value, what] : values) {
        if (auto ok = checkStartupValue(value, what); !ok) {
            return ok;
        }
    }
    return {};
}

// The names at every "|"; nothing for an empty text.
std::vector<std::string> splitAtBars(std::string_view text) {
    std::vector<std::string> names;
    if (text.empty()) {
        return names;
    }
    std::size_t start = 0;
    for (;;) {
        const std::size_t bar = text.find('|', start);
        names.emplace_back(text.substr(start, bar == std::string_view::npos ? std::string_view::npos : bar - start));
        if (bar == std::string_view::npos) {
            return names;
        }
        start = bar + 1;
    }
}

} // namespace

Result<void> checkStartupValue(std::string_view value, std::string_view what) {
    if (value.find_first_of(",\r\n") != std::string_view::npos) {
        return makeError(ErrorCode::Invalid,
                         std::string(what) + " \"" + std::string(value) + "\" may not hold a comma or a line break.");
    }
    return {};
}

Result<std::string> writeStartupList(StartupKind kind, const StartupList& list) {
    auto height = numberLine(list.height, "The height");
    if (!height) {
        return height.error();
    }
    auto width = numberLine(list.width, "The width");
    if (!width) {
        return width.error();
    }
    if (kind == StartupKind::Player) {
        std::string extra;
        bool first = true;
        for (const auto& name : list.extraFiles) {
            if (auto ok = checkStartupValue(name, "The runtime file"); !ok) {
                return ok.error();
            }
            if (name.find('|') != std::string::npos) {
                return makeError(ErrorCode::Invalid, "The runtime file \"" + name + "\" may not hold \"|\".");
            }
            // Joined at "|" by position: an empty first name keeps its bar, so the list reads back as it was.
            extra += (first ? "" : "|") + name;
            first = false;
        }
        if (auto ok = checkAll({{list.movie, "The movie name"},
                                {list.bgColor, "The background colour"},
                                {list.scale, "The scale mode"},
                                {list.flashVars, "The movie variables"}});
            !ok) {
            return ok.error();
        }
        return list.movie + "\r\n" + *height + "\r\n" + *width + "\r\n" + list.bgColor + "\r\n" + list.scale + "\r\n" +
               list.flashVars + " \r\n" + extra + "\r\n";
    }
    if (auto ok = checkAll({{list.movie, "The movie name"},
                            {list.bgColor, "The background colour"},
                            {list.authorName, "The author name"},
                            {list.authorWeb, "The author website"},
                            {list.scale, "The scale mode"},
                            {list.flashVars, "The movie variables"}});
        !ok) {
        return ok.error();
    }
    return list.movie + "\r\n" + *height + "\r\n" + *width + "\r\n" + list.bgColor + "\r\n" + list.authorName + "\r\n" +
           list.authorWeb + "\r\n" + list.scale + "\r\n" + list.flashVars + " \r\n";
}

StartupList readStartupList(StartupKind kind, std::string_view bytes) {
    StartupListReader in(bytes);
    StartupList list;
    const bool player = kind == StartupKind::Player;
    std::string* const values[] = {&list.movie,
                                   &list.height,
                                   &list.width,
                                   &list.bgColor,
                                   player ? nullptr : &list.authorName,
                                   player ? nullptr : &list.authorWeb,
                                   &list.scale,
                                   &list.flashVars};
    for (std::string* value : values) {
        if (!value) {
            continue;
        }
        if (auto v = in.next()) {
            *value = std::move(*v);
        }
    }
    if (player && !in.atEnd()) {
        if (auto v = in.next(); v && !vb::Trim(*v).empty()) {
            list.extraFiles = splitAtBars(*v);
        }
    }
    return list;
}

long startupNumber(std::string_view value) {
    try {
        return vb::CLng(vb::Val(value));
    } catch (const vb::RuntimeError&) {
        return 0;
    }
}

void StartupListReader::skipDelimiter() {
    if (m_pos >= m_bytes.size()) {
        return;
    }
    if (m_bytes[m_pos] == ',') {
        ++m_pos;
        return;
    }
    if (m_bytes[m_pos] == '\r') {
        ++m_pos;
        if (m_pos < m_bytes.size() && m_bytes[m_pos] == '\n') {
            ++m_pos;
        }
        return;
    }
    if (m_bytes[m_pos] == '\n') {
        ++m_pos;
    }
}

std::optional<std::string> StartupListReader::next() {
    if (atEnd()) {
        return std::nullopt;
    }
    while (m_pos < m_bytes.size() && isBlank(m_bytes[m_pos])) {
        ++m_pos;
    }
    std::string value;
    if (m_pos < m_bytes.size() && m_bytes[m_pos] == '"') {
        const std::size_t close = m_bytes.find('"', m_pos + 1);
        const std::size_t end = close == std::string_view::npos ? m_bytes.size() : close;
        value = std::string(m_bytes.substr(m_pos + 1, end - m_pos - 1));
        m_pos = close == std::string_view::npos ? m_bytes.size() : close + 1;
        while (m_pos < m_bytes.size() && m_bytes[m_pos] != ',' && !isLineEnd(m_bytes[m_pos])) {
            ++m_pos;
        }
    } else {
        const std::size_t start = m_pos;
        while (m_pos < m_bytes.size() && m_bytes[m_pos] != ',' && !isLineEnd(m_bytes[m_pos])) {
            ++m_pos;
        }
        value = std::string(m_bytes.substr(start, m_pos - start));
        while (!value.empty() && isBlank(value.back())) {
            value.pop_back();
        }
    }
    skipDelimiter();
    return value;
}

} // namespace glw::formats
