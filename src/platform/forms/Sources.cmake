# The forms runtime's sources, part of glw_platform.
list(APPEND GLW_PLATFORM_SOURCES
    forms/Control.cpp
    forms/Controls.cpp
    forms/DrawSurface.cpp
    forms/FileLists.cpp
    forms/FlashPlayer.cpp
    forms/Form.cpp
    forms/HeadlessDriver.cpp
    forms/Launch.cpp
    forms/ListView.cpp
    forms/Runtime.cpp
    forms/Trace.cpp
    forms/UserControl.cpp
)
