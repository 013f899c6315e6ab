// The stand-alone exports on stand-in stubs: package entries in order, the startup lists as the stubs read
// them, and failures that are reported and leave no output or package behind.
#include "jpk/JpkMarker.h"
#include "jpk/JpkPackage.h"
#include "main/ExportBuilders.h"
#include "platform/TempDir.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace glw::main::test {
namespace {

namespace fs = std::filesystem;

// The entries of a joined file behind its stub: name and data.
std::vector<std::pair<std::string, std::string>> packedEntries(const std::string& joined, std::size_t stubLength) {
    const std::string package = joined.substr(stubLength + jpk::kJpkMarkerLength);
    std::vector<std::pair<std::string, std::string>> out;
    auto walker = jpk::walkJpkBytes(package);
    while (true) {
        auto next = walker.next();
        EXPECT_TRUE(next.ok());
        if (!next.ok() || !next.value()) {
            break;
        }
        const auto& e = **next;
        out.emplace_back(e.name, package.substr(e.dataOffset, e.size));
    }
    return out;
}

class ExportBuilder : public ::testing::Test {
protected:
    platform::test::TempDir app;
    platform::test::TempDir out;
    const std::string stub = "PLAYER-STUB";

    void SetUp() override {
        app.file("glwbase.exe", stub);
        app.file("glwbase.scr", "SAVER-STUB!");
        app.file("quillset.exe", "INSTALLER");
        app.file("Working/glwmovie.swf", "FWS-movie");
    }
    formats::StartupList player() const {
        return {.height = "400",
                .width = "550",
                .bgColor = "#FFFFFF",
                .scale = "showAll",
                .flashVars = "&CWR=0&CWG=0&CWB=0"};
    }
    formats::StartupList saver() const {
        return {.height = "400",
                .width = "550",
                .bgColor = "#000000",
                .authorName = "Vorel Media",
                .authorWeb = "http://www.example.com/",
                .scale = "exactFit"};
    }
};

TEST_F(ExportBuilder, PlayerPacksTheMovieTheExtraFilesAndTheStartupList) {
    app.file("Working/a.dat", "AAA");
    app.file("Working/b.dat", "");
    auto s = player();
    s.extraFiles = {"x.txt", "y.txt"};
    auto r = BuildExeExport({app.system(), {"glwmovie.swf", "a.dat", "b.dat"}, out.system("my.exe")}, s);
    ASSERT_TRUE(r.ok()) << r.error().detail;
    const std::string joined = out.read("my.exe");
    EXPECT_EQ(joined.substr(0, stub.size()), stub);
    const auto entries = packedEntries(joined, stub.size());
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries[0], (std::pair<std::string, std::string>{"glwmovie.swf", "FWS-movie"}));
    EXPECT_EQ(entries[1].first, "a.dat");
    EXPECT_EQ(entries[2], (std::pair<std::string, std::string>{"b.dat", ""}));
    EXPECT_EQ(entries[3].first, "startup.ini");
    EXPECT_EQ(entries[3].second,
              "glwmovie.swf\r\n 400\r\n 550\r\n#FFFFFF\r\nshowAll\r\n&CWR=0&CWG=0&CWB=0 \r\nx.txt|y.txt\r\n");
    const auto read = formats::readStartupList(formats::StartupKind::Player, entries[3].second);
    EXPECT_EQ(formats::startupNumber(read.height), 400);
    EXPECT_EQ(formats::startupNumber(read.width), 550);
    EXPECT_EQ(read.extraFiles, (std::vector<std::string>{"x.txt", "y.txt"}));
    EXPECT_FALSE(app.exists("Working/glwexe.dta"));
}

TEST_F(ExportBuilder, StartupListsInBothLayouts) {
    auto p = player();
    p.movie = "glwmovie.swf";
    p.height = "12.5";
    p.flashVars = "";
    EXPECT_EQ(*formats::writeStartupList(formats::StartupKind::Player, p),
              "glwmovie.swf\r\n 12.5\r\n 550\r\n#FFFFFF\r\nshowAll\r\n \r\n\r\n");
    auto s = saver();
    s.movie = "glwmovie.swf";
    const auto text = formats::writeStartupList(formats::StartupKind::Saver, s);
    ASSERT_TRUE(text.ok());
    EXPECT_EQ(*text,
              "glwmovie.swf\r\n 400\r\n 550\r\n#000000\r\nVorel Media\r\nhttp://www.example.com/\r\nexactFit\r\n \r\n");
    const auto read = formats::readStartupList(formats::StartupKind::Saver, *text);
    EXPECT_EQ(read.authorName, "Vorel Media");
    EXPECT_EQ(read.authorWeb, "http://www.example.com/");
    EXPECT_EQ(read.scale, "exactFit");
}

