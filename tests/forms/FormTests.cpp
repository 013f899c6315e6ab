// Form lifecycle: load once, modal loops, unload with cancel, key preview, focus, End.
#include "forms/Controls.h"
#include "forms/Form.h"
#include "forms/HeadlessDriver.h"
#include "forms/Runtime.h"

#include <functional>
#include <gtest/gtest.h>
#include <stdexcept>
#include <string>
#include <vector>

using namespace glw::forms;

namespace {

struct Box : Form {
    Box(Runtime& rt, std::string name, std::vector<std::string>& log) : Form(rt, std::move(name)), m_log(log) {
        ok.Click = [this] {
            m_log.push_back(this->name() + ".ok");
            Unload();
        };
        text.GotFocus = [this] { m_log.push_back("text.GotFocus"); };
        text.LostFocus = [this] { m_log.push_back("text.LostFocus"); };
        ok.GotFocus = [this] { m_log.push_back("ok.GotFocus"); };
    }
    TextBox text{*this, "text"};
    CommandButton ok{*this, "ok"};
    int refuseUnload = 0;
    std::vector<std::string>& m_log;

protected:
    void Form_Load() override { m_log.push_back(name() + ".Load"); }
    void Form_QueryUnload(int& Cancel, int mode) override {
        m_log.push_back(name() + ".QueryUnload " + std::to_string(mode));
        if (refuseUnload > 0) {
            --refuseUnload;
            Cancel = 1;
        }
    }
    void Form_Unload(int&) override { m_log.push_back(name() + ".Unload"); }
    void Form_KeyDown(int& KeyCode, int Shift) override {
        m_log.push_back("KeyDown " + std::to_string(KeyCode) + " " + std::to_string(Shift));
        if (KeyCode == 'Q') {
            KeyCode = 0;
        }
    }
};

TEST(FormTest, LoadRunsOnceAndUnloadCanBeCancelled) {
    Runtime rt{Services{}};
    std::vector<std::string> log;
    Box box(rt, "Box", log);
    box.Load();
    box.Load();
    box.refuseUnload = 1;
    EXPECT_FALSE(box.Unload());
    EXPECT_TRUE(box.loaded());
    EXPECT_TRUE(box.Unload());
    EXPECT_FALSE(box.loaded());
    EXPECT_EQ(rt.forms().size(), 0u);
    EXPECT_EQ(log, (std::vector<std::string>{"Box.Load", "Box.QueryUnload 1", "Box.QueryUnload 1", "Box.Unload"}));
}

TEST(FormTest, ModalShowReturnsWhenTheTestsActionUnloadsIt) {
    Runtime rt{Services{}};
    std::vector<std::string> log;
    auto& ui = headless(rt);
    Box box(rt, "Box", log);
    ui.then("click ok", [&](Runtime& r) {
        EXPECT_EQ(r.activeModal(), &box);
        box.ok.userClick();
    });
    box.Show(vbModal);
    log.push_back("returned");
    EXPECT_FALSE(box.loaded());
    EXPECT_EQ(log.back(), "returned");
    EXPECT_EQ(log[log.size() - 2], "Box.Unload");
    EXPECT_EQ(rt.activeModal(), nullptr);
}

TEST(FormTest, ModalBoxWithNobodyToAnswerIsClosedWithItsCloseBox) {
    Runtime rt{Services{}};
    std::vector<std::string> log;
    Box box(rt, "Box", log);
    box.Show(vbModal);
    EXPECT_FALSE(box.loaded());
    EXPECT_NE(std::find(log.begin(), log.end(), "Box.QueryUnload 0"), log.end());
}

TEST(FormTest, KeyPreviewSeesKeysFirstAndCanSwallowThem) {
    Runtime rt{Services{}};
    std::vector<std::string> log;
    Box box(rt, "Box", log);
    box.Show();
    box.KeyPreview = true;
    std::vector<int> seen;
    box.text.KeyDown = [&](int& code, int) { seen.push_back(code); };
    box.text.SetFocus();
    box.userKeyDown('P', vbCtrlMask);
    box.userKeyDown('Q', 0);
    box.KeyPreview = false;
    box.userKeyDown('R', 0);
    EXPECT_EQ(seen, (std::vector<int>{'P', 'R'}));
    EXPECT_EQ(std::count_if(log.begin(), log.end(), [](auto& s) { return s.rfind("KeyDown", 0) == 0; }), 2);
}

TEST(FormTest, FocusMovesRaiseLostFocusThenGotFocus) {
    Runtime rt{Services{}};
    std::vector<std::string> log;
    Box box(rt, "Box", log);
    box.Show(); // the first control that can take the focus gets it
    EXPECT_EQ(box.ActiveControl(), &box.text);
    box.ok.SetFocus();
    box.ok.Visible = false;
    EXPECT_THROW(box.ok.SetFocus(), glw::vb::RuntimeError) << "a hidden control cannot take the focus";
    box.text.SetFocus();
    EXPECT_EQ(
        log, (std::vector<std::string>{"Box.Load", "text.GotFocus", "text.LostFocus", "ok.GotFocus", "text.GotFocus"}));
}

TEST(FormTest, EndUnwindsToTheTopAndIsNotSwallowedByResumeNext) {
    Runtime rt{Services{}};
    rt.trace().keepInMemory(true);
    glw::vb::ResumeNext step;
    bool after = false;
    EXPECT_THROW(
        {
            step([&] { rt.End(3); });
            after = true;
        },
        glw::vb::EndProgram);
    EXPECT_FALSE(after);
    EXPECT_TRUE(rt.ended());
    EXPECT_EQ(rt.exitCode(), 3);
    EXPECT_EQ(rt.trace().lines().back(), "end 3");
}

TEST(FormTest, ErrorLeavingAUserActionIsLoggedAndTheProgramGoesOn) {
    Runtime rt{Services{}};
    rt.userAction("click Box.ok", [] { glw::vb::raise(53, "File not found"); });
    ASSERT_EQ(rt.errors().size(), 1u);
    EXPECT_EQ(rt.errors()[0], "error click Box.ok 53 \"File not found\"");
}

// A run-time error is a failing statement: ResumeNext skips it. Any other exception is a fault of our own
// code: ResumeNext lets it pass, a test's runtime lets it leave the user's action (so the test fails), and a
// program's runtime logs it as an internal error with its type and goes on.
TEST(FormTest, FaultsOfOurOwnCodeAreToldApartFromRunTimeErrors) {
    std::vector<std::string> skipped;
    glw::vb::ResumeNext step([&](const std::string& where, int number,
                                 const std::string&) { skipped.push_back(where + " " + std::to_string(number)); },
                             "Box.Form_Load");
    EXPECT_FALSE(step([] { glw::vb::raise(53, "File not found"); }));
    EXPECT_TRUE(step.failed());
    EXPECT_THROW(step([] { throw std::out_of_range("vector::at"); }), std::out_of_range);
    EXPECT_EQ(skipped, (std::vector<std::string>{"Box.Form_Load 53"})) << "only the run-time error was skipped";

    struct Case {
        std::function<void()> action;
        const char* logged; // with LogAndGoOn
    };
    const Case cases[] = {
        {[] { glw::vb::raise(53, "File not found"); }, "error click Box.ok 53 \"File not found\""},
        {[] { throw std::out_of_range("vector::at"); }, "internal error click Box.ok std::out_of_range \"vector::at\""},
        {[] { throw std::invalid_argument("stol"); }, "internal error click Box.ok std::invalid_argument \"stol\""},
    };
    for (const auto& c : cases) {
        Runtime rt{Services{}};
        rt.setFaultPolicy(Runtime::FaultPolicy::LogAndGoOn);
        rt.userAction("click Box.ok", c.action);
        ASSERT_EQ(rt.errors().size(), 1u) << c.logged;
        EXPECT_EQ(rt.errors()[0], c.logged);
    }

    Runtime rt{Services{}};
    ASSERT_EQ(rt.faultPolicy(), Runtime::FaultPolicy::Rethrow) << "the default fails the test that raised it";
    EXPECT_THROW(rt.userAction("click Box.ok", [] { throw std::logic_error("bug"); }), std::logic_error);
    EXPECT_NO_THROW(rt.userAction("click Box.ok", [] { glw::vb::raise(5, "Invalid procedure call or argument"); }));
}

} // namespace

