// The export's HTML side: text checks, the OBJECT/EMBED tag and the page insertion.
#include "ExportTag.h"

#include "base/Ascii.h"
#include "base/FileIo.h"
#include "formats/PlayerPack.h"
#include "platform/WinPath.h"
#include "vb/VbError.h"
#include "vb/VbFile.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <optional>

namespace glw::main {

namespace {

Error invalid(std::string_view what, std::string_view why) {
    return makeError(ErrorCode::Invalid, std::string(what) + " " + std::string(why));
}

bool hasControlCharacter(std::string_view text) {
    return std::any_of(text.begin(), text.end(), [](char c) { return (unsigned char)c < 32 || c == 127; });
}

std::string quoted(std::string_view text) {
    return "\"" + std::string(text) + "\"";
}

} // namespace

Result<void> checkUserFileName(std::string_view name, std::string_view what) {
    if (name.empty()) {
        return invalid(what, "is empty.");
    }
    if (name == "." || name == "..") {
        return invalid(what, quoted(name) + " is not a file name.");
    }
    if (name.find_first_of("\\/:") != std::string_view::npos) {
        return invalid(what, quoted(name) + " may not hold \"\\\", \"/\" or \":\".");
    }
    if (hasControlCharacter(name)) {
        return invalid(what, quoted(name) + " may not hold control characters.");
    }
    for (auto generated : kGeneratedExportNames) {
        if (base::iequals(name, generated)) {
            return invalid(what, quoted(name) + " is a name the export uses itself.");
        }
    }
    return {};
}

Result<void> checkDataFolder(std::string_view folder) {
    if (folder.empty()) {
        return {};
    }
    if (folder.find_first_of("\\:") != std::string_view::npos || hasControlCharacter(folder)) {
        return invalid("The data folder", quoted(folder) + " may not hold \"\\\", \":\" or control characters.");
    }
    std::string_view rest = folder;
    if (rest.back() == '/') {
        rest.remove_suffix(1);
    }
    while (true) {
        const auto slash = rest.find('/');
        const std::string_view part = rest.substr(0, slash);
        if (part.empty() || part == "." || part == "..") {
            return invalid("The data folder", quoted(folder) + " must stay under the page's folder.");
        }
        if (slash == std::string_view::npos) {
            break;
        }
        rest.remove_prefix(slash + 1);
    }
    return checkExportFilesName(folder, "The data folder");
}

Result<void> checkFlashVariable(std::string_view name, std::string_view value) {
    if (name.find_first_of("&=") != std::string_view::npos) {
        return invalid("The variable name", quoted(name) + " may not hold \"&\" or \"=\".");
    }
    if (value.find('&') != std::string_view::npos) {
        return invalid("The value of " + std::string(name), quoted(value) + " may not hold \"&\".");
    }
    return {};
}

std::string SAlignFor(int hAlignIndex, int vAlignIndex) {
    std::string value;
    if (hAlignIndex == 1) {
        value += "L";
    } else if (hAlignIndex == 2) {
        value += "R";
    }
    if (vAlignIndex == 1) {
        value += "T";
    } else if (vAlignIndex == 2) {
        value += "B";
    }
    return value;
}

std::string withClosingSlash(std::string dataFolder) {
    if (!dataFolder.empty() && dataFolder.back() != '/') {
        dataFolder += "/";
    }
    return dataFolder;
}

std::string flashVarsFor(const std::vector<std::pair<std::string, std::string>>& variables) {
    std::string vars;
    for (std::size_t i = 0; i < variables.size(); ++i) {
        if (i > 0) {
            vars += "&";
        }
        vars += variables[i].first + "=" + variables[i].second;
    }
    if (!vars.empty() && vars.front() != '&') {
        vars = "&" + vars;
    }
    return vars;
}

Result<ObjectTag> buildObjectTag(const ExportDescription& d, const TagProperties& p, const std::string& dataFolder) {
    std::string W = p.Width;
    std::string H = p.Height;
    if (p.HeightPercent) {
        H += "%";
    }
    if (p.WidthPercent) {
        W += "%";
    }
    // The tag's writer checks the values it takes; the data folder and the variables are checked here, where
    // they can still be named as the user typed them.
    if (auto ok = checkTagValue(dataFolder, "The data folder"); !ok) {
        return ok.error();
    }
    for (const auto& [name, value] : p.Variables) {
        if (auto ok = checkFlashVariable(name, value); !ok) {
            return ok.error();
        }
        if (auto ok = checkTagValue(name + "=" + value, "The variable " + name); !ok) {
            return ok.error();
        }
    }

    ObjectTag out;
    out.BgColor = d.BackColour;
    out.DataFolder = withClosingSlash(dataFolder);
    out.FlashVars = flashVarsFor(p.Variables);
    auto tag = formats::writeObjectTag({.id = d.Id,
                                        .width = W,
                                        .height = H,
                                        .movie = d.Movie,
                                        .flashVars = "DT=" + out.DataFolder + out.FlashVars,
                                        .bgColor = d.BackColour,
                                        .wMode = p.WMode,
                                        .scale = p.Scale,
                                        .sAlign = SAlignFor(p.HAlignIndex, p.VAlignIndex)});
    if (!tag) {
        return tag.error();
    }
    out.Tag = std::move(*tag);
    return out;
}

const std::array<const char*, 14> kClosingBodyTags = {
    "</BODY>", "</body>", "</Body>", "</bOdY>", "</bODY>", "</BODy>", "</BOdY>",
    "</BoDY>", "</bOdy>", "</boDy>", "</bodY>", "</bODy>", "</BOdy>", "</boDY>",
};

std::optional<std::size_t> findClosingBodyTag(std::string_view page) {
    for (const char* spelling : kClosingBodyTags) {
        if (const auto pos = page.find(spelling); pos != std::string_view::npos) {
            return pos;
        }
    }
    // Pages written by other tools may use any mixture of capitals, or blanks before ">".
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; };
    constexpr std::string_view open = "</body";
    for (std::size_t pos = 0; pos + open.size() <= page.size(); ++pos) {
        std::size_t i = 0;
        while (i < open.size() && lower(page[pos + i]) == open[i]) {
            ++i;
        }
        if (i < open.size()) {
            continue;
        }
        std::size_t end = pos + open.size();
        while (end < page.size() && (page[end] == ' ' || page[end] == '\t' || page[end] == '\r' || page[end] == '\n')) {
            ++end;
        }
        if (end < page.size() && page[end] == '>') {
            return pos;
        }
    }
    return std::nullopt;
}

