// Drive, folder and file lists.
#include "FileLists.h"

#include "platform/WinPath.h"
#include "vb/VbError.h"
#include "vb/VbFile.h"

#include <filesystem>

namespace glw::forms {

namespace {

std::string normalizeFolder(std::string path) {
    while (path.size() > 3 && platform::isSystemSeparator(path.back())) {
        path.pop_back();
    }
    if (path.size() == 2 && path[1] == ':') {
        path += '\\';
    }
    return path;
}

bool isFolder(const std::string& systemPath) {
    std::error_code ec;
    const std::string host = platform::toHostPath(systemPath);
    return !host.empty() && std::filesystem::is_directory(host, ec);
}

// The Path setter of the folder and file lists: an existing folder is stored and listed, and `moved` is raised
// when Path changed; a missing one is run-time error 76 and leaves Path and the list as they were.
template <class List> void setListPath(List& list, Property<std::string>& path, std::string value, Event<>& moved) {
    value = normalizeFolder(value);
    if (!isFolder(value)) {
        vb::raise(vb::ErrPathNotFound, "Path not found");
    }
    const bool changed = path.store(value);
    list.Refresh();
    if (changed) {
        moved.raise();
    }
}

} // namespace

DriveListBox::DriveListBox(Form& form, std::string name, int index)
    : ListControl(form, ControlKind::DriveListBox, std::move(name), index),
      Drive(*this, PropertyId::Drive, "c:", [this](Property<std::string>& p, std::string value) {
          if (value.empty() || std::tolower(static_cast<unsigned char>(value[0])) != 'c') {
              vb::raise(68, "Device unavailable");
          }
          if (p.store("c:")) {
              Change.raise();
          }
      }) {
    AddItem("c:");
    ListIndex.store(0);
}

DirListBox::DirListBox(Form& form, std::string name, int index)
    : ListControl(form, ControlKind::DirListBox, std::move(name), index),
      Path(*this, PropertyId::Path, platform::currentSystemFolder(),
           [this](Property<std::string>& p, std::string value) { setListPath(*this, p, std::move(value), Change); }) {
    Refresh();
}

void DirListBox::Refresh() {
    Clear();
    for (const auto& name : vb::DirList(platform::joinSystemPath(Path(), ""), vb::vbDirectory)) {
        if (name == "." || name == "..") {
            continue;
        }
        const std::string full = platform::joinSystemPath(Path(), name);
        if (isFolder(full)) {
            AddItem(full);
        }
    }
}

std::vector<std::string> DirListBox::openFolders() const {
    std::vector<std::string> chain;
    std::string path = Path;
    while (!path.empty()) {
        chain.push_back(path);
        const std::string parent = normalizeFolder(platform::splitSystemPath(path).first);
        if (parent.size() >= path.size()) {
            break; // the root
        }
        path = parent;
    }
    return {chain.rbegin(), chain.rend()};
}

void DirListBox::userOpen(int index) {
    if (index >= 0) {
        Path = folder(index);
        return;
    }
    const std::vector<std::string> open = openFolders();
    if (index < -int(open.size())) {
        vb::raise(vb::ErrInvalidCall, "Invalid procedure call or argument");
    }
    Path = open[open.size() + index];
}

FileListBox::FileListBox(Form& form, std::string name, int index)
    : ListControl(form, ControlKind::FileListBox, std::move(name), index),
      Path(
          *this, PropertyId::Path, platform::currentSystemFolder(),
          [this](Property<std::string>& p, std::string value) { setListPath(*this, p, std::move(value), PathChange); }),
      Pattern(*this, PropertyId::Pattern, "*.*", [this](Property<std::string>& p, std::string value) {
          const bool changed = p.store(value);
          Refresh();
          if (changed) {
              PatternChange.raise();
          }
      }) {}

void FileListBox::Refresh() {
    Clear();
    std::vector<std::string> names;
    // Without vbDirectory the listing holds files only: each entry was looked at once, by the listing.
    const int attributes = Hidden ? vb::vbHidden : vb::vbNormal;
    for (const auto& name : vb::DirList(platform::joinSystemPath(Path(), ""), attributes)) {
        const std::string& patterns = Pattern;
        size_t start = 0;
        for (;;) {
            const size_t semi = patterns.find(';', start);
            const std::string one =
                patterns.substr(start, semi == std::string::npos ? std::string::npos : semi - start);
            if (!one.empty() && vb::matchesFilePattern(name, one)) {
                names.push_back(name);
                break;
            }
            if (semi == std::string::npos) {
                break;
            }
            start = semi + 1;
        }
    }
    for (const auto& name : names) {
        AddItem(name);
    }
}

} // namespace glw::forms
