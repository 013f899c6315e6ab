// The live movie view on the offscreen platform: movies draw their shapes and colours, the scale mode and
// the background change the picture, script commands arrive once, and links never navigate.
#include "MovieTestSupport.h"

#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QWebEnginePage>
#include <QWebEngineView>

#ifdef GLW_HAVE_SWFMAKER
#include "swfmaker/Clips.h"
#endif

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>

namespace glw::qt::movie::test {
namespace {

using platform::test::TempDir;

// A 200 x 100 stage on blue with a red rectangle over its middle half (x 50 to 150, full height).
Bytes bandMovie() {
    return movie(200, 100, 12,
                 {setBackgroundColor(kBlue), defineRectangle(1, 50, 0, 100, 100, kRed), placeObject(1, 1),
                  doAction(actionStop()), showFrame()});
}

// One frame whose action runs the given actions and stops.
Bytes actionMovie(const Bytes& actions) {
    Bytes all = actions;
    append(all, actionStop());
    return movie(200, 100, 12, {setBackgroundColor(kBlue), doAction(all), showFrame()});
}

TEST(MovieSourceTest, SplitsTheMovieTextAndJoinsItsVariables) {
    struct Case {
        const char* movie;
        const char* flashVars;
        const char* hostPath;
        const char* variables;
    };
    const Case cases[] = {
        {"C:\\Clips\\sale.swf", "", "/Clips/sale.swf", ""},
        {"C:\\Clips\\sale.swf?txtTitle=Big Sale&n=2", "", "/Clips/sale.swf", "txtTitle=Big Sale&n=2"},
        {"C:\\Clips\\sale.swf?a=1", "b=2&c=3", "/Clips/sale.swf", "a=1&b=2&c=3"},
        {"C:\\Clips\\sale.swf", "b=2", "/Clips/sale.swf", "b=2"},
        {"", "", "", ""},
        {"D:\\elsewhere.swf", "", "", ""}, // a drive that is not there shows nothing
    };
    for (const Case& c : cases) {
        const MovieSource source = movieSource(c.movie, c.flashVars);
        EXPECT_EQ(source.hostPath.toStdString(), c.hostPath) << c.movie;
        EXPECT_EQ(source.variables.toStdString(), c.variables) << c.movie;
    }
}

TEST(MovieSourceTest, ScaleModesHaveThePlayersNames) {
    const std::pair<int, const char*> cases[] = {{0, "showAll"}, {1, "noBorder"}, {2, "exactFit"},
                                                 {3, "noScale"}, {4, "showAll"},  {-1, "showAll"}};
    for (const auto& [mode, name] : cases) {
        EXPECT_EQ(scaleName(mode).toStdString(), name) << mode;
    }
}

class MovieViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        GLW_REQUIRE_PLAYER();
        view = std::make_unique<MovieView>();
        view->resize(300, 200);
        view->show();
    }
    void TearDown() override { view.reset(); }

    bool loadAndWaitForFrame(const QString& path, const QString& variables = {}) {
        QSignalSpy frames(view.get(), &MovieView::firstFrameShown);
        view->setMovie(path, variables);
        return waitFor([&] { return frames.count() > 0; });
    }

    TempDir dir;
    std::unique_ptr<MovieView> view;
};

TEST_F(MovieViewTest, CorpusMovieShowsItsBackground) {
    const std::string path = corpusMovie("SimpleRedBackground.swf");
    if (!std::ifstream(path)) {
        GTEST_SKIP() << "the movie corpus is not at " << path;
    }
    ASSERT_TRUE(loadAndWaitForFrame(QString::fromStdString(path)));
    QImage image;
    const std::vector<Probe> probes{{5, 5, kRed}, {150, 100, kRed}, {294, 194, kRed}};
    EXPECT_TRUE(waitForPixels(*view, probes, image)) << describe(image, probes);
}

