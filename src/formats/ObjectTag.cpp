// The OBJECT/EMBED tag: one table of its pieces, which the writer joins and the reader matches.
#include "formats/ObjectTag.h"

#include "vb/VbError.h"
#include "vb/VbText.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace glw::formats {

namespace {

// A piece of the tag: fixed text, or one of the values. Most values stand twice, once for the OBJECT and
// once for the EMBED.
enum class Value { None, Id, IdTail, Width, Height, Movie, FlashVars, BgColor, WMode, Scale, SAlign };

struct Piece {
    std::string_view text; // the fixed text when `value` is None
    Value value = Value::None;
};

constexpr Piece fixed(std::string_view text) {
    return {text, Value::None};
}
constexpr Piece value(Value v) {
    return {{}, v};
}

constexpr std::array kPieces = {
    fixed("<OBJECT  ID='"),
    value(Value::Id),
    fixed("' NAME='"),
    value(Value::Id),
    fixed("' WIDTH="),
    value(Value::Width),
    fixed(" HEIGHT="),
    value(Value::Height),
    fixed("><PARAM NAME=movie VALUE=\""),
    value(Value::Movie),
    fixed("\"><PARAM NAME=quality VALUE=high> <PARAM NAME=flashvars VALUE=\""),
    value(Value::FlashVars),
    fixed("\"> <PARAM NAME=bgcolor VALUE="),
    value(Value::BgColor),
    fixed("><PARAM NAME=WMode VALUE="),
    value(Value::WMode),
    fixed("><PARAM NAME=Scale VALUE="),
    value(Value::Scale),
    fixed("><PARAM NAME=SAlign VALUE="),
    value(Value::SAlign),
    fixed("><EMBED src='"),
    value(Value::Movie),
    fixed("' quality=high bgcolor="),
    value(Value::BgColor),
    fixed(" swLiveConnect=\"true\" NAME=\"e"),
    value(Value::IdTail),
    fixed("\" TYPE=\"application/x-shockwave-flash\" PLUGINSPAGE=\"http://www.adobe.com/go/getflashplayer\" WIDTH="),
    value(Value::Width),
    fixed(" HEIGHT="),
    value(Value::Height),
    fixed(" wmode="),
    value(Value::WMode),
    fixed(" flashvars=\""),
    value(Value::FlashVars),
    fixed("\" scale="),
    value(Value::Scale),
    fixed("></EMBED></OBJECT>"),
};

std::string idTail(const std::string& id) {
    return id.empty() ? std::string() : id.substr(1);
}

// The value a piece stands for; nullptr for IdTail, which follows from the id.
std::string* field(ObjectTag& tag, Value v) {
    switch (v) {
    case Value::Id:
        return &tag.id;
    case Value::Width:
        return &tag.width;
    case Value::Height:
        return &tag.height;
    case Value::Movie:
        return &tag.movie;
    case Value::FlashVars:
        return &tag.flashVars;
    case Value::BgColor:
        return &tag.bgColor;
    case Value::WMode:
        return &tag.wMode;
    case Value::Scale:
        return &tag.scale;
    case Value::SAlign:
        return &tag.sAlign;
    case Value::None:
    case Value::IdTail:
        break;
    }
    return nullptr;
}

Error invalid(std::string_view what, std::string_view value, std::string_view why) {
    return makeError(ErrorCode::Invalid, std::string(what) + " \"" + std::string(value) + "\" " + std::string(why));
}

} // namespace

Result<void> checkTagValue(std::string_view value, std::string_view what) {
    if (value.find_first_of("\"<>\r\n") != std::string_view::npos) {
        return invalid(what, value, "may not hold '\"', '<', '>' or a line break.");
    }
    return {};
}

