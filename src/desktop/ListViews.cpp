// Views of the list controls: list boxes (and the folder and file lists), combo boxes (and the drive list),
// and report-style list views with columns and check boxes.
#include "FormWindow.h"
#include "ListSync.h"
#include "QtDriver.h"
#include "Views.h"
#include "forms/Controls.h"
#include "forms/FileLists.h"
#include "forms/Form.h"
#include "forms/ListView.h"
#include "platform/WinPath.h"

#include <QComboBox>
#include <QEvent>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QSignalBlocker>
#include <QStyle>
#include <QTreeWidget>

namespace glw::qt {

namespace {

QString entryText(const std::string& entry) {
    return QString::fromStdString(entry);
}

// The rows of a folder list: its open folders from the root down, then the sub-folders of the last, each
// by its own name and indented by its depth (the root in the user's form, "/").
std::vector<std::string> folderRows(const forms::DirListBox& folders) {
    std::vector<std::string> rows;
    const std::vector<std::string> open = folders.openFolders();
    auto indented = [](std::size_t depth, const std::string& path) {
        const std::string name = platform::splitSystemPath(path).second;
        return std::string(2 * depth, ' ') + (name.empty() ? platform::toDisplayPath(path) : name);
    };
    for (std::size_t i = 0; i < open.size(); ++i) {
        rows.push_back(indented(i, open[i]));
    }
    for (const std::string& sub : folders.items()) {
        rows.push_back(indented(open.size(), sub));
    }
    return rows;
}

// Applies the runtime's entries to a widget's list through the smallest edit; the new entries go in with
// one insertion (one change of the widget's model, however many there are).
template <class Remove, class Insert>
void syncEntries(std::vector<std::string>& shown, const std::vector<std::string>& wanted, Remove remove, Insert insert,
                 QString (*text)(const std::string&) = entryText) {
    const ListEdit edit = diffLists(shown, wanted);
    for (size_t i = 0; i < edit.removeCount; ++i) {
        remove(int(edit.first));
    }
    if (edit.insertCount > 0) {
        QStringList texts;
        texts.reserve(qsizetype(edit.insertCount));
        for (size_t i = 0; i < edit.insertCount; ++i) {
            texts.push_back(text(wanted[edit.first + i]));
        }
        insert(int(edit.first), texts);
    }
    shown = wanted;
}

// ---- ListBox ----

class ListBoxView : public ControlView {
public:
    ListBoxView(FormWindow& window, forms::ListControl& list)
        : ControlView(window, list), m_list(list), m_folders(dynamic_cast<forms::DirListBox*>(&list)) {}