TEST_F(MovieViewTest, CorpusMovieShowsItsShapes) {
    // A button whose up state is a filled rectangle near the stage's top left corner.
    const std::string path = corpusMovie("DefineButton2-CS6.swf");
    if (!std::ifstream(path)) {
        GTEST_SKIP() << "the movie corpus is not at " << path;
    }
    ASSERT_TRUE(loadAndWaitForFrame(QString::fromStdString(path)));
    const bool drawn = waitFor([&] {
        const QImage image = view->grab().toImage();
        int coloured = 0;
        for (int y = 0; y < image.height(); y += 2) {
            for (int x = 0; x < image.width(); x += 2) {
                coloured += qRed(image.pixel(x, y)) != qBlue(image.pixel(x, y)) ? 1 : 0;
            }
        }
        return coloured > 50;
    });
    EXPECT_TRUE(drawn) << "no shape of the movie shows on its white stage";
}

struct ScaleCase {
    int scaleMode;
    const char* name;
    Rgb top;   // (150, 10): inside the stage only where it grows to the view's height
    Rgb right; // (240, 100): right of the band unless the stage is cropped
    Rgb upper; // (150, 35): in the band unless the stage keeps its own size
};

// The 300 x 200 view holds the 200 x 100 stage: showAll scales by 1.5 (bands above and below), noBorder by
// 2 (cropped at the sides), exactFit by 1.5 across and 2 down, noScale leaves it at 1, centred.
const ScaleCase kScaleCases[] = {
    {0, "showAll", kBlue, kBlue, kRed},
    {1, "noBorder", kRed, kRed, kRed},
    {2, "exactFit", kRed, kBlue, kRed},
    {3, "noScale", kBlue, kBlue, kBlue},
};

void PrintTo(const ScaleCase& c, std::ostream* out) {
    *out << c.name;
}

class MovieScaleTest : public MovieViewTest, public ::testing::WithParamInterface<ScaleCase> {};

TEST_P(MovieScaleTest, ScaleModeFitsTheStage) {
    const ScaleCase& c = GetParam();
    view->setScaleMode(c.scaleMode);
    ASSERT_TRUE(loadAndWaitForFrame(QString::fromStdString(writeMovie(dir, "band.swf", bandMovie()))));
    QImage image;
    const std::vector<Probe> probes{{150, 10, c.top}, {240, 100, c.right}, {150, 35, c.upper}, {150, 100, kRed}};
    EXPECT_TRUE(waitForPixels(*view, probes, image)) << c.name << ": " << describe(image, probes);
}

INSTANTIATE_TEST_SUITE_P(Modes, MovieScaleTest, ::testing::ValuesIn(kScaleCases),
                         [](const ::testing::TestParamInfo<ScaleCase>& mode) { return std::string(mode.param.name); });

TEST_F(MovieViewTest, ChangingTheScaleModeRedrawsTheRunningMovie) {
    ASSERT_TRUE(loadAndWaitForFrame(QString::fromStdString(writeMovie(dir, "band.swf", bandMovie()))));
    QImage image;
    std::vector<Probe> probes{{150, 10, kBlue}, {150, 100, kRed}};
    ASSERT_TRUE(waitForPixels(*view, probes, image)) << describe(image, probes);
    view->setScaleMode(2);
    probes = {{150, 10, kRed}, {150, 100, kRed}};
    EXPECT_TRUE(waitForPixels(*view, probes, image)) << describe(image, probes);
}

TEST_F(MovieViewTest, ResizedViewRedrawsTheMovie) {
    ASSERT_TRUE(loadAndWaitForFrame(QString::fromStdString(writeMovie(dir, "band.swf", bandMovie()))));
    QImage image;
    std::vector<Probe> probes{{150, 10, kBlue}, {150, 100, kRed}};
    ASSERT_TRUE(waitForPixels(*view, probes, image)) << describe(image, probes);
    // 400 x 200 holds the stage at twice its size: the band covers x 100 to 300 over the full height.
    view->resize(400, 200);
    probes = {{150, 10, kRed}, {50, 100, kBlue}, {350, 100, kBlue}};
    EXPECT_TRUE(waitForPixels(*view, probes, image)) << describe(image, probes);
}