std::optional<std::string> pageWithTag(std::string_view page, std::string_view tag) {
    const auto pos = findClosingBodyTag(page);
    if (!pos) {
        return std::nullopt;
    }
    std::string out;
    out.reserve(page.size() + tag.size() + 2);
    out.append(page.substr(0, *pos));
    out.append(tag);
    out.append(page.substr(*pos));
    out.append("\r\n");
    return out;
}

std::string newPageWithTag(std::string_view tag) {
    return "<html><head></head><body>" + std::string(tag) + "</body></html>\r\n";
}

Result<void> writeTagIntoPage(const std::string& pageFile, const std::string& tag, bool replace,
                              std::string_view playerScript) {
    std::string content;
    try {
        const bool exists = !replace && base::isPlainFile(platform::toHostPath(pageFile));
        if (exists) {
            const std::string page = vb::readAllBytes(pageFile);
            const std::string insert = (pageLoadsPlayer(page) ? std::string() : std::string(playerScript)) + tag;
            auto inserted = pageWithTag(page, insert);
            if (!inserted) {
                return makeError(ErrorCode::NotFound, kNoBodyTagMessage);
            }
            content = std::move(*inserted);
        } else {
            content = newPageWithTag(std::string(playerScript) + tag);
        }
        // Written beside the page and renamed over it only when complete.
        vb::writeAllBytes(pageFile, content);
    } catch (const vb::RuntimeError& e) {
        return makeError(ErrorCode::Io, "The page " + platform::toDisplayPath(pageFile) + " could not be written.  " +
                                            e.Description());
    }
    return {};
}

