// Views of the simple controls: labels, buttons, check and option boxes, frames, pictures, images, scroll
// bars, sliders, progress bars and timers.
#include "FormWindow.h"
#include "Layout.h"
#include "QtDriver.h"
#include "Views.h"
#include "forms/Controls.h"
#include "forms/Form.h"
#include "forms/Runtime.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSlider>
#include <QStyle>
#include <QTimer>
#include <algorithm>

namespace glw::qt {

QString withoutMnemonics(const std::string& caption) {
    const QString text = QString::fromStdString(caption);
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'&') {
            if (i + 1 < text.size() && text[i + 1] == u'&') {
                out += u'&';
                ++i;
            }
            continue;
        }
        out += text[i];
    }
    return out;
}

QString withLineBreaks(QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    return text;
}

namespace {

Qt::Alignment labelAlignment(int alignment) {
    switch (alignment) {
    case 1:
        return Qt::AlignRight | Qt::AlignTop;
    case 2:
        return Qt::AlignHCenter | Qt::AlignTop;
    default:
        return Qt::AlignLeft | Qt::AlignTop;
    }
}

// ---- Label ----

class LabelView : public ControlView {
public:
    LabelView(FormWindow& window, forms::Label& label) : ControlView(window, label), m_label(label) {}

protected:
    QWidget* createWidget(QWidget* parent) override {
        auto* label = new QLabel(parent);
        label->setTextFormat(Qt::PlainText);
        new ClickFilter(
            label, [this] { user("click " + m_label.fullName(), [this] { m_label.userClick(); }); },
            [this] { user("dblclick " + m_label.fullName(), [this] { m_label.userDblClick(); }); });
        return label;
    }
    void applyOwn(forms::PropertyId property) override {
        auto* label = static_cast<QLabel*>(m_widget.data());
        if (wants(property, forms::PropertyId::Caption)) {
            label->setText(withLineBreaks(withoutMnemonics(m_label.Caption)));
        }
        if (wants(property, forms::PropertyId::Alignment)) {
            label->setAlignment(labelAlignment(m_label.Alignment));
        }
        if (wants(property, forms::PropertyId::WordWrap)) {
            label->setWordWrap(m_label.WordWrap);
        }
    }
    bool fillsBackground() const override { return true; }

private:
    forms::Label& m_label;
};

// ---- CommandButton ----

class ButtonView : public ControlView {
public:
    ButtonView(FormWindow& window, forms::CommandButton& button) : ControlView(window, button), m_button(button) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == m_widget && event->type() == QEvent::Resize) {
            fitIcon();
        }
        return false;
    }

protected:
    QWidget* createWidget(QWidget* parent) override {
        auto* button = new QPushButton(parent);
        button->setAutoDefault(false);
        button->installEventFilter(this);
        connect(button, &QPushButton::clicked, this,
                [this] { user("click " + m_button.fullName(), [this] { m_button.userClick(); }); });
        return button;
    }
    void applyOwn(forms::PropertyId property) override {
        auto* button = static_cast<QPushButton*>(m_widget.data());
        if (wants(property, forms::PropertyId::Picture)) {
            m_pixmap = loadPixmap(m_button.Picture);
            button->setIcon(m_pixmap.isNull() ? QIcon() : QIcon(m_pixmap));
            fitIcon();
        }
        // A picture button's picture is its face (its text is drawn in the picture): the caption shows only
        // on buttons without one, and is the tooltip of those with one when they have no tooltip of their own.
        if (wants(property, forms::PropertyId::Caption) || wants(property, forms::PropertyId::Picture) ||
            wants(property, forms::PropertyId::ToolTipText)) {
            const QString caption = QString::fromStdString(m_button.Caption);
            button->setText(m_pixmap.isNull() ? caption : QString());
            const std::string& tip = m_button.ToolTipText;
            button->setToolTip(QString::fromStdString(tip).isEmpty() && !m_pixmap.isNull()
                                   ? withoutMnemonics(m_button.Caption)
                                   : QString::fromStdString(tip));
        }
        if (wants(property, forms::PropertyId::Default)) {
            button->setDefault(m_button.Default);
        }
    }
    QSize defaultSize() const override {
        if (!m_pixmap.isNull()) {
            return m_pixmap.size() + QSize(8, 8);
        }
        return ControlView::defaultSize().expandedTo(QSize(75, 23));
    }

