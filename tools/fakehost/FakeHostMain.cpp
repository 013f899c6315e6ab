// fakehost: loads an add-in library into the fake page editor or presentation program and plays a host
// session given on the command line, printing what the add-in did (messages, pastes, OLE objects, bars).
//
//   fakehost (--library FILE | --progid PROGID) [--page URL] [--web URL FOLDER] [--view N] [--master]
//            COMMAND...
//   commands: connect, activate, click=CAPTION, wait-reply=SECONDS, select=ID, disconnect, report
//
// wait-reply waits (at most the seconds given) until the add-in's clipboard (GLW_CLIPBOARD when set, else the
// X clipboard on a display) holds a hand-back; with it a session can click the menu, let the main program run, and then
// activate the host to take the clip. select=ID puts the page's selection into a paragraph of that id (added when the
// page has none), so that a session can move the selection between the click and the hand-back; the report names the
// element each paste went into and what the clipboard holds at the end ("clipboard: empty", "reply" or "text").
#include "FakeHost.h"
#include "addins/AddinServices.h"
#include "addins/ClipText.h"
#include "addins/Registration.h"
#include "platform/ServicesReal.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

using namespace glw;

namespace {

int usage() {
    std::fprintf(stderr, "usage: fakehost (--library FILE | --progid PROGID) [--page URL] [--web URL FOLDER] "
                         "[--view N] [--master] connect|activate|click=CAPTION|wait-reply=SECONDS|select=ID|disconnect|"
                         "report...\n");
    return 2;
}

// The clipboard the add-in in `library` uses: the same choice its own services make.
std::shared_ptr<platform::Clipboard> addinsClipboard(const std::string& library) {
    std::error_code ec;
    const auto file = std::filesystem::canonical(library, ec);
    return addins::addinClipboard(ec ? std::string() : file.parent_path().string());
}

bool waitForReply(platform::Clipboard& clipboard, int seconds) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (std::chrono::steady_clock::now() < end) {
        if (addins::looksLikeReply(clipboard.getText())) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    return false;
}

// What the clipboard holds, in a word: "empty", "reply" or "text".
const char* clipboardState(platform::Clipboard& clipboard) {
    const std::string text = clipboard.getText();
    return text.empty() ? "empty" : addins::looksLikeReply(text) ? "reply" : "text";
}

void reportCore(const fakehost::HostCore& core) {
    for (const auto& bar : core.bars->bars) {
        std::printf("bar: %s position %d, %zu controls\n", bar->name.c_str(), bar->position,
                    bar->controls->items.size());
    }
    for (const auto& message : core.messages) {
        std::printf("message: %s: %s\n", message.title.c_str(), message.text.c_str());
    }
    if (core.escaped) {
        std::printf("escaped: %d\n", core.escaped);
    }
}

} // namespace

int main(int argc, char** argv) {
    std::string library, progId, pageUrl, webUrl, webFolder;
    int viewMode = 1;
    bool master = false;
    std::vector<std::string> commands;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--library" && i + 1 < argc) {
            library = argv[++i];
        } else if (arg == "--progid" && i + 1 < argc) {
            progId = argv[++i];
        } else if (arg == "--page" && i + 1 < argc) {
            pageUrl = argv[++i];
        } else if (arg == "--web" && i + 2 < argc) {
            webUrl = argv[++i];
            webFolder = argv[++i];
        } else if (arg == "--view" && i + 1 < argc) {
            viewMode = std::atoi(argv[++i]);
        } else if (arg == "--master") {
            master = true;
        } else if (!arg.empty() && arg[0] != '-') {
            commands.push_back(arg);
        } else {
            return usage();
        }
    }
    if (library.empty() && !progId.empty()) {
        platform::IniSettingsStore store;
        auto entry = addins::findRegisteredAddin(store, progId);
        if (!entry) {
            std::fprintf(stderr, "fakehost: %s\n", entry.error().detail.c_str());
            return 1;
        }
        library = entry->libraryPath;
    }
    if (library.empty()) {
        return usage();
    }
    fakehost::LoadedAddin addin(library);
    if (!addin.loaded()) {
        std::fprintf(stderr, "fakehost: %s\n", addin.error().c_str());
        return 1;
    }
    std::printf("loaded: %s (%s)\n", addin.progId().c_str(), addin.displayName().c_str());

    const bool pageEditor = addin.progId() == "GLWSEClipArt.Connect";
    auto pages = std::make_shared<fakehost::FakePageEditor>();
    auto slides = std::make_shared<fakehost::FakePresentationProgram>();
    fakehost::HostCore& core = pageEditor ? pages->core : slides->core;
    std::shared_ptr<fakehost::FakeDocument> document;
    if (pageEditor) {
        if (!pageUrl.empty()) {
            document = pages->openPage(pageUrl);
            pages->window->viewMode = viewMode;
        }
        if (!webUrl.empty()) {
            pages->openWeb(webUrl, webFolder);
        }
    } else {
        slides->openWindow()->viewType = master ? 2 : 9;
    }

    const auto clipboard = addinsClipboard(library);
    int status = 0;
    for (const auto& command : commands) {
        if (command == "connect") {
            addin.connect(pageEditor ? std::shared_ptr<hostapi::HostApplication>(pages) : slides, core);
        } else if (command == "activate") {
            pageEditor ? pages->activate() : slides->activate();
        } else if (command.rfind("click=", 0) == 0) {
            const std::string caption = command.substr(6);
            if (!(pageEditor ? pages->click(caption) : slides->click(caption))) {
                std::printf("no button: %s\n", caption.c_str());
                status = 1;
            }
        } else if (command.rfind("wait-reply=", 0) == 0) {
            if (!waitForReply(*clipboard, std::atoi(command.c_str() + 11))) {
                std::printf("no reply\n");
                status = 1;
            }
        } else if (command.rfind("select=", 0) == 0 && document) {
            const std::string id = command.substr(7);
            auto found = std::find_if(document->elements.begin(), document->elements.end(),
                                      [&](const auto& element) { return element->idText == id; });
            document->active = found != document->elements.end() ? int(found - document->elements.begin())
                                                                 : document->addElement("P", "", id);
        } else if (command == "disconnect") {
            addin.disconnect(core);
        } else if (command == "report") {
            reportCore(core);
            std::printf("clipboard: %s\n", clipboardState(*clipboard));
            if (document) {
                for (const auto& paste : document->pasted) {
                    std::printf("pasted: %s\n", paste.html.c_str());
                    const auto& elements = document->elements;
                    if (paste.elementIndex >= 0 && paste.elementIndex < int(elements.size())) {
                        std::printf("pasted into: %s\n", elements[size_t(paste.elementIndex)]->idText.c_str());
                    }
                }
            }
            for (const auto& object : slides->added) {
                const auto& shape = *object.shape;
                std::printf("object: %s %s %gx%g at %g,%g movie=%s flashvars=%s\n", object.where.c_str(),
                            shape.args.className.c_str(), shape.args.width, shape.args.height, shape.args.left,
                            shape.args.top, shape.format->flash->movie.c_str(), shape.format->flash->flashVars.c_str());
            }
        } else {
            return usage();
        }
    }
    return core.escaped ? 1 : status;
}
