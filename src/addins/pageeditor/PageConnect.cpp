// The page editor's request and hand-back.
#include "PageConnect.h"

#include "addins/AddinEntry.h"
#include "common/CopyHelpers.h"
#include "common/ModText.h"
#include "platform/WinPath.h"
#include "vb/VbFile.h"
#include "vb/VbText.h"

#include <filesystem>

namespace glw::addins {

namespace {

constexpr const char* kTitle = "Glintwave";
constexpr const char* kNotNormalView = "You must have a page open/saved and in Normal view mode.";
constexpr const char* kNoWebOrPage = "Unable to succesfully add Flash content without being in a Frontpage Web or a "
                                     "Saved document.  Please save page/web before adding Flash content.";
constexpr const char* kFolderNotSendable =
    "The page's folder name holds characters that cannot be handed to the Flash Browser/Transformer.  Please save "
    "the page in another folder.";
constexpr const char* kNoSavedSelection =
    "The returned Flash clip cannot be placed: the page it was asked for is no longer open.  The clip stays on the "
    "clipboard.";
constexpr const char* kPasteFailed =
    "The returned Flash clip could not be pasted into the page.  The clip stays on the clipboard.";
constexpr const char* kCopyFailed = "An error occured copying the file ";
// Elements are walked up to the page's body; a host whose tree loops must not hang the add-in.
constexpr int kMaxElementWalk = 100000;

bool contains(const std::string& text, const char* piece) {
    return text.find(piece) != std::string::npos;
}

std::string errorDescription(const vb::ResumeNext& step) {
    return step.errDescription().empty() ? vb::errorDescription(vb::ErrPathNotFound) : step.errDescription();
}

} // namespace

PageConnect::PageConnect(AddinServices services)
    : ConnectFrame(std::move(services), "LegacyMenuPos", {{"Flash Browser/Transformer", 1029, 1, false}}) {}

hostapi::PageEditorApplication& PageConnect::host() {
    auto* application = must(FPApplic).asPageEditor();
    if (!application) {
        throw hostapi::HostError("the host is not the page editor");
    }
    return *application;
}

void PageConnect::hookHostEvents() {
    bindHostEvent(host().WindowActivate(), [this](hostapi::PageWindow* pWebWindow) {
        entry("FPApplic_WindowActivate", [&] { FPApplic_WindowActivate(pWebWindow); });
    });
    bindHostEvent(host().WindowDeactivate(), [this](hostapi::PageWindow* pWebWindow) {
        entry("FPApplic_WindowDeactivate", [&] { FPApplic_WindowDeactivate(pWebWindow); });
    });
}

void PageConnect::dropState() {
    GLWSelection.reset();
    m_selectionDocument.reset();
    m_selectionWebFolder.reset();
    m_selectionPageFolder.clear();
}

// ---- The request --------------------------------------------------------------------------------------

void PageConnect::m_cbbMenu_Click(hostapi::CommandBarControl& /*ctrl*/, bool& /*cancelDefault*/) {
    auto step = steps("m_cbbMenu_Click");
    std::shared_ptr<hostapi::PageWindow> window;
    int viewMode = 0;
    step([&] { window = host().ActivePageWindow(); });
    if (window) {
        step([&] { viewMode = window->ViewMode(); });
    }
    if (!window || viewMode != 1) {
        MsgBoxEx(kNotNormalView, 0, kTitle);
        return;
    }

    std::shared_ptr<hostapi::PageDocument> document;
    step([&] { document = host().ActiveDocument(); });
    auto webFolder = CurrentWebFolder(document);
    const std::string pageFolder = CurrentPageFolderPath(document);

    // The selection and the page it belongs to, for the hand-back; a new request also ends the wait of a
    // reply that could not be placed.
    m_unplacedReply.clear();
    GLWSelection.reset();
    step([&] { GLWSelection = must(must(document).selection()).createRange(); });
    m_selectionDocument = document;
    m_selectionPageFolder = pageFolder;
    m_selectionWebFolder = webFolder;

    if (pageFolder.empty() && !webFolder) {
        MsgBoxEx(kNoWebOrPage, 0, kTitle);
        return;
    }
    const auto files = pageFileNames(webFolder, pageFolder);

    std::string dataFolder = kDefaultDataFolder;
    if (IsFlashObjectSelected(document) && contains(vb::UCase(SelectedFlashObjectId(document)), "GLINTWAVECL")) {
        std::string html;
        step([&] { html = must(must(document).activeElement()).outerHTML(); });
        dataFolder = dataFolderFromMoviePath(MoviePathFromObjectHtml(html));
    }

    auto request = buildPageRequest(pageFolder, files, dataFolder);
    if (!request) {
        MsgBoxEx(kFolderNotSendable, 0, kTitle);
        return;
    }
    step([&] { m_services.clipboard->setText(*request); });
    step([&] { m_services.shell->open(m_services.folder + "\\glwclipart"); });
}

std::string PageConnect::CurrentPageFolderPath(const std::shared_ptr<hostapi::PageDocument>& document) {
    std::string url;
    auto step = steps("CurrentPageFolderPath");
    if (!step([&] { url = must(document).url(); })) {
        return {};
    }
    return pageFolderFromUrl(url);
}

std::shared_ptr<hostapi::WebFolder>
PageConnect::CurrentWebFolder(const std::shared_ptr<hostapi::PageDocument>& document) {
    std::shared_ptr<hostapi::WebFolder> result;
    auto step = steps("CurrentWebFolder");
    step([&] {
        const std::string url = must(document).url();
        auto web = host().ActiveWeb();
        if (!web) {
            return;
        }
        auto folder = web->RootFolder();
        if (url.compare(0, 7, "unsaved") == 0) {
            result = folder;
            return;
        }
        const std::string webUrl = web->Url() + "/";
        if (url.compare(0, webUrl.size(), webUrl) != 0) {
            return; // the page is not in the open web
        }
        std::string relative = url.substr(webUrl.size());
        const size_t lastSlash = relative.rfind('/');
        relative = lastSlash == std::string::npos ? std::string() : relative.substr(0, lastSlash);
        size_t start = 0;
        while (folder && start < relative.size()) {
            size_t end = relative.find('/', start);
            if (end == std::string::npos) {
                end = relative.size();
            }
            if (end > start) {
                folder = folder->folder(relative.substr(start, end - start));
            }
            start = end + 1;
        }
        result = folder;
    });
    return result;
}

bool PageConnect::IsFlashObjectSelected(const std::shared_ptr<hostapi::PageDocument>& document) {
    bool selected = false;
    auto step = steps("IsFlashObjectSelected");
    step([&] {
        auto element = must(document).activeElement();
        if (element && vb::UCase(element->tagName()) == "OBJECT") {
            const std::string html = vb::UCase(element->outerHTML());
            selected = contains(html, ".SWF") && contains(html, "MOVIE");
        }
    });
    return selected;
}

std::string PageConnect::SelectedFlashObjectId(const std::shared_ptr<hostapi::PageDocument>& document) {
    std::string id;
    if (IsFlashObjectSelected(document)) {
        auto step = steps("SelectedFlashObjectId");
        step([&] { id = must(must(document).activeElement()).id(); });
    }
    return id;
}

std::vector<std::string> PageConnect::pageFileNames(const std::shared_ptr<hostapi::WebFolder>& webFolder,
                                                    const std::string& pageFolder) {
    std::vector<std::string> names;
    auto step = steps("pageFileNames");
    if (webFolder) {
        step([&] { names = webFolder->fileNames(); });
    } else {
        step([&] {
            const std::string folder = platform::toSystemPath(pageFolder.substr(0, pageFolder.size() - 1));
            if (!folder.empty()) {
                names = vb::DirList(folder + "\\*.*", vb::vbNormal);
            }
        });
    }
    return names;
}

// ---- The hand-back ------------------------------------------------------------------------------------

void PageConnect::FPApplic_WindowActivate(hostapi::PageWindow* /*pWebWindow*/) {
    auto step = steps("FPApplic_WindowActivate");
    std::string text;
    step([&] { text = m_services.clipboard->getText(); });
    if (looksLikeReply(text) && text != m_unplacedReply) {
        handBack(text);
    }
    AddMenus();
}

void PageConnect::FPApplic_WindowDeactivate(hostapi::PageWindow* /*pWebWindow*/) {}

void PageConnect::handBack(const std::string& text) {
    auto step = steps("FPApplic_WindowActivate");
    const std::string working = platform::toHostPath(m_services.folder + "\\Working");
    auto reply = readClipReply(text, working);
    if (!reply) {
        // Not the main program's hand-back: nothing is written and the clipboard keeps its text.
        if (m_services.log) {
            m_services.log("FPApplic_WindowActivate", vb::ErrInvalidCall, "reply refused: " + reply.error().detail);
        }
        return;
    }
    if (!GLWSelection) {
        m_unplacedReply = text;
        MsgBoxEx(kNoSavedSelection, 0, kTitle);
        return;
    }
    ImportReturnedFiles(reply->files);
    if (!step([&] { GLWSelection->pasteHTML(reply->tag); })) {
        m_unplacedReply = text;
        MsgBoxEx(kPasteFailed, 0, kTitle);
        return;
    }
    step([&] { m_services.clipboard->clear(); });
    dropState();
}

void PageConnect::ImportReturnedFiles(const std::vector<ReplyFile>& files) {
    for (const auto& file : files) {
        PlaceFileInWeb(file.source, file.targetFolder);
    }
}

bool PageConnect::PlaceFileInWeb(const std::string& source, const std::string& targetFolder) {
    auto step = steps("PlaceFileInWeb");
    auto webFolder = m_selectionWebFolder;
    std::string pageFolder = m_selectionPageFolder;

    std::string border;
    if (m_selectionDocument) {
        step([&] { border = SelectedSharedBorder(*m_selectionDocument); });
    }
    if (!border.empty()) {
        // A shared border's page lives in the web's "_borders" folder.
        if (!webFolder) {
            if (!pageFolder.empty()) {
                pageFolder += "_borders/";
            }
        } else {
            step([&] { webFolder = must(must(host().ActiveWeb()).RootFolder()).folder("_borders"); });
        }
    }

    bool failed = false;
    std::string description;
    step.clear();
    if (webFolder && pageFolder.empty()) {
        auto folder = webFolder;
        size_t start = 0;
        while (folder && start < targetFolder.size()) {
            size_t end = targetFolder.find('/', start);
            if (end == std::string::npos) {
                end = targetFolder.size();
            }
            const std::string name = targetFolder.substr(start, end - start);
            if (!name.empty()) {
                std::shared_ptr<hostapi::WebFolder> sub;
                step([&] { sub = folder->addFolder(name); }); // it may exist already
                if (!sub) {
                    step([&] { sub = folder->folder(name); });
                }
                folder = sub;
            }
            start = end + 1;
        }
        step.clear();
        failed = !step([&] { must(folder).addFile(source, true); });
        description = errorDescription(step);
    } else if (pageFolder.empty()) {
        // Neither a web nor a folder on disk: there is no place beside the page to copy to.
        failed = true;
        description = vb::errorDescription(vb::ErrPathNotFound);
    } else {
        pumpMessages();
        pumpMessages();
        // The target folder (and a shared border's "_borders") is made when missing; a failure shows in the copy.
        const std::string folder = pageFolder + (targetFolder.empty() ? "" : targetFolder + "/");
        std::error_code ignored;
        std::filesystem::create_directories(folder, ignored);
        const std::string target = folder + std::filesystem::path(source).filename().string();
        // The copy goes to a temporary file beside the target and is renamed over it: an older copy stays
        // whole until the new one is complete.
        const std::string systemTarget = platform::toSystemPath(target);
        failed = systemTarget.empty() || !common::APICopy(platform::toSystemPath(source), systemTarget, description);
        if (failed && description.empty()) {
            description = vb::errorDescription(vb::ErrPathFileAccess);
        }
    }
    if (failed) {
        MsgBoxEx(kCopyFailed + platform::toSystemPath(source) + ".  " + description, 0, kTitle);
    }
    pumpMessages();
    pumpMessages();
    return true;
}

std::string PageConnect::SelectedSharedBorder(hostapi::PageDocument& document) {
    if (!document.hassharedBorders()) {
        return {};
    }
    auto element = document.activeElement();
    if (element && vb::UCase(element->tagName()) == "TD" && contains(vb::UCase(element->outerHTML()), "WEBBOT")) {
        element = document.elementAt(element->sourceIndex() + 1);
    }
    for (int walked = 0; element && walked < kMaxElementWalk; ++walked) {
        const std::string tag = vb::UCase(element->tagName());
        if (tag == "BODY") {
            break;
        }
        if (tag == "WEBBOT") {
            const std::string html = element->outerHTML();
            const std::string upper = vb::UCase(html);
            if (contains(upper, "BOT=\"INCLUDE\"") && contains(upper, "S-BORDER=\"")) {
                return common::GetBetween(html, "S-BORDER=\"", "\" ");
            }
        }
        element = element->parentElement();
    }
    return {};
}

} // namespace glw::addins

GLW_DEFINE_ADDIN_ENTRY_POINTS(glw::addins::PageConnect, glw::addins::kPageEditorProgId,
                              glw::addins::kPageEditorDisplayName)
