// The main window's clip editor: the browse/edit view switch, the generator passes (scan, apply, resize),
// the preview of the working copy, the element events that fill and write back the detected-resources
// list, the kind filter and the four property panels with their buttons.
#include "AModuleProcedures.h"
#include "Form1.h"
#include "MainProgram.h"
#include "base/Ascii.h"
#include "common/ModText.h"
#include "forms/Runtime.h"
#include "forms/Trace.h"
#include "platform/WinPath.h"
#include "vb/VbFile.h"
#include "vb/VbText.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace glw::main {

namespace {

constexpr int kPixel = forms::kTwipsPerDesignPixel;
using forms::place;
using forms::placeInside;

// The largest stage side, in pixels, that a size box may ask for: the largest the authoring tools make.
// Beyond it the rescaled placements would no longer fit the movie's fixed-point matrices.
constexpr double kMaxStagePixels = 8192;

// Row kinds as the element events record them in a row's Tag: a row is written back only by the event
// of its own kind, so a static text's row never reaches an edit-text field, nor a text a link.
constexpr const char* kStaticText = "text";
constexpr const char* kEditText = "edittext";
constexpr const char* kLinkRow = "link";
constexpr const char* kImageRow = "image";
constexpr const char* kSoundRow = "sound";

std::string rowKey(std::int32_t index) {
    return "ITEM" + std::to_string(index);
}

// Whether the text begins with a number (blanks skipped), as Val reads one.
bool beginsWithNumber(const std::string& text) {
    for (char c : text) {
        if (c == ' ' || c == '\t' || c == '\n') {
            continue;
        }
        return (c >= '0' && c <= '9') || c == '.' || c == '-' || c == '+' || c == '&';
    }
    return false;
}

// Val of a text that may hold anything: 0 for text Val cannot read at all.
double safeVal(const std::string& text) {
    try {
        return vb::Val(text);
    } catch (const vb::RuntimeError&) {
        return 0;
    }
}

// A size box read as a stage side in twips: pixels × 20, rounded to the even neighbour. A box that is
// empty, not a number, 0 or less, or beyond the largest stage gives 0, which keeps the clip's own side.
std::int32_t stageTwips(const std::string& box) {
    if (!beginsWithNumber(box)) {
        return 0;
    }
    const double pixels = safeVal(box);
    if (!(pixels >= 1 && pixels <= kMaxStagePixels)) {
        return 0;
    }
    return vb::CLng(pixels * 20);
}

// A quality text read as a whole number from 0 to 100 (0 when the text holds no number).
std::int32_t qualityOf(const std::string& text) {
    const double value = std::clamp(safeVal(text), 0.0, 100.0);
    return vb::CLng(value);
}

// A quality text as the row keeps it: its leading number, clamped to 0 to 100, in its shortest form.
std::string qualityText(const std::string& text) {
    return vb::CStr(std::clamp(safeVal(text), 0.0, 100.0));
}

// The size in points a text's row shows for its height in twips.
std::int32_t shownSize(std::int32_t twips) {
    return vb::CLng(double(twips) / 20);
}

} // namespace

// ---- design ----

