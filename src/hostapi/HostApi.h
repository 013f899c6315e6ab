// The host programs' object models as the add-ins see them: the add-in connection, command bars with their
// click events, the page editor's pages, selections, elements and webs, and the presentation program's
// windows, slides and OLE objects. Only the members the add-ins call are here.
//
// Rules every host implementation keeps:
//  - A member that fails throws HostError; a lookup that finds nothing returns an empty pointer ("none").
//  - Objects are shared: a pointer stays valid as long as the caller holds it, even after the host removed
//    the object (calls on a removed object then throw).
//  - An event slot lives as long as the object that holds it, and holds one binding. Binding again replaces the old
//  binding (as a variable declared with
//    events does when it is set again), so rebinding a button never makes one click run its handler twice.
//  - Calls come on the host's one user-interface thread.
#pragma once

#include "vb/VbError.h"

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace glw::hostapi {

// A host member that failed.
// A failing call on a host's object is a run-time error of the calling code, as a failing automation call
// is, so continue-on-error steps skip it like any other failing statement.
class HostError : public vb::RuntimeError {
public:
    explicit HostError(const std::string& description) : vb::RuntimeError(vb::ErrAutomation, description) {}
};

// One event with one binding.
template <class... Args> class EventSlot {
public:
    using Handler = std::function<void(Args...)>;
    // Replaces the binding (an empty handler unbinds).
    void bind(Handler handler) { m_handler = std::move(handler); }
    void unbind() { m_handler = nullptr; }
    bool bound() const { return bool(m_handler); }
    // Runs the binding, if any. The host calls this; the handler's exceptions go to the host.
    void fire(Args... args) const {
        if (m_handler) {
            auto handler = m_handler; // a handler may rebind its own slot while it runs
            handler(args...);
        }
    }

private:
    Handler m_handler;
};

// ---- Command bars -------------------------------------------------------------------------------------

enum class ControlType { Button = 1, Popup = 10 };
enum class BarPosition { Left = 0, Top = 1, Right = 2, Bottom = 3, Floating = 4 };
enum class ButtonStyle { IconAndCaption = 3 };

class CommandBarControls;

class CommandBarControl {
public:
    virtual ~CommandBarControl() = default;
    virtual std::string Caption() = 0;
    virtual void setCaption(const std::string& caption) = 0;
    virtual void setVisible(bool visible) = 0;
    virtual void setBeginGroup(bool beginGroup) = 0;
    // Buttons only (others throw).
    virtual void setStyle(ButtonStyle style) = 0;
    virtual void setFaceId(int faceId) = 0;
    // Click (the button, CancelDefault); buttons only.
    virtual EventSlot<CommandBarControl&, bool&>& Click() = 0;
    // The controls of a popup; popups only.
    virtual std::shared_ptr<CommandBarControls> Controls() = 0;
    // Removes the control from its bar or popup.
    virtual void Delete() = 0;
};

// The controls of a bar or a popup, in their order.
class CommandBarControls {
public:
    virtual ~CommandBarControls() = default;
    virtual int Count() = 0;
    // The control at 1-based `index`.
    virtual std::shared_ptr<CommandBarControl> Item(int index) = 0;
    // Adds a control; `before` is a 1-based position, 0 for the end.
    virtual std::shared_ptr<CommandBarControl> Add(ControlType type, int before, bool temporary) = 0;
};

class CommandBar {
public:
    virtual ~CommandBar() = default;
    virtual int Position() = 0;
    virtual void setPosition(int position) = 0;
    virtual void setVisible(bool visible) = 0;
    virtual std::shared_ptr<CommandBarControls> Controls() = 0;
    virtual void Delete() = 0;
};

class CommandBars {
public:
    virtual ~CommandBars() = default;
    // The bar of that name, or none.
    virtual std::shared_ptr<CommandBar> Item(const std::string& name) = 0;
    virtual std::shared_ptr<CommandBar> Add(const std::string& name, BarPosition position, bool menuBar,
                                            bool temporary) = 0;
};

// ---- Both hosts ---------------------------------------------------------------------------------------

class PageEditorApplication;
class PresentationApplication;

class HostApplication {
public:
    virtual ~HostApplication() = default;
    virtual std::shared_ptr<CommandBars> commandBars() = 0;
    // The host's modal message box: style 0 OK, 1 Yes/No/Cancel, 2 Yes/No; returns 6 for Yes or OK, 7 for No,
    // 2 for Cancel.
    virtual int MsgBox(const std::string& message, int style, const std::string& title) = 0;
    // Lets the host's pending window messages run.
    virtual void DoEvents() = 0;
    virtual PageEditorApplication* asPageEditor() { return nullptr; }
    virtual PresentationApplication* asPresentation() { return nullptr; }
};

// What the host knows of a loaded add-in.
class AddInInstance {
public:
    virtual ~AddInInstance() = default;
    virtual std::string ProgId() = 0;
};

// The connection interface every add-in implements. `custom` is the host's extra arguments, unused.
// None of these lets an exception out.
class AddinConnection {
public:
    virtual ~AddinConnection() = default;
    virtual void OnConnection(std::shared_ptr<HostApplication> application, int connectMode,
                              std::shared_ptr<AddInInstance> addInInst, std::vector<std::string>& custom) = 0;
    virtual void OnDisconnection(int removeMode, std::vector<std::string>& custom) = 0;
    virtual void OnAddInsUpdate(std::vector<std::string>& custom) = 0;
    virtual void OnStartupComplete(std::vector<std::string>& custom) = 0;
    virtual void OnBeginShutdown(std::vector<std::string>& custom) = 0;
};

// ---- The page editor ----------------------------------------------------------------------------------

class Element {
public:
    virtual ~Element() = default;
    virtual std::string tagName() = 0;
    virtual std::string outerHTML() = 0;
    virtual std::string id() = 0;
    // The element's place in the document's element order.
    virtual int sourceIndex() = 0;
    // None at the top.
    virtual std::shared_ptr<Element> parentElement() = 0;
};

// A text range of a page: where the hand-back pastes.
class TextRange {
public:
    virtual ~TextRange() = default;
    virtual void pasteHTML(const std::string& html) = 0;
};

class Selection {
public:
    virtual ~Selection() = default;
    virtual std::shared_ptr<TextRange> createRange() = 0;
};

class PageDocument {
public:
    virtual ~PageDocument() = default;
    // The page's address: "file:///..." for a page on disk, "http://..." in a served web, "unsaved:..." for a
    // new page.
    virtual std::string url() = 0;
    virtual std::shared_ptr<Selection> selection() = 0;
    // The element that holds the selection, or none.
    virtual std::shared_ptr<Element> activeElement() = 0;
    // The element at `sourceIndex` in the document's element order, or none.
    virtual std::shared_ptr<Element> elementAt(int sourceIndex) = 0;
    virtual bool hassharedBorders() = 0;
};

class PageWindow {
public:
    virtual ~PageWindow() = default;
    // 1 Normal, 2 HTML, 3 Preview.
    virtual int ViewMode() = 0;
    virtual std::shared_ptr<PageDocument> ActiveDocument() = 0;
};

class WebFolder {
public:
    virtual ~WebFolder() = default;
    // The sub-folder of that name, or none.
    virtual std::shared_ptr<WebFolder> folder(const std::string& name) = 0;
    // Adds a sub-folder; throws when it exists.
    virtual std::shared_ptr<WebFolder> addFolder(const std::string& name) = 0;
    // The names of the folder's files, in the host's order.
    virtual std::vector<std::string> fileNames() = 0;
    // Adds a copy of the host file `sourceHostPath` under its own name.
    virtual void addFile(const std::string& sourceHostPath, bool overwrite) = 0;
};

class Web {
public:
    virtual ~Web() = default;
    virtual std::string Url() = 0;
    virtual std::shared_ptr<WebFolder> RootFolder() = 0;
};

class PageEditorApplication : public HostApplication {
public:
    PageEditorApplication* asPageEditor() override { return this; }
    // None when no page is open.
    virtual std::shared_ptr<PageWindow> ActivePageWindow() = 0;
    virtual std::shared_ptr<PageDocument> ActiveDocument() = 0;
    // None when no web is open.
    virtual std::shared_ptr<Web> ActiveWeb() = 0;
    virtual EventSlot<PageWindow*>& WindowActivate() = 0;
    virtual EventSlot<PageWindow*>& WindowDeactivate() = 0;
};

// ---- The presentation program -------------------------------------------------------------------------

// The Shockwave Flash object inside an OLE shape.
class FlashObject {
public:
    virtual ~FlashObject() = default;
    virtual void setMovie(const std::string& movie) = 0;
    virtual void setEmbedMovie(bool embed) = 0;
    virtual void setWMode(const std::string& mode) = 0;
    virtual void setFlashVars(const std::string& vars) = 0;
    virtual void Play() = 0;
};

class OLEFormat {
public:
    virtual ~OLEFormat() = default;
    virtual void Activate() = 0;
    virtual std::shared_ptr<FlashObject> Object() = 0;
};

class Shape {
public:
    virtual ~Shape() = default;
    virtual void Select() = 0;
    virtual std::shared_ptr<OLEFormat> oleFormat() = 0;
};

struct OleObjectArgs {
    double left = 0;
    double top = 0;
    double width = 0;
    double height = 0;
    std::string className;
    std::string fileName;
    bool link = false;
    bool displayAsIcon = false;
    std::string iconFileName;
    int iconIndex = 0;
    std::string iconLabel;
};

class Shapes {
public:
    virtual ~Shapes() = default;
    virtual std::shared_ptr<Shape> AddOLEObject(const OleObjectArgs& args) = 0;
};

class SlideRange {
public:
    virtual ~SlideRange() = default;
    virtual std::shared_ptr<Shapes> shapes() = 0;
};

class SlideMaster {
public:
    virtual ~SlideMaster() = default;
    virtual std::shared_ptr<Shapes> shapes() = 0;
};

class Presentation {
public:
    virtual ~Presentation() = default;
    virtual std::shared_ptr<SlideMaster> slideMaster() = 0;
};

class PresentationSelection {
public:
    virtual ~PresentationSelection() = default;
    virtual std::shared_ptr<SlideRange> slideRange() = 0;
};

class Pane {
public:
    virtual ~Pane() = default;
    // 2 for the slide master view.
    virtual int ViewType() = 0;
};

class DocumentWindow {
public:
    virtual ~DocumentWindow() = default;
    virtual std::shared_ptr<Pane> ActivePane() = 0;
    virtual std::shared_ptr<Presentation> presentation() = 0;
    virtual std::shared_ptr<PresentationSelection> selection() = 0;
};

class PresentationApplication : public HostApplication {
public:
    PresentationApplication* asPresentation() override { return this; }
    // Throws when no window is open.
    virtual std::shared_ptr<DocumentWindow> ActiveWindow() = 0;
    virtual EventSlot<Presentation*, DocumentWindow*>& WindowActivate() = 0;
};

} // namespace glw::hostapi

// The C entry points of an add-in library (resolved by name with dlsym). The objects cross as C++ objects:
// the host and the add-in are built with the same compiler and this header.
extern "C" {
// A new add-in object, or null when it cannot be made; released with glw_addin_destroy.
typedef glw::hostapi::AddinConnection* (*GlwAddinCreateFn)();
typedef void (*GlwAddinDestroyFn)(glw::hostapi::AddinConnection*);
// The add-in's ProgID and the name it is shown under; static texts that live as long as the library.
typedef void (*GlwAddinInfoFn)(const char** progId, const char** displayName);
}