    void resync() override {
        settle();
        apply(forms::PropertyId::ListIndex);
    }
    QSize defaultSize() const override { return QSize(120, 97); }

protected:
    QWidget* createWidget(QWidget* parent) override {
        auto* list = new QListWidget(parent);
        list->setSelectionMode(QAbstractItemView::SingleSelection);
        list->setUniformItemSizes(true);
        connect(list, &QListWidget::currentRowChanged, this, [this](int row) {
            // A folder list's open folders sit above its entries; choosing one of them opens nothing.
            const int index = row - m_lead;
            if (index < 0 || index == m_list.ListIndex) {
                return;
            }
            if (user("choose " + m_list.fullName(), [this, index] { m_list.userChoose(index); })) {
                resync();
            }
        });
        connect(list, &QListWidget::itemDoubleClicked, this, [this, list](QListWidgetItem* item) {
            // A double click on a folder of a folder list opens it, an open folder above included; elsewhere
            // it is the list's DblClick.
            if (m_folders) {
                const int index = list->row(item) - m_lead;
                if (user("open " + m_list.fullName(), [this, index] { m_folders->userOpen(index); })) {
                    apply(forms::PropertyId::List);
                    settle();
                }
                return;
            }
            user("dblclick " + m_list.fullName(), [this] { m_list.userDblClick(); });
        });
        list->installEventFilter(this);
        m_shown.clear();
        return list;
    }
    void applyOwn(forms::PropertyId property) override {
        // A list filled one AddItem at a time shows its entries once they are all there; its mark waits
        // with them, as it is a row among them.
        if (wants(property, forms::PropertyId::List)) {
            m_entriesPending = true;
        }
        if (m_entriesPending) {
            settleLater();
        } else if (wants(property, forms::PropertyId::ListIndex)) {
            showIndex();
        }
    }
    void settleOwn() override {
        // A list that is hidden (itself or its frame) takes its entries when it shows: a category of
        // 10,000 clips fills the hidden lists of the listing on every switch.
        if (m_entriesPending && m_widget->isVisibleTo(m_widget->window())) {
            m_entriesPending = false;
            showEntries();
            showIndex();
        }
    }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && watched == m_widget && m_control && m_entriesPending) {
            const QSignalBlocker quiet(m_widget.data());
            settleOwn();
        }
        return false;
    }
    long defaultBackColor() const override { return forms::kWindowBackground; }

private:
    void showEntries() {
        auto* list = static_cast<QListWidget*>(m_widget.data());
        auto remove = [list](int row) { delete list->takeItem(row); };
        auto insert = [list](int row, const QStringList& texts) { list->insertItems(row, texts); };
        if (!m_folders) {
            syncEntries(m_shown, m_list.items(), remove, insert);
            return;
        }
        syncEntries(m_shown, folderRows(*m_folders), remove, insert);
        m_lead = int(m_shown.size() - m_list.items().size());
        const QIcon open = list->style()->standardIcon(QStyle::SP_DirOpenIcon);
        const QIcon closed = list->style()->standardIcon(QStyle::SP_DirIcon);
        for (int row = 0; row < list->count(); ++row) {
            list->item(row)->setIcon(row < m_lead ? open : closed);
        }
    }
    void showIndex() {
        auto* list = static_cast<QListWidget*>(m_widget.data());
        // A folder list with no sub-folder chosen marks its own folder, the last open one.
        const int index = m_list.ListIndex;
        const int row = index >= 0 ? index + m_lead : (m_folders && m_lead > 0 ? m_lead - 1 : -1);
        if (row < 0) {
            list->setCurrentRow(-1);
            list->clearSelection();
        } else if (list->currentRow() != row) {
            const QSignalBlocker quiet(list); // a mark put by the program is no user's choice
            list->setCurrentRow(row);
        }
        if (row >= 0) {
            list->scrollToItem(list->item(row));
        }
    }

    forms::ListControl& m_list;
    forms::DirListBox* m_folders; // null unless the list is a folder list
    int m_lead = 0;               // rows above the entries: a folder list's open folders
    std::vector<std::string> m_shown;
    bool m_entriesPending = false;
};

// ---- ComboBox ----

class ComboView : public ControlView {
public:
    ComboView(FormWindow& window, forms::ListControl& list)
        : ControlView(window, list), m_list(list), m_combo(dynamic_cast<forms::ComboBox*>(&list)) {}

    void resync() override {
        settle();
        apply(forms::PropertyId::ListIndex);
    }

protected:
    QWidget* createWidget(QWidget* parent) override {
        auto* combo = new QComboBox(parent);
        m_editable = m_combo && m_combo->Style != forms::vbComboDropdownList;
        combo->setEditable(m_editable);
        combo->setInsertPolicy(QComboBox::NoInsert);
        combo->setMaxVisibleItems(16);
        if (m_editable) {
            combo->setCompleter(nullptr); // typed text is the user's alone
            connect(combo->lineEdit(), &QLineEdit::textEdited, this, [this](const QString& text) {
                if (!m_combo) {
                    return;
                }
                const std::string value = text.toStdString();
                if (user("type " + m_list.fullName(), [this, &value] { m_combo->userSetText(value); })) {
                    resync();
                }
            });
        }
        connect(combo, &QComboBox::activated, this, [this](int index) {
            if (user("choose " + m_list.fullName(), [this, index] { m_list.userChoose(index); })) {
                resync();
            }
        });
        m_shown.clear();
        return combo;
    }
    void applyOwn(forms::PropertyId property) override {
        if (property == forms::PropertyId::Style) {
            if (m_combo && m_editable != (m_combo->Style != forms::vbComboDropdownList)) {
                rebuildWidget();
            }
            return;
        }
        // Entries come in one pass once they are all there (see the list box); the choice and the edit
        // field's text wait with them.
        if (wants(property, forms::PropertyId::List)) {
            m_entriesPending = true;
        }
        if (m_entriesPending) {
            settleLater();
            return;
        }
        if (wants(property, forms::PropertyId::ListIndex)) {
            showIndex();
        }
        if (wants(property, forms::PropertyId::ListIndex) || wants(property, forms::PropertyId::Text)) {
            showText();
        }
    }
    void settleOwn() override {
        if (!m_entriesPending) {
            return;
        }
        m_entriesPending = false;
        auto* combo = static_cast<QComboBox*>(m_widget.data());
        syncEntries(
            m_shown, m_list.items(), [combo](int row) { combo->removeItem(row); },
            [combo](int row, const QStringList& texts) { combo->insertItems(row, texts); });
        showIndex();
        showText();
    }
    long defaultBackColor() const override { return forms::kWindowBackground; }

private:
    void showIndex() {
        auto* combo = static_cast<QComboBox*>(m_widget.data());
        if (combo->currentIndex() != m_list.ListIndex) {
            combo->setCurrentIndex(m_list.ListIndex);
        }
    }
    // Choosing an entry (or none) rewrites the edit field in Qt: the runtime's text wins.
    void showText() {
        auto* combo = static_cast<QComboBox*>(m_widget.data());
        if (!m_editable || !m_combo) {
            return;
        }
        const QString text = QString::fromStdString(m_combo->Text);
        if (combo->currentText() != text) {
            combo->setEditText(text);
        }
    }