void Form1::layOutEditor() {
    Label8.Caption = "Available Files";
    place(Label8, 560, 28, 156, 16);
    Label8.Alignment = 1;

    chkDoChange.Caption = "Apply";
    chkDoChange.ToolTipText = "Show the clip with the changes and the size applied";
    place(chkDoChange, 476, 478, 64, 18);
    Command12.Caption = "Resize";
    Command12.ToolTipText = "Apply the size (Ctrl+A)";
    place(Command12, 544, 476, 80, 22);
    Command11.Caption = "Detect";
    Command11.ToolTipText = "Detect the clip's resources again (Ctrl+R)";
    place(Command11, 630, 476, 86, 22);
    lblBack.Caption = "Background :";
    place(lblBack, 236, 508, 80, 18);
    colBack.BackColor = forms::rgb(255, 255, 255);
    colBack.ToolTipText = "#FFFFFF";
    place(colBack, 318, 506, 40, 22);
    Command17.Caption = "...";
    Command17.ToolTipText = "Background colour";
    place(Command17, 362, 506, 28, 22);
    ctlTinter1.Move(400 * kPixel, 506 * kPixel);
    // The control's own default is the window colour (white); on this form it stands on the form's colour
    // like the background label beside it, so its white swatch shows.
    forms::PropertyBag tinterProperties;
    tinterProperties.WriteProperty("BackColor", long(BackColor()));
    ctlTinter1.ReadProperties(tinterProperties);
    ctlTinter1.setLabel("Tint :");
    ctlTinter1.PlaceForm = [](forms::Form& dialog, const forms::Control& button, bool aboveLeft) {
        if (aboveLeft) {
            PlaceFormAboveLeftOfControl(dialog, button);
        } else {
            PlaceFormAboveControl(dialog, button);
        }
    };
    CommonDialog1.Visible = false;

    // The detected resources: the hidden list of every row and the visible one of the chosen kind.
    const char* columns[] = {"Type", "Detected", "Change To", "Font Name", "Size"};
    const int widths[] = {40, 56, 56, 46, 30};
    for (int i = 0; i < 5; ++i) {
        ListView1.addColumn(columns[i], widths[i] * kPixel);
        ListView2.addColumn(columns[i], widths[i] * kPixel);
    }
    place(ListView1, 724, 92, 228, 200);
    ListView1.Visible = false;
    place(ListView2, 724, 92, 228, 200);

    // The editing panel under the "Selected Properties" title; the four panels share its place.
    place(PixProps, 724, 322, 228, 268);
    PixProps.Visible = false;
    forms::Frame* panels[4] = {&PropsText, &PropsLink, &PropsImage, &PropsSound};
    const char* captions[4] = {"Text", "Link", "Image", "Sound"};
    for (int i = 0; i < 4; ++i) {
        panels[i]->Caption = captions[i];
        placeInside(*panels[i], PixProps, 0, 0, 228, 268);
        panels[i]->Visible = false;
    }

    lblText.Caption = "Text  :";
    placeInside(lblText, PropsText, 6, 20, 200, 16);
    placeInside(Text2, PropsText, 6, 38, 216, 22);
    lblFont.Caption = "Font / Size :";
    placeInside(lblFont, PropsText, 6, 66, 200, 16);
    placeInside(lstFonts, PropsText, 6, 84, 150, 22);
    placeInside(txtFontBase, PropsText, 160, 84, 62, 22);
    for (const char* size : {"8", "10", "12", "14", "16", "20", "24", "28", "32", "36", "40", "52", "72", "100"}) {
        txtFontBase.AddItem(size);
    }
    txtFontBase.Text = "12";
    Command10.Caption = "Save";
    Command10.ToolTipText = "Save Text Item";
    placeInside(Command10, PropsText, 6, 114, 70, 26);
    Command26.Caption = "Reset";
    Command26.ToolTipText = "Reset Text...Font Not Reset if Changed";
    placeInside(Command26, PropsText, 80, 114, 70, 26);
    Command13.Caption = "Font to all";
    Command13.ToolTipText = "Change All Fonts To Selected. (Size Maintainted)";
    placeInside(Command13, PropsText, 154, 114, 68, 26);
    Command9.Caption = "Missing fonts";
    Command9.ToolTipText = "Change Fonts To Only Those That Exist On This System";
    placeInside(Command9, PropsText, 6, 144, 108, 26);
    Command14.Caption = "Clear all";
    Command14.ToolTipText = "Clear All Text";
    placeInside(Command14, PropsText, 118, 144, 104, 26);
    lblTextNote.Caption = "* Text and Sizing Changes may not occur as expected due to fonts and movies design.";
    placeInside(lblTextNote, PropsText, 6, 178, 216, 48);

    lblLink.Caption = "Link :";
    placeInside(lblLink, PropsLink, 6, 20, 200, 16);
    placeInside(Text3, PropsLink, 6, 38, 216, 22);
    Command16.Caption = "Choose";
    Command16.ToolTipText = "Choose a link";
    placeInside(Command16, PropsLink, 6, 66, 70, 26);
    Command20.Caption = "Apply";
    Command20.ToolTipText = "Apply the link";
    placeInside(Command20, PropsLink, 80, 66, 70, 26);
    Command18.Caption = "Restore";
    Command18.ToolTipText = "Restore the detected link";
    placeInside(Command18, PropsLink, 154, 66, 68, 26);

    lblImage.Caption = "Image :";
    placeInside(lblImage, PropsImage, 6, 20, 200, 16);
    placeInside(Text4, PropsImage, 6, 38, 184, 22);
    Command22.Caption = "...";
    placeInside(Command22, PropsImage, 194, 38, 28, 22);
    lblQuality.Caption = "Image Quality :";
    placeInside(lblQuality, PropsImage, 6, 66, 200, 16);
    Slider1.Min = 0;
    Slider1.Max = 100;
    placeInside(Slider1, PropsImage, 6, 84, 160, 24);
    placeInside(Text6, PropsImage, 170, 84, 52, 22);
    Command19.Caption = "Apply";
    Command19.ToolTipText = "Apply the image";
    placeInside(Command19, PropsImage, 6, 116, 70, 26);
    Command21.Caption = "Restore";
    Command21.ToolTipText = "Restore the detected image";
    placeInside(Command21, PropsImage, 80, 116, 70, 26);

    lblSound.Caption = "Sound :";
    placeInside(lblSound, PropsSound, 6, 20, 200, 16);
    placeInside(Text5, PropsSound, 6, 38, 184, 22);
    Command25.Caption = "...";
    placeInside(Command25, PropsSound, 194, 38, 28, 22);
    Command23.Caption = "Apply";
    Command23.ToolTipText = "Apply the sound";
    placeInside(Command23, PropsSound, 6, 66, 70, 26);
    Command24.Caption = "Restore";
    Command24.ToolTipText = "Restore the detected sound";
    placeInside(Command24, PropsSound, 80, 66, 70, 26);
}

