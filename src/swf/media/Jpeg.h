// JPEG images for SWF bitmaps: decode, resample, encode and estimate the quality of JPEG data (libjpeg-turbo).
#pragma once

#include "base/Result.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <vector>

namespace glw::swf::media {

// Largest image the decoder and the resampler accept, in pixels (about 268 MB as RGBA). A JPEG header
// can declare up to 65535 x 65535 pixels in a few hundred bytes; this bound keeps hostile data from
// reserving gigabytes.
inline constexpr std::size_t kMaxImagePixels = std::size_t{1} << 26;

// Largest JPEG file readJpegFile loads (bytes).
inline constexpr std::uintmax_t kMaxJpegFileBytes = std::uintmax_t{256} << 20;

// Image: pixels row by row, top row first, `channels` bytes per pixel (1 grey, 3 RGB, 4 RGBA), no row padding.
struct Image {
    int width = 0;
    int height = 0;
    int channels = 3;
    std::vector<std::uint8_t> pixels;
};

// True when the bytes hold a JPEG stream whose header libjpeg reads (start-of-image marker, frame
// header, supported colour space). Stray end/start-of-image pairs before the header, as older movies
// store them, are accepted.
bool isJpeg(std::span<const std::uint8_t> bytes);

// The bytes with every end-of-image/start-of-image pair that stands before the first scan removed, and
// any leading end-of-image marker dropped, so that a movie's separate JPEG tables and image data (or
// data with the stray FFD9 FFD8 prefix of older movies) form one stream a decoder reads. Bytes that
// are not a marker stream are returned unchanged.
std::vector<std::uint8_t> joinJpegStreams(std::span<const std::uint8_t> bytes);

// What a decode does with data libjpeg can read only with warnings (cut short, corrupt entropy data):
// Tolerate fills the missing parts with grey, as players do with images already in a movie; Refuse
// fails with Malformed, for a file the user hands in to replace an image.
enum class JpegDamage { Tolerate, Refuse };

// Decodes JPEG data to 8-bit RGB (channels 3), whatever the stored colour space. The data goes through
// joinJpegStreams first. Fails with Malformed or Truncated for broken data, TooLarge for more than
// maxPixels pixels, Unsupported for colour spaces libjpeg cannot convert to RGB (CMYK).
Result<Image> decodeJpeg(std::span<const std::uint8_t> bytes, std::size_t maxPixels = kMaxImagePixels,
                         JpegDamage damage = JpegDamage::Tolerate);

// Reads a whole file (at most kMaxJpegFileBytes) and decodes it; NotFound or Io when it cannot be read.
Result<Image> readJpegFile(const std::filesystem::path& file, std::size_t maxPixels = kMaxImagePixels,
                           JpegDamage damage = JpegDamage::Tolerate);

// The image resampled to width x height (a triangle filter whose support widens when shrinking, so
// every source pixel contributes). Channels are filtered independently. Invalid for an empty or
// inconsistent image or a target size below 1; TooLarge past kMaxImagePixels.
Result<Image> resample(const Image& image, int width, int height);

// Encodes an image (1, 3 or 4 channels; the alpha of a 4-channel image is left out) as a baseline JPEG
// with the IJG tables scaled for quality 0 to 100 (0 behaves as 1). Invalid for a quality outside 0-100 or
// an inconsistent image.
Result<std::vector<std::uint8_t>> encodeJpeg(const Image& image, int quality);

// Estimates the IJG quality (1 to 100) a JPEG was saved at from its quantisation tables: the quality
// whose scaled standard tables lie closest to the stored luminance table (and chrominance table when
// there is one). The bytes need only hold the DQT segments (a movie's JPEG tables alone will do).
// NotFound when no quantisation table is present, Malformed when the marker segments are broken.
Result<int> estimateJpegQuality(std::span<const std::uint8_t> bytes);

} // namespace glw::swf::media
