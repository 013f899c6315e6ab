// Font lookup with fontconfig and FreeType outlines converted to SWF glyph shapes.
#include "swf/media/Glyphs.h"

#include "swf/media/EdgeRecords.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <limits>
#include <optional>
#include <utility>

namespace glw::swf::media {
namespace {

// Lower-case ASCII with blanks, hyphens and underscores removed: "Times New Roman" -> "timesnewroman".
std::string squeeze(std::string_view name) {
    std::string out;
    for (char c : name) {
        if (c == ' ' || c == '-' || c == '_' || c == '\t') {
            continue;
        }
        out.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
    }
    return out;
}

bool endsWith(std::string_view s, std::string_view suffix) {
    return s.size() >= suffix.size() && s.substr(s.size() - suffix.size()) == suffix;
}

// The squeezed name without a PostScript "MT"/"PSMT" suffix.
std::string familyKey(std::string_view name) {
    std::string key = squeeze(name);
    for (std::string_view suffix : {std::string_view("psmt"), std::string_view("mt")}) {
        if (key.size() > suffix.size() + 2 && endsWith(key, suffix)) {
            key.resize(key.size() - suffix.size());
            break;
        }
    }
    return key;
}

struct Equivalent {
    std::string_view key; // familyKey of the name asked for
    std::array<std::string_view, 4> families;
};

// Families that stand in for names common in movies made on other systems. Liberation fonts share the
// metrics of Arial, Times New Roman and Courier New, so texts keep their widths; DejaVu covers most
// of the rest. "sans-serif", "serif" and "monospace" are fontconfig's own generic names.
constexpr std::array<Equivalent, 34> kEquivalents = {{
    {"arial", {"Liberation Sans", "Arimo", "Nimbus Sans", "sans-serif"}},
    {"helvetica", {"Liberation Sans", "Nimbus Sans", "Arimo", "sans-serif"}},
    {"arialunicodems", {"DejaVu Sans", "Liberation Sans", "sans-serif", ""}},
    {"microsoftsansserif", {"Liberation Sans", "DejaVu Sans", "sans-serif", ""}},
    {"mssansserif", {"Liberation Sans", "DejaVu Sans", "sans-serif", ""}},
    {"arialnarrow", {"Liberation Sans Narrow", "Nimbus Sans Narrow", "DejaVu Sans Condensed", "sans-serif"}},
    {"arialblack", {"DejaVu Sans", "Liberation Sans", "sans-serif", ""}},
    {"verdana", {"DejaVu Sans", "Liberation Sans", "sans-serif", ""}},
    {"tahoma", {"DejaVu Sans", "Liberation Sans", "sans-serif", ""}},
    {"trebuchetms", {"DejaVu Sans", "Liberation Sans", "sans-serif", ""}},
    {"segoeui", {"DejaVu Sans", "Liberation Sans", "sans-serif", ""}},
    {"calibri", {"Carlito", "Liberation Sans", "DejaVu Sans", "sans-serif"}},
    {"lucidasans", {"DejaVu Sans", "Liberation Sans", "sans-serif", ""}},
    {"lucidasansunicode", {"DejaVu Sans", "Liberation Sans", "sans-serif", ""}},
    {"lucidagrande", {"DejaVu Sans", "Liberation Sans", "sans-serif", ""}},
    {"impact", {"DejaVu Sans Condensed", "Liberation Sans Narrow", "DejaVu Sans", "sans-serif"}},
    {"comicsansms", {"Comic Neue", "DejaVu Sans", "Liberation Sans", "sans-serif"}},
    {"centurygothic", {"URW Gothic", "DejaVu Sans", "Liberation Sans", "sans-serif"}},
    {"timesnewroman", {"Liberation Serif", "Tinos", "Nimbus Roman", "serif"}},
    {"times", {"Liberation Serif", "Nimbus Roman", "Tinos", "serif"}},
    {"timesroman", {"Liberation Serif", "Nimbus Roman", "Tinos", "serif"}},
    {"georgia", {"DejaVu Serif", "Liberation Serif", "serif", ""}},
    {"cambria", {"Caladea", "Liberation Serif", "DejaVu Serif", "serif"}},
    {"garamond", {"Liberation Serif", "DejaVu Serif", "serif", ""}},
    {"bookantiqua", {"P052", "Liberation Serif", "DejaVu Serif", "serif"}},
    {"palatinolinotype", {"P052", "Liberation Serif", "DejaVu Serif", "serif"}},
    {"bookmanoldstyle", {"URW Bookman", "Liberation Serif", "DejaVu Serif", "serif"}},
    {"couriernew", {"Liberation Mono", "Cousine", "Nimbus Mono PS", "monospace"}},
    {"courier", {"Liberation Mono", "Nimbus Mono PS", "Cousine", "monospace"}},
    {"lucidaconsole", {"DejaVu Sans Mono", "Liberation Mono", "monospace", ""}},
    {"consolas", {"DejaVu Sans Mono", "Liberation Mono", "monospace", ""}},
    {"sans", {"Liberation Sans", "DejaVu Sans", "sans-serif", ""}},           // SWF device font "_sans"
    {"serif", {"Liberation Serif", "DejaVu Serif", "serif", ""}},             // "_serif"
    {"typewriter", {"Liberation Mono", "DejaVu Sans Mono", "monospace", ""}}, // "_typewriter"
}};

bool isGenericFamily(std::string_view family) {
    return family == "sans-serif" || family == "serif" || family == "monospace";
}

// The name without style words at its end, and the styles they ask for.
struct StyledName {
    std::string base;
    bool bold = false;
    bool italic = false;
};

StyledName splitStyle(std::string_view name) {
    StyledName out;
    std::string base(name);
    while (!base.empty() && (base.back() == ' ' || base.back() == '\t')) {
        base.pop_back();
    }
    for (;;) {
        const std::size_t cut = base.find_last_of(" -,");
        if (cut == std::string::npos || cut == 0) {
            break;
        }
        std::string word = squeeze(std::string_view(base).substr(cut + 1));
        for (std::string_view suffix : {std::string_view("psmt"), std::string_view("mt")}) {
            if (word.size() > suffix.size() && endsWith(word, suffix)) {
                word.resize(word.size() - suffix.size());
                break;
            }
        }
        bool known = true;
        if (word == "bold") {
            out.bold = true;
        } else if (word == "italic" || word == "oblique") {
            out.italic = true;
        } else if (word == "bolditalic" || word == "boldoblique") {
            out.bold = out.italic = true;
        } else if (word != "regular" && word != "normal") {
            known = false;
        }
        if (!known) {
            break;
        }
        base.resize(cut);
        while (!base.empty() && (base.back() == ' ' || base.back() == '-' || base.back() == ',')) {
            base.pop_back();
        }
    }
    out.base = base;
    return out;
}

// The fontconfig configuration, loaded once per process (loading it scans every font folder) and
// released at exit.
class FontConfigHolder {
public:
    FontConfigHolder() : m_config(FcInitLoadConfigAndFonts()) {}
    ~FontConfigHolder() {
        if (m_config != nullptr) {
            FcConfigDestroy(m_config);
        }
    }
    FontConfigHolder(const FontConfigHolder&) = delete;
    FontConfigHolder& operator=(const FontConfigHolder&) = delete;
    FcConfig* get() const { return m_config; }

private:
    FcConfig* m_config;
};

FcConfig* fontConfig() {
    static const FontConfigHolder holder;
    return holder.get();
}

std::string patternString(FcPattern* p, const char* object, int index = 0) {
    FcChar8* value = nullptr;
    if (FcPatternGetString(p, object, index, &value) == FcResultMatch && value != nullptr) {
        return reinterpret_cast<const char*>(value);
    }
    return {};
}

// Asks fontconfig for a face of the family; accepts the match only when it is of that family (or
// any face when the family is a generic name).
bool tryFamily(const std::string& family, bool bold, bool italic, FontMatch& out) {
    FcConfig* config = fontConfig();
    if (config == nullptr) {
        return false;
    }
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(config, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(config, pattern, &result);
    FcPatternDestroy(pattern);
    if (match == nullptr) {
        return false;
    }
    bool accepted = isGenericFamily(family);
    std::string found;
    for (int i = 0;; ++i) {
        const std::string name = patternString(match, FC_FAMILY, i);
        if (name.empty()) {
            break;
        }
        if (found.empty()) {
            found = name;
        }
        if (squeeze(name) == squeeze(family)) {
            found = name;
            accepted = true;
            break;
        }
    }
    FcBool scalable = FcFalse;
    if (FcPatternGetBool(match, FC_SCALABLE, 0, &scalable) != FcResultMatch || scalable != FcTrue) {
        accepted = false;
    }
    const std::string file = patternString(match, FC_FILE);
    if (accepted && !file.empty()) {
        int index = 0;
        int weight = FC_WEIGHT_REGULAR;
        int slant = FC_SLANT_ROMAN;
        FcPatternGetInteger(match, FC_INDEX, 0, &index);
        FcPatternGetInteger(match, FC_WEIGHT, 0, &weight);
        FcPatternGetInteger(match, FC_SLANT, 0, &slant);
        out.family = found;
        out.file = file;
        out.faceIndex = index;
        out.bold = weight >= FC_WEIGHT_DEMIBOLD;
        out.italic = slant != FC_SLANT_ROMAN;
    } else {
        accepted = false;
    }
    FcPatternDestroy(match);
    return accepted;
}

} // namespace

std::vector<std::string> equivalentFamilies(std::string_view family) {
    std::string key = familyKey(splitStyle(family).base);
    std::vector<std::string> out;
    for (const Equivalent& e : kEquivalents) {
        if (e.key == key) {
            for (std::string_view f : e.families) {
                if (!f.empty()) {
                    out.emplace_back(f);
                }
            }
            break;
        }
    }
    return out;
}

Result<FontMatch> findFont(std::string_view family, bool bold, bool italic) {
    const StyledName styled = splitStyle(family);
    bold = bold || styled.bold;
    italic = italic || styled.italic;
    FontMatch match;
    match.requested = std::string(family);
    std::vector<std::string> candidates;
    if (!styled.base.empty() && styled.base[0] != '_' && !isGenericFamily(styled.base)) {
        candidates.push_back(styled.base);
    }
    for (std::string& f : equivalentFamilies(styled.base)) {
        candidates.push_back(std::move(f));
    }
    candidates.emplace_back("sans-serif");
    for (const std::string& candidate : candidates) {
        if (tryFamily(candidate, bold, italic, match)) {
            match.substituted = squeeze(match.family) != squeeze(styled.base);
            return match;
        }
    }
    return makeError(ErrorCode::NotFound, "no scalable font installed for \"" + std::string(family) + "\"");
}

Result<FontMatch> findFallbackFont(char32_t code, bool bold, bool italic) {
    FcConfig* config = fontConfig();
    if (config == nullptr || code > 0x10FFFF) {
        return makeError(ErrorCode::NotFound, "no font configuration");
    }
    FcPattern* pattern = FcPatternCreate();
    FcCharSet* wanted = FcCharSetCreate();
    FcCharSetAddChar(wanted, code);
    FcPatternAddCharSet(pattern, FC_CHARSET, wanted);
    FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(config, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    // The sorted list, because the single best match may be a face that lacks the character when
    // none of the preferred families has it.
    FcFontSet* fonts = FcFontSort(config, pattern, FcFalse, nullptr, &result);
    FcPatternDestroy(pattern);
    FcCharSetDestroy(wanted);
    std::optional<FontMatch> found;
    for (int i = 0; fonts != nullptr && i < fonts->nfont && !found; ++i) {
        FcPattern* candidate = fonts->fonts[i];
        FcCharSet* has = nullptr;
        FcBool scalable = FcFalse;
        if (FcPatternGetCharSet(candidate, FC_CHARSET, 0, &has) != FcResultMatch || !FcCharSetHasChar(has, code) ||
            FcPatternGetBool(candidate, FC_SCALABLE, 0, &scalable) != FcResultMatch || scalable != FcTrue) {
            continue;
        }
        FontMatch m;
        m.family = patternString(candidate, FC_FAMILY);
        m.file = patternString(candidate, FC_FILE);
        int weight = FC_WEIGHT_REGULAR;
        int slant = FC_SLANT_ROMAN;
        FcPatternGetInteger(candidate, FC_INDEX, 0, &m.faceIndex);
        FcPatternGetInteger(candidate, FC_WEIGHT, 0, &weight);
        FcPatternGetInteger(candidate, FC_SLANT, 0, &slant);
        m.bold = weight >= FC_WEIGHT_DEMIBOLD;
        m.italic = slant != FC_SLANT_ROMAN;
        m.requested = m.family;
        m.substituted = true;
        if (!m.file.empty()) {
            found = std::move(m);
        }
    }
    if (fonts != nullptr) {
        FcFontSetDestroy(fonts);
    }
    if (!found) {
        return makeError(ErrorCode::NotFound, "no installed font has the character U+" + std::to_string(code));
    }
    return std::move(*found);
}

struct GlyphFont::Impl {
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    FontMatch match;
    int emSquare = kEmSquare;
    bool symbolMap = false; // the face has only a Microsoft symbol character map (codes at U+F000 up)

    ~Impl() {
        if (face != nullptr) {
            FT_Done_Face(face);
        }
        if (library != nullptr) {
            FT_Done_FreeType(library);
        }
    }

    double scale() const { return static_cast<double>(emSquare) / face->units_per_EM; }
    int toEm(double v) const { return static_cast<int>(std::lround(v * scale())); }

    FT_UInt index(char32_t code) const {
        if (face == nullptr || code > 0x10FFFF) {
            return 0;
        }
        FT_UInt gi = FT_Get_Char_Index(face, code);
        if (gi == 0 && symbolMap && code < 0x100) {
            gi = FT_Get_Char_Index(face, 0xF000 + code);
        }
        return gi;
    }
};

namespace {

struct Point {
    std::int32_t x = 0;
    std::int32_t y = 0;
    bool operator==(const Point&) const = default;
};

enum class SegmentKind { Move, Line, Curve };

struct Segment {
    SegmentKind kind = SegmentKind::Move;
    Point control;
    Point to;
};

// Collects an outline as absolute EM-square points (y down), dropping degenerate edges.
struct OutlineCollector {
    double scale = 1.0;
    std::vector<Segment> segments;
    Point pen;
    Point start;
    bool haveBounds = false;
    GlyphBounds bounds;

    Point convert(const FT_Vector* v) const {
        return {static_cast<std::int32_t>(std::lround(static_cast<double>(v->x) * scale)),
                static_cast<std::int32_t>(std::lround(-static_cast<double>(v->y) * scale))};
    }

    void include(Point p) {
        if (!haveBounds) {
            bounds = {p.x, p.y, p.x, p.y};
            haveBounds = true;
            return;
        }
        bounds.xMin = std::min(bounds.xMin, p.x);
        bounds.yMin = std::min(bounds.yMin, p.y);
        bounds.xMax = std::max(bounds.xMax, p.x);
        bounds.yMax = std::max(bounds.yMax, p.y);
    }

    void moveTo(Point p) {
        if (!segments.empty() && segments.back().kind == SegmentKind::Move) {
            segments.back().to = p;
        } else {
            segments.push_back({SegmentKind::Move, {}, p});
        }
        pen = p;
        start = p;
    }

    void lineTo(Point p) {
        if (p == pen) {
            return;
        }
        include(pen);
        include(p);
        segments.push_back({SegmentKind::Line, {}, p});
        pen = p;
    }

    void curveTo(Point c, Point p) {
        if (c == pen || c == p) {
            lineTo(p);
            return;
        }
        include(pen);
        include(c);
        include(p);
        segments.push_back({SegmentKind::Curve, c, p});
        pen = p;
    }

    // Cubic Bezier (from PostScript-flavoured fonts) approximated by four quadratic pieces.
    void cubicTo(const FT_Vector* c1, const FT_Vector* c2, const FT_Vector* to) {
        const double s = scale;
        const double p0x = pen.x, p0y = pen.y;
        const double p1x = c1->x * s, p1y = -c1->y * s;
        const double p2x = c2->x * s, p2y = -c2->y * s;
        const double p3x = to->x * s, p3y = -to->y * s;
        auto at = [&](double t, double a, double b, double c, double d) {
            const double u = 1.0 - t;
            return u * u * u * a + 3 * u * u * t * b + 3 * u * t * t * c + t * t * t * d;
        };
        auto slope = [&](double t, double a, double b, double c, double d) {
            const double u = 1.0 - t;
            return 3 * u * u * (b - a) + 6 * u * t * (c - b) + 3 * t * t * (d - c);
        };
        constexpr int kPieces = 4;
        for (int i = 0; i < kPieces; ++i) {
            const double t0 = static_cast<double>(i) / kPieces;
            const double t1 = static_cast<double>(i + 1) / kPieces;
            const double ax = at(t0, p0x, p1x, p2x, p3x), ay = at(t0, p0y, p1y, p2y, p3y);
            const double bx = at(t1, p0x, p1x, p2x, p3x), by = at(t1, p0y, p1y, p2y, p3y);
            // The piece as a cubic (a, c1, c2, b), then the quadratic that best matches it.
            const double h = (t1 - t0) / 3.0;
            const double c1x = ax + h * slope(t0, p0x, p1x, p2x, p3x), c1y = ay + h * slope(t0, p0y, p1y, p2y, p3y);
            const double c2x = bx - h * slope(t1, p0x, p1x, p2x, p3x), c2y = by - h * slope(t1, p0y, p1y, p2y, p3y);
            const double cx = (3.0 * (c1x + c2x) - ax - bx) / 4.0;
            const double cy = (3.0 * (c1y + c2y) - ay - by) / 4.0;
            const Point end = i + 1 == kPieces ? convert(to)
                                               : Point{static_cast<std::int32_t>(std::lround(bx)),
                                                       static_cast<std::int32_t>(std::lround(by))};
            curveTo({static_cast<std::int32_t>(std::lround(cx)), static_cast<std::int32_t>(std::lround(cy))}, end);
        }
    }
};

// Each contour (a move and the edges after it) drawn the other way round: the same points and controls,
// from the last point back to the first.
void reverseContours(std::vector<Segment>& segments) {
    std::vector<Segment> out;
    out.reserve(segments.size());
    std::size_t begin = 0;
    while (begin < segments.size()) {
        std::size_t end = begin + 1;
        while (end < segments.size() && segments[end].kind != SegmentKind::Move) {
            ++end;
        }
        // segments[begin] is the move (or, defensively, an edge from the origin).
        const bool moved = segments[begin].kind == SegmentKind::Move;
        const std::size_t firstEdge = moved ? begin + 1 : begin;
        const Point start = moved ? segments[begin].to : Point{};
        out.push_back({SegmentKind::Move, {}, end > firstEdge ? segments[end - 1].to : start});
        for (std::size_t i = end; i > firstEdge; --i) {
            const Segment& edge = segments[i - 1];
            const Point from = i - 1 > firstEdge ? segments[i - 2].to : start;
            out.push_back({edge.kind, edge.control, from});
        }
        begin = end;
    }
    segments = std::move(out);
}

int onMoveTo(const FT_Vector* to, void* user) {
    auto* c = static_cast<OutlineCollector*>(user);
    c->moveTo(c->convert(to));
    return 0;
}

int onLineTo(const FT_Vector* to, void* user) {
    auto* c = static_cast<OutlineCollector*>(user);
    c->lineTo(c->convert(to));
    return 0;
}

int onConicTo(const FT_Vector* control, const FT_Vector* to, void* user) {
    auto* c = static_cast<OutlineCollector*>(user);
    c->curveTo(c->convert(control), c->convert(to));
    return 0;
}

int onCubicTo(const FT_Vector* control1, const FT_Vector* control2, const FT_Vector* to, void* user) {
    static_cast<OutlineCollector*>(user)->cubicTo(control1, control2, to);
    return 0;
}

bool fits(std::int32_t v) {
    return v >= -kMaxEdgeDelta && v <= kMaxEdgeDelta;
}

// Edges longer than an edge record holds (only in absurd outlines) are split in halves.
void writeLine(base::ByteWriter& w, Point from, Point to) {
    const std::int32_t dx = to.x - from.x;
    const std::int32_t dy = to.y - from.y;
    if (!fits(dx) || !fits(dy)) {
        const Point mid{from.x + dx / 2, from.y + dy / 2};
        writeLine(w, from, mid);
        writeLine(w, mid, to);
        return;
    }
    writeStraightEdge(w, dx, dy);
}

void writeCurve(base::ByteWriter& w, Point from, Point control, Point to) {
    const std::int32_t cx = control.x - from.x;
    const std::int32_t cy = control.y - from.y;
    const std::int32_t ax = to.x - control.x;
    const std::int32_t ay = to.y - control.y;
    if (!fits(cx) || !fits(cy) || !fits(ax) || !fits(ay)) {
        const Point m1{from.x + cx / 2, from.y + cy / 2};
        const Point m2{control.x + ax / 2, control.y + ay / 2};
        const Point mid{m1.x + (m2.x - m1.x) / 2, m1.y + (m2.y - m1.y) / 2};
        writeCurve(w, from, m1, mid);
        writeCurve(w, mid, m2, to);
        return;
    }
    writeCurvedEdge(w, cx, cy, ax, ay);
}

std::vector<std::uint8_t> encodeShape(const std::vector<Segment>& segments) {
    base::ByteWriter w;
    w.ub(1, 4); // NumFillBits
    w.ub(0, 4); // NumLineBits
    bool first = true;
    Point pen;
    for (std::size_t i = 0; i < segments.size(); ++i) {
        const Segment& s = segments[i];
        switch (s.kind) {
        case SegmentKind::Move: {
            // A move with no edge after it draws nothing.
            if (i + 1 == segments.size() || segments[i + 1].kind == SegmentKind::Move) {
                break;
            }
            w.ub(0, 1);             // style change record
            w.ub(0, 1);             // StateNewStyles
            w.ub(0, 1);             // StateLineStyle
            w.ub(0, 1);             // StateFillStyle1
            w.ub(first ? 1 : 0, 1); // StateFillStyle0
            w.ub(1, 1);             // StateMoveTo
            // One bit at the least, even for a move to the origin, which needs none.
            const unsigned bits = std::max(1u, base::bitsForSigned({s.to.x, s.to.y}));
            w.ub(bits, 5);
            w.sb(s.to.x, bits);
            w.sb(s.to.y, bits);
            if (first) {
                w.ub(1, 1); // FillStyle0 = 1
                first = false;
            }
            pen = s.to;
            break;
        }
        case SegmentKind::Line:
            writeLine(w, pen, s.to);
            pen = s.to;
            break;
        case SegmentKind::Curve:
            writeCurve(w, pen, s.control, s.to);
            pen = s.to;
            break;
        }
    }
    w.ub(0, 6); // end of shape
    return w.take();
}

} // namespace

GlyphFont::GlyphFont(std::unique_ptr<Impl> impl) : m_impl(std::move(impl)) {}
GlyphFont::GlyphFont(GlyphFont&&) noexcept = default;
GlyphFont& GlyphFont::operator=(GlyphFont&&) noexcept = default;
GlyphFont::~GlyphFont() = default;

Result<GlyphFont> GlyphFont::open(const FontMatch& match, int emSquare) {
    if (emSquare < 16 || emSquare > kEmSquareFont3) {
        return makeError(ErrorCode::Invalid, "EM square out of range");
    }
    auto impl = std::make_unique<Impl>();
    impl->match = match;
    impl->emSquare = emSquare;
    if (FT_Init_FreeType(&impl->library) != 0) {
        impl->library = nullptr;
        return makeError(ErrorCode::Io, "FreeType could not start");
    }
    if (FT_New_Face(impl->library, match.file.c_str(), match.faceIndex, &impl->face) != 0) {
        impl->face = nullptr;
        return makeError(ErrorCode::Malformed, "FreeType cannot read font file " + match.file);
    }
    if (!FT_IS_SCALABLE(impl->face) || impl->face->units_per_EM == 0) {
        return makeError(ErrorCode::Unsupported, "font file " + match.file + " has no outlines");
    }
    if (FT_Select_Charmap(impl->face, FT_ENCODING_UNICODE) != 0) {
        impl->symbolMap = FT_Select_Charmap(impl->face, FT_ENCODING_MS_SYMBOL) == 0;
    }
    return GlyphFont(std::move(impl));
}

Result<GlyphFont> GlyphFont::open(std::string_view family, bool bold, bool italic, int emSquare) {
    auto match = findFont(family, bold, italic);
    if (!match) {
        return match.error();
    }
    return open(*match, emSquare);
}

const FontMatch& GlyphFont::match() const {
    return m_impl->match;
}

FontMetrics GlyphFont::metrics() const {
    const FT_Face face = m_impl->face;
    FontMetrics m;
    m.emSquare = m_impl->emSquare;
    double ascent = face->ascender;
    double descent = -static_cast<double>(face->descender);
    // Windows lays text out with the OS/2 table's win ascent and descent; the metric-compatible
    // fonts match those, so lines keep the height they had where the movie was made.
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    if (os2 != nullptr && os2->version != 0xFFFF && (os2->usWinAscent != 0 || os2->usWinDescent != 0)) {
        ascent = os2->usWinAscent;
        descent = os2->usWinDescent;
    }
    const double gap = static_cast<double>(face->height) - (face->ascender - face->descender);
    m.ascent = m_impl->toEm(ascent);
    m.descent = m_impl->toEm(descent);
    m.leading = std::max(0, m_impl->toEm(gap));
    return m;
}

bool GlyphFont::hasGlyph(char32_t code) const {
    return m_impl->index(code) != 0;
}

Result<Glyph> GlyphFont::glyph(char32_t code) const {
    const FT_UInt index = m_impl->index(code);
    if (index == 0) {
        return makeError(ErrorCode::NotFound, "font " + m_impl->match.family + " has no glyph for U+" +
                                                  std::to_string(static_cast<unsigned long>(code)));
    }
    const FT_Face face = m_impl->face;
    if (FT_Load_Glyph(face, index, FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP) != 0 ||
        face->glyph->format != FT_GLYPH_FORMAT_OUTLINE) {
        return makeError(ErrorCode::Malformed, "cannot read the outline of a glyph of " + m_impl->match.family);
    }
    FT_Outline& outline = face->glyph->outline;
    OutlineCollector collector;
    collector.scale = m_impl->scale();
    FT_Outline_Funcs funcs{};
    funcs.move_to = onMoveTo;
    funcs.line_to = onLineTo;
    funcs.conic_to = onConicTo;
    funcs.cubic_to = onCubicTo;
    if (FT_Outline_Decompose(&outline, &funcs, &collector) != 0) {
        return makeError(ErrorCode::Malformed, "cannot decompose a glyph outline of " + m_impl->match.family);
    }
    // The format's conversion keeps TrueType's point order (outer contours clockwise with y up);
    // PostScript-flavoured fonts wind the other way, so their contours are turned round. This is done on
    // the collected edges: reversing FreeType's points would start a contour that closes with a cubic
    // curve on a control point, an outline FreeType then refuses to decompose.
    if (outline.n_contours > 0 && FT_Outline_Get_Orientation(&outline) == FT_ORIENTATION_POSTSCRIPT) {
        reverseContours(collector.segments);
    }
    Glyph g;
    g.code = code;
    g.shape = encodeShape(collector.segments);
    g.advance = m_impl->toEm(static_cast<double>(face->glyph->metrics.horiAdvance));
    g.bounds = collector.bounds;
    return g;
}

int GlyphFont::kerning(char32_t left, char32_t right) const {
    const FT_Face face = m_impl->face;
    if (!FT_HAS_KERNING(face)) {
        return 0;
    }
    FT_Vector delta{};
    if (FT_Get_Kerning(face, m_impl->index(left), m_impl->index(right), FT_KERNING_UNSCALED, &delta) != 0) {
        return 0;
    }
    return m_impl->toEm(static_cast<double>(delta.x));
}

std::u32string decodeUtf8(std::string_view text) {
    std::u32string out;
    out.reserve(text.size());
    std::size_t i = 0;
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    while (i < text.size()) {
        const unsigned char b = byte(i);
        int extra = 0;
        char32_t cp = 0;
        char32_t minimum = 0;
        if (b < 0x80) {
            out.push_back(b);
            ++i;
            continue;
        } else if ((b & 0xE0) == 0xC0) {
            extra = 1;
            cp = b & 0x1F;
            minimum = 0x80;
        } else if ((b & 0xF0) == 0xE0) {
            extra = 2;
            cp = b & 0x0F;
            minimum = 0x800;
        } else if ((b & 0xF8) == 0xF0) {
            extra = 3;
            cp = b & 0x07;
            minimum = 0x10000;
        } else {
            out.push_back(0xFFFD);
            ++i;
            continue;
        }
        bool ok = i + static_cast<std::size_t>(extra) < text.size();
        for (int k = 1; ok && k <= extra; ++k) {
            const unsigned char c = byte(i + static_cast<std::size_t>(k));
            if ((c & 0xC0) != 0x80) {
                ok = false;
            } else {
                cp = (cp << 6) | (c & 0x3F);
            }
        }
        if (!ok || cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            out.push_back(0xFFFD);
            ++i;
            continue;
        }
        out.push_back(cp);
        i += static_cast<std::size_t>(extra) + 1;
    }
    return out;
}

std::string encodeUtf8(std::u32string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char32_t cp : text) {
        if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            cp = 0xFFFD;
        }
        if (cp < 0x80) {
            out.push_back(static_cast<char>(cp));
        } else if (cp < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        }
    }
    return out;
}

} // namespace glw::swf::media
