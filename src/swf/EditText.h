// Edit-text fields (DefineEditText): reading the field and writing it again with a new text, font or
// height, every other field kept as stored.
#pragma once

#include "base/Result.h"
#include "swf/Bytes.h"
#include "swf/Movie.h"
#include "swf/Records.h"

#include <cstdint>
#include <string>

namespace glw::swf {

struct EditText {
    std::uint16_t id = 0;
    Bytes boundsBytes;        // as stored
    std::uint16_t flags = 0;  // first flag byte in the high byte
    std::uint16_t fontId = 0; // HasFont
    std::string fontClass;    // HasFontClass (as stored)
    std::uint16_t fontHeight = 0;
    Bytes middle;             // colour, maximum length, layout: as stored
    std::string variableName; // as stored
    std::string initialText;  // as stored (HTML fields: the markup)
    Bytes trailing;

    static constexpr std::uint16_t kHasText = 0x8000;
    static constexpr std::uint16_t kHasFont = 0x0100;
    static constexpr std::uint16_t kHasFontClass = 0x0080;
    static constexpr std::uint16_t kHtml = 0x0002;
    static constexpr std::uint16_t kUseOutlines = 0x0001;

    bool hasText() const { return flags & kHasText; }
    bool hasFont() const { return flags & kHasFont; }
    bool hasFontClass() const { return flags & kHasFontClass; }
};

[[nodiscard]] Result<EditText> readDefineEditText(const Tag& tag);
[[nodiscard]] Bytes writeDefineEditText(const EditText& field);

} // namespace glw::swf
