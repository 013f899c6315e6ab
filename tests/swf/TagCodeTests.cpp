// The table of tag kinds: codes and names are unique, the traits the engine relies on are where it
// looks for them, and a code outside the table is still a tag (kept raw, named by its number).
#include "swf/Movie.h"
#include "swf/TagCode.h"

#include <gtest/gtest.h>
#include <set>

namespace glw::swf {
namespace {

TEST(TagCodeTable, CodesAndNamesAreUnique) {
    std::set<std::uint16_t> codes;
    std::set<std::string_view> names;
    for (const TagKind& k : kTagKinds) {
        EXPECT_TRUE(codes.insert(toU16(k.code)).second) << k.name;
        EXPECT_TRUE(names.insert(k.name).second) << k.name;
        EXPECT_FALSE(k.name.empty());
        EXPECT_GE(k.minVersion, 1);
        EXPECT_EQ(tagKind(k.code), &k);
    }
}

TEST(TagCodeTable, TraitsTheEngineReliesOn) {
    struct Case {
        TagCode code;
        const char* name;
        std::uint8_t traits;
        std::uint8_t minVersion;
    };
    for (const Case& c : {
             Case{TagCode::DefineText, "DefineText", kDefinesCharacter | kStaticText, 1},
             Case{TagCode::DefineEditText, "DefineEditText", kDefinesCharacter, 4},
             Case{TagCode::DoAction, "DoAction", kCarriesActions, 3},
             Case{TagCode::PlaceObject2, "PlaceObject2", kPlacement | kCarriesActions, 3},
             Case{TagCode::PlaceObject, "PlaceObject", kPlacement, 1},
             Case{TagCode::DefineBitsJPEG2, "DefineBitsJPEG2", kDefinesCharacter | kImage | kLongHeader, 2},
             Case{TagCode::DefineBitsLossless2, "DefineBitsLossless2", kDefinesCharacter | kImage | kLongHeader, 3},
             Case{TagCode::DefineSound, "DefineSound", kDefinesCharacter | kLongHeader, 1},
             Case{TagCode::SoundStreamBlock, "SoundStreamBlock", kLongHeader, 1},
             Case{TagCode::DefineFont2, "DefineFont2", kDefinesCharacter | kFont, 3},
             Case{TagCode::DefineFont3, "DefineFont3", kDefinesCharacter | kFont, 8},
             Case{TagCode::DefineFont4, "DefineFont4", kDefinesCharacter, 10},
             Case{TagCode::ExportAssets, "ExportAssets", 0, 5},
         }) {
        SCOPED_TRACE(c.name);
        const TagKind* k = tagKind(c.code);
        ASSERT_NE(k, nullptr);
        EXPECT_EQ(tagName(c.code), c.name);
        EXPECT_EQ(k->traits, c.traits);
        EXPECT_EQ(minVersion(c.code), c.minVersion);
    }
}

TEST(TagCodeTable, UnknownCodesAreNamedByNumber) {
    auto unknown = static_cast<TagCode>(200);
    EXPECT_EQ(tagKind(unknown), nullptr);
    EXPECT_EQ(tagName(unknown), "tag 200");
    EXPECT_FALSE(hasTrait(unknown, kDefinesCharacter));
    EXPECT_EQ(minVersion(unknown), 1);
}

// New tags take the long header where the table says players expect it, and whenever the payload
// needs it.
TEST(TagCodeTable, NewTagsTakeTheHeaderTheTableNames) {
    EXPECT_TRUE(Tag::make(TagCode::DefineSound, Bytes(7, 0)).longHeader());
    EXPECT_TRUE(Tag::make(TagCode::DefineBitsJPEG2, Bytes(10, 0)).longHeader());
    EXPECT_FALSE(Tag::make(TagCode::DefineEditText, Bytes(20, 0)).longHeader());
    EXPECT_TRUE(Tag::make(TagCode::DefineEditText, Bytes(63, 0)).longHeader());
}

} // namespace
} // namespace glw::swf
