// updatesite: writes an update site as a folder of static files.
//   updatesite <folder> --address <served at> --date <d/m/y> [--release <zip or folder>]
//              [--release-name <file name>] [--package <gwi file or folder>=<title>]...
#include "UpdateSite.h"

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    glw::tools::SiteLayout layout;
    auto usage = [] {
        std::fprintf(stderr, "usage: updatesite <folder> --address <served at> --date <d/m/y> [--release <zip or "
                             "folder>] [--release-name <name>] [--package <gwi or folder>=<title>]...\n");
        return 2;
    };
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--address" && hasValue) {
            layout.address = argv[++i];
        } else if (arg == "--date" && hasValue) {
            layout.date = argv[++i];
        } else if (arg == "--release" && hasValue) {
            layout.release = argv[++i];
        } else if (arg == "--release-name" && hasValue) {
            layout.releaseName = argv[++i];
        } else if (arg == "--package" && hasValue) {
            const std::string value = argv[++i];
            const auto equals = value.find('=');
            if (equals == std::string::npos) {
                return usage();
            }
            layout.packages.push_back({value.substr(0, equals), value.substr(equals + 1)});
        } else if (arg.rfind("--", 0) != 0 && layout.folder.empty()) {
            layout.folder = arg;
        } else {
            return usage();
        }
    }
    if (layout.folder.empty() || layout.address.empty() || layout.date.empty()) {
        return usage();
    }
    if (auto made = glw::tools::layOutUpdateSite(layout); !made) {
        std::fprintf(stderr, "updatesite: %s\n", made.error().detail.c_str());
        return 1;
    }
    return 0;
}
