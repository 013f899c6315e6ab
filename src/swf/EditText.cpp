// Edit-text fields (DefineEditText): reading the field and writing it again with a new text, font or
// height, every other field kept as stored.
#include "swf/EditText.h"

namespace glw::swf {

namespace {

constexpr std::uint16_t kHasTextColor = 0x0400;
constexpr std::uint16_t kHasMaxLength = 0x0200;
constexpr std::uint16_t kHasLayout = 0x0020;

} // namespace

Result<EditText> readDefineEditText(const Tag& tag) {
    ByteView p = tag.payload();
    ByteReader r(p);
    EditText f;
    f.id = r.u16();
    std::size_t boundsStart = r.position();
    (void)readRect(r);
    std::size_t boundsEnd = r.position();
    std::uint8_t hi = r.u8();
    std::uint8_t lo = r.u8();
    f.flags = static_cast<std::uint16_t>((hi << 8) | lo);
    if (r.failed()) {
        return makeError(ErrorCode::Truncated, "an edit-text field is cut short");
    }
    f.boundsBytes.assign(p.begin() + static_cast<std::ptrdiff_t>(boundsStart),
                         p.begin() + static_cast<std::ptrdiff_t>(boundsEnd));
    if (f.hasFont()) {
        f.fontId = r.u16();
    }
    if (f.hasFontClass()) {
        f.fontClass = std::string(r.cstring());
    }
    // The height is there with a font class too, not only with a font id.
    if (f.hasFont() || f.hasFontClass()) {
        f.fontHeight = r.u16();
    }
    std::size_t middleStart = r.position();
    if (f.flags & kHasTextColor) {
        r.skip(4);
    }
    if (f.flags & kHasMaxLength) {
        r.skip(2);
    }
    if (f.flags & kHasLayout) {
        r.skip(9);
    }
    std::size_t middleEnd = r.position();
    f.variableName = std::string(r.cstring());
    if (f.hasText()) {
        f.initialText = std::string(r.cstring());
    }
    if (r.failed()) {
        return makeError(ErrorCode::Truncated, "an edit-text field is cut short");
    }
    f.middle.assign(p.begin() + static_cast<std::ptrdiff_t>(middleStart),
                    p.begin() + static_cast<std::ptrdiff_t>(middleEnd));
    ByteView rest = r.rest();
    f.trailing.assign(rest.begin(), rest.end());
    return f;
}

Bytes writeDefineEditText(const EditText& f) {
    ByteWriter w(32 + f.middle.size() + f.variableName.size() + f.initialText.size());
    w.u16(f.id);
    w.bytes(f.boundsBytes);
    w.u8(static_cast<std::uint8_t>(f.flags >> 8));
    w.u8(static_cast<std::uint8_t>(f.flags));
    if (f.hasFont()) {
        w.u16(f.fontId);
    }
    if (f.hasFontClass()) {
        w.cstring(f.fontClass);
    }
    if (f.hasFont() || f.hasFontClass()) {
        w.u16(f.fontHeight);
    }
    w.bytes(f.middle);
    w.cstring(f.variableName);
    if (f.hasText()) {
        w.cstring(f.initialText);
    }
    w.bytes(f.trailing);
    return w.take();
}

} // namespace glw::swf
