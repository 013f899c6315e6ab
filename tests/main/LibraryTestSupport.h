// Shared fixture of the library tests: a temporary application folder with tiny movies made here, the main
// window started headless on it, and helpers that answer and record message boxes.
#pragma once

#include "app/SwfMovieProbe.h"
#include "common/MsgForm.h"
#include "forms/HeadlessDriver.h"
#include "main/Form1.h"
#include "main/MainProgram.h"
#include "platform/BrowserCache.h"
#include "platform/ServicesMemory.h"
#include "platform/TempDir.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace glw::main::test {

// A minimal valid movie: "FWS", version 6, the file length, the stage rectangle (0, w*20, 0, h*20 twips
// in the fewest bits), frame rate 12, one frame and the End tag. `tag` is a text kept in a metadata-like
// unknown tag so that movies of the same size differ in their bytes.
inline std::string tinySwf(int widthPixels, int heightPixels, const std::string& tag = {}) {
    const std::uint32_t values[4] = {0, std::uint32_t(widthPixels * 20), 0, std::uint32_t(heightPixels * 20)};
    int bits = 1;
    for (auto v : values) {
        while ((v >> (bits - 1)) != 0) { // signed fields: one bit more than the magnitude needs
            ++bits;
        }
    }
    std::string rect;
    std::uint64_t acc = 0;
    int used = 0;
    auto put = [&](std::uint32_t value, int count) {
        for (int i = count - 1; i >= 0; --i) {
            acc = (acc << 1) | ((value >> i) & 1);
            if (++used == 8) {
                rect.push_back(char(acc));
                acc = 0;
                used = 0;
            }
        }
    };
    put(std::uint32_t(bits), 5);
    for (auto v : values) {
        put(v, bits);
    }
    if (used) {
        rect.push_back(char(acc << (8 - used)));
    }
    std::string body = rect + std::string("\x00\x0C\x01\x00", 4);
    if (!tag.empty()) {
        // An unknown tag (code 255, long form) holding the text.
        const std::uint16_t code = std::uint16_t((255 << 6) | 0x3F);
        body += char(code & 0xFF);
        body += char(code >> 8);
        const std::uint32_t n = std::uint32_t(tag.size());
        for (int i = 0; i < 4; ++i) {
            body += char((n >> (8 * i)) & 0xFF);
        }
        body += tag;
    }
    body += std::string("\x00\x00", 2);
    const std::uint32_t length = std::uint32_t(8 + body.size());
    std::string file = "FWS";
    file += char(6);
    for (int i = 0; i < 4; ++i) {
        file += char((length >> (8 * i)) & 0xFF);
    }
    return file + body;
}

// The size of the empty movie "blank.swf" of the fixture.
inline constexpr int kBlankWidth = 550;
inline constexpr int kBlankHeight = 400;

class LibraryApp : public ::testing::Test {
protected:
    platform::test::TempDir app;
    std::shared_ptr<platform::MemoryCache> cache = std::make_shared<platform::MemoryCache>();
    std::shared_ptr<platform::RecordingShell> shell = std::make_shared<platform::RecordingShell>();
    std::unique_ptr<forms::Runtime> rt;
    std::unique_ptr<MainProgram> program;
    // Title and message of every box answered through answerBox, "title|message".
    std::vector<std::string> boxes;

    void SetUp() override {
        app.file("blank.swf", tinySwf(kBlankWidth, kBlankHeight));
        app.file("Resource/titlebar.swf", tinySwf(200, 20));
        app.folder("Working");
    }

    // `n` movies named <prefix>01.swf ... in a category, each of its own size (100 + i) x (50 + i).
    void category(const std::string& name, int n, const std::string& prefix = "clip") {
        app.folder("CLTemplates/" + name);
        for (int i = 1; i <= n; ++i) {
            char file[32];
            std::snprintf(file, sizeof file, "%s%02d.swf", prefix.c_str(), i);
            app.file("CLTemplates/" + name + "/" + file, tinySwf(100 + i, 50 + i));
        }
    }

    // Starts the main window; `adjust` may replace services first. A program started before goes first.
    Form1& start(const std::function<void(forms::Services&)>& adjust = {}) {
        program.reset();
        rt.reset();
        forms::Services services;
        services.clipboard = std::make_shared<platform::MemoryClipboard>();
        services.shell = shell;
        services.cache = cache;
        services.movieProbe = std::make_shared<app::SwfMovieProbe>();
        if (adjust) {
            adjust(services);
        }
        rt = std::make_unique<forms::Runtime>(services);
        rt->App.Path = app.system();
        program = std::make_unique<MainProgram>(*rt);
        auto& form = program->form1();
        form.Show();
        return form;
    }

    forms::HeadlessDriver& ui() { return forms::headless(*rt); }

    // Queues the answer to the next message box: keeps its title and message, then presses `button`.
    void answerBox(const std::string& button = "OK") {
        ui().then("answer " + button, [this, button](forms::Runtime& runtime) {
            auto* box = dynamic_cast<common::MsgForm*>(runtime.activeModal());
            ASSERT_NE(box, nullptr) << "no message box is open to answer " << button;
            boxes.push_back(box->Caption() + "|" + box->Label1.Caption());
            ASSERT_TRUE(ui().perform("answer " + button).ok());
        });
    }

    // Every file under the application folder, relative, "/"-separated and sorted.
    std::vector<std::string> files() const {
        std::vector<std::string> found;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(app.host())) {
            if (entry.is_regular_file()) {
                found.push_back(std::filesystem::path(entry.path()).lexically_relative(app.host()).generic_string());
            }
        }
        std::sort(found.begin(), found.end());
        return found;
    }

    std::string sys(const std::string& relative) const { return app.system(relative); }
};

} // namespace glw::main::test
