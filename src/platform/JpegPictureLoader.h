// The picture loader of JPEG files.
#pragma once

#include "Services.h"

namespace glw::platform {

// JPEG pictures: the header gives the size, and the whole image is decoded so that a damaged or cut-off
// file fails (NotFound for a missing file, Malformed for one that does not decode). Other formats fail
// with Unsupported.
class JpegPictureLoader : public PictureLoader {
public:
    Result<Picture> load(const std::string& systemPath) override;
};

} // namespace glw::platform
