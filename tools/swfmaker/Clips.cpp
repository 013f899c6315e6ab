// Building our own clips, the empty movie, the panel-title movie and silent MP3 streams.
#include "swfmaker/Clips.h"

#include "swf/media/Mp3.h"
#include "swfmaker/Text.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <numbers>

namespace glw::tools {
namespace {

std::int32_t px(int pixels) {
    return pixels * kTwips;
}

std::uint16_t twipsHeight(int sizePx) {
    return static_cast<std::uint16_t>(std::clamp(sizePx, 1, 3000) * kTwips);
}

Rgb lighter(Rgb c, double t) {
    auto mixOne = [t](std::uint8_t v) { return static_cast<std::uint8_t>(std::lround(v + (255 - v) * t)); };
    return {mixOne(c.r), mixOne(c.g), mixOne(c.b)};
}

Rgb darker(Rgb c, double t) {
    auto mixOne = [t](std::uint8_t v) { return static_cast<std::uint8_t>(std::lround(v * (1.0 - t))); };
    return {mixOne(c.r), mixOne(c.g), mixOne(c.b)};
}

// Actions that open url only when the movie variable "clickTag" is set:
//   push "clickTag"; getVariable; not; if (skip the getURL); getURL(url, "_blank")
Bytes guardedLink(const std::string& url) {
    const Bytes link = actionGetUrl(url, "_blank");
    Bytes out = actionPushString("clickTag");
    for (const Bytes& part :
         {actionGetVariable(), actionNot(), actionIf(static_cast<std::int16_t>(link.size())), link}) {
        out.insert(out.end(), part.begin(), part.end());
    }
    return out;
}

Matrix rotation(double degrees, std::int32_t x, std::int32_t y) {
    const double a = degrees * std::numbers::pi / 180.0;
    Matrix m;
    m.scaleX = std::cos(a);
    m.scaleY = std::cos(a);
    m.rotate0 = std::sin(a);
    m.rotate1 = -std::sin(a);
    m.translateX = x;
    m.translateY = y;
    return m;
}

class ClipBuilder {
public:
    explicit ClipBuilder(const ClipSpec& spec)
        : m_spec(spec), m_movie(spec.version, Rect{0, px(spec.widthPx), 0, px(spec.heightPx)}, spec.frameRate) {
        m_movie.setLongHeaders(spec.longHeaders);
    }

    Result<Bytes> build() {
        if (m_spec.version >= 8) {
            m_movie.add(fileAttributes(true));
        }
        m_movie.add(setBackgroundColor(m_spec.background));
        if (auto r = defineFonts(); !r) {
            return r.error();
        }
        for (const TextItem& t : m_spec.texts) {
            addText(t);
        }
        if (m_spec.image) {
            if (auto r = addImage(*m_spec.image); !r) {
                return r.error();
            }
        }
        if (m_spec.sound) {
            if (auto r = addSound(*m_spec.sound); !r) {
                return r.error();
            }
        }
        for (const ButtonItem& b : m_spec.buttons) {
            addButton(b);
        }
        if (m_spec.sprite) {
            addSprite(*m_spec.sprite);
        }
        for (const FieldItem& f : m_spec.fields) {
            addField(f);
        }
        if (!m_spec.frameLinks.empty()) {
            Bytes actions;
            for (const std::string& url : m_spec.frameLinks) {
                const Bytes link = guardedLink(url);
                actions.insert(actions.end(), link.begin(), link.end());
            }
            m_movie.add(doAction(actions));
        }
        if (m_spec.tintable) {
            m_movie.add(doAction(tintActions()));
        }
        m_movie.add(showFrame());
        for (int frame = 2; frame <= m_spec.exitAtFrame; ++frame) {
            if (frame == m_spec.exitAtFrame) {
                m_movie.add(doAction(actionGetUrl("FSCommand:exit", "")));
            }
            m_movie.add(showFrame());
        }
        return m_movie.finish(m_spec.compression);
    }

private:
    // new Color(_root).setTransform({ra: 100, rb: CWR | 0, ga: 100, gb: CWG | 0, ba: 100, bb: CWB | 0}).
    // The "| 0" turns an unset variable into 0 and a text such as "-64" into a number.
    static Bytes tintActions() {
        Bytes a;
        auto add = [&a](const Bytes& b) { a.insert(a.end(), b.begin(), b.end()); };
        for (const char channel : {'r', 'g', 'b'}) {
            add(actionPushString(std::string{channel, 'a'}));
            add(actionPushInt(100));
            add(actionPushString(std::string{channel, 'b'}));
            add(actionPushString(std::string{'C', 'W', static_cast<char>(std::toupper(channel))}));
            add(actionGetVariable());
            add(actionPushInt(0));
            add(actionBitOr());
        }
        add(actionPushInt(6)); // the object's properties
        add(actionInitObject());
        add(actionPushInt(1)); // setTransform's argument count
        add(actionPushString("_root"));
        add(actionGetVariable());
        add(actionPushInt(1)); // Color's argument count
        add(actionPushString("Color"));
        add(actionNewObject());
        add(actionPushString("setTransform"));
        add(actionCallMethod());
        add(actionPop());
        return a;
    }

