// The main window's clip library: browse sources, category, drive and folder lists, the pages of twelve
// thumbnails with the selection, the browser-cache list, saving into a category, new categories, deleting,
// and the buttons of the import dialog and the import-package maker.
#include "AModuleProcedures.h"
#include "Form1.h"
#include "Form2.h"
#include "ImportNew.h"
#include "LibraryNames.h"
#include "MainProgram.h"
#include "base/Ascii.h"
#include "base/FileIo.h"
#include "forms/Runtime.h"
#include "platform/WinPath.h"
#include "vb/VbFile.h"
#include "vb/VbText.h"

#include <cmath>

namespace glw::main {

namespace {

constexpr int kCellsPerPage = 12;

using forms::place;
using forms::placeInside;

// The last page of a listing of `count` entries: -1 for none, 0 for 1 to 12, 1 for 13 to 24 ...
int lastPageFor(int count) {
    return (count + kCellsPerPage - 1) / kCellsPerPage - 1;
}

// Fills lstFlashFiles with prefix & "\" & name for every file of `folder` that File1's pattern matches. A
// folder that cannot be listed (gone, no access) gives an empty listing: File1 keeps no files of the folder
// shown before.
void listFolderFiles(Form1& form, const std::string& folder, const std::string& prefix) {
    bool listed = true;
    try {
        form.File1.Path = folder; // lists the folder, also when it is the one listed before
    } catch (const vb::RuntimeError& e) {
        listed = false;
        form.runtime().logError("Form1.File1", e.Number(), e.Description());
    }
    form.lstFlashFiles.Clear();
    if (!listed) {
        return;
    }
    for (int i = 0; i < form.File1.ListCount(); ++i) {
        form.lstFlashFiles.AddItem(prefix + "\\" + form.File1.List(i));
    }
}

// Whether a system path lies inside the folder (both compared without regard to case, as the paths name
// the same files either way).
bool isInside(const std::string& path, const std::string& folder) {
    const std::string prefix = folder + "\\";
    if (path.size() <= prefix.size() || !base::iequals(path.substr(0, prefix.size()), prefix)) {
        return false;
    }
    std::size_t start = prefix.size();
    while (start <= path.size()) {
        std::size_t end = path.find_first_of("\\/", start);
        if (end == std::string::npos) {
            end = path.size();
        }
        if (path.compare(start, end - start, "..") == 0) {
            return false;
        }
        start = end + 1;
    }
    return true;
}

} // namespace

void Form1::layOutLibrary() {
    // The browse panels: one shown at a time, in the same place, each with its title movie.
    forms::Frame* panels[3] = {&frmCats, &frmFiles, &frmCache};
    const char* panelCaptions[3] = {"  Category", "  Folder to browse", "  Cache"};
    for (int i = 0; i < 3; ++i) {
        panels[i]->Caption = panelCaptions[i];
        place(*panels[i], 8, 160, 220, 300);
        placeInside(TitleBar[i], *panels[i], 0, 0, 200, 20);
        placeInside(Extend1[i], *panels[i], 200, 0, 20, 20);
        TitleBar[i].Visible = true;
        Extend1[i].Visible = true;
    }
    placeInside(Cats, frmCats, 0, 22, 220, 278);
    placeInside(Drive1, frmFiles, 0, 22, 220, 22);
    placeInside(Dir1, frmFiles, 0, 48, 220, 140);
    placeInside(File1, frmFiles, 0, 192, 220, 108);
    File1.Pattern = "*.swf";
    placeInside(lblCacheNote, frmCache, 6, 28, 208, 120);
    lblCacheNote.Caption = "There are no specific setting or options for IE Cache entries.  Be aware that some items "
                           "in cache may have links or automatically launch browser windows when selected.";
    placeInside(lstcache, frmCache, 0, 150, 220, 150);
    lstcache.Visible = false;
    frmFiles.Visible = false;
    frmCache.Visible = false;

    // Library buttons under the panels.
    btFavourite.Caption = "Save SWF To Clipart";
    place(btFavourite, 8, 466, 220, 24);
    Command7.Caption = "Remove Selected";
    place(Command7, 8, 494, 220, 24);
    Command15.Caption = "Import New Libraries";
    place(Command15, 8, 522, 220, 24);
    Command27.Caption = "Create An Import Library";
    place(Command27, 8, 550, 220, 24);

    // The page of cells: three rows of four, the marker under the selected one, the page bar below.
    frmSelect.Caption = "  Available Files";
    place(frmSelect, 236, 46, 480, 400);
    for (int i = 0; i < kCellsPerPage; ++i) {
        placeInside(FSel.add(i), frmSelect, 4 + (i % 4) * 119, 20 + (i / 4) * 126, 116, 116);
    }
    placeInside(Picture2, frmSelect, 4, 132, 116, 4);
    Picture2.BackColor = forms::rgb(0, 0, 160);
    place(scrTemplates, 236, 450, 480, 18);
    scrTemplates.Min = 0;
    scrTemplates.Max = 0;
    lstFlashFiles.Visible = false;
    place(lstFlashFiles, 236, 450, 480, 18);
    lblEWidth.Caption = "Width :";
    place(lblEWidth, 236, 478, 48, 18);
    place(EWidth, 286, 476, 60, 22);
    lblEHeight.Caption = "Height :";
    place(lblEHeight, 356, 478, 48, 18);
    place(EHeight, 406, 476, 60, 22);

    Frame2.Caption = "Loading Cache Entries.";
    place(Frame2, 356, 200, 240, 60);
    Frame2.Visible = false;

    // The save panel over the page; its category list offers existing categories only.
    place(Picture3, 356, 140, 240, 164);
    Picture3.Visible = false;
    placeInside(lblSaveTitle, Picture3, 0, 0, 240, 20);
    lblSaveTitle.Caption = "  Save to clipart";
    placeInside(lblSaveAs, Picture3, 8, 30, 80, 18);
    lblSaveAs.Caption = "File Name :";
    placeInside(txtSaveAs, Picture3, 90, 28, 142, 22);
    placeInside(lblSaveCategory, Picture3, 8, 58, 80, 18);
    lblSaveCategory.Caption = "Category :";
    placeInside(CatsSave, Picture3, 90, 56, 142, 22);
    CatsSave.Style = forms::vbComboDropdownList;
    Command2.Caption = "Okay";
    placeInside(Command2, Picture3, 8, 92, 110, 26);
    Command4.Caption = "Cancel";
    placeInside(Command4, Picture3, 122, 92, 110, 26);
    Command5.Caption = "Create New Category";
    placeInside(Command5, Picture3, 8, 126, 224, 26);
}

void Form1::bindLibraryEvents() {
    Drive1.Change = [this] { Drive1_Change(); };
    Dir1.Change = [this] { Dir1_Change(); };
    scrTemplates.Change = [this] { scrTemplates_Change(); };
    FSel.on(static_cast<forms::Event<> ThumbnailCell::*>(&forms::Control::GotFocus),
            [this](int Index) { FSel_GotFocus(Index); });
    btFavourite.Click = [this] { btFavourite_Click(); };
    Command2.Click = [this] { Command2_Click(); };
    Command4.Click = [this] { Command4_Click(); };
    Command5.Click = [this] { Command5_Click(); };
    Command7.Click = [this] { Command7_Click(); };
    Command15.Click = [this] { Command15_Click(); };
    Command27.Click = [this] { Command27_Click(); };
}

std::string Form1::blankMovie() const {
    return runtime().App.Path + "\\blank.swf";
}

bool Form1::cellHoldsClip(int index) const {
    // Only the empty movie itself counts as an empty cell: a clip may well have "blank.swf" in its name.
    if (index < 0 || index >= kCellsPerPage) {
        return false;
    }
    const std::string& clip = cellClips[std::size_t(index)];
    return !clip.empty() && !base::iequals(clip, blankMovie());
}

void Form1::chkBrowseWhat_Click(int Index) {
    auto& rt = runtime();
    frmFiles.Visible = false;
    frmCache.Visible = false;
    frmSelect.Visible = true;
    btFavourite.Enabled = true;
    FlashDemo.Movie = blankMovie();
    FlashDemo.Visible = false;
    Command1.Enabled = true;
    lstFlashFiles.Clear();
    BrowseSource = Index;
    frmCats.Visible = false;

    switch (Index) {
    case 0:
        frmCats.Visible = true;
        File1.Pattern = "*.swf";
        // The first category is listed again even when it was selected already; without any category the
        // page is emptied, never left showing the other source's clips.
        if (Cats.ListCount() == 0) {
            scrTemplates.Max = lastPageFor(0);
            scrTemplates_Change();
        } else if (Cats.ListIndex == 0) {
            Cats_Click();
        } else {
            Cats.ListIndex = 0;
        }
        break;
    case 1:
        frmFiles.Visible = true;
        File1.Pattern = "*.swf";
        Dir1_Change();
        break;
    case 2:
        if (!CacheLoaded) {
            Frame2.Visible = true;
            rt.DoEvents();
            rt.DoEvents();
            FillCacheList();
            CacheLoaded = true;
            Frame2.Visible = false;
        }
        frmCache.Visible = true;
        lstFlashFiles.Clear();
        for (int i = 0; i < lstcache.ListCount(); ++i) {
            lstFlashFiles.AddItem(lstcache.List(i));
            rt.DoEvents();
        }
        rt.DoEvents();
        scrTemplates.Min = 0;
        scrTemplates.Max = lastPageFor(lstFlashFiles.ListCount());
        scrTemplates_Change();
        FSel[0].SetFocus();
        break;
    default:
        break;
    }
}

void Form1::Cats_Click() {
    auto& rt = runtime();
    vb::ResumeNext step(rt.errorLog(), "Form1.Cats_Click");
    const std::string folder = rt.App.Path + "\\CLTemplates\\" + Cats.List(Cats.ListIndex);
    step([&] { listFolderFiles(*this, folder, folder); });
    rt.DoEvents();
    step([&] { scrTemplates.Max = lastPageFor(lstFlashFiles.ListCount()); });
    step([&] { scrTemplates_Change(); });
}

void Form1::Drive1_Change() {
    vb::ResumeNext step(runtime().errorLog(), "Form1.Drive1_Change");
    step([&] { Dir1.Path = Drive1.Drive(); }); // a drive that is not ready leaves the folder list as it was
}

void Form1::Dir1_Change() {
    const std::string folder = Dir1.Path;
    listFolderFiles(*this, folder, folder);
    runtime().DoEvents();
    scrTemplates.Max = lastPageFor(lstFlashFiles.ListCount());
    scrTemplates_Change();
}

void Form1::scrTemplates_Change() {
    if (showingPage) {
        pageOvertaken = true;
        return;
    }
    auto& rt = runtime();
    vb::ResumeNext step(rt.errorLog(), "Form1.scrTemplates_Change");
    struct Showing {
        Form1& form;
        explicit Showing(Form1& f) : form(f) { form.showingPage = true; }
        ~Showing() { form.showingPage = false; }
        Showing(const Showing&) = delete;
        Showing& operator=(const Showing&) = delete;
    } showing(*this);
    // A thumbnail cell that keeps the focus across pages would gain none from the next click on it, and a
    // click must select what it clicks: the bar takes the focus, as it does when the user clicks it.
    for (int i = 0; i < kCellsPerPage; ++i) {
        if (FSel[i].hasFocus()) {
            step([&] { scrTemplates.SetFocus(); });
            break;
        }
    }
    const std::string blank = blankMovie();
    auto pump = [&] {
        rt.DoEvents();
        rt.DoEvents();
        return !pageOvertaken;
    };
    do {
        pageOvertaken = false;
        const int first = scrTemplates.Value * kCellsPerPage;
        for (int i = 0; i < kCellsPerPage; ++i) {
            cellClips[i].clear();
            step([&] { FSel[i].Movie = blank; });
            step([&] { FSel[i].BGColor = "#FFFFFF"; });
            if (!pump()) {
                break;
            }
            step([&] { FSel[i].ScaleMode = 0; });
            if (first + i >= 0 && first + i < lstFlashFiles.ListCount()) {
                step([&] {
                    cellClips[i] = lstFlashFiles.List(first + i);
                    FSel[i].Movie = cellClips[i];
                });
                if (!pump()) {
                    break;
                }
            }
        }
        if (!pageOvertaken) {
            SelectedCell = 0;
            FSel_GotFocus(0);
        }
    } while (pageOvertaken);
}

void Form1::FSel_GotFocus(int Index) {
    auto& rt = runtime();
    vb::ResumeNext step(rt.errorLog(), "Form1.FSel_GotFocus");
    // The size boxes belong to the current clip: the editor rebuilds it and the export writes it at that
    // size, so an empty cell (the empty movie's 550 x 400) must not put its size there.
    if (!cellHoldsClip(Index)) {
        return;
    }
    ElementsScanned = false;
    ElementIndex = 0;
    CurrentClip = cellClips[std::size_t(Index)];
    step([&] {
        auto& cell = FSel[Index];
        Picture2.Top = cell.Top + cell.Height - Picture2.Height;
        Picture2.Left = cell.Left;
    });
    step([&] { EWidth.Text = std::to_string(long(std::floor(vb::Val(FSel[Index].TGetProperty("/", 8))))); });
    step([&] { EHeight.Text = std::to_string(long(std::floor(vb::Val(FSel[Index].TGetProperty("/", 9))))); });
    rt.DoEvents();
    SelectedCell = Index;
}

void Form1::FillCacheList() {
    MousePointer = forms::vbHourglass;
    auto isMovie = [](const std::string& name) { return vb::UCase(vb::Right(name, 4)) == ".SWF"; };
    if (auto cache = runtime().services().cache) {
        // The first entry counts on its name alone; later ones must also be ordinary cached files.
        if (cache->firstEntry()) {
            if (isMovie(cache->current().localFileName)) {
                lstcache.AddItem(cache->current().localFileName);
            }
            while (cache->nextEntry()) {
                if (!(cache->current().entryType & platform::kNormalCacheEntry)) {
                    continue;
                }
                if (isMovie(cache->current().localFileName)) {
                    lstcache.AddItem(cache->current().localFileName);
                }
            }
        }
        cache->close();
    }
    MousePointer = forms::vbArrow;
}

void Form1::btFavourite_Click() {
    if (!cellHoldsClip(SelectedCell)) {
        return;
    }
    txtSaveAs.Text = lastCharacters(FileNameFromPath(cellClips[std::size_t(SelectedCell)]), kSaveNameCharacters);
    Picture3.Visible = true;
}

void Form1::Command2_Click() {
    auto& rt = runtime();
    const SaveName saveName = applySaveNameRules(txtSaveAs.Text);
    txtSaveAs.Text = saveName.name;
    if (saveName.verdict == SaveName::Verdict::Refused) {
        program.MsgBoxEx(badFileNameMessage(), common::msgOk, "Glintwave SE");
        return;
    }
    if (saveName.verdict == SaveName::Verdict::TooLong) {
        program.MsgBoxEx("File name is to long.  Filenames should be kept to 8.3 format to ensure server "
                         "compatibility.",
                         common::msgOk, "Glintwave SE");
        return;
    }
    if (!cellHoldsClip(SelectedCell)) {
        Picture3.Visible = false;
        return;
    }
    const std::string category = CatsSave.List(CatsSave.ListIndex);
    if (category.empty()) {
        // Without a category the clip would land in the library's root, where no listing shows it.
        program.MsgBoxEx("There is no category to save into.  Create a new category first.", common::msgOk,
                         "Glintwave SE");
        return;
    }
    const std::string source = cellClips[std::size_t(SelectedCell)];
    std::string failure;
    if (!APICopy(source, rt.App.Path + "\\CLTemplates\\" + category + "\\" + saveName.name, failure)) {
        program.MsgBoxEx("An error occured copying the file " + platform::toDisplayPath(source) + ".  " + failure,
                         common::msgOk, "Glintwave SE");
        return;
    }
    Picture3.Visible = false;
}

void Form1::Command4_Click() {
    Picture3.Visible = false;
}

void Form1::Command5_Click() {
    auto& rt = runtime();
    vb::ResumeNext step(rt.errorLog(), "Form1.Command5_Click");
    const std::string name = program.InputBoxEx("Name of new category :", "Glintwave SE", "");
    if (name.empty() || name == common::kHaveCancelled) {
        return;
    }
    // The name becomes a folder of the library: it may name one folder there and nothing else.
    if (!isSafeLibraryName(name)) {
        program.MsgBoxEx(unsafeNameMessage("category name"), common::msgOk, "Glintwave SE");
        return;
    }
    step.clear();
    step([&] { vb::MkDir(rt.App.Path + "\\CLTemplates\\" + name); });
    if (!step.failed()) {
        Cats.AddItem(name);
        CatsSave.AddItem(name);
        step([&] { CatsSave.ListIndex = CatsSave.ListCount() - 1; });
    } else {
        program.MsgBoxEx("An error occured creating the folder. Category not created.", common::msgOk, "Glintwave SE");
    }
}

void Form1::Command7_Click() {
    auto& rt = runtime();
    vb::ResumeNext step(rt.errorLog(), "Form1.Command7_Click");
    if (BrowseSource != 0 || !cellHoldsClip(SelectedCell)) {
        return;
    }
    const std::string clip = cellClips[std::size_t(SelectedCell)];
    // Only a clip of the library is ever deleted, and only that one file (its name is no pattern).
    if (!isInside(clip, rt.App.Path + "\\CLTemplates")) {
        return;
    }
    if (program.MsgBoxEx("Are you sure you wish to delete the selected clipart?", common::msgYesNoCancel,
                         "Glintwave SE") != common::answerYes) {
        return;
    }
    step([&] {
        if (!base::removePlainFile(platform::toHostPath(clip))) {
            vb::raise(vb::ErrPathFileAccess, "Path/File access error: " + platform::toDisplayPath(clip));
        }
    });
    Cats_Click();
}

void Form1::Command15_Click() {
    {
        // The pop-up opens over the button that opened it, as the program's other pop-ups do.
        ImportNew dialog(program);
        PlaceFormAboveControl(dialog, Command15);
        dialog.Show(forms::vbModal);
    }
    auto& rt = runtime();
    vb::ResumeNext step(rt.errorLog(), "Form1.Command15_Click");
    Cats.Clear();
    CatsSave.Clear();
    listCategories(step);
}

void Form1::Command27_Click() {
    Form2 maker(program);
    PlaceFormAboveControl(maker, Command27);
    maker.Show(forms::vbModal);
}

} // namespace glw::main
