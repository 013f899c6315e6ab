// The update-site layout.
#include "UpdateSite.h"

#include "base/FileIo.h"
#include "formats/UpdateReplies.h"
#include "main/ImportNew.h"
#include "zip/ZipArchive.h"

#include <algorithm>
#include <filesystem>

namespace glw::tools {

namespace fs = std::filesystem;

namespace {

// A page is replaced whole, so a server serving the folder meanwhile never hands out half a reply.
Result<void> writeText(const fs::path& path, const std::string& text) {
    if (auto written = base::replaceFileWith(path.string(), text); !written) {
        return makeError(ErrorCode::Io, "cannot write " + path.string() + ": " + written.error().detail);
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

} // namespace

// The package's file name on the site: the source's own name, a packed folder's with ".gwi" added.
std::string packageName(const std::string& source) {
    std::string name = fs::path(source).filename().string();
    if (name.empty()) {
        name = fs::path(source).parent_path().filename().string();
    }
    std::error_code ec;
    if (fs::is_directory(source, ec) && fs::path(name).extension() != ".gwi") {
        name += ".gwi";
    }
    return name;
}

Result<void> layOutUpdateSite(const SiteLayout& layout) {
    const std::size_t firstSlash = layout.date.find('/');
    const std::size_t secondSlash = layout.date.find('/', firstSlash + 1);
    if (std::count(layout.date.begin(), layout.date.end(), '/') != 2) {
        return makeError(ErrorCode::Invalid, "the date must be day/month/year: " + layout.date);
    }
    std::string address = layout.address;
    while (!address.empty() && address.back() == '/') {
        address.pop_back();
    }
    formats::UpdateReply release;
    release.day = layout.date.substr(0, firstSlash);
    release.month = layout.date.substr(firstSlash + 1, secondSlash - firstSlash - 1);
    release.year = layout.date.substr(secondSlash + 1);
    release.archiveAddress = address + "/release/" + layout.releaseName;
    const auto update = formats::writeUpdateReply(release);
    if (!update) {
        return update.error();
    }
    formats::ImportsReply offered;
    for (const SitePackage& package : layout.packages) {
        offered.packages.push_back({"imports/" + packageName(package.source), package.title});
    }
    const auto imports = formats::writeImportsReply(offered);
    if (!imports) {
        return imports.error();
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
    if (auto written = writeText(root / "glwupd.asp", *update); !written) {
        return written;
    }
    for (const SitePackage& package : layout.packages) {
        const fs::path target = root / "imports" / packageName(package.source);
        if (auto placed = placeArchive(package.source, target, main::kImportPassword); !placed) {
            return placed;
        }
    }
    return writeText(root / "glwimps.asp", *imports);
}

} // namespace glw::tools