private:
    // A picture button shows its picture whole: as large as it is, or shrunk to fit inside the button.
    void fitIcon() {
        auto* button = static_cast<QPushButton*>(m_widget.data());
        if (!button || m_pixmap.isNull()) {
            return;
        }
        const QSize room = (button->size() - QSize(8, 8)).expandedTo(QSize(1, 1));
        QSize size = m_pixmap.size();
        if (size.width() > room.width() || size.height() > room.height()) {
            size.scale(room, Qt::KeepAspectRatio);
        }
        button->setIconSize(size);
    }

    forms::CommandButton& m_button;
    QPixmap m_pixmap;
};

// ---- CheckBox and OptionButton ----

// The whole rectangle of a check or option box takes the click, as in the original, not only its box and
// caption text.
template <class Button> class WholeRectButton : public Button {
public:
    using Button::Button;

protected:
    bool hitButton(const QPoint& pos) const override { return this->rect().contains(pos); }
};

class CheckView : public ControlView {
public:
    CheckView(FormWindow& window, forms::CheckBox& check) : ControlView(window, check), m_check(check) {}

    void resync() override { apply(forms::PropertyId::Value); }

protected:
    QWidget* createWidget(QWidget* parent) override {
        auto* box = new WholeRectButton<QCheckBox>(parent);
        connect(box, &QCheckBox::clicked, this, [this] {
            if (user("click " + m_check.fullName(), [this] { m_check.userClick(); })) {
                resync();
            }
        });
        return box;
    }
    void applyOwn(forms::PropertyId property) override {
        auto* box = static_cast<QCheckBox*>(m_widget.data());
        if (wants(property, forms::PropertyId::Caption)) {
            box->setText(QString::fromStdString(m_check.Caption));
        }
        if (wants(property, forms::PropertyId::Value)) {
            const int value = m_check.Value;
            box->setTristate(value == forms::vbGrayed);
            box->setCheckState(value == forms::vbChecked  ? Qt::Checked
                               : value == forms::vbGrayed ? Qt::PartiallyChecked
                                                          : Qt::Unchecked);
        }
    }
    bool fillsBackground() const override { return true; }

private:
    forms::CheckBox& m_check;
};

class OptionView : public ControlView {
public:
    OptionView(FormWindow& window, forms::OptionButton& option) : ControlView(window, option), m_option(option) {}

    void resync() override { apply(forms::PropertyId::Value); }

protected:
    QWidget* createWidget(QWidget* parent) override {
        auto* radio = new WholeRectButton<QRadioButton>(parent);
        // The runtime clears the other options of the container itself; Qt's own exclusivity would uncheck
        // them behind its back and a click on a checked option would not tell us.
        radio->setAutoExclusive(false);
        connect(radio, &QRadioButton::clicked, this, [this] {
            if (user("click " + m_option.fullName(), [this] { m_option.userClick(); })) {
                resync();
            }
        });
        return radio;
    }
    void applyOwn(forms::PropertyId property) override {
        auto* radio = static_cast<QRadioButton*>(m_widget.data());
        if (wants(property, forms::PropertyId::Caption)) {
            radio->setText(QString::fromStdString(m_option.Caption));
        }
        if (wants(property, forms::PropertyId::Value)) {
            radio->setChecked(m_option.Value);
        }
    }
    bool fillsBackground() const override { return true; }

private:
    forms::OptionButton& m_option;
};

// ---- Frame ----

class FrameView : public ControlView {
public:
    FrameView(FormWindow& window, forms::Frame& frame) : ControlView(window, frame), m_frame(frame) {}

    QWidget* childParent() const override { return m_widget; }
    Pixels childTopInset() const override { return Pixels{m_widget ? m_widget->fontMetrics().height() + 4 : 0}; }
    QSize defaultSize() const override { return QSize(160, 100); }

protected:
    QWidget* createWidget(QWidget* parent) override {
        auto* box = new QGroupBox(parent);
        new ClickFilter(box, [this] { user("click " + m_frame.fullName(), [this] { m_frame.userClick(); }); });
        return box;
    }
    void applyOwn(forms::PropertyId property) override {
        if (wants(property, forms::PropertyId::Caption)) {
            static_cast<QGroupBox*>(m_widget.data())->setTitle(QString::fromStdString(m_frame.Caption));
        }
    }
    bool fillsBackground() const override { return true; }
    bool opaque() const override { return true; }

private:
    forms::Frame& m_frame;
};

// ---- PictureBox ----

