// Where the player's files are found: a folder checked against its manifest, and a carried pack unpacked
// once into a cache that no other user can write.
#include "desktop/movie/PlayerFiles.h"
#include "formats/PlayerPack.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace glw::qt::movie {
namespace {

namespace fs = std::filesystem;

struct Scratch {
    fs::path root;
    Scratch() {
        char pattern[] = "/tmp/glw-playerfiles-XXXXXX";
        root = ::mkdtemp(pattern);
        fs::permissions(root, fs::perms::owner_all);
    }
    ~Scratch() {
        std::error_code ec;
        fs::permissions(root, fs::perms::owner_all, ec);
        fs::remove_all(root, ec);
    }
    std::string operator/(const std::string& name) const { return (root / name).string(); }
};

std::string read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void write(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

const std::vector<formats::PlayerFile> kFiles = {{"ruffle.js", "window.RufflePlayer = {};"},
                                                 {"core.wasm", std::string(5000, 'w')}};

std::string pack() {
    auto made = formats::writePlayerPack("0.6.0", kFiles);
    EXPECT_TRUE(made.ok());
    return made ? *made : std::string();
}

TEST(PlayerFiles, APackIsUnpackedOnceAndUsedAsItIsAfter) {
    Scratch s;
    const auto first = unpackPlayerToCache(pack(), {s / "cache/glw/player"});
    ASSERT_TRUE(first.ok()) << first.error().detail;
    EXPECT_EQ(fs::path(*first).parent_path(), fs::path(s / "cache/glw/player"));
    for (const auto& file : kFiles) {
        EXPECT_EQ(read(*first + "/" + file.name), file.bytes);
    }
    EXPECT_TRUE(checkPlayerFolder(*first).ok());
    // Every folder it made is the user's alone.
    for (const char* folder : {"cache", "cache/glw", "cache/glw/player"}) {
        EXPECT_EQ(fs::status(s / folder).permissions() & fs::perms::all, fs::perms::owner_all) << folder;
    }
    struct stat before {};
    ASSERT_EQ(::stat((*first + "/core.wasm").c_str(), &before), 0);
    const auto second = unpackPlayerToCache(pack(), {s / "cache/glw/player"});
    ASSERT_TRUE(second.ok());
    EXPECT_EQ(*second, *first);
    struct stat after {};
    ASSERT_EQ(::stat((*first + "/core.wasm").c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino) << "a whole copy is not written again";
    // Nothing of the unpacking is left beside it.
    int entries = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(s / "cache/glw/player")) {
        ++entries;
    }
    EXPECT_EQ(entries, 1);
}

TEST(PlayerFiles, ADamagedCopyInTheCacheIsUnpackedAgain) {
    Scratch s;
    const auto folder = unpackPlayerToCache(pack(), {s / "player"});
    ASSERT_TRUE(folder.ok());
    write(*folder + "/core.wasm", std::string(5000, 'x')); // same size, other bytes
    EXPECT_FALSE(checkPlayerFolder(*folder).ok());
    const auto again = unpackPlayerToCache(pack(), {s / "player"});
    ASSERT_TRUE(again.ok()) << again.error().detail;
    EXPECT_EQ(read(*again + "/core.wasm"), kFiles[1].bytes);
    fs::remove(*again + "/ruffle.js");
    ASSERT_TRUE(unpackPlayerToCache(pack(), {s / "player"}).ok());
    EXPECT_EQ(read(*again + "/ruffle.js"), kFiles[0].bytes);
}

TEST(PlayerFiles, ALinkAtTheCopysNameIsReplacedNeverFollowed) {
    Scratch s;
    fs::create_directories(s / "elsewhere");
    write(s / "elsewhere/precious.txt", "keep me");
    const auto key = formats::playerManifestKey(formats::readPlayerPack(pack())->manifest);
    fs::create_directories(s / "player");
    fs::permissions(s / "player", fs::perms::owner_all);
    fs::create_directory_symlink(s / "elsewhere", s / ("player/" + key));
    const auto folder = unpackPlayerToCache(pack(), {s / "player"});
    ASSERT_TRUE(folder.ok()) << folder.error().detail;
    EXPECT_FALSE(fs::is_symlink(*folder));
    EXPECT_EQ(read(s / "elsewhere/precious.txt"), "keep me");
    EXPECT_FALSE(fs::exists(s / "elsewhere/core.wasm"));
}

void ageBy(const std::string& path, std::chrono::hours age) {
    fs::last_write_time(path, fs::file_time_type::clock::now() - age);
}

// The cache keeps the copies that programs still start from, not every version ever run.
TEST(PlayerFiles, CopiesOfOtherVersionsGoOnceUnusedForAMonth) {
    using std::chrono::hours;
    Scratch s;
    const std::string root = s / "player";
    const auto first = unpackPlayerToCache(pack(), {root});
    ASSERT_TRUE(first.ok()) << first.error().detail;
    ageBy(*first, hours(24 * 60)); // the copy in use is marked used again, however old it was
    struct Entry {
        const char* name;
        hours age;
        bool kept;
    };
    const Entry entries[] = {
        {"0.5.0-aaaaaaaa", hours(24 * 31), false}, {"0.5.9-bbbbbbbb", hours(24 * 29), true},
        {".unpack-Qx3Z1a", hours(25), false},      {".unpack-Rt4Y2b", hours(2), true},
        {".hidden-notours", hours(24 * 90), true},
    };
    for (const auto& e : entries) {
        fs::create_directories(root + "/" + e.name);
        write(root + "/" + e.name + "/ruffle.js", "old");
        ageBy(root + "/" + e.name, e.age);
    }
    // A link is never followed nor removed, however old it looks.
    fs::create_directories(s / "elsewhere");
    write(s / "elsewhere/precious.txt", "keep me");
    fs::create_directory_symlink(s / "elsewhere", root + "/0.4.0-cccccccc");
    write(root + "/notes.txt", "a file of the user's");

    const auto again = unpackPlayerToCache(pack(), {root});
    ASSERT_TRUE(again.ok()) << again.error().detail;
    EXPECT_EQ(*again, *first);
    EXPECT_TRUE(checkPlayerFolder(*again).ok());
    EXPECT_LT(fs::file_time_type::clock::now() - fs::last_write_time(*again), hours(1));
    for (const auto& e : entries) {
        EXPECT_EQ(fs::exists(root + "/" + e.name), e.kept) << e.name;
    }
    EXPECT_TRUE(fs::is_symlink(root + "/0.4.0-cccccccc"));
    EXPECT_EQ(read(s / "elsewhere/precious.txt"), "keep me");
    EXPECT_EQ(read(root + "/notes.txt"), "a file of the user's");
}

// A cache folder that another user could write is never used: the next place is.
TEST(PlayerFiles, FoldersOthersCanWriteArePassedOver) {
    struct Case {
        const char* what;
        std::function<void(const Scratch&)> spoil;
    };
    const Case cases[] = {
        {"writable by everyone", [](const Scratch& s) { fs::permissions(s / "bad/player", fs::perms::all); }},
        {"writable by the group",
         [](const Scratch& s) { fs::permissions(s / "bad/player", fs::perms::group_write, fs::perm_options::add); }},
        {"a link to another folder",
         [](const Scratch& s) {
             fs::remove(s / "bad/player");
             fs::create_directories(s / "other");
             fs::create_directory_symlink(s / "other", s / "bad/player");
         }},
        {"another user's",
         [](const Scratch& s) {
             if (::geteuid() == 0) {
                 EXPECT_EQ(::chown((s / "bad/player").c_str(), 65534, 65534), 0);
             } else {
                 fs::permissions(s / "bad/player", fs::perms::all); // stands in for it where we cannot chown
             }
         }},
    };
    for (const auto& c : cases) {
        Scratch s;
        fs::create_directories(s / "bad/player");
        fs::permissions(s / "bad", fs::perms::owner_all);
        fs::permissions(s / "bad/player", fs::perms::owner_all);
        c.spoil(s);
        const auto folder = unpackPlayerToCache(pack(), {s / "bad/player", s / "good/player"});
        ASSERT_TRUE(folder.ok()) << c.what << ": " << folder.error().detail;
        EXPECT_EQ(fs::path(*folder).parent_path(), fs::path(s / "good/player")) << c.what;
        EXPECT_TRUE(fs::is_empty(s / "bad/player")) << c.what;
        // With no good place left, the error names what was wrong.
        const auto none = unpackPlayerToCache(pack(), {s / "bad/player"});
        EXPECT_FALSE(none.ok()) << c.what;
        if (!none.ok()) {
            EXPECT_NE(none.error().detail.find("bad/player"), std::string::npos) << none.error().detail;
        }
        // Other caches (the posters) take the same care.
        const auto posters = safeCacheFolder({s / "bad/player", s / "good/posters"});
        ASSERT_TRUE(posters.ok()) << c.what;
        EXPECT_EQ(*posters, s / "good/posters") << c.what;
        EXPECT_EQ(fs::status(*posters).permissions() & fs::perms::all, fs::perms::owner_all) << c.what;
        EXPECT_FALSE(safeCacheFolder({s / "bad/player"}).ok()) << c.what;
    }
}

TEST(PlayerFiles, UserCachesLieInTheUsersCacheHomeFirst) {
    const char* oldCache = std::getenv("XDG_CACHE_HOME");
    const std::string saved = oldCache ? oldCache : "";
    ::setenv("XDG_CACHE_HOME", "/somewhere/cache", 1);
    const auto roots = userCacheRoots("posters");
    ASSERT_FALSE(roots.empty());
    EXPECT_EQ(roots.front(), "/somewhere/cache/glw/posters");
    EXPECT_EQ(roots.back().find("glw-posters-" + std::to_string(::geteuid())) != std::string::npos, true)
        << roots.back();
    ::setenv("XDG_CACHE_HOME", "relative/cache", 1); // passed over
    EXPECT_NE(userCacheRoots("posters").front().rfind("relative", 0), 0u);
    if (oldCache) {
        ::setenv("XDG_CACHE_HOME", saved.c_str(), 1);
    } else {
        ::unsetenv("XDG_CACHE_HOME");
    }
}

TEST(PlayerFiles, AFolderIsCheckedAgainstItsManifestFileByFile) {
    Scratch s;
    formats::PlayerManifest manifest{"0.6.0", {}};
    for (const auto& file : kFiles) {
        write(s / file.name, file.bytes);
        manifest.files.push_back({file.name, file.bytes.size(), formats::playerCrc(file.bytes)});
    }
    EXPECT_FALSE(checkPlayerFolder(s.root.string()).ok()) << "no manifest";
    write(s / "glwplayer.txt", formats::writePlayerManifest(manifest));
    EXPECT_TRUE(checkPlayerFolder(s.root.string()).ok());
    struct Case {
        const char* what;
        std::function<void()> spoil;
        const char* said;
    };
    const Case cases[] = {
        {"a file missing", [&] { fs::remove(s / "core.wasm"); }, "core.wasm is missing"},
        {"a file cut short", [&] { write(s / "core.wasm", "www"); }, "core.wasm is damaged"},
        {"a file changed", [&] { write(s / "ruffle.js", "window.RufflePlayer = {}!"); }, "ruffle.js is damaged"},
        {"a damaged manifest", [&] { write(s / "glwplayer.txt", "glwplayer 1\nversion"); }, "is damaged"},
    };
    for (const auto& c : cases) {
        for (const auto& file : kFiles) {
            write(s / file.name, file.bytes);
        }
        write(s / "glwplayer.txt", formats::writePlayerManifest(manifest));
        c.spoil();
        const auto checked = checkPlayerFolder(s.root.string());
        ASSERT_FALSE(checked.ok()) << c.what;
        EXPECT_NE(checked.error().detail.find(c.said), std::string::npos) << c.what << ": " << checked.error().detail;
    }
}

TEST(PlayerFiles, ADamagedPackIsSaidAndNothingIsLeft) {
    Scratch s;
    std::string bad = pack();
    bad[bad.size() - 20] ^= 0x11;
    const auto folder = unpackPlayerToCache(bad, {s / "player"});
    ASSERT_FALSE(folder.ok());
    EXPECT_NE(folder.error().detail.find("damaged"), std::string::npos) << folder.error().detail;
    EXPECT_TRUE(fs::is_empty(s / "player"));
    EXPECT_FALSE(unpackPlayerToCache("not a pack", {s / "player"}).ok());
}

} // namespace
} // namespace glw::qt::movie
