// The installer's registry layer: the memory and the file store behind the same calls, and the file format.
#include "platform/FileRegistry.h"
#include "platform/Registry.h"
#include "platform/ServicesMemory.h"
#include "platform/TempDir.h"

#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <sys/stat.h>

using namespace glw::platform;
using glw::platform::test::TempDir;

namespace {

struct StoreKind {
    const char* name;
    std::function<std::unique_ptr<Registry>(const std::string& folder)> make;
};

const StoreKind kStores[] = {
    {"memory", [](const std::string&) { return std::make_unique<MemoryRegistry>(); }},
    {"file", [](const std::string& folder) { return std::make_unique<FileRegistry>(folder + "/glw/registry.ini"); }},
};

class RegistryStore : public ::testing::TestWithParam<StoreKind> {
protected:
    TempDir dir;
    std::unique_ptr<Registry> registry = GetParam().make(dir.host());
};

TEST_P(RegistryStore, ValueWrittenThroughAKeyReadsBackWhateverTheSpellingOfKeyAndName) {
    auto key = registry->RegCreateKey(HKEY_CURRENT_USER, "Control Panel\\Desktop\\");
    ASSERT_TRUE(key.ok()) << key.error().detail;
    ASSERT_TRUE(registry->RegSetValueEx(*key, "SCRNSAVE.EXE", REG_SZ, "C:\\savers\\a.scr").ok());
    EXPECT_TRUE(registry->RegCloseKey(*key).ok());

    EXPECT_EQ(registry->queryValue(HKEY_CURRENT_USER, "Control Panel\\Desktop", "SCRNSAVE.EXE"), "C:\\savers\\a.scr");
    EXPECT_EQ(registry->queryValue(HKEY_CURRENT_USER, "\\control panel\\\\DESKTOP\\", "scrnsave.exe"),
              "C:\\savers\\a.scr");
    EXPECT_EQ(registry->queryValue(HKEY_CURRENT_USER, "Control Panel\\Desktop", "Other"), std::nullopt);
    EXPECT_EQ(registry->queryValue(HKEY_CURRENT_USER, "Control Panel", "SCRNSAVE.EXE"), std::nullopt);
}

TEST_P(RegistryStore, SecondWriteReplacesTheValueAndKeepsTheOthers) {
    auto key = registry->RegCreateKey(HKEY_CURRENT_USER, "Control Panel\\Desktop");
    ASSERT_TRUE(key.ok());
    ASSERT_TRUE(registry->RegSetValueEx(*key, "Wallpaper", REG_SZ, "w.bmp").ok());
    ASSERT_TRUE(registry->RegSetValueEx(*key, "SCRNSAVE.EXE", REG_SZ, "old").ok());
    ASSERT_TRUE(registry->RegSetValueEx(*key, "scrnsave.exe", REG_SZ, "new").ok());
    EXPECT_EQ(registry->queryValue(HKEY_CURRENT_USER, "Control Panel\\Desktop", "SCRNSAVE.EXE"), "new");
    EXPECT_EQ(registry->queryValue(HKEY_CURRENT_USER, "Control Panel\\Desktop", "Wallpaper"), "w.bmp");
}

TEST_P(RegistryStore, RefusesWhatTheStoreCannotHoldAndChangesNothing) {
    EXPECT_EQ(registry->RegCreateKey(0x80000002u, "Software").error().code, glw::ErrorCode::Invalid);
    EXPECT_EQ(registry->RegCreateKey(HKEY_CURRENT_USER, "a\nb").error().code, glw::ErrorCode::Invalid);
    EXPECT_EQ(registry->RegSetValueEx(4711, "x", REG_SZ, "y").error().code, glw::ErrorCode::Invalid);
    EXPECT_EQ(registry->RegCloseKey(4711).error().code, glw::ErrorCode::Invalid);

    auto key = registry->RegCreateKey(HKEY_CURRENT_USER, "Control Panel\\Desktop");
    ASSERT_TRUE(key.ok());
    EXPECT_EQ(registry->RegSetValueEx(*key, "Dword", 4, "1").error().code, glw::ErrorCode::Unsupported);
    EXPECT_EQ(registry->queryValue(HKEY_CURRENT_USER, "Control Panel\\Desktop", "Dword"), std::nullopt);
    ASSERT_TRUE(registry->RegCloseKey(*key).ok());
    EXPECT_EQ(registry->RegSetValueEx(*key, "x", REG_SZ, "y").error().code, glw::ErrorCode::Invalid)
        << "a closed handle is no longer open";
}

TEST_P(RegistryStore, TextsWithLineBreaksPercentAndBracketsRoundTrip) {
    const std::string awkward = "50% [a]=b\r\nline two\x01 ";
    auto key = registry->RegCreateKey(HKEY_CURRENT_USER, "Soft[ware]=x\\100%");
    ASSERT_TRUE(key.ok());
    ASSERT_TRUE(registry->RegSetValueEx(*key, awkward, REG_SZ, awkward).ok());
    EXPECT_EQ(registry->queryValue(HKEY_CURRENT_USER, "Soft[ware]=x\\100%", awkward), awkward);
}

INSTANTIATE_TEST_SUITE_P(Stores, RegistryStore, ::testing::ValuesIn(kStores),
                         [](const auto& p) { return std::string(p.param.name); });

TEST(FileRegistry, AnotherObjectOnTheSameFileSeesTheValueAndTheFileIsPrivate) {
    TempDir dir;
    const std::string path = dir.host("config/glw/registry.ini");
    {
        FileRegistry writer(path);
        auto key = writer.RegCreateKey(HKEY_CURRENT_USER, "Control Panel\\Desktop\\");
        ASSERT_TRUE(key.ok()) << key.error().detail;
        ASSERT_TRUE(writer.RegSetValueEx(*key, "SCRNSAVE.EXE", REG_SZ, "C:\\x\\b.scr").ok());
    }
    FileRegistry reader(path);
    EXPECT_EQ(reader.queryValue(HKEY_CURRENT_USER, "Control Panel\\Desktop", "SCRNSAVE.EXE"), "C:\\x\\b.scr");

    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    ASSERT_EQ(::stat(dir.host("config/glw").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_EQ(dir.read("config/glw/registry.ini"), "; Per-user registry of the Glintwave programs: text values only.\n"
                                                   "[HKEY_CURRENT_USER\\Control Panel\\Desktop]\n"
                                                   "SCRNSAVE.EXE=C:\\x\\b.scr\n");
}

TEST(FileRegistry, DefaultFileIsUnderTheUsersConfigurationFolder) {
    const char* old = std::getenv("XDG_CONFIG_HOME");
    const std::string saved = old ? old : "";
    ::setenv("XDG_CONFIG_HOME", "/somewhere/config", 1);
    EXPECT_EQ(FileRegistry::defaultPath(), "/somewhere/config/glw/registry.ini");
    if (old) {
        ::setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
    } else {
        ::unsetenv("XDG_CONFIG_HOME");
    }
}

TEST(FileRegistry, UnreadableStoreGivesNothingAndAFolderThatCannotBeMadeFailsTheWrite) {
    TempDir dir;
    dir.file("blocker", "a file where the folder should be");
    FileRegistry registry(dir.host("blocker/glw/registry.ini"));
    EXPECT_EQ(registry.queryValue(HKEY_CURRENT_USER, "Control Panel\\Desktop", "SCRNSAVE.EXE"), std::nullopt);
    auto key = registry.RegCreateKey(HKEY_CURRENT_USER, "Control Panel\\Desktop");
    EXPECT_FALSE(key.ok());
    EXPECT_EQ(key.error().code, glw::ErrorCode::Io);
}

TEST(RegistryFileFormat, HandEditedLinesAreToleratedAndStrayPercentSignsKept) {
    const RegistryData data = parseRegistryFile("; a comment\n"
                                                "orphan=before any key\n"
                                                "[HKEY_CURRENT_USER\\Control Panel\\Desktop]\r\n"
                                                "no equals sign here\n"
                                                "# another comment\n"
                                                "SCRNSAVE.EXE=100%%zz%4\n"
                                                "[hkey_current_user\\control panel\\desktop]\n"
                                                "Wallpaper=a.bmp\n");
    ASSERT_EQ(data.keys.size(), 1u);
    EXPECT_EQ(data.keys[0].path, "HKEY_CURRENT_USER\\Control Panel\\Desktop");
    ASSERT_EQ(data.keys[0].values.size(), 2u);
    EXPECT_EQ(data.keys[0].values[0], (RegistryData::Value{"SCRNSAVE.EXE", "100%%zz%4"}));
    EXPECT_EQ(data.keys[0].values[1], (RegistryData::Value{"Wallpaper", "a.bmp"}));
    EXPECT_EQ(parseRegistryFile(formatRegistryFile(data)).keys, data.keys);
}

} // namespace
