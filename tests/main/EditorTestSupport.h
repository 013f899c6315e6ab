// Shared fixture of the clip editor tests: the library fixture with clips that carry every kind of
// element (made by our own clip maker), and a reader that lists a movie's elements through the generator.
#pragma once

#include "LibraryTestSupport.h"
#include "platform/WinPath.h"
#include "swf/Header.h"
#include "swf/SwfGenerator.h"
#include "swfmaker/Clips.h"
#include "swfmaker/Pictures.h"

#include <string>
#include <vector>

namespace glw::main::test {

// One counted element of a movie, as the generator offers it.
struct Element {
    std::string kind; // text, edittext, link, image, sound
    std::string value;
    std::string font;
    int number = 0; // text height in twips, image quality
    bool operator==(const Element&) const = default;
};

inline std::vector<Element> elementsOf(const std::string& hostPath) {
    std::vector<Element> out;
    swf::SwfGenerator generator;
    generator.OnBeforeSubText = [](swf::TextActionElement& e) { e.AllowSub = true; };
    generator.OnSubText = [&](swf::TextElement& e) { out.push_back({"text", e.Text, e.FontName, e.FontHeight}); };
    generator.OnSubEditText = [&](swf::TextElement& e) {
        out.push_back({"edittext", e.Text, e.FontName, e.FontHeight});
    };
    generator.OnSubActionGetUrl = [&](swf::LinkElement& e) { out.push_back({"link", e.Url, "", 0}); };
    generator.OnSubImage = [&](swf::ImageElement& e) {
        out.push_back({"image", std::to_string(e.ImageId), "", e.ImageQuality});
    };
    generator.OnSubSound = [&](swf::SoundElement& e) { out.push_back({"sound", e.SoundName, "", e.SoundId}); };
    generator.RaiseSubEvents(true);
    if (!generator.LoadSwf(hostPath)) {
        ADD_FAILURE() << "cannot read " << hostPath;
    }
    return out;
}

inline std::string asText(const tools::Bytes& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

// A card: two static texts (Arial, Liberation Sans), an edit text, a picture, a sound and a button link.
inline tools::ClipSpec cardSpec(const std::string& title = "Hello") {
    tools::ClipSpec s;
    s.widthPx = 320;
    s.heightPx = 200;
    tools::TextItem a;
    a.text = title;
    a.sizePx = 24;
    tools::TextItem b;
    b.text = "World";
    b.font = "Liberation Sans";
    b.sizePx = 12;
    b.y = 50;
    s.texts = {a, b};
    tools::FieldItem f;
    f.variable = "txtName";
    f.text = "Your name";
    f.font = "DejaVu Sans";
    f.sizePx = 14;
    f.y = 80;
    s.fields = {f};
    tools::ImageItem image;
    image.picture.width = 40;
    image.picture.height = 30;
    image.x = 200;
    image.quality = 70;
    s.image = image;
    tools::SoundItem sound;
    sound.milliseconds = 200;
    sound.exportName = "ding";
    s.sound = sound;
    tools::ButtonItem button;
    button.caption = "Go";
    button.url = "http://www.example.com/card";
    button.y = 150;
    s.buttons = {button};
    return s;
}

// A movie with one link only (a frame action), the first counted element being a link.
inline tools::ClipSpec linkOnlySpec() {
    tools::ClipSpec s;
    s.widthPx = 100;
    s.heightPx = 50;
    s.frameLinks = {"http://www.example.com/only"};
    return s;
}

class EditorApp : public LibraryApp {
protected:
    void SetUp() override {
        LibraryApp::SetUp();
        app.folder("CLTemplates/Cards");
        app.file("CLTemplates/Cards/a-card.swf", clip(cardSpec()));
        app.file("CLTemplates/Cards/b-other.swf", clip(cardSpec("Other")));
    }

    static std::string clip(const tools::ClipSpec& spec) {
        auto bytes = tools::makeClip(spec);
        EXPECT_TRUE(bytes.ok());
        return bytes ? asText(*bytes) : std::string();
    }

    // Starts the main window on the category Cards with cell `cell` selected.
    Form1& startOn(int cell = 0) {
        Form1& form = start();
        form.Cats.ListIndex = form.Cats.ListCount() - 1; // Cards comes after no other category here
        form.FSel_GotFocus(cell);
        return form;
    }

    std::string working() const { return app.host("Working/newclip.swf"); }

    // The row of ListView1 whose kind (as the events record it) is `tag`, the n-th of them.
    static forms::ListItem& row(Form1& form, const std::string& tag, int n = 0) {
        for (const auto& item : form.ListView1.items()) {
            if (item->Tag() == tag && n-- == 0) {
                return *item;
            }
        }
        throw std::runtime_error("no row " + tag);
    }

    static Element find(const std::vector<Element>& elements, const std::string& kind, int n = 0) {
        for (const auto& e : elements) {
            if (e.kind == kind && n-- == 0) {
                return e;
            }
        }
        ADD_FAILURE() << "no element " << kind;
        return {};
    }
};

} // namespace glw::main::test
