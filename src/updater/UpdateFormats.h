// The updater's files and the update site's replies: dlinfo.dat, the release date of updated.dat and of
// an UpdateReply, the ImportsReply's list of packages, and what counts as a package that was not found.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace glw::updater {

// The fields of dlinfo.dat, each stripped of carriage returns, line feeds, tabs and blanks at both ends
// (a setup writes the file with a closing line break, which would otherwise end up in the query).
struct DlInfo {
    std::string UpdateTitle;
    std::string UpdateArchivePath;
    std::string ComponentPath;
    std::string ProgramId;
};
DlInfo readDlInfo(const std::string& text);

// A date text of the form day/month/year (further "/" fields allowed, line breaks ignored) as day, month
// name and year ("5/12/2004" gives "5 December 2004"). A month number outside 1 to 12 gives no month name.
// Never fails: a text with fewer than three fields, or whose month is not a whole number, gives "Unknown".
std::string DispDate(const std::string& WhatDate);

// The update page's reply is accepted when it holds "GLW UPDATE" (exact case), holds no "404" anywhere,
// and is not empty after trimming blanks.
bool acceptUpdateReply(const std::string& reply);
// Field 3 of the reply split at "/", with every "|" written back as "/".
std::string downloadAddress(const std::string& reply);

// One package the imports page offers.
struct OfferedPackage {
    std::string path;  // its path on the update site, as the reply gives it (between "[" and "]")
    std::string title; // between "(" and ")"
    std::string name;  // the file name it is saved under in Imports, trimmed
};
// The packages of an ImportsReply (carriage returns and line feeds already removed). Nothing is read
// unless the reply holds a "|". Pieces without a path, and names that could not be a file of Imports
// (see safePackageName), are left out.
std::vector<OfferedPackage> readImportsReply(const std::string& reply);

// False for "", "." and "..", and for names holding control characters, ":" , "/" or "\".
bool safePackageName(std::string_view name);

// Whether the bytes of a downloaded package mean "not found": empty or only blanks and line breaks, or,
// when they are not a zip archive, holding "404" (a server's error page). The bytes of a real archive
// may hold "404" anywhere in their compressed data, so an archive is never judged by them.
bool bodyMeansNotFound(std::string_view body, bool isZip);

} // namespace glw::updater
