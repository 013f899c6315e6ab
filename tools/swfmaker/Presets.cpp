// Preset movies of the clip maker.
#include "swfmaker/Presets.h"

namespace glw::tools {
namespace {

TextItem headline() {
    TextItem t;
    t.text = "Clipart for every page";
    t.font = "Arial";
    t.bold = true;
    t.sizePx = 26;
    t.colour = {20, 60, 140};
    t.x = 16;
    t.y = 12;
    return t;
}

TextItem twoLines() {
    TextItem t;
    t.text = "Made with our own tools\nSecond line in italics";
    t.font = "Times New Roman";
    t.italic = true;
    t.sizePx = 16;
    t.colour = {60, 60, 60};
    t.x = 16;
    t.y = 56;
    return t;
}

FieldItem deviceField() {
    FieldItem f;
    f.variable = "txtMessage";
    f.text = "Edit this message";
    f.font = "Verdana";
    f.sizePx = 14;
    f.colour = {120, 20, 20};
    f.x = 16;
    f.y = 110;
    f.width = 260;
    f.height = 22;
    f.embedGlyphs = false;
    return f;
}

FieldItem embeddedField() {
    FieldItem f;
    f.variable = "txtCaption";
    f.text = "Caption text";
    f.font = "Courier New";
    f.sizePx = 13;
    f.colour = {0, 90, 0};
    f.x = 16;
    f.y = 140;
    f.width = 260;
    f.height = 20;
    return f;
}

ButtonItem linkButton() {
    ButtonItem b;
    b.caption = "Visit us";
    b.url = "http://www.example.com/";
    b.x = 16;
    b.y = 150;
    b.width = 110;
    b.height = 30;
    return b;
}

ButtonItem exitButton() {
    ButtonItem b;
    b.caption = "Exit";
    b.url = "FSCommand:exit";
    b.target = "";
    b.face = {170, 40, 40};
    b.x = 150;
    b.y = 150;
    b.width = 90;
    b.height = 30;
    return b;
}

ImageItem picture() {
    ImageItem i;
    i.picture.width = 120;
    i.picture.height = 90;
    i.picture.top = {250, 200, 60};
    i.picture.bottom = {220, 90, 30};
    i.picture.mark = PictureMark::Ring;
    i.picture.markColour = {255, 255, 255};
    i.quality = 80;
    i.x = 260;
    i.y = 20;
    return i;
}

SoundItem sound() {
    SoundItem s;
    s.sampleRate = 44100;
    s.channels = 1;
    s.milliseconds = 400;
    s.exportName = "clickSound";
    return s;
}

SpriteItem sprite() {
    SpriteItem s;
    s.x = 340;
    s.y = 150;
    s.link = "http://www.example.com/sprite";
    return s;
}

} // namespace

std::vector<std::string> presetNames() {
    return {"blank", "titlebar", "texts",  "links", "fscommand",   "exit",
            "image", "sound",    "sprite", "full",  "long-headers"};
}

Result<ClipSpec> presetSpec(std::string_view name) {
    ClipSpec spec;
    if (name == "texts") {
        spec.texts = {headline(), twoLines()};
        spec.fields = {deviceField(), embeddedField()};
    } else if (name == "links") {
        spec.texts = {headline()};
        spec.buttons = {linkButton()};
        spec.frameLinks = {"http://www.example.com/frame", "mailto:someone@example.com"};
    } else if (name == "fscommand") {
        spec.texts = {headline()};
        spec.buttons = {exitButton()};
    } else if (name == "exit") {
        spec.texts = {headline()};
        spec.exitAtFrame = 3;
    } else if (name == "image") {
        spec.image = picture();
    } else if (name == "sound") {
        spec.texts = {headline()};
        spec.sound = sound();
    } else if (name == "sprite") {
        spec.sprite = sprite();
    } else if (name == "full" || name == "long-headers") {
        spec.widthPx = 440;
        spec.heightPx = 240;
        spec.texts = {headline(), twoLines()};
        spec.fields = {deviceField(), embeddedField()};
        spec.fields[0].y = 104;
        spec.fields[1].y = 130;
        spec.buttons = {linkButton(), exitButton()};
        spec.buttons[0].y = 170;
        spec.buttons[1].x = 140;
        spec.buttons[1].y = 170;
        spec.frameLinks = {"http://www.example.com/frame"};
        spec.image = picture();
        spec.image->x = 300;
        spec.image->y = 60;
        spec.sound = sound();
        spec.sprite = sprite();
        spec.sprite->x = 380;
        spec.sprite->y = 195;
        spec.longHeaders = name == "long-headers";
    } else {
        return makeError(ErrorCode::NotFound, "no preset movie named \"" + std::string(name) + "\"");
    }
    return spec;
}

Result<Bytes> makePreset(std::string_view name, Compression compression, bool tintable) {
    if (tintable && (name == "blank" || name == "titlebar")) {
        return makeError(ErrorCode::Invalid, "the " + std::string(name) + " movie is fixed and takes no tint");
    }
    if (name == "blank") {
        return makeBlankMovie(compression);
    }
    if (name == "titlebar") {
        Bytes movie = makeTitleMovie(compression);
        if (movie.empty()) {
            return makeError(ErrorCode::NotFound, "the title movie could not be made");
        }
        return movie;
    }
    auto spec = presetSpec(name);
    if (!spec) {
        return spec.error();
    }
    spec->compression = compression;
    spec->tintable = tintable;
    return makeClip(*spec);
}

} // namespace glw::tools
