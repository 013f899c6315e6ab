// The player's manifest and pack: one table of manifests read and written both ways, the texts a reader
// refuses, and packs whose bytes were damaged.
#include "formats/PlayerPack.h"

#include <gtest/gtest.h>

namespace glw::formats {
namespace {

struct ManifestCase {
    const char* what;
    const char* text;
    PlayerManifest manifest;
};

const ManifestCase kManifests[] = {
    {"no files", "glwplayer 1\nversion 0.6.0\n", {"0.6.0", {}}},
    {"the files the programs carry",
     "glwplayer 1\nversion 0.6.0\nfile 465076 0a1b2c3d ruffle.js\nfile 14244515 ffffffff 826bb0938097485a2c9d.wasm\n"
     "file 0 00000000 LICENSE_MIT\n",
     {"0.6.0",
      {{"ruffle.js", 465076, 0x0a1b2c3d}, {"826bb0938097485a2c9d.wasm", 14244515, 0xffffffff}, {"LICENSE_MIT", 0, 0}}}},
    {"a name with blanks", "glwplayer 1\nversion 1\nfile 3 00000001 read me.txt\n", {"1", {{"read me.txt", 3, 1}}}},
};

TEST(PlayerManifest, ReadsAndWritesEachCaseBothWays) {
    for (const auto& c : kManifests) {
        EXPECT_EQ(writePlayerManifest(c.manifest), c.text) << c.what;
        auto read = readPlayerManifest(c.text);
        ASSERT_TRUE(read.ok()) << c.what << ": " << read.error().detail;
        EXPECT_EQ(*read, c.manifest) << c.what;
        EXPECT_EQ(writePlayerManifest(*read), c.text) << c.what;
    }
}

TEST(PlayerManifest, RefusesWhatIsNotAManifest) {
    const char* cases[] = {
        "",                                                               // nothing at all
        "glwplayer 2\nversion 1\n",                                       // another kind
        "glwplayer 1\n",                                                  // no version
        "glwplayer 1\nversion \n",                                        // a blank version
        "glwplayer 1\nversion a b\n",                                     // not one word
        "glwplayer 1\nversion 1",                                         // cut before its line end
        "glwplayer 1\nfile 1 00000000 a\nversion 1\n",                    // a file before the version
        "glwplayer 1\nversion 1\nfile 1 00000000 a\nfile 2 00000000 a\n", // a name twice
        "glwplayer 1\nversion 1\nfile 1 00000000 ../a\n",                 // a name that leaves its folder
        "glwplayer 1\nversion 1\nfile 1 00000000 sub/a\n",
        "glwplayer 1\nversion 1\nfile 1 00000000 ..\n",
        "glwplayer 1\nversion 1\nfile 1 00000000 glwplayer.txt\n", // the manifest itself
        "glwplayer 1\nversion 1\nfile 1 0000000 a\n",              // a short checksum
        "glwplayer 1\nversion 1\nfile 1 0000000g a\n",
        "glwplayer 1\nversion 1\nfile 1 0000000A a\n",  // an upper-case digit: the writer writes lower case
        "glwplayer 1\nversion 1\nfile 01 00000000 a\n", // a leading zero: the writer writes none
        "glwplayer 1\nversion 1\nfile -1 00000000 a\n", // sizes that are not sizes
        "glwplayer 1\nversion 1\nfile 99999999999999999999 00000000 a\n",
        "glwplayer 1\nversion 1\nfile 268435457 00000000 a\n", // past the bound
        "glwplayer 1\nversion 1\nfile 1 00000000 a\x01\n",     // a control character
        "glwplayer 1\nversion 1\nextra\n",                     // an unknown line
    };
    for (const char* text : cases) {
        auto read = readPlayerManifest(text);
        EXPECT_FALSE(read.ok()) << text;
    }
}

TEST(PlayerManifest, TheKeyNamesExactlyTheFiles) {
    PlayerManifest a{"0.6.0", {{"ruffle.js", 10, 1}}};
    PlayerManifest b = a;
    b.files[0].crc = 2;
    EXPECT_EQ(playerManifestKey(a).rfind("0.6.0-", 0), 0u);
    EXPECT_EQ(playerManifestKey(a).size(), 6u + 8u);
    EXPECT_NE(playerManifestKey(a), playerManifestKey(b));
    EXPECT_EQ(playerManifestKey(a), playerManifestKey(PlayerManifest(a)));
}

std::vector<PlayerFile> someFiles() {
    std::string wasm;
    for (int i = 0; i < 200000; ++i) {
        wasm += static_cast<char>((i * 7919) % 251);
    }
    return {{"ruffle.js", "window.RufflePlayer = {};\n"}, {"core.js", ""}, {"player.wasm", wasm}};
}

TEST(PlayerPack, UnpacksEveryFileAsItWasPacked) {
    const auto files = someFiles();
    auto pack = writePlayerPack("0.6.0", files);
    ASSERT_TRUE(pack.ok()) << pack.error().detail;
    auto read = readPlayerPack(*pack);
    ASSERT_TRUE(read.ok()) << read.error().detail;
    EXPECT_EQ(read->manifest.version, "0.6.0");
    ASSERT_EQ(read->manifest.files.size(), files.size());
    std::vector<PlayerFile> out;
    ASSERT_TRUE(unpackPlayer(*read, [&](const PlayerFileEntry& entry, std::string_view bytes) -> Result<void> {
                    out.push_back({entry.name, std::string(bytes)});
                    return {};
                }).ok());
    ASSERT_EQ(out.size(), files.size());
    for (std::size_t i = 0; i < files.size(); ++i) {
        EXPECT_EQ(out[i].name, files[i].name);
        EXPECT_EQ(out[i].bytes, files[i].bytes) << files[i].name;
        EXPECT_EQ(read->manifest.files[i].crc, playerCrc(files[i].bytes));
    }
    // Compressed: the pack is much smaller than what it holds.
    EXPECT_LT(pack->size(), files[2].bytes.size() / 4);
}

TEST(PlayerPack, RefusesBadNamesWhenPacking) {
    for (const char* name : {"", "..", "a/b", "glwplayer.txt"}) {
        EXPECT_FALSE(writePlayerPack("1", {{name, "x"}}).ok()) << name;
    }
    EXPECT_FALSE(writePlayerPack("two words", {{"a", "x"}}).ok());
}

TEST(PlayerPack, DamagedPacksAreRefusedAndNothingIsHandedOn) {
    auto pack = writePlayerPack("0.6.0", someFiles());
    ASSERT_TRUE(pack.ok());
    const std::string good = *pack;
    struct Case {
        const char* what;
        std::string bytes;
        bool headerReads;
    };
    std::string flipped = good;
    flipped[flipped.size() / 2] ^= 0x40;
    std::string lyingManifest = good;
    const auto at = lyingManifest.find("file 26 ");
    ASSERT_NE(at, std::string::npos);
    lyingManifest.replace(at, 8, "file 27 "); // one byte more than the stream holds for ruffle.js
    const Case cases[] = {
        {"empty", "", false},
        {"another magic", "GLWPACK2" + good.substr(8), false},
        {"a manifest longer than the pack", good.substr(0, 20), false},
        {"cut in the compressed bytes", good.substr(0, good.size() - 100), true},
        {"a flipped byte", flipped, true},
        {"a manifest that does not match the bytes", lyingManifest, true},
    };
    for (const auto& c : cases) {
        auto read = readPlayerPack(c.bytes);
        ASSERT_EQ(read.ok(), c.headerReads) << c.what;
        if (!read) {
            continue;
        }
        int handed = 0;
        auto unpacked = unpackPlayer(*read, [&](const PlayerFileEntry&, std::string_view) -> Result<void> {
            ++handed;
            return {};
        });
        EXPECT_FALSE(unpacked.ok()) << c.what;
        // Every byte is checked before the first file is handed on.
        EXPECT_EQ(handed, 0) << c.what;
    }
}

} // namespace
} // namespace glw::formats
