// An X server of the test's own and the X tools the desktop tests drive it with: find a window, grab it,
// read its pixels, click, press keys and resize, as a user at a real desktop would.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace glw::test {

// The programs the desktop tests need (Xvfb, xdotool, import and convert of ImageMagick); "" when all are
// there, else the first one missing.
std::string missingDesktopTool();

// An RGB picture read from a file.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb; // 3 bytes a pixel, rows top to bottom

    struct Pixel {
        int r = 0, g = 0, b = 0;
    };
    Pixel at(int x, int y) const;
    // Whether the pixel is within `tolerance` of the colour in each channel.
    bool near(int x, int y, Pixel colour, int tolerance = 40) const;
    // The share (0 to 1) of the pixels of the rectangle that are near the colour.
    double share(int left, int top, int width, int height, Pixel colour, int tolerance = 40) const;
};

// Reads a picture file of any format ImageMagick knows; nothing when it cannot.
std::optional<Image> readImage(const std::string& path);

struct WindowGeometry {
    int x = 0, y = 0, width = 0, height = 0;
};

// Xvfb on a display number it picks itself, with one screen of the given size, ended with the object.
class XServer {
public:
    XServer(int width = 1024, int height = 768);
    ~XServer();
    XServer(const XServer&) = delete;
    XServer& operator=(const XServer&) = delete;

    // ":N", or "" when the server did not start.
    const std::string& display() const { return m_display; }
    // Starts a window manager (openbox) on the display, ended with the server; false when there is none.
    bool startWindowManager();

    // The first visible window whose title is exactly `title`, waiting up to `timeoutSeconds`; "" if none.
    std::string waitForWindow(const std::string& title, int timeoutSeconds = 30) const;
    std::optional<WindowGeometry> geometry(const std::string& window) const;
    // Saves the window's picture (a PNG, by the file's extension); false when it could not.
    bool grab(const std::string& window, const std::string& path) const;
    // Grabs the window into `path` until `good` accepts the picture or `timeoutSeconds` pass; the last
    // picture stays in `path` and is returned.
    std::optional<Image> grabUntil(const std::string& window, const std::string& path, int timeoutSeconds,
                                   const std::function<bool(const Image&)>& good) const;
    void click(int x, int y) const;
    void key(const std::string& window, const std::string& keyName) const;
    void resize(const std::string& window, int width, int height) const;
    // Runs xdotool with these arguments on the display; its output.
    std::string xdotool(const std::vector<std::string>& args) const;

private:
    int m_pid = -1;
    int m_windowManager = -1;
    std::string m_display;
};

} // namespace glw::test
