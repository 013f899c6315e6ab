// glwclipholder: the X clipboard for programs that run no desktop event loop of their own, and keeps
// clipboard text alive after the program that set it has ended.
//
//   glwclipholder           reads the text from its standard input, takes the clipboard with it, answers "1"
//                           on its standard output once it owns the clipboard ("0" when it cannot), and ends
//                           as soon as another program takes the clipboard over;
//   glwclipholder --read    writes the clipboard's text to its standard output and ends;
//   glwclipholder --clear   empties the clipboard (whoever owned it loses it) and ends.
#include <QClipboard>
#include <QGuiApplication>
#include <cerrno>
#include <string>
#include <unistd.h>

namespace {

std::string readAll(int fd) {
    std::string data;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            break;
        }
        data.append(buffer, size_t(n));
    }
    return data;
}

bool writeAll(const std::string& data) {
    size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(1, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        done += size_t(n);
    }
    return true;
}

// The answer ends with the standard output itself, closed while the holder lives on: the program that waits
// for it reads to the end. Standard output was given, not opened here, so no descriptor guard owns it.
void answer(char c) {
    writeAll(std::string(1, c));
    ::close(1);
}

} // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "--read") {
        QGuiApplication app(argc, argv);
        return writeAll(QGuiApplication::clipboard()->text(QClipboard::Clipboard).toStdString()) ? 0 : 1;
    }
    if (mode == "--clear") {
        QGuiApplication app(argc, argv);
        QClipboard* clipboard = QGuiApplication::clipboard();
        // Qt clears only a clipboard it owns: own it first (with no text), then give it up. Reading back
        // makes sure the X server has seen both before this program ends.
        clipboard->setText(QString(), QClipboard::Clipboard);
        clipboard->clear(QClipboard::Clipboard);
        return clipboard->text(QClipboard::Clipboard).isEmpty() ? 0 : 1;
    }
    if (!mode.empty()) {
        return 2;
    }
    const QString text = QString::fromStdString(readAll(0));
    QGuiApplication app(argc, argv);
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->setText(text, QClipboard::Clipboard);
    // Reading back asks the X server who owns the clipboard: a round trip that also makes sure the server
    // has seen the new owner before the program that waits for us goes on.
    if (clipboard->text(QClipboard::Clipboard) != text || !clipboard->ownsClipboard()) {
        answer('0');
        return 1;
    }
    answer('1');
    QObject::connect(clipboard, &QClipboard::changed, &app, [clipboard](QClipboard::Mode changed) {
        if (changed == QClipboard::Clipboard && !clipboard->ownsClipboard()) {
            QCoreApplication::quit();
        }
    });
    return app.exec();
}
