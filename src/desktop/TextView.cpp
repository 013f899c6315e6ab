// The text box's view: a line edit or a plain-text edit, typing that raises KeyPress and Change as the
// original does, and the text set from code shown without an echo.
#include "FormWindow.h"
#include "Keys.h"
#include "QtDriver.h"
#include "Views.h"
#include "forms/Controls.h"
#include "forms/Form.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextCursor>

namespace glw::qt {

namespace {

// The runtime keeps line breaks as CR LF; Qt's editors use LF.
QString toWidgetText(const std::string& text) {
    return withLineBreaks(QString::fromStdString(text));
}

std::string fromWidgetText(QString text, bool multiLine) {
    if (multiLine) {
        text.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    }
    return text.toStdString();
}

class TextView : public ControlView {
public:
    TextView(FormWindow& window, forms::TextBox& box) : ControlView(window, box), m_box(box) {}

    void resync() override {
        if (!m_widget) {
            return;
        }
        const QSignalBlocker blocker(m_widget.data());
        showText();
    }

    QSize defaultSize() const override { return m_multi ? QSize(200, 80) : QSize(100, 21); }

    bool typeKey(const VbKey& key) override {
        if (key.ascii == 0) {
            return false;
        }
        forms::Form& form = m_box.form();
        resync();
        if (typesAtEnd(key)) {
            // The runtime's own typing: KeyPress (previewed by the form), then the character at the end of
            // the text and Change. The widget then shows the result.
            if (user("key " + form.name(), [&form, &key] { form.userKeyPress(key.ascii); })) {
                resync();
                moveCaretToEnd();
            }
            return true;
        }
        // Typing inside the text: KeyPress may change or swallow the character; the widget then types it at
        // the caret and its edit signal reports the new text (one Change).
        int ascii = key.ascii;
        if (!user("keypress " + m_box.fullName(), [this, &ascii] { m_box.KeyPress.raise(ascii); })) {
            return true;
        }
        if (ascii == 0 || m_box.Locked) {
            return true;
        }
        if (ascii == key.ascii) {
            return false;
        }
        insertAtCaret(QString(QChar(ascii)));
        edited();
        return true;
    }

protected:
    QWidget* createWidget(QWidget* parent) override {
        m_multi = m_box.MultiLine;
        QWidget* widget = nullptr;
        if (m_multi) {
            auto* edit = new QPlainTextEdit(parent);
            edit->setTabChangesFocus(true);
            connect(edit, &QPlainTextEdit::textChanged, this, [this] { edited(); });
            new ClickFilter(edit->viewport(), [this] { click(); });
            widget = edit;
        } else {
            auto* edit = new QLineEdit(parent);
            connect(edit, &QLineEdit::textEdited, this, [this] { edited(); });
            new ClickFilter(edit, [this] { click(); });
            widget = edit;
        }
        return widget;
    }

    void applyOwn(forms::PropertyId property) override {
        if (property == forms::PropertyId::MultiLine) {
            if (m_multi != m_box.MultiLine) {
                rebuildWidget();
            }
            return;
        }
        if (wants(property, forms::PropertyId::Text)) {
            showText();
        }
        if (auto* line = lineEdit()) {
            if (wants(property, forms::PropertyId::Locked)) {
                line->setReadOnly(m_box.Locked);
            }
            if (wants(property, forms::PropertyId::MaxLength)) {
                line->setMaxLength(m_box.MaxLength > 0 ? int(m_box.MaxLength) : 32767);
            }
            if (wants(property, forms::PropertyId::PasswordChar)) {
                line->setEchoMode(std::string(m_box.PasswordChar).empty() ? QLineEdit::Normal : QLineEdit::Password);
            }
        } else if (auto* multi = multiEdit()) {
            if (wants(property, forms::PropertyId::Locked)) {
                multi->setReadOnly(m_box.Locked);
            }
        }
    }

    long defaultBackColor() const override { return forms::kWindowBackground; }

private:
    QLineEdit* lineEdit() const { return m_multi ? nullptr : static_cast<QLineEdit*>(m_widget.data()); }
    QPlainTextEdit* multiEdit() const { return m_multi ? static_cast<QPlainTextEdit*>(m_widget.data()) : nullptr; }

    QString widgetText() const {
        if (auto* line = lineEdit()) {
            return line->text();
        }
        if (auto* multi = multiEdit()) {
            return multi->toPlainText();
        }
        return {};
    }

    void showText() {
        const QString text = toWidgetText(m_box.Text);
        if (text == widgetText()) {
            return; // an echo of the user's own edit: keep the caret where it is
        }
        if (auto* line = lineEdit()) {
            line->setText(text);
        } else if (auto* multi = multiEdit()) {
            multi->setPlainText(text);
        }
    }

    bool caretAtEnd() const {
        if (auto* line = lineEdit()) {
            return !line->hasSelectedText() && line->cursorPosition() == line->text().size();
        }
        if (auto* multi = multiEdit()) {
            const QTextCursor cursor = multi->textCursor();
            return !cursor.hasSelection() && cursor.atEnd();
        }
        return false;
    }

    void moveCaretToEnd() {
        if (auto* line = lineEdit()) {
            line->end(false);
        } else if (auto* multi = multiEdit()) {
            multi->moveCursor(QTextCursor::End);
        }
    }

    // Whether the runtime's typing (which always works at the end of the text, one byte per character)
    // gives what the widget would: Escape and a single-line Enter never change the text.
    bool typesAtEnd(const VbKey& key) const {
        if (key.wide) {
            return false;
        }
        if (key.ascii == 27 || (key.ascii == 13 && !m_multi)) {
            return true;
        }
        if (!caretAtEnd() || key.ascii >= 128) {
            return false;
        }
        if (key.ascii == 8) {
            const std::string& text = m_box.Text;
            return text.empty() || static_cast<unsigned char>(text.back()) < 0x80;
        }
        return true;
    }

    void insertAtCaret(const QString& text) {
        const QSignalBlocker blocker(m_widget.data());
        if (auto* line = lineEdit()) {
            line->insert(text);
        } else if (auto* multi = multiEdit()) {
            multi->insertPlainText(text);
        }
    }

    void edited() {
        if (driver().applying()) {
            return;
        }
        const std::string text = fromWidgetText(widgetText(), m_multi);
        if (text == std::string(m_box.Text)) {
            return;
        }
        if (user("type " + m_box.fullName(), [this, &text] { m_box.userSetText(text); })) {
            resync();
        }
    }

    void click() {
        user("click " + m_box.fullName(), [this] { m_box.userClick(); });
    }

    forms::TextBox& m_box;
    bool m_multi = false;
};

} // namespace

std::unique_ptr<ControlView> makeTextView(FormWindow& w, forms::TextBox& c) {
    return std::make_unique<TextView>(w, c);
}

} // namespace glw::qt
