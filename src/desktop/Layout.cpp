// The placement rule: twips to pixels, default sizes, and the column of unplaced controls.
#include "Layout.h"

#include <algorithm>

namespace glw::qt {

bool unplaced(const PlacementInput& input) {
    return input.left.value == 0 && input.top.value == 0 && input.width.value == 0 && input.height.value == 0;
}

std::vector<PixelBox> placeControls(const std::vector<PlacementInput>& inputs, Pixels topInset) {
    std::vector<PixelBox> boxes(inputs.size());
    int placedBottom = topInset.value;
    bool anyPlaced = false;
    for (size_t i = 0; i < inputs.size(); ++i) {
        const auto& in = inputs[i];
        if (unplaced(in)) {
            continue;
        }
        PixelBox& box = boxes[i];
        box.x = toPixels(in.left).value;
        box.y = toPixels(in.top).value;
        box.width = in.width.value > 0 ? toPixels(in.width).value : in.defaultWidth.value;
        box.height = in.height.value > 0 ? toPixels(in.height).value : in.defaultHeight.value;
        placedBottom = std::max(placedBottom, box.bottom());
        anyPlaced = true;
    }
    int y = placedBottom + (anyPlaced ? kFlowSpacing : kFlowMargin);
    for (size_t i = 0; i < inputs.size(); ++i) {
        const auto& in = inputs[i];
        if (!unplaced(in)) {
            continue;
        }
        boxes[i] = {kFlowMargin, y, in.defaultWidth.value, in.defaultHeight.value};
        y += in.defaultHeight.value + kFlowSpacing;
    }
    return boxes;
}

PixelBox flowExtent(const std::vector<PlacementInput>& inputs, const std::vector<PixelBox>& boxes) {
    PixelBox extent;
    for (size_t i = 0; i < inputs.size() && i < boxes.size(); ++i) {
        if (!unplaced(inputs[i])) {
            continue;
        }
        extent.width = std::max(extent.width, boxes[i].right() + kFlowMargin);
        extent.height = std::max(extent.height, boxes[i].bottom() + kFlowMargin);
    }
    return extent;
}

} // namespace glw::qt

namespace glw::qt {

PixelBox fitMovie(int scaleMode, int areaWidth, int areaHeight, int movieWidth, int movieHeight) {
    if (movieWidth <= 0 || movieHeight <= 0 || areaWidth <= 0 || areaHeight <= 0 || scaleMode == 2) {
        return {0, 0, std::max(areaWidth, 0), std::max(areaHeight, 0)};
    }
    int width = movieWidth;
    int height = movieHeight;
    if (scaleMode != 3) {
        const double sx = double(areaWidth) / movieWidth;
        const double sy = double(areaHeight) / movieHeight;
        const double scale = scaleMode == 1 ? std::max(sx, sy) : std::min(sx, sy);
        width = int(movieWidth * scale + 0.5);
        height = int(movieHeight * scale + 0.5);
    }
    return {(areaWidth - width) / 2, (areaHeight - height) / 2, width, height};
}

} // namespace glw::qt
