// The import-package maker "Import Maker (for Flash Developers)": bundles movies under a category name
// and a description into an import package that the import dialog unpacks as a new library category.
#pragma once

#include "forms/CommonDialog.h"
#include "forms/Controls.h"
#include "forms/FlashPlayer.h"
#include "forms/Form.h"
#include "zip/ZipArchive.h"

namespace glw::main {

class MainProgram;

class Form2 : public forms::Form {
public:
    explicit Form2(MainProgram& program);

    MainProgram& program;

    // The folder of the last movie added, ending in "\"; "" until one is added (the program's folder is
    // offered then).
    std::string LastFolder;

    forms::Label lblCategory{*this, "lblCategory"}; // "Category Name :"
    forms::TextBox Text2{*this, "Text2"};
    forms::Label lblDesc{*this, "lblDesc"}; // "Import Description :"
    forms::TextBox txtDesc{*this, "txtDesc"};
    forms::Label lblFiles{*this, "lblFiles"};           // "GLW Clipart SWF Files :"
    forms::ListBox List1{*this, "List1"};               // the movies, one full path per line as the user reads it
    forms::FlashPlayer FlashDemo{*this, "FlashDemo"};   // the preview of the selected line
    forms::CommandButton Command10{*this, "Command10"}; // add
    forms::CommandButton Command12{*this, "Command12"}; // remove the selected line
    forms::CommandButton Command20{*this, "Command20"}; // "Okay": create the package
    forms::CommandButton Command3{*this, "Command3"};   // "Cancel"
    forms::CommandButton Command5{*this, "Command5"};   // "Help"
    forms::CommandButton Command1{*this, "Command1"};   // the sample button's Flash source
    forms::CommonDialog CDL1{*this, "CDL1"};
    zip::ZipArchive Zipper;

    void Command10_Click();
    void Command12_Click();
    void List1_Click();
    // The movie of List1's entry, as a system path.
    std::string movieAt(int index) const;
    // Stages impinfo.dat and the category's movies under Working\NewImport and packs them. The package is
    // built beside an old one and replaces it only when complete; a name that would leave the staging
    // folder, a movie that cannot be copied or a package that cannot be written is reported and nothing is
    // announced as made.
    void Command20_Click();
    void Command3_Click();
    void Command5_Click();
    void Command1_Click();

protected:
    void Form_Load() override;

private:
    // Empties the staging folder: everything under it goes, the folder itself stays.
    void clearStaging();
};

} // namespace glw::main
