// The stand-alone exports: startup lists, packages and joins.
#include "ExportBuilders.h"

#include "ExportTag.h"
#include "base/Ascii.h"
#include "base/FileIo.h"
#include "jpk/JpkPackage.h"
#include "jpk/JpkWriter.h"
#include "platform/WinPath.h"
#include "vb/VbError.h"
#include "vb/VbFile.h"
#include "vb/VbText.h"

#include <filesystem>
#include <fstream>
#include <functional>

namespace glw::main {

namespace fs = std::filesystem;

namespace {

using Joiner = Result<void> (*)(const std::string&, const std::string&, const jpk::JpkPackageData&);

Error failure(ErrorCode code, std::string detail) {
    return makeError(code, std::move(detail));
}

// The stub must be readable and the output must not be one of the stubs (the join would read what it writes).
Result<void> checkStubAndOutput(const std::string& appFolderHost, std::string_view stubName,
                                const std::string& outputHost) {
    const std::string stub = appFolderHost + "/" + std::string(stubName);
    std::ifstream in(stub, std::ios::binary);
    if (!in || base::isFolder(stub)) {
        return failure(ErrorCode::NotFound, "The program " + std::string(stubName) + " is missing or cannot be read.");
    }
    return checkNotAStub(platform::toSystemPath(appFolderHost), platform::toSystemPath(outputHost));
}

// Packs `files` (entry name, host path) and the optional startup list into Working\glwexe.dta, then joins.
Result<void> packAndJoin(const std::string& appFolder, std::string_view stubName, Joiner join,
                         const std::vector<std::pair<std::string, std::string>>& files, const std::string* startup,
                         const std::string& outputPath) {
    const std::string appHost = platform::toHostPath(appFolder);
    const std::string outHost = platform::toHostPath(outputPath);
    if (appHost.empty() || outHost.empty()) {
        return failure(ErrorCode::NotFound,
                       "The folder of " + platform::toDisplayPath(outputPath) + " cannot be found.");
    }
    if (auto ok = checkStubAndOutput(appHost, stubName, outHost); !ok) {
        return ok;
    }
    const std::string working = platform::toHostPath(appFolder + "\\Working");
    const std::string package = working + "/glwexe.dta";
    std::error_code ec;
    fs::create_directories(working, ec);
    fs::remove(package, ec);
    // The package never outlives the export.
    struct RemovePackage {
        std::string path;
        ~RemovePackage() {
            std::error_code e;
            fs::remove(path, e);
        }
    } removePackage{package};

    for (const auto& [name, source] : files) {
        if (!base::isPlainFile(source)) {
            return failure(ErrorCode::NotFound, "The file " + name + " to pack is missing.");
        }
        if (auto added = jpk::JpkAdd(package, source, name); !added) {
            return failure(added.error().code, "The file " + name + " could not be packed.  " + added.error().detail);
        }
    }
    if (startup) {
        const std::string startupPath = working + "/" + std::string(jpk::kJpkStartupFileName);
        // A staging file, packed at once: it needs no flush to disk of its own.
        std::ofstream out(startupPath, std::ios::binary | std::ios::trunc);
        out.write(startup->data(), std::streamsize(startup->size()));
        out.close();
        if (!out) {
            return failure(ErrorCode::Io, "The startup list could not be written in " + working + ".");
        }
        if (auto added = jpk::JpkAdd(package, startupPath, std::string(jpk::kJpkStartupFileName)); !added) {
            return failure(added.error().code, "The startup list could not be packed.  " + added.error().detail);
        }
    }
    auto data = jpk::LoadData(package);
    if (!data) {
        return failure(data.error().code, "The package could not be read.  " + data.error().detail);
    }
    if (auto joined = join(appHost, outHost, *data); !joined) {
        return failure(joined.error().code, "The file " + platform::toDisplayPath(outputPath) +
                                                " could not be written.  " + joined.error().detail);
    }
    return {};
}

} // namespace

Result<void> checkNotAStub(const std::string& appFolder, const std::string& outputPath) {
    std::error_code ec;
    const auto out = fs::weakly_canonical(platform::toHostPath(outputPath), ec);
    for (auto name : {jpk::kPlayerStubName, jpk::kSaverStubName, jpk::kInstallerStubName}) {
        std::error_code ec2;
        if (!ec && out == fs::weakly_canonical(platform::toHostPath(appFolder) + "/" + std::string(name), ec2)) {
            return failure(ErrorCode::Invalid, "The output may not be the program " + std::string(name) + " itself.");
        }
    }
    return {};
}

namespace {

std::vector<std::pair<std::string, std::string>> stagedFiles(const PackageExport& p) {
    std::vector<std::pair<std::string, std::string>> files;
    for (const auto& name : p.entries) {
        files.emplace_back(name, platform::toHostPath(p.appFolder + "\\Working\\" + name));
    }
    return files;
}

formats::StartupList withPackageMovie(formats::StartupList list) {
    list.movie = "glwmovie.swf";
    return list;
}

Result<void> checkEntries(const PackageExport& p, bool allowGeneratedMovie) {
    for (const auto& name : p.entries) {
        if (allowGeneratedMovie && base::iequals(name, "glwmovie.swf")) {
            continue;
        }
        if (auto ok = checkUserFileName(name, "The file to include"); !ok) {
            return ok;
        }
    }
    return {};
}

} // namespace

Result<void> BuildExeExport(const PackageExport& package, const formats::StartupList& startup) {
    if (auto ok = checkEntries(package, true); !ok) {
        return ok;
    }
    auto text = writeStartupList(formats::StartupKind::Player, withPackageMovie(startup));
    if (!text) {
        return text.error();
    }
    return packAndJoin(package.appFolder, jpk::kPlayerStubName, &jpk::NewExe, stagedFiles(package), &*text,
                       package.outputPath);
}

Result<void> BuildScrExport(const PackageExport& package, const formats::StartupList& startup) {
    if (auto ok = checkEntries(package, true); !ok) {
        return ok;
    }
    auto text = writeStartupList(formats::StartupKind::Saver, withPackageMovie(startup));
    if (!text) {
        return text.error();
    }
    return packAndJoin(package.appFolder, jpk::kSaverStubName, &jpk::NewSCR, stagedFiles(package), &*text,
                       package.outputPath);
}

Result<void> BuildInstallerExport(const std::string& appFolder, const std::string& scrPath, const std::string& scrName,
                                  const std::string& outputPath) {
    if (auto ok = checkUserFileName(scrName, "The screen saver's name"); !ok) {
        return ok;
    }
    const std::string scrHost = platform::toHostPath(scrPath);
    std::error_code ec;
    if (scrHost.empty() || !base::isPlainFile(scrHost) || fs::file_size(scrHost, ec) == 0 || ec) {
        return failure(ErrorCode::NotFound, "The screen saver " + scrName + " is missing or empty.");
    }
    return packAndJoin(appFolder, jpk::kInstallerStubName, &jpk::NewQuillseter, {{scrName, scrHost}}, nullptr,
                       outputPath);
}

} // namespace glw::main
