// The placement rule of the desktop renderer: a control's rectangle from its twips, a default size where the
// form gave none, and a column for controls that the form did not place at all.
#pragma once

#include "Units.h"

#include <vector>

namespace glw::qt {

struct PixelBox {
    int x = 0, y = 0, width = 0, height = 0;
    int right() const { return x + width; }
    int bottom() const { return y + height; }
    friend bool operator==(const PixelBox&, const PixelBox&) = default;
};

// One control of a container as the form describes it, with the size its widget would like.
struct PlacementInput {
    Twips left, top, width, height;
    Pixels defaultWidth, defaultHeight;
};

inline constexpr int kFlowMargin = 8;  // pixels between the container's edge and a flowed control
inline constexpr int kFlowSpacing = 6; // pixels between flowed controls

// True when the form set none of the control's position and size: the renderer then places it.
bool unplaced(const PlacementInput& input);

// The pixel rectangles of a container's controls, in the order given.
//  - A placed control keeps its position; a zero width or height takes the default one.
//  - Unplaced controls go in a column at the left, below every placed control (and below `topInset`, the
//    caption band of a frame), at their default sizes, in the order given.
std::vector<PixelBox> placeControls(const std::vector<PlacementInput>& inputs, Pixels topInset = {});

// The smallest size that shows every flowed control of `boxes` with a margin on the right and below; {0, 0}
// when no control was flowed. Placed controls never make a container grow: a form may keep controls beyond
// its edges on purpose.
PixelBox flowExtent(const std::vector<PlacementInput>& inputs, const std::vector<PixelBox>& boxes);

} // namespace glw::qt

namespace glw::qt {

// The movie's frame rectangle inside an area of the given size, by the player's scale mode: 0 show all (the
// whole movie, its aspect kept, centred), 1 no border (the area filled, aspect kept, the overflow cut off),
// 2 exact fit (the area), 3 no scale (the movie's own size, centred). A movie of unknown size fills the area.
PixelBox fitMovie(int scaleMode, int areaWidth, int areaHeight, int movieWidth, int movieHeight);

} // namespace glw::qt
