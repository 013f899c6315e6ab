// playerpack LIST PACK FOLDER: makes the Flash player's pack and the application folder's copy of its files
// from LIST, the set-up's list of what travels ("version V", "from DIR" relative to the list's folder, then
// one file name a line). Without LIST (no player installed) the pack is empty and FOLDER is left without a
// manifest, so programs say that the player is missing. Outputs that already hold exactly these files are
// left untouched, so nothing that depends on them is rebuilt.
#include "base/FileIo.h"
#include "formats/PlayerPack.h"

#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace glw;

int fail(const std::string& message) {
    std::fprintf(stderr, "playerpack: %s\n", message.c_str());
    return 1;
}

// Writes the file only when its bytes change.
Result<void> keep(const fs::path& path, std::string_view bytes) {
    if (auto old = base::readWholeFile(path.string()); old && *old == bytes) {
        return {};
    }
    return base::replaceFileWith(path.string(), bytes);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        return fail("usage: playerpack LIST PACK FOLDER");
    }
    const fs::path listPath = argv[1], packPath = argv[2], folder = argv[3];
    std::error_code ec;
    fs::create_directories(packPath.parent_path(), ec);
    fs::create_directories(folder, ec);
    const fs::path manifestPath = folder / std::string(formats::kPlayerManifestName);

    auto list = base::readWholeFile(listPath.string());
    if (!list) {
        std::fprintf(stderr, "playerpack: no player installed (%s): the programs will say so\n",
                     list.error().detail.c_str());
        fs::remove(manifestPath, ec);
        auto kept = keep(packPath, "");
        return kept ? 0 : fail(kept.error().detail);
    }

    std::string version;
    fs::path from = listPath.parent_path();
    std::vector<std::string> names;
    std::istringstream lines(*list);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("version ", 0) == 0) {
            version = line.substr(8);
        } else if (line.rfind("from ", 0) == 0) {
            from = listPath.parent_path() / line.substr(5);
        } else if (!line.empty()) {
            names.push_back(line);
        }
    }
    std::vector<formats::PlayerFile> files;
    for (const auto& name : names) {
        auto bytes = base::readWholeFile((from / name).string());
        if (!bytes) {
            return fail(bytes.error().detail);
        }
        files.push_back({name, std::move(*bytes)});
    }

    formats::PlayerManifest manifest{version, {}};
    for (const auto& file : files) {
        manifest.files.push_back({file.name, file.bytes.size(), formats::playerCrc(file.bytes)});
    }
    const std::string manifestText = formats::writePlayerManifest(manifest);

    // The pack is made again only when its files changed: compressing takes some seconds.
    bool packCurrent = false;
    if (auto old = base::readWholeFile(packPath.string()); old) {
        auto header = formats::readPlayerPack(*old);
        packCurrent = header && header->manifest == manifest;
    }
    if (!packCurrent) {
        auto pack = formats::writePlayerPack(version, files);
        if (!pack) {
            return fail(pack.error().detail);
        }
        if (auto kept = keep(packPath, *pack); !kept) {
            return fail(kept.error().detail);
        }
        std::size_t total = 0;
        for (const auto& file : files) {
            total += file.bytes.size();
        }
        std::printf("playerpack: %zu files, %zu bytes packed into %zu\n", files.size(), total, pack->size());
    }

    // The folder: its files first, the manifest last, so that a folder with a manifest is whole.
    for (const auto& file : files) {
        if (auto kept = keep(folder / file.name, file.bytes); !kept) {
            return fail(kept.error().detail);
        }
    }
    if (auto kept = keep(manifestPath, manifestText); !kept) {
        return fail(kept.error().detail);
    }
    return 0;
}
