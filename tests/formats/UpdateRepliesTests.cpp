// The update site's replies: one table of replies written and read both ways, the replies the updater
// takes for missing pages, the packages it offers and the package bodies that mean "not found".
#include "formats/UpdateReplies.h"

#include <gtest/gtest.h>

namespace glw::formats {
namespace {

// Which ways a row holds: most both; some bytes only read (the writer never writes them so).
enum class Way { Both, ReadOnly };

struct VersionCase {
    const char* what;
    Way way;
    std::string bytes;
    UpdateReply reply;
};

const VersionCase kVersions[] = {
    {"the example reply of the site",
     Way::Both,
     "12/5/2004/host|folder|update.zip/GLW UPDATE\r\n",
     {"12", "5", "2004", "host/folder/update.zip"}},
    {"the site tool's reply with a full address",
     Way::Both,
     "5/12/2004/http:||127.0.0.1:8080|glw|release|glwse.zip/GLW UPDATE\r\n",
     {"5", "12", "2004", "http://127.0.0.1:8080/glw/release/glwse.zip"}},
    {"further fields after the marker stay",
     Way::Both,
     "1/2/2003/a|b.zip/GLW UPDATE/extra\r\n",
     {"1", "2", "2003", "a/b.zip", {"GLW UPDATE", "extra"}}},
    {"the marker in the address", Way::Both, "1/2/2003/GLW UPDATE\r\n", {"1", "2", "2003", "GLW UPDATE", {}}},
    {"a reply without a closing line break",
     Way::ReadOnly,
     "12/5/2004/host|folder|update.zip/GLW UPDATE",
     {"12", "5", "2004", "host/folder/update.zip"}},
    {"line breaks anywhere are dropped, but the marker and 404 are sought in the bytes as they came",
     Way::ReadOnly,
     "12/5/20\r\n04/host|u.zip/GLW UPDATE\n",
     {"12", "5", "2004", "host/u.zip", {"GLW UPDATE"}}},
    {"the marker alone: the missing fields stay empty", Way::ReadOnly, "GLW UPDATE", {"GLW UPDATE", "", "", "", {}}},
};

TEST(UpdateReplyTable, WritesAndReadsEachCase) {
    for (const auto& c : kVersions) {
        const auto read = readUpdateReply(c.bytes);
        ASSERT_TRUE(read.ok()) << c.what;
        EXPECT_EQ(*read, c.reply) << c.what;
        const auto written = writeUpdateReply(c.reply);
        ASSERT_TRUE(written.ok()) << c.what << ": " << written.error().detail;
        if (c.way == Way::Both) {
            EXPECT_EQ(*written, c.bytes) << c.what;
        }
        const auto again = readUpdateReply(*written);
        ASSERT_TRUE(again.ok()) << c.what;
        EXPECT_EQ(*again, c.reply) << c.what;
    }
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
        EXPECT_EQ(readUpdateReply(reply).ok(), accepted) << reply;
    }
    EXPECT_EQ(readUpdateReply("12/5/2004/host|folder|update.zip/GLW UPDATE")->archiveAddress, "host/folder/update.zip");
    EXPECT_EQ(readUpdateReply("12/5/2004/http:||127.0.0.1:8080|r|u.zip/GLW UPDATE")->archiveAddress,
              "http://127.0.0.1:8080/r/u.zip");
    EXPECT_EQ(readUpdateReply("GLW UPDATE")->archiveAddress, "");
}

// The updater looks for the marker and for "404" before it drops the line breaks.
TEST(UpdateReply, TheMarkerAndThe404AreSoughtInTheBytesAsTheyCame) {
    EXPECT_FALSE(readUpdateReply("1/2/2003/a.zip/GLW \r\nUPDATE").ok());
    const auto split404 = readUpdateReply("1/2/2003/a40\r\n4.zip/GLW UPDATE");
    ASSERT_TRUE(split404.ok());
    EXPECT_EQ(split404->archiveAddress, "a404.zip");
    // Written again it would hold "404" whole: the writer refuses it.
    EXPECT_FALSE(writeUpdateReply(*split404).ok());
}

TEST(UpdateReply, TheWriterRefusesWhatWouldNotReadBack) {
    const UpdateReply good{"5", "12", "2004", "http://example.com/glw/release/glwse.zip"};
    struct Case {
        const char* what;
        void (*spoil)(UpdateReply&);
        const char* holds;
    };
    const Case cases[] = {
        {"404 in the port", [](UpdateReply& r) { r.archiveAddress = "http://127.0.0.1:40404/glw/u.zip"; }, "\"404\""},
        {"404 in the year", [](UpdateReply& r) { r.year = "2404"; }, "\"404\""},
        {"a slash in the day", [](UpdateReply& r) { r.day = "5/6"; }, "\"/\""},
        {"a bar in the address", [](UpdateReply& r) { r.archiveAddress = "a|b"; }, "\"|\""},
        {"a line break in a further field", [](UpdateReply& r) { r.more = {"GLW UPDATE\r\n"}; }, "line break"},
        {"no marker", [](UpdateReply& r) { r.more = {"glw update"}; }, "GLW UPDATE"},
    };
    ASSERT_TRUE(writeUpdateReply(good).ok());
    for (const auto& c : cases) {
        UpdateReply reply = good;
        c.spoil(reply);
        const auto written = writeUpdateReply(reply);
        ASSERT_FALSE(written.ok()) << c.what;
        EXPECT_EQ(written.error().code, ErrorCode::Invalid) << c.what;
        EXPECT_NE(written.error().detail.find(c.holds), std::string::npos) << c.what << ": " << written.error().detail;
    }
}

struct ImportsCase {
    const char* what;
    Way way;
    std::string bytes;
    ImportsReply reply;
};

const ImportsCase kImports[] = {
    {"the site tool's list",
     Way::Both,
     "[imports/animals.gwi](Animals)|[imports/loops.gwi](Party loops)|\r\n",
     {{{"imports/animals.gwi", "Animals"}, {"imports/loops.gwi", "Party loops"}}}},
    {"an empty list", Way::Both, "\r\n", {}},
    {"blanks in the path stay", Way::Both, "[ packs/ spaced.gwi ](S)|\r\n", {{{" packs/ spaced.gwi ", "S"}}}},
    {"an empty title", Way::Both, "[flat.gwi]()|\r\n", {{{"flat.gwi", ""}}}},
    {"one entry without a bar offers nothing", Way::ReadOnly, "[packs/animals.gwi](Animals)", {}},
    {"the same entry with its bar offers it",
     Way::ReadOnly,
     "[packs/animals.gwi](Animals)|",
     {{{"packs/animals.gwi", "Animals"}}}},
    {"a last entry without its bar still counts",
     Way::ReadOnly,
     "[a/x.gwi](X)|[a/y.gwi](Y)",
     {{{"a/x.gwi", "X"}, {"a/y.gwi", "Y"}}}},
    {"line breaks are dropped before the list is read", Way::ReadOnly, "[a/x.g\r\nwi](X)\r\n|", {{{"a/x.gwi", "X"}}}},
    {"a title before its path", Way::ReadOnly, "(T)[p/t.gwi]|", {{{"p/t.gwi", "T"}}}},
};

TEST(ImportsReplyTable, WritesAndReadsEachCase) {
    for (const auto& c : kImports) {
        EXPECT_EQ(readImportsReply(c.bytes), c.reply) << c.what;
        const auto written = writeImportsReply(c.reply);
        ASSERT_TRUE(written.ok()) << c.what << ": " << written.error().detail;
        if (c.way == Way::Both) {
            EXPECT_EQ(*written, c.bytes) << c.what;
        }
        EXPECT_EQ(readImportsReply(*written), c.reply) << c.what;
    }
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
        for (const OfferedPackage& p : readImportsReply(c.reply).packages) {
            names.push_back(packageFileName(p.path));
        }
        EXPECT_EQ(names, c.names) << c.reply;
    }
    const auto offered = readImportsReply("[packs/sea.gwi](Sea life)|").packages;
    ASSERT_EQ(offered.size(), 1u);
    EXPECT_EQ(offered[0].path, "packs/sea.gwi");
    EXPECT_EQ(offered[0].title, "Sea life");
}

