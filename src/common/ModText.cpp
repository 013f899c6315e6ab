// Text, file, shell, font and placement helpers.
#include "ModText.h"

#include "base/FileIo.h"
#include "platform/WinPath.h"
#include "vb/VbFile.h"
#include "vb/VbText.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace glw::common {

std::string GetBetween(const std::string& text, const std::string& startTag, const std::string& endTag) {
    return vb::textBetween(text, startTag, endTag);
}

std::string ReplaceText(const std::string& source, const std::string& find, const std::string& replaceWith) {
    if (find.empty()) {
        return source;
    }
    std::string result;
    long p = 1;
    for (;;) {
        const long q = vb::InStr(p, source, find, vb::vbTextCompare);
        if (q == 0) {
            result += source.substr(size_t(p - 1));
            return result;
        }
        result += source.substr(size_t(p - 1), size_t(q - p));
        result += replaceWith;
        p = q + long(find.size());
    }
}

bool IsAlphaNumeric(const std::string& text) {
    if (text.empty()) {
        return false;
    }
    for (unsigned char c : text) {
        if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))) {
            return false;
        }
    }
    return true;
}

namespace {

// Opens a system path for reading as the original's Open ... For Input did: 0 when it opened, else the
// run-time error number the opening raises (53 missing, 76 folder missing, 75 a folder or refused).
int tryOpenForInput(const std::string& fileName) {
    const std::string host = platform::toHostPath(fileName);
    if (host.empty() || fileName.empty()) {
        return vb::ErrFileNotFound;
    }
    struct stat st {};
    if (::stat(host.c_str(), &st) != 0) {
        return errno == ENOENT ? vb::ErrFileNotFound : vb::ErrPathFileAccess;
    }
    if (S_ISDIR(st.st_mode)) {
        return vb::ErrPathFileAccess;
    }
    const base::UniqueFd fd(::open(host.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd.valid()) {
        return errno == EACCES ? vb::ErrPermissionDenied : vb::ErrPathFileAccess;
    }
    return 0;
}

} // namespace

bool FileExists(const std::string& fileName) {
    return tryOpenForInput(fileName) == 0;
}

bool FileExistsStrict(const std::string& fileName) {
    const int error = tryOpenForInput(fileName);
    if (error == 0) {
        return true;
    }
    if (error == vb::ErrFileNotFound) {
        return false;
    }
    vb::raise(error, vb::errorDescription(error));
}

std::string ReadFileText(const std::string& fileName) {
    if (!FileExists(fileName)) {
        return "";
    }
    try {
        return vb::readAllBytes(fileName);
    } catch (const vb::RuntimeError&) {
        return "";
    }
}

long ShellOpen(forms::Runtime& runtime, const std::string& target) {
    return runtime.ShellOpen(target);
}

void CenterForm(forms::Form& frm) {
    const auto& screen = frm.runtime().Screen;
    frm.Left = (screen.Width - frm.Width) / 2;
    frm.Top = (screen.Height - frm.Height) / 2;
}

void ModText::LoadScreenFonts() {
    FontNames = m_runtime.ScreenFonts();
}

bool ModText::IsBadFont(const std::string& fontName) {
    bool bad = false;
    vb::ResumeNext step;
    step([&] {
        const std::string list = ReadFileText(m_runtime.App.Path + "\\resource\\badfont.txt");
        if (list.empty()) {
            return;
        }
        const std::string name = vb::UCase(fontName);
        size_t start = 0;
        for (;;) {
            const size_t comma = list.find(',', start);
            const std::string fragment =
                list.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
            if (vb::InStr(1, name, vb::UCase(fragment), vb::vbTextCompare) > 0) {
                bad = true;
            }
            if (comma == std::string::npos) {
                break;
            }
            start = comma + 1;
        }
    });
    return bad;
}

void ModText::FillFontList(forms::ListControl& targetList) {
    for (const auto& name : FontNames) {
        if (!IsBadFont(name)) {
            targetList.AddItem(name);
        }
    }
}

} // namespace glw::common
