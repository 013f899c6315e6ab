// Connection, menu building and removal, and the remembered bar position.
#include "ConnectFrame.h"

#include <charconv>
#include <utility>

namespace glw::addins {

std::string settingsAppName() {
    return std::string("Vorel Media ") + "Glintwave";
}

bool isWholeNumber(const std::string& text) {
    int value = 0;
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return !text.empty() && ec == std::errc() && ptr == end;
}

std::shared_ptr<hostapi::CommandBarControl> findControl(hostapi::CommandBarControls& controls,
                                                        const std::string& caption) {
    const int count = controls.Count();
    for (int i = 1; i <= count; ++i) {
        auto control = controls.Item(i);
        if (control && control->Caption() == caption) {
            return control;
        }
    }
    return nullptr;
}

ConnectFrame::ConnectFrame(AddinServices services, std::string positionKey, std::vector<MenuButton> buttons)
    : m_services(std::move(services)), m_positionKey(std::move(positionKey)), m_buttons(std::move(buttons)) {}

ConnectFrame::~ConnectFrame() {
    // A host that destroys the add-in without disconnecting it must not keep handlers that point here.
    entry("Connect.Terminate", [&] { unbindSlots(); });
    unbindHostEvents();
}

void ConnectFrame::note(const char* where, const std::string& what) noexcept {
    try {
        if (m_services.log) {
            m_services.log(where, vb::ErrInvalidCall, what);
        }
    } catch (...) {
    }
}

void ConnectFrame::OnConnection(std::shared_ptr<hostapi::HostApplication> application, int /*connectMode*/,
                                std::shared_ptr<hostapi::AddInInstance> addInInst,
                                std::vector<std::string>& /*custom*/) {
    entry("IDTExtensibility2_OnConnection", [&] {
        unbindHostEvents();
        FPApplic = std::move(application);
        m_addInInst = std::move(addInInst);
        auto step = steps("IDTExtensibility2_OnConnection");
        step([&] { hookHostEvents(); });
        AddMenus();
    });
}

void ConnectFrame::OnDisconnection(int /*removeMode*/, std::vector<std::string>& /*custom*/) {
    entry("IDTExtensibility2_OnDisconnection", [&] {
        auto step = steps("IDTExtensibility2_OnDisconnection");
        std::shared_ptr<hostapi::CommandBars> bars;
        step([&] { bars = must(FPApplic).commandBars(); });
        std::shared_ptr<hostapi::CommandBar> bar;
        step([&] { bar = must(bars).Item(kBarName); });
        if (bar) {
            step([&] { saveBarPosition(*bar); });
        }
        RemoveMenus();
        // RemoveMenuButton deletes an empty bar already; look again rather than delete a removed bar twice.
        step([&] { bar = must(bars).Item(kBarName); });
        if (bar) {
            step([&] {
                if (must(bar->Controls()).Count() == 0) {
                    bar->Delete();
                }
            });
        }
        unbindSlots();
        unbindHostEvents();
        step([&] { dropState(); });
        FPApplic.reset();
        m_addInInst.reset();
    });
}

void ConnectFrame::OnAddInsUpdate(std::vector<std::string>& /*custom*/) {}
void ConnectFrame::OnStartupComplete(std::vector<std::string>& /*custom*/) {}
void ConnectFrame::OnBeginShutdown(std::vector<std::string>& /*custom*/) {}

void ConnectFrame::m_cbbMenu2_Click(hostapi::CommandBarControl& /*ctrl*/, bool& /*cancelDefault*/) {}

void ConnectFrame::AddMenus() {
    for (const auto& button : m_buttons) {
        AddMenuButton(button.caption, button.faceId, button.slot, button.beginGroup);
    }
}

void ConnectFrame::RemoveMenus() {
    for (const auto& button : m_buttons) {
        RemoveMenuButton(button.caption);
    }
}

void ConnectFrame::AddMenuButton(const std::string& caption, int faceId, int slot, bool beginGroup) {
    auto step = steps("AddMenuButton");
    std::shared_ptr<hostapi::CommandBars> bars;
    step([&] { bars = must(FPApplic).commandBars(); });
    std::shared_ptr<hostapi::CommandBar> bar;
    step([&] { bar = must(bars).Item(kBarName); });
    if (bar) {
        std::string position;
        step([&] {
            position = m_services.settings->getSetting(settingsAppName(), kSettingsSection, m_positionKey, "");
        });
        if (isWholeNumber(position)) {
            step([&] { bar->setPosition(std::stoi(position)); });
        }
    } else {
        // A bar made now keeps the host's place; the next call applies the remembered position.
        step([&] { bar = must(bars).Add(kBarName, hostapi::BarPosition::Floating, false, true); });
        step([&] { must(bar).setVisible(true); });
    }

    std::shared_ptr<hostapi::CommandBarControl> popup;
    step([&] { popup = findControl(must(must(bar).Controls()), kPopupCaption); });
    if (!popup) {
        step([&] { popup = must(must(bar).Controls()).Add(hostapi::ControlType::Popup, 0, false); });
        step([&] { must(popup).setCaption(kPopupCaption); });
        step([&] { must(popup).setVisible(true); });
    }

    std::shared_ptr<hostapi::CommandBarControl> button;
    step([&] { button = findControl(must(must(popup).Controls()), caption); });
    if (!button) {
        step([&] { button = must(must(popup).Controls()).Add(hostapi::ControlType::Button, 1, false); });
        step([&] { must(button).setBeginGroup(beginGroup); });
        step([&] { must(button).setStyle(hostapi::ButtonStyle::IconAndCaption); });
        step([&] { must(button).setCaption(caption); });
        step([&] { must(button).setVisible(true); });
        step([&] { must(button).setFaceId(faceId); });
    }
    if (button) {
        step([&] { bindSlot(slot, button); });
    }
}

void ConnectFrame::RemoveMenuButton(const std::string& caption) {
    auto step = steps("RemoveMenuButton");
    std::shared_ptr<hostapi::CommandBar> bar;
    step([&] { bar = must(must(FPApplic).commandBars()).Item(kBarName); });
    if (!bar) {
        return;
    }
    std::shared_ptr<hostapi::CommandBarControl> popup;
    step([&] { popup = findControl(must(bar->Controls()), kPopupCaption); });
    if (popup) {
        step([&] {
            if (auto control = findControl(must(popup->Controls()), caption)) {
                control->Delete();
            }
        });
        step([&] {
            if (must(popup->Controls()).Count() == 0) {
                popup->Delete();
            }
        });
    }
    step([&] { saveBarPosition(*bar); });
    step([&] {
        if (must(bar->Controls()).Count() == 0) {
            bar->Delete();
        }
    });
}

void ConnectFrame::saveBarPosition(hostapi::CommandBar& bar) {
    const int position = bar.Position();
    m_services.settings->saveSetting(settingsAppName(), kSettingsSection, m_positionKey, std::to_string(position));
}

void ConnectFrame::bindSlot(int slot, const std::shared_ptr<hostapi::CommandBarControl>& button) {
    auto& held = slot == 2 ? m_cbbMenu2 : m_cbbMenu;
    auto& click = button->Click();
    if (held.button && held.click != &click) {
        // The variable moves to another button: the old one no longer reaches this add-in.
        auto old = std::exchange(held, BoundButton{});
        old.click->unbind();
    }
    if (slot == 2) {
        click.bind([this](hostapi::CommandBarControl& ctrl, bool& cancelDefault) {
            entry("m_cbbMenu2_Click", [&] { m_cbbMenu2_Click(ctrl, cancelDefault); });
        });
    } else {
        click.bind([this](hostapi::CommandBarControl& ctrl, bool& cancelDefault) {
            entry("m_cbbMenu_Click", [&] { m_cbbMenu_Click(ctrl, cancelDefault); });
        });
    }
    held = BoundButton{button, &click};
}

void ConnectFrame::unbindSlots() {
    for (auto* held : {&m_cbbMenu, &m_cbbMenu2}) {
        auto old = std::exchange(*held, BoundButton{});
        if (old.click) {
            old.click->unbind();
        }
    }
}

void ConnectFrame::unbindHostEvents() noexcept {
    auto unbinders = std::exchange(m_unbinders, {});
    for (auto& unbind : unbinders) {
        unbind();
    }
}

int ConnectFrame::MsgBoxEx(const std::string& message, int style, const std::string& title) {
    int answer = 0;
    auto step = steps("MsgBoxEx");
    step([&] { answer = must(FPApplic).MsgBox(message, style, title); });
    return answer;
}

void ConnectFrame::pumpMessages() {
    auto step = steps("DoEvents");
    step([&] { must(FPApplic).DoEvents(); });
}

} // namespace glw::addins
