// The request writer and the reply reader.
#include "ClipText.h"

#include "base/Ascii.h"
#include "common/ModText.h"
#include "platform/WinPath.h"
#include "vb/VbText.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <sys/stat.h>

namespace glw::addins {

namespace {

bool contains(const std::string& text, const char* piece) {
    return text.find(piece) != std::string::npos;
}

bool startsWithNoCase(const std::string& text, std::string_view prefix) {
    return text.size() >= prefix.size() && base::iequals(std::string_view(text).substr(0, prefix.size()), prefix);
}

// False for a bad escape or a decoded NUL (which no file name holds).
bool percentDecode(const std::string& text, std::string& decoded) {
    decoded.clear();
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '%') {
            if (i + 2 >= text.size()) {
                return false;
            }
            unsigned value = 0;
            const char* digits = text.data() + i + 1;
            const auto [end, ec] = std::from_chars(digits, digits + 2, value, 16);
            if (ec != std::errc() || end != digits + 2) {
                return false;
            }
            c = char(value);
            i += 2;
        }
        if (c == '\0') {
            return false;
        }
        decoded += c;
    }
    return true;
}

Error refuse(ErrorCode code, std::string why) {
    return makeError(code, std::move(why));
}

// A reply's source is a plain file (not a link) inside the folder, or a name inside it where nothing is
// (the Working folder was emptied, or the file never came): the copy then fails and names it to the user.
bool insideFolder(const std::string& hostPath, const std::string& folder) {
    if (hostPath.empty()) {
        return false;
    }
    struct stat st {};
    const bool missing = ::lstat(hostPath.c_str(), &st) != 0 && (errno == ENOENT || errno == ENOTDIR);
    if (!missing && !S_ISREG(st.st_mode)) {
        return false; // a folder, a link, a device, or a path that cannot be looked at
    }
    std::error_code ec;
    const auto file =
        missing ? std::filesystem::weakly_canonical(hostPath, ec) : std::filesystem::canonical(hostPath, ec);
    if (ec) {
        return false;
    }
    const auto base = std::filesystem::weakly_canonical(folder, ec);
    if (ec) {
        return false;
    }
    const std::string prefix = base.string() + "/";
    return file.string().compare(0, prefix.size(), prefix) == 0;
}

} // namespace

bool holdsRequestMarker(const std::string& field) {
    for (const char* marker : {"]", "{", "}", "(@", "@)"}) {
        if (contains(field, marker)) {
            return true;
        }
    }
    return false;
}

Result<std::string> buildPageRequest(const std::string& pageFolder, const std::vector<std::string>& pageFiles,
                                     const std::string& dataFolder) {
    if (holdsRequestMarker(pageFolder)) {
        return refuse(ErrorCode::Invalid, "the page folder holds a piece of the request's frame");
    }
    formats::ClipRequest request{.pageFolder = pageFolder, .pageSaved = pageFolder.empty() ? "0" : "1"};
    for (const auto& name : pageFiles) {
        if (!name.empty() && !contains(name, "|") && !contains(name, "@)")) {
            request.pageFiles.push_back(name);
        }
    }
    request.dataFolder = holdsRequestMarker(dataFolder) ? std::string(kDefaultDataFolder) : dataFolder;
    auto text = formats::writeClipRequest(request);
    if (!text) {
        return refuse(ErrorCode::Invalid, "the page folder holds a piece of the request's frame");
    }
    return text;
}

std::string pageFolderFromUrl(const std::string& url) {
    if (url.compare(0, 7, "unsaved") == 0 || !startsWithNoCase(url, "file:")) {
        return {};
    }
    std::string rest = url.substr(5);
    if (rest.compare(0, 2, "//") == 0) {
        const size_t pathStart = rest.find('/', 2);
        if (pathStart == std::string::npos) {
            return {};
        }
        const std::string host = rest.substr(2, pathStart - 2);
        if (!host.empty() && !base::iequals(host, "localhost")) {
            return {}; // a file on another machine
        }
        rest = rest.substr(pathStart);
    }
    rest = rest.substr(0, rest.find_first_of("?#"));
    std::string path;
    if (!percentDecode(rest, path) || path.empty() || path.front() != '/') {
        return {};
    }
    return path.substr(0, path.rfind('/') + 1);
}

std::string MoviePathFromObjectHtml(const std::string& html) {
    const std::string upper = vb::UCase(html);
    std::string path = common::GetBetween(html, "movie VALUE=\"", ".swf");
    if (path.empty()) {
        path = common::GetBetween(html, "MOVIE VALUE=\"", ".swf");
    }
    if (path.empty()) {
        path = common::GetBetween(upper, "MOVIE VALUE=\"", ".SWF");
    }
    if (path.empty()) {
        path = common::GetBetween(upper, "MOVIE VALUE='", ".SWF");
    }
    if (path.empty()) {
        path = common::GetBetween(upper, "MOVIE VALUE=", ".SWF");
    }
    return path + ".swf";
}

std::string dataFolderFromMoviePath(const std::string& moviePath) {
    if (!contains(moviePath, "/")) {
        return {};
    }
    std::string path = moviePath;
    for (char& c : path) {
        if (c == '/') {
            c = '\\';
        }
    }
    path.erase(path.rfind('\\')); // only the last component, the movie's file name, goes
    std::string folder;
    for (char c : path) {
        if (c != '\\') {
            folder += c;
        }
    }
    if (!folder.empty() && folder.find_first_not_of('.') == std::string::npos) {
        return kDefaultDataFolder;
    }
    return folder;
}

Result<ClipReply> readClipReply(const std::string& text, const std::string& workingFolder) {
    auto read = formats::readClipReply(text);
    if (!read) {
        return read.error();
    }
    ClipReply reply;
    reply.tag = std::move(read->tag);
    for (auto& entry : read->files) {
        ReplyFile file;
        file.targetFolder = std::move(entry.folder);
        for (char& c : file.targetFolder) {
            if (c == '\\') {
                c = '/';
            }
        }
        file.source = platform::toHostPath(entry.source);
        if (!insideFolder(file.source, workingFolder)) {
            return refuse(ErrorCode::Unsafe, "a source that is not a file of the Working folder: " + entry.source);
        }
        reply.files.push_back(std::move(file));
    }
    return reply;
}

} // namespace glw::addins