TEST_F(MovieViewTest, BackgroundColourReplacesTheMovies) {
    view->setBackground(QStringLiteral("#00ff00"));
    ASSERT_TRUE(loadAndWaitForFrame(QString::fromStdString(writeMovie(dir, "band.swf", bandMovie()))));
    QImage image;
    // showAll leaves bands above and below the stage, and the stage outside the rectangle: both green.
    std::vector<Probe> probes{{150, 10, kGreen}, {30, 100, kGreen}, {150, 100, kRed}};
    EXPECT_TRUE(waitForPixels(*view, probes, image)) << describe(image, probes);

    // Back to the movie's own background.
    view->setBackground(QString());
    probes = {{150, 10, kBlue}, {30, 100, kBlue}, {150, 100, kRed}};
    EXPECT_TRUE(waitForPixels(*view, probes, image)) << describe(image, probes);
}

TEST_F(MovieViewTest, MovieThatCannotBeShownLeavesTheBackground) {
    struct Case {
        const char* name;
        std::string path;
    };
    const Bytes band = bandMovie();
    const std::vector<Case> cases{
        {"missing file", dir.host("missing.swf")},
        {"not a movie", writeMovie(dir, "text.swf", Bytes{'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd'})},
        {"cut short", writeMovie(dir, "short.swf", Bytes(band.begin(), band.begin() + 30))},
    };
    view->setBackground(QStringLiteral("#00FF00"));
    for (const Case& c : cases) {
        QSignalSpy empty(view.get(), &MovieView::movieEmpty);
        QSignalSpy frames(view.get(), &MovieView::firstFrameShown);
        view->setMovie(QString::fromStdString(c.path));
        QImage image;
        const std::vector<Probe> probes{{5, 5, kGreen}, {150, 100, kGreen}, {290, 190, kGreen}};
        // A broken movie shows the background only: no error box of the player's.
        EXPECT_TRUE(waitForPixels(*view, probes, image)) << c.name << ": " << describe(image, probes);
        if (std::string(c.name) != "cut short") {
            EXPECT_TRUE(waitFor([&] { return empty.count() > 0; })) << c.name;
        }
        spin(300);
        EXPECT_TRUE(waitForPixels(*view, probes, image, 2000)) << c.name << ": " << describe(image, probes);
    }
}

TEST_F(MovieViewTest, FsCommandIsRaisedOnceWithItsArguments) {
    struct Case {
        std::string url;
        QString command;
        QString args;
    };
    const std::vector<Case> cases{
        {"FSCommand:exit", "exit", ""},
        {"FSCommand:Run", "Run", "Some File.EXE"}, // the stub runs a file whose name keeps its case
    };
    for (const Case& c : cases) {
        const std::string path = writeMovie(dir, "command.swf", actionMovie(actionGetUrl(c.url, c.args.toStdString())));
        QSignalSpy commands(view.get(), &MovieView::fsCommand);
        QSignalSpy links(view.get(), &MovieView::urlRequested);
        view->setMovie(QString::fromStdString(path));
        ASSERT_TRUE(waitFor([&] { return commands.count() > 0; })) << c.url;
        spin(500); // nothing more comes
        ASSERT_EQ(commands.count(), 1) << c.url;
        EXPECT_EQ(commands.at(0).at(0).toString(), c.command);
        EXPECT_EQ(commands.at(0).at(1).toString(), c.args);
        EXPECT_EQ(links.count(), 0);
    }
}

