// The sheet of live thumbnail cells on the offscreen platform: each cell's movie plays at the cell's place,
// animates, shows what comes after an empty first frame, follows its cell, lets clicks reach the cells,
// and stops while suspended, while the window is minimised or hidden, or while something covers it.
#include "MovieTestSupport.h"

#include <QSignalSpy>
#include <map>
#include <memory>
#include <set>

namespace glw::qt::movie::test {
namespace {

using platform::test::TempDir;

const Rgb kGrey{200, 200, 200}; // the container's background, seen between the cells

// A stage all in one colour.
Bytes plainMovie(Rgb colour) {
    return movie(100, 100, 12, {setBackgroundColor(colour), doAction(actionStop()), showFrame()});
}

// Frame 1 shows nothing on white; frame 2 puts a red square over the whole stage and stops.
Bytes lateMovie() {
    return movie(100, 100, 12,
                 {setBackgroundColor({255, 255, 255}), showFrame(), defineRectangle(1, 0, 0, 100, 100, kRed),
                  placeObject(1, 1), doAction(actionStop()), showFrame()},
                 2);
}

// Red and blue in turn, ten frames a second, for ever.
Bytes blinkingMovie() {
    return movie(100, 100, 10,
                 {setBackgroundColor({255, 255, 255}), defineRectangle(1, 0, 0, 100, 100, kRed), placeObject(1, 1),
                  showFrame(), defineRectangle(2, 0, 0, 100, 100, kBlue), placeObject(2, 2), showFrame()},
                 2);
}

class MovieSheetTest : public ::testing::Test {
protected:
    void SetUp() override {
        GLW_REQUIRE_PLAYER();
        window = std::make_unique<QWidget>();
        window->resize(300, 200);
        container = new QWidget(window.get());
        container->setGeometry(10, 10, 280, 180);
        QPalette palette = container->palette();
        palette.setColor(QPalette::Window, QColor(kGrey.r, kGrey.g, kGrey.b));
        container->setPalette(palette);
        container->setAutoFillBackground(true);
        for (int i = 0; i < 2; ++i) {
            auto* cell = new QWidget(container);
            cell->setGeometry(10 + i * 120, 10, 100, 100);
            cells.push_back(cell);
        }
        sheet = MovieSheet::of(container);
        for (QWidget* cell : cells) {
            sheet->addCell(cell);
        }
        window->show();
    }
    void TearDown() override { window.reset(); }

    QString write(const std::string& name, const Bytes& bytes) {
        return QString::fromStdString(writeMovie(dir, name, bytes));
    }
    // Plays the movies in the cells and waits for the first frame of each.
    bool play(const std::vector<QString>& movies) {
        std::set<QWidget*> waiting;
        QMetaObject::Connection shown =
            QObject::connect(sheet, &MovieSheet::firstFrameShown, [&](QWidget* cell) { waiting.erase(cell); });
        for (std::size_t i = 0; i < movies.size(); ++i) {
            waiting.insert(cells[i]);
            sheet->setMovie(cells[i], {movies[i], {}, 0, {}});
        }
        const bool done = waitFor([&] { return waiting.empty(); });
        QObject::disconnect(shown);
        return done;
    }
    // The colour at a point of the container, read from the sheet.
    QRgb at(int x, int y) {
        const QImage image = sheet->grab().toImage();
        const QPoint inSheet = QPoint(x, y) - sheet->pos();
        return image.valid(inSheet) ? image.pixel(inSheet) : 0;
    }
    // Whether the point shows each of the colours within the time.
    bool seesAll(int x, int y, const std::vector<Rgb>& colours, int timeoutMs) {
        std::vector<bool> seen(colours.size(), false);
        return waitFor(
            [&] {
                const QRgb pixel = at(x, y);
                bool all = true;
                for (std::size_t i = 0; i < colours.size(); ++i) {
                    seen[i] = seen[i] || near(pixel, colours[i]);
                    all = all && seen[i];
                }
                return all;
            },
            timeoutMs);
    }

