// A list view in report style: column headers, items with a unique key, text, sub-items and a check
// box, the selected item, and the ItemClick and ItemCheck events.
#pragma once

#include "Control.h"

namespace glw::forms {

class ListView;

class ListItem {
public:
    ListItem(ListView& owner, std::string key, std::string text)
        : m_owner(owner), m_key(std::move(key)), m_text(std::move(text)) {}

    const std::string& Key() const { return m_key; }
    int Index() const { return m_index; } // 1-based position in the list
    const std::string& Text() const { return m_text; }
    void setText(const std::string& text);
    // Sub-item i (1-based); "" when never set.
    std::string SubItems(int i) const;
    void setSubItems(int i, const std::string& text);
    bool Checked() const { return m_checked; }
    void setChecked(bool checked); // from code: raises no ItemCheck, as the original
    bool Selected() const;
    // Data of the program's own that the item carries and nobody sees.
    const std::string& Tag() const { return m_tag; }
    void setTag(const std::string& tag) { m_tag = tag; }

private:
    friend class ListView;
    ListView& m_owner;
    std::string m_key;
    std::string m_text;
    std::vector<std::string> m_subItems;
    bool m_checked = false;
    int m_index = 0;
    std::string m_tag;
};

struct ColumnHeader {
    std::string Text;
    int Width = 1440; // twips
};

class ListView : public Control {
public:
    ListView(Form& form, std::string name, int index = -1)
        : Control(form, ControlKind::ListView, std::move(name), index) {}

    Property<bool> Checkboxes{*this, PropertyId::Checkboxes, false};
    Property<bool> FullRowSelect{*this, PropertyId::FullRowSelect, true};
    Property<bool> HideSelection{*this, PropertyId::HideSelection, true};
    Property<int> View{*this, PropertyId::View, 3}; // 3 report

    std::vector<ColumnHeader> ColumnHeaders;
    void addColumn(const std::string& text, int width = 1440);

    // Adds an item at the end; run-time error 35602 when the key is already in use.
    ListItem& Add(const std::string& key, const std::string& text);
    int Count() const { return int(m_items.size()); }
    ListItem& Item(int index);              // 1-based; run-time error 35600 outside the list
    ListItem& Item(const std::string& key); // run-time error 35601 when no item has the key
    ListItem* find(const std::string& key); // null when no item has the key
    bool contains(const std::string& key) const;
    void Remove(const std::string& key);
    void Clear();
    const std::vector<std::unique_ptr<ListItem>>& items() const { return m_items; }

    ListItem* SelectedItem() const { return m_selected; }
    void setSelectedItem(ListItem* item); // from code: raises no ItemClick

    Event<ListItem&> ItemClick;
    Event<ListItem&> ItemCheck;
    Event<> Click;
    bool canFocus() const override { return true; }

    // The user clicks an item (selects it: ItemClick) or its check box (ItemCheck).
    void userClickItem(const std::string& key);
    void userCheckItem(const std::string& key, bool checked);

    // Item changes tell the renderer through this property name.
    static constexpr PropertyId kItemsChanged = PropertyId::ListItems;

private:
    friend class ListItem;
    void renumber();
    std::vector<std::unique_ptr<ListItem>> m_items;
    ListItem* m_selected = nullptr;
};

} // namespace glw::forms
