// A window of the test's own on the X display, for the screen saver's preview to live in, as the display
// settings' preview window would be: 152 x 112 pixels, grey, its id printed on standard output. It stays
// until the process is ended; the X server then destroys it.
#include <cstdint>
#include <cstdio>
#include <unistd.h>
#include <xcb/xcb.h>

int main() {
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection) != 0) {
        std::fprintf(stderr, "no X display\n");
        return 1;
    }
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    const xcb_window_t window = xcb_generate_id(connection);
    const std::uint32_t values[] = {0x808080};
    xcb_create_window(connection, XCB_COPY_FROM_PARENT, window, screen->root, 100, 100, 152, 112, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, XCB_CW_BACK_PIXEL, values);
    xcb_map_window(connection, window);
    xcb_flush(connection);
    std::printf("%u\n", unsigned(window));
    std::fflush(stdout);
    for (;;) {
        ::pause();
    }
}