TEST_F(MovieViewTest, LinksAreReportedAndNeverFollowed) {
    Bytes actions = actionGetUrl("http://example.invalid/self", "");
    append(actions, actionGetUrl("http://example.invalid/window", "_blank"));
    append(actions, actionGetUrl("file:///etc/hostname", "_self"));
    append(actions, actionPushStrings({"http://example.invalid/form", "_self"}));
    append(actions, actionGetUrl2(0x02)); // the movie's variables posted as a form
    // Script in a link would run inside the player's page: refused.
    append(actions, actionGetUrl("javascript:window.open('http://example.invalid/script')", ""));
    append(actions, actionGetUrl("FSCommand:done", ""));
    QSignalSpy links(view.get(), &MovieView::urlRequested);
    QSignalSpy commands(view.get(), &MovieView::fsCommand);
    view->setMovie(QString::fromStdString(writeMovie(dir, "links.swf", actionMovie(actions))));
    ASSERT_TRUE(waitFor([&] { return commands.count() > 0 && links.count() >= 4; }));
    spin(500);

    std::vector<std::string> urls;
    for (const auto& call : links) {
        urls.push_back(call.at(0).toString().toStdString());
    }
    std::sort(urls.begin(), urls.end());
    EXPECT_EQ(urls, (std::vector<std::string>{"file:///etc/hostname", "http://example.invalid/form",
                                              "http://example.invalid/self", "http://example.invalid/window"}));
    // The page is still the movie's: it still draws the movie's background and takes new movies.
    QImage image;
    const std::vector<Probe> probes{{150, 100, kBlue}};
    EXPECT_TRUE(waitForPixels(*view, probes, image)) << describe(image, probes);
    ASSERT_TRUE(loadAndWaitForFrame(QString::fromStdString(writeMovie(dir, "band.swf", bandMovie()))));
    const std::vector<Probe> band{{150, 100, kRed}};
    EXPECT_TRUE(waitForPixels(*view, band, image)) << describe(image, band);
}

TEST_F(MovieViewTest, MovieLoadsMoviesBesideItButNothingFromTheNetwork) {
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost));
    int connections = 0;
    QObject::connect(&server, &QTcpServer::newConnection, [&] {
        ++connections;
        delete server.nextPendingConnection();
    });
    const std::string web = "http://127.0.0.1:" + std::to_string(server.serverPort());
    writeMovie(dir, "child.swf", actionMovie(actionGetUrl("FSCommand:child", "")));
    Bytes actions = actionGetUrl(web + "/other.swf", "_level2"); // loadMovieNum
    append(actions, actionPushStrings({web + "/vars.txt", "_root"}));
    append(actions, actionGetUrl2(0xC0)); // loadVariables into a clip
    append(actions, actionGetUrl("child.swf", "_level1"));
    QSignalSpy commands(view.get(), &MovieView::fsCommand);
    QSignalSpy links(view.get(), &MovieView::urlRequested);
    view->setMovie(QString::fromStdString(writeMovie(dir, "parent.swf", actionMovie(actions))));
    ASSERT_TRUE(waitFor([&] { return commands.count() > 0; })) << "the movie beside it never loaded";
    EXPECT_EQ(commands.at(0).at(0).toString(), "child");
    spin(1000);
    EXPECT_EQ(connections, 0) << "a movie reached the network";
    EXPECT_EQ(links.count(), 0) << "loading is not opening a link";
}

TEST_F(MovieViewTest, MovieReadsFilesBesideItButNotTheUsersOthers) {
    // Frame 1 loads variables from a file beside the movie and from one in another folder; frame 2 reports
    // what arrived as fscommand("got", a + "|" + b). The movie loops until both had their time.
    TempDir other;
    other.file("vars.txt", "a=outside");
    dir.file("vars.txt", "b=inside");
    Bytes load = actionPushStrings({"file://" + other.host("vars.txt"), "_root"});
    append(load, actionGetUrl2(0xC0));
    append(load, actionPushStrings({"vars.txt", "_root"}));
    append(load, actionGetUrl2(0xC0));
    Bytes report = actionPushStrings({"FSCommand:got", "a"});
    append(report, actionGetVariable());
    append(report, actionPushStrings({"|"}));
    append(report, {0x21}); // string add
    append(report, actionPushStrings({"b"}));
    append(report, actionGetVariable());
    append(report, {0x21});
    append(report, actionGetUrl2());
    const Bytes reading =
        movie(200, 100, 4, {setBackgroundColor(kBlue), doAction(load), showFrame(), doAction(report), showFrame()}, 2);
    QSignalSpy commands(view.get(), &MovieView::fsCommand);
    view->setMovie(QString::fromStdString(writeMovie(dir, "reader.swf", reading)));
    ASSERT_TRUE(waitFor([&] {
        return !commands.isEmpty() && commands.last().at(1).toString().endsWith(QLatin1String("inside"));
    })) << "the file beside the movie never arrived";
    spin(600); // another turn of the loop
    const std::string got = commands.last().at(1).toString().toStdString();
    EXPECT_EQ(got.find("outside"), std::string::npos) << got;
}

