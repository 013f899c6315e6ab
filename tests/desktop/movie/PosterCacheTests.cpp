// Posters: a movie's first frame drawn at the asked size by the one hidden page, kept by what it shows,
// and delivered only to receivers that still want it.
#include "MovieTestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <filesystem>
#include <memory>
#include <optional>

namespace glw::qt::movie::test {
namespace {

using platform::test::TempDir;

Bytes bandMovie(Rgb band) {
    return movie(200, 100, 12,
                 {setBackgroundColor(kBlue), defineRectangle(1, 50, 0, 100, 100, band), placeObject(1, 1),
                  doAction(actionStop()), showFrame()});
}

class PosterCacheTest : public ::testing::Test {
protected:
    void SetUp() override {
        GLW_REQUIRE_PLAYER();
        cache = std::make_unique<PosterCache>();
    }
    void TearDown() override { cache.reset(); }

    // Asks for a poster and waits for it; nullopt when it never came.
    std::optional<QImage> poster(const PosterRequest& request, QObject* receiver = nullptr) {
        std::optional<QImage> got;
        cache->request(receiver, request, [&](const QImage& image) { got = image; });
        if (!waitFor([&] { return got.has_value(); })) {
            return std::nullopt;
        }
        return got;
    }

    TempDir dir;
    std::unique_ptr<PosterCache> cache;
};

TEST_F(PosterCacheTest, PosterShowsTheFirstFrameAtTheAskedSize) {
    const QString path = QString::fromStdString(writeMovie(dir, "band.swf", bandMovie(kRed)));
    struct Case {
        PosterRequest request;
        std::vector<Probe> probes;
    };
    const std::vector<Case> cases{
        // 160 x 120 with showAll: the stage is 160 x 80 between bands of 20 at the top and bottom.
        {{path, {}, QSize(160, 120), 0, {}}, {{80, 10, kBlue}, {80, 60, kRed}, {10, 60, kBlue}, {150, 60, kBlue}}},
        {{path, {}, QSize(160, 120), 0, "#00FF00"}, {{80, 10, kGreen}, {80, 60, kRed}, {10, 60, kGreen}}},
        // exactFit stretches the band over the full height.
        {{path, {}, QSize(160, 120), 2, {}}, {{80, 5, kRed}, {80, 115, kRed}, {10, 60, kBlue}}},
    };
    for (const Case& c : cases) {
        const auto image = poster(c.request);
        ASSERT_TRUE(image.has_value());
        ASSERT_FALSE(image->isNull());
        EXPECT_EQ(image->size(), c.request.size);
        EXPECT_TRUE(shows(*image, c.probes)) << describe(*image, c.probes);
    }
}

TEST_F(PosterCacheTest, CorpusMoviePosterIsNotBlank) {
    const std::string path = corpusMovie("SimpleRedBackground.swf");
    if (!std::ifstream(path)) {
        GTEST_SKIP() << "the movie corpus is not at " << path;
    }
    const auto image = poster({QString::fromStdString(path), {}, QSize(120, 90), 0, {}});
    ASSERT_TRUE(image.has_value());
    const std::vector<Probe> probes{{2, 2, kRed}, {60, 45, kRed}, {117, 87, kRed}};
    EXPECT_TRUE(shows(*image, probes)) << describe(*image, probes);
}

TEST_F(PosterCacheTest, AskingAgainIsAnsweredFromTheCache) {
    const QString path = QString::fromStdString(writeMovie(dir, "band.swf", bandMovie(kRed)));
    const PosterRequest request{path, "a=1", QSize(100, 75), 0, {}};
    const auto first = poster(request);
    ASSERT_TRUE(first.has_value());
    EXPECT_EQ(cache->cachedCount(), 1);

    // The same poster again: no drawing, and never inside request() itself.
    bool answered = false;
    QImage second;
    cache->request(nullptr, request, [&](const QImage& image) {
        answered = true;
        second = image;
    });
    EXPECT_FALSE(answered);
    ASSERT_TRUE(waitFor([&] { return answered; }, 1000));
    EXPECT_EQ(second, *first);

    // Other variables or another size are other posters.
    ASSERT_TRUE(poster({path, "a=2", QSize(100, 75), 0, {}}).has_value());
    ASSERT_TRUE(poster({path, "a=1", QSize(80, 60), 0, {}}).has_value());
    EXPECT_EQ(cache->cachedCount(), 3);
}

TEST_F(PosterCacheTest, EditedMovieGetsANewPoster) {
    const std::string file = writeMovie(dir, "band.swf", bandMovie(kRed));
    const PosterRequest request{QString::fromStdString(file), {}, QSize(160, 120), 0, {}};
    const auto before = poster(request);
    ASSERT_TRUE(before.has_value());
    ASSERT_TRUE(shows(*before, {{80, 60, kRed}})) << describe(*before, {{80, 60, kRed}});

    writeMovie(dir, "band.swf", bandMovie(kGreen));
    // A new modification time even on file systems with coarse times.
    std::filesystem::last_write_time(file, std::filesystem::last_write_time(file) + std::chrono::seconds(2));
    const auto after = poster(request);
    ASSERT_TRUE(after.has_value());
    EXPECT_TRUE(shows(*after, {{80, 60, kGreen}})) << describe(*after, {{80, 60, kGreen}});
}

TEST_F(PosterCacheTest, MovieThatCannotBeShownGivesANullPoster) {
    const std::vector<std::string> paths{dir.host("missing.swf"), writeMovie(dir, "text.swf", Bytes{'n', 'o', 't'})};
    for (const std::string& path : paths) {
        const auto image = poster({QString::fromStdString(path), {}, QSize(100, 75), 0, {}});
        ASSERT_TRUE(image.has_value()) << path;
        EXPECT_TRUE(image->isNull()) << path;
    }
    // The page goes on drawing posters after them.
    const auto good =
        poster({QString::fromStdString(writeMovie(dir, "band.swf", bandMovie(kRed))), {}, QSize(160, 120), 0, {}});
    ASSERT_TRUE(good.has_value());
    EXPECT_TRUE(shows(*good, {{80, 60, kRed}})) << describe(*good, {{80, 60, kRed}});
}

TEST_F(PosterCacheTest, ReceiverGetsOnlyItsNewestPosterAndNoneOnceGone) {
    const QString red = QString::fromStdString(writeMovie(dir, "red.swf", bandMovie(kRed)));
    const QString green = QString::fromStdString(writeMovie(dir, "green.swf", bandMovie(kGreen)));
    QObject cell;
    auto gone = std::make_unique<QObject>();
    std::vector<QImage> cellGot;
    int goneGot = 0;
    int otherGot = 0;
    cache->request(&cell, {red, {}, QSize(160, 120), 0, {}}, [&](const QImage& image) { cellGot.push_back(image); });
    cache->request(gone.get(), {red, {}, QSize(160, 120), 0, {}}, [&](const QImage&) { ++goneGot; });
    cache->request(&cell, {green, {}, QSize(160, 120), 0, {}}, [&](const QImage& image) { cellGot.push_back(image); });
    cache->request(nullptr, {red, {}, QSize(160, 120), 0, {}}, [&](const QImage&) { ++otherGot; });
    gone.reset();
    bool idle = false;
    QObject::connect(cache.get(), &PosterCache::idle, [&] { idle = true; });
    ASSERT_TRUE(waitFor([&] { return idle && otherGot == 1; }));
    spin(200);
    ASSERT_EQ(cellGot.size(), 1u);
    EXPECT_TRUE(shows(cellGot[0], {{80, 60, kGreen}})) << describe(cellGot[0], {{80, 60, kGreen}});
    EXPECT_EQ(goneGot, 0);
    EXPECT_EQ(otherGot, 1);
    EXPECT_EQ(cache->waitingCount(), 0);
}

TEST_F(PosterCacheTest, KeptPostersStayWithinTheMemoryLimit) {
    const QString path = QString::fromStdString(writeMovie(dir, "band.swf", bandMovie(kRed)));
    // Each 100 x 100 poster holds 40,000 bytes; room for two.
    cache->setMemoryLimit(90000);
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(poster({path, QStringLiteral("n=%1").arg(i), QSize(100, 100), 0, {}}).has_value());
    }
    EXPECT_EQ(cache->cachedCount(), 2);
    // The oldest went first: asking for it again draws it again (not answered at once from the cache).
    QElapsedTimer timer;
    timer.start();
    bool answered = false;
    cache->request(nullptr, {path, "n=2", QSize(100, 100), 0, {}}, [&](const QImage&) { answered = true; });
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    EXPECT_TRUE(answered) << "the newest poster is kept";
    EXPECT_EQ(cache->waitingCount(), 0);
    cache->request(nullptr, {path, "n=0", QSize(100, 100), 0, {}}, [&](const QImage&) {});
    EXPECT_EQ(cache->waitingCount(), 1) << "the oldest poster was let go";
}

// Posters kept on disk: a later run (another cache on the same folder) has them at once, without the
// player, as long as the movie keeps its file and the request its size and settings.
TEST_F(PosterCacheTest, PostersOnDiskServeTheNextRunAtOnce) {
    const std::string file = writeMovie(dir, "band.swf", bandMovie(kRed));
    const QString folder = QString::fromStdString(dir.host("posters"));
    ASSERT_TRUE(QDir().mkpath(folder));
    cache->setDiskFolder(folder);
    const PosterRequest request{QString::fromStdString(file), "a=1", QSize(160, 120), 0, {}};
    const auto drawn = poster(request);
    ASSERT_TRUE(drawn.has_value());
    ASSERT_FALSE(drawn->isNull());

    PosterCache next;
    next.setDiskFolder(folder);
    const QImage kept = next.stored(request);
    ASSERT_FALSE(kept.isNull());
    EXPECT_TRUE(shows(kept, {{80, 60, kRed}, {80, 10, kBlue}})) << describe(kept, {{80, 60, kRed}});
    // request() takes it from the disk too, with nothing to draw.
    std::optional<QImage> asked;
    next.request(nullptr, request, [&](const QImage& image) { asked = image; });
    EXPECT_EQ(next.waitingCount(), 0);
    ASSERT_TRUE(waitFor([&] { return asked.has_value(); }, 1000));
    EXPECT_EQ(asked->convertToFormat(QImage::Format_RGB32), kept.convertToFormat(QImage::Format_RGB32));

    const std::vector<PosterRequest> others{
        {request.hostPath, "a=2", request.size, 0, {}},
        {request.hostPath, request.variables, QSize(80, 60), 0, {}},
        {request.hostPath, request.variables, request.size, 2, {}},
        {request.hostPath, request.variables, request.size, 0, "#00FF00"},
    };
    for (const PosterRequest& other : others) {
        EXPECT_TRUE(next.stored(other).isNull()) << qPrintable(other.variables) << " " << other.scaleMode;
    }
    // An edited movie is another poster.
    writeMovie(dir, "band.swf", bandMovie(kGreen));
    std::filesystem::last_write_time(file, std::filesystem::last_write_time(file) + std::chrono::seconds(2));
    PosterCache afterEdit;
    afterEdit.setDiskFolder(folder);
    EXPECT_TRUE(afterEdit.stored(request).isNull());
}

TEST_F(PosterCacheTest, PostersOnDiskStayWithinTheirLimitAndTheLastUsedStay) {
    const QString folder = QString::fromStdString(dir.host("posters"));
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString movieFile = QString::fromStdString(writeMovie(dir, "band.swf", bandMovie(kRed)));
    const auto requestOf = [&](int i) {
        return PosterRequest{movieFile, QStringLiteral("n=%1").arg(i), QSize(64, 64), 0, {}};
    };
    const auto imageOf = [](int i) {
        QImage image(64, 64, QImage::Format_ARGB32_Premultiplied);
        for (int y = 0; y < 64; ++y) {
            for (int x = 0; x < 64; ++x) {
                image.setPixel(x, y, qRgb((x * 7 + i * 31) & 255, (y * 13 + i) & 255, (x * y + i * 5) & 255));
            }
        }
        return image;
    };
    const auto folderBytes = [&] {
        qint64 bytes = 0;
        for (const QFileInfo& file : QDir(folder).entryInfoList(QDir::Files)) {
            bytes += file.size();
        }
        return bytes;
    };
    // Room for a few posters of this kind only.
    constexpr qint64 kLimit = 40 * 1024;
    cache->setDiskFolder(folder, kLimit);
    cache->store(requestOf(0), imageOf(0));
    for (int i = 1; i < 40; ++i) {
        cache->store(requestOf(i), imageOf(i));
        // The first one is used all along: the oldest use goes first, never it.
        PosterCache reader;
        reader.setDiskFolder(folder, kLimit);
        ASSERT_FALSE(reader.stored(requestOf(0)).isNull()) << "after " << i;
        EXPECT_LE(folderBytes(), kLimit) << "after " << i;
    }
    PosterCache reader;
    reader.setDiskFolder(folder, kLimit);
    EXPECT_FALSE(reader.stored(requestOf(39)).isNull());
    EXPECT_TRUE(reader.stored(requestOf(1)).isNull());
}

} // namespace
} // namespace glw::qt::movie::test