std::string playerScriptFor(std::string_view dataFolder) {
    std::string address;
    for (const char c : formats::joinUrlPath(dataFolder, std::string(kPagePlayerFolder) + "/ruffle.js")) {
        const auto u = static_cast<unsigned char>(c);
        if (std::isalnum(u) || std::string_view("-._~/").find(c) != std::string_view::npos) {
            address += c;
        } else {
            static constexpr char kHex[] = "0123456789ABCDEF";
            address += '%';
            address += kHex[u >> 4];
            address += kHex[u & 15];
        }
    }
    return "<script src=\"" + address + "\"></script>";
}

bool pageLoadsPlayer(std::string_view page) {
    std::string lower(page);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    for (std::size_t at = lower.find("<script"); at != std::string::npos; at = lower.find("<script", at + 1)) {
        const std::size_t end = lower.find('>', at);
        const std::string_view element = std::string_view(lower).substr(at, end == std::string::npos ? end : end - at);
        const std::size_t src = element.find("src");
        if (src == std::string_view::npos) {
            continue;
        }
        std::string_view value = element.substr(src + 3);
        const std::size_t name = value.find("ruffle.js");
        if (name == std::string_view::npos) {
            continue;
        }
        // The file named is ruffle.js itself, not a name that merely ends so.
        const char before = name == 0 ? '/' : value[name - 1];
        const char after = name + 9 < value.size() ? value[name + 9] : ' ';
        if (std::string_view("/\"'= ").find(before) != std::string_view::npos &&
            std::string_view("\"' ?#").find(after) != std::string_view::npos) {
            return true;
        }
    }
    return false;
}

Result<void> copyPlayerInto(const std::string& appPath, const std::string& dataFolder) {
    const std::string from = platform::toHostPath(appPath + "\\" + std::string(kPagePlayerFolder));
    const std::string to =
        platform::toHostPath((dataFolder.empty() || dataFolder.back() == '\\' ? dataFolder : dataFolder + "\\") +
                             std::string(kPagePlayerFolder));
    const auto missing = [&](const std::string& why) {
        return makeError(ErrorCode::NotFound,
                         "The Flash player that the page needs to show its movie in a browser is missing from " +
                             platform::toDisplayPath(appPath + "\\" + std::string(kPagePlayerFolder)) + ".  " + why);
    };
    if (from.empty() || to.empty()) {
        return missing("Its folder cannot be named on this system.");
    }
    const std::string manifestName(formats::kPlayerManifestName);
    auto manifestText = base::readWholeFile(from + "/" + manifestName);
    if (manifestText) {
        if (auto there = base::readWholeFile(to + "/" + manifestName); there && *there == *manifestText) {
            return {};
        }
    }
    std::error_code ec;
    std::filesystem::create_directories(to, ec);
    if (ec) {
        return makeError(ErrorCode::Io, "The folder " + to + " could not be created.  " + ec.message());
    }
    // Each file is checked and copied in one read; the manifest goes last, so a folder that holds it is whole.
    std::optional<Error> copyFailed;
    auto checked = formats::checkPlayerFolder(from, [&](const formats::PlayerFileEntry& file, std::string_view bytes) {
        auto written = base::replaceFileWith(to + "/" + file.name, bytes);
        if (!written) {
            copyFailed = makeError(ErrorCode::Io,
                                   "An error occured copying the file " + file.name + ".  " + written.error().detail);
            return Result<void>(*copyFailed);
        }
        return Result<void>();
    });
    if (copyFailed) {
        return *copyFailed;
    }
    if (!checked) {
        return missing(checked.error().detail);
    }
    if (auto written = base::replaceFileWith(to + "/" + manifestName, formats::writePlayerManifest(*checked));
        !written) {
        return makeError(ErrorCode::Io,
                         "An error occured copying the file " + manifestName + ".  " + written.error().detail);
    }
    return {};
}

} // namespace glw::main