void Form1::bindEditorEvents() {
    Command1.Click = [this] { Command1_Click(); };
    chkDoChange.Click = [this] { chkDoChange_Click(); };
    Command9.Click = [this] { Command9_Click(); };
    Command10.Click = [this] { Command10_Click(); };
    Command11.Click = [this] { Command11_Click(); };
    Command12.Click = [this] { Command12_Click(); };
    Command13.Click = [this] { Command13_Click(); };
    Command14.Click = [this] { Command14_Click(); };
    Command16.Click = [this] { Command16_Click(); };
    Command17.Click = [this] { Command17_Click(); };
    ctlTinter1.SetTint = [this](std::int16_t red, std::int16_t green, std::int16_t blue) {
        ctlTinter1_SetTint(red, green, blue);
    };
    Command18.Click = [this] { Command18_Click(); };
    Command19.Click = [this] { Command19_Click(); };
    Command20.Click = [this] { Command20_Click(); };
    Command21.Click = [this] { Command21_Click(); };
    Command22.Click = [this] { Command22_Click(); };
    Command23.Click = [this] { Command23_Click(); };
    Command24.Click = [this] { Command24_Click(); };
    Command25.Click = [this] { Command25_Click(); };
    Command26.Click = [this] { Command26_Click(); };
    ListView2.ItemClick = [this](forms::ListItem& Item) { ListView2_ItemClick(Item); };
    Text2.KeyPress = [this](int& KeyAscii) { Text2_KeyPress(KeyAscii); };
    Text6.Change = [this] { Text6_Change(); };
    Slider1.Change = [this] { Slider1_Change(); };
    EHeight.LostFocus = [this] { EHeight_LostFocus(); };
    EWidth.LostFocus = [this] { EWidth_LostFocus(); };
}

// ---- passes and preview ----

std::string Form1::workingCopy() const {
    return runtime().App.Path + "\\Working\\newclip.swf";
}

void Form1::newGenerator() {
    swfButton.reset();
    swfButton = std::make_unique<swf::SwfGenerator>();
    swfButton->OnBeforeSubText = [this](swf::TextActionElement& e) { swfButton_OnBeforeSubText(e); };
    swfButton->OnSubActionGetUrl = [this](swf::LinkElement& e) { swfButton_OnSubActionGetUrl(e); };
    swfButton->OnSubActionString = [this](swf::TextActionElement& e) { swfButton_OnSubActionString(e); };
    swfButton->OnSubEditText = [this](swf::EditTextElement& e) { swfButton_OnSubEditText(e); };
    swfButton->OnSubImage = [this](swf::ImageElement& e) { swfButton_OnSubImage(e); };
    swfButton->OnSubSound = [this](swf::SoundElement& e) { swfButton_OnSubSound(e); };
    swfButton->OnSubText = [this](swf::TextElement& e) { swfButton_OnSubText(e); };
}

bool Form1::scanPass() {
    ScanMode = true;
    ListView1.Clear();
    ElementIndex = 0;
    newGenerator();
    swfButton->RaiseSubEvents(true);
    m_passClip = CurrentClip;
    const Result<void> loaded = swfButton->LoadSwf(platform::toHostPath(CurrentClip));
    swfButton.reset();
    ScanMode = false;
    if (!loaded) {
        // A clip that cannot be read has no rows, and is not taken as scanned: the next look tries again.
        ListView1.Clear();
        ScannedClip.clear();
        ElementsScanned = false;
        runtime().logError("Form1.scanPass", vb::ErrInvalidCall, loaded.error().detail);
        program.MsgBoxEx("This clip could not be read, so its texts, links, images and sounds cannot be changed.  (" +
                             loaded.error().detail + ")",
                         common::msgOk, "Glintwave SE");
        return false;
    }
    ScannedClip = CurrentClip;
    ElementsScanned = true;
    // A headless run's trace lists the rows found, as the list would show them.
    auto& trace = runtime().trace();
    if (trace.enabled()) {
        for (const auto& item : ListView1.items()) {
            std::string line = "row " + ListView1.fullName() + " " + forms::Trace::quote(item->Key()) + " " +
                               forms::Trace::quote(item->Text());
            for (int i = 1; i <= 4; ++i) {
                line += " " + forms::Trace::quote(item->SubItems(i));
            }
            trace.write(line);
        }
    }
    return true;
}

