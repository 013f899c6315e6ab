// The updater's window with the real HTTP client against a site laid out by the update-site tool and
// served on 127.0.0.1: replies accepted and refused, and in every case no file of the application folder
// lost or half-written.
#include "UpdaterTestSupport.h"
#include "support/HttpServer.h"
#include "updatesite/UpdateSite.h"

namespace glw::updater::test {
namespace {

std::string ReplaceBars(std::string text) {
    std::replace(text.begin(), text.end(), '/', '|');
    return text;
}

class LocalSite : public UpdaterApp {
protected:
    platform::test::TempDir work;
    glw::test::HttpServer server{work.host("site")};

    void SetUp() override {
        client = std::make_shared<HookedClient>(std::make_shared<http::CurlClient>());
        siteText = server.base();
        work.file("release/old.txt", "new");
        work.file("release/SWFGen.dll", "component v2");
        work.file("release/Resource/more.jpg", "picture");
        work.file("animals/impinfo.dat", "[clipart]{Animals}\r\n");
        work.file("animals/Animals/a.swf", "FWS animal");
        work.file("loops/impinfo.dat", "[MP3Loops]{Party loops}\r\n");
        work.file("loops/party.mp3", "ID3 loop");
        tools::SiteLayout layout{
            work.host("site"), server.base(),
            "5/12/2004",       work.host("release"),
            "glwse.zip",       {{work.host("animals"), "Animals"}, {work.host("loops"), "Party loops"}}};
        auto made = tools::layOutUpdateSite(layout);
        ASSERT_TRUE(made.ok()) << made.error().detail;
        SetUpAppOnly();
    }

    // The installed application folder: dlinfo.dat and three files the release replaces or leaves.
    void SetUpAppOnly() {
        UpdaterApp::SetUp();
        app.file("old.txt", "old");
        app.file("SWFGen.dll", "component v1");
        app.file("glwupdate.exe", "the running program");
    }