    forms::ListControl& m_list;
    forms::ComboBox* m_combo; // null for drive lists, which have no edit field
    bool m_editable = false;
    std::vector<std::string> m_shown;
    bool m_entriesPending = false;
};

// ---- ListView ----

constexpr int kKeyRole = Qt::UserRole + 1;

struct Row {
    std::string key;
    std::vector<std::string> texts;
    bool checked = false;
    bool operator==(const Row&) const = default;
};

class ListViewView : public ControlView {
public:
    ListViewView(FormWindow& window, forms::ListView& view) : ControlView(window, view), m_view(view) {}

    void resync() override {
        if (!m_widget) {
            return;
        }
        const QSignalBlocker blocker(m_widget.data());
        syncItems();
        showSelection();
    }
    QSize defaultSize() const override { return QSize(240, 120); }

protected:
    QWidget* createWidget(QWidget* parent) override {
        auto* tree = new QTreeWidget(parent);
        tree->setRootIsDecorated(false);
        tree->setUniformRowHeights(true);
        tree->setAllColumnsShowFocus(true);
        tree->setSelectionMode(QAbstractItemView::SingleSelection);
        tree->setSelectionBehavior(QAbstractItemView::SelectRows);
        tree->header()->setStretchLastSection(false);
        connect(tree, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
            if (!item) {
                return;
            }
            const std::string key = item->data(0, kKeyRole).toString().toStdString();
            const forms::ListItem* selected = m_view.SelectedItem();
            if (selected && selected->Key() == key) {
                return;
            }
            if (user("choose " + m_view.fullName(), [this, &key] { m_view.userClickItem(key); })) {
                resync();
            }
        });
        connect(tree, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* item, int column) {
            if (column != 0 || !m_view.Checkboxes) {
                return;
            }
            const std::string key = item->data(0, kKeyRole).toString().toStdString();
            const bool checked = item->checkState(0) == Qt::Checked;
            const forms::ListItem* listItem = m_view.find(key);
            if (!listItem || listItem->Checked() == checked) {
                return;
            }
            if (user("check " + m_view.fullName(), [this, &key, checked] { m_view.userCheckItem(key, checked); })) {
                resync();
            }
        });
        m_rows.clear();
        return tree;
    }
    void applyOwn(forms::PropertyId property) override {
        auto* tree = static_cast<QTreeWidget*>(m_widget.data());
        if (wants(property, forms::PropertyId::ColumnHeaders)) {
            const auto& headers = m_view.ColumnHeaders;
            tree->setColumnCount(std::max<int>(1, int(headers.size())));
            tree->setHeaderHidden(headers.empty());
            QStringList labels;
            for (const auto& header : headers) {
                labels << QString::fromStdString(header.Text);
            }
            tree->setHeaderLabels(labels);
            for (size_t i = 0; i < headers.size(); ++i) {
                tree->setColumnWidth(int(i), toPixels(Twips{headers[i].Width}).value);
            }
            m_rows.clear(); // the rows' column count changed
            tree->clear();
        }
        const bool items = wants(property, forms::PropertyId::ColumnHeaders) ||
                           wants(property, forms::ListView::kItemsChanged) ||
                           wants(property, forms::PropertyId::Checkboxes);
        if (items) {
            syncItems();
        }
        if (items || wants(property, forms::PropertyId::SelectedItem)) {
            showSelection();
        }
    }
    long defaultBackColor() const override { return forms::kButtonFace; }

