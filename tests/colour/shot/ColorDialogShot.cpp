// The colour dialog in a real window under Xvfb: saves <out>/colour-dialog.png with the picker drawn and
// <out>/colour-dialog-click.png after a real click (xdotool) on a cell of the grid, and checks both by pixels:
// the grid on the screen matches what the picker drew, and the click selected the cell's colour. Then the
// tint control on a form: its button opens the dialog, a click on the Blue cell and Okay give the swatch
// that colour and the tints -256, -256, 256 (<out>/colour-tinter.png).
// Usage: glw_colour_shot <output folder>; exits 0 when every check holds. glw_colour_shot --show only shows the
// dialog.
#include "app/ProgramServices.h"
#include "colour/ColorSel.h"
#include "colour/CtlTinter.h"
#include "desktop/FormWindow.h"
#include "desktop/QtDriver.h"
#include "platform/WinPath.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPixmap>
#include <QProcess>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <array>
#include <cstdio>
#include <functional>
#include <string>

using namespace glw;

namespace {

int failures = 0;

void check(bool ok, const std::string& what) {
    std::printf("%s: %s\n", ok ? "ok" : "FAILED", what.c_str());
    if (!ok) {
        ++failures;
    }
}

long screenColour(const QImage& screen, QPoint at) {
    const QColor c = screen.pixelColor(at);
    return forms::rgb(c.red(), c.green(), c.blue());
}

void click(QPoint at) {
    QProcess::execute("xdotool", {"mousemove", QString::number(at.x()), QString::number(at.y()), "click", "1"});
}

void waitFor(const std::function<bool()>& done, int ms) {
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
}

QImage grabScreen() {
    return QGuiApplication::primaryScreen()->grabWindow(0).toImage();
}

// Compares the grid's area of the screen with the picker's own record of its pixels.
int mismatches(const QImage& screen, QPoint origin, const forms::DrawSurface& surface, int width, int height) {
    int bad = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (screenColour(screen, origin + QPoint(x, y)) != surface.pixel(x, y)) {
                ++bad;
            }
        }
    }
    return bad;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fputs("usage: glw_colour_shot <output folder>\n", stderr);
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    QApplication app(argc, argv);
    forms::Runtime rt(app::programServices(true));
    rt.App.Path = platform::toSystemPath(GLW_APP_DIR);
    auto made = std::make_unique<qt::QtDriver>(rt);
    qt::QtDriver& driver = *made;
    rt.setDriver(std::move(made));
    common::Module1 boxes(rt);

    struct Owner : forms::Form {
        explicit Owner(forms::Runtime& r) : Form(r, "Owner") {}
        forms::Label colBack{*this, "colBack"};
    } owner(rt);
    owner.colBack.BackColor = forms::rgb(255, 255, 255);

    colour::ColorSel dialog(rt, boxes, &owner.colBack);
    dialog.Load();
    if (out == "--show") { // for a person to try the dialog: shown until it closes
        dialog.Move(100 * 15, 100 * 15);
        dialog.Show(forms::vbModal);
        std::printf("applied %d colour %ld tooltip %s\n", int(dialog.Applied()), owner.colBack.BackColor(),
                    owner.colBack.ToolTipText().c_str());
        return 0;
    }
    dialog.Move(100 * 15, 100 * 15);
    QTimer::singleShot(0, &app, [&] {
        auto& grid = dialog.ColorBox.picPopup;
        QWidget* gridWidget = driver.widget(grid);
        waitFor([&] { return gridWidget && gridWidget->isVisible() && grid.Surface.pixel(12, 12) != -1; }, 5000);
        QCoreApplication::processEvents();
        waitFor([] { return false; }, 300); // let the window reach the X server
        const QPoint origin = gridWidget->mapToGlobal(QPoint(0, 0));
        const int w = grid.Surface.ScaleWidth();

        QImage screen = grabScreen();
        const QRect frame = driver.window(dialog)->frameGeometry();
        screen.copy(frame).save(out + "/colour-dialog.png");
        check(screenColour(screen, origin + QPoint(12, 12)) == forms::rgb(255, 0, 0), "the Red cell is red");
        check(screenColour(screen, origin + QPoint(12, 96)) == forms::rgb(255, 255, 0), "the Yellow cell is yellow");
        check(screenColour(screen, origin + QPoint(125, 97)) == 0, "the Black shade cell is black");
        check(screenColour(screen, origin + QPoint(57, 50)) == forms::rgb(128, 128, 128), "the etched separator");
        const int bad = mismatches(screen, origin, grid.Surface, w, 104);
        check(bad == 0, "the grids on the screen are what the picker drew (" + std::to_string(bad) + " pixels differ)");

        // A real click on the Jade cell (column 1, row 1).
        const QPoint jade = origin + QPoint(24, 24);
        QProcess::execute("xdotool", {"mousemove", QString::number(jade.x()), QString::number(jade.y()), "click", "1"});
        waitFor([&] { return dialog.ColorBox.Text() == "Jade"; }, 3000);
        waitFor([] { return false; }, 300);
        check(dialog.ColorBox.Text() == "Jade", "the click selected Jade (selected: " + dialog.ColorBox.Text() + ")");
        check(dialog.ColorBox.SelectedColor() == forms::rgb(0, 255, 128), "the selected colour is the cell's");
        check(dialog.HTMLColor.Text() == "#00FF80", "the text box shows " + dialog.HTMLColor.Text());
        screen = grabScreen();
        screen.copy(frame).save(out + "/colour-dialog-click.png");
        // The pressed cell carries its frame: shadow above and left, highlight below and right.
        check(screenColour(screen, origin + QPoint(20, 21)) == forms::rgb(128, 128, 128), "the cell's frame");
        check(screenColour(screen, origin + QPoint(30, 30)) == forms::rgb(255, 255, 255), "the frame's highlight");
        check(screenColour(screen, origin + QPoint(24, 24)) == forms::rgb(0, 255, 128), "the cell is jade");
        // Resting the pointer on a main cell: the hover timer on the event loop shows its shades.
        QProcess::execute("xdotool", {"mousemove", QString::number(origin.x() + 12), QString::number(origin.y() + 60)});
        waitFor([&] { return dialog.ColorBox.model().ShadeEntries[3].Name == "Gold"; }, 3000);
        check(dialog.ColorBox.model().ShadeEntries[3].Name == "Gold", "resting on Gold shows its shades");
        check(dialog.ColorBox.Text() == "Jade", "and selects nothing");
        // Okay writes the target.
        QWidget* okay = driver.widget(dialog.Command3);
        const QPoint at = okay->mapToGlobal(okay->rect().center());
        QProcess::execute("xdotool", {"mousemove", QString::number(at.x()), QString::number(at.y()), "click", "1"});
        waitFor([&] { return !dialog.loaded(); }, 3000);
        if (dialog.loaded()) {
            dialog.Unload();
        }
    });
    dialog.Show(forms::vbModal);
    check(owner.colBack.BackColor() == forms::rgb(0, 255, 128), "Okay gave the label the colour");
    check(owner.colBack.ToolTipText() == "#00FF80", "and the same colour as its tooltip");

    // The tint control: its button, the dialog, a cell, Okay.
    struct TintForm : forms::Form {
        TintForm(forms::Runtime& r, common::Module1& b) : Form(r, "Form1"), ctlTinter1(*this, "ctlTinter1", b) {
            Caption = "Tint";
            Width = 200 * 15;
            Height = 40 * 15;
            ctlTinter1.Move(20 * 15, 10 * 15);
            ctlTinter1.ReadProperties(forms::PropertyBag{});
            ctlTinter1.setLabel("Tint :");
            ctlTinter1.SetTint = [this](std::int16_t red, std::int16_t green, std::int16_t blue) {
                tints = {red, green, blue};
            };
        }
        colour::ctlTinter ctlTinter1;
        std::array<int, 3> tints{0, 0, 0};
    } tintForm(rt, boxes);
    tintForm.Move(100 * 15, 400 * 15);
    tintForm.Show();
    waitFor([&] { return driver.widget(tintForm.ctlTinter1.Command4) != nullptr; }, 3000);
    waitFor([] { return false; }, 500);
    QTimer::singleShot(800, &app, [&] {
        auto* picker = dynamic_cast<colour::ColorSel*>(rt.activeModal());
        check(picker != nullptr, "the tint button opened the colour dialog");
        if (!picker) {
            return;
        }
        QWidget* grid = driver.widget(picker->ColorBox.picPopup);
        waitFor([] { return false; }, 300);
        click(grid->mapToGlobal(QPoint(32, 72))); // Blue: column 2, row 5
        waitFor([&] { return picker->ColorBox.Text() == "Blue"; }, 3000);
        QWidget* okay = driver.widget(picker->Command3);
        click(okay->mapToGlobal(okay->rect().center()));
    });
    QWidget* button = driver.widget(tintForm.ctlTinter1.Command4);
    click(button->mapToGlobal(button->rect().center()));
    waitFor([&] { return tintForm.tints[0] != 0; }, 5000);
    waitFor([] { return false; }, 300);
    check(tintForm.tints == std::array<int, 3>{-256, -256, 256}, "the tints of Blue");
    check(tintForm.ctlTinter1.Label40.ToolTipText() == "#0000FF", "the swatch's tooltip");
    const QImage screen = grabScreen();
    QWidget* tintWindow = driver.window(tintForm);
    screen.copy(tintWindow->frameGeometry()).save(out + "/colour-tinter.png");
    QWidget* swatch = driver.widget(tintForm.ctlTinter1.Label40);
    check(screenColour(screen, swatch->mapToGlobal(swatch->rect().center())) == forms::rgb(0, 0, 255),
          "the swatch shows blue");
    return failures == 0 ? 0 : 1;
}
