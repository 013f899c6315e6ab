// glwupdate's one window "Glintwave SE Program Updater": the update check against the update site, then
// the download and install of the release and the download of the chosen import packages.
#pragma once

#include "common/MsgForm.h"
#include "forms/Controls.h"
#include "forms/FlashPlayer.h"
#include "forms/Form.h"
#include "forms/ListView.h"
#include "http/Http.h"
#include "updater/ComponentRegistration.h"
#include "vb/VbError.h"
#include "zip/ZipArchive.h"

#include <memory>
#include <string>

namespace glw::updater {

// The update site a fresh installation asks; GLW_UPDATE_SITE overrides it (see main.cpp).
inline constexpr const char* kDefaultUpdateSite = "http://updates.example.com/glwse";

// The bounds that keep a server from holding the updater for ever (their reasons are in docs/updater.md).
struct TransferLimits {
    int pageSeconds = 30;               // a whole query page, however its bytes come
    long downloadBytesPerSecond = 1024; // the slowest rate a download may keep up ...
    int downloadSlowSeconds = 30;       // ... for this long before it counts as failed
};

// What the updater reaches outside itself, chosen where the program is put together.
struct UpdaterServices {
    std::shared_ptr<http::Client> http;
    std::shared_ptr<ComponentRegistration> registration;
    std::string site = kDefaultUpdateSite; // txtSite's preset text
    TransferLimits limits{};
};

class Form1 : public forms::Form {
public:
    Form1(forms::Runtime& runtime, UpdaterServices services);

    common::Module1 module1;

    forms::Label Label8{*this, "Label8"}; // heading: UpdateTitle
    forms::Frame Frame1{*this, "Frame1"}; // " Main Program Update"
    forms::Label Label1{*this, "Label1"}; // "Installed Version :"
    forms::Label lblVers{*this, "lblVers"};
    forms::Label Label3{*this, "Label3"}; // "Current Version :"
    forms::Label lblVers2{*this, "lblVers2"};
    forms::CheckBox Check2{*this, "Check2"};
    forms::Label Label4{*this, "Label4"}; // "Update Site :"
    forms::TextBox txtSite{*this, "txtSite"};
    forms::TextBox Label2{*this, "Label2"}; // App.Path, filled by the check
    forms::Frame Frame2{*this, "Frame2"};   // " Library Import Files"
    forms::ListView OtherDowns{*this, "OtherDowns"};
    forms::CommandButton Command1{*this, "Command1"}; // check
    forms::CommandButton Command6{*this, "Command6"}; // download and install
    forms::CommandButton Command3{*this, "Command3"}; // close

    forms::Frame Frame3{*this, "Frame3"}; // " Downloading Files."
    forms::Label txtStat{*this, "txtStat"};
    forms::Label Label5{*this, "Label5"}; // "Current File :"
    forms::Label txtFile{*this, "txtFile"};
    forms::Label Label6{*this, "Label6"}; // "File Size:"
    forms::Label lblSize{*this, "lblSize"};
    forms::Label Label7{*this, "Label7"}; // "Bytes Recieved:"
    forms::Label lblRecieved{*this, "lblRecieved"};
    forms::ProgressBar Prog{*this, "Prog"};
    forms::Label Label9{*this, "Label9"}; // "Information :"
    forms::ListBox List1{*this, "List1"};

    forms::Frame Frame4{*this, "Frame4"};
    forms::FlashPlayer FlashEnd{*this, "FlashEnd"};
    forms::Label Label10{*this, "Label10"}; // " Updates Complete!"

    zip::ZipArchive Zipper;

    // The window state.
    std::string UpdateTitle, UpdateArchivePath, ComponentPath, ProgramId;
    std::string DownloadURL;
    std::string LastUpdateReply;
    bool UpdateChecked = false;
    bool FileTransfer = false;
    std::string ReplyText;
    double FileSizeMB = 0;
    long BytesRead = 0;

    void Command1_Click();
    void Command3_Click();
    void Command6_Click();

    // True while a page or file transfer runs; Check and Download then do nothing.
    bool busy() const { return m_busy; }

    // How a file transfer ended.
    enum class FileOutcome { Received, NotFound, Failed };

protected:
    void Form_Load() override;

private:
    // Fetches a page into ReplyText (its first 1,024 characters); true when the site answered it whole
    // with a 2xx status. ReplyText stays empty otherwise.
    bool FetchPage(const std::string& address);
    // Fetches a file into TargetFile (a system path) through a temporary name beside it, with the progress
    // display. The file is put in place only when the reply is 2xx, whole (as long as its Content-Length
    // says, where there is one) and a zip archive; otherwise the temporary file is removed and TargetFile
    // is not touched.
    FileOutcome ReceiveFile(const std::string& address, const std::string& TargetFile);
    // How a finished transfer into the temporary file `temp` counts, and why when it is not Received:
    // NotFound for a refused or empty reply or a server's page saying so, Failed for a write error, a
    // broken-off or short transfer, or a body that is no zip archive. `written` is false when a write
    // into the temporary file failed.
    struct FileVerdict {
        FileOutcome outcome;
        std::string why;
    };
    static FileVerdict judgeDownload(const http::Reply& reply, bool written, const std::string& temp);

    // The download road's steps. A step ends Closed when the window was unloaded during one of its
    // transfers: the road then stops where it is.
    enum class StepOutcome { Done, Failed, Closed };
    struct DownloadCount {
        int done;
        int total;
    };
    // Frame3 in place of the release and import frames.
    void showDownloadFrame();
    // The files the road fetches: the release when it is ticked, and every ticked package.
    int countDownloads(bool mainUpdate);
    // Counts the next download and shows its name with an empty size and progress.
    void showNextDownload(DownloadCount& count, const std::string& file);
    // The release: downloaded to App.Path & "\" & UpdateArchivePath, unpacked over the application folder,
    // its component registered and updated.dat rewritten. Failed when the download or the unpacking failed.
    StepOutcome updateProgram(const std::string& appPath, DownloadCount& count, vb::ResumeNext& step);
    // True when the archive was unpacked whole over the application folder.
    bool unpackRelease(const std::string& archive, const std::string& appPath);
    // Registers ComponentPath when the release brought it.
    void registerComponent(const std::string& appPath);
    // Every ticked package into Imports; Failed when one was not found or failed.
    StepOutcome downloadPackages(const std::string& appPath, DownloadCount& count, vb::ResumeNext& step);
    // The closing frame with the heading for the run, below it the information list.
    void showClosing(bool programFailed, bool packageFailed, const std::string& appPath, vb::ResumeNext& step);
    // Runs the transfer to its end, letting the message queue run twice a round. Stops early, abandoning
    // the transfer, when the window is unloaded meanwhile.
    http::Reply runTransfer(http::Request request);
    void showProgress(const http::Progress& progress);
    // Places Frame3 for a run (the progress display over the release and import frames), or, when the run
    // closes, below the closing frame with only its information list.
    void layOutProgress(bool closing);
    // Adds a line to the information list and brings it into view.
    void inform(const std::string& line);
    std::string siteAddress() const;

    UpdaterServices m_services;
    // Seconds to connect and for a stall (for a download: a stretch below its slowest rate); the release's
    // download sets TransferLimits::downloadSlowSeconds as it begins.
    int m_requestTimeout = 60;
    bool m_busy = false;
    int m_pieces = 0;
};

} // namespace glw::updater
