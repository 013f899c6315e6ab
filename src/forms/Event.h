// VB-style events: one handler per event of a control, raised with the event's arguments (ByRef
// arguments as references, so a handler can change KeyCode or Cancel).
#pragma once

#include <functional>
#include <utility>

namespace glw::forms {

template <class... Args> class Event {
public:
    using Handler = std::function<void(Args...)>;

    Event& operator=(Handler handler) {
        m_handler = std::move(handler);
        return *this;
    }
    explicit operator bool() const { return static_cast<bool>(m_handler); }

    // Runs the handler, if one is set. Errors the handler raises reach the caller, as they did when code
    // raised an event by setting a property; the runtime catches them where a user's action started.
    void raise(Args... args) const {
        if (m_handler) {
            m_handler(std::forward<Args>(args)...);
        }
    }

private:
    Handler m_handler;
};

} // namespace glw::forms
