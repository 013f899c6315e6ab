// The frame both add-ins share: the connection calls, the menu on the add-in's own command bar, the
// remembered bar position, and the guards that keep every host failure and every exception inside the
// add-in.
#pragma once

#include "AddinServices.h"
#include "hostapi/HostApi.h"

#include <functional>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

namespace glw::addins {

// The add-in's command bar, its popup and the settings store's names for the bar position.
inline constexpr const char* kBarName = "Vorel Media";
inline constexpr const char* kPopupCaption = "Glintwave SE";
inline constexpr const char* kSettingsSection = "System";
std::string settingsAppName(); // "Vorel Media Glintwave"

// A remembered bar position is used only when it is a whole number ("2", "-1"); anything else is ignored.
bool isWholeNumber(const std::string& text);

// A command bar control of `controls` with that caption, or none.
std::shared_ptr<hostapi::CommandBarControl> findControl(hostapi::CommandBarControls& controls,
                                                        const std::string& caption);

class ConnectFrame : public hostapi::AddinConnection {
public:
    struct MenuButton {
        std::string caption;
        int faceId;
        int slot; // 1: m_cbbMenu, 2: m_cbbMenu2
        bool beginGroup;
    };

    // `positionKey`: the settings key of the bar position; `buttons`: in the order they are added.
    ConnectFrame(AddinServices services, std::string positionKey, std::vector<MenuButton> buttons);
    ~ConnectFrame() override;

    void OnConnection(std::shared_ptr<hostapi::HostApplication> application, int connectMode,
                      std::shared_ptr<hostapi::AddInInstance> addInInst, std::vector<std::string>& custom) final;
    void OnDisconnection(int removeMode, std::vector<std::string>& custom) final;
    void OnAddInsUpdate(std::vector<std::string>& custom) final;
    void OnStartupComplete(std::vector<std::string>& custom) final;
    void OnBeginShutdown(std::vector<std::string>& custom) final;

protected:
    // Binds the host's window events of this add-in (through bindHostEvent).
    virtual void hookHostEvents() = 0;
    // Binds a host event and remembers its slot, so that it is unbound at disconnection (or when the add-in
    // goes) without asking the host again: no handler of the add-in stays behind in the host.
    template <class... Args>
    void bindHostEvent(hostapi::EventSlot<Args...>& slot, std::type_identity_t<std::function<void(Args...)>> handler) {
        slot.bind(std::move(handler));
        m_unbinders.push_back([&slot] { slot.unbind(); });
    }
    // What the add-in drops at disconnection besides the frame's state.
    virtual void dropState() {}
    virtual void m_cbbMenu_Click(hostapi::CommandBarControl& ctrl, bool& cancelDefault) = 0;
    virtual void m_cbbMenu2_Click(hostapi::CommandBarControl& ctrl, bool& cancelDefault);

    void AddMenus();
    void RemoveMenus();
    void AddMenuButton(const std::string& caption, int faceId, int slot, bool beginGroup);
    void RemoveMenuButton(const std::string& caption);

    // Runs an entry point or event handler: nothing it throws goes back to the host.
    template <class F> void entry(const char* where, F&& body) noexcept {
        try {
            body();
        } catch (const std::exception& e) {
            note(where, e.what());
        } catch (...) {
            note(where, "unknown exception");
        }
    }
    // A step of a handler that continues past a failing host call.
    vb::ResumeNext steps(const char* where) const { return vb::ResumeNext(m_services.log, where); }
    // The host's message box; 0 when it fails.
    int MsgBoxEx(const std::string& message, int style, const std::string& title);
    void pumpMessages();

    AddinServices m_services;
    std::shared_ptr<hostapi::HostApplication> FPApplic;

private:
    void note(const char* where, const std::string& what) noexcept;
    void bindSlot(int slot, const std::shared_ptr<hostapi::CommandBarControl>& button);
    void unbindSlots();
    void unbindHostEvents() noexcept;
    void saveBarPosition(hostapi::CommandBar& bar);

    std::string m_positionKey;
    std::vector<MenuButton> m_buttons;
    std::shared_ptr<hostapi::AddInInstance> m_addInInst;
    // A button held with its click event, and the slot it was bound through.
    struct BoundButton {
        std::shared_ptr<hostapi::CommandBarControl> button;
        hostapi::EventSlot<hostapi::CommandBarControl&, bool&>* click = nullptr;
    };
    BoundButton m_cbbMenu;
    BoundButton m_cbbMenu2;
    std::vector<std::function<void()>> m_unbinders;
};

// A pointer the next call needs: none is a failure of the host call that gave it.
template <class T> T& must(const std::shared_ptr<T>& object) {
    if (!object) {
        throw hostapi::HostError("Object variable or With block variable not set");
    }
    return *object;
}

} // namespace glw::addins
