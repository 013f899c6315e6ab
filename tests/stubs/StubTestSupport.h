// Shared helpers of the stub tests: a fixture movie, packages built with the package writer or by hand,
// joined files, and running a form until the program ends.
#pragma once

#include "forms/Runtime.h"
#include "jpk/JpkMarker.h"
#include "jpk/JpkWriter.h"
#include "vb/VbError.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace glw::stubs::test {

// A minimal movie made here: an uncompressed header for a 550 x 400 pixel stage at 12 frames a second,
// one frame, then ShowFrame and End tags. Enough for every reader of a movie's header.
inline std::string fixtureMovie(int widthPixels = 550, int heightPixels = 400) {
    std::vector<bool> bits;
    auto put = [&](std::uint32_t value, int count) {
        for (int i = count - 1; i >= 0; --i) {
            bits.push_back(((value >> i) & 1u) != 0);
        }
    };
    put(15, 5); // bits per field of the stage rectangle
    put(0, 15);
    put(std::uint32_t(widthPixels * 20), 15);
    put(0, 15);
    put(std::uint32_t(heightPixels * 20), 15);
    std::string rect((bits.size() + 7) / 8, '\0');
    for (std::size_t i = 0; i < bits.size(); ++i) {
        if (bits[i]) {
            rect[i / 8] = char(rect[i / 8] | (0x80 >> (i % 8)));
        }
    }
    std::string body = rect + std::string("\x00\x0C\x01\x00\x40\x00\x00\x00", 8);
    const std::uint32_t length = std::uint32_t(8 + body.size());
    std::string movie = "FWS";
    movie += char(6);
    for (int i = 0; i < 4; ++i) {
        movie += char((length >> (8 * i)) & 0xFF);
    }
    return movie + body;
}

inline void writeBytes(const std::string& hostPath, const std::string& bytes) {
    std::filesystem::create_directories(std::filesystem::path(hostPath).parent_path());
    std::ofstream out(hostPath, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), std::streamsize(bytes.size()));
}

inline std::string readBytes(const std::string& hostPath) {
    std::ifstream in(hostPath, std::ios::binary | std::ios::ate);
    if (!in) {
        return {};
    }
    std::string bytes(std::size_t(in.tellg()), '\0');
    in.seekg(0);
    in.read(bytes.data(), std::streamsize(bytes.size()));
    return bytes;
}

// A startup list with the lines given, each ended by CR LF as the export writes it.
inline std::string startupList(const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& line : lines) {
        text += line + "\r\n";
    }
    return text;
}

// One package entry as the writer lays it out, for packages the writer refuses to make (unsafe names).
inline std::string entryBytes(const std::string& name, const std::string& data) {
    return name + std::string(1, '\0') + std::to_string(data.size()) + std::string(1, '\0') + data;
}

// Builds a package file with the package writer from (entry name, bytes) pairs, staged in `stage`.
inline void writePackage(const std::string& packagePath, const std::string& stage,
                         const std::vector<std::pair<std::string, std::string>>& entries) {
    std::filesystem::create_directories(stage);
    for (const auto& [name, bytes] : entries) {
        const std::string source = stage + "/" + name;
        writeBytes(source, bytes);
        auto added = jpk::JpkAdd(packagePath, source, name);
        ASSERT_TRUE(added.ok()) << added.error().detail;
    }
}

// Joins a stub file and a package file into `output` (stub, marker, package).
inline void joinFile(const std::string& stubPath, const std::string& packagePath, const std::string& output) {
    auto data = jpk::LoadData(packagePath);
    ASSERT_TRUE(data.ok()) << data.error().detail;
    auto joined = jpk::joinSelfExtractingFile(stubPath, *data, output);
    ASSERT_TRUE(joined.ok()) << joined.error().detail;
}

// Writes the program `output` (a host path): the stub `stubPath`, the marker and a package of these entries,
// staged under `stagePrefix` (a host path; the package file and its folder of sources).
inline void joinProgram(const std::string& stubPath, const std::string& output, const std::string& stagePrefix,
                        const std::vector<std::pair<std::string, std::string>>& entries) {
    const std::string package = stagePrefix + ".dta";
    writePackage(package, stagePrefix, entries);
    joinFile(stubPath, package, output);
    std::filesystem::remove(package);
}

// Runs `action` and gives the exit code when the program ended inside it (the End statement).
inline std::optional<int> endsWith(const std::function<void()>& action) {
    try {
        action();
    } catch (const vb::EndProgram& end) {
        return end.exitCode;
    }
    return std::nullopt;
}

inline bool hasLine(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

inline bool hasLineStarting(const std::vector<std::string>& lines, const std::string& start) {
    return std::any_of(lines.begin(), lines.end(), [&](const std::string& l) { return l.rfind(start, 0) == 0; });
}

// The entries of a folder (names only), empty when it is missing.
inline std::vector<std::string> folderEntries(const std::string& hostPath) {
    std::vector<std::string> names;
    std::error_code ec;
    for (auto it = std::filesystem::directory_iterator(hostPath, ec);
         !ec && it != std::filesystem::directory_iterator(); it.increment(ec)) {
        names.push_back(it->path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace glw::stubs::test
