// The web engine behind the movie views: where the Flash player's files are, the process-wide engine set-up,
// the one profile every movie page shares and the host page the player runs in.
#pragma once

#include "base/Result.h"

#include <QString>
#include <QUrl>

class QWebEngineProfile;

namespace glw::qt::movie {

// The folder holding the player's files, found once per process: $GLW_RUFFLE_DIR (a developer's), the pack
// a program carries inside itself (the stubs; unpacked once into the user's cache), or "ruffle" beside the
// program (the application folder's), each file checked against the folder's manifest; and the web
// engine's own program and resources are there. Otherwise an error whose detail tells a user what is
// missing or damaged.
Result<QString> playerFolder();

// Sets what the web engine reads when it starts, before the first page exists: the sandbox is turned off
// only when the process runs as root (Chromium refuses to start there otherwise), and the engine flags are
// appended to any the user set. Safe to call many times; only the first call acts.
void prepareEngine();

// The profile every movie page uses: off the record (nothing written to disk), no network (every request
// other than files of the player's folder and of the movies' folders is refused), autoplay without a
// gesture. Created on first use and kept until the process ends, so that it outlives every page. Needs a
// QApplication.
QWebEngineProfile* movieProfile();

// Lets pages read the files in the folder of the movie at hostPath (movies and variables it loads by a
// relative name); the player's folder is readable from the start.
void allowFolderOf(const QString& hostPath);

// The host page: our HTML and script around the player, which report to the host through console
// messages that start with token; only scripts carrying nonce (and the player's files) run in it; a
// silent page has no sound at all; with a frame interval above 0 the players' animation frames run
// together, at most once per interval. Its base is playerPageUrl(), so that ruffle.js and its wasm load
// from the player folder.
QString hostPageHtml(const QString& token, const QString& nonce, bool silent, int frameIntervalMs = 0);
QUrl playerPageUrl();

} // namespace glw::qt::movie
