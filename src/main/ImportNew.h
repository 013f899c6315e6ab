// The import dialog "Import New Libraries": unpacks an import package (a password-protected zip with
// impinfo.dat at its root) into the library folder that the package's category names.
#pragma once

#include "forms/CommonDialog.h"
#include "forms/Controls.h"
#include "forms/Form.h"
#include "swf/Container.h"
#include "zip/ZipArchive.h"

#include <array>
#include <cstdint>

namespace glw::main {

class MainProgram;

// The one password of every import package, the same in the maker and in the import.
inline constexpr const char* kImportPassword = "wep7302!ko";

// The category of impinfo.dat chooses the folder under the program's folder that the package is unpacked
// into; categories match without regard to case, tried in this order.
struct ImportCategory {
    const char* category;
    const char* folder;
};
inline constexpr std::array<ImportCategory, 8> ImportCategoryTable = {{
    {"clipart", "CLTemplates"},
    {"MP3Loops", "MP3Loops"},
    {"MP3Sounds", "MP3Sounds"},
    {"JPEGBackgrounds", "JPEGBackgrounds"},
    {"JPGClips", "JPGClipart"},
    {"SWFBackgrounds", "SWFBackgrounds"},
    {"TEffects", "TextEffects"},
    {"IEffects", "ImgEffects"},
}};

// The largest entry an import package may hold: the largest movie the SWF engine reads at all. A package
// entry that states more is no clip of the library; refusing it keeps a small package from filling the disk.
inline constexpr std::uint64_t kMaxImportEntryBytes = swf::ReadLimits{}.maxFileBytes;

class ImportNew : public forms::Form {
public:
    explicit ImportNew(MainProgram& program);

    MainProgram& program;

    forms::Label Label1{*this, "Label1"}; // "Select A Download File To Import :"
    forms::Label aFileName{
        *this, "aFileName"}; // the chosen package as the user reads its path, "No File Selected" until one is chosen
    forms::CommandButton Command1{*this, "Command1"};   // browse
    forms::CommandButton Command6{*this, "Command6"};   // "Okay": import
    forms::CommandButton Command3{*this, "Command3"};   // "Cancel"
    forms::CommandButton Command10{*this, "Command10"}; // "Help"
    forms::ListBox List1{*this, "List1"};               // the movies met while unpacking
    forms::CommonDialog CommonDialog1{*this, "CommonDialog1"};
    zip::ZipArchive DoUnzip;
    std::string PackagePath; // the chosen package (system path), "" until one is chosen

    static constexpr const char* kNoFileSelected = "No File Selected";

    void Command1_Click();
    // Unpacks the chosen package: a first pass reads impinfo.dat, a second unpacks the whole package into
    // the category's folder. Success is announced only when both passes wrote everything; a damaged
    // package, a wrong password, an unknown category, an entry that would land outside the folder or be
    // hidden there, an entry larger than kMaxImportEntryBytes and a package that the disk has no room for
    // give the import's error message and leave the library as it was.
    void Command6_Click();
    void Command3_Click();
    void Command10_Click();
    void DoUnzip_ZipEntryEvent(const std::string& name);
};

} // namespace glw::main