    struct FontGroup {
        std::string name;
        bool bold = false;
        bool italic = false;
        std::u32string characters;
        std::optional<EmbeddedFont> font;
        std::uint16_t id = 0;
    };

    std::uint16_t newId() { return m_nextId++; }
    std::uint16_t newDepth() { return m_nextDepth++; }

    FontGroup& group(const std::string& name, bool bold, bool italic) {
        for (FontGroup& g : m_groups) {
            if (g.name == name && g.bold == bold && g.italic == italic) {
                return g;
            }
        }
        m_groups.push_back(FontGroup{name, bold, italic, {}, std::nullopt, 0});
        return m_groups.back();
    }

    static void addCharacters(FontGroup& g, const std::string& text) {
        g.characters += glw::swf::media::decodeUtf8(text);
    }

    Result<void> defineFonts() {
        for (const TextItem& t : m_spec.texts) {
            addCharacters(group(t.font, t.bold, t.italic), t.text);
        }
        for (const ButtonItem& b : m_spec.buttons) {
            addCharacters(group(b.font, true, false), b.caption);
        }
        if (m_spec.sprite && !m_spec.sprite->text.empty()) {
            addCharacters(group(m_spec.sprite->font, true, false), m_spec.sprite->text);
        }
        for (const FieldItem& f : m_spec.fields) {
            if (f.embedGlyphs) {
                FontGroup& g = group(f.font, f.bold, false);
                g.characters += printableAscii();
                addCharacters(g, f.text.value_or(""));
            }
        }
        for (FontGroup& g : m_groups) {
            auto font = EmbeddedFont::load(g.name, g.bold, g.italic, g.characters);
            if (!font) {
                return font.error();
            }
            g.font = std::move(*font);
            g.id = newId();
            m_movie.add(g.font->defineFont2(g.id));
        }
        return {};
    }

    FontGroup& fontFor(const std::string& name, bool bold, bool italic) { return group(name, bold, italic); }

    void addText(const TextItem& t) {
        FontGroup& g = fontFor(t.font, t.bold, t.italic);
        const std::uint16_t id = newId();
        StaticTextLayout layout = defineText(id, t.text, *g.font, g.id, twipsHeight(t.sizePx), t.colour);
        m_movie.add(std::move(layout.tag));
        m_movie.add(placeObject2(newDepth(), id, Matrix::translate(px(t.x), px(t.y))));
    }

    Result<void> addImage(const ImageItem& item) {
        auto jpeg = makePictureJpeg(item.picture, item.quality);
        if (!jpeg) {
            return jpeg.error();
        }
        const std::uint16_t bitmapId = newId();
        m_movie.add(defineBitsJpeg2(bitmapId, *jpeg));
        ShapeBuilder shape;
        Matrix fill;
        fill.scaleX = kTwips;
        fill.scaleY = kTwips;
        const int f = shape.addBitmapFill(bitmapId, fill);
        shape.setStyle(0, f, 0);
        shape.rectangle(Rect{0, px(item.picture.width), 0, px(item.picture.height)});
        const std::uint16_t shapeId = newId();
        m_movie.add(shape.defineShape3(shapeId));
        m_movie.add(placeObject2(newDepth(), shapeId, Matrix::translate(px(item.x), px(item.y))));
        return {};
    }

