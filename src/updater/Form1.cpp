// The updater's window: start-up from dlinfo.dat, the check of the update site, and the download road
// with the install of the release and the import packages.
#include "updater/Form1.h"

#include "base/FileIo.h"
#include "common/ModText.h"
#include "formats/UpdateReplies.h"
#include "platform/WinPath.h"
#include "updater/UpdateFormats.h"
#include "vb/VbError.h"
#include "vb/VbFile.h"
#include "vb/VbText.h"

#include <cmath>
#include <sstream>

namespace glw::updater {

namespace {

using forms::place;

// The first characters of a page reply that are read; the rest is dropped.
constexpr std::size_t kPageLimit = 1024;

// The closing heading: the complete one only for a run where nothing failed.
constexpr const char* kCompleteHeading = " Updates Complete!";
constexpr const char* kProgramFailedHeading = " Program Update Failed!";
constexpr const char* kPackageFailedHeading = " Updates Finished, Some Downloads Failed!";
// The list's line after an archive that was received but could not be installed.
constexpr const char* kInstallFailed = "Installation of Update Failed.";

// The number in the platform's shortest decimal form ("1.5", "0.02", "12").
std::string shortNumber(double value) {
    std::ostringstream text;
    text << value;
    return text.str();
}

// Clears the busy flag however a transfer's handler is left.
class BusyScope {
public:
    explicit BusyScope(bool& flag) : m_flag(flag) { m_flag = true; }
    ~BusyScope() { m_flag = false; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    bool& m_flag;
};

} // namespace

Form1::Form1(forms::Runtime& runtime, UpdaterServices services)
    : Form(runtime, "Form1"), module1(runtime), m_services(std::move(services)) {
    Caption = "Glintwave SE Program Updater";
    Width = 528 * forms::kTwipsPerDesignPixel;
    Height = 466 * forms::kTwipsPerDesignPixel;
    BorderStyle = 1;

    place(Label8, 12, 8, 490, 24);
    Frame1.Caption = " Main Program Update";
    place(Frame1, 8, 38, 500, 150);
    for (forms::Control* c : std::initializer_list<forms::Control*>{&Label1, &lblVers, &Label3, &lblVers2, &Check2,
                                                                    &Label4, &txtSite, &Label2}) {
        c->setContainer(&Frame1);
    }
    Label1.Caption = "Installed Version :";
    place(Label1, 12, 24, 120, 18);
    place(lblVers, 136, 24, 340, 18);
    Label3.Caption = "Current Version :";
    place(Label3, 12, 46, 120, 18);
    place(lblVers2, 136, 46, 340, 18);
    Check2.Caption = "Download Main Program Update ";
    place(Check2, 12, 68, 300, 20);
    Label4.Caption = "Update Site :";
    place(Label4, 12, 96, 90, 18);
    txtSite.Text = m_services.site;
    place(txtSite, 104, 94, 384, 22);
    Label2.Locked = true;
    place(Label2, 12, 122, 476, 22);

    Frame2.Caption = " Library Import Files";
    place(Frame2, 8, 196, 500, 180);
    OtherDowns.setContainer(&Frame2);
    OtherDowns.Checkboxes = true;
    OtherDowns.addColumn("Import Package", 460 * forms::kTwipsPerDesignPixel);
    place(OtherDowns, 12, 24, 476, 144);

    Command1.Caption = "Check For Updates";
    place(Command1, 8, 388, 160, 32);
    Command6.Caption = "Download Updates";
    Command6.Enabled = false;
    place(Command6, 176, 388, 160, 32);
    Command3.Caption = "Close";
    place(Command3, 396, 388, 112, 32);

    Frame3.Caption = " Downloading Files.";
    Frame3.Visible = false;
    for (forms::Control* c : std::initializer_list<forms::Control*>{&txtStat, &Label5, &txtFile, &Label6, &lblSize,
                                                                    &Label7, &lblRecieved, &Prog, &Label9, &List1}) {
        c->setContainer(&Frame3);
    }
    txtStat.Caption = "Downloading File 0 of 0";
    Label5.Caption = "Current File :";
    Label6.Caption = "File Size:";
    Label7.Caption = "Bytes Recieved:";
    Label9.Caption = "Information :";
    layOutProgress(false);

    // The closing frame takes the place of the progress display; the information list stays in view below it.
    Frame4.Visible = false;
    place(Frame4, 8, 38, 500, 146);
    FlashEnd.setContainer(&Frame4);
    Label10.setContainer(&Frame4);
    place(FlashEnd, 12, 12, 476, 100);
    Label10.Caption = kCompleteHeading;
    Label10.Alignment = 2;
    place(Label10, 12, 116, 476, 22);

    Command1.Click = [this] { Command1_Click(); };
    Command3.Click = [this] { Command3_Click(); };
    Command6.Click = [this] { Command6_Click(); };
}

void Form1::layOutProgress(bool closing) {
    for (forms::Control* c : std::initializer_list<forms::Control*>{&txtStat, &Label5, &txtFile, &Label6, &lblSize,
                                                                    &Label7, &lblRecieved, &Prog}) {
        c->Visible = !closing;
    }
    if (closing) {
        place(Frame3, 8, 190, 500, 186);
        place(Label9, 12, 22, 100, 18);
        place(List1, 12, 42, 476, 134);
        return;
    }
    place(Frame3, 8, 38, 500, 338);
    place(txtStat, 12, 24, 476, 20);
    place(Label5, 12, 50, 100, 18);
    place(txtFile, 116, 50, 372, 18);
    place(Label6, 12, 72, 100, 18);
    place(lblSize, 116, 72, 200, 18);
    place(Label7, 12, 94, 100, 18);
    place(lblRecieved, 116, 94, 200, 18);
    place(Prog, 12, 120, 476, 22);
    place(Label9, 12, 150, 100, 18);
    place(List1, 12, 170, 476, 156);
}

void Form1::Form_Load() {
    auto& rt = runtime();
    vb::ResumeNext step(rt.errorLog(), "Form1.Form_Load");
    const std::string info = rt.App.Path + "\\dlinfo.dat";
    if (!common::FileExists(info)) {
        module1.MsgBoxEx("No auto update information found for this application.  Please ensure you have the latest "
                         "program setup fully installed. ",
                         common::msgOk, "Error.");
        rt.End(0);
    }
    const DlInfo fields = readDlInfo(common::ReadFileText(info));
    UpdateTitle = fields.UpdateTitle;
    UpdateArchivePath = fields.UpdateArchivePath;
    ComponentPath = fields.ComponentPath;
    ProgramId = fields.ProgramId;
    step([&] { Label8.Caption = UpdateTitle; });
}

void Form1::Command3_Click() {
    Unload();
}

std::string Form1::siteAddress() const {
    std::string site = txtSite.Text;
    const std::size_t begin = site.find_first_not_of(" \t\r\n");
    if (begin == std::string::npos) {
        return "";
    }
    return site.substr(begin, site.find_last_not_of(" \t\r\n") - begin + 1);
}

http::Reply Form1::runTransfer(http::Request request) {
    BusyScope busy(m_busy);
    request.timeoutSeconds = m_requestTimeout;
    auto transfer = m_services.http->get(std::move(request));
    auto& rt = runtime();
    while (transfer->stillExecuting()) {
        rt.DoEvents();
        rt.DoEvents();
        if (!loaded()) {
            http::Reply abandoned = transfer->reply();
            abandoned.failure = makeError(ErrorCode::Cancelled, "the window was closed");
            return abandoned;
        }
    }
    return transfer->reply();
}

bool Form1::FetchPage(const std::string& address) {
    FileTransfer = false;
    ReplyText.clear();
    std::string text;
    http::Request request;
    request.address = address;
    request.totalSeconds = m_services.limits.pageSeconds;
    // Reading stops at the limit: what follows is never looked at, so a page that goes on for ever ends here.
    bool full = false;
    request.onData = [&](std::string_view piece) {
        text.append(piece.substr(0, kPageLimit - text.size()));
        full = text.size() >= kPageLimit;
        return !full;
    };
    const http::Reply reply = runTransfer(std::move(request));
    if (!reply.complete() && !(full && reply.success())) {
        runtime().logError("Form1.FetchPage", vb::ErrPathFileAccess,
                           address + ": " +
                               (reply.failure ? reply.failure->detail : "status " + std::to_string(reply.status)));
        return false;
    }
    ReplyText = text;
    return true;
}

void Form1::showProgress(const http::Progress& progress) {
    if (m_pieces++ == 0) {
        Prog.Value = 0;
        Prog.Max = 100;
        if (progress.total && *progress.total > 0) {
            FileSizeMB = std::round(double(*progress.total) / 1000000.0 * 100.0) / 100.0;
            lblSize.Caption = shortNumber(FileSizeMB) + " Mb";
        } else {
            FileSizeMB = 0;
            lblSize.Caption = "Unknown";
        }
    }
    BytesRead = long(progress.received);
    lblRecieved.Caption = std::to_string(progress.received) + " bytes";
    if (progress.total && *progress.total > 0) {
        const double share = double(progress.received) / double(*progress.total) * 100.0;
        Prog.Value = int(std::min(100.0, std::round(share)));
    } else {
        // No length to measure against: the bar keeps moving to show the transfer is alive.
        Prog.Value = (m_pieces * 5) % 100;
    }
}

Form1::FileOutcome Form1::ReceiveFile(const std::string& address, const std::string& TargetFile) {
    FileTransfer = true;
    m_pieces = 0;
    BytesRead = 0;
    const std::string target = platform::toHostPath(TargetFile);
    if (target.empty()) {
        return FileOutcome::Failed;
    }
    // The archive arrives in a fresh file beside the target, put in place only once it proved whole; the
    // fresh file goes however this is left, the End statement of a handler run meanwhile included.
    auto fresh = base::FreshFile::create(target);
    if (!fresh) {
        runtime().logError("Form1.ReceiveFile", vb::ErrPathFileAccess,
                           "cannot write beside " + target + ": " + fresh.error().detail);
        return FileOutcome::Failed;
    }
    base::FreshFile out = std::move(*fresh);
    std::uint64_t length = 0;
    bool written = true;
    http::Request request;
    request.address = address;
    request.onData = [&](std::string_view piece) {
        written = written && base::writeAt(out.fd(), length, piece.data(), piece.size()).ok();
        length += piece.size();
        return written;
    };
    request.onProgress = [this](const http::Progress& progress) { showProgress(progress); };
    // A trickle that stays below this rate for the time-out fails like a stall, instead of holding the
    // window for ever.
    request.lowSpeedBytes = m_services.limits.downloadBytesPerSecond;
    const http::Reply reply = runTransfer(std::move(request));
    Prog.Value = 100;
    BytesRead = long(reply.received);
    lblRecieved.Caption = std::to_string(reply.received) + " bytes";
    const FileVerdict verdict = judgeDownload(reply, written, out.tempPath());
    if (verdict.outcome != FileOutcome::Received) {
        runtime().logError("Form1.ReceiveFile", vb::ErrPathFileAccess, address + ": " + verdict.why);
        return verdict.outcome;
    }
    if (auto placed = out.commit(); !placed) {
        runtime().logError("Form1.ReceiveFile", vb::ErrPathFileAccess,
                           address + ": cannot put " + target + " in place: " + placed.error().detail);
        return FileOutcome::Failed;
    }
    return FileOutcome::Received;
}

Form1::FileVerdict Form1::judgeDownload(const http::Reply& reply, bool written, const std::string& temp) {
    if (!reply.success()) {
        return {FileOutcome::NotFound,
                reply.failure ? reply.failure->detail : "status " + std::to_string(reply.status)};
    }
    if (reply.received == 0) {
        return {FileOutcome::NotFound, "empty reply"};
    }
    if (!written) {
        return {FileOutcome::Failed, "cannot write " + temp};
    }
    // A transfer that broke off is a failed download, whatever its first bytes hold.
    if (reply.failure) {
        return {FileOutcome::Failed, reply.failure->detail};
    }
    if (reply.contentLength && reply.received != *reply.contentLength) {
        return {FileOutcome::Failed, "received " + std::to_string(reply.received) + " of " +
                                         std::to_string(*reply.contentLength) + " bytes"};
    }
    if (!zip::listZipEntries(temp).ok()) {
        const auto read = base::readWholeFile(temp);
        const std::string body = read ? *read : std::string();
        return {formats::bodyMeansNotFound(body, false) ? FileOutcome::NotFound : FileOutcome::Failed,
                "not a zip archive"};
    }
    return {FileOutcome::Received, ""};
}

void Form1::inform(const std::string& line) {
    List1.AddItem(line);
    // The newest line is marked, which also scrolls it into view: a later run's lines come below the
    // earlier ones.
    List1.ListIndex = List1.NewIndex();
}

void Form1::Command1_Click() {
    if (m_busy) {
        return;
    }
    auto& rt = runtime();
    const std::string updated = rt.App.Path + "\\updated.dat";
    if (common::FileExists(updated)) {
        lblVers.Caption = DispDate(vb::Trim(common::ReadFileText(updated)));
    } else {
        lblVers.Caption = "Unknown";
    }
    Label2.Text = rt.App.Path;
    DownloadURL.clear();
    ReplyText.clear();
    vb::ResumeNext step(rt.errorLog(), "Form1.Command1_Click");

    FetchPage(siteAddress() + "/glwupd.asp?Prog=" + http::encodeQueryValue(ProgramId));
    if (!loaded()) {
        return;
    }
    const auto release = formats::readUpdateReply(ReplyText);
    if (!release) {
        module1.MsgBoxEx("Error Contacting Server.  Please check your connection or try again at a later time.",
                         common::msgOk, "Error.");
        return;
    }
    ReplyText = formats::withoutLineBreaks(ReplyText);
    LastUpdateReply = ReplyText;
    lblVers2.Caption = DispDate(vb::Trim(ReplyText));
    DownloadURL = release->archiveAddress;
    // An installed date that cannot be read counts as older than any release.
    if (lblVers.Caption() != lblVers2.Caption() || lblVers.Caption() == "Unknown") {
        Check2.Value = forms::vbChecked;
    }

    ReplyText.clear();
    const bool importsAnswered = FetchPage(siteAddress() + "/glwimps.asp?Prog=" + http::encodeQueryValue(ProgramId));
    if (!loaded()) {
        return;
    }
    ReplyText = formats::withoutLineBreaks(ReplyText);
    for (const formats::OfferedPackage& package : formats::readImportsReply(ReplyText).packages) {
        const std::string saved = rt.App.Path + "\\Imports\\" + formats::packageFileName(package.path);
        if (!common::FileExists(saved) && !OtherDowns.contains(package.path)) {
            step([&] { OtherDowns.Add(package.path, package.title); });
        }
    }
    if (importsAnswered && OtherDowns.Count() == 0 && Check2.Value != forms::vbChecked) {
        module1.MsgBoxEx("No updates required!", common::msgOk, "Update Complete.");
    }
    Command6.Enabled = true;
    UpdateChecked = true;
}

void Form1::Command6_Click() {
    if (m_busy) {
        return;
    }
    if (!UpdateChecked) {
        module1.MsgBoxEx("Please check for updates first!", common::msgOk, "Error.");
        return;
    }
    vb::ResumeNext step(runtime().errorLog(), "Form1.Command6_Click");
    const std::string appPath = runtime().App.Path;
    showDownloadFrame();
    const bool mainUpdate = Check2.Value == forms::vbChecked;
    DownloadCount count{0, countDownloads(mainUpdate)};
    // Whether the release or a package failed: the closing heading says so instead of "Updates Complete!".
    StepOutcome release = StepOutcome::Done;
    if (mainUpdate) {
        release = updateProgram(appPath, count, step);
        if (release == StepOutcome::Closed) {
            return;
        }
    }
    StepOutcome packages = StepOutcome::Done;
    if (OtherDowns.Count() > 0) {
        packages = downloadPackages(appPath, count, step);
        if (packages == StepOutcome::Closed) {
            return;
        }
    }
    showClosing(release == StepOutcome::Failed, packages == StepOutcome::Failed, appPath, step);
}

void Form1::showDownloadFrame() {
    Frame1.Visible = false;
    Frame2.Visible = false;
    Frame4.Visible = false;
    layOutProgress(false);
    Frame3.Visible = true;
}

int Form1::countDownloads(bool mainUpdate) {
    int total = mainUpdate ? 1 : 0;
    for (int k = 1; k <= OtherDowns.Count(); ++k) {
        if (OtherDowns.Item(k).Checked()) {
            ++total;
        }
    }
    return total;
}

void Form1::showNextDownload(DownloadCount& count, const std::string& file) {
    ++count.done;
    txtStat.Caption = "Downloading " + std::to_string(count.done) + " of " + std::to_string(count.total);
    txtFile.Caption = file;
    lblSize.Caption = "";
    lblRecieved.Caption = "";
}

Form1::StepOutcome Form1::updateProgram(const std::string& appPath, DownloadCount& count, vb::ResumeNext& step) {
    m_requestTimeout = m_services.limits.downloadSlowSeconds;
    // An archive of an earlier run is not deleted first: the new one replaces it only once it is whole,
    // and only a whole new one is unpacked.
    const std::string archive = appPath + "\\" + UpdateArchivePath;
    showNextDownload(count, "Program Update");
    const FileOutcome received = ReceiveFile(DownloadURL, archive);
    if (!loaded()) {
        return StepOutcome::Closed;
    }
    if (received != FileOutcome::Received) {
        inform("Error Downloading Update.");
        return StepOutcome::Failed;
    }
    inform("Update Download Complete - Now Installing.");
    if (!unpackRelease(archive, appPath)) {
        module1.MsgBoxEx("An Error Occured Updating the Program Files!", common::msgOk, "Error!");
        inform(kInstallFailed);
        return StepOutcome::Failed;
    }
    registerComponent(appPath);
    step([&] { vb::writeAllBytes(appPath + "\\updated.dat", LastUpdateReply + "\r\n"); });
    inform("Installation of Update Complete.");
    return StepOutcome::Done;
}

bool Form1::unpackRelease(const std::string& archive, const std::string& appPath) {
    Zipper.ZipFile = platform::toHostPath(archive);
    Zipper.SourceFolder = platform::toHostPath(appPath);
    Zipper.ExtractFolder = platform::toHostPath(appPath);
    Zipper.ZipOption1 = true;
    Zipper.ZipOption1000 = true;
    Zipper.FileMask = "*.*";
    Zipper.Password = "";
    // Every entry is checked whole in a staging folder before any file is moved into place, and an archive
    // with an entry that would leave the folder is refused as a whole: a failure leaves the application
    // folder as it was.
    const auto unpacked = Zipper.ZipExtract();
    if (!unpacked) {
        runtime().logError("Form1.Command6_Click", vb::ErrPathFileAccess, unpacked.error().detail);
        return false;
    }
    return true;
}

void Form1::registerComponent(const std::string& appPath) {
    // The component lies in the application folder itself, never where the editable text box might point.
    const std::string component = appPath + "\\" + ComponentPath;
    if (ComponentPath.empty() || !common::FileExists(component)) {
        return;
    }
    if (auto registered = m_services.registration->registerComponent({component, "/s"}); !registered) {
        runtime().logError("Form1.Command6_Click", vb::ErrPathFileAccess, registered.error().detail);
    }
}

Form1::StepOutcome Form1::downloadPackages(const std::string& appPath, DownloadCount& count, vb::ResumeNext& step) {
    inform(" ");
    inform("Downloading Imports");
    const std::string imports = appPath + "\\Imports";
    if (!base::isFolder(platform::toHostPath(imports))) {
        step([&] { vb::MkDir(imports); });
    }
    StepOutcome outcome = StepOutcome::Done;
    for (int k = 1; k <= OtherDowns.Count(); ++k) {
        forms::ListItem& line = OtherDowns.Item(k);
        if (!line.Checked()) {
            continue;
        }
        const std::string key = line.Key();
        const std::string name = formats::packageFileName(key);
        showNextDownload(count, name);
        if (!formats::safePackageName(name)) {
            continue;
        }
        const std::string TargetFile = imports + "\\" + name;
        if (common::FileExists(TargetFile)) {
            inform("   " + name + " Has Already Been Downloaded!");
            continue;
        }
        const FileOutcome received = ReceiveFile(siteAddress() + "/" + key, TargetFile);
        if (!loaded()) {
            return StepOutcome::Closed;
        }
        switch (received) {
        case FileOutcome::Received:
            inform("   " + name + " Download Complete.");
            break;
        case FileOutcome::NotFound:
            inform("   " + name + " Not Found On The Server.");
            outcome = StepOutcome::Failed;
            break;
        case FileOutcome::Failed:
            inform("   " + name + " Download Failed.");
            outcome = StepOutcome::Failed;
            break;
        }
    }
    return outcome;
}

void Form1::showClosing(bool programFailed, bool packageFailed, const std::string& appPath, vb::ResumeNext& step) {
    Label10.Caption = programFailed ? kProgramFailedHeading : packageFailed ? kPackageFailedHeading : kCompleteHeading;
    layOutProgress(true);
    Frame4.Visible = true;
    step([&] { FlashEnd.Movie = appPath + "\\endup.swf"; });
}

} // namespace glw::updater
