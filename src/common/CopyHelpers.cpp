// File copy and file-name helpers.
#include "CopyHelpers.h"

#include "platform/WinPath.h"
#include "vb/VbError.h"
#include "vb/VbFile.h"
#include "vb/VbText.h"

#include <filesystem>

namespace glw::common {

namespace {

bool sameFile(const std::string& a, const std::string& b) {
    const std::string hostA = platform::toHostPath(a);
    const std::string hostB = platform::toHostPath(b);
    std::error_code ec;
    return !hostA.empty() && !hostB.empty() && std::filesystem::equivalent(hostA, hostB, ec) && !ec;
}

} // namespace

bool APICopy(const std::string& source, const std::string& dest, std::string& failure) {
    const std::string from = vb::Trim(source);
    const std::string to = vb::Trim(dest);
    failure.clear();
    // A copy onto itself would at best rewrite the same bytes; it must never cost the file.
    if (sameFile(from, to)) {
        return true;
    }
    try {
        vb::FileCopy(from, to);
        return true;
    } catch (const vb::RuntimeError& e) {
        failure = e.Description();
    }
    return false;
}

bool APICopy(const std::string& source, const std::string& dest) {
    std::string ignored;
    return APICopy(source, dest, ignored);
}

std::string FileNameFromPath(const std::string& path) {
    const auto cut = path.find_last_of('\\');
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

} // namespace glw::common
