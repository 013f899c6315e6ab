// The headless driver: shows nothing, and plays the user from a queue of actions, filled by a script
// (GLW_SCRIPT) or by a test. Modal loops and the main loop take the next action in turn; the next file
// dialog or popup menu takes its answer from the front of the queue.
#pragma once

#include "Runtime.h"

#include <deque>

namespace glw::forms {

class HeadlessDriver : public UiDriver {
public:
    struct Action {
        enum class Kind { Do, Dialog, Menu };
        Kind kind = Kind::Do;
        std::string text;                  // the script line, for the trace and messages
        std::string form;                  // the form the action is aimed at; "" for answers to a box or dialog
        std::function<void(Runtime&)> run; // Kind::Do
        DialogAnswer answer;               // Kind::Dialog
        std::string menuItem;              // Kind::Menu
    };

    explicit HeadlessDriver(Runtime& runtime);

    // Queues a user action written in the script language (see docs/headless.md). Returns the error of
    // the first line that does not parse, with its line number in Error::offset; nothing is queued then.
    Result<void> queueScript(const std::string& script);
    // Queues an action of the test's own.
    void then(std::string description, std::function<void(Runtime&)> action);
    void answerDialog(DialogAnswer answer, std::string description = "dialog answer");
    void chooseFile(const std::string& systemPath) { answerDialog({true, systemPath, 0}, "file " + systemPath); }
    void cancelDialog() { answerDialog({false, {}, 0}, "cancel"); }
    void chooseMenu(const std::string& itemName);
    size_t pending() const { return m_queue.size(); }
    // Runs one script line at once.
    Result<void> perform(const std::string& line);

    // Parses one script line into an action.
    static Result<Action> parseLine(const std::string& line);

    void runModal(Form& form) override;
    void runMainLoop() override;
    void doEvents() override;
    void watchReadable(int fd, std::function<void()> ready) override;
    void popupMenu(Form& form, Menu& menu) override;
    DialogAnswer commonDialog(Form& form, const DialogRequest& request) override;

private:
    static Result<Action> parseAction(const std::string& line);
    void runNext();
    // Runs the watched descriptor's handler when it has something to read.
    void checkWatched();
    Runtime& m_runtime;
    std::deque<Action> m_queue;
    int m_watchedFd = -1;
    std::function<void()> m_watchedReady;
};

// The runtime's headless driver, installed when the runtime has none yet (tests).
HeadlessDriver& headless(Runtime& runtime);

} // namespace glw::forms