// Paints the background and the picture at the top-left corner, as the original picture box does.
class PictureWidget : public QWidget {
public:
    using QWidget::QWidget;
    void setPixmap(const QPixmap& pixmap) {
        m_pixmap = pixmap;
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        if (m_pixmap.isNull()) {
            return;
        }
        QPainter painter(this);
        painter.drawPixmap(0, 0, m_pixmap);
    }

private:
    QPixmap m_pixmap;
};

class PictureView : public ControlView {
public:
    PictureView(FormWindow& window, forms::PictureBox& picture) : ControlView(window, picture), m_picture(picture) {}

    QWidget* childParent() const override { return m_widget; }
    QSize defaultSize() const override { return m_pixmap.isNull() ? QSize(100, 100) : m_pixmap.size(); }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != m_widget) {
            return false;
        }
        const auto type = event->type();
        if (type != QEvent::MouseButtonPress && type != QEvent::MouseMove && type != QEvent::MouseButtonRelease) {
            return false;
        }
        auto* mouse = static_cast<QMouseEvent*>(event);
        const QPoint at = mouse->position().toPoint();
        const float x = float(toTwips(Pixels{at.x()}).value);
        const float y = float(toTwips(Pixels{at.y()}).value);
        const int shift = vbShiftState(mouse->modifiers());
        const std::string name = m_picture.fullName();
        if (type == QEvent::MouseButtonPress) {
            const int button = vbMouseButtons(mouse->button());
            user("mousedown " + name, [&] { m_picture.MouseDown.raise(button, shift, x, y); });
        } else if (type == QEvent::MouseMove) {
            if (m_picture.MouseMove) {
                const int buttons = vbMouseButtons(mouse->buttons());
                user("mousemove " + name, [&] { m_picture.MouseMove.raise(buttons, shift, x, y); });
            }
        } else {
            const int button = vbMouseButtons(mouse->button());
            const bool inside = m_widget->rect().contains(at);
            if (user("mouseup " + name, [&] { m_picture.MouseUp.raise(button, shift, x, y); }) && inside &&
                button == forms::vbLeftButton) {
                user("click " + name, [this] { m_picture.userClick(); });
            }
        }
        return false;
    }

protected:
    QWidget* createWidget(QWidget* parent) override {
        auto* widget = new PictureWidget(parent);
        widget->setMouseTracking(true);
        widget->installEventFilter(this);
        return widget;
    }
    void applyOwn(forms::PropertyId property) override {
        if (wants(property, forms::PropertyId::Picture)) {
            m_pixmap = loadPixmap(m_picture.Picture);
            static_cast<PictureWidget*>(m_widget.data())->setPixmap(m_pixmap);
        }
    }
    bool fillsBackground() const override { return true; }
    bool opaque() const override { return true; }

private:
    forms::PictureBox& m_picture;
    QPixmap m_pixmap;
};

// ---- Image ----

// The desktop style's message-box icon for the icon part of a box's style; null for none.
QPixmap standardIcon(QWidget* widget, int style) {
    QStyle::StandardPixmap which;
    switch (style) {
    case 16:
        which = QStyle::SP_MessageBoxCritical;
        break;
    case 32:
        which = QStyle::SP_MessageBoxQuestion;
        break;
    case 48:
        which = QStyle::SP_MessageBoxWarning;
        break;
    case 64:
        which = QStyle::SP_MessageBoxInformation;
        break;
    default:
        return {};
    }
    const int size = widget->style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, widget);
    return widget->style()->standardIcon(which, nullptr, widget).pixmap(size, size);
}

class ImageView : public ControlView {
public:
    ImageView(FormWindow& window, forms::Image& image) : ControlView(window, image), m_image(image) {}

