// The demo application folder: its layout, its files and a second run that changes nothing.
#include "demolib/DemoLibrary.h"
#include "swf/media/Jpeg.h"
#include "swf/media/SwfTestReader.h"

#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <random>

namespace glw::tools {
namespace {

namespace fs = std::filesystem;

class DemoLibraryTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::random_device seed;
        m_root = fs::temp_directory_path() / ("glw-demolib-" + std::to_string(seed()));
        fs::create_directories(m_root);
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(m_root, ec);
    }

    static std::string read(const fs::path& file) {
        std::ifstream in(file, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    fs::path m_root;
};

TEST_F(DemoLibraryTest, LaysOutTheApplicationFolder) {
    const fs::path app = m_root / "app";
    auto report = makeDemoLibrary(app);
    ASSERT_TRUE(report.ok()) << report.error().detail;
    EXPECT_TRUE(report->unchanged.empty());
    for (const std::string& folder : applicationFolders()) {
        EXPECT_TRUE(fs::is_directory(app / folder)) << folder;
    }
    for (const char* file :
         {"blank.swf", "Resource/titlebar.swf", "Resource/badfont.txt", "Resource/export.jpg", "Resource/okay.jpg",
          "Resource/cancel.jpg", "Resource/no.jpg", "Resource/handback.jpg", "Help/index.htm"}) {
        EXPECT_TRUE(fs::is_regular_file(app / file)) << file;
    }
    int categories = 0;
    for (const auto& entry : fs::directory_iterator(app / "CLTemplates")) {
        ASSERT_TRUE(entry.is_directory());
        ++categories;
        int clips = 0;
        for (const auto& clip : fs::directory_iterator(entry.path())) {
            EXPECT_EQ(clip.path().extension(), ".swf");
            const std::string bytes = read(clip.path());
            EXPECT_NO_THROW(glw::tests::readMovie({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()}))
                << clip.path();
            ++clips;
        }
        EXPECT_GE(clips, 2) << entry.path();
    }
    EXPECT_GE(categories, 2);
    for (const char* picture : {"Resource/export.jpg", "Resource/okay.jpg", "Resource/cancel.jpg", "Resource/no.jpg",
                                "Resource/handback.jpg"}) {
        EXPECT_TRUE(glw::swf::media::readJpegFile(app / picture).ok()) << picture;
    }
}

// The files the add-ins and the updater look for beside them: the presentation add-in's script code and the
// updater's closing movie (the size of its Flash control, with more than one frame: it moves).
TEST_F(DemoLibraryTest, ShipsTheScriptCodeAndTheClosingMovie) {
    const fs::path app = m_root / "app";
    ASSERT_TRUE(makeDemoLibrary(app).ok());
    const std::string script = read(app / "ppointvb.dat");
    for (const char* piece : {"SlideShowWindows(1).View", "\"NEXT\": .Next", "\"PREV\": .Previous", "\"FIRST\"",
                              "\"LAST\"", "\"ENDSHOW\": .Exit", "\"GOTO(\"", "\r\n"}) {
        EXPECT_NE(script.find(piece), std::string::npos) << piece;
    }
    const std::string bytes = read(app / "endup.swf");
    const auto movie = glw::tests::readMovie({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()});
    EXPECT_EQ(movie.frame.xMax - movie.frame.xMin, 476 * 20);
    EXPECT_EQ(movie.frame.yMax - movie.frame.yMin, 100 * 20);
    EXPECT_GT(movie.tags.size(), 3u);
}

TEST_F(DemoLibraryTest, EveryTemplateTakesTheEditorsTint) {
    const fs::path app = m_root / "app";
    ASSERT_TRUE(makeDemoLibrary(app).ok());
    const std::vector<std::string> tint{
        "new Color(_root).setTransform({ra: 100, rb: CWR | 0, ga: 100, gb: CWG | 0, ba: 100, bb: CWB | 0})"};
    int clips = 0;
    for (const auto& entry : fs::recursive_directory_iterator(app / "CLTemplates")) {
        if (!entry.is_regular_file()) {
            continue;
        }
        ++clips;
        const std::string bytes = read(entry.path());
        std::vector<std::string> script;
        try {
            for (const auto& tag :
                 glw::tests::readMovie({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()}).tags) {
                if (tag.code == 1) { // the first frame ends
                    break;
                }
                if (tag.code == 12 && glw::tests::readActions(tag.body).empty()) {
                    script = glw::tests::scriptOf(tag.body);
                }
            }
        } catch (const std::exception& e) {
            ADD_FAILURE() << entry.path() << ": " << e.what();
        }
        EXPECT_EQ(script, tint) << entry.path();
    }
    EXPECT_GT(clips, 0);
}

TEST_F(DemoLibraryTest, FontListHasNoEmptyFragment) {
    ASSERT_TRUE(makeDemoLibrary(m_root).ok());
    const std::string list = read(m_root / "Resource" / "badfont.txt");
    ASSERT_FALSE(list.empty());
    EXPECT_NE(list.front(), ',');
    EXPECT_NE(list.back(), ',');
    EXPECT_EQ(list.find(",,"), std::string::npos);
    EXPECT_EQ(list.find_first_of("\r\n"), std::string::npos);
}

TEST_F(DemoLibraryTest, SecondRunChangesNothingAndRepairsWhatWasDamaged) {
    ASSERT_TRUE(makeDemoLibrary(m_root).ok());
    auto again = makeDemoLibrary(m_root);
    ASSERT_TRUE(again.ok());
    EXPECT_TRUE(again->written.empty());

    const fs::path blank = m_root / "blank.swf";
    const std::string good = read(blank);
    std::ofstream(blank, std::ios::binary | std::ios::trunc) << "damaged";
    fs::remove(m_root / "Help" / "index.htm");
    std::ofstream(m_root / "CLTemplates" / "mine.swf") << "a file of the user's own";
    auto repair = makeDemoLibrary(m_root);
    ASSERT_TRUE(repair.ok());
    EXPECT_EQ(repair->written, (std::vector<std::string>{"blank.swf", "Help/index.htm"}));
    EXPECT_EQ(read(blank), good);
    EXPECT_TRUE(fs::exists(m_root / "CLTemplates" / "mine.swf"));
    for (const auto& entry : fs::recursive_directory_iterator(m_root)) {
        EXPECT_NE(entry.path().extension(), ".part") << "a temporary file was left behind";
    }
}

TEST_F(DemoLibraryTest, ReportsAFileWhereAFolderBelongs) {
    std::ofstream(m_root / "Resource") << "not a folder";
    auto report = makeDemoLibrary(m_root);
    ASSERT_FALSE(report.ok());
    EXPECT_EQ(report.error().code, ErrorCode::Io);
}

} // namespace
} // namespace glw::tools
