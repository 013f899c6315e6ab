// The engine's media services on the installed libraries: system-font glyphs (fontconfig and
// FreeType), JPEG recoding (libjpeg) and MP3 frame parsing, through the media units.
#include "swf/Media.h"
#include "swf/media/Glyphs.h"
#include "swf/media/Jpeg.h"
#include "swf/media/Mp3.h"

#include <map>
#include <memory>
#include <tuple>

namespace glw::swf {

namespace {

class SystemGlyphs : public GlyphProvider {
public:
    Result<std::vector<GlyphOutline>> glyphs(const std::string& family, bool bold, bool italic,
                                             std::u32string_view codes, int emSquare, FontMetrics& metrics) override {
        Result<media::GlyphFont> font = media::GlyphFont::open(family, bold, italic, emSquare);
        if (!font) {
            return font.error();
        }
        media::FontMetrics m = font->metrics();
        metrics.ascent = m.ascent;
        metrics.descent = m.descent;
        metrics.leading = m.leading;
        std::vector<GlyphOutline> out;
        for (char32_t c : codes) {
            if (!font->hasGlyph(c)) {
                continue;
            }
            Result<media::Glyph> g = font->glyph(c);
            if (!g) {
                continue;
            }
            GlyphOutline o;
            o.code = c;
            o.shape = std::move(g->shape);
            o.advance = g->advance;
            o.bounds = Rect{g->bounds.xMin, g->bounds.xMax, g->bounds.yMin, g->bounds.yMax};
            out.push_back(std::move(o));
        }
        return out;
    }
};

class LibJpeg : public JpegCodec {
public:
    Result<std::pair<int, int>> jpegSize(ByteView jpeg) override { return jpegSizeFromMarkers(jpeg); }
    Result<int> estimateQuality(ByteView jpegOrTables) override { return media::estimateJpegQuality(jpegOrTables); }
    Result<Bytes> recodeFile(const std::string& hostPath, int width, int height, int quality) override {
        // The user's own file: one that does not decode whole and clean would put a grey or garbled
        // picture into the movie, so it is refused and the old image kept.
        Result<media::Image> image = media::readJpegFile(hostPath, media::kMaxImagePixels, media::JpegDamage::Refuse);
        if (!image) {
            return image.error();
        }
        if (image->width != width || image->height != height) {
            Result<media::Image> sized = media::resample(*image, width, height);
            if (!sized) {
                return sized.error();
            }
            *image = std::move(*sized);
        }
        return media::encodeJpeg(*image, quality);
    }
};

class Mp3Frames : public Mp3Reader {
public:
    Result<Mp3Sound> readFile(const std::string& hostPath) override {
        Result<media::Mp3Stream> stream = media::readMp3File(hostPath);
        if (!stream) {
            return stream.error();
        }
        Result<media::SwfSoundFormat> format = media::swfSoundFormat(*stream);
        if (!format) {
            return format.error();
        }
        Mp3Sound sound;
        sound.packedFormat = format->packed();
        sound.sampleCount = format->sampleCount;
        sound.soundData = media::mp3SoundData(*stream);
        return sound;
    }
};

} // namespace

Media defaultMedia() {
    static SystemGlyphs glyphs;
    static LibJpeg jpeg;
    static Mp3Frames mp3;
    return Media{&glyphs, &jpeg, &mp3};
}

} // namespace glw::swf
