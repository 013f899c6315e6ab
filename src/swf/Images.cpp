// Bitmaps (DefineBits with JPEGTables, DefineBitsJPEG2/3/4, DefineBitsLossless/2): what they hold,
// their pixel size and JPEG quality, and a replacement bitmap tag for a new JPEG image.
#include "swf/Images.h"

#include <zlib.h>

namespace glw::swf {

namespace {

std::uint32_t bigEndian32(const std::uint8_t* p) {
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
}

ImageFormat sniff(ByteView data) {
    if (data.size() >= 2 && data[0] == 0xFF && (data[1] == 0xD8 || data[1] == 0xD9)) {
        return ImageFormat::Jpeg;
    }
    if (data.size() >= 8 && data[0] == 0x89 && data[1] == 'P' && data[2] == 'N' && data[3] == 'G') {
        return ImageFormat::Png;
    }
    if (data.size() >= 6 && data[0] == 'G' && data[1] == 'I' && data[2] == 'F' && data[3] == '8') {
        return ImageFormat::Gif;
    }
    return ImageFormat::Unknown;
}

// The JPEG stream inside a bitmap tag's payload.
ByteView jpegPart(const Tag& tag) {
    ByteView p = tag.payload();
    switch (tag.code()) {
    case TagCode::DefineBits:
    case TagCode::DefineBitsJPEG2:
        return p.size() >= 2 ? p.subspan(2) : ByteView{};
    case TagCode::DefineBitsJPEG3:
        if (p.size() >= 6) {
            std::size_t n = readU32(p.data() + 2);
            return p.subspan(6, std::min(n, p.size() - 6));
        }
        return {};
    case TagCode::DefineBitsJPEG4:
        if (p.size() >= 8) {
            std::size_t n = readU32(p.data() + 2);
            return p.subspan(8, std::min(n, p.size() - 8));
        }
        return {};
    default:
        return {};
    }
}

} // namespace

Result<std::pair<int, int>> jpegSizeFromMarkers(ByteView jpeg) {
    std::size_t pos = 0;
    while (pos + 1 < jpeg.size()) {
        if (jpeg[pos] != 0xFF) {
            ++pos; // between segments only fill bytes are expected; pass over anything else
            continue;
        }
        std::uint8_t marker = jpeg[pos + 1];
        if (marker == 0xFF) {
            ++pos;
            continue;
        }
        pos += 2;
        // Markers without a length: start/end of image, restart markers, TEM.
        if (marker == 0xD8 || marker == 0xD9 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {
            continue;
        }
        if (pos + 2 > jpeg.size()) {
            break;
        }
        std::size_t length = (std::size_t{jpeg[pos]} << 8) | jpeg[pos + 1];
        if (length < 2 || pos + length > jpeg.size()) {
            break;
        }
        bool sof = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (sof && length >= 7) {
            int height = (jpeg[pos + 3] << 8) | jpeg[pos + 4];
            int width = (jpeg[pos + 5] << 8) | jpeg[pos + 6];
            return std::make_pair(width, height);
        }
        if (marker == 0xDA) {
            break; // entropy-coded data follows; a frame header would have come before
        }
        pos += length;
    }
    return makeError(ErrorCode::Malformed, "the JPEG data has no frame header");
}

bool isImageTag(TagCode code) {
    return hasTrait(code, kImage);
}

Result<ImageInfo> readDefineBits(const Tag& tag, ByteView jpegTables, JpegCodec* jpeg) {
    ByteView p = tag.payload();
    if (p.size() < 2) {
        return makeError(ErrorCode::Truncated, "a bitmap is cut short");
    }
    ImageInfo info;
    info.id = readU16(p.data());
    info.code = tag.code();
    if (tag.code() == TagCode::DefineBitsLossless || tag.code() == TagCode::DefineBitsLossless2) {
        if (p.size() < 7) {
            return makeError(ErrorCode::Truncated, "a bitmap is cut short");
        }
        info.format = ImageFormat::Lossless;
        info.width = readU16(p.data() + 3);
        info.height = readU16(p.data() + 5);
        return info;
    }
    ByteView data = jpegPart(tag);
    info.format = tag.code() == TagCode::DefineBits ? ImageFormat::Jpeg : sniff(data);
    switch (info.format) {
    case ImageFormat::Png:
        if (data.size() >= 24) {
            info.width = static_cast<int>(bigEndian32(data.data() + 16));
            info.height = static_cast<int>(bigEndian32(data.data() + 20));
        }
        return info;
    case ImageFormat::Gif:
        if (data.size() >= 10) {
            info.width = readU16(data.data() + 6);
            info.height = readU16(data.data() + 8);
        }
        return info;
    case ImageFormat::Jpeg:
        break;
    default:
        return info;
    }
    if (Result<std::pair<int, int>> size = jpegSizeFromMarkers(data)) {
        info.width = size->first;
        info.height = size->second;
    }
    if (jpeg) {
        Result<int> q = jpeg->estimateQuality(data);
        if (!q && tag.code() == TagCode::DefineBits && !jpegTables.empty()) {
            q = jpeg->estimateQuality(jpegTables);
        }
        if (q) {
            info.quality = *q;
        }
    }
    return info;
}

Result<Tag> writeDefineBits(const Tag& original, const ImageInfo& info, ByteView jpegData, int width, int height) {
    TagCode code = original.code();
    if (code == TagCode::DefineBits || code == TagCode::DefineBitsLossless) {
        code = TagCode::DefineBitsJPEG2;
    } else if (code == TagCode::DefineBitsLossless2) {
        code = TagCode::DefineBitsJPEG3;
    }
    ByteWriter w(jpegData.size() + 64);
    w.u16(info.id);
    if (code == TagCode::DefineBitsJPEG2) {
        w.bytes(jpegData);
        return Tag::make(code, w.take());
    }
    if (jpegData.size() > UINT32_MAX) {
        return makeError(ErrorCode::TooLarge, "the image is too large for a bitmap tag");
    }
    w.u32(static_cast<std::uint32_t>(jpegData.size()));
    if (code == TagCode::DefineBitsJPEG4) {
        ByteView p = original.payload();
        w.u16(p.size() >= 8 ? readU16(p.data() + 6) : 0); // keep the deblocking strength
    }
    w.bytes(jpegData);
    // One alpha byte per pixel, all opaque, zlib-compressed.
    std::size_t pixels = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    Bytes alpha(pixels, 0xFF);
    uLongf packedSize = compressBound(static_cast<uLong>(alpha.size()));
    Bytes packed(packedSize);
    if (compress2(packed.data(), &packedSize, alpha.data(), static_cast<uLong>(alpha.size()), Z_BEST_COMPRESSION) !=
        Z_OK) {
        return makeError(ErrorCode::Io, "zlib cannot compress the image's alpha");
    }
    packed.resize(packedSize);
    w.bytes(packed);
    return Tag::make(code, w.take());
}

} // namespace glw::swf
