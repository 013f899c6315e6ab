// Another program's window on the X display, looked at through a connection of our own: whether it still
// exists, and its size. What a screen saver's preview lives in.
#pragma once

#include <QSize>
#include <memory>
#include <optional>

struct xcb_connection_t;

namespace glw::qt {

class ForeignWindow {
public:
    // The window `id` of the X display the application shows on; null when the application does not show
    // on X, the display cannot be reached, or no window of that id exists (a pixmap's id is no window).
    static std::unique_ptr<ForeignWindow> find(unsigned long id);
    ~ForeignWindow();
    ForeignWindow(const ForeignWindow&) = delete;
    ForeignWindow& operator=(const ForeignWindow&) = delete;

    unsigned long id() const { return m_id; }
    // The window's inner size now, in pixels; nullopt once it was destroyed.
    std::optional<QSize> size() const;

private:
    ForeignWindow(xcb_connection_t* connection, unsigned long id) : m_connection(connection), m_id(id) {}

    xcb_connection_t* m_connection;
    unsigned long m_id;
};

} // namespace glw::qt
