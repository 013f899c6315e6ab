// The colour presets control on files with each kind of line end, and its selection rules.
#include "forms/Runtime.h"
#include "main/CtlFlashProp.h"
#include "platform/TempDir.h"

#include <array>
#include <gtest/gtest.h>

namespace glw::main {
namespace {

struct Host : forms::Form {
    explicit Host(forms::Runtime& rt) : Form(rt, "Host") {}
};

struct Presets {
    forms::Runtime rt{forms::Services{}};
    platform::test::TempDir dir;
    std::unique_ptr<Host> host;
    std::unique_ptr<ctlFlashProp> presets;
    std::vector<std::array<double, 3>> raised;

    explicit Presets(const std::string* fileText) {
        rt.App.Path = dir.system();
        if (fileText) {
            dir.file("cpresets.fpf", *fileText);
        }
        host = std::make_unique<Host>(rt);
        presets = std::make_unique<ctlFlashProp>(*host, "ctlFlashProp1");
        presets->ChangeColor = [this](double& r, double& g, double& b) { raised.push_back({r, g, b}); };
    }
};

TEST(CtlFlashProp, ReadsEveryKindOfLineEnd) {
    for (const char* end : {"\n", "\r", "\r\n"}) {
        const std::string text = std::string("[Red]-+(255){0}<0>+-") + end + "[Grey]-+(128){128}<128>+-" + end;
        Presets p(&text);
        EXPECT_EQ(p.presets->lstColor.items(), (std::vector<std::string>{"Red", "Grey"})) << int(end[0]);
        EXPECT_TRUE(p.raised.empty()); // creating it raises nothing
        p.presets->LoadColors();
        EXPECT_EQ(p.presets->lstColor.ListIndex(), 1);
        p.presets->lstColor.userChoose(0);
        EXPECT_EQ(p.raised, (std::vector<std::array<double, 3>>{{128, 128, 128}, {255, 0, 0}})) << int(end[0]);
    }
}

TEST(CtlFlashProp, SkipsLinesWithoutANameOrData) {
    const std::string text = "Ocean-+(0){64}<128>+-\r\n"    // no name
                             "[Sky](0){64}<128>\r\n"        // no data part
                             "\r\n"                         // blank
                             "[NoGreen]-+(10)<30>+-\n"      // green missing: 0
                             "[Odd]-+( 12.5 ){abc}<-3>+-\r" // a fraction, a word, a negative value
                             "[Odd]-+(1){1}<1>+-";          // duplicates are kept; no final line end
    Presets p(&text);
    ASSERT_EQ(p.presets->presets().size(), 3u);
    EXPECT_EQ(p.presets->lstColor.items(), (std::vector<std::string>{"NoGreen", "Odd", "Odd"}));
    p.presets->lstColor.userChoose(0);
    p.presets->lstColor.userChoose(1);
    EXPECT_EQ(p.raised, (std::vector<std::array<double, 3>>{{10, 0, 30}, {12.5, 0, -3}}));
}

TEST(CtlFlashProp, AMissingFileLeavesTheListEmpty) {
    Presets p(nullptr);
    p.presets->LoadColors();
    EXPECT_EQ(p.presets->lstColor.ListCount(), 0);
    EXPECT_EQ(p.presets->lstColor.ListIndex(), -1);
    EXPECT_TRUE(p.raised.empty());
}

} // namespace
} // namespace glw::main
