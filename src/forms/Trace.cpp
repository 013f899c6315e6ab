// Trace file writer.
#include "Trace.h"

namespace glw::forms {

Trace::~Trace() {
    if (m_file) {
        std::fclose(m_file);
    }
}

bool Trace::openFile(const std::string& hostPath) {
    if (m_file) {
        std::fclose(m_file);
    }
    m_file = std::fopen(hostPath.c_str(), "a");
    return m_file != nullptr;
}

void Trace::write(const std::string& line) {
    if (m_keep) {
        m_lines.push_back(line);
    }
    if (m_file) {
        std::fputs(line.c_str(), m_file);
        std::fputc('\n', m_file);
        std::fflush(m_file);
    }
}

std::string Trace::quote(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '"') {
            out += "\"\"";
        } else if (c == '\r') {
            out += "{CR}";
        } else if (c == '\n') {
            out += "{LF}";
        } else {
            out += c;
        }
    }
    return out + "\"";
}

} // namespace glw::forms
