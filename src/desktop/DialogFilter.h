// File-dialog filters: the forms' "Description|*.a;*.b|..." texts as Qt name filters.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace glw::qt {

// Converts a filter text of description and pattern pairs, all separated by "|", into Qt name filters
// ("Description (*.a *.b)"). "*.*" becomes "*" (names without a dot match too). A description that already
// ends with its own pattern list in brackets is not given a second one. An empty text gives no filters; a
// description without patterns at the end is dropped.
std::vector<std::string> toQtNameFilters(std::string_view vbFilter);

} // namespace glw::qt
