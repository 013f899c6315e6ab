// A host of our own for the add-ins: it loads a real add-in library, keeps command bars in memory, holds
// page documents with element trees, web folders backed by a real folder, and presentation windows that log
// the OLE objects added to them. Any member can be made to fail, and every member called is recorded, so a
// test can run a scenario again with a failure at each one.
#pragma once

#include "hostapi/HostApi.h"

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace glw::fakehost {

using namespace glw::hostapi;

// What the host's members share: the failures to inject and the members called.
class HostState {
public:
    // Throws HostError when `member` is set to fail; records the call either way.
    void check(const std::string& member);
    void failAt(const std::string& member) { m_failing.insert(member); }
    void clearFailures() { m_failing.clear(); }
    // Every member name called so far (each once), in name order.
    const std::set<std::string>& called() const { return m_called; }
    int failuresRaised() const { return m_raised; }

private:
    std::set<std::string> m_failing;
    std::set<std::string> m_called;
    int m_raised = 0;
};

// ---- Command bars -------------------------------------------------------------------------------------

class FakeControls;

class FakeControl : public CommandBarControl, public std::enable_shared_from_this<FakeControl> {
public:
    FakeControl(HostState& state, ControlType type, std::weak_ptr<FakeControls> parent);
    std::string Caption() override;
    void setCaption(const std::string& caption) override;
    void setVisible(bool visible) override;
    void setBeginGroup(bool beginGroup) override;
    void setStyle(ButtonStyle style) override;
    void setFaceId(int faceId) override;
    EventSlot<CommandBarControl&, bool&>& Click() override;
    std::shared_ptr<CommandBarControls> Controls() override;
    void Delete() override;

    ControlType type;
    std::string caption;
    bool visible = false;
    bool beginGroup = false;
    int style = 0;
    int faceId = 0;
    bool deleted = false;
    EventSlot<CommandBarControl&, bool&> click;
    std::shared_ptr<FakeControls> children; // popups only

private:
    HostState& m_state;
    std::weak_ptr<FakeControls> m_parent;
};

class FakeControls : public CommandBarControls, public std::enable_shared_from_this<FakeControls> {
public:
    explicit FakeControls(HostState& state) : m_state(state) {}
    int Count() override;
    std::shared_ptr<CommandBarControl> Item(int index) override;
    std::shared_ptr<CommandBarControl> Add(ControlType type, int before, bool temporary) override;

    std::vector<std::shared_ptr<FakeControl>> items;

private:
    HostState& m_state;
};

class FakeBars;

class FakeBar : public CommandBar {
public:
    FakeBar(HostState& state, std::string name, FakeBars& owner);
    int Position() override;
    void setPosition(int position) override;
    void setVisible(bool visible) override;
    std::shared_ptr<CommandBarControls> Controls() override;
    void Delete() override;

    std::string name;
    int position = 4;
    bool visible = false;
    bool deleted = false;
    std::shared_ptr<FakeControls> controls;

private:
    HostState& m_state;
    FakeBars& m_owner;
};

class FakeBars : public CommandBars {
public:
    explicit FakeBars(HostState& state) : m_state(state) {}
    std::shared_ptr<CommandBar> Item(const std::string& name) override;
    std::shared_ptr<CommandBar> Add(const std::string& name, BarPosition position, bool menuBar,
                                    bool temporary) override;

    // Test side: the bar, none when missing.
    std::shared_ptr<FakeBar> bar(const std::string& name) const;
    // The button with that caption in any bar or popup, none when missing.
    std::shared_ptr<FakeControl> findButton(const std::string& caption) const;
    std::vector<std::shared_ptr<FakeBar>> bars;

private:
    HostState& m_state;
};

// A message the add-in showed through the host.
struct ShownMessage {
    std::string text;
    int style = 0;
    std::string title;
};

// What both fake hosts share: the bars, the message log and the event pump.
class HostCore {
public:
    HostCore() : bars(std::make_shared<FakeBars>(state)) {}
    HostState state;
    std::shared_ptr<FakeBars> bars;
    std::vector<ShownMessage> messages;
    int messageAnswer = 6;
    int pumped = 0;
    int escaped = 0; // exceptions that came back out of the add-in's entry points and events
};

// ---- The page editor ----------------------------------------------------------------------------------

class FakeDocument;

class FakeElement : public Element {
public:
    FakeElement(HostState& state, std::string tag, std::string html, std::string id, int index)
        : tag(std::move(tag)), html(std::move(html)), idText(std::move(id)), index(index), m_state(state) {}
    std::string tagName() override;
    std::string outerHTML() override;
    std::string id() override;
    int sourceIndex() override;
    std::shared_ptr<Element> parentElement() override;

    std::string tag, html, idText;
    int index;
    std::weak_ptr<FakeElement> parent;

private:
    HostState& m_state;
};

class FakeTextRange : public TextRange {
public:
    FakeTextRange(HostState& state, std::weak_ptr<FakeDocument> document, int elementIndex)
        : m_state(state), m_document(std::move(document)), m_elementIndex(elementIndex) {}
    void pasteHTML(const std::string& html) override;

private:
    HostState& m_state;
    std::weak_ptr<FakeDocument> m_document;
    int m_elementIndex;
};

class FakeSelection : public Selection {
public:
    FakeSelection(HostState& state, std::weak_ptr<FakeDocument> document)
        : m_state(state), m_document(std::move(document)) {}
    std::shared_ptr<TextRange> createRange() override;

private:
    HostState& m_state;
    std::weak_ptr<FakeDocument> m_document;
};

// A text pasted into a page, and the element that held the selection when the range was made.
struct Paste {
    std::string html;
    int elementIndex = -1;
};

class FakeDocument : public PageDocument, public std::enable_shared_from_this<FakeDocument> {
public:
    FakeDocument(HostState& state, std::string url) : address(std::move(url)), m_state(state) {}
    std::string url() override;
    std::shared_ptr<Selection> selection() override;
    std::shared_ptr<Element> activeElement() override;
    std::shared_ptr<Element> elementAt(int sourceIndex) override;
    bool hassharedBorders() override;

    // Test side: adds an element under `parent` (-1 for none) and returns its source index.
    int addElement(const std::string& tag, const std::string& html, const std::string& id = {}, int parent = -1);

    std::string address;
    std::vector<std::shared_ptr<FakeElement>> elements;
    int active = -1;
    bool sharedBorders = false;
    std::vector<Paste> pasted;

private:
    HostState& m_state;
};

class FakePageWindow : public PageWindow {
public:
    FakePageWindow(HostState& state, std::shared_ptr<FakeDocument> document)
        : document(std::move(document)), m_state(state) {}
    int ViewMode() override;
    std::shared_ptr<PageDocument> ActiveDocument() override;

    std::shared_ptr<FakeDocument> document;
    int viewMode = 1;

private:
    HostState& m_state;
};

// A folder of a web, backed by a folder on disk.
class FakeWebFolder : public WebFolder {
public:
    FakeWebFolder(HostState& state, std::string hostPath) : path(std::move(hostPath)), m_state(state) {}
    std::shared_ptr<WebFolder> folder(const std::string& name) override;
    std::shared_ptr<WebFolder> addFolder(const std::string& name) override;
    std::vector<std::string> fileNames() override;
    void addFile(const std::string& sourceHostPath, bool overwrite) override;

    std::string path;

private:
    HostState& m_state;
};

class FakeWeb : public Web {
public:
    FakeWeb(HostState& state, std::string url, std::string rootPath)
        : url(std::move(url)), root(std::make_shared<FakeWebFolder>(state, std::move(rootPath))), m_state(state) {}
    std::string Url() override;
    std::shared_ptr<WebFolder> RootFolder() override;

    std::string url;
    std::shared_ptr<FakeWebFolder> root;

private:
    HostState& m_state;
};

class FakePageEditor : public PageEditorApplication {
public:
    std::shared_ptr<CommandBars> commandBars() override;
    int MsgBox(const std::string& message, int style, const std::string& title) override;
    void DoEvents() override;
    std::shared_ptr<PageWindow> ActivePageWindow() override;
    std::shared_ptr<PageDocument> ActiveDocument() override;
    std::shared_ptr<Web> ActiveWeb() override;
    EventSlot<PageWindow*>& WindowActivate() override;
    EventSlot<PageWindow*>& WindowDeactivate() override;

    // Test side.
    std::shared_ptr<FakeDocument> openPage(const std::string& url); // becomes the active window
    void openWeb(const std::string& url, const std::string& rootHostPath);
    void closePages() { window.reset(); }
    void activate();                        // fires the window-activate event
    bool click(const std::string& caption); // clicks the button, false when there is none

    HostCore core;
    std::shared_ptr<FakePageWindow> window;
    std::shared_ptr<FakeWeb> web;
    EventSlot<PageWindow*> windowActivate;
    EventSlot<PageWindow*> windowDeactivate;
};

// ---- The presentation program -------------------------------------------------------------------------

class FakeFlash : public FlashObject {
public:
    explicit FakeFlash(HostState& state) : m_state(state) {}
    void setMovie(const std::string& movie) override;
    void setEmbedMovie(bool embed) override;
    void setWMode(const std::string& mode) override;
    void setFlashVars(const std::string& vars) override;
    void Play() override;

    std::string movie, wmode, flashVars;
    bool embedMovie = false;
    bool playing = false;

private:
    HostState& m_state;
};

class FakeOleFormat : public OLEFormat {
public:
    explicit FakeOleFormat(HostState& state) : flash(std::make_shared<FakeFlash>(state)), m_state(state) {}
    void Activate() override;
    std::shared_ptr<FlashObject> Object() override;

    std::shared_ptr<FakeFlash> flash;
    bool activated = false;

private:
    HostState& m_state;
};

class FakeShape : public Shape {
public:
    FakeShape(HostState& state, OleObjectArgs args)
        : args(std::move(args)), format(std::make_shared<FakeOleFormat>(state)), m_state(state) {}
    void Select() override;
    std::shared_ptr<OLEFormat> oleFormat() override;

    OleObjectArgs args;
    std::shared_ptr<FakeOleFormat> format;
    bool selected = false;

private:
    HostState& m_state;
};

// An OLE object added to a slide or the master.
struct AddedObject {
    std::string where; // "slide" or "master"
    std::shared_ptr<FakeShape> shape;
};

class FakeShapes : public Shapes {
public:
    FakeShapes(HostState& state, std::string where, std::vector<AddedObject>& log)
        : m_state(state), m_where(std::move(where)), m_log(log) {}
    std::shared_ptr<Shape> AddOLEObject(const OleObjectArgs& args) override;

private:
    HostState& m_state;
    std::string m_where;
    std::vector<AddedObject>& m_log;
};

class FakeSlideMaster : public SlideMaster {
public:
    FakeSlideMaster(HostState& state, std::shared_ptr<FakeShapes> shapes)
        : m_state(state), m_shapes(std::move(shapes)) {}
    std::shared_ptr<Shapes> shapes() override;

private:
    HostState& m_state;
    std::shared_ptr<FakeShapes> m_shapes;
};

class FakePresentation : public hostapi::Presentation {
public:
    FakePresentation(HostState& state, std::shared_ptr<FakeShapes> master)
        : m_state(state), m_master(std::make_shared<FakeSlideMaster>(state, std::move(master))) {}
    std::shared_ptr<SlideMaster> slideMaster() override;

private:
    HostState& m_state;
    std::shared_ptr<FakeSlideMaster> m_master;
};

class FakeSlideRange : public SlideRange {
public:
    FakeSlideRange(HostState& state, std::shared_ptr<FakeShapes> shapes)
        : m_state(state), m_shapes(std::move(shapes)) {}
    std::shared_ptr<Shapes> shapes() override;

private:
    HostState& m_state;
    std::shared_ptr<FakeShapes> m_shapes;
};

class FakePresentationWindow;

class FakePresentationSelection : public PresentationSelection {
public:
    FakePresentationSelection(HostState& state, FakePresentationWindow& window) : m_state(state), m_window(window) {}
    std::shared_ptr<SlideRange> slideRange() override;

private:
    HostState& m_state;
    FakePresentationWindow& m_window;
};

class FakePane : public Pane {
public:
    FakePane(HostState& state, FakePresentationWindow& window) : m_state(state), m_window(window) {}
    int ViewType() override;

private:
    HostState& m_state;
    FakePresentationWindow& m_window;
};

class FakePresentationWindow : public DocumentWindow {
public:
    FakePresentationWindow(HostState& state, std::vector<AddedObject>& log);
    std::shared_ptr<Pane> ActivePane() override;
    std::shared_ptr<hostapi::Presentation> presentation() override;
    std::shared_ptr<PresentationSelection> selection() override;

    int viewType = 9;          // 9 normal view, 2 slide master view
    bool slideSelected = true; // false: the selection has no slide range
    std::shared_ptr<FakeShapes> slideShapes, masterShapes;

private:
    HostState& m_state;
    std::shared_ptr<FakePane> m_pane;
    std::shared_ptr<FakePresentation> m_presentation;
    std::shared_ptr<FakePresentationSelection> m_selection;
};

class FakePresentationProgram : public PresentationApplication {
public:
    std::shared_ptr<CommandBars> commandBars() override;
    int MsgBox(const std::string& message, int style, const std::string& title) override;
    void DoEvents() override;
    std::shared_ptr<DocumentWindow> ActiveWindow() override;
    EventSlot<hostapi::Presentation*, DocumentWindow*>& WindowActivate() override;

    // Test side.
    std::shared_ptr<FakePresentationWindow> openWindow();
    void activate();
    bool click(const std::string& caption);

    HostCore core;
    std::vector<AddedObject> added;
    std::shared_ptr<FakePresentationWindow> window;
    EventSlot<hostapi::Presentation*, DocumentWindow*> windowActivate;
};

// ---- Loading an add-in --------------------------------------------------------------------------------

class FakeAddInInstance : public AddInInstance {
public:
    explicit FakeAddInInstance(std::string progId) : m_progId(std::move(progId)) {}
    std::string ProgId() override { return m_progId; }

private:
    std::string m_progId;
};

// One add-in library, loaded with dlopen, and the add-in object it made.
class LoadedAddin {
public:
    // Loads the library; error() says why when it fails.
    explicit LoadedAddin(const std::string& libraryPath);
    ~LoadedAddin();
    LoadedAddin(const LoadedAddin&) = delete;
    LoadedAddin& operator=(const LoadedAddin&) = delete;

    bool loaded() const { return m_addin != nullptr; }
    const std::string& error() const { return m_error; }
    const std::string& progId() const { return m_progId; }
    const std::string& displayName() const { return m_displayName; }

    // The connection calls; an exception that comes out of the add-in is counted in `core.escaped`.
    void connect(std::shared_ptr<HostApplication> application, HostCore& core);
    void disconnect(HostCore& core);

private:
    void* m_library = nullptr;
    GlwAddinDestroyFn m_destroy = nullptr;
    AddinConnection* m_addin = nullptr;
    std::string m_error, m_progId, m_displayName;
};

} // namespace glw::fakehost
