// The one table of SWF tag kinds: each code with its name, the first file version that has it, and
// what the engine needs to know about it (defines a character, carries actions, is a bitmap, ...).
// A new tag kind is one row here plus its read and write pair.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace glw::swf {

// Codes outside the table are valid values too: unknown tags are kept raw.
enum class TagCode : std::uint16_t {
    End = 0,
    ShowFrame = 1,
    DefineShape = 2,
    PlaceObject = 4,
    RemoveObject = 5,
    DefineBits = 6,
    DefineButton = 7,
    JPEGTables = 8,
    SetBackgroundColor = 9,
    DefineFont = 10,
    DefineText = 11,
    DoAction = 12,
    DefineFontInfo = 13,
    DefineSound = 14,
    StartSound = 15,
    DefineButtonSound = 17,
    SoundStreamHead = 18,
    SoundStreamBlock = 19,
    DefineBitsLossless = 20,
    DefineBitsJPEG2 = 21,
    DefineShape2 = 22,
    DefineButtonCxform = 23,
    Protect = 24,
    PlaceObject2 = 26,
    RemoveObject2 = 28,
    DefineShape3 = 32,
    DefineText2 = 33,
    DefineButton2 = 34,
    DefineBitsJPEG3 = 35,
    DefineBitsLossless2 = 36,
    DefineEditText = 37,
    DefineSprite = 39,
    FrameLabel = 43,
    SoundStreamHead2 = 45,
    DefineMorphShape = 46,
    DefineFont2 = 48,
    ExportAssets = 56,
    ImportAssets = 57,
    EnableDebugger = 58,
    DoInitAction = 59,
    DefineVideoStream = 60,
    VideoFrame = 61,
    DefineFontInfo2 = 62,
    EnableDebugger2 = 64,
    ScriptLimits = 65,
    SetTabIndex = 66,
    FileAttributes = 69,
    PlaceObject3 = 70,
    ImportAssets2 = 71,
    DefineFontAlignZones = 73,
    CSMTextSettings = 74,
    DefineFont3 = 75,
    SymbolClass = 76,
    Metadata = 77,
    DefineScalingGrid = 78,
    DoABC = 82,
    DefineShape4 = 83,
    DefineMorphShape2 = 84,
    DefineSceneAndFrameLabelData = 86,
    DefineBinaryData = 87,
    DefineFontName = 88,
    StartSound2 = 89,
    DefineBitsJPEG4 = 90,
    DefineFont4 = 91,
};

// What a tag kind is, as bits of TagKind::traits.
enum TagTrait : std::uint8_t {
    kDefinesCharacter = 0x01, // the payload starts with the id of the character it defines
    kCarriesActions = 0x02,   // holds action code (or may, as PlaceObject2/3 clip actions)
    kImage = 0x04,            // a bitmap
    kPlacement = 0x08,        // places or moves a character on the timeline
    kLongHeader = 0x10,       // players look for the 6-byte header even when the payload is short
    kFont = 0x20,             // a font with glyphs (DefineFont, DefineFont2, DefineFont3)
    kStaticText = 0x40,       // DefineText, DefineText2
};

struct TagKind {
    TagCode code;
    std::string_view name;
    std::uint8_t minVersion; // the first file version that has this tag
    std::uint8_t traits;
};

