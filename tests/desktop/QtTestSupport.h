// A small form built from the runtime's controls and a fixture that shows it with the Qt driver on the
// offscreen platform, counting every event the runtime raises.
#pragma once

#include "desktop/FormWindow.h"
#include "desktop/QtDriver.h"
#include "forms/Controls.h"
#include "forms/Form.h"
#include "forms/ListView.h"
#include "forms/Runtime.h"
#include "platform/ServicesMemory.h"

#include <QApplication>
#include <QTest>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace glw::qt::testing {

using namespace glw::forms;

// Laid out in twips as a form designer would: options in a frame on the left, the rest beside them.
class TestForm : public Form {
public:
    explicit TestForm(Runtime& runtime) : Form(runtime, "Form1") {
        Caption = "Test form";
        Width = 9000;
        Height = 6000;
        KeyPreview = true;
        frmOptions.Caption = "Browse What :";
        frmOptions.Move(120, 120, 2400, 1600);
        for (int i = 0; i < 3; ++i) {
            OptionButton& o = opt.add(i);
            o.setContainer(&frmOptions);
            o.Caption = "Option " + std::to_string(i);
            o.Move(120, 300 + i * 400, 2000, 300);
        }
        opt.on(&OptionButton::Click, [this](int index) { ++optionClicks[index]; });
        txtName.Move(2700, 120, 3000, 315);
        txtName.Change = [this] { ++changes; };
        txtName.KeyPress = [this](int& keyAscii) {
            ++keyPresses;
            if (keyAscii == '#') {
                keyAscii = 0; // this box takes no '#'
            }
        };
        txtName.GotFocus = [this] { ++textGotFocus; };
        lstItems.Move(2700, 600, 3000, 1200);
        for (const char* item : {"alpha", "beta", "gamma", "delta"}) {
            lstItems.AddItem(item);
        }
        lstItems.Click = [this] { ++listClicks; };
        chkLoop.Caption = "Loop";
        chkLoop.Move(6000, 120, 1500, 300);
        chkLoop.Click = [this] { ++checkClicks; };
        cmdGo.Caption = "&Go";
        cmdGo.Move(6000, 600, 1200, 375);
        cmdGo.Click = [this] { ++buttonClicks; };
        scrPage.Move(2700, 1900, 3000, 255);
        scrPage.Max = 10;
        scrPage.Change = [this] { ++scrollChanges; };
        cboStyle.Move(6000, 1100, 2000, 315);
        for (const char* item : {"one", "two"}) {
            cboStyle.AddItem(item);
        }
        cboStyle.Click = [this] { ++comboClicks; };
        cboStyle.Change = [this] { ++comboChanges; };
        lvwItems.Move(120, 2400, 5600, 1800);
        lvwItems.Checkboxes = true;
        lvwItems.addColumn("Type", 1200);
        lvwItems.addColumn("Detected", 2400);
        lvwItems.Add("ITEM1", "Text").setSubItems(1, "Hello");
        lvwItems.Add("ITEM2", "Link").setSubItems(1, "http://example.org/");
        lvwItems.ItemClick = [this](ListItem& item) { itemClicks.push_back(item.Key()); };
        lvwItems.ItemCheck = [this](ListItem& item) {
            itemChecks.push_back(item.Key() + (item.Checked() ? "+" : "-"));
        };
        lblStatus.Caption = "Ready";
        lblStatus.Move(120, 4400, 3000, 255);
        lblStatus.Click = [this] { ++labelClicks; };
    }

    Frame frmOptions{*this, "frmOptions"};
    ControlArray<OptionButton> opt{*this, "opt"};
    TextBox txtName{*this, "txtName"};
    ListBox lstItems{*this, "lstItems"};
    CheckBox chkLoop{*this, "chkLoop"};
    CommandButton cmdGo{*this, "cmdGo"};
    HScrollBar scrPage{*this, "scrPage"};
    ComboBox cboStyle{*this, "cboStyle"};
    ListView lvwItems{*this, "lvwItems"};
    Label lblStatus{*this, "lblStatus"};

    std::map<int, int> optionClicks;
    int changes = 0, keyPresses = 0, textGotFocus = 0, listClicks = 0, checkClicks = 0, buttonClicks = 0;
    int scrollChanges = 0, comboClicks = 0, comboChanges = 0, labelClicks = 0;
    std::vector<std::string> itemClicks, itemChecks;
    std::vector<std::pair<int, int>> keyDowns;

protected:
    void Form_KeyDown(int& KeyCode, int Shift) override { keyDowns.emplace_back(KeyCode, Shift); }
};

// Lets posted events run (shows, deferred deletes) until nothing is left to do.
inline void settle() {
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

class QtFormTest : public ::testing::Test {
public:
    template <class W> W* widget(const Control& control) { return qobject_cast<W*>(driver->widget(control)); }

protected:
    void SetUp() override {
        Services services;
        services.movieProbe = movieProbe;
        runtime = std::make_unique<Runtime>(std::move(services));
        auto made = std::make_unique<QtDriver>(*runtime);
        driver = made.get();
        driver->setEndHandler([this](int code) { endCode = code; });
        runtime->setDriver(std::move(made));
    }

    void TearDown() override {
        // A fault of our own code that reached the driver from a widget (the driver logs it, as nothing may
        // unwind into Qt's event loop) fails the test that raised it.
        for (const std::string& error : runtime->errors()) {
            EXPECT_NE(error.rfind("internal error", 0), 0u) << error;
        }
        forms.clear();
        runtime.reset();
        settle();
    }

    // Creates, shows and activates a form; the form lives until the test ends.
    template <class F> F& open() {
        auto form = std::make_unique<F>(*runtime);
        F& ref = *form;
        forms.push_back(std::move(form));
        runtime->userAction("show", [&ref] { ref.Show(); });
        settle();
        QWidget* window = driver->window(ref);
        EXPECT_NE(window, nullptr);
        if (window) {
            window->activateWindow();
            EXPECT_TRUE(QTest::qWaitForWindowActive(window));
        }
        return ref;
    }

    std::unique_ptr<Runtime> runtime;
    QtDriver* driver = nullptr;
    std::vector<std::unique_ptr<Form>> forms;
    std::optional<int> endCode;
    // Movie sizes the tests give (none unless set), and the paths probed.
    std::shared_ptr<platform::MemoryMovieProbe> movieProbe = std::make_shared<platform::MemoryMovieProbe>();
};

} // namespace glw::qt::testing
