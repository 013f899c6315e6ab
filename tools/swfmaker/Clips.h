// Our own movies: a clip described by its texts, fields, buttons, image, sound and sprite, and the
// fixed movies of the application folder (the empty movie and the panel-title movie).
#pragma once

#include "swfmaker/Pictures.h"
#include "swfmaker/SwfWriter.h"

#include <optional>
#include <string>
#include <vector>

namespace glw::tools {

// Positions and sizes of clip items are in pixels.

// A static text (DefineText) in an embedded font; '\n' breaks lines.
struct TextItem {
    std::string text;
    std::string font = "Arial";
    bool bold = false;
    bool italic = false;
    int sizePx = 24;
    Rgb colour{0, 0, 0};
    int x = 10;
    int y = 10;
};

// A dynamic text field (DefineEditText) bound to a movie variable.
struct FieldItem {
    std::string variable;
    std::optional<std::string> text; // initial text, none for a field that shows only its variable
    std::string font = "Arial";
    bool bold = false;
    int sizePx = 14;
    Rgb colour{0, 0, 0};
    int x = 10;
    int y = 10;
    int width = 200;
    int height = 20;
    bool embedGlyphs = true; // glyphs of printable ASCII and the text embedded; else a device font
    bool html = false;
    bool border = false;
    bool editable = false;
    std::uint8_t align = 0; // 0 left, 1 right, 2 centre
};

// A push button (DefineButton2) whose release runs getURL(url, target).
struct ButtonItem {
    std::string caption;
    std::string url;
    std::string target = "_blank";
    int x = 10;
    int y = 10;
    int width = 120;
    int height = 30;
    Rgb face{40, 90, 170};
    Rgb textColour{255, 255, 255};
    std::string font = "Arial";
    int sizePx = 14;
};

// A JPEG picture (DefineBitsJPEG2) shown through a shape's bitmap fill.
struct ImageItem {
    PictureSpec picture;
    int quality = 80;
    int x = 10;
    int y = 10;
};

// A short silent MP3 event sound (DefineSound), exported under a name when one is given.
struct SoundItem {
    int sampleRate = 44100;
    int channels = 1;
    int milliseconds = 400;
    std::string exportName;
    bool play = true; // a StartSound in the first frame
};

// A named sprite (DefineSprite) that turns a shape and carries a static text; its first frame action
// holds a guarded link when link is not empty.
struct SpriteItem {
    std::string name = "spinner";
    std::string text = "Spin";
    std::string font = "Arial";
    Rgb colour{230, 120, 30};
    int x = 40;
    int y = 40;
    int size = 40;
    int frames = 12;
    std::string link;
};

struct ClipSpec {
    std::uint8_t version = 8;
    int widthPx = 400;
    int heightPx = 200;
    double frameRate = 12.0;
    Rgb background{255, 255, 255};
    std::vector<TextItem> texts;
    std::vector<FieldItem> fields;
    std::vector<ButtonItem> buttons;
    // Links in the first frame's action, each run only when the movie variable "clickTag" is set, so
    // playing the clip opens nothing.
    std::vector<std::string> frameLinks;
    std::optional<ImageItem> image;
    std::optional<SoundItem> sound;
    std::optional<SpriteItem> sprite;
    // When above 0, the root timeline has this many frames and the last one calls
    // fscommand("exit") through getURL("FSCommand:exit", "").
    int exitAtFrame = 0;
    // When set, the first frame's action adds the movie variables CWR, CWG and CWB (-256 to 256, 0 when
    // unset) to the red, green and blue of the whole clip: new Color(_root).setTransform({ra: 100, rb: CWR,
    // ga: 100, gb: CWG, ba: 100, bb: CWB}).
    bool tintable = false;
    bool longHeaders = false; // every tag with the 6-byte header, as Flash writes many
    Compression compression = Compression::Zlib;
};

// The movie of a clip. Fails only when no system font can be found for a text, or the picture or
// sound cannot be made.
Result<Bytes> makeClip(const ClipSpec& spec);

// The empty movie (550 x 400 pixels, one empty frame, no background of its own) shown by empty cells.
Bytes makeBlankMovie(Compression compression = Compression::None);

// The panel-title movie: a bar that shows its movie variable "txtTitle" in a bold single-line field.
// Glyphs of printable ASCII are embedded when a font is found; otherwise the field uses a device font.
Bytes makeTitleMovie(Compression compression = Compression::Zlib);

// A silent MPEG audio stream (Layer III frames whose side information and main data are all zero,
// which every decoder plays as silence) at the given MPEG sample rate (any of 8000 to 48000 Hz that
// MPEG 1, 2 or 2.5 defines), 1 or 2 channels, and at least the given length. Invalid for another rate.
Result<Bytes> makeSilentMp3(int sampleRate, int channels, int milliseconds);

} // namespace glw::tools
