// Rescaling a movie: a new stage size, with the root timeline's content scaled to match.
#pragma once

#include "base/Result.h"
#include "swf/Movie.h"

#include <cstdint>

namespace glw::swf {

// Sets the stage to widthTwips x heightTwips (a value of 0 or less keeps that side) and scales the
// content with it: the stage origin is scaled, and so is every matrix that a root-timeline placement
// (PlaceObject, PlaceObject2, PlaceObject3) sets. A new placement without a matrix gets the scale as
// its matrix; a placement that only changes an object already placed and sets no matrix is left
// alone (the object keeps its scaled matrix). The result equals wrapping the whole timeline in one
// scaled sprite, without changing any `_root` path. Malformed when a placement cannot be read;
// TooLarge, with the movie unchanged, when a scaled placement would not fit its matrix (a scale of
// 16384 times or more) or the stage would not fit its rectangle.
[[nodiscard]] Result<void> rescaleMovie(Movie& movie, std::int32_t widthTwips, std::int32_t heightTwips);

} // namespace glw::swf
