// The fake host's object models and its loading of add-in libraries.
#include "FakeHost.h"

#include <algorithm>
#include <dlfcn.h>
#include <filesystem>

namespace glw::fakehost {

namespace fs = std::filesystem;

void HostState::check(const std::string& member) {
    m_called.insert(member);
    if (m_failing.count(member)) {
        ++m_raised;
        throw HostError(member + " failed");
    }
}

// ---- Command bars -------------------------------------------------------------------------------------

FakeControl::FakeControl(HostState& state, ControlType type, std::weak_ptr<FakeControls> parent)
    : type(type), m_state(state), m_parent(std::move(parent)) {
    if (type == ControlType::Popup) {
        children = std::make_shared<FakeControls>(state);
    }
}

std::string FakeControl::Caption() {
    m_state.check("CommandBarControl.Caption");
    if (deleted) {
        throw HostError("the control was deleted");
    }
    return caption;
}

void FakeControl::setCaption(const std::string& text) {
    m_state.check("CommandBarControl.setCaption");
    caption = text;
}

void FakeControl::setVisible(bool value) {
    m_state.check("CommandBarControl.setVisible");
    visible = value;
}

void FakeControl::setBeginGroup(bool value) {
    m_state.check("CommandBarControl.setBeginGroup");
    beginGroup = value;
}

void FakeControl::setStyle(ButtonStyle value) {
    m_state.check("CommandBarControl.setStyle");
    if (type != ControlType::Button) {
        throw HostError("not a button");
    }
    style = int(value);
}

void FakeControl::setFaceId(int value) {
    m_state.check("CommandBarControl.setFaceId");
    if (type != ControlType::Button) {
        throw HostError("not a button");
    }
    faceId = value;
}

EventSlot<CommandBarControl&, bool&>& FakeControl::Click() {
    m_state.check("CommandBarControl.Click");
    if (type != ControlType::Button) {
        throw HostError("not a button");
    }
    return click;
}

std::shared_ptr<CommandBarControls> FakeControl::Controls() {
    m_state.check("CommandBarControl.Controls");
    if (!children) {
        throw HostError("not a popup");
    }
    return children;
}

void FakeControl::Delete() {
    m_state.check("CommandBarControl.Delete");
    auto parent = m_parent.lock();
    if (deleted || !parent) {
        throw HostError("the control was deleted");
    }
    auto& items = parent->items;
    items.erase(std::remove(items.begin(), items.end(), shared_from_this()), items.end());
    deleted = true;
}

int FakeControls::Count() {
    m_state.check("CommandBarControls.Count");
    return int(items.size());
}

std::shared_ptr<CommandBarControl> FakeControls::Item(int index) {
    m_state.check("CommandBarControls.Item");
    if (index < 1 || index > int(items.size())) {
        throw HostError("no control at that index");
    }
    return items[size_t(index - 1)];
}

std::shared_ptr<CommandBarControl> FakeControls::Add(ControlType type, int before, bool /*temporary*/) {
    m_state.check("CommandBarControls.Add");
    auto control = std::make_shared<FakeControl>(m_state, type, weak_from_this());
    if (before >= 1 && before <= int(items.size())) {
        items.insert(items.begin() + (before - 1), control);
    } else {
        items.push_back(control);
    }
    return control;
}

FakeBar::FakeBar(HostState& state, std::string barName, FakeBars& owner)
    : name(std::move(barName)), controls(std::make_shared<FakeControls>(state)), m_state(state), m_owner(owner) {}

int FakeBar::Position() {
    m_state.check("CommandBar.Position");
    return position;
}

void FakeBar::setPosition(int value) {
    m_state.check("CommandBar.setPosition");
    if (value < 0 || value > 6) {
        throw HostError("no such bar position");
    }
    position = value;
}

void FakeBar::setVisible(bool value) {
    m_state.check("CommandBar.setVisible");
    visible = value;
}

std::shared_ptr<CommandBarControls> FakeBar::Controls() {
    m_state.check("CommandBar.Controls");
    return controls;
}

void FakeBar::Delete() {
    m_state.check("CommandBar.Delete");
    if (deleted) {
        throw HostError("the bar was deleted");
    }
    auto& bars = m_owner.bars;
    bars.erase(std::remove_if(bars.begin(), bars.end(), [&](const auto& bar) { return bar.get() == this; }),
               bars.end());
    deleted = true;
}

std::shared_ptr<CommandBar> FakeBars::Item(const std::string& name) {
    m_state.check("CommandBars.Item");
    return bar(name);
}

std::shared_ptr<CommandBar> FakeBars::Add(const std::string& name, BarPosition position, bool /*menuBar*/,
                                          bool /*temporary*/) {
    m_state.check("CommandBars.Add");
    if (bar(name)) {
        throw HostError("a bar of that name exists");
    }
    auto added = std::make_shared<FakeBar>(m_state, name, *this);
    added->position = int(position);
    bars.push_back(added);
    return added;
}

std::shared_ptr<FakeBar> FakeBars::bar(const std::string& name) const {
    for (const auto& b : bars) {
        if (b->name == name) {
            return b;
        }
    }
    return nullptr;
}

namespace {

std::shared_ptr<FakeControl> findIn(const FakeControls& controls, const std::string& caption) {
    for (const auto& control : controls.items) {
        if (control->type == ControlType::Button && control->caption == caption) {
            return control;
        }
        if (control->children) {
            if (auto found = findIn(*control->children, caption)) {
                return found;
            }
        }
    }
    return nullptr;
}

template <class F> void guardedCall(HostCore& core, F&& call) {
    try {
        call();
    } catch (...) {
        ++core.escaped;
    }
}

bool clickButton(HostCore& core, const std::string& caption) {
    auto button = core.bars->findButton(caption);
    if (!button) {
        return false;
    }
    bool cancelDefault = false;
    guardedCall(core, [&] { button->click.fire(*button, cancelDefault); });
    return true;
}

} // namespace

std::shared_ptr<FakeControl> FakeBars::findButton(const std::string& caption) const {
    for (const auto& b : bars) {
        if (auto found = findIn(*b->controls, caption)) {
            return found;
        }
    }
    return nullptr;
}

// ---- The page editor ----------------------------------------------------------------------------------

std::string FakeElement::tagName() {
    m_state.check("Element.tagName");
    return tag;
}

std::string FakeElement::outerHTML() {
    m_state.check("Element.outerHTML");
    return html;
}

std::string FakeElement::id() {
    m_state.check("Element.id");
    return idText;
}

int FakeElement::sourceIndex() {
    m_state.check("Element.sourceIndex");
    return index;
}

std::shared_ptr<Element> FakeElement::parentElement() {
    m_state.check("Element.parentElement");
    return parent.lock();
}

void FakeTextRange::pasteHTML(const std::string& html) {
    m_state.check("TextRange.pasteHTML");
    auto document = m_document.lock();
    if (!document) {
        throw HostError("the page was closed");
    }
    document->pasted.push_back({html, m_elementIndex});
}

std::shared_ptr<TextRange> FakeSelection::createRange() {
    m_state.check("Selection.createRange");
    auto document = m_document.lock();
    if (!document) {
        throw HostError("the page was closed");
    }
    return std::make_shared<FakeTextRange>(m_state, m_document, document->active);
}

std::string FakeDocument::url() {
    m_state.check("PageDocument.url");
    return address;
}

std::shared_ptr<Selection> FakeDocument::selection() {
    m_state.check("PageDocument.selection");
    return std::make_shared<FakeSelection>(m_state, weak_from_this());
}

std::shared_ptr<Element> FakeDocument::activeElement() {
    m_state.check("PageDocument.activeElement");
    return active >= 0 && active < int(elements.size()) ? elements[size_t(active)] : nullptr;
}

std::shared_ptr<Element> FakeDocument::elementAt(int sourceIndex) {
    m_state.check("PageDocument.elementAt");
    return sourceIndex >= 0 && sourceIndex < int(elements.size()) ? elements[size_t(sourceIndex)] : nullptr;
}

bool FakeDocument::hassharedBorders() {
    m_state.check("PageDocument.hassharedBorders");
    return sharedBorders;
}

int FakeDocument::addElement(const std::string& tag, const std::string& html, const std::string& id, int parent) {
    const int index = int(elements.size());
    auto element = std::make_shared<FakeElement>(m_state, tag, html, id, index);
    if (parent >= 0 && parent < index) {
        element->parent = elements[size_t(parent)];
    }
    elements.push_back(element);
    return index;
}

int FakePageWindow::ViewMode() {
    m_state.check("PageWindow.ViewMode");
    return viewMode;
}

std::shared_ptr<PageDocument> FakePageWindow::ActiveDocument() {
    m_state.check("PageWindow.ActiveDocument");
    return document;
}

std::shared_ptr<WebFolder> FakeWebFolder::folder(const std::string& name) {
    m_state.check("WebFolder.folder");
    const fs::path sub = fs::path(path) / name;
    std::error_code ec;
    if (name.empty() || name.find('/') != std::string::npos || !fs::is_directory(sub, ec)) {
        return nullptr;
    }
    return std::make_shared<FakeWebFolder>(m_state, sub.string());
}

std::shared_ptr<WebFolder> FakeWebFolder::addFolder(const std::string& name) {
    m_state.check("WebFolder.addFolder");
    if (name.empty() || name.find('/') != std::string::npos || name == "..") {
        throw HostError("not a folder name");
    }
    const fs::path sub = fs::path(path) / name;
    std::error_code ec;
    if (!fs::create_directory(sub, ec)) {
        throw HostError("the folder exists or cannot be made");
    }
    return std::make_shared<FakeWebFolder>(m_state, sub.string());
}

std::vector<std::string> FakeWebFolder::fileNames() {
    m_state.check("WebFolder.fileNames");
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(path, ec)) {
        if (entry.is_regular_file()) {
            names.push_back(entry.path().filename().string());
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

void FakeWebFolder::addFile(const std::string& sourceHostPath, bool overwrite) {
    m_state.check("WebFolder.addFile");
    std::error_code ec;
    fs::copy_file(sourceHostPath, fs::path(path) / fs::path(sourceHostPath).filename(),
                  overwrite ? fs::copy_options::overwrite_existing : fs::copy_options::none, ec);
    if (ec) {
        throw HostError(ec.message());
    }
}

std::string FakeWeb::Url() {
    m_state.check("Web.Url");
    return url;
}

std::shared_ptr<WebFolder> FakeWeb::RootFolder() {
    m_state.check("Web.RootFolder");
    return root;
}

std::shared_ptr<CommandBars> FakePageEditor::commandBars() {
    core.state.check("Application.CommandBars");
    return core.bars;
}

int FakePageEditor::MsgBox(const std::string& message, int style, const std::string& title) {
    core.state.check("Application.MsgBox");
    core.messages.push_back({message, style, title});
    return core.messageAnswer;
}

void FakePageEditor::DoEvents() {
    core.state.check("Application.DoEvents");
    ++core.pumped;
}

std::shared_ptr<PageWindow> FakePageEditor::ActivePageWindow() {
    core.state.check("Application.ActivePageWindow");
    return window;
}

std::shared_ptr<PageDocument> FakePageEditor::ActiveDocument() {
    core.state.check("Application.ActiveDocument");
    if (!window) {
        throw HostError("no page is open");
    }
    return window->document;
}

std::shared_ptr<Web> FakePageEditor::ActiveWeb() {
    core.state.check("Application.ActiveWeb");
    return web;
}

EventSlot<PageWindow*>& FakePageEditor::WindowActivate() {
    core.state.check("Application.WindowActivate");
    return windowActivate;
}

EventSlot<PageWindow*>& FakePageEditor::WindowDeactivate() {
    core.state.check("Application.WindowDeactivate");
    return windowDeactivate;
}

std::shared_ptr<FakeDocument> FakePageEditor::openPage(const std::string& url) {
    auto document = std::make_shared<FakeDocument>(core.state, url);
    window = std::make_shared<FakePageWindow>(core.state, document);
    return document;
}

void FakePageEditor::openWeb(const std::string& url, const std::string& rootHostPath) {
    web = std::make_shared<FakeWeb>(core.state, url, rootHostPath);
}

void FakePageEditor::activate() {
    guardedCall(core, [&] { windowActivate.fire(window.get()); });
}

bool FakePageEditor::click(const std::string& caption) {
    return clickButton(core, caption);
}

// ---- The presentation program -------------------------------------------------------------------------

void FakeFlash::setMovie(const std::string& value) {
    m_state.check("FlashObject.setMovie");
    movie = value;
}

void FakeFlash::setEmbedMovie(bool value) {
    m_state.check("FlashObject.setEmbedMovie");
    embedMovie = value;
}

void FakeFlash::setWMode(const std::string& value) {
    m_state.check("FlashObject.setWMode");
    wmode = value;
}

void FakeFlash::setFlashVars(const std::string& value) {
    m_state.check("FlashObject.setFlashVars");
    flashVars = value;
}

void FakeFlash::Play() {
    m_state.check("FlashObject.Play");
    playing = true;
}

void FakeOleFormat::Activate() {
    m_state.check("OLEFormat.Activate");
    activated = true;
}

std::shared_ptr<FlashObject> FakeOleFormat::Object() {
    m_state.check("OLEFormat.Object");
    return flash;
}

void FakeShape::Select() {
    m_state.check("Shape.Select");
    selected = true;
}

std::shared_ptr<OLEFormat> FakeShape::oleFormat() {
    m_state.check("Shape.oleFormat");
    return format;
}

std::shared_ptr<Shape> FakeShapes::AddOLEObject(const OleObjectArgs& args) {
    m_state.check("Shapes.AddOLEObject");
    auto shape = std::make_shared<FakeShape>(m_state, args);
    m_log.push_back({m_where, shape});
    return shape;
}

std::shared_ptr<Shapes> FakeSlideMaster::shapes() {
    m_state.check("SlideMaster.shapes");
    return m_shapes;
}

std::shared_ptr<SlideMaster> FakePresentation::slideMaster() {
    m_state.check("Presentation.slideMaster");
    return m_master;
}

std::shared_ptr<Shapes> FakeSlideRange::shapes() {
    m_state.check("SlideRange.shapes");
    return m_shapes;
}

std::shared_ptr<SlideRange> FakePresentationSelection::slideRange() {
    m_state.check("Selection.slideRange");
    if (!m_window.slideSelected) {
        throw HostError("no slide is selected");
    }
    return std::make_shared<FakeSlideRange>(m_state, m_window.slideShapes);
}

int FakePane::ViewType() {
    m_state.check("Pane.ViewType");
    return m_window.viewType;
}

FakePresentationWindow::FakePresentationWindow(HostState& state, std::vector<AddedObject>& log)
    : slideShapes(std::make_shared<FakeShapes>(state, "slide", log)),
      masterShapes(std::make_shared<FakeShapes>(state, "master", log)), m_state(state),
      m_pane(std::make_shared<FakePane>(state, *this)),
      m_presentation(std::make_shared<FakePresentation>(state, masterShapes)),
      m_selection(std::make_shared<FakePresentationSelection>(state, *this)) {}

std::shared_ptr<Pane> FakePresentationWindow::ActivePane() {
    m_state.check("DocumentWindow.ActivePane");
    return m_pane;
}

std::shared_ptr<hostapi::Presentation> FakePresentationWindow::presentation() {
    m_state.check("DocumentWindow.presentation");
    return m_presentation;
}

std::shared_ptr<PresentationSelection> FakePresentationWindow::selection() {
    m_state.check("DocumentWindow.selection");
    return m_selection;
}

std::shared_ptr<CommandBars> FakePresentationProgram::commandBars() {
    core.state.check("Application.CommandBars");
    return core.bars;
}

int FakePresentationProgram::MsgBox(const std::string& message, int style, const std::string& title) {
    core.state.check("Application.MsgBox");
    core.messages.push_back({message, style, title});
    return core.messageAnswer;
}

void FakePresentationProgram::DoEvents() {
    core.state.check("Application.DoEvents");
    ++core.pumped;
}

std::shared_ptr<DocumentWindow> FakePresentationProgram::ActiveWindow() {
    core.state.check("Application.ActiveWindow");
    if (!window) {
        throw HostError("no window is open");
    }
    return window;
}

EventSlot<hostapi::Presentation*, DocumentWindow*>& FakePresentationProgram::WindowActivate() {
    core.state.check("Application.WindowActivate");
    return windowActivate;
}

std::shared_ptr<FakePresentationWindow> FakePresentationProgram::openWindow() {
    window = std::make_shared<FakePresentationWindow>(core.state, added);
    return window;
}

void FakePresentationProgram::activate() {
    guardedCall(core, [&] { windowActivate.fire(nullptr, window.get()); });
}

bool FakePresentationProgram::click(const std::string& caption) {
    return clickButton(core, caption);
}

// ---- Loading an add-in --------------------------------------------------------------------------------

LoadedAddin::LoadedAddin(const std::string& libraryPath) {
    m_library = ::dlopen(libraryPath.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!m_library) {
        const char* why = ::dlerror();
        m_error = why ? why : "cannot load " + libraryPath;
        return;
    }
    auto create = reinterpret_cast<GlwAddinCreateFn>(::dlsym(m_library, "glw_addin_create"));
    m_destroy = reinterpret_cast<GlwAddinDestroyFn>(::dlsym(m_library, "glw_addin_destroy"));
    auto info = reinterpret_cast<GlwAddinInfoFn>(::dlsym(m_library, "glw_addin_info"));
    if (!create || !m_destroy || !info) {
        m_error = libraryPath + " lacks the add-in entry points";
        return;
    }
    const char* progId = nullptr;
    const char* displayName = nullptr;
    info(&progId, &displayName);
    m_progId = progId ? progId : "";
    m_displayName = displayName ? displayName : "";
    m_addin = create();
    if (!m_addin) {
        m_error = libraryPath + ": the add-in could not be made";
    }
}

LoadedAddin::~LoadedAddin() {
    if (m_addin && m_destroy) {
        m_destroy(m_addin);
    }
    if (m_library) {
        ::dlclose(m_library);
    }
}

void LoadedAddin::connect(std::shared_ptr<HostApplication> application, HostCore& core) {
    if (!m_addin) {
        return;
    }
    std::vector<std::string> custom;
    guardedCall(core, [&] {
        m_addin->OnConnection(std::move(application), 0, std::make_shared<FakeAddInInstance>(m_progId), custom);
        m_addin->OnStartupComplete(custom);
    });
}

void LoadedAddin::disconnect(HostCore& core) {
    if (!m_addin) {
        return;
    }
    std::vector<std::string> custom;
    guardedCall(core, [&] {
        m_addin->OnBeginShutdown(custom);
        m_addin->OnDisconnection(0, custom);
    });
}

} // namespace glw::fakehost
