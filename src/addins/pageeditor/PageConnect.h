// The page editor's add-in: its menu button starts the main program with a request for the current page, and
// the window-activate event places the clip the main program hands back beside the page and into it.
#pragma once

#include "addins/ClipText.h"
#include "addins/ConnectFrame.h"

namespace glw::addins {

inline constexpr const char* kPageEditorProgId = "GLWSEClipArt.Connect";
inline constexpr const char* kPageEditorDisplayName = "Glintwave SE ClipArt For MS Frontpage";

class PageConnect : public ConnectFrame {
public:
    explicit PageConnect(AddinServices services);

protected:
    void hookHostEvents() override;
    void dropState() override;
    void m_cbbMenu_Click(hostapi::CommandBarControl& ctrl, bool& cancelDefault) override;

private:
    hostapi::PageEditorApplication& host();
    void FPApplic_WindowActivate(hostapi::PageWindow* pWebWindow);
    void FPApplic_WindowDeactivate(hostapi::PageWindow* pWebWindow);
    void handBack(const std::string& text);

    std::string CurrentPageFolderPath(const std::shared_ptr<hostapi::PageDocument>& document);
    std::shared_ptr<hostapi::WebFolder> CurrentWebFolder(const std::shared_ptr<hostapi::PageDocument>& document);
    bool IsFlashObjectSelected(const std::shared_ptr<hostapi::PageDocument>& document);
    std::string SelectedFlashObjectId(const std::shared_ptr<hostapi::PageDocument>& document);
    std::vector<std::string> pageFileNames(const std::shared_ptr<hostapi::WebFolder>& webFolder,
                                           const std::string& pageFolder);

    void ImportReturnedFiles(const std::vector<ReplyFile>& files);
    bool PlaceFileInWeb(const std::string& source, const std::string& targetFolder);
    std::string SelectedSharedBorder(hostapi::PageDocument& document);

    // The place saved at the request click: where the hand-back pastes and which page its files go beside.
    std::shared_ptr<hostapi::TextRange> GLWSelection;
    std::shared_ptr<hostapi::PageDocument> m_selectionDocument;
    std::string m_selectionPageFolder;
    std::shared_ptr<hostapi::WebFolder> m_selectionWebFolder;
    // A reply the user was told could not be placed: it stays on the clipboard and is not taken again.
    std::string m_unplacedReply;
};

} // namespace glw::addins
