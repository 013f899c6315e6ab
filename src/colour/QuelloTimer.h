// The hover timer: raises OnTimer every Interval milliseconds while enabled. It is a timer on the program's
// event loop: arming it returns at once, arming it again restarts the interval (nothing nests), and
// destroying it (or its owner) disarms it.
#pragma once

#include "forms/Controls.h"

#include <string>

namespace glw::colour {

class QuelloTimer {
public:
    // The timer lives on `form` as the control `controlName`, for the renderer's or a script's ticks.
    QuelloTimer(forms::Form& form, std::string controlName);
    ~QuelloTimer();
    QuelloTimer(const QuelloTimer&) = delete;
    QuelloTimer& operator=(const QuelloTimer&) = delete;

    bool Enabled() const { return m_enabled; }
    // Arms (restarting the interval) or disarms the timer.
    void setEnabled(bool vEnabled);
    int Interval() const { return m_interval; }
    // Below 1: Interval 0 and disarmed. Otherwise the new interval, counted afresh when armed.
    void setInterval(int vInterval);
    const std::string& Name() const { return m_name; }
    // An empty text is ignored.
    void setName(const std::string& vName);

    forms::Event<> OnTimer;

    // The event-loop timer behind it (tests and scripts tick it).
    forms::Timer& timer() { return m_timer; }

private:
    void arm();
    forms::Timer m_timer;
    bool m_enabled = false;
    int m_interval = 400;
    std::string m_name = "HoverTimer";
};

} // namespace glw::colour
