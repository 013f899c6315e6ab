// The clipboard texts between the add-ins and the main program: the request an add-in leaves when it starts
// the main program, and the reply the main program leaves when it hands a clip back. Each is one line with
// fixed pieces around its fields and no escaping, so each writer refuses a field that would read back as
// something else.
#pragma once

#include "base/Result.h"
#include "formats/ExportFiles.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace glw::formats {

// ---- The request: "(WBLFPCommand)[folder](!saved!){data folder}(@files@)" ------------------------------

inline constexpr std::string_view kClipRequestCommand = "WBLFPCommand";
// The page folder the presentation add-in sends in place of a page's.
inline constexpr std::string_view kPresentationPageFolder = "RunningGLWPowerPoint";
// The presentation add-in's request, always the same: its page folder and nothing else.
inline constexpr const char* kPresentationRequest = "(WBLFPCommand)[RunningGLWPowerPoint](!!){}(@@)";

struct ClipRequest {
    std::string pageFolder{};             // the page's folder, or kPresentationPageFolder
    std::string pageSaved{};              // "1" for a page with a folder, "0" without; "" from the presentation add-in
    std::string dataFolder{};             // the clip's data folder under the page's
    std::vector<std::string> pageFiles{}; // the page's neighbouring file names
    bool operator==(const ClipRequest&) const = default;
};

// The request's text. Invalid when a field holds a piece of the frame that would end it early or start a
// later field for the reader, or when a page file is empty or holds "|" (the names are joined by "|"):
// whatever is written reads back as the same request.
Result<std::string> writeClipRequest(const ClipRequest& request);
// The request in a clipboard text, or nullopt when the text is none: its first "(" ... ")" must hold
// exactly "WBLFPCommand". Each field is the text between the first occurrence of its opening piece and the
// next occurrence of its closing one ("[" "]", "(!" "!)", "{" "}", "(@" "@)"), "" when either is missing;
// the page files are split at "|" (none for ""). Never throws.
std::optional<ClipRequest> readClipRequest(std::string_view text);

// ---- The reply: "(GLWFPRetClip)[Exit]<GLWCODE>tag</GLWCODE><GLWFILES>files</GLWFILES>" -----------------

// The return code that heads every reply.
inline constexpr std::string_view kReplyReturnCode = "GLWFPRetClip";
// The exact opening of a reply, and the pieces after the tag and after the file list.
inline constexpr const char* kReplyPrefix = "(GLWFPRetClip)[Exit]<GLWCODE>";
inline constexpr const char* kReplyCodeEnd = "</GLWCODE><GLWFILES>";
inline constexpr const char* kReplyEnd = "</GLWFILES>";

struct ClipReply {
    std::string returnCode{kReplyReturnCode};
    std::string tag{};      // the clip's HTML tag
    ExportFileList files{}; // the files to copy beside the page
    bool operator==(const ClipReply&) const = default;
};

// The add-ins' first test of the clipboard: both words, exact case, anywhere.
bool looksLikeClipReply(std::string_view text);

// The reply's text. Invalid when the return code holds ")", the tag holds the piece that ends it, or the
// files do not write (see writeExportFiles).
Result<std::string> writeClipReply(const ClipReply& reply);
// Reads a reply strictly, as untrusted input. Refused (Malformed or Unsafe, with the reason) unless it is
// exactly kReplyPrefix, the tag, kReplyCodeEnd, the file list and kReplyEnd, and every entry's target folder
// is empty or relative: no "..", no root, no drive, no control character. The sources are read as they
// stand; where they may come from is the receiver's to check. Never throws.
Result<ClipReply> readClipReply(std::string_view text);

} // namespace glw::formats