namespace {

// A page of cells declared between a frame and a panel: the cells are loaded after every member exists.
struct Stacked : Form {
    explicit Stacked(Runtime& rt) : Form(rt, "Stacked") {
        for (int i = 2; i >= 0; --i) {
            cells.add(i);
        }
    }
    Frame page{*this, "page"};
    ControlArray<PictureBox> cells{*this, "cells"};
    PictureBox marker{*this, "marker"};
    PictureBox panel{*this, "panel"};
};

std::vector<std::string> stackNames(const Form& form) {
    std::vector<std::string> names;
    for (const Control* control : form.stackOrder()) {
        names.push_back(control->displayName());
    }
    return names;
}

} // namespace

TEST(FormTest, ControlsStackInDesignOrderAndZOrderMovesThem) {
    Runtime rt{Services{}};
    Stacked form(rt);
    using Names = std::vector<std::string>;
    EXPECT_EQ(stackNames(form), (Names{"page", "cells(0)", "cells(1)", "cells(2)", "marker", "panel"}));
    struct Case {
        const char* control;
        int position;
        Names expected;
    };
    const Case cases[] = {
        {"marker", 1, {"marker", "page", "cells(0)", "cells(1)", "cells(2)", "panel"}},
        {"cells(0)", 0, {"marker", "page", "cells(1)", "cells(2)", "panel", "cells(0)"}},
        {"marker", 0, {"page", "cells(1)", "cells(2)", "panel", "cells(0)", "marker"}},
    };
    for (const Case& c : cases) {
        std::string name = c.control;
        const int index = name.back() == ')' ? name[name.size() - 2] - '0' : -1;
        if (index >= 0) {
            name = name.substr(0, name.find('('));
        }
        form.findControl(name, index)->ZOrder(c.position);
        EXPECT_EQ(stackNames(form), c.expected) << c.control;
    }
    form.cells.remove(1);
    form.cells.add(1);
    EXPECT_EQ(stackNames(form), (Names{"page", "cells(2)", "panel", "cells(0)", "cells(1)", "marker"}));
}