// fscommand("got", a): reports the movie variable a.
Bytes variableMovie() {
    Bytes actions = actionPushStrings({"FSCommand:got", "a"});
    append(actions, actionGetVariable());
    append(actions, actionGetUrl2());
    return actionMovie(actions);
}

TEST_F(MovieViewTest, MovieReceivesItsVariables) {
    struct Case {
        QString variables;
        QString setName, setValue; // a SetVariable after the movie is set, when not empty
        QString want;
    };
    const std::vector<Case> cases{
        {"a=hello%20world&b=2", {}, {}, "hello world"},
        {"b=2&a=Title+Bar", {}, {}, "Title Bar"},
        {"a=old", "a", "Clips & more = 100%", "Clips & more = 100%"},
        {"", "a", "txt", "txt"},
    };
    const QString path = QString::fromStdString(writeMovie(dir, "variables.swf", variableMovie()));
    for (const Case& c : cases) {
        QSignalSpy commands(view.get(), &MovieView::fsCommand);
        view->setMovie(path, c.variables);
        if (!c.setName.isEmpty()) {
            view->setVariable(c.setName, c.setValue);
        }
        ASSERT_TRUE(waitFor([&] { return commands.count() > 0; })) << c.variables.toStdString();
        spin(300);
        ASSERT_EQ(commands.count(), 1) << "variables and SetVariable together load the movie once";
        EXPECT_EQ(commands.at(0).at(1).toString(), c.want) << c.variables.toStdString();
    }
}

TEST_F(MovieViewTest, SetVariableOnARunningMovieRestartsItWithTheValue) {
    QSignalSpy commands(view.get(), &MovieView::fsCommand);
    view->setMovie(QString::fromStdString(writeMovie(dir, "variables.swf", variableMovie())), "a=first");
    ASSERT_TRUE(waitFor([&] { return commands.count() == 1; }));
    view->setVariable("a", "second");
    ASSERT_TRUE(waitFor([&] { return commands.count() == 2; }));
    EXPECT_EQ(commands.at(1).at(1).toString(), "second");
}

// Two frames at 30 a second, the first saying "tick": about fifteen ticks a second while it plays.
Bytes tickingMovie() {
    return movie(200, 100, 30,
                 {setBackgroundColor(kBlue), doAction(actionGetUrl("FSCommand:tick", "")), showFrame(), showFrame()},
                 2);
}

struct StopCase {
    const char* name;
    std::function<void(MovieView&)> stop;
    std::function<void(MovieView&)> goOn;
};

class MovieStopTest : public MovieViewTest, public ::testing::WithParamInterface<StopCase> {};

TEST_P(MovieStopTest, PlayerStopsAndGoesOn) {
    const StopCase& c = GetParam();
    QSignalSpy commands(view.get(), &MovieView::fsCommand);
    view->setMovie(QString::fromStdString(writeMovie(dir, "tick.swf", tickingMovie())));
    ASSERT_TRUE(waitFor([&] { return commands.count() >= 3; }));
    c.stop(*view);
    spin(300); // messages already on their way arrive
    const auto stopped = commands.count();
    spin(700);
    EXPECT_EQ(commands.count(), stopped) << c.name;
    c.goOn(*view);
    EXPECT_TRUE(waitFor([&] { return commands.count() >= stopped + 3; })) << c.name;
}

void PrintTo(const StopCase& c, std::ostream* out) {
    *out << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Ways, MovieStopTest,
    ::testing::Values(StopCase{"suspend", [](MovieView& v) { v.suspend(); }, [](MovieView& v) { v.resume(); }},
                      StopCase{"play", [](MovieView& v) { v.suspend(); }, [](MovieView& v) { v.play(); }},
                      StopCase{"hidden", [](MovieView& v) { v.hide(); }, [](MovieView& v) { v.show(); }}),
    [](const ::testing::TestParamInfo<StopCase>& way) { return std::string(way.param.name); });