Result<void> Form1::applyPass(bool sized, const std::string& output) {
    ScanMode = false;
    newGenerator();
    m_submitted.clear();
    ElementIndex = 0;
    swfButton->RaiseSubEvents(true);
    m_passClip = CurrentClip;
    Result<void> done = swfButton->LoadSwf(platform::toHostPath(CurrentClip));
    if (done) {
        if (sized) {
            swfButton->SwfHeight(stageTwips(EHeight.Text));
            swfButton->SwfWidth(stageTwips(EWidth.Text));
        }
        done = swfButton->SaveSwf(platform::toHostPath(output), 1);
    }
    std::string refused;
    if (done) {
        for (const Error& e : swfButton->substitutionErrors()) {
            runtime().logError("Form1.applyPass", vb::ErrInvalidCall, e.detail);
        }
        refused = takeBackRefused(*swfButton);
    } else {
        runtime().logError("Form1.applyPass", vb::ErrInvalidCall, done.error().detail);
    }
    m_submitted.clear();
    swfButton.reset();
    // Told once the pass is over: the box takes the focus, and a size box losing it starts a new pass.
    if (!refused.empty()) {
        program.MsgBoxEx(refused, common::msgOk, "Glintwave SE");
    }
    return done;
}

void Form1::noteSubmitted(const forms::ListItem& row, std::array<std::string, 3> asLoaded) {
    m_submitted[std::size_t(ElementIndex)] = SubmittedRow{row.Key(), std::move(asLoaded), row.SubItems(2)};
}

std::string Form1::takeBackRefused(const swf::SwfGenerator& generator) {
    const std::vector<Error>& errors = generator.substitutionErrors();
    const std::vector<std::size_t>& elements = generator.substitutionElements();
    if (errors.empty()) {
        return {};
    }
    std::string lines;
    for (std::size_t i = 0; i < errors.size(); ++i) {
        const std::size_t element = i < elements.size() ? elements[i] : swf::kNoElement;
        auto submitted = m_submitted.find(element);
        if (submitted == m_submitted.end()) {
            lines += "\n- " + errors[i].detail;
            continue;
        }
        const SubmittedRow& row = submitted->second;
        // The row shows what the clip holds again, in both lists, so it no longer claims the value.
        for (forms::ListView* list : {&ListView1, &ListView2}) {
            if (forms::ListItem* item = list->find(row.key)) {
                for (int k = 0; k < 3; ++k) {
                    item->setSubItems(2 + k, row.asLoaded[std::size_t(k)]);
                }
            }
        }
        forms::ListItem* item = ListView1.find(row.key);
        const std::string kind = item ? item->Text() : std::string("Element");
        lines += "\n- " + kind + " \"" + row.asked + "\": " + errors[i].detail;
        if (row.key == CurrentRowKey) {
            if (forms::ListItem* shown = ListView2.find(row.key); shown && ListView2.SelectedItem() == shown) {
                ListView2_ItemClick(*shown);
            }
        }
    }
    return "These changes could not be built into the clip, so it keeps what it had there:\n" + lines;
}

void Form1::preview(const std::string& clip, bool tinted, bool show) {
    vb::ResumeNext step(runtime().errorLog(), "Form1.preview");
    PreviewClip = clip;
    const std::string target = tinted ? clip + "?" + program.aModule.ClipFlashVars : clip;
    step([&] { FlashDemo.Movie = blankMovie(); });
    step([&] { FlashDemo.ScaleMode = 0; });
    step([&] { FlashDemo.Movie = target; });
    if (show) {
        FlashDemo.Visible = true;
    }
    step([&] { FlashDemo.BGColor = colBack.ToolTipText(); });
}

Result<void> Form1::rebuildPreview(bool resize, bool show) {
    const Result<void> built = applyPass(resize, workingCopy());
    if (built) {
        preview(workingCopy(), true, show);
        return built;
    }
    // An old working copy must not play as if the change had worked.
    preview(CurrentClip, false, show);
    program.MsgBoxEx("The changes could not be built into the clip, so the preview shows the clip as it is.  (" +
                         built.error().detail + ")",
                     common::msgOk, "Glintwave SE");
    return built;
}

