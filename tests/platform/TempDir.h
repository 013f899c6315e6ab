// A temporary host folder for a test, removed with everything in it when the test ends.
#pragma once

#include "platform/WinPath.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>

namespace glw::platform::test {

class TempDir {
public:
    TempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "glw-test-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) {
            throw std::runtime_error("mkdtemp failed");
        }
        m_path = pattern;
    }
    ~TempDir() {
        std::error_code ignored;
        // Read-only folders made by a test must be writable again before they can be emptied.
        for (auto it = std::filesystem::recursive_directory_iterator(m_path, ignored);
             it != std::filesystem::recursive_directory_iterator(); it.increment(ignored)) {
            std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::add, ignored);
        }
        std::filesystem::remove_all(m_path, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& host() const { return m_path; }
    std::string host(const std::string& relative) const { return m_path + "/" + relative; }
    // The folder in system form, without a closing separator.
    std::string system() const { return toSystemPath(m_path); }
    // `relative` uses "\" between components.
    std::string system(const std::string& relative) const { return system() + "\\" + relative; }

    void file(const std::string& relative, const std::string& bytes = "x") const {
        std::filesystem::path p = host(relative);
        std::filesystem::create_directories(p.parent_path());
        std::ofstream(p, std::ios::binary) << bytes;
    }
    void folder(const std::string& relative) const { std::filesystem::create_directories(host(relative)); }
    bool exists(const std::string& relative) const { return std::filesystem::exists(host(relative)); }
    std::string read(const std::string& relative) const {
        std::ifstream in(host(relative), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    void readOnly(const std::string& relative) const {
        using std::filesystem::perms;
        std::filesystem::permissions(host(relative), perms::owner_write | perms::group_write | perms::others_write,
                                     std::filesystem::perm_options::remove);
    }

private:
    std::string m_path;
};

// Changes the current folder for the lifetime of the object.
class CurrentFolder {
public:
    explicit CurrentFolder(const std::string& host) : m_old(std::filesystem::current_path()) {
        std::filesystem::current_path(host);
    }
    ~CurrentFolder() { std::filesystem::current_path(m_old); }

private:
    std::filesystem::path m_old;
};

} // namespace glw::platform::test
