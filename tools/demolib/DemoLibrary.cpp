// Lays out the demo application folder with our own clips, pictures and texts.
#include "demolib/DemoLibrary.h"

#include "formats/ColourPresets.h"
#include "swfmaker/Clips.h"
#include "swfmaker/Pictures.h"

#include <fstream>
#include <functional>
#include <iterator>
#include <system_error>

namespace glw::tools {
namespace {

namespace fs = std::filesystem;

// Font-name fragments the text editor's font list leaves out: symbol and picture fonts, whose
// letters are not letters. One line, no trailing comma and no line break (an empty fragment would
// match every font, and a line break would become part of the last fragment).
constexpr const char* kBadFonts = "Symbol,Dingbat,Wingdings,Webdings,Marlett,D050000L";

// The colour presets beside the program, in the order the presets control lists them.
struct NamedColour {
    const char* name;
    formats::PresetColour colour;
};
constexpr NamedColour kColourPresets[] = {
    {"Sunset", {255, 128, 64}}, {"Ocean", {0, 64, 128}},    {"Forest", {34, 139, 34}},
    {"Rose", {255, 102, 153}},  {"Slate", {112, 128, 144}}, {"Gold", {255, 204, 0}},
};

constexpr const char* kHelpPage = R"(<!DOCTYPE html>
<html>
<head>
<meta charset="utf-8">
<title>Clipart Browser Help</title>
<style>
body { font-family: sans-serif; margin: 2em; max-width: 40em; color: #222; }
h1 { color: #1f3a68; }
</style>
</head>
<body>
<h1>Clipart Browser Help</h1>
<p>Pick a category on the left to see its clips, twelve to a page. Click a clip to select it and
use Edit to open it in the editor.</p>
<h2>Editing a clip</h2>
<p>The editor lists the texts, links, images and sounds it finds in the clip. Select a row, type the
new value or choose a file, and the preview shows the result. Width and height change the size of
the whole clip.</p>
<h2>Exporting</h2>
<p>Export writes the clip as a web page tag with its movie file, as a program that plays it, or as a
screen saver with its installer.</p>
<h2>Adding clips</h2>
<p>Save a clip into a category to keep it in the library, or import a package of new clips.</p>
</body>
</html>
)";

// The presentation add-in's script code, offered for the Flash object's FSCommand subroutine: it turns the
// link chooser's navigation commands ("FSC:PowerPoint#NEXT" and the others) into slide show moves. The
// command may come as "PowerPoint" with the word as its argument, or whole as "PowerPoint#NEXT".
constexpr const char* kPresentationScript =
    "    ' Glintwave SE: slide show navigation from the clip's FSCommands.\r\n"
    "    Dim Word As String\r\n"
    "    If InStr(1, command, \"#\") > 0 Then\r\n"
    "        Word = Mid(command, InStr(1, command, \"#\") + 1)\r\n"
    "        command = Left(command, InStr(1, command, \"#\") - 1)\r\n"
    "    Else\r\n"
    "        Word = args\r\n"
    "    End If\r\n"
    "    If LCase(Trim(command)) <> \"powerpoint\" Then Exit Sub\r\n"
    "    Word = UCase(Trim(Word))\r\n"
    "    If SlideShowWindows.Count = 0 Then Exit Sub\r\n"
    "    With SlideShowWindows(1).View\r\n"
    "        Select Case True\r\n"
    "            Case Word = \"NEXT\": .Next\r\n"
    "            Case Word = \"PREV\": .Previous\r\n"
    "            Case Word = \"FIRST\": .First\r\n"
    "            Case Word = \"LAST\": .Last\r\n"
    "            Case Word = \"ENDSHOW\": .Exit\r\n"
    "            Case Left(Word, 5) = \"GOTO(\"\r\n"
    "                If Val(Mid(Word, 6)) >= 1 Then .GotoSlide CLng(Val(Mid(Word, 6)))\r\n"
    "        End Select\r\n"
    "    End With\r\n";

Bytes textBytes(std::string_view text) {
    return Bytes(text.begin(), text.end());
}

Result<Bytes> colourPresets() {
    formats::ColourPresets list;
    for (const auto& [name, colour] : kColourPresets) {
        list.presets.push_back({name, formats::writePresetColour(colour)});
    }
    auto text = formats::writeColourPresets(list);
    if (!text) {
        return text.error();
    }
    return textBytes(*text);
}

struct Item {
    std::string path; // relative, '/' separated
    std::function<Result<Bytes>()> make;
};

Result<Bytes> picture(PictureSpec spec, int quality = 90) {
    return makePictureJpeg(spec, quality);
}

PictureSpec buttonPicture(int width, int height, Rgb top, Rgb bottom, PictureMark mark) {
    PictureSpec p;
    p.width = width;
    p.height = height;
    p.top = top;
    p.bottom = bottom;
    p.mark = mark;
    p.markColour = {255, 255, 255};
    p.bevel = true;
    return p;
}

TextItem text(std::string value, int sizePx, Rgb colour, int x, int y, bool bold = false, std::string font = "Arial") {
    TextItem t;
    t.text = std::move(value);
    t.sizePx = sizePx;
    t.colour = colour;
    t.x = x;
    t.y = y;
    t.bold = bold;
    t.font = std::move(font);
    return t;
}

ButtonItem button(std::string caption, std::string url, int x, int y, int width, int height, Rgb face) {
    ButtonItem b;
    b.caption = std::move(caption);
    b.url = std::move(url);
    b.x = x;
    b.y = y;
    b.width = width;
    b.height = height;
    b.face = face;
    return b;
}

ClipSpec welcomeBanner() {
    ClipSpec s;
    s.widthPx = 468;
    s.heightPx = 60;
    s.background = {240, 246, 255};
    s.texts = {text("Welcome to our site", 26, {20, 60, 140}, 12, 14, true)};
    s.buttons = {button("Enter", "http://www.example.com/", 370, 15, 80, 30, {40, 90, 170})};
    SpriteItem sp;
    sp.text = "";
    sp.x = 330;
    sp.y = 30;
    sp.size = 24;
    s.sprite = sp;
    return s;
}

// The updater's closing movie, the size of its Flash control: the product's name beside a turning square.
ClipSpec closingMovie() {
    ClipSpec s;
    s.widthPx = 476;
    s.heightPx = 100;
    s.background = {240, 246, 255};
    s.texts = {text("Glintwave SE", 30, {20, 60, 140}, 24, 30, true)};
    SpriteItem sp;
    sp.text = "";
    sp.x = 400;
    sp.y = 50;
    sp.size = 40;
    s.sprite = sp;
    return s;
}

ClipSpec saleBanner() {
    ClipSpec s;
    s.widthPx = 300;
    s.heightPx = 250;
    s.background = {255, 250, 235};
    s.texts = {text("Summer Sale", 32, {200, 40, 30}, 16, 12, true),
               text("Up to half price\nThis week only", 16, {80, 60, 40}, 16, 60, false, "Times New Roman")};
    ImageItem image;
    image.picture.width = 110;
    image.picture.height = 110;
    image.picture.top = {255, 220, 90};
    image.picture.bottom = {250, 150, 40};
    image.picture.mark = PictureMark::Ring;
    image.picture.markColour = {255, 255, 255};
    image.x = 170;
    image.y = 70;
    s.image = image;
    s.buttons = {button("Shop now", "http://www.example.com/sale", 16, 190, 120, 34, {200, 40, 30})};
    return s;
}

ClipSpec newsBox() {
    ClipSpec s;
    s.widthPx = 320;
    s.heightPx = 120;
    s.texts = {text("Latest News", 22, {30, 30, 30}, 10, 8, true)};
    FieldItem news;
    news.variable = "txtNews";
    news.text = "Type your news here";
    news.font = "Verdana";
    news.sizePx = 13;
    news.colour = {40, 40, 90};
    news.x = 10;
    news.y = 44;
    news.width = 300;
    news.height = 22;
    news.border = true;
    s.fields = {news};
    s.frameLinks = {"http://www.example.com/news"};
    return s;
}

ClipSpec plainButton(std::string caption, std::string url, Rgb face, std::string target = "_blank") {
    ClipSpec s;
    s.widthPx = 140;
    s.heightPx = 40;
    s.background = {255, 255, 255};
    ButtonItem b = button(std::move(caption), std::move(url), 5, 5, 130, 30, face);
    b.target = std::move(target);
    s.buttons = {b};
    return s;
}

ClipSpec jingle() {
    ClipSpec s;
    s.widthPx = 200;
    s.heightPx = 80;
    s.background = {235, 255, 240};
    s.texts = {text("Jingle", 28, {20, 110, 50}, 12, 18, true)};
    SoundItem sound;
    sound.milliseconds = 600;
    sound.exportName = "jingle";
    s.sound = sound;
    return s;
}

ClipSpec photo() {
    ClipSpec s;
    s.widthPx = 220;
    s.heightPx = 200;
    ImageItem image;
    image.picture.width = 200;
    image.picture.height = 150;
    image.picture.top = {120, 180, 240};
    image.picture.bottom = {230, 240, 250};
    image.picture.mark = PictureMark::Ring;
    image.picture.markColour = {255, 230, 120};
    image.x = 10;
    image.y = 10;
    image.quality = 75;
    s.image = image;
    s.texts = {text("Blue sky", 16, {40, 40, 40}, 10, 166, false, "Georgia")};
    return s;
}

// A postcard with every kind of element the editor changes: static texts in a font the system lists
// (Liberation Sans) and in fonts it does not (Arial, Gothic X), an edit text in each kind of font, a link,
// a JPEG picture and an MP3 sound.
ClipSpec postcard() {
    ClipSpec s;
    s.widthPx = 400;
    s.heightPx = 240;
    s.background = {250, 248, 240};
    s.texts = {text("Greetings", 30, {150, 40, 60}, 14, 10, true, "Liberation Sans"),
               text("from the seaside", 18, {40, 70, 120}, 14, 52, false, "Arial"),
               text("Wish you were here", 14, {90, 90, 90}, 14, 200, false, "Gothic X")};
    FieldItem name;
    name.variable = "txtName";
    name.text = "Dear friend";
    name.font = "DejaVu Serif";
    name.sizePx = 16;
    name.colour = {30, 30, 30};
    name.x = 14;
    name.y = 84;
    name.width = 180;
    name.height = 24;
    FieldItem note;
    note.variable = "txtNote";
    note.text = "See you soon";
    note.font = "Verdana";
    note.sizePx = 13;
    note.colour = {60, 60, 60};
    note.x = 14;
    note.y = 116;
    note.width = 180;
    note.height = 22;
    note.embedGlyphs = false;
    s.fields = {name, note};
    ImageItem image;
    image.picture.width = 150;
    image.picture.height = 120;
    image.picture.top = {100, 170, 240};
    image.picture.bottom = {240, 220, 160};
    image.picture.mark = PictureMark::Ring;
    image.picture.markColour = {255, 255, 255};
    image.x = 230;
    image.y = 60;
    image.quality = 85;
    s.image = image;
    s.buttons = {button("Visit", "http://www.example.com/postcards", 300, 196, 80, 30, {40, 90, 170})};
    SoundItem sound;
    sound.milliseconds = 500;
    sound.exportName = "waves";
    s.sound = sound;
    return s;
}

// A notice in fonts the system lists only: Liberation Serif for the texts, DejaVu Sans for the field.
ClipSpec notice() {
    ClipSpec s;
    s.widthPx = 320;
    s.heightPx = 160;
    s.background = {255, 255, 255};
    s.texts = {text("Notice", 28, {20, 20, 20}, 12, 10, true, "Liberation Serif"),
               text("Open every day", 16, {60, 60, 60}, 12, 50, false, "Liberation Serif")};
    FieldItem hours;
    hours.variable = "txtHours";
    hours.text = "9:00 - 17:00";
    hours.font = "DejaVu Sans";
    hours.sizePx = 14;
    hours.x = 12;
    hours.y = 80;
    hours.width = 200;
    hours.height = 22;
    s.fields = {hours};
    s.frameLinks = {"http://www.example.com/hours"};
    ImageItem image;
    image.picture.width = 60;
    image.picture.height = 60;
    image.picture.top = {250, 200, 80};
    image.picture.bottom = {240, 140, 40};
    image.picture.mark = PictureMark::Check;
    image.picture.markColour = {255, 255, 255};
    image.x = 240;
    image.y = 20;
    s.image = image;
    SoundItem sound;
    sound.milliseconds = 300;
    sound.exportName = "chime";
    s.sound = sound;
    return s;
}

std::vector<Item> items() {
    // Every template takes the editor's tint (its movie variables CWR, CWG and CWB).
    auto clip = [](ClipSpec spec) {
        spec.tintable = true;
        return [spec]() { return makeClip(spec); };
    };
    std::vector<Item> out;
    out.push_back({"blank.swf", [] { return Result<Bytes>(makeBlankMovie()); }});
    out.push_back({"Resource/titlebar.swf", []() -> Result<Bytes> {
                       Bytes movie = makeTitleMovie();
                       if (movie.empty()) {
                           return makeError(ErrorCode::NotFound, "the title movie could not be made");
                       }
                       return movie;
                   }});
    out.push_back({"Resource/badfont.txt", [] { return Result<Bytes>(textBytes(kBadFonts)); }});
    out.push_back({"cpresets.fpf", colourPresets});
    out.push_back({"Resource/export.jpg", [] {
                       return picture(buttonPicture(96, 32, {70, 130, 210}, {30, 70, 150}, PictureMark::Arrow));
                   }});
    out.push_back({"Resource/handback.jpg", [] {
                       return picture(buttonPicture(96, 32, {80, 180, 120}, {30, 110, 60}, PictureMark::Check));
                   }});
    out.push_back({"Resource/okay.jpg", [] {
                       return picture(buttonPicture(80, 26, {90, 180, 90}, {40, 120, 40}, PictureMark::Check));
                   }});
    out.push_back({"Resource/cancel.jpg", [] {
                       return picture(buttonPicture(80, 26, {170, 170, 170}, {110, 110, 110}, PictureMark::Cross));
                   }});
    out.push_back({"Resource/no.jpg", [] {
                       return picture(buttonPicture(80, 26, {220, 80, 70}, {160, 30, 30}, PictureMark::Minus));
                   }});
    out.push_back({"Help/index.htm", [] { return Result<Bytes>(textBytes(kHelpPage)); }});
    out.push_back({"ppointvb.dat", [] { return Result<Bytes>(textBytes(kPresentationScript)); }});
    out.push_back({"endup.swf", [] { return makeClip(closingMovie()); }});
    out.push_back({"CLTemplates/Banners/welcome.swf", clip(welcomeBanner())});
    out.push_back({"CLTemplates/Banners/sale.swf", clip(saleBanner())});
    out.push_back({"CLTemplates/Banners/news.swf", clip(newsBox())});
    out.push_back(
        {"CLTemplates/Buttons/home.swf", clip(plainButton("Home", "http://www.example.com/", {40, 90, 170}))});
    out.push_back({"CLTemplates/Buttons/contact.swf",
                   clip(plainButton("Contact us", "mailto:someone@example.com", {30, 130, 90}))});
    out.push_back({"CLTemplates/Buttons/close.swf", clip(plainButton("Close", "FSCommand:exit", {170, 40, 40}, ""))});
    out.push_back({"CLTemplates/Media/jingle.swf", clip(jingle())});
    out.push_back({"CLTemplates/Media/photo.swf", clip(photo())});
    out.push_back({"CLTemplates/Media/postcard.swf", clip(postcard())});
    out.push_back({"CLTemplates/Media/notice.swf", clip(notice())});
    out.push_back({"MP3Sounds/click.mp3", [] { return makeSilentMp3(44100, 1, 200); }});
    out.push_back({"MP3Loops/quiet-loop.mp3", [] { return makeSilentMp3(22050, 2, 2000); }});
    out.push_back({"JPEGBackgrounds/sky.jpg", [] {
                       PictureSpec p;
                       p.width = 400;
                       p.height = 300;
                       p.top = {90, 150, 230};
                       p.bottom = {220, 235, 250};
                       return picture(p, 85);
                   }});
    out.push_back({"JPGClipart/sun.jpg", [] {
                       PictureSpec p;
                       p.width = 160;
                       p.height = 160;
                       p.top = {255, 255, 255};
                       p.bottom = {255, 255, 255};
                       p.mark = PictureMark::Ring;
                       p.markColour = {250, 170, 30};
                       return picture(p, 85);
                   }});
    return out;
}

bool sameContent(const fs::path& file, const Bytes& bytes) {
    std::error_code ec;
    if (!fs::is_regular_file(file, ec) || fs::file_size(file, ec) != bytes.size() || ec) {
        return false;
    }
    std::ifstream in(file, std::ios::binary);
    const Bytes existing((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return existing == bytes;
}

Result<void> writeAtomically(const fs::path& target, const Bytes& bytes) {
    const fs::path temporary = target.string() + ".part";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        out.flush();
        if (!out) {
            std::error_code ignored;
            fs::remove(temporary, ignored);
            return makeError(ErrorCode::Io, "cannot write " + temporary.string());
        }
    }
    std::error_code ec;
    fs::rename(temporary, target, ec);
    if (ec) {
        std::error_code ignored;
        fs::remove(temporary, ignored);
        return makeError(ErrorCode::Io, "cannot replace " + target.string() + ": " + ec.message());
    }
    return {};
}

Result<void> makeFolder(const fs::path& folder) {
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec || !fs::is_directory(folder)) {
        return makeError(ErrorCode::Io, "cannot create the folder " + folder.string() +
                                            (ec ? ": " + ec.message() : std::string(": a file stands there")));
    }
    return {};
}

} // namespace

std::vector<std::string> applicationFolders() {
    return {"CLTemplates", "Working",         "Resource",   "Help",           "FlashMovies", "Imports",    "MP3Loops",
            "MP3Sounds",   "JPEGBackgrounds", "JPGClipart", "SWFBackgrounds", "TextEffects", "ImgEffects", "CalMovies"};
}

Result<DemoLibraryReport> makeDemoLibrary(const fs::path& appFolder) {
    if (auto r = makeFolder(appFolder); !r) {
        return r.error();
    }
    for (const std::string& folder : applicationFolders()) {
        if (auto r = makeFolder(appFolder / folder); !r) {
            return r.error();
        }
    }
    DemoLibraryReport report;
    for (const Item& item : items()) {
        auto bytes = item.make();
        if (!bytes) {
            Error e = bytes.error();
            e.detail = item.path + ": " + e.detail;
            return e;
        }
        const fs::path target = appFolder / fs::path(item.path);
        if (auto r = makeFolder(target.parent_path()); !r) {
            return r.error();
        }
        if (sameContent(target, *bytes)) {
            report.unchanged.push_back(item.path);
            continue;
        }
        if (auto r = writeAtomically(target, *bytes); !r) {
            return r.error();
        }
        report.written.push_back(item.path);
    }
    return report;
}

} // namespace glw::tools
