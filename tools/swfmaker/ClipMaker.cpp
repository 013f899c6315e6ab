// clipmaker: writes our own SWF movies (texts, fields, buttons, links, an image, a sound, a sprite) for
// the demo library and the engine's test fixtures.
#include "swfmaker/Presets.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <system_error>

namespace {

using glw::tools::Bytes;
using glw::tools::Compression;

void usage() {
    std::cerr << "usage: clipmaker [--fws] [--tintable] KIND OUTPUT.swf\n"
                 "       clipmaker --all FOLDER     (every kind, as KIND.swf compressed and KIND-fws.swf)\n"
                 "       clipmaker --list\n"
                 "kinds:";
    for (const std::string& name : glw::tools::presetNames()) {
        std::cerr << ' ' << name;
    }
    std::cerr << '\n';
}

// Writes beside the target and renames, so a reader never sees half a movie.
bool writeFile(const std::filesystem::path& target, const Bytes& bytes) {
    const std::filesystem::path temporary = target.string() + ".part";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        if (!out) {
            std::cerr << "clipmaker: cannot write " << temporary << '\n';
            return false;
        }
    }
    std::error_code ec;
    std::filesystem::rename(temporary, target, ec);
    if (ec) {
        std::cerr << "clipmaker: cannot replace " << target << ": " << ec.message() << '\n';
        std::filesystem::remove(temporary, ec);
        return false;
    }
    return true;
}

bool make(const std::string& kind, Compression compression, const std::filesystem::path& target,
          bool tintable = false) {
    auto movie = glw::tools::makePreset(kind, compression, tintable);
    if (!movie) {
        std::cerr << "clipmaker: " << kind << ": " << movie.error().detail << '\n';
        return false;
    }
    return writeFile(target, *movie);
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 1 && args[0] == "--list") {
        for (const std::string& name : glw::tools::presetNames()) {
            std::cout << name << '\n';
        }
        return 0;
    }
    if (args.size() == 2 && args[0] == "--all") {
        const std::filesystem::path folder = args[1];
        std::error_code ec;
        std::filesystem::create_directories(folder, ec);
        if (ec) {
            std::cerr << "clipmaker: cannot create " << folder << ": " << ec.message() << '\n';
            return 1;
        }
        bool ok = true;
        for (const std::string& name : glw::tools::presetNames()) {
            ok = make(name, Compression::Zlib, folder / (name + ".swf")) && ok;
            ok = make(name, Compression::None, folder / (name + "-fws.swf")) && ok;
        }
        return ok ? 0 : 1;
    }
    Compression compression = Compression::Zlib;
    bool tintable = false;
    while (!args.empty() && (args[0] == "--fws" || args[0] == "--tintable")) {
        if (args[0] == "--fws") {
            compression = Compression::None;
        } else {
            tintable = true;
        }
        args.erase(args.begin());
    }
    if (args.size() != 2) {
        usage();
        return 2;
    }
    return make(args[0], compression, args[1], tintable) ? 0 : 1;
}
