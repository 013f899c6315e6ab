// The still-movie rule: a white list of tag kinds that only define or place what frame 1 draws.
#include "swf/Still.h"

#include "swf/EditText.h"

namespace glw::swf {

namespace {

// First flag byte of DefineEditText (high byte of EditText::flags): the field takes no typing.
constexpr std::uint16_t kEditReadOnly = 0x0800;
// PlaceObject2 and PlaceObject3: the placement carries clip actions.
constexpr std::uint8_t kPlaceHasClipActions = 0x80;

bool stillTag(const Tag& tag);

// A timeline (the root's or a sprite's) of at most one frame whose tags are all still.
bool stillTimeline(const std::vector<Tag>& tags) {
    int frames = 0;
    for (const Tag& tag : tags) {
        if (tag.code() == TagCode::ShowFrame) {
            if (++frames > 1) {
                return false;
            }
        } else if (!stillTag(tag)) {
            return false;
        }
    }
    return true;
}

bool stillTag(const Tag& tag) {
    switch (tag.code()) {
    case TagCode::End:
    case TagCode::SetBackgroundColor:
    case TagCode::DefineShape:
    case TagCode::DefineShape2:
    case TagCode::DefineShape3:
    case TagCode::DefineShape4:
    case TagCode::DefineBits:
    case TagCode::JPEGTables:
    case TagCode::DefineBitsJPEG2:
    case TagCode::DefineBitsJPEG3:
    case TagCode::DefineBitsJPEG4:
    case TagCode::DefineBitsLossless:
    case TagCode::DefineBitsLossless2:
    case TagCode::DefineFont:
    case TagCode::DefineFont2:
    case TagCode::DefineFont3:
    case TagCode::DefineFontInfo:
    case TagCode::DefineFontInfo2:
    case TagCode::DefineFontAlignZones:
    case TagCode::DefineFontName:
    case TagCode::DefineText:
    case TagCode::DefineText2:
    case TagCode::CSMTextSettings:
    case TagCode::PlaceObject:
    case TagCode::RemoveObject:
    case TagCode::RemoveObject2:
    case TagCode::FrameLabel:
    case TagCode::Protect:
    case TagCode::EnableDebugger:
    case TagCode::EnableDebugger2:
    case TagCode::ExportAssets:
    case TagCode::FileAttributes:
    case TagCode::Metadata:
    case TagCode::ScriptLimits:
    case TagCode::SetTabIndex:
    case TagCode::DefineScalingGrid:
    case TagCode::DefineSound: // kept, never started: StartSound is what plays
    case TagCode::DefineBinaryData:
    case TagCode::DefineSceneAndFrameLabelData:
        return true;
    case TagCode::PlaceObject2:
    case TagCode::PlaceObject3: {
        const ByteView payload = tag.payload();
        return !payload.empty() && !(payload[0] & kPlaceHasClipActions);
    }
    case TagCode::DefineEditText: {
        auto field = readDefineEditText(tag);
        return field.ok() && (field.value().flags & kEditReadOnly);
    }
    case TagCode::DefineSprite:
        return tag.isSprite() && stillTimeline(tag.children());
    default:
        return false; // actions, buttons, sounds, video, morph shapes, and kinds this rule does not know
    }
}

} // namespace

bool isStill(const Movie& movie) {
    return movie.streamComplete() && stillTimeline(movie.tags);
}

} // namespace glw::swf
