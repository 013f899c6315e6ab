// Generated pictures for our movies and the application's buttons: a plain or shaded colour with a
// simple mark, encoded as JPEG.
#pragma once

#include "swf/media/Jpeg.h"
#include "swfmaker/SwfWriter.h"

namespace glw::tools {

enum class PictureMark { None, Check, Cross, Minus, Arrow, Ring };

struct PictureSpec {
    int width = 64;
    int height = 64;
    Rgb top{255, 255, 255};    // colour at the top edge
    Rgb bottom{255, 255, 255}; // colour at the bottom edge (the same for a plain colour)
    PictureMark mark = PictureMark::None;
    Rgb markColour{255, 255, 255};
    bool bevel = false; // a one-pixel light and dark frame, as on a raised button
};

// The picture as RGB pixels (marks drawn with smooth edges).
glw::swf::media::Image drawPicture(const PictureSpec& spec);

// The picture as a baseline JPEG at the given quality.
Result<Bytes> makePictureJpeg(const PictureSpec& spec, int quality = 85);

} // namespace glw::tools
