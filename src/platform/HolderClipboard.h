// The desktop's clipboard for processes that run no desktop event loop of their own (the add-ins inside a
// host): the holder program glwclipholder reads, sets and clears the X clipboard for them.
#pragma once

#include "Services.h"

#include <optional>
#include <string>

namespace glw::platform {

// Hands `text` to a new detached holder, which takes the X clipboard with it and keeps it after the caller
// has ended, until another program takes the clipboard. Returns once the holder owns it: true; false when
// the holder cannot be started, cannot reach the display or does not answer within a few seconds.
// Safe to call from a process with threads.
bool holdClipboardText(const std::string& holderPath, const std::string& text);

// The X clipboard's text as the holder reads it: nothing when the holder cannot be started or does not end
// within a few seconds (a clipboard owner that never answers cannot hold the caller).
std::optional<std::string> readClipboardText(const std::string& holderPath);

// Empties the X clipboard (its owner, a holder included, loses it); false when the holder failed.
bool clearClipboardText(const std::string& holderPath);

// The clipboard through the holder program. Each call starts the holder, so the text crosses processes
// both ways: a request set here is read by a program with windows, and the reply that program leaves is
// read here, whichever of them has ended by then. Failures are logged; a failed read reads as no text.
class HolderClipboard : public Clipboard {
public:
    HolderClipboard(std::string holderPath, ServiceLog log = {});

    // Whether a holder can serve this process: an X display is named (DISPLAY) and `holderPath` is an
    // executable file.
    static bool usable(const std::string& holderPath);

    std::string getText() override;
    void setText(const std::string& text) override;
    void clear() override;

private:
    std::string m_holderPath;
    ServiceLog m_log;
};

} // namespace glw::platform
