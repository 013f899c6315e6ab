// What the three stub programs share: the machine's folders, the work folder of a run, finding and
// unpacking the package appended to the program's own file, the progress bar, the file copy and the
// clean-up at the end.
#pragma once

#include "base/FileIo.h"
#include "forms/Controls.h"
#include "forms/Form.h"
#include "forms/Runtime.h"
#include "stubs/StubWorkFolder.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace glw::stubs {

// What a stub takes from the machine. The programs fill it from the process (fromProcess); tests give
// their own folders and joined files.
struct StubEnvironment {
    // Host path of the program's own file: the self-extracting file whose package the stub reads. On this
    // system that is the file the process was started from, whatever its name or extension.
    std::string ownFile;
    // The user's temporary folder in system form ("%TEMP%"); empty: platform::userTempFolder().
    std::string tempFolder;
    // The installer's default target folder in system form (the Windows folder there); empty: the user's
    // own screen-saver folder, see sWindowsDirectory.
    std::string windowsFolder;

    static StubEnvironment fromProcess();
};

// Folder helpers of the stub forms, each in system form without a closing "\".
// sTempDirectory: "%TEMP%" expanded, the user's own temporary folder that nobody else may write into;
// "" when there is none.
std::string sTempDirectory(const StubEnvironment& environment);
// sWindowsDirectory: where screen savers are installed by default. This system has no Windows folder, so
// it is $XDG_DATA_HOME/glw/screensavers (or ~/.local/share/glw/screensavers), created when missing;
// "" when it cannot be made.
std::string sWindowsDirectory(const StubEnvironment& environment);

// The inner area of a form: what its frame and caption take of Width and Height (the runtime's driver
// says how much: a standard frame without real windows, none on the desktop, where Width and Height are the
// window's inner size already), and the inner width and height (the form's ScaleWidth and ScaleHeight).
struct FrameSize {
    int width = 0;  // twips taken by the frame across
    int height = 0; // twips taken by the frame and caption down
};
FrameSize frameOf(const forms::Form& form);
int ScaleWidth(const forms::Form& form);  // the inner width in twips, never negative
int ScaleHeight(const forms::Form& form); // the inner height in twips, never negative

// SetBar: shows `precent` (0 to 100) of the progress bar: lets the window repaint, sets lblPrgbar's
// width to that share of picProgbar's width, hides it at 0 and shows it otherwise, and lets it repaint.
void SetBar(forms::Runtime& runtime, forms::PictureBox& picProgbar, forms::Label& lblPrgbar, double precent);

// APICopy: copies the file Trim(Source) to Trim(Dest) (system paths), replacing Dest only with a
// complete copy. A failure is logged, not raised; returns whether the copy was made.
bool APICopy(forms::Runtime& runtime, const std::string& Source, const std::string& Dest);

// Copies the file `name` of the work folder back to the system path `Dest` without following a link at
// either end: the source must be a plain file of the run folder, and a link (or anything but a plain file)
// at `Dest` is left alone and the copy refused. The copy is written beside `Dest` and renamed over it only
// when complete, keeping the permission bits of the file it replaces. A failure is logged; returns whether
// the copy was made.
bool copyBackNoFollow(forms::Runtime& runtime, const std::string& hostSource, const std::string& Dest);

// The movie's size in pixels for the player's window. The startup list's width and height stand where they
// are usable (at least one pixel, and within the range of a form's size in twips); a size that is missing,
// zero, negative or too large is taken from the movie's own stage (`movieHostPath`), made smaller as a
// whole where it would not fit `screen`. A movie whose stage cannot be read leaves such a size 0.
struct MovieSize {
    long width = 0;
    long height = 0;
};
MovieSize playerMovieSize(long width, long height, const std::string& movieHostPath, const forms::ScreenObject& screen);

// The startup list's whole file (system path); "" when it is missing or unreadable, which reads as an
// empty list.
std::string readStartupFile(const std::string& systemPath);

