// The stand-alone exports: the startup lists of the player and the screen saver, and the builders that
// pack the staged files into a package and join it to the player, screen-saver or installer stub.
#pragma once

#include "base/Result.h"
#include "formats/StartupList.h"

#include <string>
#include <string_view>
#include <vector>

namespace glw::main {

// ---- the builders ----

// Paths are system paths. `appFolder` holds the stubs and its Working folder the staged files; the package
// is built as Working\glwexe.dta and removed afterwards, whatever happens.
struct PackageExport {
    std::string appFolder;
    std::vector<std::string> entries; // bare names of files in Working, packed in this order
    std::string outputPath;
};

// Invalid when `outputPath` is one of the three stubs of `appFolder` (system paths): the join would read
// the file it writes, and every later export would use the damaged stub.
Result<void> checkNotAStub(const std::string& appFolder, const std::string& outputPath);

// Each builder checks first that its stub can be read and that the output is not one of the stubs, packs
// the entries (a missing source is an error, never an empty entry) and the startup list, and has the joiner
// write the output beside its final path and rename it over that path when complete. The startup list
// names the package's movie, glwmovie.swf, whatever `startup.movie` holds. On failure the
// output is left as it was, and the error's detail says why in words for the user.
Result<void> BuildExeExport(const PackageExport& package, const formats::StartupList& startup);
Result<void> BuildScrExport(const PackageExport& package, const formats::StartupList& startup);
// Packs the screen saver `scrPath` as the one entry `scrName` into the installer `outputPath`. An empty or
// missing screen saver is refused.
Result<void> BuildInstallerExport(const std::string& appFolder, const std::string& scrPath, const std::string& scrName,
                                  const std::string& outputPath);

} // namespace glw::main
