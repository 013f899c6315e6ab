// The trace of a run: one line per thing the program showed or did, for end-to-end tests (GLW_TRACE).
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace glw::forms {

class Trace {
public:
    Trace() = default;
    ~Trace();
    Trace(const Trace&) = delete;
    Trace& operator=(const Trace&) = delete;

    // Appends every line to the file, flushed at once so that a process that ends abruptly keeps it.
    bool openFile(const std::string& hostPath);
    // Keeps the lines in memory as well (tests).
    void keepInMemory(bool keep) { m_keep = keep; }
    bool enabled() const { return m_file != nullptr || m_keep; }

    void write(const std::string& line);
    const std::vector<std::string>& lines() const { return m_lines; }

    // A text in double quotes with inner quotes doubled, as the trace and script formats write texts; line
    // breaks are written {CR} and {LF} so that every trace entry stays on one line.
    static std::string quote(const std::string& text);

private:
    std::FILE* m_file = nullptr;
    bool m_keep = false;
    std::vector<std::string> m_lines;
};

} // namespace glw::forms
