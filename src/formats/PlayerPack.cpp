// The player's manifest and pack: text lines for the manifest, one xz stream for the files' bytes.
#include "PlayerPack.h"

#include "base/Bytes.h"
#include "base/FileIo.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <lzma.h>
#include <set>
#include <zlib.h>

namespace glw::formats {

namespace {

constexpr std::string_view kFirstLine = "glwplayer 1";
constexpr std::string_view kPackMagic = "GLWPACK1";

bool bareName(std::string_view name) {
    if (name.empty() || name == "." || name == ".." || name.size() > 255) {
        return false;
    }
    return std::none_of(name.begin(), name.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return c == '/' || c == '\\' || u < 0x20 || u == 0x7f;
    });
}

bool oneWord(std::string_view word) {
    return !word.empty() && word.size() <= 64 &&
           std::none_of(word.begin(), word.end(), [](char c) { return static_cast<unsigned char>(c) <= ' '; });
}

std::string hex8(std::uint32_t value) {
    char text[9];
    for (int i = 7; i >= 0; --i) {
        text[i] = "0123456789abcdef"[value & 0xf];
        value >>= 4;
    }
    return std::string(text, 8);
}

Error lineError(std::size_t line, const std::string& what) {
    return makeError(ErrorCode::Malformed, "player manifest, line " + std::to_string(line) + ": " + what);
}

// Reads "file <size> <crc> <name>" (the name may hold blanks: it is the rest of the line).
Result<PlayerFileEntry> readFileLine(std::string_view rest, std::size_t line) {
    PlayerFileEntry entry;
    const auto sizeEnd = rest.find(' ');
    if (sizeEnd == std::string_view::npos) {
        return lineError(line, "a file line needs a size, a checksum and a name");
    }
    const std::string_view sizeText = rest.substr(0, sizeEnd);
    auto [p, ec] = std::from_chars(sizeText.data(), sizeText.data() + sizeText.size(), entry.size);
    // One spelling per manifest: a leading zero or an upper-case digit would read as what writes otherwise.
    if (ec != std::errc() || p != sizeText.data() + sizeText.size() || entry.size > kMaxPlayerBytes ||
        (sizeText.size() > 1 && sizeText[0] == '0')) {
        return lineError(line, "the size is not a number up to the bound");
    }
    rest.remove_prefix(sizeEnd + 1);
    if (rest.size() < 10 || rest[8] != ' ') {
        return lineError(line, "the checksum is not 8 hexadecimal digits");
    }
    const std::string_view crcText = rest.substr(0, 8);
    auto [q, ec2] = std::from_chars(crcText.data(), crcText.data() + 8, entry.crc, 16);
    if (ec2 != std::errc() || q != crcText.data() + 8 || !std::all_of(crcText.begin(), crcText.end(), [](char c) {
            return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
        })) {
        return lineError(line, "the checksum is not 8 hexadecimal digits");
    }
    entry.name = std::string(rest.substr(9));
    if (!bareName(entry.name) || entry.name == kPlayerManifestName) {
        return lineError(line, "the file name is not a bare name of the player");
    }
    return entry;
}

struct LzmaStream {
    lzma_stream stream = LZMA_STREAM_INIT;
    ~LzmaStream() { lzma_end(&stream); }
};

} // namespace

Result<PlayerManifest>
checkPlayerFolder(const std::string& folder,
                  const std::function<Result<void>(const PlayerFileEntry&, std::string_view bytes)>& take) {
    const auto path = [&](std::string_view name) { return folder + "/" + std::string(name); };
    const std::string manifestPath = path(kPlayerManifestName);
    auto text = base::readWholeFile(manifestPath);
    if (!text) {
        return makeError(ErrorCode::NotFound,
                         "Its files are missing: " + manifestPath + " cannot be read (" + text.error().detail + ").");
    }
    auto manifest = readPlayerManifest(*text);
    if (!manifest) {
        return makeError(ErrorCode::Malformed,
                         "Its list of files " + manifestPath + " is damaged (" + manifest.error().detail + ").");
    }
    for (const auto& file : manifest->files) {
        auto bytes = base::readWholeFile(path(file.name));
        if (!bytes) {
            return makeError(ErrorCode::NotFound, "Its file " + path(file.name) + " is missing or cannot be read.");
        }
        if (bytes->size() != file.size || playerCrc(*bytes) != file.crc) {
            return makeError(ErrorCode::Malformed, "Its file " + path(file.name) + " is damaged.");
        }
        if (take) {
            if (auto taken = take(file, *bytes); !taken) {
                return taken.error();
            }
        }
    }
    return manifest;
}

