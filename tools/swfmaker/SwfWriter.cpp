// SWF records, tags and file writing for the clip maker.
#include "swfmaker/SwfWriter.h"

#include <algorithm>
#include <cmath>
#include <zlib.h>

namespace glw::tools {

using glw::swf::media::kMaxEdgeDelta;
using glw::swf::media::writeCurvedEdge;
using glw::swf::media::writeStraightEdge;

namespace {

std::int32_t fixed16(double v) {
    return static_cast<std::int32_t>(std::lround(v * 65536.0));
}

// The width of signed fields that hold all `values`: one bit at the least, even when they are all zero.
int bitsFor(std::initializer_list<std::int32_t> values) {
    return static_cast<int>(std::max(1u, glw::base::bitsForSigned(values)));
}

} // namespace

void writeRect(ByteWriter& w, const Rect& r) {
    const int bits = bitsFor({r.xMin, r.xMax, r.yMin, r.yMax});
    w.align();
    w.ub(static_cast<std::uint32_t>(bits), 5);
    w.sb(r.xMin, bits);
    w.sb(r.xMax, bits);
    w.sb(r.yMin, bits);
    w.sb(r.yMax, bits);
    w.align();
}

void writeMatrix(ByteWriter& w, const Matrix& m) {
    w.align();
    const bool hasScale = m.scaleX != 1.0 || m.scaleY != 1.0;
    w.ub(hasScale ? 1 : 0, 1);
    if (hasScale) {
        const int bits = bitsFor({fixed16(m.scaleX), fixed16(m.scaleY)});
        w.ub(static_cast<std::uint32_t>(bits), 5);
        w.sb(fixed16(m.scaleX), bits);
        w.sb(fixed16(m.scaleY), bits);
    }
    const bool hasRotate = m.rotate0 != 0.0 || m.rotate1 != 0.0;
    w.ub(hasRotate ? 1 : 0, 1);
    if (hasRotate) {
        const int bits = bitsFor({fixed16(m.rotate0), fixed16(m.rotate1)});
        w.ub(static_cast<std::uint32_t>(bits), 5);
        w.sb(fixed16(m.rotate0), bits);
        w.sb(fixed16(m.rotate1), bits);
    }
    const int bits = (m.translateX == 0 && m.translateY == 0) ? 0 : bitsFor({m.translateX, m.translateY});
    w.ub(static_cast<std::uint32_t>(bits), 5);
    w.sb(m.translateX, bits);
    w.sb(m.translateY, bits);
    w.align();
}

void writeRgb(ByteWriter& w, Rgb c) {
    w.u8(c.r);
    w.u8(c.g);
    w.u8(c.b);
}

void writeRgba(ByteWriter& w, Rgba c) {
    w.u8(c.r);
    w.u8(c.g);
    w.u8(c.b);
    w.u8(c.a);
}

Bytes encodeTag(const Tag& tag) {
    ByteWriter w;
    const bool longForm = tag.longHeader || tag.body.size() >= 0x3F;
    w.u16(static_cast<std::uint16_t>((glw::swf::toU16(tag.code) << 6) | (longForm ? 0x3F : tag.body.size())));
    if (longForm) {
        w.u32(static_cast<std::uint32_t>(tag.body.size()));
    }
    w.bytes(tag.body);
    return w.take();
}

Movie::Movie(std::uint8_t version, Rect frame, double frameRate)
    : m_version(version), m_frame(frame), m_frameRate(frameRate) {}

void Movie::add(Tag tag) {
    if (tag.code == TagCode::ShowFrame) {
        ++m_frames;
    }
    tag.longHeader = tag.longHeader || m_longHeaders;
    m_tags.push_back(std::move(tag));
}

Bytes Movie::finish(Compression compression) const {
    ByteWriter body;
    writeRect(body, m_frame);
    body.u16(static_cast<std::uint16_t>(std::lround(m_frameRate * 256.0)));
    body.u16(m_frames);
    for (const Tag& tag : m_tags) {
        body.bytes(encodeTag(tag));
    }
    body.bytes(encodeTag(Tag{TagCode::End, {}, m_longHeaders}));
    const Bytes plain = body.take();

    ByteWriter file;
    file.u8(compression == Compression::Zlib ? 'C' : 'F');
    file.u8('W');
    file.u8('S');
    file.u8(m_version);
    file.u32(static_cast<std::uint32_t>(plain.size() + 8));
    if (compression == Compression::None) {
        file.bytes(plain);
        return file.take();
    }
    uLongf packedSize = compressBound(static_cast<uLong>(plain.size()));
    Bytes packed(packedSize);
    compress2(packed.data(), &packedSize, plain.data(), static_cast<uLong>(plain.size()), Z_BEST_COMPRESSION);
    packed.resize(packedSize);
    file.bytes(packed);
    return file.take();
}

Tag showFrame() {
    return makeTag(TagCode::ShowFrame, {});
}

Tag setBackgroundColor(Rgb colour) {
    ByteWriter w;
    writeRgb(w, colour);
    return makeTag(TagCode::SetBackgroundColor, w.take());
}

Tag fileAttributes(bool useNetwork) {
    ByteWriter w;
    w.u32(useNetwork ? 0x01 : 0x00);
    return makeTag(TagCode::FileAttributes, w.take());
}

Tag placeObject2(std::uint16_t depth, std::uint16_t characterId, const Matrix& matrix, std::string_view name) {
    ByteWriter w;
    w.u8(static_cast<std::uint8_t>(0x02 | 0x04 | (name.empty() ? 0 : 0x20))); // character, matrix, name
    w.u16(depth);
    w.u16(characterId);
    writeMatrix(w, matrix);
    if (!name.empty()) {
        w.cstring(name);
    }
    return makeTag(TagCode::PlaceObject2, w.take());
}

Tag moveObject2(std::uint16_t depth, const Matrix& matrix) {
    ByteWriter w;
    w.u8(0x01 | 0x04); // move, matrix
    w.u16(depth);
    writeMatrix(w, matrix);
    return makeTag(TagCode::PlaceObject2, w.take());
}

Tag startSound(std::uint16_t soundId, std::uint16_t loops) {
    ByteWriter w;
    w.u16(soundId);
    if (loops > 0) {
        w.u8(0x04); // HasLoops
        w.u16(loops);
    } else {
        w.u8(0);
    }
    return makeTag(TagCode::StartSound, w.take());
}

Tag exportAssets(const std::vector<std::pair<std::uint16_t, std::string>>& assets) {
    ByteWriter w;
    w.u16(static_cast<std::uint16_t>(assets.size()));
    for (const auto& [id, name] : assets) {
        w.u16(id);
        w.cstring(name);
    }
    return makeTag(TagCode::ExportAssets, w.take());
}

Tag doAction(const Bytes& actions) {
    Bytes body = actions;
    body.push_back(0);
    return makeTag(TagCode::DoAction, std::move(body));
}

Tag defineBitsJpeg2(std::uint16_t id, std::span<const std::uint8_t> jpeg) {
    ByteWriter w;
    w.u16(id);
    w.bytes(jpeg);
    Tag t = makeTag(TagCode::DefineBitsJPEG2, w.take());
    t.longHeader = true;
    return t;
}

Tag defineSound(std::uint16_t id, const glw::swf::media::SwfSoundFormat& format,
                std::span<const std::uint8_t> soundData) {
    ByteWriter w;
    w.u16(id);
    w.u8(format.packed());
    w.u32(format.sampleCount);
    w.bytes(soundData);
    Tag t = makeTag(TagCode::DefineSound, w.take());
    t.longHeader = true;
    return t;
}

Tag defineSprite(std::uint16_t id, const std::vector<Tag>& controlTags, bool longHeaders) {
    ByteWriter w;
    std::uint16_t frames = 0;
    for (const Tag& t : controlTags) {
        if (t.code == TagCode::ShowFrame) {
            ++frames;
        }
    }
    w.u16(id);
    w.u16(frames);
    for (Tag t : controlTags) {
        t.longHeader = t.longHeader || longHeaders;
        w.bytes(encodeTag(t));
    }
    w.bytes(encodeTag(Tag{TagCode::End, {}, longHeaders}));
    return makeTag(TagCode::DefineSprite, w.take());
}

Bytes actionGetUrl(std::string_view url, std::string_view target) {
    ByteWriter w;
    w.u8(0x83);
    w.u16(static_cast<std::uint16_t>(url.size() + target.size() + 2));
    w.cstring(url);
    w.cstring(target);
    return w.take();
}

Bytes actionStop() {
    return {0x07};
}

Bytes actionPlay() {
    return {0x06};
}

Bytes actionPushString(std::string_view text) {
    ByteWriter w;
    w.u8(0x96);
    w.u16(static_cast<std::uint16_t>(text.size() + 2));
    w.u8(0); // string
    w.cstring(text);
    return w.take();
}

Bytes actionPushInt(std::int32_t value) {
    ByteWriter w;
    w.u8(0x96);
    w.u16(5);
    w.u8(7); // integer
    w.u32(static_cast<std::uint32_t>(value));
    return w.take();
}

Bytes actionNewObject() {
    return {0x40};
}

Bytes actionInitObject() {
    return {0x43};
}

Bytes actionCallMethod() {
    return {0x52};
}

Bytes actionPop() {
    return {0x17};
}

Bytes actionBitOr() {
    return {0x61};
}

Bytes actionGetVariable() {
    return {0x1C};
}

Bytes actionNot() {
    return {0x12};
}

Bytes actionIf(std::int16_t offset) {
    ByteWriter w;
    w.u8(0x9D);
    w.u16(2);
    w.s16(offset);
    return w.take();
}

Bytes actionJump(std::int16_t offset) {
    ByteWriter w;
    w.u8(0x99);
    w.u16(2);
    w.s16(offset);
    return w.take();
}

Tag defineButton2(std::uint16_t id, const std::vector<ButtonRecord>& records,
                  const std::vector<ButtonAction>& actions) {
    ByteWriter recs;
    for (const ButtonRecord& r : records) {
        recs.u8(r.states & 0x0F);
        recs.u16(r.characterId);
        recs.u16(r.depth);
        writeMatrix(recs, r.matrix);
        recs.u8(0); // CXFORMWITHALPHA without terms: 6 zero bits, padded
    }
    recs.u8(0); // CharacterEndFlag
    const Bytes recordBytes = recs.take();

    ByteWriter w;
    w.u16(id);
    w.u8(0); // not tracked as a menu
    w.u16(actions.empty() ? 0 : static_cast<std::uint16_t>(2 + recordBytes.size()));
    w.bytes(recordBytes);
    for (std::size_t i = 0; i < actions.size(); ++i) {
        const ButtonAction& a = actions[i];
        const bool last = i + 1 == actions.size();
        w.u16(last ? 0 : static_cast<std::uint16_t>(4 + a.actions.size() + 1));
        w.u8(static_cast<std::uint8_t>(a.conditions >> 8));
        w.u8(static_cast<std::uint8_t>(a.conditions & 0xFF));
        w.bytes(a.actions);
        w.u8(0);
    }
    return makeTag(TagCode::DefineButton2, w.take());
}

Tag defineEditText(const EditText& f) {
    ByteWriter w;
    w.u16(f.id);
    writeRect(w, f.bounds);
    std::uint8_t a = 0;
    a |= f.initialText ? 0x80 : 0;
    a |= f.wordWrap ? 0x40 : 0;
    a |= f.multiline ? 0x20 : 0;
    a |= f.readOnly ? 0x08 : 0;
    a |= f.colour ? 0x04 : 0;
    a |= f.fontId ? 0x01 : 0;
    std::uint8_t b = 0x20; // layout is always written
    b |= f.autoSize ? 0x40 : 0;
    b |= f.noSelect ? 0x10 : 0;
    b |= f.border ? 0x08 : 0;
    b |= f.html ? 0x02 : 0;
    b |= f.useOutlines ? 0x01 : 0;
    w.u8(a);
    w.u8(b);
    if (f.fontId) {
        w.u16(*f.fontId);
        w.u16(f.fontHeight);
    }
    if (f.colour) {
        writeRgba(w, *f.colour);
    }
    w.u8(f.align);
    w.u16(f.leftMargin);
    w.u16(f.rightMargin);
    w.s16(f.indent);
    w.s16(f.leading);
    w.cstring(f.variableName);
    if (f.initialText) {
        w.cstring(*f.initialText);
    }
    return makeTag(TagCode::DefineEditText, w.take());
}

int ShapeBuilder::addSolidFill(Rgba colour) {
    m_fills.push_back(Fill{colour, false, 0, {}});
    return static_cast<int>(m_fills.size());
}

int ShapeBuilder::addBitmapFill(std::uint16_t bitmapId, const Matrix& matrix) {
    m_fills.push_back(Fill{{}, true, bitmapId, matrix});
    return static_cast<int>(m_fills.size());
}

int ShapeBuilder::addLineStyle(std::uint16_t widthTwips, Rgba colour) {
    m_lines.push_back(Line{widthTwips, colour});
    m_maxLine = std::max(m_maxLine, widthTwips);
    return static_cast<int>(m_lines.size());
}

void ShapeBuilder::setStyle(int fill0, int fill1, int line) {
    Record r{Kind::Style};
    r.fill0 = fill0;
    r.fill1 = fill1;
    r.line = line;
    m_records.push_back(r);
}

void ShapeBuilder::include(std::int32_t x, std::int32_t y) {
    if (!m_haveBounds) {
        m_bounds = {x, x, y, y};
        m_haveBounds = true;
        return;
    }
    m_bounds.xMin = std::min(m_bounds.xMin, x);
    m_bounds.xMax = std::max(m_bounds.xMax, x);
    m_bounds.yMin = std::min(m_bounds.yMin, y);
    m_bounds.yMax = std::max(m_bounds.yMax, y);
}

void ShapeBuilder::moveTo(std::int32_t x, std::int32_t y) {
    Record r{Kind::Move};
    r.x = x;
    r.y = y;
    m_records.push_back(r);
    m_penX = x;
    m_penY = y;
}

void ShapeBuilder::lineTo(std::int32_t x, std::int32_t y) {
    include(m_penX, m_penY);
    include(x, y);
    Record r{Kind::Straight};
    r.x = x;
    r.y = y;
    m_records.push_back(r);
    m_penX = x;
    m_penY = y;
}

void ShapeBuilder::curveTo(std::int32_t cx, std::int32_t cy, std::int32_t x, std::int32_t y) {
    include(m_penX, m_penY);
    include(cx, cy);
    include(x, y);
    Record r{Kind::Curve};
    r.cx = cx;
    r.cy = cy;
    r.x = x;
    r.y = y;
    m_records.push_back(r);
    m_penX = x;
    m_penY = y;
}

void ShapeBuilder::rectangle(const Rect& r) {
    moveTo(r.xMin, r.yMin);
    lineTo(r.xMax, r.yMin);
    lineTo(r.xMax, r.yMax);
    lineTo(r.xMin, r.yMax);
    lineTo(r.xMin, r.yMin);
}

Rect ShapeBuilder::bounds() const {
    const std::int32_t half = m_maxLine / 2;
    return {m_bounds.xMin - half, m_bounds.xMax + half, m_bounds.yMin - half, m_bounds.yMax + half};
}

Tag ShapeBuilder::defineShape3(std::uint16_t id) const {
    ByteWriter w;
    w.u16(id);
    writeRect(w, bounds());
    auto count = [&w](std::size_t n) {
        if (n >= 0xFF) {
            w.u8(0xFF);
            w.u16(static_cast<std::uint16_t>(n));
        } else {
            w.u8(static_cast<std::uint8_t>(n));
        }
    };
    count(m_fills.size());
    for (const Fill& f : m_fills) {
        if (f.bitmap) {
            w.u8(0x41); // clipped, smoothed bitmap
            w.u16(f.bitmapId);
            writeMatrix(w, f.matrix);
        } else {
            w.u8(0x00);
            writeRgba(w, f.colour);
        }
    }
    count(m_lines.size());
    for (const Line& l : m_lines) {
        w.u16(l.width);
        writeRgba(w, l.colour);
    }
    const unsigned fillBits = glw::base::bitsForUnsigned(static_cast<std::uint32_t>(m_fills.size()));
    const unsigned lineBits = glw::base::bitsForUnsigned(static_cast<std::uint32_t>(m_lines.size()));
    w.ub(fillBits, 4);
    w.ub(lineBits, 4);
    std::int32_t penX = 0;
    std::int32_t penY = 0;
    for (std::size_t i = 0; i < m_records.size(); ++i) {
        const Record& r = m_records[i];
        if (r.kind == Kind::Style || r.kind == Kind::Move) {
            const Record* style = r.kind == Kind::Style ? &r : nullptr;
            const Record* move = r.kind == Kind::Move ? &r : nullptr;
            if (style != nullptr && i + 1 < m_records.size() && m_records[i + 1].kind == Kind::Move) {
                move = &m_records[++i];
            }
            w.ub(0, 1);                                // style change record
            w.ub(0, 1);                                // StateNewStyles
            w.ub(style != nullptr && lineBits > 0, 1); // StateLineStyle
            w.ub(style != nullptr && fillBits > 0, 1); // StateFillStyle1
            w.ub(style != nullptr && fillBits > 0, 1); // StateFillStyle0
            w.ub(move != nullptr, 1);                  // StateMoveTo
            if (move != nullptr) {
                const int bits = bitsFor({move->x, move->y});
                w.ub(static_cast<std::uint32_t>(bits), 5);
                w.sb(move->x, bits);
                w.sb(move->y, bits);
                penX = move->x;
                penY = move->y;
            }
            if (style != nullptr && fillBits > 0) {
                w.ub(static_cast<std::uint32_t>(style->fill0), fillBits);
                w.ub(static_cast<std::uint32_t>(style->fill1), fillBits);
            }
            if (style != nullptr && lineBits > 0) {
                w.ub(static_cast<std::uint32_t>(style->line), lineBits);
            }
            continue;
        }
        if (r.kind == Kind::Straight) {
            // Shapes of this tool stay far inside the edge record's range.
            writeStraightEdge(w, std::clamp(r.x - penX, -kMaxEdgeDelta, kMaxEdgeDelta),
                              std::clamp(r.y - penY, -kMaxEdgeDelta, kMaxEdgeDelta));
        } else {
            writeCurvedEdge(w, r.cx - penX, r.cy - penY, r.x - r.cx, r.y - r.cy);
        }
        penX = r.x;
        penY = r.y;
    }
    w.ub(0, 6); // end of shape
    return makeTag(TagCode::DefineShape3, w.take());
}

} // namespace glw::tools