Result<std::string> writeObjectTag(const ObjectTag& tag) {
    const std::pair<const std::string&, std::string_view> values[] = {
        {tag.width, "The width"},
        {tag.height, "The height"},
        {tag.id, "The clip's id"},
        {tag.movie, "The movie"},
        {tag.bgColor, "The background colour"},
        {tag.wMode, "The window mode"},
        {tag.scale, "The scale mode"},
        {tag.flashVars, "The movie variables"},
        {tag.sAlign, "The alignment"},
    };
    for (const auto& [v, what] : values) {
        if (auto ok = checkTagValue(v, what); !ok) {
            return ok.error();
        }
    }
    // Where values stand unquoted in the tag, a blank or "'" would end them; where they stand in "'", a "'".
    for (const auto& [v, what] : {values[0], values[1], values[4]}) {
        if (v.find_first_of(" \t'") != std::string::npos) {
            return invalid(what, v, "may not hold blanks or \"'\".");
        }
    }
    for (const auto& [v, what] : {values[2], values[3]}) {
        if (v.find('\'') != std::string::npos) {
            return invalid(what, v, "may not hold \"'\".");
        }
    }
    ObjectTag source = tag;
    std::string text;
    for (const Piece& piece : kPieces) {
        if (piece.value == Value::None) {
            text += piece.text;
        } else if (piece.value == Value::IdTail) {
            text += idTail(tag.id);
        } else {
            text += *field(source, piece.value);
        }
    }
    // A value that holds the fixed text after it would be read short; the checks above keep the system's
    // own values clear of that, and this keeps any other value from leaving a tag that reads otherwise.
    if (auto back = readObjectTag(text); !back || *back != tag) {
        return makeError(ErrorCode::Invalid, "The tag for the movie \"" + tag.movie + "\" would not read back.");
    }
    return text;
}

Result<ObjectTag> readObjectTag(std::string_view text) {
    ObjectTag tag;
    bool seen[16] = {};
    std::size_t pos = 0;
    for (std::size_t i = 0; i < kPieces.size(); ++i) {
        const Piece& piece = kPieces[i];
        if (piece.value == Value::None) {
            if (text.substr(pos, piece.text.size()) != piece.text) {
                return makeError(ErrorCode::Malformed, "the tag does not go on as its writer writes it", pos);
            }
            pos += piece.text.size();
            continue;
        }
        // A value runs to the fixed text after it (every value is followed by one).
        const std::string_view next = kPieces[i + 1].text;
        const std::size_t end = i + 2 == kPieces.size() ? (text.size() >= next.size() ? text.size() - next.size() : 0)
                                                        : text.find(next, pos);
        if (end == std::string_view::npos || end < pos) {
            return makeError(ErrorCode::Malformed, "the tag ends inside a value", pos);
        }
        std::string read(text.substr(pos, end - pos));
        if (piece.value == Value::IdTail) {
            if (read != idTail(tag.id)) {
                return makeError(ErrorCode::Malformed, "the EMBED's name does not follow from the id", pos);
            }
        } else {
            std::string& slot = *field(tag, piece.value);
            auto& known = seen[static_cast<int>(piece.value)];
            if (known && slot != read) {
                return makeError(ErrorCode::Malformed, "a value of the OBJECT differs from the EMBED's", pos);
            }
            slot = std::move(read);
            known = true;
        }
        pos = end;
    }
    if (pos != text.size()) {
        return makeError(ErrorCode::Malformed, "text after the tag", pos);
    }
    return tag;
}

FlashPlacement readFlashPlacement(std::string_view tag) {
    std::string sizes(tag);
    std::replace(sizes.begin(), sizes.end(), '%', ' ');
    const auto readSize = [&](std::string_view name, int fallback) {
        double value = 0;
        try {
            value = vb::Val(vb::textBetween(sizes, name, " "));
        } catch (const vb::RuntimeError&) {
            value = 0; // the run-time error of a number out of range
        }
        if (!std::isfinite(value) || value < 1 || value > 100000) {
            return fallback;
        }
        return int(value);
    };
    FlashPlacement placement;
    placement.height = readSize("HEIGHT=", kDefaultMovieHeight);
    placement.width = readSize("WIDTH=", kDefaultMovieWidth);
    placement.variables = vb::textBetween(tag, "flashvars=\"", "\"");
    return placement;
}

} // namespace glw::formats
