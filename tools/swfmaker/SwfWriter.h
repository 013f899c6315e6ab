// A small SWF writer for our own movies: records, tags, shapes, actions and the file header.
#pragma once

#include "base/Bytes.h"
#include "swf/TagCode.h"
#include "swf/media/EdgeRecords.h"
#include "swf/media/Mp3.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace glw::tools {

using Bytes = std::vector<std::uint8_t>;
using glw::base::ByteWriter;

using glw::swf::TagCode;

struct Rgb {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
};

struct Rgba {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
    std::uint8_t a = 255;
};

inline Rgba opaque(Rgb c) {
    return {c.r, c.g, c.b, 255};
}

// A rectangle in twips.
struct Rect {
    std::int32_t xMin = 0;
    std::int32_t xMax = 0;
    std::int32_t yMin = 0;
    std::int32_t yMax = 0;
};

// Twips per pixel.
inline constexpr std::int32_t kTwips = 20;

// A placement matrix: [scaleX rotate1; rotate0 scaleY] and a translation in twips.
struct Matrix {
    double scaleX = 1.0;
    double scaleY = 1.0;
    double rotate0 = 0.0;
    double rotate1 = 0.0;
    std::int32_t translateX = 0;
    std::int32_t translateY = 0;

    static Matrix translate(std::int32_t x, std::int32_t y) {
        Matrix m;
        m.translateX = x;
        m.translateY = y;
        return m;
    }
};

void writeRect(ByteWriter& w, const Rect& r);
void writeMatrix(ByteWriter& w, const Matrix& m);
void writeRgb(ByteWriter& w, Rgb c);
void writeRgba(ByteWriter& w, Rgba c);

// One tag: code and body. longHeader writes the 6-byte header even for bodies under 63 bytes, as
// Flash does for many tags.
struct Tag {
    TagCode code = TagCode::End;
    Bytes body;
    bool longHeader = false;
};

inline Tag makeTag(TagCode code, Bytes body) {
    return Tag{code, std::move(body), false};
}

// Header and body of one tag.
Bytes encodeTag(const Tag& tag);

enum class Compression { None, Zlib };

// A movie being written: header fields and the root timeline's tags.
class Movie {
public:
    Movie(std::uint8_t version, Rect frame, double frameRate);

    void add(Tag tag);
    // Writes every later tag with the long header form.
    void setLongHeaders(bool on) { m_longHeaders = on; }
    std::uint16_t frameCount() const { return m_frames; }

    // The whole file, FWS or CWS, with an End tag appended and the frame count of the ShowFrame tags added.
    Bytes finish(Compression compression) const;

private:
    std::uint8_t m_version;
    Rect m_frame;
    double m_frameRate;
    std::vector<Tag> m_tags;
    std::uint16_t m_frames = 0;
    bool m_longHeaders = false;
};

// Control tags.
Tag showFrame();
Tag setBackgroundColor(Rgb colour);
// FileAttributes for an ActionScript 1/2 movie; useNetwork grants network access when played locally.
Tag fileAttributes(bool useNetwork);
// PlaceObject2 of a new character; name empty for none.
Tag placeObject2(std::uint16_t depth, std::uint16_t characterId, const Matrix& matrix, std::string_view name = {});
// PlaceObject2 that only changes the matrix of the character at depth.
Tag moveObject2(std::uint16_t depth, const Matrix& matrix);
// StartSound with no envelope; loops 0 plays once.
Tag startSound(std::uint16_t soundId, std::uint16_t loops = 0);
Tag exportAssets(const std::vector<std::pair<std::uint16_t, std::string>>& assets);
// DoAction with the given action records; the end-of-actions byte is appended.
Tag doAction(const Bytes& actions);

// Definition tags.
Tag defineBitsJpeg2(std::uint16_t id, std::span<const std::uint8_t> jpeg);
Tag defineSound(std::uint16_t id, const glw::swf::media::SwfSoundFormat& format,
                std::span<const std::uint8_t> soundData);
// DefineSprite of the control tags; its frame count is the number of ShowFrame tags, End is appended.
// longHeaders writes every inner tag with the 6-byte header.
Tag defineSprite(std::uint16_t id, const std::vector<Tag>& controlTags, bool longHeaders = false);

