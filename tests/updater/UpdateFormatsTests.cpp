// The updater's files and the update site's replies, read by the pure functions behind the window.
#include "platform/TempDir.h"
#include "updater/ComponentRegistration.h"
#include "updater/UpdateFormats.h"

#include <gtest/gtest.h>

namespace glw::updater {
namespace {

TEST(DispDate, DatesAndDamagedTexts) {
    const std::pair<const char*, const char*> cases[] = {
        {"5/12/2004", "5 December 2004"},
        {"12/5/2004/site|glw|x.zip/GLW UPDATE", "12 May 2004"},
        {"1/1/1999\r\n", "1 January 1999"},
        {"3/13/2004", "3  2004"}, // a month number outside 1 to 12 gives no name
        {"3/0/2004", "3  2004"},
        {"3/ 7 /2004", "3 July 2004"},
        // Damaged texts: never an error, always "Unknown".
        {"", "Unknown"},
        {"garbage", "Unknown"},
        {"5/12", "Unknown"},
        {"5/May/2004", "Unknown"},
        {"5//2004", "Unknown"},
        {"5/-1/2004", "Unknown"},
        {"5/99999999999999999999/2004", "Unknown"},
        {"\x01\xff/\x80/\x00", "Unknown"},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(DispDate(text), expected) << text;
    }
}

TEST(DlInfoFile, FieldsAreSplitAtBarsAndStrippedOfLineBreaksAndBlanks) {
    const DlInfo info = readDlInfo(" Glintwave SE Updates |1|glwse.zip\t|SWFGen.dll|GLWSE\r\n");
    EXPECT_EQ(info.UpdateTitle, "Glintwave SE Updates");
    EXPECT_EQ(info.UpdateArchivePath, "glwse.zip");
    EXPECT_EQ(info.ComponentPath, "SWFGen.dll");
    EXPECT_EQ(info.ProgramId, "GLWSE");
    const DlInfo shortFile = readDlInfo("Title only");
    EXPECT_EQ(shortFile.UpdateTitle, "Title only");
    EXPECT_EQ(shortFile.ProgramId, "");
    EXPECT_EQ(readDlInfo("a|b|c|d|line\r\nbreak").ProgramId, "line\r\nbreak"); // inner breaks stay
}

TEST(UpdateReply, AcceptedAndRefused) {
    const std::pair<const char*, bool> cases[] = {
        {"12/5/2004/host|folder|update.zip/GLW UPDATE", true},
        {"GLW UPDATE", true},
        {"12/5/2004/host|folder|update.zip/glw update", false}, // the marker in other letter case
        {"1/1/2404/host|f|u.zip/GLW UPDATE", false},            // "404" inside the date
        {"1/5/2004/host|f|u404.zip/GLW UPDATE", false},         // "404" inside the file name
        {"", false},
        {"     ", false},
        {"<html>Not Found</html>", false},
    };
    for (const auto& [reply, accepted] : cases) {
        EXPECT_EQ(acceptUpdateReply(reply), accepted) << reply;
    }
    EXPECT_EQ(downloadAddress("12/5/2004/host|folder|update.zip/GLW UPDATE"), "host/folder/update.zip");
    EXPECT_EQ(downloadAddress("12/5/2004/http:||127.0.0.1:8080|r|u.zip/GLW UPDATE"), "http://127.0.0.1:8080/r/u.zip");
    EXPECT_EQ(downloadAddress("GLW UPDATE"), "");
}

TEST(ImportsReply, OfferedPackages) {
    struct Case {
        const char* reply;
        std::vector<std::string> names;
    };
    const Case cases[] = {
        {"[packs/animals.gwi](Animals)", {}}, // one entry without "|" offers nothing
        {"[packs/animals.gwi](Animals)|", {"animals.gwi"}},
        {"[packs/animals.gwi](Animals)|[packs/sea.gwi](Sea life)|", {"animals.gwi", "sea.gwi"}},
        {"[ packs/ spaced.gwi ](S)|", {"spaced.gwi"}},
        {"[flat.gwi](Flat)|", {"flat.gwi"}},
        {"(no path)|[](empty path)|[p/ok.gwi](Ok)", {"ok.gwi"}},
        {"[p/](slash)|[p/.](dot)|[p/..](dots)|[p/a:b.gwi](colon)|[p/a\x01.gwi](control)|", {}},
        {"[p\\q\\back.gwi](Backslashes)|", {"back.gwi"}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> names;
        for (const OfferedPackage& p : readImportsReply(c.reply)) {
            names.push_back(p.name);
        }
        EXPECT_EQ(names, c.names) << c.reply;
    }
    const auto offered = readImportsReply("[packs/sea.gwi](Sea life)|");
    ASSERT_EQ(offered.size(), 1u);
    EXPECT_EQ(offered[0].path, "packs/sea.gwi");
    EXPECT_EQ(offered[0].title, "Sea life");
}

TEST(PackageBody, WhatCountsAsNotFound) {
    struct Case {
        std::string body;
        bool isZip;
        bool notFound;
    };
    const Case cases[] = {
        {"", false, true},
        {"  \r\n\t", false, true},
        {"<html><body>404 Not Found</body></html>", false, true},
        {"hello", false, false},                                 // not found is not the word for it: a bad download
        {std::string("PK\x03\x04", 4) + "..404..", true, false}, // an archive whose bytes hold "404"
        {std::string("PK\x05\x06", 4) + std::string(18, 0), true, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(bodyMeansNotFound(c.body, c.isZip), c.notFound) << c.body;
    }
}

TEST(FileComponentRegistry, RecordsEachComponentOnceInThePerUserFile) {
    platform::test::TempDir dir;
    dir.file("app/SWFGen.dll", "component");
    FileComponentRegistry registry(dir.host("config/glw"));
    const std::string component = dir.system("app\\SWFGen.dll");
    ASSERT_TRUE(registry.registerComponent({component, "/s"}).ok());
    ASSERT_TRUE(registry.registerComponent({component, "/s"}).ok());
    EXPECT_EQ(registry.registered(), (std::vector<std::string>{component}));
    EXPECT_EQ(dir.read("config/glw/components.lst"), component + "\n");

    const auto missing = registry.registerComponent({dir.system("app\\Missing.dll"), "/s"});
    ASSERT_FALSE(missing.ok());
    EXPECT_EQ(missing.error().code, ErrorCode::NotFound);
    const auto none = registry.registerComponent({"/s"});
    ASSERT_FALSE(none.ok());
    EXPECT_EQ(none.error().code, ErrorCode::Invalid);
    // A name with shell characters is an argument like any other: nothing runs, it is only recorded.
    dir.file("app/a;touch x$(id).dll", "c");
    ASSERT_TRUE(registry.registerComponent({dir.system("app\\a;touch x$(id).dll")}).ok());
    EXPECT_EQ(registry.registered().size(), 2u);
}

} // namespace
} // namespace glw::updater
