// The updater's own files: dlinfo.dat, and the release date of updated.dat and of an update reply. The
// update site's replies themselves are read in formats/UpdateReplies.h.
#pragma once

#include <string>

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

} // namespace glw::updater