    QSize defaultSize() const override { return m_pixmap.isNull() ? QSize(32, 32) : m_pixmap.size(); }
    // Without Stretch the image takes its picture's size, as the original's does.
    void adjustBox(PixelBox& box) const override {
        if (!m_image.Stretch && !m_pixmap.isNull()) {
            box.width = m_pixmap.width();
            box.height = m_pixmap.height();
        }
    }

protected:
    QWidget* createWidget(QWidget* parent) override {
        auto* label = new QLabel(parent);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        new ClickFilter(
            label, [this] { user("click " + m_image.fullName(), [this] { m_image.userClick(); }); },
            [this] { user("dblclick " + m_image.fullName(), [this] { m_image.userDblClick(); }); });
        return label;
    }
    void applyOwn(forms::PropertyId property) override {
        auto* label = static_cast<QLabel*>(m_widget.data());
        if (wants(property, forms::PropertyId::Picture) || wants(property, forms::PropertyId::StandardIcon)) {
            m_pixmap = loadPixmap(m_image.Picture);
            if (m_pixmap.isNull()) {
                m_pixmap = standardIcon(label, m_image.StandardIcon);
            }
            label->setPixmap(m_pixmap);
            if (property != forms::PropertyId::All) {
                window().applyControl(m_image, forms::PropertyId::Width); // the size follows the picture
            }
        }
        if (wants(property, forms::PropertyId::Stretch)) {
            label->setScaledContents(m_image.Stretch);
            if (property != forms::PropertyId::All) {
                window().applyControl(m_image, forms::PropertyId::Width);
            }
        }
    }

private:
    forms::Image& m_image;
    QPixmap m_pixmap;
};

// ---- HScrollBar, Slider, ProgressBar ----

class RangeView : public ControlView {
public:
    RangeView(FormWindow& window, forms::RangeControl& range) : ControlView(window, range), m_range(range) {}

    void resync() override { apply(forms::PropertyId::Value); }
    QSize defaultSize() const override {
        if (m_range.kind() == forms::ControlKind::HScrollBar) {
            return QSize(120, 17);
        }
        return ControlView::defaultSize().expandedTo(QSize(120, 0));
    }

protected:
    QWidget* createWidget(QWidget* parent) override {
        if (m_range.kind() == forms::ControlKind::ProgressBar) {
            auto* bar = new QProgressBar(parent);
            bar->setTextVisible(false);
            return bar;
        }
        QAbstractSlider* slider = nullptr;
        if (m_range.kind() == forms::ControlKind::Slider) {
            auto* s = new QSlider(Qt::Horizontal, parent);
            s->setTickPosition(QSlider::TicksBelow);
            slider = s;
        } else {
            slider = new QScrollBar(Qt::Horizontal, parent);
            // Qt's scroll bars never take the focus; the forms' bars take it when clicked, so that the
            // control that had it loses it and gains it again on the next click.
            slider->setFocusPolicy(Qt::StrongFocus);
        }
        // While a scroll bar's thumb is dragged, the bar reaches the runtime only where it rests (kDragRest
        // without a move) and where it is released: a handler that shows a page for each value would
        // otherwise run once per mouse movement. A slider's drag reaches it all the way.
        m_dragRest.setSingleShot(true);
        m_dragRest.setInterval(kDragRest);
        connect(&m_dragRest, &QTimer::timeout, this, [this] { scrolled(m_dragValue); });
        const bool deferDrags = m_range.kind() == forms::ControlKind::HScrollBar;
        connect(slider, &QAbstractSlider::valueChanged, this, [this, slider, deferDrags](int value) {
            if (deferDrags && slider->isSliderDown()) {
                m_dragValue = value;
                m_dragRest.start();
                return;
            }
            scrolled(value);
        });
        connect(slider, &QAbstractSlider::sliderReleased, this, [this, slider] {
            m_dragRest.stop();
            scrolled(slider->value());
        });
        return slider;
    }
    void scrolled(int value) {
        if (value == m_range.Value) {
            return;
        }
        if (auto& trace = m_range.runtime().trace(); trace.enabled() && !driver().applying()) {
            trace.write("scroll " + m_range.fullName() + " " + std::to_string(value));
        }
        if (user("scroll " + m_range.fullName(), [this, value] { m_range.userScroll(value); })) {
            resync();
        }
    }
    void applyOwn(forms::PropertyId property) override {
        const int lo = std::min<int>(m_range.Min, m_range.Max);
        const int hi = std::max<int>(m_range.Min, m_range.Max);
        const bool inverted = m_range.Max < m_range.Min;
        const bool range = wants(property, forms::PropertyId::Min) || wants(property, forms::PropertyId::Max);
        if (auto* bar = qobject_cast<QProgressBar*>(m_widget.data())) {
            if (range) {
                bar->setRange(lo, hi);
                bar->setInvertedAppearance(inverted);
            }
            if (range || wants(property, forms::PropertyId::Value)) {
                bar->setValue(m_range.Value);
            }
            return;
        }
        auto* slider = static_cast<QAbstractSlider*>(m_widget.data());
        if (range) {
            slider->setRange(lo, hi);
            slider->setInvertedAppearance(inverted);
            slider->setInvertedControls(inverted);
        }
        // A scroll bar's thumb under the mouse stays there: the runtime hears of the drag where it rests.
        const bool dragged = m_range.kind() == forms::ControlKind::HScrollBar && slider->isSliderDown();
        if (range || (wants(property, forms::PropertyId::Value) && !dragged)) {
            slider->setValue(m_range.Value);
        }
        if (wants(property, forms::PropertyId::SmallChange)) {
            slider->setSingleStep(m_range.SmallChange);
        }
        if (wants(property, forms::PropertyId::LargeChange)) {
            slider->setPageStep(m_range.LargeChange);
        }
    }

private:
    static constexpr int kDragRest = 100; // milliseconds
    forms::RangeControl& m_range;
    QTimer m_dragRest;
    int m_dragValue = 0;
};

