// swfscan: lists a movie's replaceable elements in event order, applies simple edits by row number,
// and round-trips a movie unchanged; a way to check the SWF engine from outside the tests.
#include "swf/Header.h"
#include "swf/Movie.h"
#include "swf/SwfGenerator.h"

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

namespace {

using namespace glw::swf;

struct Row {
    std::string kind;
    std::string id;
    std::string value;
    std::string font;
    std::string size;
};

std::string escaped(const std::string& s) {
    std::string out;
    for (char c : s) {
        switch (c) {
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\\':
            out += "\\\\";
            break;
        default:
            out.push_back(c);
        }
    }
    return out;
}

std::string unescaped(const std::string& s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 1 < s.size()) {
            char n = s[++i];
            out.push_back(n == 'n' ? '\n' : n == 'r' ? '\r' : n == 't' ? '\t' : n);
        } else {
            out.push_back(s[i]);
        }
    }
    return out;
}

int usage() {
    std::fprintf(stderr, "usage: swfscan list MOVIE\n"
                         "       swfscan header MOVIE\n"
                         "       swfscan roundtrip MOVIE OUTPUT\n"
                         "       swfscan edit MOVIE OUTPUT [--set ROW=VALUE]... [--font ROW=NAME]...\n"
                         "                              [--height ROW=TWIPS]... [--quality ROW=Q]... [--size WxH]\n"
                         "ROW is a row number of `list`. VALUE is the new text (\\n for a line break), the new\n"
                         "address, or the host path of a JPEG image or MP3 sound. --size is in pixels.\n");
    return 2;
}

std::string errorText(const glw::Error& e) {
    return e.detail.empty() ? std::string("failed") : e.detail;
}

// Scans a movie and collects one row per counted element, in event order.
bool scanRows(const std::string& path, std::vector<Row>& rows) {
    SwfGenerator g;
    g.RaiseSubEvents(true);
    g.OnSubText = [&](TextElement& e) {
        rows.push_back({"text", "-", e.Text, e.FontName, std::to_string(e.FontHeight)});
    };
    g.OnSubEditText = [&](EditTextElement& e) {
        rows.push_back({"edittext", "-", e.Text, e.FontName, std::to_string(e.FontHeight)});
    };
    g.OnSubActionGetUrl = [&](LinkElement& e) { rows.push_back({"link", "-", e.Url, "", ""}); };
    g.OnSubImage = [&](ImageElement& e) {
        rows.push_back({"image", std::to_string(e.ImageId), "", "", std::to_string(e.ImageQuality)});
    };
    g.OnSubSound = [&](SoundElement& e) { rows.push_back({"sound", std::to_string(e.SoundId), "", "", e.SoundName}); };
    glw::Result<void> loaded = g.LoadSwf(path);
    if (!loaded) {
        std::fprintf(stderr, "swfscan: %s: %s\n", path.c_str(), errorText(loaded.error()).c_str());
        return false;
    }
    // Tags that offer nothing because they cannot be read: named, with their offset and the reason.
    for (const glw::Error& e : g.scanErrors()) {
        std::fprintf(stderr, "swfscan: %s: not read: %s\n", path.c_str(), e.detail.c_str());
    }
    return true;
}

struct Edit {
    std::string value;
    bool hasValue = false;
    std::string font;
    int height = 0;
    int quality = 0;
};

bool parseRowArg(const std::string& arg, std::size_t& row, std::string& value) {
    std::size_t eq = arg.find('=');
    if (eq == std::string::npos || eq == 0) {
        return false;
    }
    std::string digits = arg.substr(0, eq);
    char* end = nullptr;
    unsigned long n = std::strtoul(digits.c_str(), &end, 10);
    if (!end || *end != '\0') {
        return false;
    }
    row = n;
    value = arg.substr(eq + 1);
    return true;
}

