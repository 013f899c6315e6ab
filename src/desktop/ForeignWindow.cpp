// Another program's X window, asked after on a connection of our own so that Qt's own is left alone.
#include "ForeignWindow.h"

#include <QGuiApplication>
#include <cstdlib>
#include <xcb/xcb.h>

namespace glw::qt {

namespace {

bool isWindow(xcb_connection_t* connection, xcb_window_t window) {
    xcb_generic_error_t* error = nullptr;
    auto* attributes =
        xcb_get_window_attributes_reply(connection, xcb_get_window_attributes(connection, window), &error);
    std::free(error);
    const bool found = attributes != nullptr;
    std::free(attributes);
    return found;
}

} // namespace

std::unique_ptr<ForeignWindow> ForeignWindow::find(unsigned long id) {
    // X ids are 29 bits; anything larger names no window.
    if (id == 0 || id > 0x1FFFFFFFUL || QGuiApplication::platformName() != QLatin1String("xcb")) {
        return nullptr;
    }
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection) != 0) {
        xcb_disconnect(connection);
        return nullptr;
    }
    if (!isWindow(connection, xcb_window_t(id))) {
        xcb_disconnect(connection);
        return nullptr;
    }
    return std::unique_ptr<ForeignWindow>(new ForeignWindow(connection, id));
}

ForeignWindow::~ForeignWindow() {
    xcb_disconnect(m_connection);
}

std::optional<QSize> ForeignWindow::size() const {
    if (xcb_connection_has_error(m_connection) != 0) {
        return std::nullopt;
    }
    xcb_generic_error_t* error = nullptr;
    auto* geometry = xcb_get_geometry_reply(m_connection, xcb_get_geometry(m_connection, xcb_window_t(m_id)), &error);
    std::free(error);
    if (!geometry) {
        return std::nullopt;
    }
    const QSize size(geometry->width, geometry->height);
    std::free(geometry);
    return size;
}

} // namespace glw::qt
