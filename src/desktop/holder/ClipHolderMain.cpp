// glwclipholder: keeps clipboard text alive after the program that set it has ended. It reads the text from
// its standard input, takes the X11 clipboard with it, answers "1" on its standard output once it owns the
// clipboard ("0" when it cannot), and ends as soon as another program takes the clipboard over.
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

void answer(char c) {
    while (::write(1, &c, 1) < 0 && errno == EINTR) {
    }
    ::close(1);
}

} // namespace

int main(int argc, char** argv) {
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
    QObject::connect(clipboard, &QClipboard::changed, &app, [clipboard](QClipboard::Mode mode) {
        if (mode == QClipboard::Clipboard && !clipboard->ownsClipboard()) {
            QCoreApplication::quit();
        }
    });
    return app.exec();
}