// Action records (SWF 3-5 actions).
Bytes actionGetUrl(std::string_view url, std::string_view target);
Bytes actionStop();
Bytes actionPlay();
Bytes actionPushString(std::string_view text);
Bytes actionGetVariable();
Bytes actionNot();
// A 32-bit integer push (SWF 5).
Bytes actionPushInt(std::int32_t value);
// SWF 5 object actions: NewObject (name, argument count, arguments), InitObject (count, then value and name
// pairs), CallMethod (method name, object, argument count, arguments), Pop, and BitOr (to a 32-bit whole
// number, so an unset variable gives 0).
Bytes actionNewObject();
Bytes actionInitObject();
Bytes actionCallMethod();
Bytes actionPop();
Bytes actionBitOr();
// ActionIf with a branch offset in bytes from the end of this record.
Bytes actionIf(std::int16_t offset);
Bytes actionJump(std::int16_t offset);

// Button transition conditions (the two flag bytes of BUTTONCONDACTION, first byte high).
inline constexpr std::uint16_t kOnRelease = 0x0800;  // OverDownToOverUp
inline constexpr std::uint16_t kOnRollOver = 0x0100; // IdleToOverUp

// Button states of a BUTTONRECORD.
inline constexpr std::uint8_t kStateUp = 0x01;
inline constexpr std::uint8_t kStateOver = 0x02;
inline constexpr std::uint8_t kStateDown = 0x04;
inline constexpr std::uint8_t kStateHit = 0x08;

struct ButtonRecord {
    std::uint8_t states = kStateUp | kStateOver | kStateDown | kStateHit;
    std::uint16_t characterId = 0;
    std::uint16_t depth = 1;
    Matrix matrix;
};

struct ButtonAction {
    std::uint16_t conditions = kOnRelease;
    Bytes actions; // action records; the end-of-actions byte is appended
};

Tag defineButton2(std::uint16_t id, const std::vector<ButtonRecord>& records, const std::vector<ButtonAction>& actions);

// A dynamic text field.
struct EditText {
    std::uint16_t id = 0;
    Rect bounds;
    std::optional<std::uint16_t> fontId;
    std::uint16_t fontHeight = 240; // twips
    std::optional<Rgba> colour;
    std::string variableName;
    std::optional<std::string> initialText;
    bool wordWrap = false;
    bool multiline = false;
    bool readOnly = true;
    bool noSelect = true;
    bool border = false;
    bool html = false;
    bool useOutlines = false; // draw with the font's glyphs rather than a device font
    bool autoSize = false;
    std::uint8_t align = 0; // 0 left, 1 right, 2 centre, 3 justify
    std::uint16_t leftMargin = 0;
    std::uint16_t rightMargin = 0;
    std::int16_t indent = 0;
    std::int16_t leading = 0;
};

Tag defineEditText(const EditText& field);

// Builds DefineShape3 shapes from rectangles and paths (coordinates in twips).
class ShapeBuilder {
public:
    // Fill and line styles; the returned index (from 1) selects them.
    int addSolidFill(Rgba colour);
    // A clipped, smoothed bitmap fill; matrix maps bitmap pixels to twips (scale 20 shows pixels 1:1).
    int addBitmapFill(std::uint16_t bitmapId, const Matrix& matrix);
    int addLineStyle(std::uint16_t widthTwips, Rgba colour);

    // Style for the following paths: fill0 (left side), fill1 (right side) and line, 0 for none.
    void setStyle(int fill0, int fill1, int line);
    void moveTo(std::int32_t x, std::int32_t y);
    void lineTo(std::int32_t x, std::int32_t y);
    void curveTo(std::int32_t cx, std::int32_t cy, std::int32_t x, std::int32_t y);
    // A closed rectangle, clockwise on screen (its inside on the right: fill1) with the current style.
    void rectangle(const Rect& r);

    Tag defineShape3(std::uint16_t id) const;
    Rect bounds() const;

private:
    struct Fill {
        Rgba colour;
        bool bitmap = false;
        std::uint16_t bitmapId = 0;
        Matrix matrix;
    };
    struct Line {
        std::uint16_t width = 20;
        Rgba colour;
    };
    enum class Kind { Style, Move, Straight, Curve };
    struct Record {
        Kind kind;
        std::int32_t cx = 0, cy = 0, x = 0, y = 0;
        int fill0 = 0, fill1 = 0, line = 0;
    };
    void include(std::int32_t x, std::int32_t y);

    std::vector<Fill> m_fills;
    std::vector<Line> m_lines;
    std::vector<Record> m_records;
    std::int32_t m_penX = 0;
    std::int32_t m_penY = 0;
    bool m_haveBounds = false;
    Rect m_bounds;
    std::uint16_t m_maxLine = 0;
};

} // namespace glw::tools