void Form1::RebuildWorkingClip() {
    if (chkDoChange.Value != forms::vbChecked || !FlashDemo.Visible) {
        return;
    }
    (void)rebuildPreview(true, false);
}

void Form1::Command1_Click() {
    auto& rt = runtime();
    if (BrowseSource == 3) {
        program.MsgBoxEx("Zoom view only available for SWF files.", common::msgOk, "Glintwave SE");
        return;
    }
    if (!FlashDemo.Visible) {
        if (!cellHoldsClip(SelectedCell)) {
            return;
        }
        if (!ElementsScanned) {
            scanPass();
            Option1_Click(0);
            Option1[0].Value = true;
        }
        Label8.Caption = "Preview/Edit";
        rt.DoEvents();
        if (chkDoChange.Value == forms::vbChecked && ElementsScanned) {
            vb::ResumeNext step(rt.errorLog(), "Form1.Command1_Click");
            step([&] { vb::Kill(workingCopy()); });
            // The working copy keeps the clip's own size until a resize.
            (void)rebuildPreview(false, true);
        } else {
            preview(cellClips[std::size_t(SelectedCell)], true, true);
        }
        PixProps.Visible = true;
        return;
    }
    PropsLink.Visible = false;
    PropsText.Visible = false;
    PixProps.Visible = false;
    Label8.Caption = "Available Files";
    FlashDemo.Movie = blankMovie();
    FlashDemo.Visible = false;
    PreviewClip.clear();
}

void Form1::chkDoChange_Click() {
    if (chkDoChange.Value == forms::vbChecked && FlashDemo.Visible) {
        (void)rebuildPreview(true, false);
        return;
    }
    preview(CurrentClip, false, false);
}

void Form1::Command11_Click() {
    scanPass();
    chkDoChange.Value = forms::vbUnchecked;
    preview(CurrentClip, false, false);
    Option1[0].Value = true;
    Option1_Click(0);
}

bool Form1::tickApply() {
    if (chkDoChange.Value == forms::vbChecked) {
        return false;
    }
    chkDoChange.Value = forms::vbChecked; // runs chkDoChange_Click, which rebuilds in the edit view
    return FlashDemo.Visible;
}

void Form1::Command12_Click() {
    if (tickApply()) {
        return; // the tick has just run this very pass
    }
    (void)rebuildPreview(true, false);
}

void Form1::Command13_Click() {
    const std::string font = lstFonts.Text;
    for (const auto& row : ListView1.items()) {
        if (row->Text() == "Text") {
            row->setSubItems(3, font);
        }
    }
    const bool rebuilt = tickApply();
    Option1_Click(0);
    if (!rebuilt) {
        RebuildWorkingClip();
    }
}

void Form1::Command14_Click() {
    for (forms::ListView* list : {&ListView1, &ListView2}) {
        for (const auto& row : list->items()) {
            if (row->Text() == "Text") {
                row->setSubItems(2, "");
            }
        }
    }
    if (!tickApply()) {
        RebuildWorkingClip();
    }
}

void Form1::writeCurrentRow(int subItem, const std::string& value) {
    ListView2.Item(CurrentRowKey).setSubItems(subItem, value);
    ListView1.Item(CurrentRowKey).setSubItems(subItem, value);
}

void Form1::Command10_Click() {
    const std::string values[3] = {Text2.Text, lstFonts.Text, txtFontBase.Text};
    for (forms::ListView* list : {&ListView2, &ListView1}) {
        auto& row = list->Item(CurrentRowKey);
        for (int i = 0; i < 3; ++i) {
            row.setSubItems(2 + i, values[i]);
        }
    }
    RebuildWorkingClip();
}

// ---- element events ----

forms::ListItem* Form1::rowToApply(const char* kind) {
    // Rows are written back only while "Apply" is ticked, only into the clip they were scanned from, and
    // only into an element of their own kind.
    if (chkDoChange.Value != forms::vbChecked || ScannedClip.empty() || m_passClip != ScannedClip) {
        return nullptr;
    }
    forms::ListItem* row = ListView1.find(rowKey(ElementIndex));
    if (!row || row->Tag() != kind) {
        return nullptr;
    }
    return row;
}

void Form1::recordTextRow(const swf::TextElement& element, const char* kind) {
    auto& row = ListView1.Add(rowKey(ElementIndex), "Text");
    row.setTag(kind);
    row.setSubItems(1, element.Text);
    row.setSubItems(2, element.Text);
    row.setSubItems(3, element.FontName);
    row.setSubItems(4, vb::CStr(shownSize(element.FontHeight)));
}