    TempDir dir;
    std::unique_ptr<QWidget> window;
    QWidget* container = nullptr;
    std::vector<QWidget*> cells;
    MovieSheet* sheet = nullptr;
};

TEST_F(MovieSheetTest, EachCellPlaysItsMovieAtItsPlace) {
    ASSERT_TRUE(play({write("red.swf", plainMovie(kRed)), write("blue.swf", plainMovie(kBlue))}));
    // The sheet lies under the cells and covers them all, between them the container's background.
    EXPECT_EQ(sheet->geometry(), QRect(10, 10, 220, 100));
    EXPECT_TRUE(waitFor([&] { return near(at(60, 60), kRed) && near(at(180, 60), kBlue); }))
        << describe(sheet->grab().toImage(), {{50, 50, kRed}, {170, 50, kBlue}});
    EXPECT_TRUE(near(at(120, 60), kGrey));

    // The sheet leaves a hidden cell's place to the container; a cell that moves takes its movie along.
    cells[1]->hide();
    EXPECT_TRUE(waitFor([&] { return sheet->geometry() == QRect(10, 10, 100, 100); }));
    cells[0]->move(130, 10);
    EXPECT_TRUE(waitFor([&] { return near(at(180, 60), kRed); }));
    EXPECT_EQ(sheet->geometry(), QRect(130, 10, 100, 100));
}

// A cell's first frame comes back as an image when asked for (to keep it as a poster), and only then.
TEST_F(MovieSheetTest, FirstFrameComesBackOnlyWhenCaptured) {
    std::map<QWidget*, QImage> drawn;
    QObject::connect(sheet, &MovieSheet::firstFrameDrawn,
                     [&](QWidget* cell, const QImage& image) { drawn[cell] = image; });
    std::set<QWidget*> waiting{cells[0], cells[1]};
    QObject::connect(sheet, &MovieSheet::firstFrameShown, [&](QWidget* cell) { waiting.erase(cell); });
    MovieSheet::CellMovie captured{write("red.swf", plainMovie(kRed)), {}, 0, {}};
    captured.capture = true;
    sheet->setMovie(cells[0], captured);
    sheet->setMovie(cells[1], {write("blue.swf", plainMovie(kBlue)), {}, 0, {}});
    ASSERT_TRUE(waitFor([&] { return waiting.empty(); }));
    ASSERT_EQ(drawn.count(cells[0]), 1u);
    EXPECT_EQ(drawn.count(cells[1]), 0u);
    const QImage image = drawn[cells[0]].scaled(cells[0]->size());
    EXPECT_TRUE(shows(image, {{50, 50, kRed}, {5, 95, kRed}})) << describe(image, {{50, 50, kRed}});
}

TEST_F(MovieSheetTest, ClipWithAnEmptyFirstFrameShowsWhatComesAfter) {
    ASSERT_TRUE(play({write("late.swf", lateMovie())}));
    EXPECT_TRUE(waitFor([&] { return near(at(60, 60), kRed); })) << describe(sheet->grab().toImage(), {{50, 50, kRed}});
}

TEST_F(MovieSheetTest, AnimatedClipChangesWhileItPlays) {
    ASSERT_TRUE(play({write("blink.swf", blinkingMovie())}));
    EXPECT_TRUE(seesAll(60, 60, {kRed, kBlue}, 5000));
}

TEST_F(MovieSheetTest, ClicksReachTheCellsAboveTheSheet) {
    ASSERT_TRUE(play({write("red.swf", plainMovie(kRed))}));
    EXPECT_EQ(window->childAt(container->mapTo(window.get(), QPoint(60, 60))), cells[0]);
    EXPECT_EQ(window->childAt(container->mapTo(window.get(), QPoint(120, 60))), container);
}

struct StopCase {
    const char* name;
    std::function<void(QWidget&, MovieSheet&)> stop;
    std::function<void(QWidget&, MovieSheet&)> goOn;
};

class MovieSheetStopTest : public MovieSheetTest, public ::testing::WithParamInterface<StopCase> {};

TEST_P(MovieSheetStopTest, PlayersStopAndGoOn) {
    const StopCase& c = GetParam();
    ASSERT_TRUE(play({write("blink.swf", blinkingMovie())}));
    ASSERT_TRUE(seesAll(60, 60, {kRed, kBlue}, 5000));
    c.stop(*window, *sheet);
    EXPECT_TRUE(waitFor([&] { return !sheet->isPlaying(); }, 2000)) << c.name;
    spin(300); // frames already on their way arrive
    const QRgb stopped = at(60, 60);
    bool still = true;
    for (int i = 0; i < 10 && still; ++i) {
        spin(70);
        still = at(60, 60) == stopped;
    }
    EXPECT_TRUE(still) << c.name;
    c.goOn(*window, *sheet);
    EXPECT_TRUE(waitFor([&] { return sheet->isPlaying(); }, 2000)) << c.name;
    EXPECT_TRUE(seesAll(60, 60, {kRed, kBlue}, 5000)) << c.name;
}

// A widget that fills its background, over the whole window, made hidden on first use.
QWidget* coverOf(QWidget& window) {
    auto* cover = window.findChild<QWidget*>(QStringLiteral("cover"));
    if (!cover) {
        cover = new QWidget(&window);
        cover->setObjectName(QStringLiteral("cover"));
        cover->setAutoFillBackground(true);
        cover->setGeometry(window.rect());
    }
    return cover;
}

void PrintTo(const StopCase& c, std::ostream* out) {
    *out << c.name;
}

INSTANTIATE_TEST_SUITE_P(Ways, MovieSheetStopTest,
                         ::testing::Values(StopCase{"suspend", [](QWidget&, MovieSheet& s) { s.suspend(); },
                                                    [](QWidget&, MovieSheet& s) { s.resume(); }},
                                           StopCase{"minimised", [](QWidget& w, MovieSheet&) { w.showMinimized(); },
                                                    [](QWidget& w, MovieSheet&) { w.showNormal(); }},
                                           // An opaque widget over the whole sheet, as the edit view's preview
                                           // covers the cells.
                                           StopCase{"covered", [](QWidget& w, MovieSheet&) { coverOf(w)->show(); },
                                                    [](QWidget& w, MovieSheet&) { coverOf(w)->hide(); }}),
                         [](const ::testing::TestParamInfo<StopCase>& way) { return std::string(way.param.name); });

TEST_F(MovieSheetTest, HiddenWindowStopsThePlayers) {
    ASSERT_TRUE(play({write("blink.swf", blinkingMovie())}));
    window->hide();
    EXPECT_TRUE(waitFor([&] { return !sheet->isPlaying(); }, 2000));
    window->show();
    EXPECT_TRUE(waitFor([&] { return sheet->isPlaying(); }, 2000));
}

} // namespace
} // namespace glw::qt::movie::test
