// The swfscan tool from outside: it lists the elements of every corpus movie and round-trips each
// one unchanged, and an edit by row number reaches the saved movie.
#include "SwfFixtures.h"
#include "swf/Container.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>

namespace glw::swf {
namespace {

namespace fx = fixtures;

const std::string kTool = std::string(GLW_BINARY_DIR) + "/bin/swfscan";

int run(const std::string& arguments, const std::string& output) {
    std::string command = "'" + kTool + "' " + arguments + " > '" + output + "' 2>&1";
    int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Standard output and standard error to files of their own.
int runSplit(const std::string& arguments, const std::string& output, const std::string& errors) {
    std::string command = "'" + kTool + "' " + arguments + " > '" + output + "' 2> '" + errors + "'";
    int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string shellWord(const std::string& s) {
    return "'" + s + "'";
}

std::string readText(const std::string& path) {
    Bytes b = fx::readFile(path);
    return std::string(b.begin(), b.end());
}

Bytes bodyOf(const Bytes& file) {
    Result<Container> c = decodeContainer(std::make_shared<const Bytes>(file));
    return c ? Bytes(c->body.begin(), c->body.end()) : Bytes{};
}

TEST(Swfscan, ListsAndRoundTripsEveryCorpusMovie) {
    if (!std::filesystem::exists(fx::corpusDir())) {
        GTEST_SKIP() << "the movie corpus is not at " << fx::corpusDir();
    }
    fx::TempDir dir;
    std::size_t movies = 0;
    for (const auto& e : std::filesystem::directory_iterator(fx::corpusDir())) {
        if (e.path().extension() != ".swf") {
            continue;
        }
        ++movies;
        SCOPED_TRACE(e.path().filename().string());
        std::string in = e.path().string();
        EXPECT_EQ(run("list " + shellWord(in), dir.file("list.txt")), 0) << readText(dir.file("list.txt"));
        EXPECT_EQ(run("header " + shellWord(in), dir.file("header.txt")), 0) << readText(dir.file("header.txt"));
        std::string out = dir.file("out.swf");
        ASSERT_EQ(run("roundtrip " + shellWord(in) + " " + shellWord(out), dir.file("rt.txt")), 0)
            << readText(dir.file("rt.txt"));
        Bytes original = fx::readFile(in);
        Bytes saved = fx::readFile(out);
        if (readU32(original.data() + 4) == 8 + bodyOf(original).size()) {
            EXPECT_EQ(saved, original);
        } else {
            EXPECT_EQ(bodyOf(saved), bodyOf(original)); // only the stated length was corrected
        }
    }
    EXPECT_GT(movies, 0u);
}

TEST(Swfscan, EditsByRowAndSetsTheSize) {
    fx::TempDir dir;
    std::string in = dir.file("in.swf");
    fx::writeFile(in, fx::movieWith({fx::defineEditText(fx::EditSpec{.fontId = std::nullopt}),
                                     fx::doAction({fx::getUrl("http://a.example/")})}));
    ASSERT_EQ(run("list " + shellWord(in), dir.file("list.txt")), 0);
    EXPECT_EQ(readText(dir.file("list.txt")), "0\tedittext\t-\tHello\t\t0\n1\tlink\t-\thttp://a.example/\t\t\n");
    std::string out = dir.file("out.swf");
    ASSERT_EQ(run("edit " + shellWord(in) + " " + shellWord(out) +
                      " --set '1=http://b.example/' --set '0=Two\\nlines' --size 275x200",
                  dir.file("edit.txt")),
              0)
        << readText(dir.file("edit.txt"));
    ASSERT_EQ(run("list " + shellWord(out), dir.file("after.txt")), 0);
    EXPECT_EQ(readText(dir.file("after.txt")), "0\tedittext\t-\tTwo\\nlines\t\t0\n1\tlink\t-\thttp://b.example/\t\t\n");
    ASSERT_EQ(run("header " + shellWord(out), dir.file("header.txt")), 0);
    EXPECT_NE(readText(dir.file("header.txt")).find("275 x 200 pixels"), std::string::npos);
    EXPECT_EQ(run("edit " + shellWord(in) + " " + shellWord(out) + " --set '7=x'", dir.file("bad.txt")), 2);
    EXPECT_EQ(run("list " + shellWord(dir.file("missing.swf")), dir.file("missing.txt")), 1);
}

// Edits the movie cannot take exit non-zero with the reason, never 0 with a wrong result: a replacement
// JPEG that does not decode whole, a text height past 16 bits, a size whose scale no placement holds.
TEST(Swfscan, EditsTheMovieCannotTakeAreRefusedWithTheReason) {
    fx::TempDir dir;
    const Bytes jpeg = fx::makeJpeg(64, 48, 80);
    fx::writeFile(dir.file("cut.jpg"),
                  Bytes(jpeg.begin(), jpeg.begin() + static_cast<std::ptrdiff_t>(jpeg.size() - 40)));
    fx::writeFile(dir.file("whole.jpg"), jpeg);
    fx::MovieSpec spec;
    spec.frame = fx::rect(0, 2000, 0, 2000); // 100 x 100 pixels
    spec.tags = fx::cat({fx::backgroundColor(), fx::defineEditText(fx::EditSpec{}), fx::defineBitsJpeg2(6, jpeg),
                         fx::placeObject2(1, 6, fx::matrix(0, 0)), fx::showFrame(), fx::endTag()});
    const std::string in = dir.file("in.swf");
    fx::writeFile(in, fx::buildMovie(spec));
    struct Case {
        std::string options;
        int status;
        const char* said; // on standard error
    } cases[] = {
        {"--set '1=" + dir.file("whole.jpg") + "'", 0, ""},
        {"--set '1=" + dir.file("cut.jpg") + "'", 3, "damaged"},
        {"--height 0=65535", 0, ""},
        {"--height 0=65536", 3, "65535"},
        {"--size 1000000x1000000", 0, ""},
        {"--size 5000000x5000000", 1, "16384"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.options);
        const std::string out = dir.file("out.swf");
        std::filesystem::remove(out);
        EXPECT_EQ(runSplit("edit " + shellWord(in) + " " + shellWord(out) + " " + c.options, dir.file("o.txt"),
                           dir.file("e.txt")),
                  c.status)
            << readText(dir.file("e.txt"));
        EXPECT_NE(readText(dir.file("e.txt")).find(c.said), std::string::npos) << readText(dir.file("e.txt"));
    }
}

// A tag that cannot be read offers no row, and `list` says on standard error which tag, where, and why.
TEST(Swfscan, ListNamesUnreadableTagsOnStandardError) {
    fx::TempDir dir;
    std::string in = dir.file("in.swf");
    // The first tag follows the 8-byte file header, 13 bytes of frame, rate and count, and the
    // 5-byte SetBackgroundColor: it starts at offset 26.
    fx::writeFile(in, fx::movieWith({fx::tag(TagCode::DefineEditText, {1, 0}, true),
                                     fx::doAction({fx::getUrl("http://a.example/")})}));
    ASSERT_EQ(runSplit("list " + shellWord(in), dir.file("list.txt"), dir.file("err.txt")), 0);
    EXPECT_EQ(readText(dir.file("list.txt")), "0\tlink\t-\thttp://a.example/\t\t\n");
    std::string err = readText(dir.file("err.txt"));
    EXPECT_NE(err.find("DefineEditText at offset 26: "), std::string::npos) << err;
    EXPECT_NE(err.find("cut short"), std::string::npos) << err;
}

} // namespace
} // namespace glw::swf
