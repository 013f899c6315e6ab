// The open browser pages.
#include "INetExplorer.h"

namespace glw::main {

// Browser titles often end in the browser's name; the list shows the page's own title.
namespace {
constexpr const char* kTitleSuffix = " - Microsoft Internet Explorer";
}

void INetExplorer::Refresh() {
    m_items.clear();
    if (!m_provider) {
        return;
    }
    std::vector<platform::BrowserWindow> windows;
    try {
        windows = m_provider->list();
    } catch (const std::exception&) {
        return;
    }
    for (const auto& w : windows) {
        BrowserWindowItem it{w.handle, w.editHandle, w.caption, w.url};
        if (const auto cut = it.Caption.find(kTitleSuffix); cut != std::string::npos) {
            it.Caption.erase(cut);
        }
        m_items.push_back(std::move(it));
    }
}

const BrowserWindowItem* INetExplorer::item(int Index) const {
    if (Index < 1 || Index > Count()) {
        return nullptr;
    }
    return &m_items[std::size_t(Index - 1)];
}

std::int32_t INetExplorer::ItemhWnd(int Index) const {
    const auto* it = item(Index);
    return it ? it->hWnd : 0;
}

std::string INetExplorer::ItemCaption(int Index) const {
    const auto* it = item(Index);
    return it ? it->Caption : std::string();
}

std::string INetExplorer::ItemURL(int Index) const {
    const auto* it = item(Index);
    return it ? it->URL : std::string();
}

void INetExplorer::NavigateTo(int Index, const std::string& NewURL) {
    const auto* it = item(Index);
    if (!it || it->EdithWnd <= 0 || !m_provider) {
        return;
    }
    if (m_provider->navigate(it->hWnd, NewURL)) {
        m_items[std::size_t(Index - 1)].URL = NewURL;
    }
}

} // namespace glw::main
