// Shared pieces of the updater's tests: zip archives made in memory (hostile ones included), and the
// updater's window started headless on a temporary application folder with an in-memory update site.
#pragma once

#include "common/MsgForm.h"
#include "forms/HeadlessDriver.h"
#include "http/MemoryClient.h"
#include "platform/ServicesMemory.h"
#include "platform/TempDir.h"
#include "updater/Form1.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <sys/stat.h>
#include <zip.h>

namespace glw::updater::test {

struct ZipItem {
    std::string name;
    std::string data;
    bool link = false; // stored as a symbolic link
};

// The bytes of a zip archive holding the items, written with libzip directly so that names our own
// writer never makes ("../x", "/abs", "C:x", links) can be stored too. `password` encrypts every entry.
inline std::string zipBytes(const std::vector<ZipItem>& items, const std::string& password = "") {
    platform::test::TempDir dir;
    const std::string path = dir.host("a.zip");
    int code = 0;
    zip_t* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &code);
    EXPECT_NE(archive, nullptr);
    for (const ZipItem& item : items) {
        zip_source_t* source = zip_source_buffer(archive, item.data.data(), item.data.size(), 0);
        const zip_int64_t index = zip_file_add(archive, item.name.c_str(), source, ZIP_FL_ENC_RAW);
        EXPECT_GE(index, 0) << item.name;
        if (!password.empty()) {
            zip_file_set_encryption(archive, zip_uint64_t(index), ZIP_EM_TRAD_PKWARE, password.c_str());
        }
        if (item.link) {
            zip_file_set_external_attributes(archive, zip_uint64_t(index), 0, ZIP_OPSYS_UNIX,
                                             zip_uint32_t(S_IFLNK | 0777) << 16);
        }
    }
    EXPECT_EQ(zip_close(archive), 0);
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Every file under a folder, relative path to bytes.
inline std::map<std::string, std::string> snapshot(const std::string& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file()) {
            std::ifstream in(entry.path(), std::ios::binary);
            files[entry.path().lexically_relative(folder).generic_string()] =
                std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        }
    }
    return files;
}

// An HTTP client that lets a test act at the start of every transfer and in the middle of it.
class HookedClient : public http::Client {
public:
    explicit HookedClient(std::shared_ptr<http::Client> inner) : m_inner(std::move(inner)) {}
    std::function<void(const std::string& address)> onGet;
    std::function<void()> onPoll; // called on every poll of a running transfer

    std::unique_ptr<http::Transfer> get(http::Request request) override {
        if (onGet) {
            onGet(request.address);
        }
        return std::make_unique<Hooked>(*this, m_inner->get(std::move(request)));
    }

private:
    class Hooked : public http::Transfer {
    public:
        Hooked(HookedClient& owner, std::unique_ptr<http::Transfer> inner)
            : m_owner(owner), m_inner(std::move(inner)) {}
        bool stillExecuting(int waitMs) override {
            if (m_owner.onPoll) {
                m_owner.onPoll();
            }
            return m_inner->stillExecuting(waitMs);
        }
        const http::Reply& reply() const override { return m_inner->reply(); }

    private:
        HookedClient& m_owner;
        std::unique_ptr<http::Transfer> m_inner;
    };
    std::shared_ptr<http::Client> m_inner;
};

inline constexpr const char* kSite = "http://site.test/glw";
inline constexpr const char* kReply = "12/5/2004/site.test|glw|release|glwse.zip/GLW UPDATE\r\n";

class UpdaterApp : public ::testing::Test {
protected:
    platform::test::TempDir app;
    std::shared_ptr<http::MemoryClient> site = std::make_shared<http::MemoryClient>();
    std::shared_ptr<HookedClient> client = std::make_shared<HookedClient>(site);
    std::shared_ptr<RecordingComponentRegistration> registration = std::make_shared<RecordingComponentRegistration>();
    std::unique_ptr<forms::Runtime> rt;
    std::unique_ptr<Form1> form;
    std::vector<std::string> boxes; // "title|message" of every box answered through answerBox
    std::string siteText = kSite;   // txtSite's preset
    TransferLimits limits;          // the updater's bounds on slow and endless replies

    void SetUp() override { app.file("dlinfo.dat", "Glintwave SE 2 Updates|1|glwse.zip|SWFGen.dll|GLWSE\r\n"); }

    Form1& start() {
        forms::Services services;
        services.clipboard = std::make_shared<platform::MemoryClipboard>();
        services.shell = std::make_shared<platform::RecordingShell>();
        form.reset(); // the old window goes before the runtime it belongs to
        rt = std::make_unique<forms::Runtime>(services);
        rt->App.Path = app.system();
        rt->trace().keepInMemory(true);
        form = std::make_unique<Form1>(*rt, UpdaterServices{client, registration, siteText, limits});
        form->Show();
        return *form;
    }

    forms::HeadlessDriver& ui() { return forms::headless(*rt); }

    void answerBox(const std::string& button = "OK") {
        ui().then("answer " + button, [this, button](forms::Runtime& runtime) {
            auto* box = dynamic_cast<common::MsgForm*>(runtime.activeModal());
            ASSERT_NE(box, nullptr) << "no message box is open to answer " << button;
            boxes.push_back(box->Caption() + "|" + box->Label1.Caption());
            ASSERT_TRUE(ui().perform("answer " + button).ok());
        });
    }

    // How many message boxes were shown so far (answered or closed).
    int boxesShown() const {
        const auto& lines = rt->trace().lines();
        return int(std::count_if(lines.begin(), lines.end(),
                                 [](const std::string& l) { return l.rfind("modal MsgForm", 0) == 0; }));
    }

    // The site's two pages and the release archive.
    void pages(const std::string& update, const std::string& imports) {
        site->set(std::string(kSite) + "/glwupd.asp?Prog=GLWSE", {200, update});
        site->set(std::string(kSite) + "/glwimps.asp?Prog=GLWSE", {200, imports});
    }
    void release(http::MemoryReply reply) { site->set("site.test/glw/release/glwse.zip", std::move(reply)); }
    void package(const std::string& path, http::MemoryReply reply) {
        site->set(std::string(kSite) + "/" + path, std::move(reply));
    }

    // The check, answering the one box it is expected to show (none when `expectedBox` is empty).
    void check(bool expectBox = false) {
        if (expectBox) {
            answerBox();
        }
        form->Command1.userClick();
        EXPECT_EQ(ui().pending(), 0u);
    }

    std::vector<std::string> checkedKeys() const {
        std::vector<std::string> keys;
        for (const auto& item : form->OtherDowns.items()) {
            keys.push_back(item->Key());
        }
        return keys;
    }
};

} // namespace glw::updater::test
