// Where a program finds the Flash player's files, without Qt: a folder that holds them with their manifest,
// checked file by file, or the pack a program carries inside itself, unpacked once into a per-user cache.
#pragma once

#include "base/Result.h"
#include "formats/PlayerPack.h"

#include <string>
#include <string_view>
#include <vector>

namespace glw::qt::movie {

// A folder of the player's files is checked with formats::checkPlayerFolder.
using formats::checkPlayerFolder;

// The folders a cache of this user's named `name` may live in, best first: $XDG_CACHE_HOME/glw/<name>,
// ~/.cache/glw/<name>, then glw-<name>-<uid> in $TMPDIR (or /tmp). Relative or unset variables are passed
// over.
std::vector<std::string> userCacheRoots(std::string_view name);
// Where a pack may be unpacked: userCacheRoots("player").
std::vector<std::string> playerCacheRoots();

// The first of roots that is, or is made, a folder of this user's alone, on the terms unpackPlayerToCache
// sets; the error names each root tried and why it could not be used.
Result<std::string> safeCacheFolder(const std::vector<std::string>& roots);

// The folder holding the pack's files, under the first root that can be used: a folder named by the
// pack's manifest key that is checked whole and used as it is, or else unpacked anew (into a temporary
// folder renamed into place, so that a reader never sees half of it; a copy that another process finished
// first is taken). Every folder on the way that this creates is the user's alone (0700); one that exists
// must be a real folder (not a link) of this user that nobody else can write, and its parent must not be
// writable by others either, so another user can never put files where the player is read from. The
// error names each root that was tried and why it could not be used. Copies of other versions under the
// same root that no program has used for 30 days, and what cut-off runs left there a day ago, are removed.
Result<std::string> unpackPlayerToCache(std::string_view pack, const std::vector<std::string>& roots);

} // namespace glw::qt::movie
