// The movie player control: the members the system calls on the Flash player. Headless it records what
// it was given; the renderer plays the movie. Width and height come from the movie file's own header.
#pragma once

#include "Control.h"

namespace glw::forms {

class FlashPlayer : public Control {
public:
    FlashPlayer(Form& form, std::string name, int index = -1);

    // The movie's system path, optionally followed by "?" and variables. Setting it loads and starts the
    // movie (also when it is the same text again); reading gives back the text last set.
    Property<std::string> Movie;
    Property<int> ScaleMode{*this, PropertyId::ScaleMode, 0}; // 0 show all, 1 no border, 2 exact fit, 3 no scale
    Property<std::string> BGColor{*this, PropertyId::BGColor};
    Property<std::string> FlashVars{*this, PropertyId::FlashVars};
    Property<std::string> WMode{*this, PropertyId::WMode, "Window"};
    Property<bool> EmbedMovie{*this, PropertyId::EmbedMovie, false};

    void Play();
    void SetVariable(const std::string& name, const std::string& value);
    // Property 8 (width) and 9 (height) of the root "/" in pixels, from the movie's header; "0" when the
    // movie cannot be read. Other properties give "".
    std::string TGetProperty(const std::string& target, int property);

    // Raised when the movie runs a script command (fscommand), with its command and arguments.
    Event<const std::string&, const std::string&> FSCommand;
    void userFSCommand(const std::string& command, const std::string& args) { FSCommand.raise(command, args); }
    // A click into the movie: the player's window takes the focus, so the control that had it loses it.
    void userClick() override { focusByClick(); }

    // What the control was given, in order ("Movie=...", "SetVariable txtTitle=Clipart", "Play").
    const std::vector<std::string>& calls() const { return m_calls; }
    // The variables set with SetVariable, by name.
    const std::map<std::string, std::string>& variables() const { return m_variables; }
    // The movie's path without its "?" part.
    std::string moviePath() const;

    static constexpr PropertyId kVariableSet = PropertyId::SetVariable;
    static constexpr PropertyId kPlayCalled = PropertyId::Play;

private:
    void record(const std::string& call);
    std::vector<std::string> m_calls;
    std::map<std::string, std::string> m_variables;
};

} // namespace glw::forms