void Form1::applyTextRow(forms::ListItem& row, swf::TextElement& element) {
    const std::string text = row.SubItems(2);
    const std::string font = row.SubItems(3);
    // The size shown in points replaces the height only when it is a positive number other than the one
    // the row showed, so an untouched size keeps the element's exact height.
    std::optional<std::int32_t> height;
    const std::string size = row.SubItems(4);
    if (beginsWithNumber(size)) {
        const double points = safeVal(size);
        if (points > 0 && points * 20 < 2147483647.0) {
            const std::int32_t twips = vb::CLng(points * 20);
            if (twips > 0 && twips != shownSize(element.FontHeight) * 20) {
                height = twips;
            }
        }
    }
    if (text == element.Text && font == element.FontName && !height) {
        return; // unchanged: the element keeps its bytes
    }
    noteSubmitted(row, {element.Text, element.FontName, vb::CStr(shownSize(element.FontHeight))});
    element.Text = text;
    element.FontName = font;
    if (height) {
        element.FontHeight = *height;
    }
    element.NeedSub = true;
}

void Form1::swfButton_OnBeforeSubText(swf::TextActionElement& pDisp) {
    pDisp.AllowSub = true;
}

void Form1::swfButton_OnSubActionString(swf::TextActionElement&) {}

void Form1::swfButton_OnSubText(swf::TextElement& pDisp) {
    if (ScanMode) {
        ListView1.HideSelection = false;
        recordTextRow(pDisp, kStaticText);
    } else if (auto* row = rowToApply(kStaticText)) {
        applyTextRow(*row, pDisp);
    }
    ++ElementIndex;
}

void Form1::swfButton_OnSubEditText(swf::EditTextElement& pDisp) {
    if (ScanMode) {
        recordTextRow(pDisp, kEditText);
    } else if (auto* row = rowToApply(kEditText)) {
        applyTextRow(*row, pDisp);
    }
    ++ElementIndex;
}

void Form1::swfButton_OnSubActionGetUrl(swf::LinkElement& pDisp) {
    if (ScanMode) {
        auto& row = ListView1.Add(rowKey(ElementIndex), "Link");
        row.setTag(kLinkRow);
        row.setSubItems(1, pDisp.Url);
        row.setSubItems(2, pDisp.Url);
        row.setSubItems(3, "");
        row.setSubItems(4, "");
    } else if (auto* row = rowToApply(kLinkRow)) {
        if (row->SubItems(2) != pDisp.Url) {
            noteSubmitted(*row, {pDisp.Url, "", ""});
            pDisp.Url = row->SubItems(2);
            pDisp.NeedSub = true;
        }
    }
    ++ElementIndex;
}

void Form1::swfButton_OnSubImage(swf::ImageElement& pDisp) {
    if (ScanMode) {
        auto& row = ListView1.Add(rowKey(ElementIndex), "Image");
        row.setTag(kImageRow);
        const std::string detected = "Image " + std::to_string(pDisp.ImageId);
        row.setSubItems(1, detected);
        row.setSubItems(2, detected);
        row.setSubItems(3, std::to_string(pDisp.ImageId));
        row.setSubItems(4, std::to_string(std::clamp(pDisp.ImageQuality, 0, 100)));
    } else if (auto* row = rowToApply(kImageRow)) {
        // The row shows the file as the user reads it (host form, or as typed).
        const std::string file = platform::fromDisplayPath(row->SubItems(2));
        if (safeVal(row->SubItems(3)) == double(pDisp.ImageId) && row->SubItems(1) != file &&
            common::FileExists(file)) {
            noteSubmitted(*row,
                          {row->SubItems(1), row->SubItems(3), std::to_string(std::clamp(pDisp.ImageQuality, 0, 100))});
            pDisp.ImageFile = platform::toHostPath(file);
            pDisp.ImageQuality = qualityOf(row->SubItems(4));
            pDisp.NeedSub = true;
        }
    }
    ++ElementIndex;
}

void Form1::swfButton_OnSubSound(swf::SoundElement& pDisp) {
    if (ScanMode) {
        auto& row = ListView1.Add(rowKey(ElementIndex), "Sound");
        row.setTag(kSoundRow);
        const std::string detected = "Sound " + std::to_string(pDisp.SoundId);
        row.setSubItems(1, detected);
        row.setSubItems(2, detected);
        row.setSubItems(3, std::to_string(pDisp.SoundId));
        row.setSubItems(4, pDisp.SoundName);
    } else if (auto* row = rowToApply(kSoundRow)) {
        const std::string file = platform::fromDisplayPath(row->SubItems(2));
        if (safeVal(row->SubItems(3)) == double(pDisp.SoundId) && row->SubItems(1) != file &&
            common::FileExists(file)) {
            noteSubmitted(*row, {row->SubItems(1), row->SubItems(3), pDisp.SoundName});
            pDisp.SoundFile = platform::toHostPath(file);
            pDisp.NeedSub = true;
        }
    }
    ++ElementIndex;
}

