// Which movie controls play how in a form shown by the Qt driver with the player's views: a control of its
// own plays live, thumbnail cells (array elements that take the focus) play on their frame's sheet under
// their widgets, which keep their clicks, and panel titles (the other array elements) show posters.
#include "MovieTestSupport.h"
#include "desktop/FormWindow.h"
#include "desktop/MovieView.h"
#include "desktop/QtDriver.h"
#include "desktop/movie/MoviePlayer.h"
#include "desktop/movie/PlayerViews.h"
#include "forms/Controls.h"
#include "forms/FlashPlayer.h"
#include "forms/Form.h"
#include "forms/Runtime.h"
#include "platform/ServicesMemory.h"
#include "platform/WinPath.h"

#include <QSignalSpy>
#include <QTest>
#include <cstdlib>
#include <memory>

namespace glw::qt::movie::test {
namespace {

using namespace glw::forms;

class Cell : public FlashPlayer {
public:
    using FlashPlayer::FlashPlayer;
    bool canFocus() const override { return true; }
};

// A frame of two cells with a marker over the first one's bottom edge, a title, a preview and a panel made
// later over the frame.
class PageForm : public Form {
public:
    explicit PageForm(Runtime& runtime) : Form(runtime, "frmPage") {
        Width = 6000;
        Height = 4000;
        frame.Move(120, 120, 4000, 2400);
        for (int i = 0; i < 2; ++i) {
            Cell& cell = cells.add(i);
            cell.setContainer(&frame);
            cell.Move(120 + i * 1800, 300, 1740, 1740);
            cell.GotFocus = [this, i] { selected.push_back(i); };
        }
        marker.setContainer(&frame);
        marker.Move(120, 1980, 1740, 60);
        TitleBar.add(0).Move(4300, 120, 1500, 300);
        preview.Move(4300, 600, 1500, 1500);
        panel.Move(1000, 1000, 2000, 1000);
        panel.Visible = false;
    }
    Frame frame{*this, "frame"};
    ControlArray<Cell> cells{*this, "FSel"};
    PictureBox marker{*this, "marker"};
    ControlArray<FlashPlayer> TitleBar{*this, "TitleBar"};
    FlashPlayer preview{*this, "preview"};
    PictureBox panel{*this, "panel"};
    std::vector<int> selected;
};

class PlayerViewsTest : public ::testing::Test {
protected:
    void SetUp() override {
        GLW_REQUIRE_PLAYER();
        Services services;
        services.shell = shell;
        runtime = std::make_unique<Runtime>(services);
        auto made = std::make_unique<QtDriver>(*runtime, std::make_shared<PlayerMovieViews>());
        driver = made.get();
        runtime->setDriver(std::move(made));
        form = std::make_unique<PageForm>(*runtime);
        runtime->userAction("show", [this] { form->Show(); });
        waitFor([this] { return driver->window(*form) && driver->window(*form)->isVisible(); });
        // Clicks give the focus only in the active window.
        if (QWidget* window = driver->window(*form)) {
            window->activateWindow();
            EXPECT_TRUE(QTest::qWaitForWindowActive(window));
        }
    }
    void TearDown() override {
        form.reset();
        runtime.reset();
    }

