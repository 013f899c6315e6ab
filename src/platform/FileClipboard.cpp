// The clipboard kept in a file.
#include "FileClipboard.h"

#include "base/FileIo.h"

#include <utility>

namespace glw::platform {

FileClipboard::FileClipboard(std::string hostPath, ServiceLog log)
    : m_path(std::move(hostPath)), m_log(std::move(log)) {}

std::string FileClipboard::getText() {
    auto text = base::readWholeFile(m_path);
    return text ? *text : std::string();
}

void FileClipboard::setText(const std::string& text) {
    if (auto written = base::replaceFileWith(m_path, text); !written) {
        logLine(m_log, "clipboard: cannot write " + m_path + ": " + written.error().detail);
    }
}

void FileClipboard::clear() {
    setText("");
}

} // namespace glw::platform
