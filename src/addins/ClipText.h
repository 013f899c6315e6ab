// The add-ins' side of the clipboard texts (formats/ClipText.h): what a page editor may send in its request,
// where the files of a reply may come from, and what the add-ins read from a page and from a reply's tag.
#pragma once

#include "base/Result.h"
#include "formats/ClipText.h"
#include "formats/ObjectTag.h"

#include <string>
#include <vector>

namespace glw::addins {

// ---- The request --------------------------------------------------------------------------------------

// The presentation add-in's request, always the same.
using formats::kPresentationRequest;
// The data folder used when a page gives none that can be sent.
inline constexpr const char* kDefaultDataFolder = "GLWDATA";

// True when a folder field holds a piece of the request's frame that would end it early for the reader.
bool holdsRequestMarker(const std::string& field);

// The page editor's request for the page in `pageFolder` (a host path ending in "/", or "" for a page that is
// not a local file), its neighbouring file names and the clip's data folder:
//  - names holding "|" or "@)" (which the reader would split or cut at) are left out, as are empty names;
//  - a data folder holding a marker is sent as "GLWDATA";
//  - a page folder holding a marker, or any field that would not read back (see formats::writeClipRequest),
//    cannot be sent: the result is Invalid, and the caller tells the user.
Result<std::string> buildPageRequest(const std::string& pageFolder, const std::vector<std::string>& pageFiles,
                                     const std::string& dataFolder);

// The folder of a page from its address: for a "file:" address (empty host or "localhost") the path,
// percent-decoded, up to and including its last "/"; "" for any other address, for an address that does not
// decode (a bad escape, a NUL) and for a new page ("unsaved...").
std::string pageFolderFromUrl(const std::string& url);

// The movie path written in an OBJECT tag, with ".swf" appended (".swf" alone when none is found).
std::string MoviePathFromObjectHtml(const std::string& html);

// The data folder of a clip of the system from its movie path: "" when the path holds no "/"; else the path
// without its last component and with its separators removed; "GLWDATA" when that leaves only dots.
std::string dataFolderFromMoviePath(const std::string& moviePath);

// ---- The reply ----------------------------------------------------------------------------------------

// The exact opening the main program's hand-back writes, and the pieces after the tag.
using formats::kReplyCodeEnd;
using formats::kReplyEnd;
using formats::kReplyPrefix;

// The add-ins' first test of the clipboard: both words, exact case, anywhere.
inline bool looksLikeReply(const std::string& text) {
    return formats::looksLikeClipReply(text);
}

struct ReplyFile {
    std::string targetFolder; // relative to the page, "/" separators, "" for the page's own folder
    std::string source;       // host path of a plain file inside the Working folder
    bool operator==(const ReplyFile&) const = default;
};

struct ClipReply {
    std::string tag; // the clip's HTML tag
    std::vector<ReplyFile> files;
};

// Reads a reply with formats::readClipReply, its target folders with "/" separators and its sources as host
// paths. It is refused (Unsafe or Malformed, with the reason) when that reader refuses it, or unless every
// source is a plain file (not a link) inside `workingFolder` (a host path), or a name inside it where nothing
// is: such a reply is read, and its copy reports the missing file.
Result<ClipReply> readClipReply(const std::string& text, const std::string& workingFolder);

// The movie size and variables of a reply's tag, read as the object tag's format reads them.
using formats::FlashPlacement;
using formats::kDefaultMovieHeight;
using formats::kDefaultMovieWidth;
using formats::readFlashPlacement;

} // namespace glw::addins
