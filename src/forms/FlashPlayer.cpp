// The movie player control's recording model and its header-based size answers.
#include "FlashPlayer.h"

#include "Form.h"
#include "Runtime.h"
#include "platform/WinPath.h"

namespace glw::forms {

FlashPlayer::FlashPlayer(Form& form, std::string name, int index)
    : Control(form, ControlKind::FlashPlayer, std::move(name), index),
      Movie(*this, PropertyId::Movie, "", [this](Property<std::string>& p, std::string value) {
          // Setting the movie always (re)loads it, even when the text is the same.
          if (!p.store(value)) {
              propertyChanged(PropertyId::Movie);
          }
          record("Movie=" + value);
      }) {}

void FlashPlayer::Play() {
    record("Play");
    propertyChanged(kPlayCalled);
}

void FlashPlayer::SetVariable(const std::string& name, const std::string& value) {
    m_variables[name] = value;
    record("SetVariable " + name + "=" + value);
    propertyChanged(kVariableSet);
}

std::string FlashPlayer::moviePath() const {
    const std::string& movie = Movie;
    return movie.substr(0, movie.find('?'));
}

std::string FlashPlayer::TGetProperty(const std::string& target, int property) {
    if (target != "/" || (property != 8 && property != 9)) {
        return "";
    }
    const auto& probe = runtime().services().movieProbe;
    const std::string path = moviePath();
    if (!probe || path.empty()) {
        return "0";
    }
    const auto size = probe->size(platform::toHostPath(path));
    if (!size) {
        return "0";
    }
    return std::to_string(property == 8 ? size->width : size->height);
}

void FlashPlayer::record(const std::string& call) {
    m_calls.push_back(call);
    auto& trace = runtime().trace();
    if (trace.enabled()) {
        trace.write("movie " + fullName() + " " + Trace::quote(call));
    }
}

} // namespace glw::forms