    std::shared_ptr<platform::RecordingShell> shell = std::make_shared<platform::RecordingShell>();
    std::unique_ptr<Runtime> runtime;
    QtDriver* driver = nullptr;
    std::unique_ptr<PageForm> form;
};

TEST_F(PlayerViewsTest, CellsPlayOnTheirFramesSheetTitlesShowPostersAndThePreviewPlaysLive) {
    QWidget* cell0 = driver->widget(form->cells[0]);
    QWidget* cell1 = driver->widget(form->cells[1]);
    ASSERT_NE(cell0, nullptr);
    ASSERT_NE(cell1, nullptr);
    QWidget* container = cell0->parentWidget();
    auto* sheet = container->findChild<MovieSheet*>(QString(), Qt::FindDirectChildrenOnly);
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(sheet->cellCount(), 2);
    // The sheet lies below the cells and the marker, which keep the form's order.
    const QObjectList& stack = container->children();
    EXPECT_LT(stack.indexOf(sheet), stack.indexOf(cell0));
    EXPECT_LT(stack.indexOf(cell1), stack.indexOf(driver->widget(form->marker)));
    EXPECT_TRUE(waitFor([&] { return sheet->geometry() == cell0->geometry().united(cell1->geometry()); }));

    EXPECT_EQ(qobject_cast<MovieView*>(driver->widget(form->preview)) != nullptr, true);
    QWidget* title = driver->widget(form->TitleBar[0]);
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(qobject_cast<MovieView*>(title), nullptr);
    EXPECT_EQ(title->parentWidget()->findChild<MovieSheet*>(QString(), Qt::FindDirectChildrenOnly), nullptr);
}

TEST_F(PlayerViewsTest, ClickingACellSelectsIt) {
    QWidget* cell1 = driver->widget(form->cells[1]);
    ASSERT_NE(cell1, nullptr);
    form->selected.clear();
    QWidget* window = cell1->window();
    const QPoint middle = cell1->mapTo(window, cell1->rect().center());
    EXPECT_EQ(window->childAt(middle), cell1);
    QTest::mouseClick(cell1, Qt::LeftButton);
    EXPECT_EQ(form->selected, std::vector<int>{1});
    EXPECT_TRUE(form->cells[1].hasFocus());
}

// A movie that asks for 55 addresses in its first frame and five in its second, and loops: it asks without
// end, whatever the user does.
Bytes floodMovie() {
    Bytes first, second;
    for (int i = 0; i < 55; ++i) {
        append(first, actionGetUrl("http://example.invalid/first" + std::to_string(i), "_blank"));
    }
    for (int i = 0; i < 5; ++i) {
        append(second, actionGetUrl("http://example.invalid/second" + std::to_string(i), "_blank"));
    }
    return movie(200, 100, 24, {setBackgroundColor(kBlue), doAction(first), showFrame(), doAction(second), showFrame()},
                 2);
}

TEST_F(PlayerViewsTest, AMovieOpensAtMostOneAddressForEachClickInsideIt) {
    platform::test::TempDir dir;
    const std::string path = writeMovie(dir, "flood.swf", floodMovie());
    auto* view = qobject_cast<MovieView*>(driver->widget(form->preview));
    ASSERT_NE(view, nullptr);
    QSignalSpy asked(view, &MovieView::urlRequested);
    form->preview.Movie = platform::toSystemPath(path);
    ASSERT_TRUE(waitFor([&] { return asked.count() >= 60; })) << "the movie never asked";
    EXPECT_TRUE(shell->targets().empty()) << "a movie opened an address nobody clicked for";

    QWidget* window = view->window();
    for (std::size_t click = 1; click <= 3; ++click) {
        // The engine's widget under the middle of the view takes the mouse.
        QWidget* target = window->childAt(view->mapTo(window, view->rect().center()));
        ASSERT_NE(target, nullptr);
        const qsizetype before = asked.count();
        QTest::mouseClick(target, Qt::LeftButton, {}, target->mapFrom(window, view->mapTo(window, QPoint(20, 20))));
        ASSERT_TRUE(waitFor([&] { return asked.count() >= before + 20; })) << "the movie stopped asking";
        EXPECT_EQ(shell->targets().size(), click);
    }
    for (const std::string& target : shell->targets()) {
        EXPECT_EQ(target.rfind("http://example.invalid/", 0), 0u) << target;
    }
}

// A cell whose poster a former run kept shows it at once, before its player has drawn, and gives way to
// the player once it has; a cell without one shows its player only, and keeps its first frame for the
// next run.
TEST_F(PlayerViewsTest, ACellShowsItsKeptPosterAtOnceThenItsMovie) {
    platform::test::TempDir dir;
    const auto plain = [](Rgb colour) { return movie(200, 200, 12, {setBackgroundColor(colour), showFrame()}); };
    const std::string red = writeMovie(dir, "red.swf", plain(kRed));
    const std::string blue = writeMovie(dir, "blue.swf", plain(kBlue));
    auto* cell0 = static_cast<qt::MovieWidget*>(driver->widget(form->cells[0]));
    auto* cell1 = static_cast<qt::MovieWidget*>(driver->widget(form->cells[1]));
    ASSERT_NE(cell0, nullptr);
    ASSERT_NE(cell1, nullptr);
    const char* cacheHome = std::getenv("XDG_CACHE_HOME");
    ASSERT_NE(cacheHome, nullptr);
    const QString folder = QString::fromUtf8(cacheHome) + QStringLiteral("/glw/posters");
    const auto requestOf = [&](const std::string& file, QWidget* cell) {
        return PosterRequest{
            QString::fromStdString(file), {}, cell->size(), 0, QString::fromStdString(form->cells[0].BGColor)};
    };
    // What a former run kept for the red movie: green, so that it cannot be taken for the player's picture.
    {
        PosterCache former;
        former.setDiskFolder(folder);
        QImage green(cell0->size(), QImage::Format_ARGB32_Premultiplied);
        green.fill(QColor(0, 255, 0));
        former.store(requestOf(red, cell0), green);
    }

    form->cells[0].Movie = platform::toSystemPath(red);
    form->cells[1].Movie = platform::toSystemPath(blue);
    spin(20);
    EXPECT_FALSE(cell0->isSeeThrough());
    const QImage early = cell0->grab().toImage();
    EXPECT_TRUE(shows(early, {{58, 58, kGreen}})) << describe(early, {{58, 58, kGreen}});
    EXPECT_TRUE(cell1->isSeeThrough()) << "a cell without a poster shows its player";

    EXPECT_TRUE(waitFor([&] { return cell0->isSeeThrough(); })) << "the poster never gave way to the movie";
    PosterCache next;
    next.setDiskFolder(folder);
    QImage kept;
    EXPECT_TRUE(waitFor([&] {
        kept = next.stored(requestOf(blue, cell1));
        return !kept.isNull();
    })) << "the blue cell's first frame was not kept";
    EXPECT_TRUE(shows(kept, {{58, 58, kBlue}})) << describe(kept, {{58, 58, kBlue}});
}

} // namespace
} // namespace glw::qt::movie::test
