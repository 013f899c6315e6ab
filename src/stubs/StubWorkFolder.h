// A stub's work folder: a private run folder inside TempSWF, the extraction loop, and the clean-up at exit.
#pragma once

#include "base/Result.h"

#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace glw::stubs {

// DelFileList: the names a stub extracted (and, in the player, its extra files), deleted from the work
// folder at exit. Only bare file names are ever taken (see isBareEntryName); others are refused by add().
class DelFileList {
public:
    // Adds a name; false (and nothing added) for a name that is not a bare file name.
    bool add(std::string_view name);
    const std::vector<std::string>& names() const { return m_names; }
    // The names joined by "|", in the order added; empty when there are none.
    std::string text() const;

private:
    std::vector<std::string> m_names;
};

// What the extraction loop did.
struct JpkExtraction {
    std::vector<std::string> listed;                   // every name JpkList delivered, in package order
    std::vector<std::string> extracted;                // the names written into the work folder, in order
    std::vector<std::string> skipped;                  // names that are not bare file names: refused, never written
    std::vector<std::pair<std::string, Error>> failed; // bare names whose extraction failed, with the reason
    Error listingError;                                // code None when the whole package was walked
};

// The progress bar of the stubs: a percentage from 0 to 100. The UI repaints inside it.
using SetBarCallback = std::function<void(double precent)>;

// A stub's work folder for one run. TempFolder() is a folder of this run alone inside
// <user temp>/TempSWF, so that two stubs running at once never touch each other's files.
class StubWorkFolder {
public:
    // Sets up the work folder under `userTempFolder` (a host path: the user's own temporary folder).
    // TempSWF is created when missing (mode 0700) and must be a real folder owned by this user that
    // nobody else may write into; otherwise Unsafe, and nothing is created inside it. The run folder is a
    // new folder of this process inside it. Io when a folder cannot be made.
    static Result<StubWorkFolder> setUp(const std::string& userTempFolder);

    // The work folder, ending in "/".
    const std::string& TempFolder() const { return m_runFolder; }
    // The shared parent, ending in "/"; it is never removed.
    const std::string& tempSwfFolder() const { return m_tempSwf; }
    // The package copy inside the work folder.
    std::string dataFile() const;

    // The extraction loop: `setBar` 40, JpkList of the package copy (each name also given to `ListItem`
    // when set), `setBar` 50, then every entry with a bare file name is extracted into the work folder
    // under that name and added to `delFileList`; names that are not bare are skipped (neither written nor
    // added). After entry i of n, `setBar` receives 50 + 20 / n * (i + 1). A malformed package ends the
    // listing; the entries before the fault are still extracted.
    JpkExtraction extractAll(DelFileList& delFileList, const SetBarCallback& setBar = {},
                             const std::function<void(const std::string& name)>& ListItem = {}) const;

    // The clean-up at exit: deletes each name of `delFileList`, the package copy and "startup.ini" from
    // the work folder, then the work folder itself when nothing else is left in it. Failures are ignored
    // (a file already gone is no error); only names inside the work folder are ever deleted.
    void cleanUp(const DelFileList& delFileList) const;

private:
    StubWorkFolder(std::string tempSwf, std::string runFolder)
        : m_tempSwf(std::move(tempSwf)), m_runFolder(std::move(runFolder)) {}

    std::string m_tempSwf;
    std::string m_runFolder;
};

} // namespace glw::stubs
