// Fuzz target for the add-ins' readers of clipboard text and page data: the add-ins' check of where a reply's
// files come from, over the reply's reader of the formats layer (fuzzed on its own in fuzz/formats), the tag's size and
// variable reading, the page address and the movie path of a selected clip.
#include "addins/ClipText.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

// A Working folder with one clip, made once per process under the temporary folder and removed at exit.
struct WorkingFolder {
    std::string root;
    std::string working;
    WorkingFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "glw-fuzz-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) {
            std::abort();
        }
        root = std::filesystem::canonical(pattern).string();
        working = root + "/Working";
        std::filesystem::create_directories(working);
        std::ofstream(working + "/clip.swf") << "FWS";
    }
    ~WorkingFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(root, ignored);
    }
};

const std::string& workingFolder() {
    static const WorkingFolder folder;
    return folder.working;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    auto reply = glw::addins::readClipReply(text, workingFolder());
    if (reply) {
        for (const auto& file : reply->files) {
            // Whatever is accepted stays inside the Working folder.
            const std::string resolved = std::filesystem::weakly_canonical(file.source).string();
            if (resolved.compare(0, workingFolder().size() + 1, workingFolder() + "/") != 0) {
                std::abort();
            }
        }
        (void)glw::addins::readFlashPlacement(reply->tag);
    }
    (void)glw::addins::readFlashPlacement(text);
    (void)glw::addins::pageFolderFromUrl(text);
    (void)glw::addins::dataFolderFromMoviePath(glw::addins::MoviePathFromObjectHtml(text));
    (void)glw::addins::buildPageRequest(text, {text}, text);
    return 0;
}
