// The updater's own files, read by the pure functions behind the window, and the component registry.
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
