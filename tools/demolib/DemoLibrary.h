// The demo application folder: the folders of the application's layout, a few library categories of
// our own clips, the empty and title movies, the resource pictures, the font exclusion list and help.
#pragma once

#include "base/Result.h"

#include <filesystem>
#include <string>
#include <vector>

namespace glw::tools {

struct DemoLibraryReport {
    std::vector<std::string> written;   // files created or replaced (relative paths, '/' separated)
    std::vector<std::string> unchanged; // files that already held the right bytes
};

// Lays out the demo folder under appFolder (created when missing). Every file is written beside its
// target and renamed into place, and only when its bytes differ, so a second run changes nothing and
// a run cut short leaves no half file. Files of the user's own in these folders are left alone. Io
// when a folder or file cannot be made (a file standing where a folder belongs, no permission).
Result<DemoLibraryReport> makeDemoLibrary(const std::filesystem::path& appFolder);

// The folders of the application's layout, relative to the application folder.
std::vector<std::string> applicationFolders();

} // namespace glw::tools
