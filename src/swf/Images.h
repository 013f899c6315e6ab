// Bitmaps (DefineBits with JPEGTables, DefineBitsJPEG2/3/4, DefineBitsLossless/2): what they hold,
// their pixel size and JPEG quality, and a replacement bitmap tag for a new JPEG image.
#pragma once

#include "base/Result.h"
#include "swf/Bytes.h"
#include "swf/Media.h"
#include "swf/Movie.h"

#include <cstdint>

namespace glw::swf {

enum class ImageFormat { Jpeg, Png, Gif, Lossless, Unknown };

// The quality reported for bitmaps that are not JPEG (lossless, PNG, GIF): nothing is lost.
constexpr int kLosslessQuality = 100;

struct ImageInfo {
    std::uint16_t id = 0;
    TagCode code = TagCode::End;
    ImageFormat format = ImageFormat::Unknown;
    int width = 0; // pixels; 0 when the data does not say
    int height = 0;
    int quality = kLosslessQuality;
};

bool isImageTag(TagCode code);

// Reads a bitmap tag. `jpegTables` is the movie's JPEGTables payload (for DefineBits). Quality is
// estimated through `jpeg` when given; a JPEG whose tables cannot be read gets kLosslessQuality.
[[nodiscard]] Result<ImageInfo> readDefineBits(const Tag& tag, ByteView jpegTables, JpegCodec* jpeg);

// The tag that shows `jpegData` under the same character id: DefineBits and DefineBitsLossless become
// DefineBitsJPEG2, DefineBitsLossless2 becomes DefineBitsJPEG3, and the JPEG3/JPEG4 alpha is rebuilt
// fully opaque for the new image's size (the old mask belonged to the old picture).
[[nodiscard]] Result<Tag> writeDefineBits(const Tag& original, const ImageInfo& info, ByteView jpegData, int width,
                                          int height);

} // namespace glw::swf
