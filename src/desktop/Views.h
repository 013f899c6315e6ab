// The view classes of the standard controls, made by makeView (internal to the renderer).
#pragma once

#include "ControlView.h"

namespace glw::forms {
class CheckBox;
class ComboBox;
class CommandButton;
class FlashPlayer;
class Frame;
class Image;
class Label;
class ListControl;
class ListView;
class OptionButton;
class PictureBox;
class RangeControl;
class SurfaceControl;
class TextBox;
class Timer;
} // namespace glw::forms

namespace glw::qt {

std::unique_ptr<ControlView> makeLabelView(FormWindow& window, forms::Label& control);
std::unique_ptr<ControlView> makeButtonView(FormWindow& window, forms::CommandButton& control);
std::unique_ptr<ControlView> makeCheckView(FormWindow& window, forms::CheckBox& control);
std::unique_ptr<ControlView> makeOptionView(FormWindow& window, forms::OptionButton& control);
std::unique_ptr<ControlView> makeFrameView(FormWindow& window, forms::Frame& control);
std::unique_ptr<ControlView> makePictureView(FormWindow& window, forms::PictureBox& control);
std::unique_ptr<ControlView> makeImageView(FormWindow& window, forms::Image& control);
std::unique_ptr<ControlView> makeRangeView(FormWindow& window, forms::RangeControl& control);
std::unique_ptr<ControlView> makeTimerView(FormWindow& window, forms::Timer& control);
// Menus and common dialogs: no widget (the form's menu bar and the driver's dialogs show them).
std::unique_ptr<ControlView> makeHiddenView(FormWindow& window, forms::Control& control);
// A control of a kind the renderer does not know: a framed placeholder, so the form still shows its place.
std::unique_ptr<ControlView> makePlaceholderView(FormWindow& window, forms::Control& control);
std::unique_ptr<ControlView> makeTextView(FormWindow& window, forms::TextBox& control);
std::unique_ptr<ControlView> makeListBoxView(FormWindow& window, forms::ListControl& control);
// Combo boxes, and drive lists (a list control shown as a drop-down without an edit field).
std::unique_ptr<ControlView> makeComboView(FormWindow& window, forms::ListControl& control);
std::unique_ptr<ControlView> makeListViewView(FormWindow& window, forms::ListView& control);
std::unique_ptr<ControlView> makeMovieView(FormWindow& window, forms::FlashPlayer& control);
// User-drawn controls (SurfaceView.cpp): their surface painted with QPainter.
std::unique_ptr<ControlView> makeSurfaceView(FormWindow& window, forms::SurfaceControl& control);

// "&File" as plain text: a single "&" marks a mnemonic and is dropped, "&&" is one "&".
QString withoutMnemonics(const std::string& caption);
// A label's text with CR, LF and CR LF each one line break (Qt's plain text takes a lone CR for a blank).
QString withLineBreaks(QString text);

} // namespace glw::qt
