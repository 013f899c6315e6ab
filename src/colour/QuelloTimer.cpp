// The hover timer on the event loop.
#include "QuelloTimer.h"

namespace glw::colour {

QuelloTimer::QuelloTimer(forms::Form& form, std::string controlName) : m_timer(form, std::move(controlName)) {
    m_timer.Enabled = false;
    m_timer.Interval = m_interval;
    m_timer.TimerEvent = [this] {
        if (m_enabled) {
            OnTimer.raise();
        }
    };
}

QuelloTimer::~QuelloTimer() {
    m_enabled = false;
    m_timer.Enabled = false;
}

void QuelloTimer::arm() {
    // Off and on again, so that a renderer counts the interval from now.
    m_timer.Enabled = false;
    m_timer.Interval = m_interval;
    m_timer.Enabled = m_enabled && m_interval > 0;
}

void QuelloTimer::setEnabled(bool vEnabled) {
    m_enabled = vEnabled;
    arm();
}

void QuelloTimer::setInterval(int vInterval) {
    if (vInterval < 1) {
        m_interval = 0;
        m_enabled = false;
    } else {
        m_interval = vInterval;
    }
    arm();
}

void QuelloTimer::setName(const std::string& vName) {
    if (!vName.empty()) {
        m_name = vName;
    }
}

} // namespace glw::colour