private:
    int columns() const { return std::max<int>(1, int(m_view.ColumnHeaders.size())); }

    Row rowOf(const forms::ListItem& item) const {
        Row row;
        row.key = item.Key();
        row.texts.push_back(item.Text());
        for (int i = 1; i < columns(); ++i) {
            row.texts.push_back(item.SubItems(i));
        }
        row.checked = m_view.Checkboxes && item.Checked();
        return row;
    }

    void fill(QTreeWidgetItem& item, const Row& row) const {
        for (size_t i = 0; i < row.texts.size(); ++i) {
            item.setText(int(i), QString::fromStdString(row.texts[i]));
        }
        item.setData(0, kKeyRole, QString::fromStdString(row.key));
        if (m_view.Checkboxes) {
            item.setFlags(item.flags() | Qt::ItemIsUserCheckable);
            item.setCheckState(0, row.checked ? Qt::Checked : Qt::Unchecked);
        } else {
            item.setFlags(item.flags() & ~Qt::ItemIsUserCheckable);
            item.setData(0, Qt::CheckStateRole, QVariant());
        }
    }

    void syncItems() {
        auto* tree = static_cast<QTreeWidget*>(m_widget.data());
        std::vector<Row> wanted;
        wanted.reserve(m_view.items().size());
        for (const auto& item : m_view.items()) {
            wanted.push_back(rowOf(*item));
        }
        if (m_checkboxesShown != m_view.Checkboxes) {
            m_rows.clear(); // every row changes its check box
            tree->clear();
            m_checkboxesShown = m_view.Checkboxes;
        }
        std::vector<std::string> shownKeys, wantedKeys;
        for (const auto& row : m_rows) {
            shownKeys.push_back(row.key);
        }
        for (const auto& row : wanted) {
            wantedKeys.push_back(row.key);
        }
        const ListEdit edit = diffLists(shownKeys, wantedKeys);
        for (size_t i = 0; i < edit.removeCount; ++i) {
            delete tree->takeTopLevelItem(int(edit.first));
        }
        m_rows.erase(m_rows.begin() + long(edit.first), m_rows.begin() + long(edit.first + edit.removeCount));
        for (size_t i = 0; i < edit.insertCount; ++i) {
            const Row& row = wanted[edit.first + i];
            auto* item = new QTreeWidgetItem;
            fill(*item, row);
            tree->insertTopLevelItem(int(edit.first + i), item);
            m_rows.insert(m_rows.begin() + long(edit.first + i), row);
        }
        // Rows with the same key may still have new texts or check marks.
        for (size_t i = 0; i < wanted.size(); ++i) {
            if (!(m_rows[i] == wanted[i])) {
                fill(*tree->topLevelItem(int(i)), wanted[i]);
                m_rows[i] = wanted[i];
            }
        }
    }

    void showSelection() {
        auto* tree = static_cast<QTreeWidget*>(m_widget.data());
        const forms::ListItem* selected = m_view.SelectedItem();
        QTreeWidgetItem* item =
            selected && selected->Index() >= 1 ? tree->topLevelItem(selected->Index() - 1) : nullptr;
        if (tree->currentItem() != item) {
            if (item) {
                tree->setCurrentItem(item);
            } else {
                tree->setCurrentItem(nullptr);
                tree->clearSelection();
            }
        }
    }

    forms::ListView& m_view;
    std::vector<Row> m_rows;
    bool m_checkboxesShown = false;
};

} // namespace

std::unique_ptr<ControlView> makeListBoxView(FormWindow& w, forms::ListControl& c) {
    return std::make_unique<ListBoxView>(w, c);
}
std::unique_ptr<ControlView> makeComboView(FormWindow& w, forms::ListControl& c) {
    return std::make_unique<ComboView>(w, c);
}
std::unique_ptr<ControlView> makeListViewView(FormWindow& w, forms::ListView& c) {
    return std::make_unique<ListViewView>(w, c);
}

} // namespace glw::qt
