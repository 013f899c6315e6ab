// The clipboard kept in a file, for headless runs of several processes that hand text to each other.
#pragma once

#include "Services.h"

#include <string>

namespace glw::platform {

// Clipboard text in one host file: read whole, and replaced whole (base::replaceFileWith), so a reader in
// another process never sees half a text. A text that cannot be written is reported to the log and the
// clipboard keeps what it had; a missing file reads as an empty clipboard.
class FileClipboard : public Clipboard {
public:
    FileClipboard(std::string hostPath, ServiceLog log = {});
    std::string getText() override;
    void setText(const std::string& text) override;
    void clear() override;

private:
    std::string m_path;
    ServiceLog m_log;
};

} // namespace glw::platform