// ---- filter and panels ----

void Form1::Option1_Click(int Index) {
    vb::ResumeNext step(runtime().errorLog(), "Form1.Option1_Click");
    ListView2.Clear();
    for (forms::Frame* panel : {&PropsText, &PropsLink, &PropsImage, &PropsSound}) {
        panel->Visible = false;
    }
    const char* kinds[4] = {"TEXT", "IMAGE", "SOUND", "LINK"};
    for (const auto& source : ListView1.items()) {
        if (Index < 0 || Index > 3 || vb::UCase(source->Text()) != kinds[Index]) {
            continue;
        }
        step([&] {
            auto& row = ListView2.Add(source->Key(), source->Text());
            row.setTag(source->Tag());
            for (int i = 1; i <= 4; ++i) {
                row.setSubItems(i, source->SubItems(i));
            }
        });
    }
    step([&] { ListView2.SetFocus(); });
    if (ListView2.Count() > 0) {
        ListView2.setSelectedItem(&ListView2.Item(1));
        ListView2_ItemClick(ListView2.Item(1));
    }
}

void Form1::ListView2_ItemClick(forms::ListItem&) {
    forms::ListItem* row = ListView2.SelectedItem();
    if (!row) {
        return;
    }
    CurrentRowKey = row->Key();
    for (forms::Frame* panel : {&PropsText, &PropsLink, &PropsImage, &PropsSound}) {
        panel->Visible = false;
    }
    const std::string& kind = row->Text();
    if (kind == "Text") {
        PropsText.Visible = true;
        Text2.Text = row->SubItems(2);
        lstFonts.Text = row->SubItems(3);
        txtFontBase.Text = row->SubItems(4);
    } else if (kind == "Link") {
        PropsLink.Visible = true;
        Text3.Text = row->SubItems(2);
    } else if (kind == "Image") {
        PropsImage.Visible = true;
        Text4.Text = row->SubItems(2);
        Text6.Text = row->SubItems(4);
    } else if (kind == "Sound") {
        PropsSound.Visible = true;
        Text5.Text = row->SubItems(2);
    }
}

void Form1::Command20_Click() {
    writeCurrentRow(2, Text3.Text);
    RebuildWorkingClip();
}

void Form1::Command19_Click() {
    writeCurrentRow(2, Text4.Text);
    writeCurrentRow(4, qualityText(Text6.Text));
    RebuildWorkingClip();
}

void Form1::Command23_Click() {
    writeCurrentRow(2, Text5.Text);
    RebuildWorkingClip();
}

void Form1::Command18_Click() {
    writeCurrentRow(2, ListView2.Item(CurrentRowKey).SubItems(1));
    RebuildWorkingClip();
}

void Form1::Command21_Click() {
    Command18_Click();
}

void Form1::Command24_Click() {
    Command18_Click();
}

void Form1::Command26_Click() {
    writeCurrentRow(2, ListView2.Item(CurrentRowKey).SubItems(1));
    Text2.Text = ListView1.Item(CurrentRowKey).SubItems(2);
}

void Form1::Text2_KeyPress(int& KeyAscii) {
    if (KeyAscii == forms::vbKeyReturn) {
        Command10_Click();
    }
}

void Form1::Command9_Click() {
    // Font names are compared whole and without regard to case, and only text rows change.
    std::vector<std::string> handled;
    auto isHandled = [&](const std::string& font) {
        return std::any_of(handled.begin(), handled.end(),
                           [&](const std::string& h) { return base::iequals(h, font); });
    };
    auto installed = [&](const std::string& font) {
        const auto& fonts = lstFonts.items();
        return std::any_of(fonts.begin(), fonts.end(), [&](const std::string& f) { return base::iequals(f, font); });
    };
    for (const auto& row : ListView1.items()) {
        if (row->Text() != "Text") {
            continue;
        }
        const std::string font = row->SubItems(3);
        if (isHandled(font)) {
            row->setSubItems(3, "Arial");
            continue;
        }
        if (installed(font)) {
            continue;
        }
        handled.push_back(font);
        for (const auto& other : ListView1.items()) {
            if (other->Text() == "Text" && base::iequals(other->SubItems(3), font)) {
                other->setSubItems(3, "Arial");
            }
        }
    }
    const bool rebuilt = tickApply();
    Option1_Click(0);
    if (!rebuilt) {
        RebuildWorkingClip();
    }
}

