// The zip layer against real archives in temporary folders: our own, Info-ZIP's, AES ones and hostile ones.
#include "support/ZipBytes.h"
#include "zip/ZipArchive.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <zip.h>

namespace glw::zip {
namespace {

namespace fs = std::filesystem;

class TempDir {
public:
    TempDir() {
        std::string pattern = (fs::temp_directory_path() / "glw-zip-test-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            throw std::runtime_error("mkdtemp failed");
        }
        m_path = pattern;
    }
    ~TempDir() {
        std::error_code ignored;
        fs::remove_all(m_path, ignored);
    }
    std::string file(const std::string& name) const { return (m_path / name).string(); }
    const fs::path& path() const { return m_path; }

private:
    fs::path m_path;
};

void writeFile(const std::string& path, const std::string& bytes) {
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Every path under `root`, relative and sorted.
std::vector<std::string> tree(const fs::path& root) {
    std::vector<std::string> found;
    if (!fs::exists(root)) {
        return found;
    }
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        found.push_back(entry.path().lexically_relative(root).generic_string());
    }
    std::sort(found.begin(), found.end());
    return found;
}

// One entry of an archive made directly with libzip, for cases our own writer never makes.
struct Spec {
    std::string name;
    std::string data;
    std::uint16_t encryption = ZIP_EM_NONE;
    std::int32_t method = ZIP_CM_DEFLATE;
    std::uint32_t unixMode = 0; // 0: leave libzip's default attributes
};

void makeZip(const std::string& path, const std::vector<Spec>& specs, const std::string& password = "") {
    int code = 0;
    zip_t* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &code);
    ASSERT_NE(archive, nullptr);
    for (const Spec& spec : specs) {
        zip_source_t* source = zip_source_buffer(archive, spec.data.data(), spec.data.size(), 0);
        zip_int64_t index = zip_file_add(archive, spec.name.c_str(), source, ZIP_FL_ENC_RAW);
        ASSERT_GE(index, 0) << spec.name << ": " << zip_strerror(archive);
        auto at = static_cast<zip_uint64_t>(index);
        ASSERT_EQ(zip_set_file_compression(archive, at, spec.method, 0), 0);
        if (spec.encryption != ZIP_EM_NONE) {
            ASSERT_EQ(zip_file_set_encryption(archive, at, spec.encryption, password.c_str()), 0);
        }
        if (spec.unixMode != 0) {
            ASSERT_EQ(zip_file_set_external_attributes(archive, at, 0, ZIP_OPSYS_UNIX, spec.unixMode << 16), 0);
        }
    }
    ASSERT_EQ(zip_close(archive), 0) << zip_strerror(archive);
}

// A package laid out as the import-package maker stages it.
void stagePackage(const std::string& folder) {
    writeFile(folder + "/impinfo.dat", "[clipart]{Round blue buttons}\r\n");
    writeFile(folder + "/Buttons/a.swf", std::string(5000, 'a') + "FWS");
    writeFile(folder + "/Buttons/b.swf", "");
}

const char* const kPassword = "wep7302!ko";

TEST(SafeZipEntryPath, NamesInsideAndOutside) {
    struct Case {
        const char* stored;
        const char* path; // "" when refused
    } cases[] = {
        {"a.swf", "a.swf"},
        {"Buttons/a.swf", "Buttons/a.swf"},
        {"Buttons\\a.swf", "Buttons/a.swf"},
        {"Buttons\\", "Buttons"},
        {"./a//b.swf", "a/b.swf"},
        {"a..b.swf", "a..b.swf"},
        {"", ""},
        {"/abs.txt", ""},
        {"\\lead.txt", ""},
        {"C:drive.txt", ""},
        {"C:\\Windows\\x.dll", ""},
        {"..", ""},
        {"../escape.txt", ""},
        {"a/../../x.txt", ""},
        {"a\\..\\x.txt", ""},
        {"a/..", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(safeZipEntryPath(c.stored), c.path) << c.stored;
    }
}

TEST(ZipArchive, OwnArchiveWithTraditionalEncryptionReadsBack) {
    TempDir dir;
    stagePackage(dir.file("stage"));
    std::vector<std::string> packed;
    auto created = createZip(dir.file("pkg.gwi"), dir.file("stage") + "/",
                             {"*.*", kPassword, [&](const std::string& name) { packed.push_back(name); }});
    ASSERT_TRUE(created.ok()) << created.error().detail;
    EXPECT_EQ(*created, 3u);
    EXPECT_EQ(packed, (std::vector<std::string>{"Buttons/a.swf", "Buttons/b.swf", "impinfo.dat"}));

    auto entries = listZipEntries(dir.file("pkg.gwi"));
    ASSERT_TRUE(entries.ok());
    ASSERT_EQ(entries->size(), 3u);
    for (const ZipEntryInfo& entry : *entries) {
        EXPECT_EQ(entry.encryptionMethod, ZIP_EM_TRAD_PKWARE) << entry.name;
        EXPECT_EQ(entry.compressionMethod, ZIP_CM_DEFLATE) << entry.name;
    }

    std::vector<std::string> events;
    auto extracted = extractZip(dir.file("pkg.gwi"), dir.file("out"),
                                {"*.*", kPassword, [&](const std::string& name) { events.push_back(name); }});
    ASSERT_TRUE(extracted.ok()) << extracted.error().detail;
    EXPECT_EQ(*extracted, 3u);
    EXPECT_EQ(events, packed);
    EXPECT_EQ(tree(dir.file("out")), tree(dir.file("stage")));
    for (const char* name : {"impinfo.dat", "Buttons/a.swf", "Buttons/b.swf"}) {
        EXPECT_EQ(readFile(dir.file("out/") + name), readFile(dir.file("stage/") + name)) << name;
    }
}

// A stock tool reads what we write: Info-ZIP's unzip tests every entry with the password.
TEST(ZipArchive, InfoZipReadsOurTraditionalEncryption) {
    if (::access("/usr/bin/unzip", X_OK) != 0) {
        GTEST_SKIP() << "Info-ZIP unzip is not installed";
    }
    TempDir dir;
    stagePackage(dir.file("stage"));
    ASSERT_TRUE(createZip(dir.file("pkg.gwi"), dir.file("stage"), {"*.*", kPassword, {}}).ok());
    std::string command = "/usr/bin/unzip -qq -t -P '" + std::string(kPassword) + "' '" + dir.file("pkg.gwi") + "'";
    EXPECT_EQ(std::system(command.c_str()), 0);
}

TEST(ZipArchive, ReadsInfoZipArchivesWithPassword) {
    if (::access("/usr/bin/zip", X_OK) != 0) {
        GTEST_SKIP() << "Info-ZIP zip is not installed";
    }
    for (const char* level : {"-6", "-0"}) {
        SCOPED_TRACE(level);
        TempDir dir;
        stagePackage(dir.file("stage"));
        std::string command = "cd '" + dir.file("stage") + "' && /usr/bin/zip -q -r " + level + " -P '" + kPassword +
                              "' ../pkg.gwi impinfo.dat Buttons";
        ASSERT_EQ(std::system(command.c_str()), 0);
        std::vector<std::string> events;
        auto extracted = extractZip(dir.file("pkg.gwi"), dir.file("out"),
                                    {"*.*", kPassword, [&](const std::string& name) { events.push_back(name); }});
        ASSERT_TRUE(extracted.ok()) << extracted.error().detail;
        EXPECT_EQ(*extracted, 3u);
        EXPECT_EQ(readFile(dir.file("out/Buttons/a.swf")), readFile(dir.file("stage/Buttons/a.swf")));
        EXPECT_EQ(readFile(dir.file("out/impinfo.dat")), "[clipart]{Round blue buttons}\r\n");
        // Info-ZIP stores the folder as an entry of its own, and its event comes too.
        EXPECT_NE(std::find(events.begin(), events.end(), "Buttons/"), events.end());
    }
}

TEST(ZipArchive, ReadsAesArchives) {
    for (std::uint16_t aes : {ZIP_EM_AES_128, ZIP_EM_AES_256}) {
        SCOPED_TRACE(aes);
        TempDir dir;
        makeZip(dir.file("aes.zip"), {{"clip.swf", std::string(70000, 'c'), aes}, {"plain.txt", "p"}}, "secret");
        auto extracted = extractZip(dir.file("aes.zip"), dir.file("out"), {"*.*", "secret", {}});
        ASSERT_TRUE(extracted.ok()) << extracted.error().detail;
        EXPECT_EQ(readFile(dir.file("out/clip.swf")), std::string(70000, 'c'));
        EXPECT_EQ(readFile(dir.file("out/plain.txt")), "p");
        auto wrong = extractZip(dir.file("aes.zip"), dir.file("out2"), {"*.*", "Secret", {}});
        ASSERT_FALSE(wrong.ok());
        EXPECT_EQ(wrong.error().code, ErrorCode::WrongPassword);
        EXPECT_TRUE(tree(dir.file("out2")).empty());
    }
}

TEST(ZipArchive, BothSeparatorsMakeFolders) {
    TempDir dir;
    makeZip(dir.file("w.zip"), {{"Buttons\\a.swf", "A"}, {"Buttons/Sub\\b.swf", "B"}});
    auto entries = listZipEntries(dir.file("w.zip"));
    ASSERT_TRUE(entries.ok());
    EXPECT_EQ((*entries)[0].name, "Buttons\\a.swf");
    EXPECT_EQ((*entries)[0].path, "Buttons/a.swf");
    ASSERT_TRUE(extractZip(dir.file("w.zip"), dir.file("out")).ok());
    EXPECT_EQ(tree(dir.file("out")),
              (std::vector<std::string>{"Buttons", "Buttons/Sub", "Buttons/Sub/b.swf", "Buttons/a.swf"}));
}

TEST(ZipArchive, MaskSelectsByLastNamePart) {
    TempDir dir;
    makeZip(dir.file("m.zip"), {{"impinfo.dat", "i"}, {"Cat/OTHER.DAT", "o"}, {"Cat/a.swf", "a"}});
    std::vector<std::string> events;
    auto extracted = extractZip(dir.file("m.zip"), dir.file("out"),
                                {"*.dat", "", [&](const std::string& n) { events.push_back(n); }});
    ASSERT_TRUE(extracted.ok());
    EXPECT_EQ(*extracted, 2u);
    EXPECT_EQ(events, (std::vector<std::string>{"impinfo.dat", "Cat/OTHER.DAT"}));
    EXPECT_EQ(tree(dir.file("out")), (std::vector<std::string>{"Cat", "Cat/OTHER.DAT", "impinfo.dat"}));
}

TEST(ZipArchive, ReplacesExistingFiles) {
    TempDir dir;
    writeFile(dir.file("out/Cat/a.swf"), std::string(10000, 'o'));
    ::chmod(dir.file("out/Cat/a.swf").c_str(), 0444);
    makeZip(dir.file("r.zip"), {{"Cat/a.swf", "new"}});
    ASSERT_TRUE(extractZip(dir.file("r.zip"), dir.file("out")).ok());
    EXPECT_EQ(readFile(dir.file("out/Cat/a.swf")), "new");
}

// Entries whose names leave the folder, and links: the whole archive is refused, nothing is written at all.
TEST(ZipArchive, RefusesEscapingEntriesAndWritesNothing) {
    const Spec hostile[] = {
        {"../escape.txt", "x"},
        {"/abs.txt", "x"},
        {"\\lead.txt", "x"},
        {"C:drive.txt", "x"},
        {"C:\\evil.txt", "x"},
        {"a/../../escape.txt", "x"},
        {"a\\..\\..\\escape.txt", "x"},
        {"link", "../outside", ZIP_EM_NONE, ZIP_CM_STORE, S_IFLNK | 0777},
    };
    for (const Spec& bad : hostile) {
        SCOPED_TRACE(bad.name);
        TempDir dir;
        makeZip(dir.file("bad.zip"), {{"good.txt", "g"}, bad, {"later.txt", "l"}});
        fs::create_directory(dir.file("lib"));
        fs::create_directory(dir.file("lib/inner"));
        auto extracted = extractZip(dir.file("bad.zip"), dir.file("lib/inner"));
        ASSERT_FALSE(extracted.ok());
        EXPECT_EQ(extracted.error().code, ErrorCode::Unsafe);
        EXPECT_EQ(tree(dir.path()), (std::vector<std::string>{"bad.zip", "lib", "lib/inner"}));
    }
}

// A folder on the way that is a link to somewhere else is not followed.
TEST(ZipArchive, DoesNotFollowLinksInTheTarget) {
    TempDir dir;
    fs::create_directories(dir.file("outside"));
    fs::create_directories(dir.file("lib"));
    fs::create_directory_symlink(dir.file("outside"), dir.file("lib/Cat"));
    makeZip(dir.file("p.zip"), {{"first.txt", "f"}, {"Cat/a.swf", "a"}});
    auto extracted = extractZip(dir.file("p.zip"), dir.file("lib"));
    ASSERT_FALSE(extracted.ok());
    EXPECT_EQ(extracted.error().code, ErrorCode::Unsafe);
    EXPECT_TRUE(fs::is_empty(dir.file("outside")));
    EXPECT_EQ(tree(dir.file("lib")), (std::vector<std::string>{"Cat"}));
}

// Finds a wrong password that traditional encryption's single check byte lets through for entry 0.
std::string passwordPastTheCheckByte(const std::string& zipPath) {
    int code = 0;
    zip_t* archive = zip_open(zipPath.c_str(), ZIP_RDONLY, &code);
    if (archive == nullptr) {
        return {};
    }
    std::string found;
    for (int i = 0; i < 20000 && found.empty(); ++i) {
        std::string candidate = "wrong-" + std::to_string(i);
        if (zip_file_t* file = zip_fopen_index_encrypted(archive, 0, 0, candidate.c_str())) {
            zip_fclose(file);
            found = candidate;
        }
    }
    zip_discard(archive);
    return found;
}

TEST(ZipArchive, WrongPasswordWritesNothing) {
    for (std::int32_t method : {ZIP_CM_DEFLATE, ZIP_CM_STORE}) {
        SCOPED_TRACE(method);
        TempDir dir;
        // The first entry is written fine before the encrypted one fails: it must not stay either.
        makeZip(dir.file("p.zip"),
                {{"Cat/secret.swf", std::string(20000, 's') + "tail", ZIP_EM_TRAD_PKWARE, method},
                 {"Cat/other.swf", "other", ZIP_EM_TRAD_PKWARE, method}},
                kPassword);
        std::string pastCheck = passwordPastTheCheckByte(dir.file("p.zip"));
        ASSERT_FALSE(pastCheck.empty());
        for (const std::string& password : {std::string("wrong"), std::string(), pastCheck}) {
            SCOPED_TRACE("password \"" + password + "\"");
            auto extracted = extractZip(dir.file("p.zip"), dir.file("out"), {"*.*", password, {}});
            ASSERT_FALSE(extracted.ok());
            EXPECT_EQ(extracted.error().code, ErrorCode::WrongPassword) << extracted.error().detail;
            EXPECT_TRUE(tree(dir.file("out")).empty());
        }
        EXPECT_TRUE(extractZip(dir.file("p.zip"), dir.file("out"), {"*.*", kPassword, {}}).ok());
    }
}

TEST(ZipArchive, DamagedEntryIsReported) {
    TempDir dir;
    const std::string data(3000, 'd');
    makeZip(dir.file("d.zip"), {{"ok.txt", "fine"}, {"data.bin", data, ZIP_EM_NONE, ZIP_CM_STORE}});
    std::string bytes = readFile(dir.file("d.zip"));
    bytes[bytes.find(data) + 100] = 'X';
    writeFile(dir.file("d.zip"), bytes);
    auto extracted = extractZip(dir.file("d.zip"), dir.file("out"));
    ASSERT_FALSE(extracted.ok());
    EXPECT_EQ(extracted.error().code, ErrorCode::Malformed);
    EXPECT_TRUE(tree(dir.file("out")).empty());
}

TEST(ZipArchive, NotAnArchive) {
    TempDir dir;
    writeFile(dir.file("text.gwi"), "404 Not Found");
    EXPECT_EQ(extractZip(dir.file("text.gwi"), dir.file("out")).error().code, ErrorCode::Malformed);
    EXPECT_EQ(extractZip(dir.file("missing.gwi"), dir.file("out")).error().code, ErrorCode::NotFound);
    EXPECT_EQ(listZipEntries(dir.file("missing.gwi")).error().code, ErrorCode::NotFound);
}

TEST(ZipArchive, CreateReplacesAnOldArchiveOnlyWhenThereIsSomethingToPack) {
    TempDir dir;
    stagePackage(dir.file("stage"));
    ASSERT_TRUE(createZip(dir.file("pkg.gwi"), dir.file("stage"), {"*.*", kPassword, {}}).ok());
    const std::string old = readFile(dir.file("pkg.gwi"));
    fs::create_directories(dir.file("empty/sub"));
    auto refused = createZip(dir.file("pkg.gwi"), dir.file("empty"), {"*.*", kPassword, {}});
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(refused.error().code, ErrorCode::NotFound);
    EXPECT_EQ(readFile(dir.file("pkg.gwi")), old);

    writeFile(dir.file("pkg.gwi"), "not a zip, replaced anyway");
    writeFile(dir.file("two/x.swf"), "x");
    ASSERT_TRUE(createZip(dir.file("pkg.gwi"), dir.file("two"), {"*.*", "", {}}).ok());
    auto entries = listZipEntries(dir.file("pkg.gwi"));
    ASSERT_TRUE(entries.ok());
    ASSERT_EQ(entries->size(), 1u);
    EXPECT_EQ(entries->front().name, "x.swf");
    EXPECT_EQ(entries->front().encryptionMethod, ZIP_EM_NONE);
}

// The import's two passes through the control's members, on a package made through the same members.
TEST(ZipArchive, ControlMembersAsTheImportUsesThem) {
    TempDir dir;
    stagePackage(dir.file("Working/NewImport"));
    ZipArchive Zipper;
    Zipper.ZipFile = dir.file("pkg.gwi");
    Zipper.SourceFolder = dir.file("Working/NewImport") + "/";
    Zipper.ZipOption1004 = true;
    Zipper.FileMask = "*.*";
    Zipper.Password = kPassword;
    ASSERT_TRUE(Zipper.ZipCreate().ok());

    ZipArchive DoUnzip;
    std::vector<std::string> List1;
    DoUnzip.ZipEntryEvent = [&](const std::string& name) {
        std::string lower = name;
        std::transform(lower.begin(), lower.end(), lower.begin(), ::tolower);
        if (lower.find(".swf") != std::string::npos) {
            List1.push_back(name);
        }
    };
    DoUnzip.ZipFile = dir.file("pkg.gwi");
    DoUnzip.ZipOption1000 = true;
    DoUnzip.ExtractFolder = dir.file("CLTemplates");
    DoUnzip.FileMask = "*.dat";
    DoUnzip.Password = kPassword;
    ASSERT_TRUE(DoUnzip.ZipPrepare().ok());
    ASSERT_TRUE(DoUnzip.ZipExtract().ok());
    EXPECT_EQ(tree(dir.file("CLTemplates")), (std::vector<std::string>{"impinfo.dat"}));

    DoUnzip.FileMask = "*.*";
    ASSERT_TRUE(DoUnzip.ZipExtract().ok());
    EXPECT_EQ(List1, (std::vector<std::string>{"Buttons/a.swf", "Buttons/b.swf"}));
    EXPECT_EQ(tree(dir.file("CLTemplates")),
              (std::vector<std::string>{"Buttons", "Buttons/a.swf", "Buttons/b.swf", "impinfo.dat"}));
}

TEST(ZipArchive, SizesAreCheckedBeforeAnythingIsWritten) {
    struct Case {
        const char* what;
        std::uint64_t maxEntrySize;
        std::optional<std::uint64_t> free; // what the file system is said to have free
        bool ok;
    };
    // Two entries of 3,000 and 5,000 bytes.
    const Case cases[] = {
        {"room enough", 5000, 8000, true},
        {"no bound, free space unknown", 0, std::nullopt, true},
        {"one entry over the bound", 4999, 1 << 20, false},
        {"one byte short of room", 0, 7999, false},
        {"a full disk", 0, 0, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        makeZip(dir.file("p.zip"), {{"Cat/a.swf", std::string(3000, 'a')}, {"Cat/b.swf", std::string(5000, 'b')}});
        std::string askedFor;
        ZipExtractOptions options;
        options.maxEntrySize = c.maxEntrySize;
        options.freeSpace = [&](const std::string& folder) {
            askedFor = folder;
            return c.free;
        };
        auto extracted = extractZip(dir.file("p.zip"), dir.file("lib/new"), options);
        if (c.ok || c.maxEntrySize == 0) {
            EXPECT_EQ(askedFor, dir.file("lib/new")) << "the folder is asked about, even before it exists";
        }
        if (c.ok) {
            ASSERT_TRUE(extracted.ok()) << extracted.error().detail;
            EXPECT_EQ(*extracted, 2u);
        } else {
            ASSERT_FALSE(extracted.ok());
            EXPECT_EQ(extracted.error().code, ErrorCode::TooLarge) << extracted.error().detail;
            EXPECT_FALSE(fs::exists(dir.file("lib"))) << "not even the folder is made";
        }
    }
}

TEST(ZipArchive, StatedSizesCannotHideABomb) {
    struct Case {
        const char* what;
        std::uint32_t stated; // of an entry of 1 MiB of zeros, which deflates to about 1 KB
        ErrorCode code;
    };
    const Case cases[] = {
        {"stated far below its data", 1000, ErrorCode::Malformed},
        {"stated one byte short", (1u << 20) - 1, ErrorCode::Malformed},
        {"stated 1 GiB, over the bound", 1u << 30, ErrorCode::TooLarge},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        makeZip(dir.file("bomb.zip"), {{"ok.swf", "fine"}, {"Cat/zeros.swf", std::string(1 << 20, '\0')}});
        ASSERT_TRUE(glw::test::patchStatedSize(dir.file("bomb.zip"), "Cat/zeros.swf", c.stated));
        ZipExtractOptions options;
        options.maxEntrySize = 512u << 20;
        auto extracted = extractZip(dir.file("bomb.zip"), dir.file("out"), options);
        ASSERT_FALSE(extracted.ok());
        EXPECT_EQ(extracted.error().code, c.code) << extracted.error().detail;
        if (c.code == ErrorCode::Malformed) {
            EXPECT_NE(extracted.error().detail.find("runs past its stated size"), std::string::npos)
                << "stopped while writing, not after: " << extracted.error().detail;
        }
        EXPECT_TRUE(tree(dir.file("out")).empty());
    }
}

TEST(ZipArchive, AFailedExtractionLeavesNoNewFolder) {
    TempDir dir;
    makeZip(dir.file("p.zip"), {{"Cat/secret.swf", "locked", ZIP_EM_TRAD_PKWARE}}, kPassword);
    fs::create_directories(dir.file("lib"));
    auto extracted = extractZip(dir.file("p.zip"), dir.file("lib/a/b"), {"*.*", "wrong", {}});
    ASSERT_FALSE(extracted.ok());
    EXPECT_TRUE(tree(dir.file("lib")).empty()) << "the folders made on the way are gone again";
    EXPECT_TRUE(extractZip(dir.file("p.zip"), dir.file("lib/a/b"), {"*.*", kPassword, {}}).ok());
    EXPECT_EQ(readFile(dir.file("lib/a/b/Cat/secret.swf")), "locked");
}

} // namespace
} // namespace glw::zip
