// The colour picker's behaviour: painting, hit test, the mouse over the grid, hover, palettes and files.
#include "KQColorBox.h"

#include "forms/Form.h"
#include "forms/Runtime.h"
#include "vb/VbFile.h"

#include <algorithm>

namespace glw::colour {

namespace {

// Colours loaded from a palette file may hold any bits: only the low 24 are painted.
long paintColour(std::int32_t colour) {
    return long(colour) & 0xFFFFFF;
}

// Shows a common dialog with CancelError set; false when the user cancelled.
bool showDialog(forms::CommonDialog& dialog, void (forms::CommonDialog::*show)()) {
    try {
        (dialog.*show)();
        return true;
    } catch (const vb::RuntimeError& e) {
        if (e.Number() == forms::kCancelErrorNumber) {
            return false;
        }
        throw;
    }
}

const char* const kPaletteMessage = "An Error Occured When Attempting To Save The Current Custom Palette";

} // namespace

KQColorBox::KQColorBox(forms::Form& form, std::string name, common::Module1& boxes)
    : UserControl(form, std::move(name)), m_boxes(boxes) {
    for (forms::Control* c : std::initializer_list<forms::Control*>{&picPopup, &DropPal, &MorePal, &MColors}) {
        c->setContainer(this);
    }
    DropPal.setContainer(&picPopup);
    MorePal.setContainer(&picPopup);
    FixControlSize();
    // The grid covers the control; the palette combo and "More Colors..." sit in the strip below the grids.
    forms::place(picPopup, 0, 0, kColorBoxWidth / forms::kTwipsPerDesignPixel,
                 kColorBoxHeight / forms::kTwipsPerDesignPixel);
    forms::place(DropPal, 6, 109, 66, 21);
    forms::place(MorePal, 75, 108, 78, 23);
    DropPal.Style = forms::vbComboDropdownList;
    MorePal.Caption = "More Colors...";
    for (const char* item : {"Normal", "Custom", "Load Custom", "Save Custom"}) {
        DropPal.AddItem(item);
    }

    picPopup.Paint = [this] { picPopup_Paint(); };
    picPopup.MouseDown = [this](int b, int s, float x, float y) { picPopup_MouseDown(b, s, x, y); };
    picPopup.MouseMove = [this](int b, int s, float x, float y) { picPopup_MouseMove(b, s, x, y); };
    picPopup.MouseUp = [this](int b, int s, float x, float y) { picPopup_MouseUp(b, s, x, y); };
    picPopup.Click = [this] { picPopup_Click(); };
    picPopup.DblClick = [this] { picPopup_DblClick(); };
    tmrHover.OnTimer = [this] { tmrHover_OnTimer(); };
    MorePal.Click = [this] { MorePal_Click(); };
    DropPal.Click = [this] { DropPal_Click(); };
    EnterFocus = [this] {
        RefreshAll();
        tmrHover.setEnabled(true);
    };
    ExitFocus = [this] {
        RefreshAll();
        tmrHover.setEnabled(false);
        EndPopup();
    };
    GotFocus = [this] { tmrHover.setEnabled(false); };
    LostFocus = [this] { tmrHover.setEnabled(false); };

    // Start-up: the model has built the palettes; the combo shows "Normal", which builds it once more.
    tmrHover.setInterval(400);
    tmrHover.setEnabled(false);
    tmrHover.setName("Hover Timer");
    DropPal.ListIndex = 0;
    m_model.BuildShadePalette();
}

KQColorBox::~KQColorBox() {
    EndPopup();
}

void KQColorBox::FixControlSize() {
    if (m_fixingSize) {
        return;
    }
    m_fixingSize = true;
    Width = kColorBoxWidth;
    Height = kColorBoxHeight;
    m_fixingSize = false;
}

// ---- properties ----

void KQColorBox::UserControl_InitProperties() {
    m_popupEnabled = true;
    m_palette = 11;
    m_model.BuildPalette();
    m_model.BuildShadePalette();
    m_model.SelectedEntry = m_model.FindNearestEntry(0);
    m_model.ActiveEntry.IsValid = false;
    m_hover.IsValid = false;
}

void KQColorBox::UserControl_ReadProperties(const forms::PropertyBag& PropBag) {
    BackColor = PropBag.ReadProperty("BackColor", long(forms::vbWindowBackground));
    ForeColor = PropBag.ReadProperty("ForeColor", long(forms::vbButtonText));
    m_palette = PropBag.ReadProperty("Palette", 11L);
    m_model.PalType = PropBag.ReadProperty("PalType", std::string("Normal"));
    Enabled = PropBag.ReadProperty("Enabled", true);
    m_popupEnabled = PropBag.ReadProperty("PopupEnabled", true);
    m_model.HtmlText = PropBag.ReadProperty("HTMLColor", std::string("#000000"));
    const auto selected = std::int32_t(PropBag.ReadProperty("SelectedColor", 0L));
    m_model.BuildPalette();
    if (m_model.ShadeMode) {
        m_model.BaseEntry = m_model.FindBaseEntry(selected);
        m_model.BuildShadePalette();
    }
    m_model.SelectedEntry = m_model.FindNearestEntry(selected);
}

void KQColorBox::UserControl_WriteProperties(forms::PropertyBag& PropBag) {
    PropBag.WriteProperty("SelectedColor", SelectedColor(), 0L);
    PropBag.WriteProperty("BackColor", BackColor(), long(forms::vbWindowBackground));
    PropBag.WriteProperty("ForeColor", ForeColor(), long(forms::vbButtonText));
    PropBag.WriteProperty("Enabled", Enabled(), true);
    PropBag.WriteProperty("Palette", m_palette, 11L);
    PropBag.WriteProperty("PopupEnabled", m_popupEnabled, true);
    PropBag.WriteProperty("HTMLColor", m_model.HtmlText);
    PropBag.WriteProperty("PalType", m_model.PalType, std::string("Normal"));
}

void KQColorBox::setSelectedColor(long colour) {
    if (colour != SelectedColor()) {
        SelectNearestColor(std::int32_t(colour));
    }
}

std::string KQColorBox::HTMLColor() const {
    const std::int32_t c = m_model.ActiveEntry.Color;
    return RgbToHtml(RedPart(c), GreenPart(c), BluePart(c));
}

void KQColorBox::setHTMLColor(const std::string& HexVal) {
    PaletteEntry rec;
    rec.IsMain = true;
    rec.Color = WhatRGB(HexVal);
    const HlsColor hls = RgbToHls(rec.Color);
    rec.Hue = hls.Hue;
    rec.Saturation = hls.Saturation;
    rec.Luminance = hls.Luminance;
    rec.IsHue = true;
    rec.Name = "Custom";
    rec.IsValid = true;
    m_model.SelectedEntry = rec;
    SetSelectedEntry(rec);
    m_model.ActiveEntry = rec;
    m_model.BaseEntry = rec;
    PaintMain();
    // The shade grid shows the typed colour's hue, even for a grey.
    m_model.BuildShadePalette();
    PaintShadeCells();
    PropertyChanged("HTMLColor");
    PropertyChanged("SelectedColor");
}

void KQColorBox::setPalette(long n) {
    m_palette = n;
    m_model.BuildPalette();
    if (m_model.ShadeMode) {
        m_model.BaseEntry = m_model.FindBaseEntry(m_model.SelectedEntry.Color);
        m_model.BuildShadePalette();
    }
    m_model.SelectedEntry = m_model.FindNearestEntry(m_model.SelectedEntry.Color);
    m_model.ActiveEntry.IsValid = false;
    m_hover.IsValid = false;
    PropertyChanged("Palette");
    PaintMain();
}

void KQColorBox::setPopupEnabled(bool enabled) {
    m_popupEnabled = enabled;
    PropertyChanged("PopupEnabled");
}

// ---- entries ----

void KQColorBox::SetActiveEntry(const PaletteEntry& entry) {
    if (entry.Color == m_model.ActiveEntry.Color) {
        return;
    }
    m_model.ActiveEntry = entry;
    PropertyChanged("ActiveColor");
    PropertyChanged("ActiveText");
    Change.raise(ActiveColor());
    PaintMain();
}

void KQColorBox::SetSelectedEntry(const PaletteEntry& entry) {
    const bool changed = entry.Color != m_model.SelectedEntry.Color;
    if (changed) {
        m_model.SelectedEntry = entry;
        m_model.HtmlText = RgbToHtml(RedPart(entry.Color), GreenPart(entry.Color), BluePart(entry.Color));
    }
    if (!changed && m_model.SelectedEntry.Color == m_model.ActiveEntry.Color) {
        return;
    }
    if (changed) {
        PropertyChanged("SelectedColor");
        PropertyChanged("Text");
        Click.raise();
    }
    PaintMain();
}

void KQColorBox::SelectNearestColor(std::int32_t colour) {
    if (m_model.ShadeMode) {
        m_model.BaseEntry = m_model.FindBaseEntry(colour);
        m_model.BuildShadePalette();
        PaintShadeCells(); // the grid shows the new base's shades at once
    }
    SetSelectedEntry(m_model.FindNearestEntry(colour));
}

// ---- painting ----

void KQColorBox::PaintMain() {
    const forms::PixelRect client = Surface.clientRect();
    Surface.DrawEdge(client, forms::EDGE_SUNKEN, forms::BF_RECT);
    const long active = paintColour(m_model.ActiveEntry.Color);
    Surface.Box({3, 3, Surface.ScaleWidth() - 3, 16}, active, active);
}

void KQColorBox::PaintCell(const PaletteEntry& entry) {
    const CellRect& r = entry.Rect;
    picPopup.Surface.Box({r.Left, r.Top, r.Right, r.Bottom}, forms::vbButtonFace, paintColour(entry.Color));
}

void KQColorBox::PaintShadeCells() {
    if (!m_model.ShadeMode) {
        return;
    }
    for (const auto& e : m_model.ShadeEntries) {
        if (e.IsValid) {
            PaintCell(e);
        }
    }
}

void KQColorBox::picPopup_Paint() {
    for (const auto& e : m_model.MainEntries) {
        PaintCell(e);
    }
    const int x = kGridOrigin + (kCellSize + kCellGap) * kMainColumns + 1; // 57
    picPopup.Surface.DrawEdge({x, kGridOrigin, x + 2, picPopup.Surface.ScaleHeight() - 38}, forms::EDGE_ETCHED,
                              forms::BF_LEFT);
    PaintShadeCells();
}

void KQColorBox::RefreshAll() {
    picPopup_Paint();
    PaintShadeCells();
    PaintMain();
}

void KQColorBox::DrawCellFrame(const PaletteEntry& entry, bool draw, bool sunken) {
    if (!entry.IsValid) {
        return;
    }
    long first = forms::vbButtonFace, second = forms::vbButtonFace;
    if (draw) {
        first = sunken ? forms::vbButtonShadow : forms::vbButtonHighlight;
        second = sunken ? forms::vbButtonHighlight : forms::vbButtonShadow;
    }
    const CellRect& r = entry.Rect;
    auto& s = picPopup.Surface;
    s.MoveTo(r.Left, r.Bottom);
    s.LineTo(r.Left, r.Top, first);
    s.LineTo(r.Right, r.Top, first);
    s.LineTo(r.Right, r.Bottom, second);
    s.LineTo(r.Left - 1, r.Bottom, second);
}

// ---- the mouse over the grid ----

PaletteEntry KQColorBox::HitTest(float x, float y) {
    const std::int32_t px = roundHalfEven(x);
    const std::int32_t py = roundHalfEven(y);
    const forms::PixelRect client = picPopup.Surface.clientRect();
    if (px < client.left || py < client.top || px >= client.right || py >= client.bottom) {
        return {};
    }
    for (size_t i = 0; i < m_model.MainEntries.size(); ++i) {
        if (m_model.MainEntries[i].Rect.contains(px, py)) {
            // The 32nd cell is never a custom slot.
            m_lastHitIndex = i == size_t(kMainCount - 1) ? -1 : int(i);
            return m_model.MainEntries[i];
        }
    }
    if (m_model.ShadeMode) {
        for (const auto& e : m_model.ShadeEntries) {
            if (e.Rect.contains(px, py) && e.IsValid) {
                m_lastHitIndex = -1;
                return e;
            }
        }
    }
    return {};
}

void KQColorBox::rebaseOn(const PaletteEntry& hit) {
    if (hit.IsMain && hit.Hue != m_model.BaseEntry.Hue && m_model.ShadeMode) {
        m_model.BaseEntry = hit;
        m_model.BuildShadePalette();
        PaintShadeCells();
    }
}

void KQColorBox::picPopup_MouseDown(int, int, float X, float Y) {
    const forms::PixelRect client = picPopup.Surface.clientRect();
    if (X < client.left || Y < client.top || X >= client.right || Y >= client.bottom) {
        return;
    }
    DrawCellFrame(m_hover, false, false);
    const PaletteEntry hit = HitTest(X, Y);
    if (m_model.PalType == "Custom" && m_lastHitIndex != -1) {
        m_currentCustomSlot = m_lastHitIndex;
    }
    if (hit.IsValid) {
        m_hover = hit;
        SetActiveEntry(hit);
        rebaseOn(hit);
    }
    DrawCellFrame(m_hover, true, true);
}

void KQColorBox::picPopup_MouseMove(int Button, int, float X, float Y) {
    const bool left = (Button & forms::vbLeftButton) != 0;
    DrawCellFrame(m_hover, false, false);
    const PaletteEntry hit = HitTest(X, Y);
    if (hit.IsValid) {
        m_hover = hit;
        m_hovering = true;
        if (left) {
            SetActiveEntry(hit);
            rebaseOn(hit);
        }
        DrawCellFrame(m_hover, true, left);
    } else {
        m_hovering = false;
    }
    m_movedSinceTick = true;
}

void KQColorBox::picPopup_MouseUp(int, int, float X, float Y) {
    const forms::PixelRect client = picPopup.Surface.clientRect();
    const bool inside = X >= client.left && Y >= client.top && X < client.right && Y < client.bottom;
    if (inside) {
        const PaletteEntry hit = HitTest(X, Y);
        if (hit.IsValid) {
            SetSelectedEntry(hit);
            if (m_popupOpen) {
                EndPopup(); // a choice ends the popup
            }
        }
    } else {
        SetSelectedEntry(m_model.SelectedEntry);
    }
}

void KQColorBox::picPopup_Click() {
    if (m_hovering) {
        Click.raise();
    }
}

void KQColorBox::picPopup_DblClick() {
    if (m_hovering) {
        DblClick.raise();
    }
}

void KQColorBox::tmrHover_OnTimer() {
    if (m_model.ShadeMode && !m_movedSinceTick && m_hover.IsMain) {
        m_model.BaseEntry = m_hover;
        m_model.BuildShadePalette();
        if (picPopup.effectivelyVisible()) {
            PaintShadeCells();
        }
    }
    if (m_model.ShadeMode) {
        m_movedSinceTick = false;
    }
}

// ---- face, keys, popup ----

void KQColorBox::UserControl_Click() {
    if (m_popupEnabled) {
        if (!picPopup.Visible) {
            ShowPopup();
        }
    } else {
        Popup.raise();
    }
}

void KQColorBox::UserControl_DblClick() {
    DblClick.raise();
}

void KQColorBox::UserControl_KeyDown(int KeyCode, int Shift) {
    if (KeyCode == forms::vbKeySpace && Shift == 0) {
        UserControl_Click();
    }
}

void KQColorBox::ShowPopup() {
    m_model.BuildPalette();
    m_model.BuildShadePalette();
    m_popupShownGrid = !picPopup.Visible;
    picPopup.Visible = true;
    picPopup_Paint();
    picPopup.Surface.SetCapture();
    m_popupOpen = true;
    // Esc belongs to the grid while it is open, not to the host's cancel button.
    if (!m_hostCancelControl) {
        for (forms::Control* c : form().controls()) {
            auto* button = dynamic_cast<forms::CommandButton*>(c);
            if (button && button->Cancel) {
                m_hostCancelControl = button;
                button->Cancel = false;
                break;
            }
        }
    }
}

void KQColorBox::EndPopup() {
    if (!m_popupOpen) {
        return;
    }
    m_popupOpen = false;
    picPopup.Surface.ReleaseCapture();
    // The host's button may be gone already (the host form is being destroyed).
    const auto& controls = form().controls();
    if (m_hostCancelControl && std::find(controls.begin(), controls.end(), m_hostCancelControl) != controls.end()) {
        m_hostCancelControl->Cancel = true;
    }
    m_hostCancelControl = nullptr;
    if (m_popupShownGrid) {
        picPopup.Visible = false;
        m_popupShownGrid = false;
        PaintMain();
    }
}

// ---- "More Colors..." and the palette combo ----

void KQColorBox::MorePal_Click() {
    MColors.CancelError = true;
    MColors.Flags = 1;
    // The dialog is shared with the palette files, whose titles would otherwise stay on it.
    MColors.DialogTitle = "";
    if (!showDialog(MColors, &forms::CommonDialog::ShowColor)) {
        return;
    }
    const auto c = std::int32_t(MColors.Color());
    const HlsColor hls = RgbToHls(c);
    if (m_model.PalType == "Custom" && m_currentCustomSlot != -1) {
        const auto slot = size_t(m_currentCustomSlot);
        if (slot < m_model.CustomHues.size()) {
            m_model.CustomHues[slot] = hls.Hue;
        }
        PaletteEntry& e = m_model.CustomEntries[slot];
        e.Hue = hls.Hue;
        e.Saturation = hls.Saturation;
        e.Luminance = hls.Luminance;
        e.Color = c;
        DropPal.ListIndex = 1;
        m_model.PalType = "Custom";
    }
    for (PaletteEntry* e : {&m_model.SelectedEntry, &m_model.ActiveEntry}) {
        e->Color = c;
        e->Hue = hls.Hue;
        e->Saturation = hls.Saturation;
        e->Luminance = hls.Luminance;
    }
    m_model.BaseEntry = m_model.SelectedEntry;
    m_model.BuildPalette();
    m_model.BuildShadePalette();
    picPopup_Paint();
    PaintShadeCells();
    PaintMain();
    // The pointer is on the button, not on a cell: the next hover tick must not bring the old cell's shades back.
    m_hover = PaletteEntry{};
    PropertyChanged("ActiveColor");
    Change.raise(ActiveColor());
}

void KQColorBox::DropPal_Click() {
    const std::string item = DropPal.List(DropPal.ListIndex);
    if (item == "Load Custom" || item == "Save Custom") {
        if (item == "Load Custom") {
            LoadCustPal();
        } else {
            SaveCustPal();
        }
        m_model.PalType = "Custom";
        DropPal.ListIndex = 1;
    } else {
        m_model.PalType = item;
    }
    m_model.BuildPalette();
    picPopup_Paint();
}

// ---- palette files ----

long KQColorBox::SaveCustPal() {
    MColors.CancelError = true;
    MColors.Filter = "*.axp";
    MColors.DefaultExt = "axp";
    MColors.FileName = "";
    MColors.InitDir = runtime().App.Path;
    MColors.DialogTitle = "Save Palette As...";
    if (!showDialog(MColors, &forms::CommonDialog::ShowSave)) {
        return 0;
    }
    std::string fileName = MColors.FileName;
    if (fileName.size() < 4 || fileName.compare(fileName.size() - 4, 4, ".axp") != 0) {
        fileName += (!fileName.empty() && fileName.back() == '.') ? "axp" : ".axp";
    }
    PaletteRecords records;
    for (size_t k = 0; k < records.size() && k < m_model.CustomEntries.size(); ++k) {
        const PaletteEntry& e = m_model.CustomEntries[k];
        records[k] = {e.Color, e.Hue, e.Saturation, e.Luminance};
    }
    try {
        // A temporary file renamed over the target: the file is always whole and exactly 512 bytes.
        vb::writeAllBytes(fileName, encodePalette(records));
    } catch (const vb::RuntimeError& e) {
        runtime().logError(fullName() + ".SaveCustPal", e.Number(), e.Description());
        m_boxes.MsgBoxEx(kPaletteMessage, common::msgOk, "Color Manager");
    }
    return 0;
}

long KQColorBox::LoadCustPal() {
    MColors.CancelError = true;
    MColors.Filter = "*.axp";
    MColors.DefaultExt = "*.axp";
    MColors.FileName = "*.axp";
    MColors.InitDir = runtime().App.Path;
    MColors.DialogTitle = "Load Palette...";
    if (!showDialog(MColors, &forms::CommonDialog::ShowOpen)) {
        return 0;
    }
    Result<PaletteRecords> records = Error{ErrorCode::Io, 0, ""};
    try {
        // One byte more than a palette holds tells a longer file from a whole one, without reading a huge
        // file (or an endless device) into memory.
        records = decodePalette(vb::readAllBytes(MColors.FileName(), kPaletteFileSize + 1));
    } catch (const vb::RuntimeError& e) {
        records = Error{ErrorCode::Io, 0, e.Description()};
    }
    if (!records) {
        runtime().logError(fullName() + ".LoadCustPal", 0, records.error().detail);
        m_boxes.MsgBoxEx(kPaletteMessage, common::msgOk, "Glintwave SE");
        return 0;
    }
    // All 32 records at once, only after the whole file was read.
    for (size_t k = 0; k < records->size() && k < m_model.CustomEntries.size(); ++k) {
        PaletteEntry& e = m_model.CustomEntries[k];
        const PaletteRecord& r = (*records)[k];
        e.Color = r.Color;
        e.Hue = r.Hue;
        e.Saturation = r.Saturation;
        e.Luminance = r.Luminance;
    }
    return 0;
}

} // namespace glw::colour