    std::string siteFile(const std::string& relative) const { return work.read("site/" + relative); }
};

TEST_F(LocalSite, TheToolWritesThePagesTheUpdaterReads) {
    EXPECT_EQ(siteFile("glwupd.asp"), "5/12/2004/" + ReplaceBars(server.base()) + "|release|glwse.zip/GLW UPDATE\r\n");
    EXPECT_EQ(siteFile("glwimps.asp"), "[imports/animals.gwi](Animals)|[imports/loops.gwi](Party loops)|\r\n");
    EXPECT_TRUE(zip::listZipEntries(work.host("site/release/glwse.zip")).ok());
    auto entries = zip::listZipEntries(work.host("site/imports/animals.gwi"));
    ASSERT_TRUE(entries.ok());
    EXPECT_NE(entries->front().encryptionMethod, 0);
}

// A reply holding "404" anywhere is read by the updater as a missing page: the tool refuses to write one.
TEST(UpdateSiteTool, RefusesRepliesTheUpdaterWouldTakeForMissingPages) {
    platform::test::TempDir work;
    work.file("pack/impinfo.dat", "[clipart]{Pack}\r\n");
    struct Case {
        const char* what;
        std::string address, releaseName, title;
    };
    const Case cases[] = {
        {"port", "http://127.0.0.1:40404/glw", "glwse.zip", "Pack"},
        {"path", "http://example.com/p404", "glwse.zip", "Pack"},
        {"release", "http://example.com/glw", "glwse-404.zip", "Pack"},
        {"title", "http://example.com/glw", "glwse.zip", "Top 404 clips"},
    };
    for (const Case& c : cases) {
        tools::SiteLayout layout{work.host(std::string("site-") + c.what),
                                 c.address,
                                 "5/12/2004",
                                 "",
                                 c.releaseName,
                                 {{work.host("pack"), c.title}}};
        auto made = tools::layOutUpdateSite(layout);
        ASSERT_FALSE(made.ok()) << c.what;
        EXPECT_EQ(made.error().code, ErrorCode::Invalid) << c.what;
        EXPECT_NE(made.error().detail.find("\"404\""), std::string::npos) << c.what;
        EXPECT_FALSE(work.exists(std::string("site-") + c.what + "/glwimps.asp")) << c.what;
    }
}

// A refused reply is found before anything is written: no half-made site is left behind.
TEST(UpdateSiteTool, ARefusedSiteWritesNothing) {
    platform::test::TempDir work;
    work.file("release/old.txt", "new");
    work.file("pack/impinfo.dat", "[clipart]{Pack}\r\n");
    tools::SiteLayout layout{work.host("site"), "http://example.com/glw",           "5/12/2004", work.host("release"),
                             "glwse.zip",       {{work.host("pack"), "Pack (old)"}}};
    auto made = tools::layOutUpdateSite(layout);
    ASSERT_FALSE(made.ok());
    EXPECT_EQ(made.error().detail, "a title may not hold \"|\", \"(\" or \")\": Pack (old)");
    EXPECT_FALSE(work.exists("site"));
}

TEST_F(LocalSite, RepliesAcceptedAndRefusedNeverLoseOrHalfWriteAFile) {
    const std::string release = siteFile("release/glwse.zip");
    const std::string slip = zipBytes({{"old.txt", "new"}, {"../escape.txt", "x"}});
    struct Case {
        const char* what;
        std::function<void()> arrange;
        std::vector<std::string> lines; // List1 after the download
        std::vector<std::string> boxes; // boxes of the check and the download
        bool installed;
    };
    const std::string refused = "Error.|Error Contacting Server.  Please check your connection or try again at a "
                                "later time.";
    const std::string unpack = "Error!|An Error Occured Updating the Program Files!";
    const std::vector<std::string> packagesDone = {" ", "Downloading Imports", "   animals.gwi Download Complete.",
                                                   "   loops.gwi Download Complete."};
    auto with = [&](std::vector<std::string> first) {
        first.insert(first.end(), packagesDone.begin(), packagesDone.end());
        return first;
    };
    const std::vector<std::string> installedLines =
        with({"Update Download Complete - Now Installing.", "Installation of Update Complete."});
    const Case cases[] = {
        {"served as laid out", [] {}, installedLines, {}, true},
        {"no server",
         [&] {
             glw::test::HttpServer gone;
             siteText = gone.base();
         },
         {},
         {refused},
         false},
        {"release 404",
         [&] {
             server.route("/release/glwse.zip", {404, "<html>404 Not Found</html>"});
         },
         with({"Error Downloading Update."}),
         {},
         false},
        {"release chunked with no length",
         [&] {
             server.route("/release/glwse.zip", {200, release, true});
         },
         installedLines,
         {},
         true},
        {"release truncated",
         [&] {
             server.route("/release/glwse.zip", {200, release, false, long(release.size() / 2)});
         },
         with({"Error Downloading Update."}),
         {},
         false},
        {"release with an escaping entry",
         [&] {
             server.route("/release/glwse.zip", {200, slip});
         },
         with({"Update Download Complete - Now Installing.", "Installation of Update Failed."}),
         {unpack},
         false},
        {"package whose bytes hold 404",
         [&] {
             work.file("site/imports/animals.gwi",
                       zipBytes({{"impinfo.dat", "[clipart]{Animals}"}, {"Animals/404.swf", "FWS"}}, "pw"));
         },
         installedLines,
         {},
         true},
        {"damaged updated.dat", [&] { app.file("updated.dat", "\xff\xfe damaged"); }, installedLines, {}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        form.reset();
        for (const auto& entry : std::filesystem::directory_iterator(app.host())) {
            std::filesystem::remove_all(entry.path());
        }
        SetUpAppOnly();
        siteText = server.base();
        server.route("/release/glwse.zip", {200, release});
        c.arrange();
        registration = std::make_shared<RecordingComponentRegistration>();
        boxes.clear();
        const auto before = snapshot(app.host());
        auto& f = start();
        for (std::size_t i = 0; i < c.boxes.size(); ++i) {
            answerBox();
        }
        f.Command1.userClick();
        for (int k = 1; k <= f.OtherDowns.Count(); ++k) {
            f.OtherDowns.Item(k).setChecked(true);
        }
        f.Command6.userClick();
        EXPECT_EQ(ui().pending(), 0u);
        EXPECT_EQ(boxes, c.boxes);
        EXPECT_EQ(f.List1.items(), c.lines);

        // Every file is either as it was or as the site gave it, whole.
        const auto after = snapshot(app.host());
        for (const auto& [name, bytes] : before) {
            ASSERT_EQ(after.count(name), 1u) << name << " was lost";
            if (c.installed && work.exists("release/" + name)) {
                EXPECT_EQ(after.at(name), work.read("release/" + name)) << name;
            } else if (name != "updated.dat" || !c.installed) {
                EXPECT_EQ(after.at(name), bytes) << name;
            }
        }
        for (const auto& [name, bytes] : after) {
            EXPECT_EQ(name.find(".glwpart-"), std::string::npos) << name;
            if (name.rfind("Imports/", 0) == 0) {
                EXPECT_EQ(bytes, siteFile("imports/" + name.substr(8))) << name;
            }
        }
        EXPECT_EQ(after.count("glwupdate.exe"), 1u);
        EXPECT_EQ(registration->calls().size(), c.installed ? 1u : 0u);
        if (c.installed) {
            EXPECT_EQ(after.at("updated.dat"),
                      "5/12/2004/" + ReplaceBars(server.base()) + "|release|glwse.zip/GLW UPDATE\r\n");
        }
        EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(app.host()).parent_path() / "escape.txt"));
    }
}

// Replies that never end, or come too slowly to end: the check and the download end within their bounds
// and say what failed. The bounds are shortened here; docs/updater.md gives the real ones.
TEST_F(LocalSite, EndlessAndTricklingRepliesEndWithinTheirBounds) {
    const std::string spaces(1 << 20, ' '); // a megabyte of blanks: a page that goes on for ever
    // The version page names the release on the server of each case; the mark stands for its address.
    const std::string update = "5/12/2004/@@|release|glwse.zip/GLW UPDATE";
    const std::string refused = "Error.|Error Contacting Server.  Please check your connection or try again at a "
                                "later time.";
    struct Case {
        const char* what;
        std::string route;
        glw::test::HttpServer::Route reply;
        std::vector<std::string> boxes;
        std::vector<std::string> lines; // List1 after the download (none when the check failed)
        const char* heading;
    };
    const Case cases[] = {
        {"the version page's first 1,024 bytes, then 100 bytes every half second",
         "/glwupd.asp",
         {200, update + spaces, false, -1, "text/html", 1024, 100, 500},
         {},
         {"Update Download Complete - Now Installing.", "Installation of Update Complete.", " ", "Downloading Imports",
          "   animals.gwi Download Complete.", "   loops.gwi Download Complete."},
         " Updates Complete!"},
        {"the version page at 10 bytes a fifth of a second",
         "/glwupd.asp",
         {200, update + spaces, false, -1, "text/html", 0, 10, 200},
         {refused},
         {},
         ""},
        {"the release at 1 byte a fifth of a second",
         "/release/glwse.zip",
         {200, siteFile("release/glwse.zip"), false, -1, "application/zip", 0, 1, 200},
         {},
         {"Error Downloading Update.", " ", "Downloading Imports", "   animals.gwi Download Complete.",
          "   loops.gwi Download Complete."},
         " Program Update Failed!"},
        {"a package at 1 byte a fifth of a second",
         "/imports/animals.gwi",
         {200, siteFile("imports/animals.gwi"), false, -1, "application/zip", 0, 1, 200},
         {},
         {"Update Download Complete - Now Installing.", "Installation of Update Complete.", " ", "Downloading Imports",
          "   animals.gwi Download Failed.", "   loops.gwi Download Complete."},
         " Updates Finished, Some Downloads Failed!"},
    };
    limits.pageSeconds = 3;
    limits.downloadSlowSeconds = 2;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        form.reset();
        for (const auto& entry : std::filesystem::directory_iterator(app.host())) {
            std::filesystem::remove_all(entry.path());
        }
        SetUpAppOnly();
        glw::test::HttpServer trickling{work.host("site")};
        const std::string here = ReplaceBars(trickling.base());
        auto routed = [&](glw::test::HttpServer::Route route) {
            for (std::size_t at; (at = route.body.find("@@")) != std::string::npos;) {
                route.body.replace(at, 2, here);
            }
            return route;
        };
        trickling.route("/glwupd.asp", routed({200, update, false, -1, "text/html"}));
        trickling.route(c.route, c.route == "/glwupd.asp" ? routed(c.reply) : c.reply);
        siteText = trickling.base();
        boxes.clear();
        auto& f = start();
        for (std::size_t i = 0; i < c.boxes.size(); ++i) {
            answerBox();
        }
        f.Command1.userClick();
        EXPECT_EQ(boxes, c.boxes);
        if (c.lines.empty()) {
            continue;
        }
        for (int k = 1; k <= f.OtherDowns.Count(); ++k) {
            f.OtherDowns.Item(k).setChecked(true);
        }
        f.Command6.userClick();
        EXPECT_EQ(ui().pending(), 0u);
        EXPECT_EQ(f.List1.items(), c.lines);
        EXPECT_EQ(f.Label10.Caption(), c.heading);
        EXPECT_EQ(f.List1.ListIndex(), f.List1.ListCount() - 1) << "the newest line is in view";
    }
}

} // namespace
} // namespace glw::updater::test
