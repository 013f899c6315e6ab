// The import dialog.
#include "ImportNew.h"

#include "Form1.h"
#include "MainProgram.h"
#include "common/ModText.h"
#include "formats/ImportInfo.h"
#include "forms/Runtime.h"
#include "platform/WinPath.h"
#include "vb/VbFile.h"
#include "vb/VbText.h"

#include <filesystem>
#include <system_error>
#include <vector>

namespace glw::main {

namespace {

constexpr int kPixel = forms::kTwipsPerDesignPixel;

using forms::place;

// A folder of its own under the user's temporary folder, removed with everything in it at the end.
class ScratchFolder {
public:
    ScratchFolder() {
        auto temp = platform::userTempFolder();
        if (!temp) {
            return;
        }
        std::string pattern = platform::toHostPath(*temp) + "/glwimport-XXXXXX";
        std::vector<char> buffer(pattern.begin(), pattern.end());
        buffer.push_back('\0');
        if (::mkdtemp(buffer.data()) != nullptr) {
            m_host = buffer.data();
        }
    }
    ~ScratchFolder() {
        if (!m_host.empty()) {
            std::error_code ignored;
            std::filesystem::remove_all(m_host, ignored);
        }
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    // "" when it could not be made.
    const std::string& host() const { return m_host; }

private:
    std::string m_host;
};

// The first entry with a part of its path that starts with "." (a hidden file or folder: the library's
// listings skip them, so whatever landed there would never be shown), or "".
std::string hiddenEntry(const std::vector<zip::ZipEntryInfo>& entries) {
    for (const auto& entry : entries) {
        const std::string& path = entry.path;
        for (std::size_t start = 0; start < path.size();) {
            if (path[start] == '.') {
                return entry.name;
            }
            const std::size_t slash = path.find('/', start);
            start = slash == std::string::npos ? path.size() : slash + 1;
        }
    }
    return {};
}

} // namespace

ImportNew::ImportNew(MainProgram& owner) : Form(owner.runtime, "ImportNew"), program(owner) {
    Caption = "Import New Libraries";
    Width = 420 * kPixel;
    Height = 300 * kPixel;
    BorderStyle = 3;
    Label1.Caption = "Select A Download File To Import :";
    place(Label1, 12, 12, 380, 18);
    aFileName.Caption = kNoFileSelected;
    place(aFileName, 12, 34, 350, 36);
    Command1.Caption = "...";
    Command1.ToolTipText = "Browse";
    place(Command1, 368, 34, 28, 22);
    place(List1, 12, 78, 384, 120);
    Command6.Caption = "Okay";
    Command6.ToolTipText = "Okay";
    Command6.Style = 1;
    place(Command6, 156, 214, 76, 32);
    Command3.Caption = "Cancel";
    Command3.ToolTipText = "Cancel";
    Command3.Style = 1;
    place(Command3, 238, 214, 76, 32);
    Command10.Caption = "Help";
    Command10.ToolTipText = "Help";
    Command10.Style = 1;
    place(Command10, 320, 214, 76, 32);

    Command1.Click = [this] { Command1_Click(); };
    Command6.Click = [this] { Command6_Click(); };
    Command3.Click = [this] { Command3_Click(); };
    Command10.Click = [this] { Command10_Click(); };
    DoUnzip.ZipEntryEvent = [this](const std::string& name) { DoUnzip_ZipEntryEvent(name); };
}

void ImportNew::Command1_Click() {
    CommonDialog1.InitDir = runtime().App.Path + "\\Imports\\";
    CommonDialog1.Filter = "Glintwave Imports (GWI)|*.gwi";
    CommonDialog1.ShowOpen();
    if (!CommonDialog1.lastOk() || CommonDialog1.FileName().empty()) {
        return;
    }
    PackagePath = CommonDialog1.FileName();
    aFileName.Caption = platform::toDisplayPath(PackagePath);
    DoUnzip.ZipFile = platform::toHostPath(PackagePath);
}

void ImportNew::Command6_Click() {
    auto& rt = runtime();
    vb::ResumeNext step(rt.errorLog(), "ImportNew.Command6_Click");
    List1.Clear();
    const std::string package = PackagePath;
    if (package.empty()) {
        return;
    }
    MousePointer = forms::vbHourglass;

    const std::string appPath = rt.App.Path;
    const std::string info = appPath + "\\CLTemplates\\impinfo.dat";
    auto report = [&](const char* pass, const Error& error) {
        rt.logError("ImportNew.Command6_Click", vb::ErrPathFileAccess, std::string(pass) + ": " + error.detail);
    };

    // First pass: the package's .dat entries, for impinfo.dat. They are unpacked aside, never into the
    // library: the .dat entries of sub-folders would make categories even of a package that is refused.
    DoUnzip.ZipFile = platform::toHostPath(package);
    DoUnzip.MaxEntrySize = kMaxImportEntryBytes;
    step([&] { vb::Kill(info); });
    const ScratchFolder scratch;
    DoUnzip.ZipOption1000 = true;
    DoUnzip.ExtractFolder = scratch.host();
    DoUnzip.FileMask = "*.dat";
    DoUnzip.Password = kImportPassword;
    auto prepared = DoUnzip.ZipPrepare();
    if (scratch.host().empty()) {
        report("first pass", Error{ErrorCode::Io, 0, "no temporary folder to unpack into", 0});
    } else if (prepared) {
        if (auto first = DoUnzip.ZipExtract(); !first) {
            report("first pass", first.error());
        }
    } else {
        report("first pass", prepared.error());
    }

    formats::ImportInfo packageInfo;
    step([&] {
        packageInfo =
            formats::readImportInfo(vb::readAllBytes(platform::toSystemPath(scratch.host() + "/impinfo.dat")));
    });
    const std::string& category = packageInfo.category;
    const std::string& description = packageInfo.description;

    // Second pass: everything into the category's folder. Each pass writes all of its entries or none.
    bool done = false;
    bool failed = false;
    for (const auto& row : ImportCategoryTable) {
        if (!vb::EqualsText(row.category, category)) {
            continue;
        }
        DoUnzip.ZipFile = platform::toHostPath(package);
        DoUnzip.ExtractFolder = platform::toHostPath(appPath + "\\" + row.folder);
        DoUnzip.ZipOption1004 = true;
        DoUnzip.FileMask = "*.*";
        DoUnzip.Password = kImportPassword;
        auto again = DoUnzip.ZipPrepare();
        step([&] { vb::Kill(info); });
        if (again) {
            if (const std::string hidden = hiddenEntry(*again); !hidden.empty()) {
                again = Error{ErrorCode::Unsafe, 0, hidden + ": a hidden name, which no listing shows", 0};
            }
        }
        auto extracted = again ? DoUnzip.ZipExtract() : Result<std::size_t>(again.error());
        if (extracted) {
            done = true;
        } else {
            failed = true;
            report("second pass", extracted.error());
        }
    }

    MousePointer = forms::vbDefault;
    if (done && !failed) {
        program.MsgBoxEx("Files Imported Successfully! \n\n" + description, common::msgOk, "Glintwave SE");
    } else {
        program.MsgBoxEx("Import Error. Selected file may be missing critical GLW data. ", common::msgOk,
                         "Glintwave SE");
    }
}

void ImportNew::Command3_Click() {
    Unload();
}

void ImportNew::Command10_Click() {
    program.form1().CallHelp();
}

void ImportNew::DoUnzip_ZipEntryEvent(const std::string& name) {
    if (vb::LCase(name).find(".swf") != std::string::npos) {
        List1.AddItem(name);
    }
}

} // namespace glw::main
