// Writes small movies of every kind the engine handles into a folder, as seeds for the fuzzers.
#include "swf/SwfFixtures.h"

using glw::swf::fixtures::Bytes;

#include <cstdio>

namespace fx = glw::swf::fixtures;

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: swf_fuzz_seeds FOLDER\n");
        return 2;
    }
    std::string dir = argv[1];
    Bytes jpeg = fx::makeJpeg(8, 8, 70);
    struct Seed {
        const char* name;
        Bytes movie;
    };
    Seed seeds[] = {
        {"texts", fx::movieWith({fx::defineFont2(fx::FontSpec{}), fx::defineText(fx::TextSpec{}),
                                 fx::defineEditText(fx::EditSpec{})})},
        {"font3",
         fx::movieWith({fx::defineFont2(fx::FontSpec{.font3 = true}), fx::defineText(fx::TextSpec{.text2 = true})}, 8)},
        {"links",
         fx::movieWith({fx::doAction({fx::jump(3), fx::getUrl("http://a/"), fx::constantPool({"http://b/", "_top"}),
                                      fx::pushConstants({0, 1}), fx::getUrl2()}),
                        fx::defineSprite(5, {fx::doAction({fx::getUrl("http://c/")})})},
                       6)},
        {"functions", fx::movieWith({fx::doAction({fx::defineFunction("f", 12), fx::getUrl("http://d/"),
                                                   fx::tryAction(1, 1, 1), fx::stop(), fx::play(), fx::stop()})},
                                    7)},
        {"media", fx::movieWith({fx::defineBitsJpeg2(1, jpeg), fx::defineBitsJpeg3(2, jpeg, 8, 8),
                                 fx::defineBitsLossless(3, 2, 2), fx::defineSound(4, fx::mp3Frames(1), 1152),
                                 fx::exportAssets({{4, "s"}})})},
        {"placements", fx::movieWith({fx::placeObject2(1, 5, fx::matrix(10, 10)), fx::placeObject2(2, 5, std::nullopt),
                                      fx::placeObject2(1, std::nullopt, std::nullopt, true)})},
        {"zlib", fx::movieWith({fx::doAction({fx::getUrl("http://z/")})}, 8, fx::Container::Cws)},
        {"lzma", fx::movieWith({fx::doAction({fx::getUrl("http://l/")})}, 13, fx::Container::Zws)},
    };
    for (const Seed& s : seeds) {
        fx::writeFile(dir + "/" + s.name + ".swf", s.movie);
    }
    return 0;
}