// The part of a stub that unpacks its package: the work folder of the run (TempFolder), the package copy,
// the extraction loop, DelFileList, and the clean-up at the end.
class StubCore {
public:
    StubCore(forms::Runtime& runtime, StubEnvironment environment);

    const StubEnvironment& environment() const { return m_environment; }

    // The work folder of this run in system form, ending in "\": a folder of its own inside TempSWF under
    // the user's temporary folder, so that two stubs running at once never touch each other's files.
    // "" until setUpWorkFolder succeeded.
    std::string TempFolder;
    // The names extracted (and, in the player, its extra files), deleted from TempFolder at the end.
    stubs::DelFileList DelFileList;

    // Sets up the work folder. On failure (no private temporary folder, a TempSWF that is a link or another
    // user's, a full disk) TempFolder stays "", it is logged and its cause kept for withFailure; the next
    // step then finds no package.
    //
    // A run holds a lock on its folder until its clean-up. Run folders in TempSWF that no run holds any
    // more and that have not changed for a minute were left by runs that were killed: they are removed
    // here, since no run ever comes back to its folder.
    bool setUpWorkFolder();
    // The work folder's host path, ending in "/"; "" before setUpWorkFolder succeeded.
    std::string hostTempFolder() const;
    // TempSWF, the parent of every run folder (host path, ending in "/"); "" before set-up.
    std::string hostTempSwfFolder() const;

    // ExtractAppendedData: copies the package behind the marker of the own file to TempFolder &
    // "glwexe.dta". False when the own file holds no marker, nothing follows it, or anything fails; a failure
    // other than a missing package (the copy refused, the disk full) is kept for withFailure.
    bool ExtractAppendedData();

    // A stub's "no data" message with the true cause below it when the work folder or the package copy
    // failed ("...: No space left on device"); the message alone when the program holds no package.
    std::string withFailure(const std::string& message) const;

    // The extraction loop: every entry's name goes into List1 in package order and every entry with a bare
    // file name is extracted into TempFolder under that name and added to DelFileList. Names that would
    // address anything else ("..\x", "/abs", "c:x", "glwexe.dta") are skipped. A malformed package ends the
    // listing; what was listed before the fault is still extracted. `setBar` receives 40, 50, then
    // 50 + 20 / n * (i + 1) after entry i of n. The trace shows each "extract" and "skip".
    JpkExtraction extractEntries(forms::ListBox& List1, const SetBarCallback& setBar);

    // What the movie's `run` command opens for `target`: a bare name that the package put into the run
    // folder (and that is still there) names that file, in system form; any other text is given back as it
    // stands, for the shell.
    std::string runTarget(const std::string& target) const;

    // Deletes one file of the work folder (a bare name); failures are ignored.
    void deleteWorkFile(std::string_view name);

    // The clean-up at the end: deletes every DelFileList name, "glwexe.dta" and "startup.ini", then the run
    // folder itself with anything the movie left in it. Runs once; later calls do nothing. TempSWF stays.
    void cleanUp();
    bool cleanedUp() const { return m_cleanedUp; }

    StubCore(const StubCore&) = delete;
    StubCore& operator=(const StubCore&) = delete;
    ~StubCore();

private:
    void trace(const std::string& line);
    // Logs `cause` for `step`, keeps "`what`: `cause`" for withFailure and gives false.
    bool failWith(const std::string& step, const std::string& what, const std::string& cause);
    void removeAbandonedRunFolders();

    forms::Runtime& m_runtime;
    StubEnvironment m_environment;
    std::optional<StubWorkFolder> m_work;
    base::UniqueFd m_runLock; // holds the run folder against the clean-up of abandoned folders by other runs
    bool m_cleanedUp = false;
    std::string m_failure;                // why the work folder or the package copy failed, for the user
    std::vector<std::string> m_extracted; // the names the package put into the run folder
};

// The maker's web site, opened by the credit lines of the installer and the screen saver's About box.
inline constexpr const char* kMakerWebSite = "http://www.example.com/";

} // namespace glw::stubs