void Form1::Command16_Click() {
    auto& g = program.aModule;
    g.LinkURL = "";
    g.LinkURL = Text3.Text;
    std::string chosen = AskForURL(program, &Command16);
    if (!chosen.empty()) {
        if (vb::LCase(chosen) == "none") {
            chosen.clear();
        }
        Text3.Text = chosen;
    }
}

namespace {

// Picks a replacement file with the main window's one file dialog; the folder it came from is where the
// next pick opens.
void pickReplacement(Form1& form, const char* title, const char* filter, forms::TextBox& target) {
    auto& rt = form.runtime();
    vb::ResumeNext step(rt.errorLog(), "Form1.pickReplacement");
    auto& dialog = form.CommonDialog1;
    step([&] { dialog.DialogTitle = title; });
    step([&] { dialog.Filter = filter; });
    step([&] { dialog.InitDir = form.LastImportFolder.empty() ? rt.App.Path + "\\" : form.LastImportFolder; });
    // The one dialog serves both kinds: the last pick's name must not stand in the other kind's file box.
    step([&] { dialog.FileName = ""; });
    step([&] { dialog.ShowOpen(); });
    if (!dialog.lastOk()) {
        return;
    }
    const std::string chosen = dialog.FileName;
    if (chosen.empty()) {
        return;
    }
    const std::size_t slash = chosen.find_last_of('\\');
    form.LastImportFolder = slash == std::string::npos ? std::string() : chosen.substr(0, slash + 1);
    target.Text = platform::toDisplayPath(chosen);
}

} // namespace

void Form1::Command22_Click() {
    pickReplacement(*this, "Please select a JPG file to import :", "JPG Files|*.jpg", Text4);
}

void Form1::Command25_Click() {
    pickReplacement(*this, "Please select an MP3 file to import :", "MP3 Files|*.mp3", Text5);
}

void Form1::Command17_Click() {
    // The dialog writes the chosen colour into colBack (back colour, and the same colour as its tooltip);
    // Cancel leaves the label, and so the preview, as it was.
    const std::string before = colBack.ToolTipText;
    colour::ShowColorSel(runtime(), program.module1, colBack, before,
                         [this](forms::Form& dialog) { PlaceFormAboveLeftOfControl(dialog, Command17); });
    if (colBack.ToolTipText() != before && !CurrentClip.empty()) {
        FlashDemo.BGColor = colBack.ToolTipText();
    }
}

common::Module1& Form1::boxesOf(MainProgram& program) {
    return program.module1;
}

std::string Form1::tintText() const {
    return "CWR=" + std::to_string(ctlTinter1.mRedTint) + "&CWG=" + std::to_string(ctlTinter1.mGreenTint) +
           "&CWB=" + std::to_string(ctlTinter1.mBlueTint);
}

void Form1::ctlTinter1_SetTint(std::int16_t, std::int16_t, std::int16_t) {
    ApplyTintToPreview();
}

void Form1::ApplyTintToPreview() {
    const std::string blank = blankMovie();
    program.aModule.ClipFlashVars = tintText();
    // The query goes after the clean clip path the preview plays; the hidden preview of the browse view
    // plays the empty movie.
    const std::string clip = FlashDemo.Visible && !PreviewClip.empty() ? PreviewClip : blank;
    FlashDemo.Movie = blank;
    FlashDemo.Movie = clip + "?" + program.aModule.ClipFlashVars;
    FlashDemo.FlashVars = program.aModule.ClipFlashVars;
    if (!FlashDemo.Visible && cellHoldsClip(SelectedCell)) {
        auto& cell = FSel[SelectedCell];
        cell.Movie = blank;
        cell.Movie = cellClips[std::size_t(SelectedCell)] + "?" + program.aModule.ClipFlashVars;
    }
}

void Form1::EHeight_LostFocus() {
    RebuildWorkingClip();
}

void Form1::EWidth_LostFocus() {
    RebuildWorkingClip();
}

void Form1::Text6_Change() {
    Slider1.Value = qualityOf(Text6.Text);
}

void Form1::Slider1_Change() {
    // The box follows the slider whenever the two disagree: a user's move of the slider, never a number
    // still being typed (12. already moved the slider to 12).
    if (qualityOf(Text6.Text) != Slider1.Value) {
        Text6.Text = std::to_string(Slider1.Value());
    }
}

} // namespace glw::main
