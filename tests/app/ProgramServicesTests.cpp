// The one place that chooses every service: a run without windows gets the fontconfig fonts and a clipboard
// of its own process; GLW_CLIPBOARD puts the clipboard in a file; every other service is the real one.
#include "app/ProgramServices.h"
#include "platform/BrowserCache.h"
#include "platform/FileRegistry.h"
#include "platform/Registry.h"
#include "platform/ServicesMemory.h"
#include "platform/ServicesReal.h"
#include "platform/TempDir.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <optional>
#include <string>

namespace glw::app {
namespace {

class ProgramServicesTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (const char* old = std::getenv("GLW_CLIPBOARD")) {
            m_old = old;
        }
        ::unsetenv("GLW_CLIPBOARD");
    }
    void TearDown() override {
        if (m_old) {
            ::setenv("GLW_CLIPBOARD", m_old->c_str(), 1);
        } else {
            ::unsetenv("GLW_CLIPBOARD");
        }
    }
    std::optional<std::string> m_old;
};

template <class Real, class Interface> bool is(const std::shared_ptr<Interface>& service) {
    return dynamic_cast<Real*>(service.get()) != nullptr;
}

TEST_F(ProgramServicesTest, HeadlessRunsGetRealServicesAndAClipboardOfTheirOwn) {
    const auto services = programServices(false);
    EXPECT_TRUE(is<platform::IniSettingsStore>(services.settings));
    EXPECT_TRUE(is<platform::DesktopShell>(services.shell));
    EXPECT_TRUE(is<platform::FontconfigFontList>(services.fonts));
    EXPECT_TRUE(is<platform::JpegPictureLoader>(services.pictures));
    EXPECT_TRUE(is<platform::SystemClock>(services.clock));
    EXPECT_TRUE(is<platform::StdRandom>(services.random));
    EXPECT_TRUE(is<platform::BrowserCache>(services.cache));
    EXPECT_TRUE(is<platform::FileRegistry>(services.registry));
    EXPECT_TRUE(services.movieProbe);
    EXPECT_TRUE(is<platform::MemoryClipboard>(services.clipboard));
}

TEST_F(ProgramServicesTest, ClipboardFileIsChosenForEveryKindOfRun) {
    platform::test::TempDir dir;
    ::setenv("GLW_CLIPBOARD", dir.host("clip.txt").c_str(), 1);
    for (bool windows : {false, true}) {
        const auto services = programServices(windows);
        ASSERT_TRUE(is<platform::FileClipboard>(services.clipboard)) << windows;
        services.clipboard->setText("shared");
        EXPECT_EQ(platform::FileClipboard(dir.host("clip.txt")).getText(), "shared");
    }
}

} // namespace
} // namespace glw::app
