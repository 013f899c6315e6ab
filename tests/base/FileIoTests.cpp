// The one way a file is replaced whole: a temporary file beside it, flushed and renamed over it, with the
// permission bits the caller asks for and those of the file it replaces kept.
#include "base/FileIo.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <iostream>
#include <iterator>
#include <string>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

namespace glw::base {
namespace {

namespace fs = std::filesystem;

class FileIoTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "glw-fileio-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        m_dir = pattern;
        m_oldMask = ::umask(022);
    }
    void TearDown() override {
        ::umask(m_oldMask);
        fs::remove_all(m_dir);
    }
    std::string path(const std::string& name) const { return m_dir + "/" + name; }
    static std::string read(const std::string& file) {
        std::ifstream in(file, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    static mode_t modeOf(const std::string& file) {
        struct stat st {};
        EXPECT_EQ(::stat(file.c_str(), &st), 0) << file;
        return st.st_mode & 07777;
    }
    // Only the files the test wrote: no temporary is left behind.
    std::size_t entries() const { return std::size_t(std::distance(fs::directory_iterator(m_dir), {})); }

    std::string m_dir;
    mode_t m_oldMask = 022;
};

TEST_F(FileIoTest, PermissionsOfNewAndReplacedFiles) {
    struct Case {
        const char* name;
        mode_t existing; // 0: no file before
        Permissions permissions;
        mode_t expected;
    };
    const Case cases[] = {
        {"new plain file, umask applied", 0, Permissions{}, 0644},
        {"replaced file keeps its bits", 0640, Permissions{}, 0640},
        {"replaced program stays executable", 0755, Permissions{}, 0755},
        {"exact bits for a new file", 0, Permissions{0600, false, false}, 0600},
        {"exact bits over an existing file", 0644, Permissions{0600, false, false}, 0600},
        {"bits less the umask, existing ignored", 0600, Permissions{0666, true, false}, 0644},
    };
    int n = 0;
    for (const auto& c : cases) {
        const std::string file = path("f" + std::to_string(n++));
        if (c.existing != 0) {
            std::ofstream(file) << "old";
            ::chmod(file.c_str(), c.existing);
        }
        ASSERT_TRUE(replaceFileWith(file, "new bytes", c.permissions).ok()) << c.name;
        EXPECT_EQ(read(file), "new bytes") << c.name;
        EXPECT_EQ(modeOf(file), c.expected) << c.name;
    }
    EXPECT_EQ(entries(), std::size(cases));
}

TEST_F(FileIoTest, AFailureLeavesTheOldFileAndNoTemporary) {
    const std::string file = path("kept.txt");
    std::ofstream(file) << "old";
    {
        auto fresh = FreshFile::create(file);
        ASSERT_TRUE(fresh.ok()) << fresh.error().detail;
        ASSERT_TRUE(writeAt(fresh->fd(), 0, "half", 4).ok());
        EXPECT_EQ(entries(), 2u) << "the temporary sits beside the file";
        // Dropped without commit(): the write was abandoned.
    }
    EXPECT_EQ(read(file), "old");
    EXPECT_EQ(entries(), 1u);

    fs::create_directory(path("folder"));
    auto inTheWay = replaceFileWith(path("folder"), "x");
    ASSERT_FALSE(inTheWay.ok());
    EXPECT_EQ(inTheWay.error().code, ErrorCode::Io);

    auto missing = replaceFileWith(path("no/such/file"), "x");
    ASSERT_FALSE(missing.ok());
    EXPECT_EQ(missing.error().code, ErrorCode::NotFound);
    EXPECT_EQ(missing.error().osError, ENOENT);
    EXPECT_EQ(entries(), 2u);
}

// copyIn carries a file's bytes in pieces, starting the write-back of each; the bytes land exactly wherever
// the pieces' edges fall, and a source shorter than asked for fails without touching the final file.
TEST_F(FileIoTest, CopyInCarriesEveryByteAcrossItsPieces) {
    constexpr std::uint64_t MiB = 1 << 20;
    const std::string source = path("source");
    std::string bytes(17 * MiB + 40, '\0');
    std::uint32_t state = 7;
    for (char& c : bytes) {
        state = state * 1103515245u + 12345u;
        c = static_cast<char>(state >> 24);
    }
    std::ofstream(source, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
    auto in = openForReading(source);
    ASSERT_TRUE(in.ok());

    struct Case {
        std::uint64_t srcOffset, length, dstOffset;
    };
    const Case cases[] = {
        {0, 0, 0},
        {3, 1, 11},
        {3, 8 * MiB - 1, 11},
        {0, 8 * MiB, 0},
        {5, 8 * MiB + 1, 11},
        {3, 17 * MiB + 5, 11},
        {0, 17 * MiB + 40, 0},
    };
    for (const Case& c : cases) {
        const std::string target = path("target");
        auto fresh = FreshFile::create(target);
        ASSERT_TRUE(fresh.ok());
        ASSERT_TRUE(writeAt(fresh->fd(), 0, std::string(c.dstOffset, 'h').data(), c.dstOffset).ok());
        auto copied = fresh->copyIn(in->get(), c.srcOffset, c.length, c.dstOffset, 1000);
        ASSERT_TRUE(copied.ok()) << c.length << ": " << copied.error().detail;
        ASSERT_TRUE(fresh->commit().ok());
        const std::string got = read(target);
        ASSERT_EQ(got.size(), c.dstOffset + c.length) << c.length;
        EXPECT_EQ(got.substr(0, c.dstOffset), std::string(c.dstOffset, 'h'));
        EXPECT_TRUE(got.compare(c.dstOffset, c.length, bytes, c.srcOffset, c.length) == 0) << c.length;
    }

    std::ofstream(path("kept")) << "old";
    {
        auto fresh = FreshFile::create(path("kept"));
        ASSERT_TRUE(fresh.ok());
        auto past = fresh->copyIn(in->get(), 16 * MiB, 2 * MiB, 0, 1000);
        ASSERT_FALSE(past.ok());
        EXPECT_EQ(past.error().code, ErrorCode::Truncated);
    }
    EXPECT_EQ(read(path("kept")), "old");
    EXPECT_EQ(entries(), 3u) << "source, target and kept: no temporary stays";
}

// Only a plain file or a link is ever replaced: a device node, a FIFO, a socket or a folder at the path
// stays what it is (renaming over a device node would leave a plain file in its place), and a link is
// replaced itself while the file it points to keeps its bytes.
TEST_F(FileIoTest, OnlyPlainFilesAndLinksAreReplaced) {
    struct Case {
        const char* name;
        std::function<bool(const std::string&)> make; // false: cannot be made here (the row is skipped)
        const char* kind;                             // in the refusal's reason
    };
    const Case cases[] = {
        {"folder", [](const std::string& p) { return ::mkdir(p.c_str(), 0755) == 0; }, "a folder"},
        {"fifo", [](const std::string& p) { return ::mkfifo(p.c_str(), 0644) == 0; }, "a FIFO"},
        {"socket",
         [](const std::string& p) {
             const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
             sockaddr_un address{};
             address.sun_family = AF_UNIX;
             if (fd < 0 || p.size() >= sizeof address.sun_path) {
                 return false;
             }
             std::memcpy(address.sun_path, p.c_str(), p.size() + 1);
             const bool bound = ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
             ::close(fd);
             return bound;
         },
         "a socket"},
        // A copy of the null device's node: only root may make one, so other accounts skip this row.
        {"character device",
         [](const std::string& p) { return ::mknod(p.c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0; },
         "a character device"},
    };
    for (const Case& c : cases) {
        const std::string target = path(c.name);
        if (!c.make(target)) {
            std::cout << "[ SKIPPED  ] " << c.name << ": cannot be made by this account\n";
            continue;
        }
        struct stat before {};
        ASSERT_EQ(::lstat(target.c_str(), &before), 0) << c.name;
        auto replaced = replaceFileWith(target, "bytes");
        ASSERT_FALSE(replaced.ok()) << c.name;
        EXPECT_EQ(replaced.error().code, ErrorCode::Io) << c.name;
        EXPECT_NE(replaced.error().detail.find(c.kind), std::string::npos) << replaced.error().detail;
        struct stat after {};
        ASSERT_EQ(::lstat(target.c_str(), &after), 0) << c.name;
        EXPECT_EQ(after.st_mode & S_IFMT, before.st_mode & S_IFMT) << c.name << " keeps its kind";
        EXPECT_EQ(after.st_ino, before.st_ino) << c.name;
        fs::remove(target);
    }
    EXPECT_EQ(entries(), 0u) << "no temporary stays";

    fs::create_directory(path("inside"));
    std::ofstream(path("outside.txt")) << "outside";
    fs::create_symlink("../outside.txt", path("inside/link.txt"));
    ASSERT_TRUE(replaceFileWith(path("inside/link.txt"), "replaced").ok());
    EXPECT_FALSE(fs::is_symlink(path("inside/link.txt")));
    EXPECT_EQ(read(path("inside/link.txt")), "replaced");
    EXPECT_EQ(read(path("outside.txt")), "outside") << "the link is never written through";
}

TEST_F(FileIoTest, RemovesOnlyOnePlainFile) {
    std::ofstream(path("clip.swf")) << "clip";
    std::ofstream(path("target.swf")) << "target";
    fs::create_symlink("target.swf", path("link.swf"));
    fs::create_directory(path("folder.swf"));
    std::ofstream(path("a1.swf")) << "a1";

    ASSERT_TRUE(removePlainFile(path("clip.swf")).ok());
    EXPECT_FALSE(fs::exists(path("clip.swf")));
    const struct {
        const char* name;
        ErrorCode code;
    } refused[] = {
        {"link.swf", ErrorCode::Invalid},   // the link stays, and what it names too
        {"folder.swf", ErrorCode::Invalid}, // never a folder, even an empty one
        {"a?.swf", ErrorCode::NotFound},    // a name is no pattern
        {"gone.swf", ErrorCode::NotFound},
    };
    for (const auto& r : refused) {
        auto removed = removePlainFile(path(r.name));
        ASSERT_FALSE(removed.ok()) << r.name;
        EXPECT_EQ(removed.error().code, r.code) << r.name << ": " << removed.error().detail;
    }
    EXPECT_TRUE(fs::is_symlink(path("link.swf")));
    EXPECT_EQ(read(path("target.swf")), "target");
    EXPECT_TRUE(fs::is_directory(path("folder.swf")));
    EXPECT_EQ(read(path("a1.swf")), "a1");
}

TEST(OpenPipe, EndsCarryBytesStayOutOfChildProgramsAndCloseWithTheirOwner) {
    int readNumber = -1;
    int writeNumber = -1;
    {
        auto pipe = openPipe();
        ASSERT_TRUE(pipe.ok()) << pipe.error().detail;
        readNumber = pipe->readEnd.get();
        writeNumber = pipe->writeEnd.get();
        for (int end : {readNumber, writeNumber}) {
            EXPECT_TRUE(::fcntl(end, F_GETFD) & FD_CLOEXEC) << "a program started later does not inherit it";
        }
        ASSERT_EQ(::write(writeNumber, "hi", 2), 2);
        ASSERT_TRUE(pipe->writeEnd.close().ok());
        char got[4] = {};
        EXPECT_EQ(::read(readNumber, got, sizeof got), 2);
        EXPECT_EQ(std::string(got, 2), "hi");
        EXPECT_EQ(::read(readNumber, got, sizeof got), 0) << "the closed write end ends the stream";
    }
    EXPECT_EQ(::fcntl(readNumber, F_GETFD), -1) << "the read end closes with the pipe";
    EXPECT_EQ(errno, EBADF);
}

} // namespace
} // namespace glw::base

namespace glw::base {
namespace {

TEST_F(FileIoTest, SameFileRemoveFileAndCreateFolders) {
    std::ofstream(path("a")) << "A";
    fs::create_symlink(path("a"), path("link"));
    EXPECT_TRUE(sameFile(path("a"), path("link")));
    EXPECT_TRUE(sameFile(path("a"), m_dir + "/./a"));
    EXPECT_FALSE(sameFile(path("a"), path("gone")));
    EXPECT_FALSE(sameFile(path("gone"), path("gone")));

    EXPECT_TRUE(removeFile(path("link")).ok());
    EXPECT_TRUE(isPlainFile(path("a"))) << "a link goes, never what it points to";
    EXPECT_TRUE(removeFile(path("gone")).ok()) << "nothing there counts as removed";
    fs::create_directory(path("folder"));
    EXPECT_FALSE(removeFile(path("folder")).ok());
    EXPECT_TRUE(isFolder(path("folder")));

    EXPECT_TRUE(createFolders(path("x/y/z")).ok());
    EXPECT_TRUE(isFolder(path("x/y/z")));
    EXPECT_TRUE(createFolders(path("x/y/")).ok()) << "a folder that is there is fine";
    EXPECT_FALSE(createFolders(path("a")).ok()) << "a file where the folder goes";
    EXPECT_FALSE(createFolders(path("a/b")).ok()) << "a file on the way";
    EXPECT_FALSE(createFolders("").ok());
}

} // namespace
} // namespace glw::base
