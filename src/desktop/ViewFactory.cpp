// Picks the view of a control by its kind, checking its class so that a kind without a class of its own yet
// (the drive, folder and file lists) still gets the view of the class it derives from.
#include "Views.h"
#include "forms/CommonDialog.h"
#include "forms/Controls.h"
#include "forms/FlashPlayer.h"
#include "forms/ListView.h"
#include "forms/UserControl.h"

namespace glw::qt {

namespace {

template <class T> T* as(forms::Control& control) {
    return dynamic_cast<T*>(&control);
}

} // namespace

std::unique_ptr<ControlView> makeView(FormWindow& window, forms::Control& control) {
    using K = forms::ControlKind;
    // User-drawn controls, whatever kind they stand for (a picture box the program draws on).
    if (auto* c = as<forms::SurfaceControl>(control)) {
        return makeSurfaceView(window, *c);
    }
    switch (control.kind()) {
    case K::Label:
        if (auto* c = as<forms::Label>(control)) {
            return makeLabelView(window, *c);
        }
        break;
    case K::TextBox:
        if (auto* c = as<forms::TextBox>(control)) {
            return makeTextView(window, *c);
        }
        break;
    case K::CommandButton:
        if (auto* c = as<forms::CommandButton>(control)) {
            return makeButtonView(window, *c);
        }
        break;
    case K::CheckBox:
        if (auto* c = as<forms::CheckBox>(control)) {
            return makeCheckView(window, *c);
        }
        break;
    case K::OptionButton:
        if (auto* c = as<forms::OptionButton>(control)) {
            return makeOptionView(window, *c);
        }
        break;
    case K::Frame:
        if (auto* c = as<forms::Frame>(control)) {
            return makeFrameView(window, *c);
        }
        break;
    case K::ListBox:
    case K::DirListBox:
    case K::FileListBox:
        if (auto* c = as<forms::ListControl>(control)) {
            return makeListBoxView(window, *c);
        }
        break;
    case K::ComboBox:
    case K::DriveListBox:
        if (auto* c = as<forms::ListControl>(control)) {
            return makeComboView(window, *c);
        }
        break;
    case K::PictureBox:
        if (auto* c = as<forms::PictureBox>(control)) {
            return makePictureView(window, *c);
        }
        break;
    case K::Image:
        if (auto* c = as<forms::Image>(control)) {
            return makeImageView(window, *c);
        }
        break;
    case K::HScrollBar:
    case K::Slider:
    case K::ProgressBar:
        if (auto* c = as<forms::RangeControl>(control)) {
            return makeRangeView(window, *c);
        }
        break;
    case K::Timer:
        if (auto* c = as<forms::Timer>(control)) {
            return makeTimerView(window, *c);
        }
        break;
    case K::ListView:
        if (auto* c = as<forms::ListView>(control)) {
            return makeListViewView(window, *c);
        }
        break;
    case K::FlashPlayer:
        if (auto* c = as<forms::FlashPlayer>(control)) {
            return makeMovieView(window, *c);
        }
        break;
    case K::UserControl:
        break;
    case K::Menu:
    case K::CommonDialog:
        return makeHiddenView(window, control);
    }
    return makePlaceholderView(window, control);
}

} // namespace glw::qt
