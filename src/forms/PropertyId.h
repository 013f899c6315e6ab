// The identity of every property a control or form reports when it changes: the runtime and the renderer
// name a property by this enumerator, so a misspelt property is a compile error rather than a change that
// no view ever sees.
#pragma once

#include <cstdint>

namespace glw::forms {

enum class PropertyId : std::uint8_t {
    All, // every property at once: a view shown for the first time
    Alignment,
    AutoRedraw,
    BGColor,
    BackColor,
    BorderStyle,
    Cancel,
    CancelError,
    Caption,
    Checkboxes,
    Checked,
    Color,
    ColumnHeaders,
    Container, // the control moved into another container
    Default,
    DefaultExt,
    DialogTitle,
    Drive,
    EmbedMovie,
    Enabled,
    FileName,
    FileTitle,
    Filter,
    FilterIndex,
    Flags,
    FlashVars,
    ForeColor,
    FullRowSelect,
    Height,
    Hidden,
    HideSelection,
    InitDir,
    Interval,
    KeyPreview,
    LargeChange,
    Left,
    List, // a list's entries changed
    ListIndex,
    ListItems, // a list view's items were added, removed or changed
    Locked,
    Max,
    MaxLength,
    Min,
    MousePointer,
    Movie,
    MultiLine,
    PasswordChar,
    Path,
    Pattern,
    Picture,
    Play, // Play was called on a movie control
    ScaleMode,
    SelectedItem,
    SetVariable, // SetVariable was called on a movie control
    ShowInTaskbar,
    SmallChange,
    Sorted,
    StandardIcon,
    Stretch,
    Style,
    Tag,
    Text,
    ToolTipText,
    Top,
    Value,
    View,
    Visible,
    WMode,
    Width,
    WindowState,
    WordWrap,
};

} // namespace glw::forms