int edit(int argc, char** argv) {
    if (argc < 4) {
        return usage();
    }
    std::string in = argv[2];
    std::string out = argv[3];
    std::map<std::size_t, Edit> edits;
    int width = 0;
    int height = 0;
    for (int i = 4; i < argc; ++i) {
        std::string opt = argv[i];
        if (i + 1 >= argc) {
            return usage();
        }
        std::string arg = argv[++i];
        if (opt == "--size") {
            if (std::sscanf(arg.c_str(), "%dx%d", &width, &height) != 2) {
                return usage();
            }
            continue;
        }
        std::size_t row = 0;
        std::string value;
        if (!parseRowArg(arg, row, value)) {
            return usage();
        }
        Edit& e = edits[row];
        if (opt == "--set") {
            e.value = unescaped(value);
            e.hasValue = true;
        } else if (opt == "--font") {
            e.font = value;
        } else if (opt == "--height") {
            e.height = std::atoi(value.c_str());
        } else if (opt == "--quality") {
            e.quality = std::atoi(value.c_str());
        } else {
            return usage();
        }
    }
    SwfGenerator g;
    g.RaiseSubEvents(true);
    std::size_t index = 0;
    auto pick = [&]() -> Edit* {
        auto it = edits.find(index++);
        return it == edits.end() ? nullptr : &it->second;
    };
    auto textEdit = [&](TextElement& e) {
        if (Edit* x = pick()) {
            if (x->hasValue) {
                e.Text = x->value;
            }
            if (!x->font.empty()) {
                e.FontName = x->font;
            }
            if (x->height > 0) {
                e.FontHeight = x->height;
            }
            e.NeedSub = true;
        }
    };
    g.OnSubText = textEdit;
    g.OnSubEditText = textEdit;
    g.OnSubActionGetUrl = [&](LinkElement& e) {
        if (Edit* x = pick(); x && x->hasValue) {
            e.Url = x->value;
            e.NeedSub = true;
        }
    };
    g.OnSubImage = [&](ImageElement& e) {
        if (Edit* x = pick(); x && x->hasValue) {
            e.ImageFile = x->value;
            if (x->quality > 0) {
                e.ImageQuality = x->quality;
            }
            e.NeedSub = true;
        }
    };
    g.OnSubSound = [&](SoundElement& e) {
        if (Edit* x = pick(); x && x->hasValue) {
            e.SoundFile = x->value;
            e.NeedSub = true;
        }
    };
    glw::Result<void> loaded = g.LoadSwf(in);
    if (!loaded) {
        std::fprintf(stderr, "swfscan: %s: %s\n", in.c_str(), errorText(loaded.error()).c_str());
        return 1;
    }
    for (const auto& [row, e] : edits) {
        if (row >= index) {
            std::fprintf(stderr, "swfscan: there is no row %zu (the movie has %zu)\n", row, index);
            return 2;
        }
    }
    g.SwfWidth(width * 20);
    g.SwfHeight(height * 20);
    glw::Result<void> saved = g.SaveSwf(out, 1);
    if (!saved) {
        std::fprintf(stderr, "swfscan: %s: %s\n", out.c_str(), errorText(saved.error()).c_str());
        return 1;
    }
    for (const glw::Error& e : g.substitutionErrors()) {
        std::fprintf(stderr, "swfscan: %s\n", errorText(e).c_str());
    }
    return g.substitutionErrors().empty() ? 0 : 3;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        return usage();
    }
    std::string command = argv[1];
    if (command == "list" && argc == 3) {
        std::vector<Row> rows;
        if (!scanRows(argv[2], rows)) {
            return 1;
        }
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const Row& r = rows[i];
            std::printf("%zu\t%s\t%s\t%s\t%s\t%s\n", i, r.kind.c_str(), r.id.c_str(), escaped(r.value).c_str(),
                        escaped(r.font).c_str(), escaped(r.size).c_str());
        }
        return 0;
    }
    if (command == "header" && argc == 3) {
        glw::Result<SwfHeader> h = readSwfHeader(argv[2]);
        if (!h) {
            std::fprintf(stderr, "swfscan: %s: %s\n", argv[2], errorText(h.error()).c_str());
            return 1;
        }
        const char* kind = h->compression == Compression::None   ? "FWS"
                           : h->compression == Compression::Zlib ? "CWS"
                                                                 : "ZWS";
        std::printf("%s version %u, %g x %g pixels (frame %d,%d to %d,%d twips), %g fps, %u frames\n", kind,
                    unsigned{h->version}, h->widthPixels, h->heightPixels, h->frame.xMin, h->frame.yMin, h->frame.xMax,
                    h->frame.yMax, h->frameRate, unsigned{h->frameCount});
        return 0;
    }
    if (command == "roundtrip" && argc == 4) {
        glw::Result<Movie> movie = loadMovieFile(argv[2]);
        if (!movie) {
            std::fprintf(stderr, "swfscan: %s: %s\n", argv[2], errorText(movie.error()).c_str());
            return 1;
        }
        glw::Result<void> saved = saveMovieFile(*movie, argv[3]);
        if (!saved) {
            std::fprintf(stderr, "swfscan: %s: %s\n", argv[3], errorText(saved.error()).c_str());
            return 1;
        }
        return 0;
    }
    if (command == "edit") {
        return edit(argc, argv);
    }
    return usage();
}
