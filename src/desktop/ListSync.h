// The smallest change that turns the entries a widget shows into the runtime's entries, so that filling a
// list of n entries one AddItem at a time costs n widget insertions and not n full refills.
#pragma once

#include <cstddef>
#include <vector>

namespace glw::qt {

// Entries [first, first + removeCount) of the shown list are replaced by [first, first + insertCount) of the
// new one; everything before and after stays.
struct ListEdit {
    size_t first = 0;
    size_t removeCount = 0;
    size_t insertCount = 0;
    bool empty() const { return removeCount == 0 && insertCount == 0; }
};

template <class T> ListEdit diffLists(const std::vector<T>& shown, const std::vector<T>& wanted) {
    ListEdit edit;
    const size_t common = shown.size() < wanted.size() ? shown.size() : wanted.size();
    while (edit.first < common && shown[edit.first] == wanted[edit.first]) {
        ++edit.first;
    }
    size_t tail = 0;
    while (tail < common - edit.first && shown[shown.size() - 1 - tail] == wanted[wanted.size() - 1 - tail]) {
        ++tail;
    }
    edit.removeCount = shown.size() - edit.first - tail;
    edit.insertCount = wanted.size() - edit.first - tail;
    return edit;
}

} // namespace glw::qt