inline constexpr TagKind kTagKinds[] = {
    {TagCode::End, "End", 1, 0},
    {TagCode::ShowFrame, "ShowFrame", 1, 0},
    {TagCode::DefineShape, "DefineShape", 1, kDefinesCharacter},
    {TagCode::PlaceObject, "PlaceObject", 1, kPlacement},
    {TagCode::RemoveObject, "RemoveObject", 1, 0},
    {TagCode::DefineBits, "DefineBits", 1, kDefinesCharacter | kImage | kLongHeader},
    {TagCode::DefineButton, "DefineButton", 1, kDefinesCharacter | kCarriesActions},
    {TagCode::JPEGTables, "JPEGTables", 1, 0},
    {TagCode::SetBackgroundColor, "SetBackgroundColor", 1, 0},
    {TagCode::DefineFont, "DefineFont", 1, kDefinesCharacter | kFont},
    {TagCode::DefineText, "DefineText", 1, kDefinesCharacter | kStaticText},
    {TagCode::DoAction, "DoAction", 3, kCarriesActions},
    {TagCode::DefineFontInfo, "DefineFontInfo", 1, 0},
    {TagCode::DefineSound, "DefineSound", 1, kDefinesCharacter | kLongHeader},
    {TagCode::StartSound, "StartSound", 1, 0},
    {TagCode::DefineButtonSound, "DefineButtonSound", 2, 0},
    {TagCode::SoundStreamHead, "SoundStreamHead", 1, 0},
    {TagCode::SoundStreamBlock, "SoundStreamBlock", 1, kLongHeader},
    {TagCode::DefineBitsLossless, "DefineBitsLossless", 2, kDefinesCharacter | kImage | kLongHeader},
    {TagCode::DefineBitsJPEG2, "DefineBitsJPEG2", 2, kDefinesCharacter | kImage | kLongHeader},
    {TagCode::DefineShape2, "DefineShape2", 2, kDefinesCharacter},
    {TagCode::DefineButtonCxform, "DefineButtonCxform", 2, 0},
    {TagCode::Protect, "Protect", 2, 0},
    {TagCode::PlaceObject2, "PlaceObject2", 3, kPlacement | kCarriesActions},
    {TagCode::RemoveObject2, "RemoveObject2", 3, 0},
    {TagCode::DefineShape3, "DefineShape3", 3, kDefinesCharacter},
    {TagCode::DefineText2, "DefineText2", 3, kDefinesCharacter | kStaticText},
    {TagCode::DefineButton2, "DefineButton2", 3, kDefinesCharacter | kCarriesActions},
    {TagCode::DefineBitsJPEG3, "DefineBitsJPEG3", 3, kDefinesCharacter | kImage | kLongHeader},
    {TagCode::DefineBitsLossless2, "DefineBitsLossless2", 3, kDefinesCharacter | kImage | kLongHeader},
    {TagCode::DefineEditText, "DefineEditText", 4, kDefinesCharacter},
    {TagCode::DefineSprite, "DefineSprite", 3, kDefinesCharacter},
    {TagCode::FrameLabel, "FrameLabel", 3, 0},
    {TagCode::SoundStreamHead2, "SoundStreamHead2", 3, 0},
    {TagCode::DefineMorphShape, "DefineMorphShape", 3, kDefinesCharacter},
    {TagCode::DefineFont2, "DefineFont2", 3, kDefinesCharacter | kFont},
    {TagCode::ExportAssets, "ExportAssets", 5, 0},
    {TagCode::ImportAssets, "ImportAssets", 5, 0},
    {TagCode::EnableDebugger, "EnableDebugger", 5, 0},
    {TagCode::DoInitAction, "DoInitAction", 6, kCarriesActions},
    {TagCode::DefineVideoStream, "DefineVideoStream", 6, kDefinesCharacter},
    {TagCode::VideoFrame, "VideoFrame", 6, 0},
    {TagCode::DefineFontInfo2, "DefineFontInfo2", 6, 0},
    {TagCode::EnableDebugger2, "EnableDebugger2", 6, 0},
    {TagCode::ScriptLimits, "ScriptLimits", 7, 0},
    {TagCode::SetTabIndex, "SetTabIndex", 7, 0},
    {TagCode::FileAttributes, "FileAttributes", 8, 0},
    {TagCode::PlaceObject3, "PlaceObject3", 8, kPlacement | kCarriesActions},
    {TagCode::ImportAssets2, "ImportAssets2", 8, 0},
    {TagCode::DefineFontAlignZones, "DefineFontAlignZones", 8, 0},
    {TagCode::CSMTextSettings, "CSMTextSettings", 8, 0},
    {TagCode::DefineFont3, "DefineFont3", 8, kDefinesCharacter | kFont},
    {TagCode::SymbolClass, "SymbolClass", 9, 0},
    {TagCode::Metadata, "Metadata", 1, 0},
    {TagCode::DefineScalingGrid, "DefineScalingGrid", 8, 0},
    {TagCode::DoABC, "DoABC", 9, 0},
    {TagCode::DefineShape4, "DefineShape4", 8, kDefinesCharacter},
    {TagCode::DefineMorphShape2, "DefineMorphShape2", 8, kDefinesCharacter},
    {TagCode::DefineSceneAndFrameLabelData, "DefineSceneAndFrameLabelData", 9, 0},
    {TagCode::DefineBinaryData, "DefineBinaryData", 9, kDefinesCharacter},
    {TagCode::DefineFontName, "DefineFontName", 9, 0},
    {TagCode::StartSound2, "StartSound2", 9, 0},
    {TagCode::DefineBitsJPEG4, "DefineBitsJPEG4", 10, kDefinesCharacter | kImage | kLongHeader},
    {TagCode::DefineFont4, "DefineFont4", 10, kDefinesCharacter},
};

// The row of a code, or null for a code the table does not know.
constexpr const TagKind* tagKind(TagCode code) {
    for (const TagKind& k : kTagKinds) {
        if (k.code == code) {
            return &k;
        }
    }
    return nullptr;
}

constexpr bool hasTrait(TagCode code, TagTrait trait) {
    const TagKind* k = tagKind(code);
    return k && (k->traits & trait);
}

// The first file version a tag kind may appear in (1 for codes the table does not know).
constexpr std::uint8_t minVersion(TagCode code) {
    const TagKind* k = tagKind(code);
    return k ? k->minVersion : 1;
}

// "DefineEditText", or "tag 77" style for a code the table does not know.
inline std::string tagName(TagCode code) {
    if (const TagKind* k = tagKind(code)) {
        return std::string(k->name);
    }
    return "tag " + std::to_string(static_cast<unsigned>(code));
}

constexpr std::uint16_t toU16(TagCode code) {
    return static_cast<std::uint16_t>(code);
}

} // namespace glw::swf
