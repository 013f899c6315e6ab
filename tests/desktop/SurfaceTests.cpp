// User-drawn controls in a window: the surface's operations painted with QPainter show in the widget, and
// the mouse reaches the control in pixels, with capture released at button-up.
#include "QtTestSupport.h"
#include "forms/UserControl.h"

#include <QApplication>
#include <QImage>

namespace glw::qt::testing {
namespace {

class DrawForm : public Form {
public:
    explicit DrawForm(Runtime& runtime) : Form(runtime, "DrawForm") {
        Caption = "Draw";
        Width = 3000;
        Height = 2000;
        place(box, 10, 10, 60, 40);
        box.Paint = [this] {
            box.Surface.Box({5, 5, 25, 20}, forms::vbButtonFace, rgb(255, 0, 0));
            box.Surface.DrawEdge({0, 0, 60, 40}, forms::EDGE_SUNKEN, forms::BF_RECT);
            box.Surface.MoveTo(30, 30);
            box.Surface.LineTo(50, 30, rgb(0, 0, 255));
        };
        box.MouseDown = [this](int b, int, float x, float y) { seen.push_back(event("down", b, x, y)); };
        box.MouseUp = [this](int b, int, float x, float y) { seen.push_back(event("up", b, x, y)); };
        box.Click = [this] { seen.push_back("click"); };
    }
    static std::string event(const char* what, int button, float x, float y) {
        return std::string(what) + " " + std::to_string(button) + " " + std::to_string(int(x)) + "," +
               std::to_string(int(y));
    }
    SurfacePicture box{*this, "box"};
    std::vector<std::string> seen;
};

using SurfaceViewTest = QtFormTest;

TEST_F(SurfaceViewTest, PaintsTheSurfaceWithQPainterAndTakesTheMouseInPixels) {
    auto& form = open<DrawForm>();
    QWidget* w = driver->widget(form.box);
    ASSERT_NE(w, nullptr);
    settle();
    const QImage shot = w->grab().toImage();
    ASSERT_EQ(shot.size(), QSize(60, 40));
    for (auto [x, y] : {std::pair{10, 10}, {5, 5}, {0, 20}, {59, 20}, {35, 30}, {50, 30}}) {
        const QColor c = shot.pixelColor(x, y);
        EXPECT_EQ(rgb(c.red(), c.green(), c.blue()), form.box.Surface.pixel(x, y)) << x << "," << y;
    }
    EXPECT_EQ(shot.pixelColor(10, 10), QColor(255, 0, 0));

    form.box.Surface.SetCapture();
    EXPECT_EQ(QWidget::mouseGrabber(), w);
    QTest::mousePress(w, Qt::LeftButton, {}, QPoint(12, 7));
    QTest::mouseRelease(w, Qt::LeftButton, {}, QPoint(12, 7));
    EXPECT_EQ(form.seen, (std::vector<std::string>{"down 1 12,7", "up 1 12,7", "click"}));
    EXPECT_FALSE(form.box.Surface.hasCapture());
    EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
}

// Two user-drawn controls that draw nothing: one on the default back colour (a container of other controls),
// one on a colour of its own.
class HolderForm : public Form {
public:
    explicit HolderForm(Runtime& runtime) : Form(runtime, "HolderForm") {
        Caption = "Holders";
        Width = 3000;
        Height = 2000;
        place(holder, 10, 10, 60, 40);
        place(coloured, 80, 10, 60, 40);
        coloured.BackColor = rgb(10, 20, 30);
    }
    SurfacePicture holder{*this, "holder"};
    SurfacePicture coloured{*this, "coloured"};
};

TEST_F(SurfaceViewTest, AControlThatDrawsNothingOnTheDefaultColourShowsTheFormsColour) {
    auto& form = open<HolderForm>();
    settle();
    const QImage holder = driver->widget(form.holder)->grab().toImage();
    const QImage coloured = driver->widget(form.coloured)->grab().toImage();
    EXPECT_EQ(holder.pixelColor(30, 20), QApplication::palette().color(QPalette::Window));
    EXPECT_EQ(coloured.pixelColor(30, 20), QColor(10, 20, 30));
    // Once it draws, it shows what its surface holds, pixel for pixel.
    form.holder.Surface.Box({5, 5, 25, 20}, rgb(255, 0, 0), rgb(255, 0, 0));
    settle();
    const QImage drawn = driver->widget(form.holder)->grab().toImage();
    for (auto [x, y] : {std::pair{10, 10}, {40, 30}}) {
        const QColor c = drawn.pixelColor(x, y);
        EXPECT_EQ(rgb(c.red(), c.green(), c.blue()), form.holder.Surface.pixel(x, y)) << x << "," << y;
    }
}

} // namespace
} // namespace glw::qt::testing
