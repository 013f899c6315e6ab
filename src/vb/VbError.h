// Run-time errors in the manner of the system's original language, and the visible construct for
// handlers that continue past a failing statement.
#pragma once

#include <functional>
#include <stdexcept>
#include <string>

namespace glw::vb {

// Well-known run-time error numbers, kept so that messages and tests can tell failures apart.
enum ErrorNumber : int {
    ErrInvalidCall = 5,
    ErrOverflow = 6,
    ErrSubscript = 9,
    ErrTypeMismatch = 13,
    ErrFileNotFound = 53,
    ErrFileAlreadyOpen = 55,
    ErrFileExists = 58,
    ErrDiskFull = 61,
    ErrInputPastEnd = 62,
    ErrPermissionDenied = 70,
    ErrPathFileAccess = 75,
    ErrPathNotFound = 76,
    ErrObjectRequired = 424,
    ErrInvalidProperty = 380,
    ErrAutomation = 440,
};

// A run-time error: what a failing statement raises. Handlers in continue-on-error mode skip it.
class RuntimeError : public std::runtime_error {
public:
    RuntimeError(int number, const std::string& description) : std::runtime_error(description), m_number(number) {}
    int Number() const { return m_number; }
    std::string Description() const { return what(); }

private:
    int m_number;
};

[[noreturn]] inline void raise(int number, const std::string& description) {
    throw RuntimeError(number, description);
}

// The End statement: unwinds everything to the program's top, where the process ends. It is not a
// run-time error, so no continue-on-error block ever swallows it.
struct EndProgram {
    int exitCode = 0;
};

// Where errors that a handler skipped or that left a handler are reported (set by the runtime).
using ErrorLog = std::function<void(const std::string& where, int number, const std::string& description)>;

// ResumeNext: a handler in continue-on-error mode runs each statement through it, so the handler reads
// step by step like its original while a failing step is skipped and remembered:
//
//     vb::ResumeNext step(log, "Form1.Form_Load");
//     step([&] { Kill(App.Path + "\\Working\\*.*"); });
//     step([&] { Command8.Picture = LoadPicture(...); });
//     if (step.failed()) ...   // the last step raised (Err.Number <> 0)
class ResumeNext {
public:
    explicit ResumeNext(ErrorLog log = {}, std::string where = {}) : m_log(std::move(log)), m_where(std::move(where)) {}

    // Runs one statement. A RuntimeError is recorded and skipped. Everything else passes: EndProgram, and any
    // other exception, which is a fault of the program's own code rather than a failing statement (the
    // runtime reports it as an internal error where the user's action started).
    template <class F> bool operator()(F&& statement) {
        try {
            statement();
            return true;
        } catch (const RuntimeError& e) {
            note(e.Number(), e.what());
        }
        return false;
    }

    const std::string& errDescription() const { return m_description; }
    bool failed() const { return m_number != 0; }
    void clear() {
        m_number = 0;
        m_description.clear();
    }

private:
    void note(int number, const std::string& description) {
        m_number = number;
        m_description = description;
        if (m_log) {
            m_log(m_where, number, description);
        }
    }

    ErrorLog m_log;
    std::string m_where;
    int m_number = 0;
    std::string m_description;
};

} // namespace glw::vb
