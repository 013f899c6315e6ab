// The runtime: services with their trace, the forms registry, the pump and the End statement.
#include "Runtime.h"

#include "HeadlessDriver.h"
#include "platform/WinPath.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cxxabi.h>
#include <filesystem>
#include <memory>
#include <typeinfo>

namespace glw::forms {

FrameTwips UiDriver::frameOf(const Form& form) {
    if (form.BorderStyle == 0) {
        return {};
    }
    const auto& screen = form.runtime().Screen;
    constexpr int kBorderPixels = 4;
    constexpr int kCaptionPixels = 22;
    return FrameTwips{int(std::lround(2 * kBorderPixels * screen.TwipsPerPixelX)),
                      int(std::lround((2 * kBorderPixels + kCaptionPixels) * screen.TwipsPerPixelY))};
}

PixelRect UiDriver::screenRect(const Control& control) {
    // Without real windows, a control's rectangle follows from its form's and its own twips position.
    const Form& form = control.form();
    const auto& screen = form.runtime().Screen;
    int left = form.Left + control.Left;
    int top = form.Top + control.Top;
    for (const Control* c = control.Container(); c; c = c->Container()) {
        left += c->Left;
        top += c->Top;
    }
    PixelRect r;
    r.left = int(left / screen.TwipsPerPixelX);
    r.top = int(top / screen.TwipsPerPixelY);
    r.right = r.left + int(control.Width / screen.TwipsPerPixelX);
    r.bottom = r.top + int(control.Height / screen.TwipsPerPixelY);
    return r;
}

Runtime::Runtime(Services services) : m_services(std::move(services)) {}

Runtime::~Runtime() = default;

void Runtime::setDriver(std::unique_ptr<UiDriver> driver) {
    m_driver = std::move(driver);
}

UiDriver& Runtime::ui() {
    if (!m_driver) {
        m_driver = std::make_unique<HeadlessDriver>(*this);
    }
    return *m_driver;
}

std::string Runtime::ClipboardGetText() {
    return m_services.clipboard ? m_services.clipboard->getText() : std::string();
}

void Runtime::ClipboardSetText(const std::string& text) {
    if (m_services.clipboard) {
        m_services.clipboard->setText(text);
    }
    if (m_trace.enabled()) {
        m_trace.write("clipboard " + Trace::quote(text));
    }
}

void Runtime::ClipboardClear() {
    if (m_services.clipboard) {
        m_services.clipboard->clear();
    }
    if (m_trace.enabled()) {
        m_trace.write("clipboard clear");
    }
}

std::string Runtime::GetSetting(const std::string& app, const std::string& section, const std::string& key,
                                const std::string& defaultValue) {
    return m_services.settings ? m_services.settings->getSetting(app, section, key, defaultValue) : defaultValue;
}

void Runtime::SaveSetting(const std::string& app, const std::string& section, const std::string& key,
                          const std::string& value) {
    if (m_services.settings) {
        m_services.settings->saveSetting(app, section, key, value);
    }
    if (m_trace.enabled()) {
        m_trace.write("setting " + Trace::quote(app) + " " + Trace::quote(section) + " " + Trace::quote(key) + " " +
                      Trace::quote(value));
    }
}

long Runtime::ShellOpen(const std::string& target) {
    const long result = m_services.shell ? m_services.shell->open(target) : 2;
    if (m_trace.enabled()) {
        m_trace.write("shell " + Trace::quote(target) + " -> " + std::to_string(result));
    }
    return result;
}

platform::Picture Runtime::LoadPicture(const std::string& systemPath) {
    if (systemPath.empty()) {
        return {};
    }
    if (!m_services.pictures) {
        vb::raise(481, "Invalid picture");
    }
    auto picture = m_services.pictures->load(systemPath);
    if (picture) {
        return *picture;
    }
    if (picture.error().code == ErrorCode::NotFound) {
        vb::raise(vb::ErrFileNotFound, "File not found: " + systemPath);
    }
    vb::raise(481, "Invalid picture");
}

std::vector<std::string> Runtime::ScreenFonts() {
    return m_services.fonts ? m_services.fonts->names() : std::vector<std::string>{};
}

double Runtime::Timer() {
    return m_services.clock ? m_services.clock->timer() : 0.0;
}

void Runtime::Randomize() {
    if (m_services.random) {
        m_services.random->randomize(Timer());
    }
}

float Runtime::Rnd() {
    return m_services.random ? m_services.random->rnd() : 0.0f;
}
int Runtime::Hour() {
    return m_services.clock ? m_services.clock->hour() : 0;
}
int Runtime::Second() {
    return m_services.clock ? m_services.clock->second() : 0;
}

void Runtime::DoEvents() {
    ui().doEvents();
}

void Runtime::End(int exitCode) {
    if (!m_ended) {
        m_ended = true;
        m_exitCode = exitCode;
        if (m_trace.enabled()) {
            m_trace.write("end " + std::to_string(exitCode));
        }
    }
    throw vb::EndProgram{exitCode};
}

Form* Runtime::findForm(std::string_view name) const {
    for (auto it = m_forms.rbegin(); it != m_forms.rend(); ++it) {
        if ((*it)->name() == name) {
            return *it;
        }
    }
    return nullptr;
}

Form* Runtime::activeModal() const {
    return m_modalStack.empty() ? nullptr : m_modalStack.back();
}

void Runtime::userAction(const std::string& what, const std::function<void()>& action) {
    try {
        action();
    } catch (const vb::RuntimeError& e) {
        logError(what, e.Number(), e.what());
    } catch (const std::exception& e) {
        if (m_faultPolicy == FaultPolicy::Rethrow) {
            throw;
        }
        logInternalError(what, e);
    }
}

void Runtime::logInternalError(const std::string& where, const std::exception& fault) {
    int status = 0;
    const char* mangled = typeid(fault).name();
    std::unique_ptr<char, void (*)(void*)> demangled(abi::__cxa_demangle(mangled, nullptr, nullptr, &status),
                                                     std::free);
    const std::string type = status == 0 && demangled ? demangled.get() : mangled;
    const std::string line = "internal error " + where + " " + type + " " + Trace::quote(fault.what());
    m_errors.push_back(line);
    if (m_trace.enabled()) {
        m_trace.write(line);
    }
    std::fprintf(stderr, "%s: %s\n", App.EXEName.c_str(), line.c_str());
}

vb::ErrorLog Runtime::errorLog() {
    return [this](const std::string& where, int number, const std::string& description) {
        logError(where, number, description);
    };
}

void Runtime::logError(const std::string& where, int number, const std::string& description) {
    std::string line = "error " + where + " " + std::to_string(number) + " " + Trace::quote(description);
    m_errors.push_back(line);
    if (m_trace.enabled()) {
        m_trace.write(line);
    }
    if (std::getenv("GLW_LOG_ERRORS")) {
        std::fprintf(stderr, "%s\n", line.c_str());
    }
}

int Runtime::run() {
    try {
        ui().runMainLoop();
    } catch (const vb::EndProgram& end) {
        return end.exitCode;
    }
    if (!m_ended) {
        m_ended = true;
        if (m_trace.enabled()) {
            m_trace.write("end 0");
        }
    }
    return m_exitCode;
}

void Runtime::formLoaded(Form& form) {
    m_forms.push_back(&form);
    if (m_trace.enabled()) {
        m_trace.write("load " + form.name());
    }
    ui().formLoaded(form);
}

void Runtime::formUnloaded(Form& form) {
    m_forms.erase(std::remove(m_forms.begin(), m_forms.end(), &form), m_forms.end());
    m_modalStack.erase(std::remove(m_modalStack.begin(), m_modalStack.end(), &form), m_modalStack.end());
    if (m_trace.enabled() && !m_ended) {
        m_trace.write("unload " + form.name());
    }
    if (m_driver) {
        m_driver->formUnloaded(form);
    }
}

void Runtime::modalStarted(Form& form) {
    m_modalStack.push_back(&form);
    if (m_trace.enabled()) {
        m_trace.write("modal " + form.name() + " " + Trace::quote(form.Caption));
    }
}

void Runtime::modalEnded(Form& form) {
    m_modalStack.erase(std::remove(m_modalStack.begin(), m_modalStack.end(), &form), m_modalStack.end());
}

} // namespace glw::forms