std::uint32_t playerCrc(std::string_view bytes) {
    uLong crc = crc32(0L, Z_NULL, 0);
    const auto* data = reinterpret_cast<const Bytef*>(bytes.data());
    std::size_t left = bytes.size();
    while (left > 0) {
        const auto piece = static_cast<uInt>(std::min<std::size_t>(left, 1u << 30));
        crc = crc32(crc, data, piece);
        data += piece;
        left -= piece;
    }
    return static_cast<std::uint32_t>(crc);
}

std::string writePlayerManifest(const PlayerManifest& manifest) {
    std::string text = std::string(kFirstLine) + "\nversion " + manifest.version + "\n";
    for (const auto& file : manifest.files) {
        text += "file " + std::to_string(file.size) + " " + hex8(file.crc) + " " + file.name + "\n";
    }
    return text;
}

Result<PlayerManifest> readPlayerManifest(std::string_view text) {
    if (text.size() > kMaxManifestBytes) {
        return makeError(ErrorCode::TooLarge, "player manifest: longer than " + std::to_string(kMaxManifestBytes));
    }
    PlayerManifest manifest;
    std::set<std::string> names;
    std::uint64_t total = 0;
    std::size_t lineNumber = 0;
    bool versionSeen = false;
    while (!text.empty()) {
        const auto end = text.find('\n');
        if (end == std::string_view::npos) {
            return lineError(lineNumber + 1, "the last line has no line end (a cut file)");
        }
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end + 1);
        ++lineNumber;
        if (lineNumber == 1) {
            if (line != kFirstLine) {
                return lineError(1, "not a player manifest of this kind");
            }
        } else if (line.rfind("version ", 0) == 0 && !versionSeen) {
            manifest.version = std::string(line.substr(8));
            if (!oneWord(manifest.version)) {
                return lineError(lineNumber, "the version is not one word");
            }
            versionSeen = true;
        } else if (line.rfind("file ", 0) == 0 && versionSeen) {
            auto entry = readFileLine(line.substr(5), lineNumber);
            if (!entry) {
                return entry.error();
            }
            if (!names.insert(entry->name).second) {
                return lineError(lineNumber, "\"" + entry->name + "\" is named twice");
            }
            total += entry->size;
            if (manifest.files.size() >= kMaxPlayerFiles || total > kMaxPlayerBytes) {
                return lineError(lineNumber, "more files or bytes than a player has");
            }
            manifest.files.push_back(std::move(*entry));
        } else {
            return lineError(lineNumber, "an unknown or misplaced line");
        }
    }
    if (!versionSeen) {
        return lineError(lineNumber + 1, "no version line");
    }
    return manifest;
}

std::string playerManifestKey(const PlayerManifest& manifest) {
    return manifest.version + "-" + hex8(playerCrc(writePlayerManifest(manifest)));
}

