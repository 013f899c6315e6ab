// The updater's window headless against an in-memory update site: the start, the check with accepted and
// refused replies, the list of packages, and the download road with its failures, none of which may lose
// or half-write a file of the application folder.
#include "UpdaterTestSupport.h"
#include "vb/VbError.h"

namespace glw::updater::test {
namespace {

const std::string kError =
    "Error.|Error Contacting Server.  Please check your connection or try again at a later time.";

TEST_F(UpdaterApp, WithoutDlinfoTheProgramSaysSoAndEnds) {
    std::filesystem::remove(app.host("dlinfo.dat"));
    forms::Services services;
    form.reset();
    rt = std::make_unique<forms::Runtime>(services);
    rt->App.Path = app.system();
    form = std::make_unique<Form1>(*rt, UpdaterServices{client, registration, kSite});
    answerBox();
    EXPECT_THROW(form->Show(), vb::EndProgram);
    EXPECT_EQ(boxes, (std::vector<std::string>{"Error.|No auto update information found for this application.  "
                                               "Please ensure you have the latest program setup fully installed. "}));
    EXPECT_TRUE(rt->ended());
}

TEST_F(UpdaterApp, StartShowsTheTitleAndNothingElseHappens) {
    auto& f = start();
    EXPECT_EQ(f.Caption(), "Glintwave SE Program Updater");
    EXPECT_EQ(f.Label8.Caption(), "Glintwave SE 2 Updates");
    EXPECT_EQ(f.ProgramId, "GLWSE");
    EXPECT_EQ(f.txtSite.Text(), kSite);
    EXPECT_FALSE(f.Command6.Enabled());
    EXPECT_EQ(f.Check2.Value(), 0);
    EXPECT_TRUE(site->requests().empty());
}

TEST_F(UpdaterApp, AnAcceptedReplyShowsTheDatesTicksTheUpdateAndListsNewPackages) {
    app.file("Imports/have.gwi", "already here");
    pages(kReply, "[packs/animals.gwi](Animals)|[packs/have.gwi](Have)|[packs/sea.gwi](Sea life)|");
    auto& f = start();
    check();
    EXPECT_EQ(boxesShown(), 0);
    EXPECT_EQ(f.lblVers.Caption(), "Unknown");
    EXPECT_EQ(f.lblVers2.Caption(), "12 May 2004");
    EXPECT_EQ(f.DownloadURL, "site.test/glw/release/glwse.zip");
    EXPECT_EQ(f.LastUpdateReply, "12/5/2004/site.test|glw|release|glwse.zip/GLW UPDATE");
    EXPECT_EQ(f.Label2.Text(), app.system());
    EXPECT_EQ(f.Check2.Value(), 1);
    EXPECT_TRUE(f.Command6.Enabled());
    EXPECT_TRUE(f.UpdateChecked);
    EXPECT_EQ(checkedKeys(), (std::vector<std::string>{"packs/animals.gwi", "packs/sea.gwi"}));
    EXPECT_EQ(f.OtherDowns.Item("packs/sea.gwi").Text(), "Sea life");
    EXPECT_FALSE(f.OtherDowns.Item(1).Checked());
    // A second check adds nothing twice.
    check();
    EXPECT_EQ(checkedKeys().size(), 2u);
}

TEST_F(UpdaterApp, TheQueryCarriesTheIdPercentEncodedAndAPlainIdUnchanged) {
    app.file("dlinfo.dat", "T|1|glwse.zip|SWFGen.dll| GLW SE&x=1 \r\n");
    site->set(std::string(kSite) + "/glwupd.asp?Prog=GLW%20SE%26x%3D1", {200, kReply});
    auto& f = start();
    f.txtSite.Text = std::string("  ") + kSite + " ";
    check();
    ASSERT_GE(site->requests().size(), 2u);
    EXPECT_EQ(site->requests()[0], std::string(kSite) + "/glwupd.asp?Prog=GLW%20SE%26x%3D1");
    EXPECT_EQ(site->requests()[1], std::string(kSite) + "/glwimps.asp?Prog=GLW%20SE%26x%3D1");
    EXPECT_EQ(f.lblVers2.Caption(), "12 May 2004");
}

TEST_F(UpdaterApp, RefusedRepliesShowTheErrorAndChangeNothingElse) {
    struct Case {
        const char* what;
        std::optional<http::MemoryReply> reply; // none: no server
    };
    const Case cases[] = {
        {"marker in other case", http::MemoryReply{200, "12/5/2004/h|f|u.zip/Glw Update"}},
        {"404 in the date", http::MemoryReply{200, "1/1/2404/h|f|u.zip/GLW UPDATE"}},
        {"empty", http::MemoryReply{200, ""}},
        {"blank", http::MemoryReply{200, "    "}},
        {"error status", http::MemoryReply{500, kReply}},
        {"cut off", http::MemoryReply{200, kReply, true, 10}},
        {"no server", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        site = std::make_shared<http::MemoryClient>();
        client = std::make_shared<HookedClient>(site);
        if (c.reply) {
            pages(c.reply->body, "[p/a.gwi](A)|");
            site->set(std::string(kSite) + "/glwupd.asp?Prog=GLWSE", *c.reply);
        }
        boxes.clear();
        auto& f = start();
        check(true);
        EXPECT_EQ(boxes, (std::vector<std::string>{kError}));
        EXPECT_EQ(f.Check2.Value(), 0);
        EXPECT_FALSE(f.Command6.Enabled());
        EXPECT_FALSE(f.UpdateChecked);
        EXPECT_EQ(f.OtherDowns.Count(), 0);
        EXPECT_EQ(f.lblVers.Caption(), "Unknown");
        EXPECT_EQ(site->requests().size(), 1u);
    }
}

TEST_F(UpdaterApp, ADamagedUpdatedDatShowsUnknownAndCountsAsOlder) {
    app.file("updated.dat", std::string("\x01garbage\xff\r\n"));
    pages(kReply, "");
    auto& f = start();
    check();
    EXPECT_EQ(f.lblVers.Caption(), "Unknown");
    EXPECT_EQ(f.Check2.Value(), 1);
}

TEST_F(UpdaterApp, NoUpdatesRequiredOnlyWhenBothPagesAnswered) {
    app.file("updated.dat", "12/5/2004/site.test|glw|release|glwse.zip/GLW UPDATE\r\n");
    pages(kReply, "");
    auto& f = start();
    check(true);
    EXPECT_EQ(boxes, (std::vector<std::string>{"Update Complete.|No updates required!"}));
    EXPECT_EQ(f.lblVers.Caption(), f.lblVers2.Caption());
    EXPECT_EQ(f.Check2.Value(), 0);
    EXPECT_TRUE(f.Command6.Enabled());

    // The imports page fails: nobody can say that nothing is required.
    site->set(std::string(kSite) + "/glwimps.asp?Prog=GLWSE", {404, "Not here"});
    boxes.clear();
    check();
    EXPECT_EQ(boxesShown(), 1);
}

TEST_F(UpdaterApp, OnlyTheFirst1024CharactersOfAPageAreRead) {
    std::string imports;
    for (int i = 0; imports.size() < 1000; ++i) {
        imports += "[p/pack" + std::to_string(100 + i) + ".gwi](Pack)|";
    }
    const std::size_t kept = imports.size();
    imports += "[p/beyond.gwi](Beyond)|";
    ASSERT_GT(imports.size(), 1024u);
    pages(kReply, imports);
    auto& f = start();
    check();
    EXPECT_EQ(f.OtherDowns.find("p/beyond.gwi"), nullptr);
    EXPECT_EQ(f.OtherDowns.Count(), int(kept / std::string("[p/pack100.gwi](Pack)|").size()));
}

TEST_F(UpdaterApp, WhileATransferRunsCheckAndDownloadDoNothing) {
    pages(kReply, "[p/a.gwi](A)|");
    auto& f = start();
    check();
    f.OtherDowns.Item(1).setChecked(true);
    release({200, zipBytes({{"new.txt", "new"}}) + std::string(5000, '\0')}); // many pieces
    int reentered = 0;
    client->onPoll = [&] {
        if (reentered++ == 0) {
            const std::size_t before = site->requests().size();
            f.Command1.userClick();
            f.Command6.userClick();
            EXPECT_EQ(site->requests().size(), before);
            EXPECT_TRUE(f.busy());
        }
    };
    f.Command6.userClick();
    EXPECT_GT(reentered, 1);
    EXPECT_FALSE(f.busy());
}

TEST_F(UpdaterApp, DownloadBeforeACheckAsksForTheCheck) {
    auto& f = start();
    f.Command6.Enabled = true;
    answerBox();
    f.Command6.userClick();
    EXPECT_EQ(boxes, (std::vector<std::string>{"Error.|Please check for updates first!"}));
    EXPECT_FALSE(f.Frame3.Visible());
}

// The whole road in memory: the release and two packages, the counter, the install, the registration,
// updated.dat, and the next start that finds nothing to do.
TEST_F(UpdaterApp, DownloadInstallsTheReleaseRegistersTheComponentAndFetchesTicketPackages) {
    app.file("old.txt", "old");
    const std::string archive = zipBytes({{"SWFGen.dll", "component v2"},
                                          {"Resource/new.jpg", "picture"},
                                          {"old.txt", "replaced"},
                                          {"endup.swf", "FWS movie"}});
    release({200, archive});
    const std::string animals = zipBytes({{"impinfo.dat", "[clipart]{Animals}\r\n"}, {"Animals/a.swf", "FWS"}}, "pw");
    const std::string sea = zipBytes({{"impinfo.dat", "[clipart]{Sea}\r\n"}, {"Sea/s.swf", "FWS"}}, "pw");
    pages(kReply, "[packs/animals.gwi](Animals)|[packs/skip.gwi](Skipped)|[packs/sea.gwi](Sea life)|");
    package("packs/animals.gwi", {200, animals});
    package("packs/sea.gwi", {200, sea, false}); // chunked: no length
    auto& f = start();
    check();
    f.OtherDowns.Item("packs/animals.gwi").setChecked(true);
    f.OtherDowns.Item("packs/sea.gwi").setChecked(true);
    f.Label2.Text = "C:\\elsewhere"; // the user's edit does not move the registration
    std::vector<std::string> counters;
    client->onGet = [&](const std::string&) { counters.push_back(f.txtStat.Caption()); };
    f.Command6.userClick();

    EXPECT_EQ(counters, (std::vector<std::string>{"Downloading 1 of 3", "Downloading 2 of 3", "Downloading 3 of 3"}));
    EXPECT_EQ(f.List1.items(),
              (std::vector<std::string>{"Update Download Complete - Now Installing.",
                                        "Installation of Update Complete.", " ", "Downloading Imports",
                                        "   animals.gwi Download Complete.", "   sea.gwi Download Complete."}));
    EXPECT_EQ(app.read("old.txt"), "replaced");
    EXPECT_EQ(app.read("Resource/new.jpg"), "picture");
    EXPECT_EQ(app.read("glwse.zip"), archive);
    EXPECT_EQ(app.read("Imports/animals.gwi"), animals);
    EXPECT_EQ(app.read("Imports/sea.gwi"), sea);
    EXPECT_EQ(f.lblRecieved.Caption(), std::to_string(sea.size()) + " bytes"); // the real count
    EXPECT_EQ(f.lblSize.Caption(), "Unknown");
    EXPECT_EQ(f.Prog.Value(), 100);
    EXPECT_EQ(app.read("updated.dat"), "12/5/2004/site.test|glw|release|glwse.zip/GLW UPDATE\r\n");
    ASSERT_EQ(registration->calls().size(), 1u);
    EXPECT_EQ(registration->calls()[0], (std::vector<std::string>{app.system() + "\\SWFGen.dll", "/s"}));
    EXPECT_TRUE(f.Frame3.Visible()); // its information list stays in view
    EXPECT_TRUE(f.Frame4.Visible());
    EXPECT_EQ(f.FlashEnd.Movie(), app.system() + "\\endup.swf");
    EXPECT_EQ(f.Label10.Caption(), " Updates Complete!");
    for (const auto& [name, bytes] : snapshot(app.host())) {
        EXPECT_EQ(name.find(".glwpart-"), std::string::npos) << name;
    }

    // The next start: same dates, nothing new to fetch.
    client->onGet = nullptr;
    form.reset();
    auto& again = start();
    check();
    EXPECT_EQ(again.Check2.Value(), 0);
    EXPECT_EQ(checkedKeys(), (std::vector<std::string>{"packs/skip.gwi"}));
}

// Broken releases: whatever comes, no file of the application folder is lost or half-written.
TEST_F(UpdaterApp, BrokenReleasesLeaveTheApplicationFolderAsItWas) {
    struct Case {
        const char* what;
        std::optional<http::MemoryReply> reply; // none: no server
        const char* line;                       // the List1 line after the download
        bool unpackMessage;
    };
    const std::string good = zipBytes({{"old.txt", "new"}, {"SWFGen.dll", "c"}});
    const Case cases[] = {
        {"404", http::MemoryReply{404, "<html>404</html>"}, "Error Downloading Update.", false},
        {"no server", std::nullopt, "Error Downloading Update.", false},
        {"truncated", http::MemoryReply{200, good, true, good.size() / 2}, "Error Downloading Update.", false},
        {"not an archive", http::MemoryReply{200, "<html>Server busy</html>"}, "Error Downloading Update.", false},
        {"zip slip", http::MemoryReply{200, zipBytes({{"old.txt", "new"}, {"../escape.txt", "x"}})},
         "Update Download Complete - Now Installing.", true},
        {"absolute name", http::MemoryReply{200, zipBytes({{"old.txt", "new"}, {"/tmp/glw-abs.txt", "x"}})},
         "Update Download Complete - Now Installing.", true},
        {"drive letter", http::MemoryReply{200, zipBytes({{"old.txt", "new"}, {"C:\\glw-drive.txt", "x"}})},
         "Update Download Complete - Now Installing.", true},
        {"link", http::MemoryReply{200, zipBytes({{"old.txt", "new"}, {"Resource", "/etc", true}})},
         "Update Download Complete - Now Installing.", true},
        {"encrypted", http::MemoryReply{200, zipBytes({{"old.txt", "new"}}, "secret")},
         "Update Download Complete - Now Installing.", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        form.reset();
        for (const auto& entry : std::filesystem::directory_iterator(app.host())) {
            std::filesystem::remove_all(entry.path());
        }
        SetUp();
        app.file("old.txt", "old");
        app.file("SWFGen.dll", "c");
        app.file("updated.dat", "1/1/2000/x/GLW UPDATE\r\n");
        app.file("glwse.zip", "the archive of an earlier run");
        site = std::make_shared<http::MemoryClient>();
        client = std::make_shared<HookedClient>(site);
        registration = std::make_shared<RecordingComponentRegistration>();
        pages(kReply, "");
        if (c.reply) {
            release(*c.reply);
        }
        boxes.clear();
        auto& f = start();
        check();
        auto before = snapshot(app.host());
        if (c.unpackMessage) {
            answerBox();
        }
        f.Command6.userClick();
        EXPECT_EQ(ui().pending(), 0u);
        EXPECT_EQ(f.List1.items().front(), c.line);
        // A failed update never closes as complete: the heading and the list's last line say it failed.
        EXPECT_EQ(f.Label10.Caption(), " Program Update Failed!");
        EXPECT_EQ(f.List1.items().back(), c.unpackMessage ? "Installation of Update Failed." : c.line);
        if (c.unpackMessage) {
            EXPECT_EQ(boxes, (std::vector<std::string>{"Error!|An Error Occured Updating the Program Files!"}));
            // The new archive stays, as the download left it; nothing else changed.
            auto after = snapshot(app.host());
            ASSERT_EQ(after.count("glwse.zip"), 1u);
            EXPECT_EQ(after.at("glwse.zip"), c.reply->body);
            after.erase("glwse.zip");
            before.erase("glwse.zip");
            EXPECT_EQ(after, before);
        } else {
            EXPECT_EQ(snapshot(app.host()), before);
        }
        EXPECT_TRUE(registration->calls().empty());
        EXPECT_FALSE(std::filesystem::exists("/tmp/glw-abs.txt"));
        EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(app.host()).parent_path() / "escape.txt"));
        EXPECT_TRUE(f.Frame4.Visible());
    }
}

TEST_F(UpdaterApp, PackagesNotFoundFailedOrAlreadyThere) {
    const std::string real = zipBytes({{"impinfo.dat", "[clipart]{A}\r\n"}, {"A/clip404.swf", "FWS"}},
                                      "pw"); // the name stands in the archive unencrypted
    ASSERT_NE(real.find("404"), std::string::npos);
    struct Case {
        const char* name;
        http::MemoryReply reply;
        const char* line;
        bool kept;
    };
    const Case cases[] = {
        {"holds404.gwi", {200, real}, " Download Complete.", true},
        {"missing.gwi", {404, "<html>404 Not Found</html>"}, " Not Found On The Server.", false},
        {"servererror.gwi", {500, "oops"}, " Not Found On The Server.", false},
        {"empty.gwi", {200, ""}, " Not Found On The Server.", false},
        {"blank.gwi", {200, "  \r\n "}, " Not Found On The Server.", false},
        {"errorpage.gwi", {200, "<html>Error 404: no such file</html>"}, " Not Found On The Server.", false},
        {"cut.gwi", {200, real, true, real.size() - 10}, " Download Failed.", false},
        {"notazip.gwi", {200, "hello, world"}, " Download Failed.", false},
        {"chunked.gwi", {200, real, false}, " Download Complete.", true},
    };
    std::string imports;
    for (const Case& c : cases) {
        imports += std::string("[p/") + c.name + "](" + c.name + ")|";
        package(std::string("p/") + c.name, c.reply);
    }
    imports += "[p/present.gwi](Present)|";
    pages("1/1/2000/x/GLW UPDATE", imports);
    app.file("updated.dat", "1/1/2000/x/GLW UPDATE\r\n");
    auto& f = start();
    check();
    for (const auto& item : f.OtherDowns.items()) {
        item->setChecked(true);
    }
    app.file("Imports/present.gwi", "mine"); // arrived after the check
    f.Command6.userClick();

    std::vector<std::string> expected{" ", "Downloading Imports"};
    for (const Case& c : cases) {
        expected.push_back(std::string("   ") + c.name + c.line);
    }
    expected.push_back("   present.gwi Has Already Been Downloaded!");
    EXPECT_EQ(f.List1.items(), expected);
    for (const Case& c : cases) {
        EXPECT_EQ(app.exists(std::string("Imports/") + c.name), c.kept) << c.name;
    }
    EXPECT_EQ(app.read("Imports/present.gwi"), "mine");
    EXPECT_EQ(snapshot(app.host("Imports")).size(), 3u); // nothing half-written beside them
    EXPECT_EQ(f.Label10.Caption(), " Updates Finished, Some Downloads Failed!");
}

TEST_F(UpdaterApp, AMissingImportsFolderIsCreated) {
    pages("1/1/2000/x/GLW UPDATE", "[p/a.gwi](A)|");
    package("p/a.gwi", {200, zipBytes({{"impinfo.dat", "[clipart]{A}"}})});
    auto& f = start();
    check();
    ASSERT_FALSE(app.exists("Imports"));
    f.OtherDowns.Item(1).setChecked(true);
    f.Command6.userClick();
    EXPECT_TRUE(app.exists("Imports/a.gwi"));
}

} // namespace
} // namespace glw::updater::test