TEST(ImportsReply, TheWriterRefusesWhatWouldNotReadBack) {
    struct Case {
        const char* what;
        OfferedPackage package;
        const char* holds;
    };
    const Case cases[] = {
        {"404 in a title", {"imports/a.gwi", "Top 404 clips"}, "\"404\""},
        {"404 in a name", {"imports/a404.gwi", "A"}, "\"404\""},
        {"a bar in a title", {"imports/a.gwi", "A|B"}, "may not hold"},
        {"a bracket in a title", {"imports/a.gwi", "A (new)"}, "may not hold"},
        {"a bracket in a path", {"imports/a].gwi", "A"}, "may not hold"},
        {"a path that names no file", {"imports/", "A"}, "file name"},
        {"a path ending in dots", {"imports/..", "A"}, "file name"},
        {"a line break in a title", {"imports/a.gwi", "A\r\nB"}, "line break"},
    };
    for (const auto& c : cases) {
        const auto written = writeImportsReply({{c.package}});
        ASSERT_FALSE(written.ok()) << c.what;
        EXPECT_EQ(written.error().code, ErrorCode::Invalid) << c.what;
        EXPECT_NE(written.error().detail.find(c.holds), std::string::npos) << c.what << ": " << written.error().detail;
    }
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

} // namespace
} // namespace glw::formats