TEST_F(MovieViewTest, SuspendedViewStaysStoppedWhenShownAgain) {
    QSignalSpy commands(view.get(), &MovieView::fsCommand);
    view->setMovie(QString::fromStdString(writeMovie(dir, "tick.swf", tickingMovie())));
    ASSERT_TRUE(waitFor([&] { return commands.count() >= 3; }));
    view->suspend();
    view->hide();
    spin(300);
    view->show();
    spin(300);
    const auto stopped = commands.count();
    spin(700);
    EXPECT_EQ(commands.count(), stopped);
    EXPECT_TRUE(view->isSuspended());
}

// Waits until what `script` gives on the view's page satisfies want; last holds the latest answer.
bool waitForScript(MovieView& view, const QString& script, const std::function<bool(const QString&)>& want,
                   QString& last) {
    QWebEnginePage* page = view.findChild<QWebEngineView*>()->page();
    auto answer = std::make_shared<QString>();
    auto asked = std::make_shared<bool>(false);
    const bool met = waitFor([&] {
        if (!*asked) {
            *asked = true;
            page->runJavaScript(script, [answer, asked](const QVariant& v) {
                *answer = v.toString();
                *asked = false;
            });
        }
        return want(*answer);
    });
    last = *answer;
    return met;
}

// Waits until the states of the view's sound outputs, as its page lists them ("running,closed"), satisfy
// want; last holds the latest list.
bool waitForSound(MovieView& view, const std::function<bool(const QString&)>& want, QString& last) {
    return waitForScript(view, QStringLiteral("Array.from(audioContexts, (c) => c.state).join()"), want, last);
}

// A movie that plays keeps its sound output running; one that stands still (or is stopped) lets it rest,
// or the engine's audio threads keep rendering silence.
TEST_F(MovieViewTest, SoundOutputRestsWhileNoMovieMoves) {
    const auto resting = [](const QString& s) { return s.contains(u"suspended") && !s.contains(u"running"); };
    const auto running = [](const QString& s) { return s.contains(u"running"); };
    const Bytes still =
        movie(200, 100, 12,
              {setBackgroundColor(kBlue), defineRectangle(1, 50, 0, 100, 100, kRed), placeObject(1, 1), showFrame()});
    QString states;
    ASSERT_TRUE(loadAndWaitForFrame(QString::fromStdString(writeMovie(dir, "still.swf", still))));
    EXPECT_TRUE(waitForSound(*view, resting, states)) << states.toStdString();
    // An output that starts running after the page looked at it (one starts by itself a moment after it
    // is made, and the player resumes its own) rests again while the movie stands still, once the view
    // has settled too.
    spin(1500);
    view->findChild<QWebEngineView*>()->page()->runJavaScript(QStringLiteral(
        "window.seenStates = [];"
        "audioContexts.forEach((c) => { c.addEventListener('statechange', () => seenStates.push(c.state)); "
        "c.resume(); })"));
    const QString seen = QStringLiteral("seenStates.join() + '|' + Array.from(audioContexts, (c) => c.state).join()");
    EXPECT_TRUE(waitForScript(
        *view, seen, [&](const QString& s) { return !s.startsWith(u'|') && resting(s.section(u'|', 1)); }, states))
        << states.toStdString();
    // ... and stays so: the page and the player do not take turns at it.
    QString settled;
    EXPECT_TRUE(waitForScript(
        *view, seen, [](const QString& s) { return !s.isEmpty(); }, settled));
    spin(1500);
    EXPECT_TRUE(waitForScript(
        *view, seen, [](const QString& s) { return !s.isEmpty(); }, states));
    EXPECT_EQ(states.toStdString(), settled.toStdString());
    EXPECT_TRUE(resting(states.section(u'|', 1))) << states.toStdString();
    ASSERT_TRUE(loadAndWaitForFrame(QString::fromStdString(writeMovie(dir, "band.swf", bandMovie()))));
    EXPECT_TRUE(waitForSound(*view, running, states)) << states.toStdString();
    view->suspend();
    EXPECT_TRUE(waitForSound(*view, resting, states)) << states.toStdString();
    view->resume();
    EXPECT_TRUE(waitForSound(*view, running, states)) << states.toStdString();
}

