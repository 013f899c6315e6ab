// Bitmaps: each bitmap tag offered with its id and JPEG quality; a replacement JPEG is resampled to
// the bitmap's own pixel size and written under the same id.
#include "swf/GeneratorParts.h"

namespace glw::swf::generator {

void ImageElements::scan(SwfGenerator& events, const Movie& movie, const Tag& tag, const TagPath& path,
                         ByteView jpegTables, JpegCodec* jpeg, ElementOrder& order, Problems& problems) {
    Result<ImageInfo> info = readDefineBits(tag, jpegTables, jpeg);
    if (!info) {
        problems.unreadable(movie, tag, info.error());
        return;
    }
    ImageElement e;
    e.ImageId = info->id;
    e.ImageQuality = info->quality;
    const std::size_t number = order.take();
    if (events.OnSubImage) {
        events.OnSubImage(e);
    }
    m_sites.push_back(Site{path, number, *info, std::move(e)});
}

void ImageElements::apply(Movie& m, JpegCodec* jpeg, Problems& problems) const {
    for (const Site& site : m_sites) {
        const ImageElement& e = site.element;
        if (!e.NeedSub || e.ImageFile.empty()) {
            continue;
        }
        std::string what = "image " + std::to_string(site.info.id) + " not replaced: ";
        if (!jpeg) {
            problems.note(ErrorCode::Unsupported, what + "no JPEG codec", site.order);
            continue;
        }
        if (site.info.width <= 0 || site.info.height <= 0) {
            problems.note(ErrorCode::Unsupported, what + "the bitmap's pixel size is unknown", site.order);
            continue;
        }
        int quality = (e.ImageQuality >= 1 && e.ImageQuality <= 100) ? e.ImageQuality : site.info.quality;
        Result<Bytes> data = jpeg->recodeFile(e.ImageFile, site.info.width, site.info.height, quality);
        if (!data) {
            problems.note(data.error().code, what + data.error().detail, site.order);
            continue;
        }
        Tag& tag = tagAt(m.tags, site.path);
        Result<Tag> replacement = writeDefineBits(tag, site.info, *data, site.info.width, site.info.height);
        if (!replacement) {
            problems.note(replacement.error().code, what + replacement.error().detail, site.order);
            continue;
        }
        tag = std::move(*replacement);
    }
}

} // namespace glw::swf::generator
