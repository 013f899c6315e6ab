// The update-site layout.
#include "UpdateSite.h"

#include "main/ImportNew.h"
#include "zip/ZipArchive.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace glw::tools {

namespace fs = std::filesystem;

namespace {

Result<void> writeText(const fs::path& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    if (!out.flush()) {
        return makeError(ErrorCode::Io, "cannot write " + path.string());
    }
    return Result<void>();
}

// A zip archive at `target` from a folder (packed) or a file (copied).
Result<void> placeArchive(const std::string& source, const fs::path& target, const std::string& password) {
    std::error_code ec;
    if (fs::is_directory(source, ec)) {
        auto packed = zip::createZip(target.string(), source, {"*.*", password, {}});
        if (!packed) {
            return packed.error();
        }
        return Result<void>();
    }
    fs::copy_file(source, target, fs::copy_options::overwrite_existing, ec);
    if (ec) {
        return makeError(ErrorCode::Io, "cannot copy " + source + ": " + ec.message());
    }
    return Result<void>();
}

// The updater takes a reply that holds "404" anywhere for a missing page.
const std::string kHolds404 = "the updater would read this reply as a missing page, since it holds \"404\": ";

std::string barred(std::string address) {
    for (char& c : address) {
        if (c == '/') {
            c = '|';
        }
    }
    return address;
}

} // namespace

Result<void> layOutUpdateSite(const SiteLayout& layout) {
    if (std::count(layout.date.begin(), layout.date.end(), '/') != 2) {
        return makeError(ErrorCode::Invalid, "the date must be day/month/year: " + layout.date);
    }
    std::string address = layout.address;
    while (!address.empty() && address.back() == '/') {
        address.pop_back();
    }
    const std::string update =
        layout.date + "/" + barred(address + "/release/" + layout.releaseName) + "/GLW UPDATE\r\n";
    if (update.find("404") != std::string::npos) {
        return makeError(ErrorCode::Invalid, kHolds404 + update.substr(0, update.size() - 2));
    }

    std::error_code ec;
    const fs::path root(layout.folder);
    fs::create_directories(root / "release", ec);
    fs::create_directories(root / "imports", ec);
    if (ec) {
        return makeError(ErrorCode::Io, "cannot create " + layout.folder + ": " + ec.message());
    }
    if (!layout.release.empty()) {
        if (auto placed = placeArchive(layout.release, root / "release" / layout.releaseName, ""); !placed) {
            return placed;
        }
    }
    if (auto written = writeText(root / "glwupd.asp", update); !written) {
        return written;
    }

    std::string imports;
    for (const SitePackage& package : layout.packages) {
        if (package.title.find_first_of("|()") != std::string::npos) {
            return makeError(ErrorCode::Invalid, "a title may not hold \"|\", \"(\" or \")\": " + package.title);
        }
        std::string name = fs::path(package.source).filename().string();
        if (name.empty()) {
            name = fs::path(package.source).parent_path().filename().string();
        }
        if (fs::is_directory(package.source, ec) && fs::path(name).extension() != ".gwi") {
            name += ".gwi";
        }
        if (auto placed = placeArchive(package.source, root / "imports" / name, main::kImportPassword); !placed) {
            return placed;
        }
        imports += "[imports/" + name + "](" + package.title + ")|";
    }
    if (imports.find("404") != std::string::npos) {
        return makeError(ErrorCode::Invalid, kHolds404 + imports);
    }
    return writeText(root / "glwimps.asp", imports + "\r\n");
}

} // namespace glw::tools
