// The add-in request and reply: each written and read over the same fixed pieces.
#include "formats/ClipText.h"

namespace glw::formats {

namespace {

// The text between the first `open` and the next `close` after it; "" when either is missing.
std::string between(std::string_view text, std::string_view open, std::string_view close) {
    const std::size_t at = text.find(open);
    if (at == std::string_view::npos) {
        return {};
    }
    const std::size_t start = at + open.size();
    const std::size_t end = text.find(close, start);
    if (end == std::string_view::npos) {
        return {};
    }
    return std::string(text.substr(start, end - start));
}

std::vector<std::string> splitAtBars(std::string_view text) {
    std::vector<std::string> parts;
    if (text.empty()) {
        return parts;
    }
    std::size_t start = 0;
    for (;;) {
        const std::size_t bar = text.find('|', start);
        parts.emplace_back(text.substr(start, bar == std::string_view::npos ? std::string_view::npos : bar - start));
        if (bar == std::string_view::npos) {
            return parts;
        }
        start = bar + 1;
    }
}

bool safeTargetFolder(std::string_view folder) {
    if (folder.empty()) {
        return true;
    }
    if (folder.front() == '/' || folder.front() == '\\' || folder.find(':') != std::string_view::npos) {
        return false; // a root, a drive, or a UNC path
    }
    for (unsigned char c : folder) {
        if (c < 0x20) {
            return false;
        }
    }
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = folder.find_first_of("/\\", start);
        if (folder.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start) == "..") {
            return false;
        }
        if (end == std::string_view::npos) {
            return true;
        }
        start = end + 1;
    }
}

} // namespace

Result<std::string> writeClipRequest(const ClipRequest& request) {
    std::string files;
    bool first = true;
    for (const auto& name : request.pageFiles) {
        if (name.empty() || name.find('|') != std::string::npos) {
            return makeError(ErrorCode::Invalid, "The page's file name \"" + name + "\" cannot be sent.");
        }
        files += (first ? "" : "|") + name;
        first = false;
    }
    std::string text = "(" + std::string(kClipRequestCommand) + ")[" + request.pageFolder + "](!" + request.pageSaved +
                       "!){" + request.dataFolder + "}(@" + files + "@)";
    // The fields are not escaped: the request is sent only when the main program reads it back as it is.
    if (readClipRequest(text) != request) {
        return makeError(ErrorCode::Invalid, "The request for the page folder \"" + request.pageFolder +
                                                 "\" holds a piece of the request's frame.");
    }
    return text;
}

std::optional<ClipRequest> readClipRequest(std::string_view text) {
    if (between(text, "(", ")") != kClipRequestCommand) {
        return std::nullopt;
    }
    ClipRequest request;
    request.pageFolder = between(text, "[", "]");
    request.pageSaved = between(text, "(!", "!)");
    request.dataFolder = between(text, "{", "}");
    request.pageFiles = splitAtBars(between(text, "(@", "@)"));
    return request;
}

bool looksLikeClipReply(std::string_view text) {
    return text.find(kReplyReturnCode) != std::string_view::npos && text.find("Exit") != std::string_view::npos;
}

Result<std::string> writeClipReply(const ClipReply& reply) {
    if (reply.returnCode.find(')') != std::string::npos) {
        return makeError(ErrorCode::Invalid, "The return code \"" + reply.returnCode + "\" may not hold \")\".");
    }
    if (reply.tag.find(kReplyCodeEnd) != std::string::npos) {
        return makeError(ErrorCode::Invalid, "The clip's tag may not hold \"" + std::string(kReplyCodeEnd) + "\".");
    }
    auto files = writeExportFiles(reply.files);
    if (!files) {
        return files.error();
    }
    return "(" + reply.returnCode + ")[Exit]<GLWCODE>" + reply.tag + kReplyCodeEnd + *files + kReplyEnd;
}

Result<ClipReply> readClipReply(std::string_view text) {
    const std::string_view prefix = kReplyPrefix;
    const std::string_view codeEnd = kReplyCodeEnd;
    const std::string_view end = kReplyEnd;
    if (text.substr(0, prefix.size()) != prefix) {
        return makeError(ErrorCode::Malformed, "the reply does not begin as the hand-back writes it");
    }
    const std::size_t tagEnd = text.find(codeEnd, prefix.size());
    if (tagEnd == std::string_view::npos) {
        return makeError(ErrorCode::Malformed, "the reply has no end of its tag");
    }
    const std::size_t listStart = tagEnd + codeEnd.size();
    const std::size_t listEnd = text.find(end, listStart);
    if (listEnd == std::string_view::npos || listEnd + end.size() != text.size()) {
        return makeError(ErrorCode::Malformed, "the reply does not end after its file list");
    }
    ClipReply reply;
    reply.tag = std::string(text.substr(prefix.size(), tagEnd - prefix.size()));
    auto files = readExportFiles(text.substr(listStart, listEnd - listStart));
    if (!files) {
        Error error = files.error();
        error.offset += listStart;
        return error;
    }
    for (const auto& file : *files) {
        if (!safeTargetFolder(file.folder)) {
            return makeError(ErrorCode::Unsafe, "a target folder outside the page's folder: " + file.folder);
        }
    }
    reply.files = std::move(*files);
    return reply;
}

} // namespace glw::formats
