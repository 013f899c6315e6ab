// The add-ins' connection and menus, through the fake host loading the real libraries.
#include "AddinFixture.h"

using namespace glw;
using namespace glw::addins::test;
using glw::fakehost::FakeBar;
using glw::fakehost::FakeControl;

namespace {

struct PageSession {
    AddinRoot root{kPageLibrary};
    std::shared_ptr<fakehost::FakePageEditor> host = std::make_shared<fakehost::FakePageEditor>();
    fakehost::LoadedAddin addin{root.libraryPath};
    void connect() {
        ASSERT_TRUE(addin.loaded()) << addin.error();
        addin.connect(host, host->core);
    }
    std::shared_ptr<FakeBar> bar() const { return host->core.bars->bar("Vorel Media"); }
};

struct SlideSession {
    AddinRoot root{kPresentationLibrary};
    std::shared_ptr<fakehost::FakePresentationProgram> host = std::make_shared<fakehost::FakePresentationProgram>();
    fakehost::LoadedAddin addin{root.libraryPath};
    void connect() {
        ASSERT_TRUE(addin.loaded()) << addin.error();
        addin.connect(host, host->core);
    }
    std::shared_ptr<FakeBar> bar() const { return host->core.bars->bar("Vorel Media"); }
};

std::vector<std::string> captions(const FakeControl& popup) {
    std::vector<std::string> names;
    for (const auto& control : popup.children->items) {
        names.push_back(control->caption);
    }
    return names;
}

TEST(AddinMenus, TheLibrariesNameThemselves) {
    PageSession page;
    EXPECT_EQ(page.addin.progId(), "GLWSEClipArt.Connect");
    EXPECT_EQ(page.addin.displayName(), "Glintwave SE ClipArt For MS Frontpage");
    SlideSession slides;
    EXPECT_EQ(slides.addin.progId(), "GLWSEClipartPP.Connect");
    EXPECT_EQ(slides.addin.displayName(), "Glintwave SE Clipart For MS PowerPoint");
}

TEST(AddinMenus, ConnectingBuildsTheBarThePopupAndTheButtons) {
    PageSession page;
    page.connect();
    auto bar = page.bar();
    ASSERT_TRUE(bar);
    EXPECT_EQ(bar->position, 4);
    EXPECT_TRUE(bar->visible);
    ASSERT_EQ(bar->controls->items.size(), 1u);
    const auto& popup = *bar->controls->items[0];
    EXPECT_EQ(popup.type, hostapi::ControlType::Popup);
    EXPECT_EQ(popup.caption, "Glintwave SE");
    EXPECT_TRUE(popup.visible);
    ASSERT_EQ(captions(popup), std::vector<std::string>{"Flash Browser/Transformer"});
    const auto& button = *popup.children->items[0];
    EXPECT_EQ(button.faceId, 1029);
    EXPECT_EQ(button.style, 3);
    EXPECT_FALSE(button.beginGroup);
    EXPECT_TRUE(button.visible);
    EXPECT_TRUE(button.click.bound());

    SlideSession slides;
    slides.connect();
    ASSERT_TRUE(slides.bar());
    const auto& slidePopup = *slides.bar()->controls->items[0];
    EXPECT_EQ(captions(slidePopup),
              (std::vector<std::string>{"Insert Flash Clipart", "FSCommand Script To Clipboard"}));
    EXPECT_EQ(slidePopup.children->items[0]->faceId, 1851);
    EXPECT_EQ(slidePopup.children->items[1]->faceId, 1695);
    EXPECT_EQ(page.host->core.escaped + slides.host->core.escaped, 0);
}

TEST(AddinMenus, ManyActivationsThenOneClickStartTheMainProgramOnce) {
    PageSession page;
    page.root.root.file("site/index.htm", "<html></html>");
    page.host->openPage("file://" + page.root.root.host("site/index.htm"));
    page.connect();
    for (int i = 0; i < 5; ++i) {
        page.host->activate();
    }
    ASSERT_EQ(captions(*page.bar()->controls->items[0]).size(), 1u) << "the menu is rebuilt, not added to";
    ASSERT_TRUE(page.host->click("Flash Browser/Transformer"));
    EXPECT_EQ(page.root.starts(1), 1);
    EXPECT_EQ(page.root.clipboard->getText(),
              "(WBLFPCommand)[" + page.root.root.host("site/") + "](!1!){GLWDATA}(@index.htm@)");

    SlideSession slides;
    slides.host->openWindow();
    slides.connect();
    for (int i = 0; i < 5; ++i) {
        slides.host->activate();
    }
    ASSERT_TRUE(slides.host->click("Insert Flash Clipart"));
    EXPECT_EQ(slides.root.starts(1), 1);
    EXPECT_EQ(slides.root.clipboard->getText(), "(WBLFPCommand)[RunningGLWPowerPoint](!!){}(@@)");
}

TEST(AddinMenus, TheRememberedPositionIsAppliedToAnExistingBarWhenItIsAWholeNumber) {
    const std::pair<const char*, int> cases[] = {{"2", 2},  {"", 4},   {"abc", 4},        {"2.5", 4},
                                                 {" 1", 4}, {"1x", 4}, {"99999999999", 4}};
    for (const auto& [stored, expected] : cases) {
        SCOPED_TRACE(stored);
        PageSession page;
        page.root.settings->saveSetting("Vorel Media Glintwave", "System", "LegacyMenuPos", stored);
        page.connect();
        EXPECT_EQ(page.bar()->position, 4) << "a bar made now keeps the host's place";
        page.host->activate();
        EXPECT_EQ(page.bar()->position, expected);
        EXPECT_EQ(page.host->core.escaped, 0);
    }
    // The presentation add-in reads its own key; its second button already applies it.
    SlideSession slides;
    slides.root.settings->saveSetting("Vorel Media Glintwave", "System", "PPLegacyMenuPos", "1");
    slides.connect();
    EXPECT_EQ(slides.bar()->position, 1);
}

TEST(AddinMenus, DisconnectingRemovesTheMenusAndSavesThePosition) {
    PageSession page;
    page.connect();
    page.bar()->position = 3;
    page.addin.disconnect(page.host->core);
    EXPECT_FALSE(page.bar());
    EXPECT_EQ(page.root.setting("LegacyMenuPos"), "3");
    EXPECT_FALSE(page.host->windowActivate.bound());
    EXPECT_EQ(page.host->core.escaped, 0);

    SlideSession slides;
    slides.connect();
    slides.bar()->position = 2;
    slides.addin.disconnect(slides.host->core);
    EXPECT_FALSE(slides.bar());
    EXPECT_EQ(slides.root.setting("PPLegacyMenuPos"), "2");
    EXPECT_EQ(slides.root.setting("LegacyMenuPos"), "<none>");
}

TEST(AddinMenus, ControlsPlacedByOthersKeepThePopupAndTheBar) {
    PageSession page;
    page.connect();
    auto popup = page.bar()->controls->items[0];
    auto foreign = popup->children->Add(hostapi::ControlType::Button, 0, false);
    foreign->setCaption("Someone else's");
    page.addin.disconnect(page.host->core);
    ASSERT_TRUE(page.bar());
    ASSERT_EQ(page.bar()->controls->items.size(), 1u);
    EXPECT_EQ(captions(*page.bar()->controls->items[0]), std::vector<std::string>{"Someone else's"});
    EXPECT_EQ(page.root.setting("LegacyMenuPos"), "4");
}

TEST(AddinMenus, AButtonTheUserDeletedComesBackAtTheNextActivation) {
    PageSession page;
    page.connect();
    auto button = page.host->core.bars->findButton("Flash Browser/Transformer");
    ASSERT_TRUE(button);
    button->Delete();
    EXPECT_FALSE(page.host->core.bars->findButton("Flash Browser/Transformer"));
    page.host->activate();
    auto again = page.host->core.bars->findButton("Flash Browser/Transformer");
    ASSERT_TRUE(again);
    EXPECT_TRUE(again->click.bound());
    EXPECT_FALSE(button->click.bound()) << "the deleted button no longer reaches the add-in";
}

TEST(AddinMenus, AHostWithoutCommandBarsGetsNoMenu) {
    PageSession page;
    page.host->core.state.failAt("Application.CommandBars");
    page.connect();
    page.host->activate();
    EXPECT_TRUE(page.host->core.bars->bars.empty());
    EXPECT_EQ(page.host->core.escaped, 0);
    EXPECT_TRUE(page.host->core.messages.empty());
}

} // namespace
