// The open browser pages as a list of items, each with a number, a title and an address: a snapshot taken
// by Refresh from the browser-windows service, read by the link chooser.
#pragma once

#include "platform/BrowserWindows.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace glw::main {

struct BrowserWindowItem {
    std::int32_t hWnd = 0;
    std::int32_t EdithWnd = 0;
    std::string Caption;
    std::string URL;
};

class INetExplorer {
public:
    // `provider` may be null: the list is then always empty.
    explicit INetExplorer(std::shared_ptr<platform::BrowserWindows> provider) : m_provider(std::move(provider)) {}

    // Sends item Index (1-based) to NewURL; an index outside 1 to Count does nothing.
    void NavigateTo(int Index, const std::string& NewURL);
    // Item Index's fields; an index outside 1 to Count gives 0 or "".
    std::int32_t ItemhWnd(int Index) const;
    std::string ItemCaption(int Index) const;
    std::string ItemURL(int Index) const;
    // Rebuilds the items from the open pages; a failing provider leaves the items found so far.
    void Refresh();
    int Count() const { return int(m_items.size()); }

private:
    const BrowserWindowItem* item(int Index) const;

    std::shared_ptr<platform::BrowserWindows> m_provider;
    std::vector<BrowserWindowItem> m_items;
};

} // namespace glw::main
