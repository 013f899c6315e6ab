// The palette files: 32 records written and read with the byte writer and reader.
#include "formats/PaletteFile.h"

#include "base/Bytes.h"

namespace glw::formats {

std::string writePaletteFile(const PaletteRecords& records) {
    base::ByteWriter out(kPaletteFileSize);
    for (const auto& r : records) {
        for (std::int32_t v : {r.Color, r.Hue, r.Saturation, r.Luminance}) {
            out.u32(std::uint32_t(v));
        }
    }
    const base::Bytes& bytes = out.data();
    return std::string(bytes.begin(), bytes.end());
}

Result<PaletteRecords> readPaletteFile(std::string_view bytes) {
    if (bytes.size() < kPaletteFileSize) {
        return Error{ErrorCode::Truncated, bytes.size(),
                     "a palette file holds 512 bytes, this one " + std::to_string(bytes.size())};
    }
    base::ByteReader in(base::ByteView(reinterpret_cast<const std::uint8_t*>(bytes.data()), kPaletteFileSize));
    PaletteRecords records;
    for (auto& r : records) {
        r.Color = std::int32_t(in.u32() & 0xFFFFFF);
        r.Hue = std::int32_t(in.u32());
        r.Saturation = std::int32_t(in.u32());
        r.Luminance = std::int32_t(in.u32());
    }
    return records;
}

} // namespace glw::formats
