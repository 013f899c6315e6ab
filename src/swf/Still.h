// Whether a movie's picture can change once its first frame is drawn: a player may then stop a still
// movie right after that frame and show the same picture for nothing.
#pragma once

#include "swf/Movie.h"

namespace glw::swf {

// True when nothing in the movie can change what it shows after its first frame: the root timeline and
// every sprite have at most one frame, and the movie holds no action code (frame, clip or button
// actions), no buttons (they light up under the pointer), no sound or video, no morph shapes and no text
// field a user could type into. Anything the engine cannot tell about (a sprite it could not read)
// counts as change, so a movie is never stopped wrongly, only kept playing needlessly.
bool isStill(const Movie& movie);

} // namespace glw::swf