// The names of this process's threads.
std::vector<std::string> threadNames() {
    std::vector<std::string> names;
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
        std::ifstream comm(task.path() / "comm");
        std::string name;
        std::getline(comm, name);
        names.push_back(name);
    }
    return names;
}

// The player asks for the gamepads at every frame; the engine would then poll the devices sixty times a
// second in this process for as long as it runs, movies playing or not.
TEST_F(MovieViewTest, APlayingMovieStartsNoGamepadPolling) {
    ASSERT_TRUE(loadAndWaitForFrame(QString::fromStdString(writeMovie(dir, "band.swf", bandMovie()))));
    waitFor([] { return false; }, 1000); // a second of frames
    const std::vector<std::string> names = threadNames();
    EXPECT_EQ(std::count(names.begin(), names.end(), "Gamepad polling"), 0);
}

#ifdef GLW_HAVE_SWFMAKER
TEST_F(MovieViewTest, ClipMakerMovieDrawsAndEndsWithExit) {
    tools::ClipSpec spec;
    spec.widthPx = 200;
    spec.heightPx = 100;
    spec.background = {255, 0, 0};
    spec.sprite = tools::SpriteItem{};
    spec.sprite->colour = {0, 0, 255};
    spec.sprite->x = 100;
    spec.sprite->y = 50;
    spec.sprite->text = "";
    spec.exitAtFrame = 3;
    const auto bytes = tools::makeClip(spec);
    ASSERT_TRUE(bytes.ok()) << bytes.error().detail;
    QSignalSpy commands(view.get(), &MovieView::fsCommand);
    view->setMovie(QString::fromStdString(writeMovie(dir, "clip.swf", Bytes(bytes->begin(), bytes->end()))));
    ASSERT_TRUE(waitFor([&] { return commands.count() > 0; }));
    EXPECT_EQ(commands.at(0).at(0).toString(), "exit");
    QImage image;
    const std::vector<Probe> probes{{10, 100, kRed}, {290, 100, kRed}};
    EXPECT_TRUE(waitForPixels(*view, probes, image)) << describe(image, probes);
    const QImage shown = view->grab().toImage();
    int blue = 0;
    for (int y = 0; y < shown.height(); ++y) {
        for (int x = 0; x < shown.width(); ++x) {
            blue += near(shown.pixel(x, y), kBlue, 60) ? 1 : 0;
        }
    }
    EXPECT_GT(blue, 20) << "the clip's turning shape does not show";
}

TEST_F(MovieViewTest, TintableClipAddsItsVariablesToItsColours) {
    // A grey shape that turns about the stage's centre, on a white stage that the tint leaves alone.
    tools::ClipSpec spec;
    spec.widthPx = 200;
    spec.heightPx = 100;
    spec.sprite = tools::SpriteItem{};
    spec.sprite->colour = {128, 128, 128};
    spec.sprite->x = 100;
    spec.sprite->y = 50;
    spec.sprite->size = 60;
    spec.sprite->text = "";
    spec.tintable = true;
    const auto bytes = tools::makeClip(spec);
    ASSERT_TRUE(bytes.ok()) << bytes.error().detail;
    const QString path = QString::fromStdString(writeMovie(dir, "tint.swf", Bytes(bytes->begin(), bytes->end())));
    struct Case {
        QString variables;
        Rgb want; // the centre of the view
    } cases[] = {
        {"", {128, 128, 128}},
        {"CWR=100&CWG=-100&CWB=-128", {228, 28, 0}},
        {"CWR=-256&CWG=0&CWB=120", {0, 128, 248}},
        {"CWR=red&CWG=40", {128, 168, 128}}, // a text that is no number counts as 0
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(loadAndWaitForFrame(path, c.variables)) << c.variables.toStdString();
        QImage image;
        const std::vector<Probe> probes{{150, 100, c.want}, {20, 40, Rgb{255, 255, 255}}};
        EXPECT_TRUE(waitForPixels(*view, probes, image)) << c.variables.toStdString() << describe(image, probes);
    }
}
#endif

} // namespace
} // namespace glw::qt::movie::test
