// Which movies are still (their picture never changes after frame 1), so that players may stop them there.
#include "SwfFixtures.h"
#include "swf/Movie.h"
#include "swf/Still.h"

#include <cctype>
#include <gtest/gtest.h>
#include <memory>
#include <string>

namespace glw::swf {
namespace {

namespace fx = fixtures;

struct StillCase {
    const char* name;
    Bytes movie;
    bool still;
};

Bytes shape(std::uint16_t id) {
    Bytes p;
    fx::u16(p, id);
    fx::append(p, fx::rect(0, 200, 0, 200));
    fx::u8(p, 0); // no fill styles
    fx::u8(p, 0); // no line styles
    fx::u8(p, 0); // no bits, end of shape
    return fx::tag(TagCode::DefineShape, p);
}

Bytes button(std::uint16_t id) {
    Bytes p;
    fx::u16(p, id);
    fx::u8(p, 0);  // no menu-button flags
    fx::u16(p, 0); // no actions
    fx::u8(p, 0);  // end of records
    return fx::tag(TagCode::DefineButton2, p);
}

Bytes clipActions(std::uint16_t depth, std::uint16_t character) {
    Bytes p;
    fx::u8(p, 0x80 | 0x02); // clip actions, character
    fx::u16(p, depth);
    fx::u16(p, character);
    fx::u16(p, 0);
    fx::u32(p, 0);
    fx::u32(p, 0);
    return fx::tag(TagCode::PlaceObject2, p);
}

Bytes editText(bool readOnly) {
    fx::EditSpec spec;
    spec.fontId = std::nullopt;
    spec.readOnly = readOnly;
    return fx::defineEditText(spec);
}

class StillTest : public ::testing::TestWithParam<StillCase> {};

TEST_P(StillTest, TellsWhetherThePictureCanChangeAfterTheFirstFrame) {
    const StillCase& c = GetParam();
    Result<Movie> movie = readMovie(std::make_shared<const Bytes>(c.movie));
    ASSERT_TRUE(movie.ok()) << c.name;
    EXPECT_EQ(isStill(movie.value()), c.still) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Movies, StillTest,
    ::testing::Values(
        // The empty movie the cells show between clips, and a clip of shapes and text.
        StillCase{"empty", fx::movieWith({}), true},
        StillCase{"shapes", fx::movieWith({shape(1), fx::placeObject2(1, 1, std::nullopt)}), true},
        StillCase{"read-only field", fx::movieWith({editText(true), fx::placeObject2(1, 3, std::nullopt)}), true},
        StillCase{"one-frame sprite",
                  fx::movieWith({shape(1), fx::defineSprite(2, {fx::placeObject2(1, 1, std::nullopt)}),
                                 fx::placeObject2(1, 2, std::nullopt)}),
                  true},
        // What moves or answers: more frames, scripts, the pointer, sound, typing.
        StillCase{"two root frames", fx::movieWith({shape(1), fx::placeObject2(1, 1, std::nullopt), fx::showFrame()}),
                  false},
        StillCase{"two-frame sprite",
                  fx::movieWith({shape(1), fx::defineSprite(2, {fx::placeObject2(1, 1, std::nullopt), fx::showFrame()}),
                                 fx::placeObject2(1, 2, std::nullopt)}),
                  false},
        StillCase{"frame actions", fx::movieWith({fx::doAction({fx::stop()})}), false},
        StillCase{"actions in a sprite", fx::movieWith({fx::defineSprite(2, {fx::doAction({fx::stop()})})}), false},
        StillCase{"clip actions", fx::movieWith({shape(1), clipActions(1, 1)}), false},
        StillCase{"button", fx::movieWith({button(4), fx::placeObject2(1, 4, std::nullopt)}), false},
        StillCase{"sound started", fx::movieWith({fx::tag(TagCode::StartSound, {1, 0, 0})}), false},
        StillCase{"input field", fx::movieWith({editText(false), fx::placeObject2(1, 3, std::nullopt)}), false},
        StillCase{"morph shape", fx::movieWith({fx::tag(TagCode::DefineMorphShape, {5, 0})}), false}),
    [](const ::testing::TestParamInfo<StillCase>& param) {
        std::string name = param.param.name;
        for (char& ch : name) {
            if (!std::isalnum(static_cast<unsigned char>(ch))) {
                ch = '_';
            }
        }
        return name;
    });

} // namespace
} // namespace glw::swf
