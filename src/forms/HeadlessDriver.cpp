// The headless driver and the script language of user actions.
#include "HeadlessDriver.h"

#include "Controls.h"
#include "FileLists.h"
#include "FlashPlayer.h"
#include "ListView.h"
#include "UserControl.h"
#include "base/Ascii.h"
#include "platform/WinPath.h"

#include <cctype>
#include <charconv>
#include <climits>
#include <poll.h>
#include <sstream>

namespace glw::forms {

namespace {

// A script line split into words; quoted texts keep their blanks, "" stands for one quote, and
// {CR} / {LF} stand for line-break characters.
Result<std::vector<std::string>> tokenize(const std::string& line) {
    std::vector<std::string> words;
    size_t i = 0;
    while (i < line.size()) {
        if (std::isspace(static_cast<unsigned char>(line[i]))) {
            ++i;
            continue;
        }
        if (line[i] == '#') {
            break;
        }
        std::string word;
        if (line[i] == '"') {
            ++i;
            bool closed = false;
            while (i < line.size()) {
                if (line[i] == '"') {
                    if (i + 1 < line.size() && line[i + 1] == '"') {
                        word += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    closed = true;
                    break;
                }
                if (line.compare(i, 4, "{CR}") == 0) {
                    word += '\r';
                    i += 4;
                } else if (line.compare(i, 4, "{LF}") == 0) {
                    word += '\n';
                    i += 4;
                } else {
                    word += line[i++];
                }
            }
            if (!closed) {
                return makeError(ErrorCode::Malformed, "a quoted text is not closed");
            }
        } else {
            while (i < line.size() && !std::isspace(static_cast<unsigned char>(line[i]))) {
                word += line[i++];
            }
        }
        words.push_back(word);
    }
    return words;
}

struct Target {
    std::string form;
    std::string control; // empty: the form itself
    int index = -1;
};

// A whole number written in a script: an optional "-" and decimal digits, nothing else, within `long`.
Result<long> parseNumber(const std::string& text, const std::string& what) {
    long value = 0;
    const char* end = text.data() + text.size();
    auto [stop, failure] = std::from_chars(text.data(), end, value);
    if (text.empty() || failure != std::errc() || stop != end) {
        return makeError(ErrorCode::Malformed, "bad " + what + " '" + text + "'");
    }
    return value;
}

Result<Target> parseTarget(const std::string& text) {
    Target t;
    const auto dot = text.find('.');
    t.form = text.substr(0, dot);
    if (t.form.empty()) {
        return makeError(ErrorCode::Malformed, "no form named in '" + text + "'");
    }
    if (dot == std::string::npos) {
        return t;
    }
    std::string rest = text.substr(dot + 1);
    const auto open = rest.find('(');
    if (open != std::string::npos) {
        if (rest.back() != ')') {
            return makeError(ErrorCode::Malformed, "bad control index in '" + text + "'");
        }
        auto index = parseNumber(rest.substr(open + 1, rest.size() - open - 2), "control index");
        if (!index || *index < 0 || *index > INT_MAX) {
            return makeError(ErrorCode::Malformed, "bad control index in '" + text + "'");
        }
        t.index = int(*index);
        rest = rest.substr(0, open);
    }
    t.control = rest;
    if (t.control.empty()) {
        return makeError(ErrorCode::Malformed, "no control named in '" + text + "'");
    }
    return t;
}

Form& resolveForm(Runtime& rt, const Target& t) {
    Form* form = rt.findForm(t.form);
    if (!form) {
        vb::raise(vb::ErrObjectRequired, "script: no loaded form " + t.form);
    }
    return *form;
}

Control& resolveControl(Runtime& rt, const Target& t) {
    Form& form = resolveForm(rt, t);
    Control* control = form.findControl(t.control, t.index);
    if (!control) {
        vb::raise(vb::ErrObjectRequired, "script: no control " + t.control +
                                             (t.index >= 0 ? "(" + std::to_string(t.index) + ")" : "") + " on " +
                                             t.form);
    }
    return *control;
}

// A user's click or typing moves the focus to the control first, as in a real window.
void focusLikeAUser(Control& control) {
    if (control.canFocus() && !control.hasFocus() && control.effectivelyVisible() && control.effectivelyEnabled() &&
        control.form().Visible) {
        control.SetFocus();
    }
}

struct KeySpec {
    int keyCode = 0;
    int shift = 0;
    int ascii = 0; // 0: the key types no character
};

Result<KeySpec> parseKey(const std::string& text) {
    KeySpec k;
    std::string rest = text;
    for (;;) {
        const auto plus = rest.find('+');
        if (plus == std::string::npos || plus + 1 == rest.size()) {
            break;
        }
        std::string mod = rest.substr(0, plus);
        for (auto& c : mod) {
            c = char(std::tolower(static_cast<unsigned char>(c)));
        }
        if (mod == "ctrl") {
            k.shift |= vbCtrlMask;
        } else if (mod == "shift") {
            k.shift |= vbShiftMask;
        } else if (mod == "alt") {
            k.shift |= vbAltMask;
        } else {
            return makeError(ErrorCode::Malformed, "unknown key modifier '" + mod + "'");
        }
        rest = rest.substr(plus + 1);
    }
    std::string lower = rest;
    for (auto& c : lower) {
        c = char(std::tolower(static_cast<unsigned char>(c)));
    }
    const bool typing = (k.shift & (vbCtrlMask | vbAltMask)) == 0;
    if (rest.size() == 1) {
        const unsigned char c = static_cast<unsigned char>(rest[0]);
        if (std::isalpha(c)) {
            k.keyCode = std::toupper(c);
            k.ascii = typing ? ((k.shift & vbShiftMask) ? std::toupper(c) : std::tolower(c)) : 0;
        } else if (std::isdigit(c)) {
            k.keyCode = c;
            k.ascii = typing ? c : 0;
        } else {
            k.keyCode = c;
            k.ascii = typing ? c : 0;
        }
        return k;
    }
    struct Named {
        const char* name;
        int code;
        int ascii;
    };
    static const Named named[] = {{"enter", 13, 13}, {"return", 13, 13}, {"esc", 27, 27},     {"escape", 27, 27},
                                  {"space", 32, 32}, {"back", 8, 8},     {"backspace", 8, 8}, {"tab", 9, 0},
                                  {"delete", 46, 0}, {"left", 37, 0},    {"up", 38, 0},       {"right", 39, 0},
                                  {"down", 40, 0},   {"home", 36, 0},    {"end", 35, 0}};
    for (const auto& n : named) {
        if (lower == n.name) {
            k.keyCode = n.code;
            k.ascii = typing ? n.ascii : 0;
            return k;
        }
    }
    if (lower.size() >= 2 && lower[0] == 'f' && std::isdigit(static_cast<unsigned char>(lower[1]))) {
        const int n = std::atoi(lower.c_str() + 1);
        if (n >= 1 && n <= 12) {
            k.keyCode = 111 + n;
            return k;
        }
    }
    return makeError(ErrorCode::Malformed, "unknown key '" + text + "'");
}

std::string toSystemIfHost(const std::string& path) {
    return !path.empty() && path[0] == '/' ? platform::toSystemPath(path) : path;
}

using Action = HeadlessDriver::Action;

Action doAction(std::string text, std::function<void(Runtime&)> run) {
    Action a;
    a.kind = Action::Kind::Do;
    a.text = std::move(text);
    a.run = std::move(run);
    return a;
}

} // namespace

HeadlessDriver::HeadlessDriver(Runtime& runtime) : m_runtime(runtime) {}

HeadlessDriver& headless(Runtime& runtime) {
    if (auto* driver = dynamic_cast<HeadlessDriver*>(&runtime.ui())) {
        return *driver;
    }
    auto driver = std::make_unique<HeadlessDriver>(runtime);
    auto& ref = *driver;
    runtime.setDriver(std::move(driver));
    return ref;
}

Result<HeadlessDriver::Action> HeadlessDriver::parseLine(const std::string& line) {
    auto action = parseAction(line);
    if (!action) {
        return action;
    }
    // Every action but the answers to an open box, dialog or menu is aimed at a form, the first word after
    // the verb; a modal box holds off actions aimed at other forms.
    auto words = tokenize(line);
    if (words && words->size() >= 2) {
        const std::string& verb = (*words)[0];
        if (verb != "answer" && verb != "file" && verb != "cancel" && verb != "color" && verb != "menu") {
            if (auto t = parseTarget((*words)[1])) {
                action->form = t->form;
            }
        }
    }
    return action;
}

Result<HeadlessDriver::Action> HeadlessDriver::parseAction(const std::string& line) {
    auto words = tokenize(line);
    if (!words) {
        return words.error();
    }
    const auto& w = *words;
    if (w.empty()) {
        return makeError(ErrorCode::NotFound, "empty line");
    }
    const std::string& verb = w[0];
    auto need = [&](size_t n) -> Result<void> {
        if (w.size() != n) {
            return makeError(ErrorCode::Malformed, "'" + verb + "' takes " + std::to_string(n - 1) + " argument(s)");
        }
        return {};
    };
    auto target = [&]() -> Result<Target> {
        if (w.size() < 2) {
            return makeError(ErrorCode::Malformed, "'" + verb + "' needs a target");
        }
        return parseTarget(w[1]);
    };

    // The mouse on a user-drawn control, in pixels of its surface (UserControl.h).
    if (verb == "mousedown" || verb == "mouseup" || (verb == "mousemove" && w.size() == 5)) {
        if (auto r = need(5); !r) {
            return r.error();
        }
        auto t = target();
        if (!t) {
            return t.error();
        }
        int button = 0;
        float x = 0, y = 0;
        try {
            button = std::stoi(w[2]);
            x = std::stof(w[3]);
            y = std::stof(w[4]);
        } catch (...) {
            return makeError(ErrorCode::Malformed, "'" + verb + "' takes a target, a button and x y in pixels");
        }
        return doAction(line, [t = *t, verb, button, x, y](Runtime& rt) {
            auto* surface = dynamic_cast<SurfaceControl*>(&resolveControl(rt, t));
            if (!surface) {
                vb::raise(vb::ErrInvalidCall, "script: " + t.control + " is not drawn by the program");
            }
            if (verb == "mousedown") {
                focusLikeAUser(*surface);
                surface->userMouseDown(button, 0, x, y);
            } else if (verb == "mousemove") {
                surface->userMouseMove(button, 0, x, y);
            } else {
                surface->userMouseUp(button, 0, x, y);
                const PixelRect r = surface->Surface.clientRect();
                if (button == vbLeftButton && x >= r.left && y >= r.top && x < r.right && y < r.bottom) {
                    surface->userClick(); // a release inside is a click, as in a window
                }
            }
        });
    }
    if (verb == "click" || verb == "dblclick" || verb == "focus" || verb == "tick" || verb == "close" ||
        verb == "activate" || verb == "deactivate" || verb == "mousemove") {
        if (auto r = need(2); !r) {
            return r.error();
        }
        auto t = target();
        if (!t) {
            return t.error();
        }
        const bool dbl = verb == "dblclick";
        if (verb == "close" || verb == "activate" || verb == "deactivate" || verb == "mousemove" ||
            ((verb == "click" || dbl) && t->control.empty())) {
            return doAction(line, [t = *t, verb](Runtime& rt) {
                Form& form = resolveForm(rt, t);
                if (verb == "close") {
                    form.userClose();
                } else if (verb == "activate") {
                    form.userActivate();
                } else if (verb == "deactivate") {
                    form.userDeactivate();
                } else if (verb == "mousemove") {
                    form.userMouseMove(0, 0, 0, 0);
                } else {
                    form.userClick();
                }
            });
        }
        return doAction(line, [t = *t, verb, dbl](Runtime& rt) {
            Control& c = resolveControl(rt, t);
            if (verb == "tick") {
                if (auto* timer = dynamic_cast<Timer*>(&c)) {
                    timer->fire();
                }
                return;
            }
            if (!c.effectivelyVisible() || !c.effectivelyEnabled()) {
                vb::raise(vb::ErrInvalidCall, "script: " + c.fullName() + " is hidden or disabled");
            }
            focusLikeAUser(c);
            if (verb == "focus") {
                return;
            }
            if (dbl) {
                c.userDblClick();
            } else {
                c.userClick();
            }
        });
    }
    if (verb == "type") {
        if (auto r = need(3); !r) {
            return r.error();
        }
        auto t = target();
        if (!t) {
            return t.error();
        }
        return doAction(line, [t = *t, text = w[2]](Runtime& rt) {
            Control& c = resolveControl(rt, t);
            focusLikeAUser(c);
            if (auto* box = dynamic_cast<TextBox*>(&c)) {
                box->userType(text);
            } else if (auto* combo = dynamic_cast<ComboBox*>(&c)) {
                combo->userSetText(combo->Text() + text);
            } else {
                vb::raise(vb::ErrInvalidCall, "script: cannot type into " + c.fullName());
            }
        });
    }
    if (verb == "key") {
        if (auto r = need(3); !r) {
            return r.error();
        }
        auto t = target();
        if (!t) {
            return t.error();
        }
        auto key = parseKey(w[2]);
        if (!key) {
            return key.error();
        }
        return doAction(line, [t = *t, k = *key](Runtime& rt) {
            Form& form = resolveForm(rt, t);
            if (!t.control.empty()) {
                focusLikeAUser(resolveControl(rt, t));
            }
            form.userKeyDown(k.keyCode, k.shift);
            if (k.ascii) {
                form.userKeyPress(k.ascii);
            }
        });
    }
    if (verb == "choose" || verb == "check" || verb == "uncheck" || verb == "scroll" || verb == "open") {
        if (auto r = need(3); !r) {
            return r.error();
        }
        auto t = target();
        if (!t) {
            return t.error();
        }
        long value = 0; // the position of a scroll
        if (verb == "scroll") {
            auto number = parseNumber(w[2], "scroll value");
            if (!number || *number < INT_MIN || *number > INT_MAX) {
                return makeError(ErrorCode::Malformed, "bad scroll value '" + w[2] + "'");
            }
            value = *number;
        }
        return doAction(line, [t = *t, verb, arg = w[2], value](Runtime& rt) {
            Control& c = resolveControl(rt, t);
            focusLikeAUser(c);
            if (auto* dirs = dynamic_cast<DirListBox*>(&c); dirs && verb == "open") {
                if (arg == "..") {
                    dirs->userOpen(-2); // the open folder above Path
                    return;
                }
                for (int i = 0; i < dirs->ListCount(); ++i) {
                    if (dirs->folder(i) == arg || platform::splitSystemPath(dirs->folder(i)).second == arg) {
                        dirs->userOpen(i);
                        return;
                    }
                }
                vb::raise(vb::ErrInvalidCall, "script: " + c.fullName() + " has no folder " + arg);
            } else if (auto* list = dynamic_cast<ListControl*>(&c); list && verb == "choose") {
                int index = -1;
                for (int i = 0; i < list->ListCount(); ++i) {
                    if (list->List(i) == arg) {
                        index = i;
                    }
                }
                if (auto number = parseNumber(arg, "index"); index < 0 && number && *number <= INT_MAX) {
                    index = int(*number);
                }
                if (index < 0 || index >= list->ListCount()) {
                    vb::raise(vb::ErrInvalidCall, "script: " + c.fullName() + " has no entry " + arg);
                }
                list->userChoose(index);
            } else if (auto* view = dynamic_cast<ListView*>(&c)) {
                if (verb == "choose") {
                    view->userClickItem(arg);
                } else {
                    view->userCheckItem(arg, verb == "check");
                }
            } else if (auto* range = dynamic_cast<RangeControl*>(&c); range && verb == "scroll") {
                range->userScroll(int(value));
            } else {
                vb::raise(vb::ErrInvalidCall, "script: cannot " + verb + " on " + c.fullName());
            }
        });
    }
    if (verb == "answer") {
        if (auto r = need(2); !r) {
            return r.error();
        }
        return doAction(line, [text = w[1]](Runtime& rt) {
            Form* form = rt.activeModal();
            if (!form) {
                vb::raise(vb::ErrInvalidCall, "script: no box is open to answer " + text);
            }
            for (Control* c : form->controls()) {
                std::string caption;
                if (auto* b = dynamic_cast<CommandButton*>(c)) {
                    caption = b->Caption;
                }
                if (!c->effectivelyVisible() || !c->effectivelyEnabled() || c->kind() != ControlKind::CommandButton) {
                    continue;
                }
                if (base::iequals(caption, text) || base::iequals(c->ToolTipText(), text)) {
                    c->userClick();
                    return;
                }
            }
            vb::raise(vb::ErrInvalidCall, "script: " + form->name() + " shows no button " + text);
        });
    }
    if (verb == "file" || verb == "cancel" || verb == "color") {
        Action a;
        a.kind = Action::Kind::Dialog;
        a.text = line;
        if (verb == "cancel") {
            if (auto r = need(1); !r) {
                return r.error();
            }
            a.answer = {false, {}, 0};
        } else {
            if (auto r = need(2); !r) {
                return r.error();
            }
            if (verb == "file") {
                a.answer = {true, toSystemIfHost(w[1]), 0};
            } else {
                auto colour = parseNumber(w[1], "colour");
                if (!colour) {
                    return colour.error();
                }
                a.answer = {true, {}, *colour};
            }
        }
        return a;
    }
    if (verb == "menu") {
        if (auto r = need(2); !r) {
            return r.error();
        }
        Action a;
        a.kind = Action::Kind::Menu;
        a.text = line;
        a.menuItem = w[1];
        return a;
    }
    if (verb == "fscommand") {
        if (w.size() != 3 && w.size() != 4) {
            return makeError(ErrorCode::Malformed, "'fscommand' takes a movie control, a command and arguments");
        }
        auto t = target();
        if (!t) {
            return t.error();
        }
        return doAction(line, [t = *t, command = w[2], args = w.size() == 4 ? w[3] : std::string()](Runtime& rt) {
            auto* movie = dynamic_cast<FlashPlayer*>(&resolveControl(rt, t));
            if (!movie) {
                vb::raise(vb::ErrInvalidCall, "script: not a movie control");
            }
            movie->userFSCommand(command, args);
        });
    }
    return makeError(ErrorCode::Malformed, "unknown action '" + verb + "'");
}

Result<void> HeadlessDriver::queueScript(const std::string& script) {
    std::vector<Action> parsed;
    std::istringstream in(script);
    std::string line;
    std::uint64_t number = 0;
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        auto action = parseLine(line);
        if (!action) {
            if (action.error().code == ErrorCode::NotFound) { // blank or comment
                continue;
            }
            auto error = action.error();
            error.offset = number;
            error.detail = "line " + std::to_string(number) + ": " + error.detail;
            return error;
        }
        parsed.push_back(std::move(*action));
    }
    for (auto& a : parsed) {
        m_queue.push_back(std::move(a));
    }
    return {};
}

void HeadlessDriver::then(std::string description, std::function<void(Runtime&)> action) {
    m_queue.push_back(doAction(std::move(description), std::move(action)));
}

void HeadlessDriver::answerDialog(DialogAnswer answer, std::string description) {
    Action a;
    a.kind = Action::Kind::Dialog;
    a.text = std::move(description);
    a.answer = std::move(answer);
    m_queue.push_back(std::move(a));
}

void HeadlessDriver::chooseMenu(const std::string& itemName) {
    Action a;
    a.kind = Action::Kind::Menu;
    a.text = "menu " + itemName;
    a.menuItem = itemName;
    m_queue.push_back(std::move(a));
}

Result<void> HeadlessDriver::perform(const std::string& line) {
    auto action = parseLine(line);
    if (!action) {
        return action.error();
    }
    m_queue.push_front(std::move(*action));
    runNext();
    return {};
}

void HeadlessDriver::checkWatched() {
    if (m_watchedFd < 0 || !m_watchedReady) {
        return;
    }
    pollfd entry{m_watchedFd, POLLIN, 0};
    if (::poll(&entry, 1, 0) > 0 && (entry.revents & POLLIN) != 0) {
        m_runtime.userAction("signal", m_watchedReady);
    }
}

void HeadlessDriver::watchReadable(int fd, std::function<void()> ready) {
    m_watchedFd = fd;
    m_watchedReady = std::move(ready);
}

void HeadlessDriver::doEvents() {
    checkWatched();
}

void HeadlessDriver::runNext() {
    checkWatched();
    if (m_queue.empty()) {
        return;
    }
    Action action = std::move(m_queue.front());
    m_queue.pop_front();
    auto& trace = m_runtime.trace();
    if (trace.enabled()) {
        trace.write("action " + action.text);
    }
    if (action.kind != Action::Kind::Do) {
        m_runtime.logError("script", vb::ErrInvalidCall, "no dialog or menu is open for: " + action.text);
        return;
    }
    // A modal box blocks every other form, as it does in a window: what a user could not reach is refused.
    // A timer's tick is no user's doing and goes on behind the box.
    const Form* modal = m_runtime.activeModal();
    if (modal && !action.form.empty() && !base::iequals(action.form, modal->name()) &&
        action.text.rfind("tick ", 0) != 0) {
        m_runtime.logError("script", vb::ErrInvalidCall,
                           action.form + " lies behind the modal " + modal->name() + ": " + action.text);
        return;
    }
    m_runtime.userAction(action.text, [&] { action.run(m_runtime); });
}

void HeadlessDriver::runModal(Form& form) {
    while (form.loaded() && form.Visible && !m_runtime.ended()) {
        if (m_queue.empty()) {
            // Nobody is left to answer the box: it is closed with its close box.
            if (m_runtime.trace().enabled()) {
                m_runtime.trace().write("action close " + form.name() + " (script ended)");
            }
            m_runtime.userAction("close " + form.name(), [&] { form.userClose(); });
            if (form.loaded() && form.Visible) {
                // It refused to close; a headless run cannot wait for a user, so it ends here.
                m_runtime.logError("script", vb::ErrInvalidCall, form.name() + " cannot be closed");
                m_runtime.End(1);
            }
            return;
        }
        runNext();
    }
}

void HeadlessDriver::runMainLoop() {
    while (!m_queue.empty() && !m_runtime.forms().empty()) {
        runNext();
    }
}

void HeadlessDriver::popupMenu(Form&, Menu& menu) {
    if (m_queue.empty() || m_queue.front().kind != Action::Kind::Menu) {
        return; // dismissed without a choice
    }
    Action action = std::move(m_queue.front());
    m_queue.pop_front();
    if (m_runtime.trace().enabled()) {
        m_runtime.trace().write("action " + action.text);
    }
    std::function<Menu*(Menu&)> find = [&](Menu& m) -> Menu* {
        for (Menu* item : m.items()) {
            if (item->name() == action.menuItem) {
                return item;
            }
            if (Menu* inner = find(*item)) {
                return inner;
            }
        }
        return nullptr;
    };
    Menu* item = find(menu);
    if (!item || !item->Visible || !item->Enabled) {
        m_runtime.logError("script", vb::ErrInvalidCall, "the menu shows no item " + action.menuItem);
        return;
    }
    item->userClick();
}

DialogAnswer HeadlessDriver::commonDialog(Form&, const DialogRequest&) {
    if (m_queue.empty() || m_queue.front().kind != Action::Kind::Dialog) {
        return {}; // nobody answers: cancelled
    }
    Action action = std::move(m_queue.front());
    m_queue.pop_front();
    return action.answer;
}

} // namespace glw::forms
