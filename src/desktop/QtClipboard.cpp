// The clipboard through Qt with its hand-over to the holder program, and the desktop's font list.
#include "QtClipboard.h"

#include "base/Ascii.h"
#include "forms/Launch.h"
#include "platform/HolderClipboard.h"

#include <QClipboard>
#include <QFontDatabase>
#include <QGuiApplication>
#include <algorithm>
#include <filesystem>

namespace glw::qt {

QtClipboard::QtClipboard(std::string holderPath) : m_holderPath(std::move(holderPath)) {}

std::string QtClipboard::defaultHolderPath() {
    const std::filesystem::path exe = forms::ownExecutablePath();
    return exe.empty() ? std::string() : (exe.parent_path() / "glwclipholder").string();
}

std::string QtClipboard::getText() {
    return QGuiApplication::clipboard()->text(QClipboard::Clipboard).toStdString();
}

void QtClipboard::setText(const std::string& text) {
    if (handToHolder(text)) {
        return;
    }
    QGuiApplication::clipboard()->setText(QString::fromStdString(text), QClipboard::Clipboard);
}

void QtClipboard::clear() {
    QClipboard* clipboard = QGuiApplication::clipboard();
    // Qt clears only a clipboard it owns: own it first (with no text), then give it up, which also makes a
    // holder that owned it end.
    clipboard->setText(QString(), QClipboard::Clipboard);
    clipboard->clear(QClipboard::Clipboard);
}

bool QtClipboard::handToHolder(const std::string& text) {
    return !m_holderPath.empty() && QGuiApplication::platformName() == QLatin1String("xcb") &&
           platform::holdClipboardText(m_holderPath, text);
}

std::vector<std::string> plainFamilyNames(const std::vector<std::string>& qtFamilies) {
    std::vector<std::string> names;
    for (std::string name : qtFamilies) {
        if (const auto open = name.rfind(" ["); open != std::string::npos && open > 0 && name.back() == ']') {
            name.erase(open);
        }
        if (!name.empty()) {
            names.push_back(std::move(name));
        }
    }
    const auto before = [](const std::string& a, const std::string& b) {
        const int order = base::icompare(a, b);
        return order != 0 ? order < 0 : a < b;
    };
    std::sort(names.begin(), names.end(), before);
    names.erase(std::unique(names.begin(), names.end()), names.end());
    return names;
}

std::vector<std::string> QtFontList::names() {
    std::vector<std::string> families;
    for (const QString& family : QFontDatabase::families()) {
        if (!QFontDatabase::isPrivateFamily(family)) {
            families.push_back(family.toStdString());
        }
    }
    return plainFamilyNames(families);
}

} // namespace glw::qt
