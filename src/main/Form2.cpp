// The import-package maker.
#include "Form2.h"

#include "AModuleProcedures.h"
#include "Form1.h"
#include "ImportNew.h"
#include "LibraryNames.h"
#include "MainProgram.h"
#include "common/ModText.h"
#include "formats/ImportInfo.h"
#include "forms/Runtime.h"
#include "platform/WinPath.h"
#include "vb/VbFile.h"

#include <filesystem>

namespace glw::main {

namespace {

constexpr int kPixel = forms::kTwipsPerDesignPixel;

using forms::place;

void pictureButton(forms::CommandButton& button, const char* caption, const char* tip) {
    button.Caption = caption;
    button.ToolTipText = tip;
    button.Style = 1;
}

} // namespace

Form2::Form2(MainProgram& owner) : Form(owner.runtime, "Form2"), program(owner) {
    Caption = "Import Maker (for Flash Developers)";
    Width = 560 * kPixel;
    Height = 420 * kPixel;
    BorderStyle = 3;
    lblCategory.Caption = "Category Name :";
    place(lblCategory, 12, 14, 130, 18);
    place(Text2, 146, 12, 200, 22);
    lblDesc.Caption = "Import Description :";
    place(lblDesc, 12, 42, 130, 18);
    place(txtDesc, 146, 40, 392, 22);
    lblFiles.Caption = "GLW Clipart SWF Files :";
    place(lblFiles, 12, 72, 200, 18);
    place(List1, 12, 94, 290, 220);
    place(FlashDemo, 314, 94, 224, 220);
    pictureButton(Command10, "Add", "Add SWF File To Clipart Collection");
    place(Command10, 12, 320, 70, 28);
    pictureButton(Command12, "Delete", "Delete Selected Button");
    place(Command12, 88, 320, 70, 28);
    pictureButton(Command1, "Template", "Launch Flash Button Template (Requires Flash MX or Greater)");
    place(Command1, 164, 320, 90, 28);
    pictureButton(Command20, "Okay", "Okay");
    place(Command20, 302, 356, 76, 32);
    pictureButton(Command3, "Cancel", "Cancel");
    place(Command3, 384, 356, 76, 32);
    pictureButton(Command5, "Help", "Help");
    place(Command5, 466, 356, 76, 32);

    Command10.Click = [this] { Command10_Click(); };
    Command12.Click = [this] { Command12_Click(); };
    List1.Click = [this] { List1_Click(); };
    Command20.Click = [this] { Command20_Click(); };
    Command3.Click = [this] { Command3_Click(); };
    Command5.Click = [this] { Command5_Click(); };
    Command1.Click = [this] { Command1_Click(); };
}

void Form2::Form_Load() {
    LastFolder = "";
    auto& cats = program.form1().Cats;
    Text2.Text = cats.List(cats.ListIndex);
}

void Form2::Command10_Click() {
    auto& rt = runtime();
    vb::ResumeNext step(rt.errorLog(), "Form2.Command10_Click");
    if (LastFolder.empty()) {
        LastFolder = rt.App.Path;
    }
    CDL1.DialogTitle = "Please select an SWF file to add to import :";
    CDL1.Filter = "SWF Files|*.swf";
    CDL1.InitDir = LastFolder;
    step([&] { CDL1.ShowOpen(); });
    if (!CDL1.lastOk() || CDL1.FileName().empty()) {
        return;
    }
    MousePointer = forms::vbHourglass;
    const std::string chosen = CDL1.FileName();
    LastFolder = platform::splitSystemPath(chosen).first;
    List1.AddItem(platform::toDisplayPath(chosen));
    MousePointer = forms::vbDefault;
    step([&] { List1.ListIndex = List1.ListCount() - 1; });
}

void Form2::Command12_Click() {
    if (List1.ListIndex >= 0) {
        List1.RemoveItem(List1.ListIndex);
    }
}

void Form2::List1_Click() {
    vb::ResumeNext step(runtime().errorLog(), "Form2.List1_Click");
    if (List1.ListIndex < 0) {
        return;
    }
    step([&] { FlashDemo.Movie = movieAt(List1.ListIndex) + "?DEV=10"; });
    step([&] { FlashDemo.FlashVars = "DEV=10"; });
}

std::string Form2::movieAt(int index) const {
    return platform::fromDisplayPath(List1.List(index));
}

void Form2::clearStaging() {
    const std::string staging = platform::toHostPath(runtime().App.Path + "\\Working\\NewImport");
    std::error_code ec;
    if (staging.empty() || !std::filesystem::is_directory(staging, ec)) {
        return;
    }
    // remove_all takes links away without following them, so nothing outside the folder is touched.
    for (std::filesystem::directory_iterator it(staging, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code ignored;
        std::filesystem::remove_all(it->path(), ignored);
    }
}

void Form2::Command20_Click() {
    auto& rt = runtime();
    vb::ResumeNext step(rt.errorLog(), "Form2.Command20_Click");
    const std::string category = Text2.Text;
    if (category.empty()) {
        program.MsgBoxEx("No category specified. You must specify a category for the import to be placed in.",
                         common::msgOk, "Error.");
        return;
    }
    // The category becomes a folder of the staging folder and of every library that imports the package.
    if (!isSafeLibraryName(category)) {
        program.MsgBoxEx(unsafeNameMessage("category name"), common::msgOk, "Error.");
        return;
    }
    if (List1.ListCount() == 0) {
        program.MsgBoxEx("No buttons to add. You must add at least one GLW compatible SWF button.", common::msgOk,
                         "Error.");
        return;
    }
    // Every package names the category clipart: the import unpacks it into the library's own folder, where
    // the package's folder becomes the new category. The description shares that one line, so one that would
    // be read back cut short is refused before anything is written.
    const auto info = formats::writeImportInfo({.category = "clipart", .description = txtDesc.Text()});
    if (!info) {
        program.MsgBoxEx(info.error().detail, common::msgOk, "Error.");
        return;
    }

    CDL1.DialogTitle = "Import file to save to (if existing it will be overwritten) :";
    CDL1.Filter = "GWI Import Files|*.gwi";
    CDL1.FileName = "";
    CDL1.InitDir = LastFolder.empty() ? rt.App.Path : LastFolder;
    step([&] { CDL1.ShowSave(); });
    if (!CDL1.lastOk() || CDL1.FileName().empty()) {
        return;
    }
    const std::string packagePath = CDL1.FileName();

    // An existing package is not deleted here: the new one replaces it only once it is complete.
    MousePointer = forms::vbHourglass;
    const std::string staging = rt.App.Path + "\\Working\\NewImport";
    const std::string folder = staging + "\\" + category;
    struct PointerBack {
        Form2& form;
        ~PointerBack() { form.MousePointer = forms::vbDefault; }
    } pointerBack{*this};
    auto fail = [&](const std::string& message) {
        clearStaging();
        program.MsgBoxEx(message, common::msgOk, "Error.");
    };

    step([&] { vb::MkDir(rt.App.Path + "\\Working"); });
    step([&] { vb::MkDir(staging); });
    // Left-overs of an earlier build, of whatever category, must not travel in this package.
    clearStaging();
    step.clear();
    step([&] { vb::MkDir(folder); });
    if (step.failed()) {
        fail("The folder " + platform::toDisplayPath(folder) + " could not be created.  " + step.errDescription());
        return;
    }

    for (int i = 0; i < List1.ListCount(); ++i) {
        const std::string source = movieAt(i);
        std::string failure;
        if (!APICopy(source, folder + "\\" + FileNameFromPath(source), failure)) {
            fail("An error occured copying the file " + platform::toDisplayPath(source) + ".  " + failure);
            return;
        }
    }

    step([&] { vb::Kill(folder + "\\impinfo.dat"); });
    step.clear();
    step([&] { vb::writeAllBytes(staging + "\\impinfo.dat", *info); });
    if (step.failed()) {
        fail("The file impinfo.dat could not be written.  " + step.errDescription());
        return;
    }

    Zipper.ZipFile = platform::toHostPath(packagePath);
    Zipper.SourceFolder = platform::toHostPath(staging + "\\");
    Zipper.ZipOption1004 = true;
    Zipper.FileMask = "*.*";
    Zipper.Password = kImportPassword;
    auto made = Zipper.ZipCreate();

    clearStaging();
    if (!made) {
        program.MsgBoxEx("Import file not created.  " + made.error().detail, common::msgOk, "Error.");
        return;
    }
    List1.Clear();
    program.MsgBoxEx("Import File Created.  It is recommended to test imports prior to distribution.", common::msgOk,
                     "Complete!");
    Unload();
}

void Form2::Command3_Click() {
    Unload();
}

void Form2::Command5_Click() {
    program.form1().CallHelp();
}

void Form2::Command1_Click() {
    vb::ResumeNext step(runtime().errorLog(), "Form2.Command1_Click");
    step([&] { common::ShellOpen(runtime(), runtime().App.Path + "\\CLTemplates\\glwclipartsample.fla"); });
}

} // namespace glw::main
