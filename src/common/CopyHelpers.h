// The file copy and the file-name part of a path that every program of the system carries.
#pragma once

#include <string>

namespace glw::common {

// Copies the file named Trim(source) to Trim(dest) (system paths), replacing dest. Nothing is reported to the
// user; the result says whether the copy was made (the old target stays as it was when it fails), and
// `failure` gets the reason (the run-time error's description). A copy of a file onto itself leaves it
// untouched and counts as made.
bool APICopy(const std::string& source, const std::string& dest, std::string& failure);
bool APICopy(const std::string& source, const std::string& dest);

// The text after the last "\" of path; the whole text when it holds none ("/" does not separate); "" for a
// path that ends in "\" or is empty.
std::string FileNameFromPath(const std::string& path);

} // namespace glw::common
