// The Flash player's files as the programs carry them: a manifest that names each file with its size and
// checksum, and a pack (the manifest and the files' bytes, compressed) that travels inside a program.
#pragma once

#include "base/Result.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace glw::formats {

// The name of the manifest in a folder of the player's files; it is written last, so a folder that holds
// it was written whole.
inline constexpr std::string_view kPlayerManifestName = "glwplayer.txt";

struct PlayerFileEntry {
    std::string name; // a bare file name: no "/", "\", control characters, and not "." or ".."
    std::uint64_t size = 0;
    std::uint32_t crc = 0; // CRC-32 (zlib's) of the file's bytes
    bool operator==(const PlayerFileEntry&) const = default;
};

struct PlayerManifest {
    std::string version; // the player's version, one word
    std::vector<PlayerFileEntry> files;
    bool operator==(const PlayerManifest&) const = default;
};

// The bounds a manifest is held to: a player is a few files of some megabytes, and a pack inside a
// program must never make its reader reserve more than that.
inline constexpr std::size_t kMaxPlayerFiles = 64;
inline constexpr std::uint64_t kMaxPlayerBytes = 256ull * 1024 * 1024;
inline constexpr std::size_t kMaxManifestBytes = 64 * 1024;

// The manifest as text, one line each: "glwplayer 1", "version <version>", then per file
// "file <size> <crc as 8 hex digits> <name>", each line ending in LF.
std::string writePlayerManifest(const PlayerManifest& manifest);
// Malformed, with the line at fault, for anything else: a missing or unknown first line, a missing or
// blank version, a name that is not bare or comes twice, sizes past the bounds.
Result<PlayerManifest> readPlayerManifest(std::string_view text);

// An identity of the manifest's exact content ("<version>-<8 hex digits>"), for naming a folder that
// holds exactly these files.
std::string playerManifestKey(const PlayerManifest& manifest);

// A file of the player with its bytes, as a pack is made from.
struct PlayerFile {
    std::string name;
    std::string bytes;
};

// The pack: "GLWPACK1", the manifest's length (UI32, little-endian), the manifest, then one xz stream of
// the files' bytes one after another in the manifest's order. Invalid for a file whose name is not bare,
// or files past the bounds.
Result<std::string> writePlayerPack(std::string_view version, const std::vector<PlayerFile>& files);

// A pack's manifest and where its compressed bytes lie in the pack (a view into the caller's bytes).
struct PlayerPack {
    PlayerManifest manifest;
    std::string_view compressed;
};
// Reads the header only; Malformed or Truncated when the pack is not one.
Result<PlayerPack> readPlayerPack(std::string_view pack);

// Decompresses the pack and hands each file to `take` in order, after its size and checksum are checked
// (Malformed otherwise, naming the file); stops at the first error `take` returns.
Result<void> unpackPlayer(const PlayerPack& pack,
                          const std::function<Result<void>(const PlayerFileEntry&, std::string_view bytes)>& take);

// Checks that `folder` holds the player whole: its manifest reads, and every file it names is there with
// that size and checksum. Each checked file is handed to `take` (when given) with its bytes, so that a
// copy reads the files once; the first error `take` returns is returned as it is. The manifest on
// success; otherwise NotFound or Malformed with a sentence for the user on which file is missing or
// damaged.
Result<PlayerManifest>
checkPlayerFolder(const std::string& folder,
                  const std::function<Result<void>(const PlayerFileEntry&, std::string_view bytes)>& take = {});

// The CRC-32 of bytes, as the manifest holds it.
std::uint32_t playerCrc(std::string_view bytes);

} // namespace glw::formats
