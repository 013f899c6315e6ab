// The colour picker: a fixed-size user control whose grid surface picPopup shows the main grid of 32 named
// colours and the shade grid of a base colour, with the palette combo and "More Colors...". Pressing a cell
// makes it active, releasing the button over a cell selects it, and resting on a main cell for one tick of
// the hover timer shows its shades.
#pragma once

#include "Palette.h"
#include "QuelloTimer.h"
#include "common/MsgForm.h"
#include "forms/CommonDialog.h"
#include "forms/UserControl.h"

namespace glw::colour {

class KQColorBox : public forms::UserControl {
public:
    // Constituent controls are made on `form` under "<name>.<control>" and contained by the picker.
    // `boxes` shows the palette files' messages.
    KQColorBox(forms::Form& form, std::string name, common::Module1& boxes);
    ~KQColorBox() override;

    // --- constituent controls ---
    forms::SurfacePicture picPopup{form(), name() + ".picPopup"};
    forms::ComboBox DropPal{form(), name() + ".DropPal"};
    forms::CommandButton MorePal{form(), name() + ".MorePal"};
    forms::CommonDialog MColors{form(), name() + ".MColors"};
    QuelloTimer tmrHover{form(), name() + ".tmrHover"};

    // --- events: Click, Change (ActiveColor), DblClick, Popup ---
    // (Click and DblClick are the control's own events: a new selected colour, a double-click.)
    forms::Event<long> Change;
    forms::Event<> Popup;

    // --- properties ---
    long ActiveColor() const { return m_model.ActiveEntry.Color; }
    std::string ActiveText() const { return m_model.ActiveEntry.Name; }
    long SelectedColor() const { return m_model.SelectedEntry.Color; }
    // A colour other than the selected one selects the nearest palette entry and shows its shades.
    void setSelectedColor(long colour);
    std::string Text() const { return m_model.SelectedEntry.Name; }
    // The active colour as "#RRGGBB".
    std::string HTMLColor() const;
    // Selects exactly the colour of the text (read by WhatRGB), named "Custom"; raises no event.
    void setHTMLColor(const std::string& HexVal);
    const std::string& PalType() const { return m_model.PalType; }
    long Palette() const { return m_palette; }
    void setPalette(long n);
    bool PopupEnabled() const { return m_popupEnabled; }
    void setPopupEnabled(bool enabled);

    // --- methods ---
    long SaveCustPal();
    long LoadCustPal();
    void PaintMain();
    // The full paint: the grid, the shade cells again, the face.
    void RefreshAll();

    // Shows the grid with the pointer captured, taking the Esc key from the host's Cancel button while it
    // is open; EndPopup gives both back (and hides the grid again when ShowPopup had to show it).
    void ShowPopup();
    void EndPopup();

    const PaletteModel& model() const { return m_model; }
    const PaletteEntry& HoverEntry() const { return m_hover; }
    int CurrentCustomSlot() const { return m_currentCustomSlot; }
    // The cell under a point of the grid (rounded to whole pixels); an empty record for none.
    PaletteEntry HitTest(float x, float y);

    // Handlers, as the control names them.
    void picPopup_Paint();
    void picPopup_MouseDown(int Button, int Shift, float X, float Y);
    void picPopup_MouseMove(int Button, int Shift, float X, float Y);
    void picPopup_MouseUp(int Button, int Shift, float X, float Y);
    void picPopup_Click();
    void picPopup_DblClick();
    void tmrHover_OnTimer();
    void MorePal_Click();
    void DropPal_Click();

protected:
    void UserControl_Click() override;
    void UserControl_DblClick() override;
    void UserControl_KeyDown(int KeyCode, int Shift) override;
    void UserControl_Paint() override { RefreshAll(); }
    void UserControl_InitProperties() override;
    void UserControl_ReadProperties(const forms::PropertyBag& PropBag) override;
    void UserControl_WriteProperties(forms::PropertyBag& PropBag) override;

private:
    void SetActiveEntry(const PaletteEntry& entry);
    void SetSelectedEntry(const PaletteEntry& entry);
    void SelectNearestColor(std::int32_t colour);
    void PaintCell(const PaletteEntry& entry);
    void PaintShadeCells();
    void DrawCellFrame(const PaletteEntry& entry, bool draw, bool sunken);
    // Rebuilds the shade grid from a main cell when its hue differs from the base's.
    void rebaseOn(const PaletteEntry& hit);
    void FixControlSize();

    common::Module1& m_boxes;
    PaletteModel m_model;
    PaletteEntry m_hover;
    bool m_hovering = false;
    bool m_movedSinceTick = false;
    int m_lastHitIndex = -1;
    int m_currentCustomSlot = -1;
    long m_palette = 11;
    bool m_popupEnabled = true;
    bool m_popupOpen = false;
    bool m_popupShownGrid = false;
    forms::CommandButton* m_hostCancelControl = nullptr;
    bool m_fixingSize = false;
};

// The picker's fixed size in twips.
inline constexpr int kColorBoxWidth = 2355;
inline constexpr int kColorBoxHeight = 2085;

} // namespace glw::colour