    Result<void> addSound(const SoundItem& item) {
        auto mp3 = makeSilentMp3(item.sampleRate, item.channels, item.milliseconds);
        if (!mp3) {
            return mp3.error();
        }
        auto stream = glw::swf::media::parseMp3(*mp3);
        if (!stream) {
            return stream.error();
        }
        auto format = glw::swf::media::swfSoundFormat(*stream);
        if (!format) {
            return format.error();
        }
        const std::uint16_t id = newId();
        m_movie.add(defineSound(id, *format, glw::swf::media::mp3SoundData(*stream)));
        if (!item.exportName.empty()) {
            m_movie.add(exportAssets({{id, item.exportName}}));
        }
        if (item.play) {
            m_movie.add(startSound(id));
        }
        return {};
    }

    std::uint16_t addRectShape(int width, int height, Rgb fill, Rgb line) {
        ShapeBuilder shape;
        const int f = shape.addSolidFill(opaque(fill));
        const int l = shape.addLineStyle(kTwips, opaque(line));
        shape.setStyle(0, f, l);
        shape.rectangle(Rect{0, px(width), 0, px(height)});
        const std::uint16_t id = newId();
        m_movie.add(shape.defineShape3(id));
        return id;
    }

    void addButton(const ButtonItem& b) {
        const std::uint16_t up = addRectShape(b.width, b.height, b.face, darker(b.face, 0.4));
        const std::uint16_t over = addRectShape(b.width, b.height, lighter(b.face, 0.25), darker(b.face, 0.4));
        const std::uint16_t down = addRectShape(b.width, b.height, darker(b.face, 0.2), darker(b.face, 0.5));
        FontGroup& g = fontFor(b.font, true, false);
        const std::uint16_t textId = newId();
        StaticTextLayout caption = defineText(textId, b.caption, *g.font, g.id, twipsHeight(b.sizePx), b.textColour);
        const Rect cb = caption.bounds;
        m_movie.add(std::move(caption.tag));
        const Matrix centre = Matrix::translate((px(b.width) - (cb.xMax - cb.xMin)) / 2 - cb.xMin,
                                                (px(b.height) - (cb.yMax - cb.yMin)) / 2 - cb.yMin);
        std::vector<ButtonRecord> records = {
            {kStateUp | kStateHit, up, 1, {}},
            {kStateOver, over, 1, {}},
            {kStateDown, down, 1, {}},
            {kStateUp | kStateOver | kStateDown, textId, 2, centre},
        };
        const std::uint16_t id = newId();
        m_movie.add(defineButton2(id, records, {ButtonAction{kOnRelease, actionGetUrl(b.url, b.target)}}));
        m_movie.add(placeObject2(newDepth(), id, Matrix::translate(px(b.x), px(b.y))));
    }

    void addSprite(const SpriteItem& s) {
        ShapeBuilder shape;
        const int f = shape.addSolidFill(opaque(s.colour));
        const int l = shape.addLineStyle(kTwips, opaque(darker(s.colour, 0.4)));
        shape.setStyle(0, f, l);
        const std::int32_t half = px(s.size) / 2;
        shape.rectangle(Rect{-half, half, -half, half});
        const std::uint16_t shapeId = newId();
        m_movie.add(shape.defineShape3(shapeId));
        std::uint16_t textId = 0;
        Rect lb;
        if (!s.text.empty()) {
            FontGroup& g = fontFor(s.font, true, false);
            textId = newId();
            StaticTextLayout label = defineText(textId, s.text, *g.font, g.id, twipsHeight(12), darker(s.colour, 0.6));
            lb = label.bounds;
            m_movie.add(std::move(label.tag));
        }
        std::vector<Tag> tags;
        if (!s.link.empty()) {
            tags.push_back(doAction(guardedLink(s.link)));
        }
        tags.push_back(placeObject2(1, shapeId, Matrix{}));
        if (textId != 0) {
            tags.push_back(
                placeObject2(2, textId, Matrix::translate(-(lb.xMax - lb.xMin) / 2 - lb.xMin, half + px(2))));
        }
        tags.push_back(showFrame());
        const int frames = std::max(1, s.frames);
        for (int i = 1; i < frames; ++i) {
            tags.push_back(moveObject2(1, rotation(360.0 * i / frames, 0, 0)));
            tags.push_back(showFrame());
        }
        const std::uint16_t spriteId = newId();
        m_movie.add(defineSprite(spriteId, tags, m_spec.longHeaders));
        m_movie.add(placeObject2(newDepth(), spriteId, Matrix::translate(px(s.x), px(s.y)), s.name));
    }

