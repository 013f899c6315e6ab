// The real implementations of the platform services on Linux, each in a file of its own: settings in INI
// files, the clipboard in a file, the shell and spawner, fonts from fontconfig, JPEG pictures through
// libjpeg, the system clock and random numbers, the browsers' URL cache and the registry file.
#pragma once

#include "BrowserCache.h"
#include "DesktopShell.h"
#include "FileClipboard.h"
#include "FileRegistry.h"
#include "FontconfigFontList.h"
#include "IniSettingsStore.h"
#include "JpegPictureLoader.h"
#include "SystemClock.h"