Result<std::string> writePlayerPack(std::string_view version, const std::vector<PlayerFile>& files) {
    PlayerManifest manifest;
    manifest.version = std::string(version);
    std::string joined;
    for (const auto& file : files) {
        if (!bareName(file.name) || file.name == kPlayerManifestName) {
            return makeError(ErrorCode::Invalid, "player pack: \"" + file.name + "\" is not a bare file name");
        }
        manifest.files.push_back({file.name, file.bytes.size(), playerCrc(file.bytes)});
        joined += file.bytes;
    }
    const std::string text = writePlayerManifest(manifest);
    if (auto checked = readPlayerManifest(text); !checked) {
        return makeError(ErrorCode::Invalid, checked.error().detail);
    }

    // One stream for all files: the two scripts and the WebAssembly share much, and a dictionary as large
    // as the data (not the preset's 64 MiB) keeps the reader's memory to what the files need.
    lzma_options_lzma options;
    if (lzma_lzma_preset(&options, 9)) {
        return makeError(ErrorCode::Unsupported, "player pack: the xz preset is not available");
    }
    options.dict_size =
        static_cast<std::uint32_t>(std::clamp<std::uint64_t>(joined.size(), LZMA_DICT_SIZE_MIN, options.dict_size));
    lzma_filter filters[] = {{LZMA_FILTER_LZMA2, &options}, {LZMA_VLI_UNKNOWN, nullptr}};
    LzmaStream encoder;
    if (lzma_stream_encoder(&encoder.stream, filters, LZMA_CHECK_CRC32) != LZMA_OK) {
        return makeError(ErrorCode::Unsupported, "player pack: the xz encoder could not start");
    }
    std::string compressed(lzma_stream_buffer_bound(joined.size()), '\0');
    encoder.stream.next_in = reinterpret_cast<const std::uint8_t*>(joined.data());
    encoder.stream.avail_in = joined.size();
    encoder.stream.next_out = reinterpret_cast<std::uint8_t*>(compressed.data());
    encoder.stream.avail_out = compressed.size();
    if (lzma_code(&encoder.stream, LZMA_FINISH) != LZMA_STREAM_END) {
        return makeError(ErrorCode::Io, "player pack: compression failed");
    }
    compressed.resize(encoder.stream.total_out);

    base::ByteWriter header(kPackMagic.size() + 4);
    header.bytes(kPackMagic);
    header.u32(static_cast<std::uint32_t>(text.size()));
    std::string pack(header.data().begin(), header.data().end());
    pack += text;
    pack += compressed;
    return pack;
}

Result<PlayerPack> readPlayerPack(std::string_view pack) {
    base::ByteReader in(base::ByteView(reinterpret_cast<const std::uint8_t*>(pack.data()), pack.size()));
    const base::ByteView magic = in.bytes(kPackMagic.size());
    const std::uint32_t length = in.u32();
    if (in.failed() || std::string_view(reinterpret_cast<const char*>(magic.data()), magic.size()) != kPackMagic) {
        return makeError(ErrorCode::Malformed, "player pack: no pack header");
    }
    const std::size_t start = in.position();
    if (length > kMaxManifestBytes || length > pack.size() - start) {
        return makeError(ErrorCode::Truncated, "player pack: the manifest runs past the end", start);
    }
    auto manifest = readPlayerManifest(pack.substr(start, length));
    if (!manifest) {
        return manifest.error();
    }
    return PlayerPack{std::move(*manifest), pack.substr(start + length)};
}

Result<void> unpackPlayer(const PlayerPack& pack,
                          const std::function<Result<void>(const PlayerFileEntry&, std::string_view bytes)>& take) {
    std::uint64_t total = 0;
    for (const auto& file : pack.manifest.files) {
        total += file.size; // bounded by readPlayerManifest
    }
    std::string joined(total, '\0');
    LzmaStream decoder;
    if (lzma_stream_decoder(&decoder.stream, 2 * kMaxPlayerBytes, 0) != LZMA_OK) {
        return makeError(ErrorCode::Unsupported, "player pack: the xz decoder could not start");
    }
    decoder.stream.next_in = reinterpret_cast<const std::uint8_t*>(pack.compressed.data());
    decoder.stream.avail_in = pack.compressed.size();
    decoder.stream.next_out = reinterpret_cast<std::uint8_t*>(joined.data());
    decoder.stream.avail_out = joined.size();
    const lzma_ret ret = lzma_code(&decoder.stream, LZMA_FINISH);
    if (ret != LZMA_STREAM_END || decoder.stream.total_out != total) {
        return makeError(ErrorCode::Malformed, "player pack: the compressed files are damaged or do not match "
                                               "the manifest");
    }
    std::string_view rest(joined);
    for (const auto& file : pack.manifest.files) {
        const std::string_view bytes = rest.substr(0, file.size);
        rest.remove_prefix(file.size);
        if (playerCrc(bytes) != file.crc) {
            return makeError(ErrorCode::Malformed, "player pack: \"" + file.name + "\" does not match its checksum");
        }
        if (auto taken = take(file, bytes); !taken) {
            return taken;
        }
    }
    return {};
}

} // namespace glw::formats
