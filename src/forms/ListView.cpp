// List view items: unique keys, sub-items, check boxes and the selected item.
#include "ListView.h"

#include "vb/VbError.h"

#include <algorithm>

namespace glw::forms {

void ListItem::setText(const std::string& text) {
    m_text = text;
    m_owner.propertyChanged(ListView::kItemsChanged);
}

std::string ListItem::SubItems(int i) const {
    if (i < 1) {
        vb::raise(vb::ErrInvalidProperty, "Invalid property value");
    }
    return size_t(i) <= m_subItems.size() ? m_subItems[size_t(i) - 1] : std::string();
}

void ListItem::setSubItems(int i, const std::string& text) {
    if (i < 1) {
        vb::raise(vb::ErrInvalidProperty, "Invalid property value");
    }
    if (m_subItems.size() < size_t(i)) {
        m_subItems.resize(size_t(i));
    }
    m_subItems[size_t(i) - 1] = text;
    m_owner.propertyChanged(ListView::kItemsChanged);
}

void ListItem::setChecked(bool checked) {
    m_checked = checked;
    m_owner.propertyChanged(ListView::kItemsChanged);
}

bool ListItem::Selected() const {
    return m_owner.SelectedItem() == this;
}

void ListView::addColumn(const std::string& text, int width) {
    ColumnHeaders.push_back({text, width});
    propertyChanged(PropertyId::ColumnHeaders);
}

ListItem& ListView::Add(const std::string& key, const std::string& text) {
    if (!key.empty() && contains(key)) {
        vb::raise(35602, "Key is not unique in collection");
    }
    m_items.push_back(std::make_unique<ListItem>(*this, key, text));
    m_items.back()->m_index = int(m_items.size());
    propertyChanged(kItemsChanged);
    return *m_items.back();
}

ListItem& ListView::Item(int index) {
    if (index < 1 || index > Count()) {
        vb::raise(35600, "Index out of bounds");
    }
    return *m_items[size_t(index) - 1];
}

ListItem& ListView::Item(const std::string& key) {
    if (ListItem* item = find(key)) {
        return *item;
    }
    vb::raise(35601, "Element not found");
}

ListItem* ListView::find(const std::string& key) {
    for (auto& item : m_items) {
        if (item->m_key == key) {
            return item.get();
        }
    }
    return nullptr;
}

bool ListView::contains(const std::string& key) const {
    return std::any_of(m_items.begin(), m_items.end(), [&](const auto& item) { return item->m_key == key; });
}

void ListView::Remove(const std::string& key) {
    auto it = std::find_if(m_items.begin(), m_items.end(), [&](const auto& item) { return item->m_key == key; });
    if (it == m_items.end()) {
        vb::raise(35601, "Element not found");
    }
    if (m_selected == it->get()) {
        m_selected = nullptr;
    }
    m_items.erase(it);
    renumber();
    propertyChanged(kItemsChanged);
}

void ListView::Clear() {
    m_items.clear();
    m_selected = nullptr;
    propertyChanged(kItemsChanged);
}

void ListView::setSelectedItem(ListItem* item) {
    m_selected = item;
    propertyChanged(PropertyId::SelectedItem);
}

void ListView::userClickItem(const std::string& key) {
    ListItem& item = Item(key);
    setSelectedItem(&item);
    Click.raise();
    ItemClick.raise(item);
}

void ListView::userCheckItem(const std::string& key, bool checked) {
    ListItem& item = Item(key);
    item.setChecked(checked);
    ItemCheck.raise(item);
}

void ListView::renumber() {
    int i = 1;
    for (auto& item : m_items) {
        item->m_index = i++;
    }
}

} // namespace glw::forms
