// glwaddinreg: writes each add-in library given on the command line into the current user's registration
// file (ProgID, library path, display name), so that a host finds it.
#include "addins/Registration.h"
#include "platform/ServicesReal.h"

#include <cstdio>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: glwaddinreg library.so...\n");
        return 2;
    }
    glw::platform::IniSettingsStore store(glw::platform::IniSettingsStore::defaultFolder(),
                                          [](const std::string& line) { std::fprintf(stderr, "%s\n", line.c_str()); });
    int failures = 0;
    for (int i = 1; i < argc; ++i) {
        auto entry = glw::addins::describeAddinLibrary(argv[i]);
        if (!entry) {
            std::fprintf(stderr, "glwaddinreg: %s\n", entry.error().detail.c_str());
            ++failures;
            continue;
        }
        glw::addins::registerAddin(store, *entry);
        // The store logs a failed write without throwing: read the entry back before claiming success.
        auto stored = glw::addins::findRegisteredAddin(store, entry->progId);
        if (!stored || !(*stored == *entry)) {
            std::fprintf(stderr, "glwaddinreg: %s could not be registered in the settings store\n",
                         entry->progId.c_str());
            ++failures;
            continue;
        }
        std::printf("%s: %s (%s)\n", entry->progId.c_str(), entry->libraryPath.c_str(), entry->displayName.c_str());
    }
    return failures == 0 ? 0 : 1;
}
