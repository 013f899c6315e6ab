// Fuzzes the generator the way the editor drives it: load with events, write new values into every
// element, rescale, save, and load the saved movie again, which must succeed.
#include "swf/Fonts.h"
#include "swf/SwfGenerator.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

using namespace glw::swf;

namespace {

// Square glyphs for everything, without touching the system's fonts.
class SquareGlyphs : public GlyphProvider {
public:
    glw::Result<std::vector<GlyphOutline>> glyphs(const std::string&, bool, bool, std::u32string_view codes,
                                                  int emSquare, FontMetrics& metrics) override {
        metrics = FontMetrics{emSquare * 9 / 10, emSquare / 5, 0};
        std::vector<GlyphOutline> out;
        // One straight edge is enough of a shape: fill bits 1, line bits 0, move, edge, end.
        for (char32_t c : codes) {
            out.push_back(GlyphOutline{c, Bytes{0x10, 0x06, 0x50, 0x00, 0x44, 0x00, 0x00}, emSquare / 2,
                                       Rect{0, emSquare / 2, -emSquare / 2, 0}});
        }
        return out;
    }
};

std::string scratch(const char* name) {
    static const std::string dir = [] {
        std::string base = (access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") + std::string("/swf-fuzz-XXXXXX");
        return std::string(mkdtemp(base.data()));
    }();
    return dir + "/" + name;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string in = scratch("in.swf");
    static const std::string out = scratch("out.swf");
    FILE* f = std::fopen(in.c_str(), "wb");
    if (!f) {
        return 0;
    }
    std::fwrite(data, 1, size, f);
    std::fclose(f);

    static SquareGlyphs glyphs;
    Media media;
    media.glyphs = &glyphs; // no JPEG or MP3 files are offered, so those stay unset
    SwfGenerator g(media);
    g.RaiseSubEvents(true);
    unsigned n = 0;
    g.OnBeforeSubText = [](TextActionElement& e) { e.AllowSub = true; };
    auto text = [&](TextElement& e) {
        e.Text = (n++ % 2) ? e.Text + "\nZ\xC3\xA9" : std::string("x");
        e.FontName = (n % 3) ? e.FontName : "Other";
        e.FontHeight = static_cast<std::int32_t>(n * 97 % 2000);
        e.NeedSub = true;
    };
    g.OnSubText = text;
    g.OnSubEditText = text;
    g.OnSubActionGetUrl = [&](LinkElement& e) {
        e.Url = (n++ % 2) ? e.Url + std::string(300, 'u') : std::string();
        e.NeedSub = true;
    };
    if (!g.LoadSwf(in)) {
        return 0;
    }
    g.SwfWidth(static_cast<std::int32_t>(size * 13 % 40000) - 100);
    g.SwfHeight(static_cast<std::int32_t>(size * 7 % 30000));
    if (!g.SaveSwf(out, 1)) {
        return 0;
    }
    SwfGenerator again(media);
    again.RaiseSubEvents(true);
    if (!again.LoadSwf(out)) {
        std::abort(); // a saved movie must load
    }
    return 0;
}
