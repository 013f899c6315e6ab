// Reading the startup lists value by value.
#include "stubs/StartupList.h"

#include "vb/VbError.h"
#include "vb/VbFile.h"
#include "vb/VbText.h"

namespace glw::stubs {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}
bool isLineEnd(char c) {
    return c == '\r' || c == '\n';
}

} // namespace

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
        const std::size_t end = close == std::string::npos ? m_bytes.size() : close;
        value = m_bytes.substr(m_pos + 1, end - m_pos - 1);
        m_pos = close == std::string::npos ? m_bytes.size() : close + 1;
        while (m_pos < m_bytes.size() && m_bytes[m_pos] != ',' && !isLineEnd(m_bytes[m_pos])) {
            ++m_pos;
        }
    } else {
        const std::size_t start = m_pos;
        while (m_pos < m_bytes.size() && m_bytes[m_pos] != ',' && !isLineEnd(m_bytes[m_pos])) {
            ++m_pos;
        }
        value = m_bytes.substr(start, m_pos - start);
        while (!value.empty() && isBlank(value.back())) {
            value.pop_back();
        }
    }
    skipDelimiter();
    return value;
}

long startupNumber(std::string_view value) {
    try {
        return vb::CLng(vb::Val(value));
    } catch (const vb::RuntimeError&) {
        return 0;
    }
}

PlayerStartupLayout readPlayerStartupLayout(std::string bytes) {
    StartupListReader in(std::move(bytes));
    PlayerStartupLayout layout;
    auto value = [&]() { return in.next(); };
    if (auto v = value()) {
        layout.movie = *v;
    }
    if (auto v = value()) {
        layout.height = startupNumber(*v);
    }
    if (auto v = value()) {
        layout.width = startupNumber(*v);
    }
    if (auto v = value()) {
        layout.bgColor = *v;
    }
    if (auto v = value()) {
        layout.scale = *v;
    }
    if (auto v = value()) {
        layout.flashVars = *v;
    }
    if (!in.atEnd()) {
        if (auto v = value(); v && !vb::Trim(*v).empty()) {
            layout.extraFiles = *v;
        }
    }
    return layout;
}

SaverStartupLayout readSaverStartupLayout(std::string bytes) {
    StartupListReader in(std::move(bytes));
    SaverStartupLayout layout;
    auto value = [&]() { return in.next(); };
    if (auto v = value()) {
        layout.movie = *v;
    }
    if (auto v = value()) {
        layout.height = startupNumber(*v);
    }
    if (auto v = value()) {
        layout.width = startupNumber(*v);
    }
    if (auto v = value()) {
        layout.bgColor = *v;
    }
    if (auto v = value()) {
        layout.authorName = *v;
    }
    if (auto v = value()) {
        layout.authorWeb = *v;
    }
    if (auto v = value()) {
        layout.scale = *v;
    }
    if (auto v = value()) {
        layout.flashVars = *v;
    }
    return layout;
}

std::string readStartupFile(const std::string& systemPath) {
    try {
        return vb::readAllBytes(systemPath);
    } catch (const vb::RuntimeError&) {
        return {};
    }
}

} // namespace glw::stubs
