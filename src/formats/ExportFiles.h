// The files an export hands on: each a target sub-folder under the page's folder and the source path of
// the file to copy there. The export dialog carries them as a list; the encoded text travels only in the
// add-in reply, where the add-ins copy the files beside the page.
#pragma once

#include "base/Result.h"

#include <string>
#include <string_view>
#include <vector>

namespace glw::formats {

struct ExportFile {
    std::string folder{}; // relative to the page's folder, "" for the page's own folder
    std::string source{}; // the file to copy, a system path
    bool operator==(const ExportFile&) const = default;
};

using ExportFileList = std::vector<ExportFile>;

// The text: each entry the folder, "," and the source, the entries joined by "|"; "" for no entry.
// Invalid, in words for the user, when a folder holds "," or "|" or a source holds "|": either would split
// the list elsewhere for its reader (a source may hold ",", as only the first comma of an entry counts).
Result<std::string> writeExportFiles(const ExportFileList& files);
// The entries of the text, split at every "|" and each at its first ","; none for "". Malformed, naming
// the entry, when an entry has no ",". Never throws.
Result<ExportFileList> readExportFiles(std::string_view text);

// A file or folder name that goes into the list: no "," or "|", the list's separators. `what` names the
// value in the message.
Result<void> checkExportFilesName(std::string_view name, std::string_view what);

} // namespace glw::formats