TEST_F(ExportBuilder, ScreenSaverAndItsInstaller) {
    auto r = BuildScrExport({app.system(), {"glwmovie.swf"}, out.system("my.scr")}, saver());
    ASSERT_TRUE(r.ok()) << r.error().detail;
    const auto saverEntries = packedEntries(out.read("my.scr"), 11);
    ASSERT_EQ(saverEntries.size(), 2u);
    EXPECT_EQ(saverEntries[0].first, "glwmovie.swf");
    EXPECT_EQ(saverEntries[1].first, "startup.ini");
    r = BuildInstallerExport(app.system(), out.system("my.scr"), "my.scr", out.system("inst.exe"));
    ASSERT_TRUE(r.ok()) << r.error().detail;
    const auto installer = packedEntries(out.read("inst.exe"), 9);
    ASSERT_EQ(installer.size(), 1u);
    EXPECT_EQ(installer[0].first, "my.scr");
    EXPECT_EQ(installer[0].second, out.read("my.scr"));
}

// Every failure is reported with a reason; the old output stays whole and no package is left behind.
TEST_F(ExportBuilder, FailuresAreReportedAndLoseNothing) {
    out.file("keep.exe", "OLD OUTPUT");
    struct Case {
        const char* what;
        std::function<Result<void>()> run;
        const char* output;
    };
    auto p = player();
    const Case cases[] = {
        {"missing extra file",
         [&] {
             return BuildExeExport({app.system(), {"glwmovie.swf", "gone.dat"}, out.system("keep.exe")}, p);
         },
         "keep.exe"},
        {"missing stub",
         [&] {
             fs::rename(app.host("glwbase.exe"), app.host("stub.bak"));
             auto r = BuildExeExport({app.system(), {"glwmovie.swf"}, out.system("keep.exe")}, p);
             fs::rename(app.host("stub.bak"), app.host("glwbase.exe"));
             return r;
         },
         "keep.exe"},
        {"width not a number",
         [&] {
             auto q = p;
             q.width = "wide";
             return BuildExeExport({app.system(), {"glwmovie.swf"}, out.system("keep.exe")}, q);
         },
         "keep.exe"},
        {"comma in the author",
         [&] {
             auto s = saver();
             s.authorName = "Vorel, Media";
             return BuildScrExport({app.system(), {"glwmovie.swf"}, out.system("keep.exe")}, s);
         },
         "keep.exe"},
        {"extra file shadowing the startup list",
         [&] {
             return BuildExeExport({app.system(), {"glwmovie.swf", "STARTUP.INI"}, out.system("keep.exe")}, p);
         },
         "keep.exe"},
        {"output is the stub itself",
         [&] {
             return BuildExeExport({app.system(), {"glwmovie.swf"}, app.system("glwbase.exe")}, p);
         },
         nullptr},
        {"empty screen saver",
         [&] {
             out.file("empty.scr", "");
             return BuildInstallerExport(app.system(), out.system("empty.scr"), "empty.scr", out.system("keep.exe"));
         },
         "keep.exe"},
        {"missing screen saver",
         [&] { return BuildInstallerExport(app.system(), out.system("no.scr"), "no.scr", out.system("keep.exe")); },
         "keep.exe"},
        {"output folder missing",
         [&] {
             return BuildExeExport({app.system(), {"glwmovie.swf"}, out.system("nofolder\\x.exe")}, p);
         },
         nullptr},
    };
    for (const auto& c : cases) {
        auto r = c.run();
        EXPECT_FALSE(r.ok()) << c.what;
        EXPECT_FALSE(r.error().detail.empty()) << c.what;
        if (c.output) {
            EXPECT_EQ(out.read(c.output), "OLD OUTPUT") << c.what;
        }
        EXPECT_FALSE(app.exists("Working/glwexe.dta")) << c.what;
        EXPECT_EQ(app.read("glwbase.exe"), stub) << c.what;
    }
    for (const auto& entry : fs::directory_iterator(out.host())) {
        const auto name = entry.path().filename().string();
        EXPECT_TRUE(name == "keep.exe" || name == "empty.scr") << "left behind: " << name;
    }
}

} // namespace
} // namespace glw::main::test