    void addField(const FieldItem& f) {
        EditText field;
        std::uint16_t fontId = 0;
        if (f.embedGlyphs) {
            fontId = fontFor(f.font, f.bold, false).id;
            field.useOutlines = true;
        } else {
            fontId = newId();
            m_movie.add(defineDeviceFont2(fontId, f.font, f.bold, false));
        }
        field.id = newId();
        field.bounds = Rect{0, px(f.width), 0, px(f.height)};
        field.fontId = fontId;
        field.fontHeight = twipsHeight(f.sizePx);
        field.colour = opaque(f.colour);
        field.variableName = f.variable;
        field.initialText = f.text;
        field.readOnly = !f.editable;
        field.noSelect = !f.editable;
        field.border = f.border;
        field.html = f.html;
        field.align = f.align;
        field.leftMargin = kTwips;
        field.rightMargin = kTwips;
        m_movie.add(defineEditText(field));
        m_movie.add(placeObject2(newDepth(), field.id, Matrix::translate(px(f.x), px(f.y))));
    }

    const ClipSpec& m_spec;
    Movie m_movie;
    std::vector<FontGroup> m_groups;
    std::uint16_t m_nextId = 1;
    std::uint16_t m_nextDepth = 1;
};

} // namespace

Result<Bytes> makeClip(const ClipSpec& spec) {
    return ClipBuilder(spec).build();
}

Bytes makeBlankMovie(Compression compression) {
    Movie movie(6, Rect{0, px(550), 0, px(400)}, 12.0);
    movie.add(showFrame());
    return movie.finish(compression);
}

Bytes makeTitleMovie(Compression compression) {
    ClipSpec spec;
    spec.widthPx = 240;
    spec.heightPx = 20;
    spec.background = {31, 58, 104};
    FieldItem title;
    title.variable = "txtTitle";
    title.font = "Arial";
    title.bold = true;
    title.sizePx = 12;
    title.colour = {255, 255, 255};
    title.x = 2;
    title.y = 1;
    title.width = 236;
    title.height = 18;
    spec.fields.push_back(title);
    spec.compression = compression;
    if (auto movie = makeClip(spec)) {
        return std::move(*movie);
    }
    // No font installed at all: the player draws the title with its own device font.
    spec.fields.front().embedGlyphs = false;
    auto movie = makeClip(spec);
    return movie ? std::move(*movie) : Bytes{};
}

Result<Bytes> makeSilentMp3(int sampleRate, int channels, int milliseconds) {
    std::uint8_t versionBits = 0;
    int rateIndex = -1;
    const int rates[3][3] = {{44100, 48000, 32000}, {22050, 24000, 16000}, {11025, 12000, 8000}};
    const std::uint8_t versions[3] = {3, 2, 0}; // MPEG 1, 2, 2.5
    int family = -1;
    for (int v = 0; v < 3 && family < 0; ++v) {
        for (int r = 0; r < 3; ++r) {
            if (rates[v][r] == sampleRate) {
                family = v;
                rateIndex = r;
                versionBits = versions[v];
                break;
            }
        }
    }
    if (family < 0 || (channels != 1 && channels != 2) || milliseconds < 0) {
        return makeError(ErrorCode::Invalid, "no MPEG audio at " + std::to_string(sampleRate) + " Hz, " +
                                                 std::to_string(channels) + " channels");
    }
    // Bitrate index 1: 32 kbit/s for MPEG 1, 8 kbit/s for MPEG 2 and 2.5, the smallest frames that
    // still hold the side information.
    const int bitrate = family == 0 ? 32000 : 8000;
    const int samplesPerFrame = family == 0 ? 1152 : 576;
    const std::size_t frameBytes = std::size_t((family == 0 ? 144 : 72) * bitrate / sampleRate);
    const long samples = static_cast<long>(sampleRate) * milliseconds / 1000;
    const long frames = std::max(1L, (samples + samplesPerFrame - 1) / samplesPerFrame);
    Bytes out;
    out.reserve(frameBytes * std::size_t(frames));
    for (long i = 0; i < frames; ++i) {
        const std::size_t start = out.size();
        out.push_back(0xFF);
        out.push_back(static_cast<std::uint8_t>(0xE0 | (versionBits << 3) | (1 << 1) | 1)); // layer III, no CRC
        out.push_back(static_cast<std::uint8_t>((1 << 4) | (rateIndex << 2)));              // bitrate index 1
        out.push_back(static_cast<std::uint8_t>(channels == 1 ? 0xC0 : 0x00));              // mono or stereo
        out.resize(start + frameBytes, 0);
    }
    return out;
}

} // namespace glw::tools
