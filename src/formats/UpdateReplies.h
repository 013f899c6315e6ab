// The update site's replies to the updater: the version page's reply (the current release's date and the
// address of its archive), the imports page's list of packages, and a package file's body, which is either
// the package or a server's page saying it is not there.
#pragma once

#include "base/Result.h"

#include <string>
#include <string_view>
#include <vector>

namespace glw::formats {

// The marker a version reply holds somewhere, in exactly this case.
inline constexpr std::string_view kUpdateMarker = "GLW UPDATE";

// The version page's reply, one line of "/"-separated fields: day, month number, year, the archive's
// address with every "/" of it written as "|", then further fields that are not read, where the site puts
// the marker. Line breaks anywhere are dropped before the line is split.
struct UpdateReply {
    std::string day{};
    std::string month{};
    std::string year{};
    std::string archiveAddress{}; // as the updater fetches it, "/" and all
    std::vector<std::string> more{std::string(kUpdateMarker)};
    bool operator==(const UpdateReply&) const = default;
};

// The reply's fields. Refused (NotFound, as a missing page) unless it holds the marker and holds "404"
// nowhere: a server's error page says "404" somewhere, and nothing that says it is taken for a release.
// Fields the reply lacks stay empty.
Result<UpdateReply> readUpdateReply(std::string_view bytes);
// The reply's line, ended by CR LF. Invalid, with the reason in words, when it would not read back as it
// is: a field holding "/" or a line break, an address holding "|", no marker, or "404" anywhere.
Result<std::string> writeUpdateReply(const UpdateReply& reply);

// One package of the imports page's reply: "[" path "](" title ")", each entry closed by "|".
struct OfferedPackage {
    std::string path{};  // its path on the update site, such as "imports/animals.gwi"
    std::string title{}; // shown in the updater's list
    bool operator==(const OfferedPackage&) const = default;
};
struct ImportsReply {
    std::vector<OfferedPackage> packages{};
    bool operator==(const ImportsReply&) const = default;
};

// Takes what it can, never fails: line breaks are dropped, and nothing is read unless the reply holds a
// "|". Each "|"-separated piece gives the text between its first "[" and the next "]" as the path and
// between its first "(" and the next ")" as the title; a piece without a path, or whose path names no
// file that could be saved in Imports (see packageFileName), is left out.
ImportsReply readImportsReply(std::string_view bytes);
// The entries followed by CR LF. Invalid, with the reason in words, for a title holding "|", "(" or ")",
// a path holding "|", "[", "]", "(" or ")" or naming no safe file, a line break anywhere, or "404" anywhere
// (the updater would read the list as a missing page).
Result<std::string> writeImportsReply(const ImportsReply& reply);

// The text without its carriage returns and line feeds, as the updater reads its files and the replies.
std::string withoutLineBreaks(std::string_view text);

// The text's fields at every `separator`, empty ones included: how the updater splits its own files and
// the site's replies.
std::vector<std::string> splitFields(std::string_view text, char separator);

// The name a package is saved under in Imports: the path's last part after "/" or "\", without blanks at
// its ends.
std::string packageFileName(std::string_view path);
// False for "", "." and "..", and for names holding control characters, ":" , "/" or "\".
bool safePackageName(std::string_view name);

// Whether the body of a package file's reply means "not found": empty or only blanks and line breaks,
// or, when it is not a zip archive, holding "404" (a server's error page). The bytes of a real archive may
// hold "404" anywhere in their compressed data, so an archive is never judged by them.
bool bodyMeansNotFound(std::string_view body, bool isZip);

} // namespace glw::formats