// ---- Timer ----

class TimerView : public ControlView {
public:
    TimerView(FormWindow& window, forms::Timer& timer) : ControlView(window, timer), m_timer(timer) {
        m_qtimer = new QTimer(this);
        connect(m_qtimer, &QTimer::timeout, this, [this] {
            // A handler that pumps messages (DoEvents) does not run into its own next tick.
            if (m_firing) {
                return;
            }
            m_firing = true;
            QPointer<TimerView> self(this);
            user("tick " + m_timer.fullName(), [this] { m_timer.fire(); });
            if (self) {
                m_firing = false;
            }
        });
    }

protected:
    QWidget* createWidget(QWidget*) override { return nullptr; }
    void applyOwn(forms::PropertyId property) override {
        if (!wants(property, forms::PropertyId::Interval) && !wants(property, forms::PropertyId::Enabled)) {
            return;
        }
        if (m_timer.active()) {
            m_qtimer->start(m_timer.Interval); // a new interval or a new start counts from now
        } else {
            m_qtimer->stop();
        }
    }

private:
    forms::Timer& m_timer;
    QTimer* m_qtimer;
    bool m_firing = false;
};

// ---- Menus, common dialogs, unknown kinds ----

class HiddenView : public ControlView {
public:
    using ControlView::ControlView;

protected:
    QWidget* createWidget(QWidget*) override { return nullptr; }
    void applyOwn(forms::PropertyId) override {}
};

class PlaceholderView : public ControlView {
public:
    using ControlView::ControlView;
    QSize defaultSize() const override { return QSize(100, 40); }

protected:
    QWidget* createWidget(QWidget* parent) override {
        auto* label = new QLabel(parent);
        label->setFrameShape(QFrame::StyledPanel);
        label->setAlignment(Qt::AlignCenter);
        label->setText(QString::fromStdString(m_control->displayName()));
        return label;
    }
    void applyOwn(forms::PropertyId) override {}
};

} // namespace

std::unique_ptr<ControlView> makeLabelView(FormWindow& w, forms::Label& c) {
    return std::make_unique<LabelView>(w, c);
}
std::unique_ptr<ControlView> makeButtonView(FormWindow& w, forms::CommandButton& c) {
    return std::make_unique<ButtonView>(w, c);
}
std::unique_ptr<ControlView> makeCheckView(FormWindow& w, forms::CheckBox& c) {
    return std::make_unique<CheckView>(w, c);
}
std::unique_ptr<ControlView> makeOptionView(FormWindow& w, forms::OptionButton& c) {
    return std::make_unique<OptionView>(w, c);
}
std::unique_ptr<ControlView> makeFrameView(FormWindow& w, forms::Frame& c) {
    return std::make_unique<FrameView>(w, c);
}
std::unique_ptr<ControlView> makePictureView(FormWindow& w, forms::PictureBox& c) {
    return std::make_unique<PictureView>(w, c);
}
std::unique_ptr<ControlView> makeImageView(FormWindow& w, forms::Image& c) {
    return std::make_unique<ImageView>(w, c);
}
std::unique_ptr<ControlView> makeRangeView(FormWindow& w, forms::RangeControl& c) {
    return std::make_unique<RangeView>(w, c);
}
std::unique_ptr<ControlView> makeTimerView(FormWindow& w, forms::Timer& c) {
    return std::make_unique<TimerView>(w, c);
}
std::unique_ptr<ControlView> makeHiddenView(FormWindow& w, forms::Control& c) {
    return std::make_unique<HiddenView>(w, c);
}
std::unique_ptr<ControlView> makePlaceholderView(FormWindow& w, forms::Control& c) {
    return std::make_unique<PlaceholderView>(w, c);
}

} // namespace glw::qt
