# The opening every desktop shell test shares (sourced, POSIX sh): skipping with a reason when the build or a
# tool is missing, and a copy of the demo application folder to run on, so that nothing a test saves ever
# lands in the build's own.

# skip REASON: ends the test as skipped (exit 77, which CTest reports as a skip).
skip() {
    echo "skipped: $1"
    exit 77
}

# require_tools TOOL...: skips unless every tool is on the PATH.
require_tools() {
    for tool in "$@"; do
        command -v "$tool" >/dev/null 2>&1 || skip "$tool is not installed"
    done
}

# require_desktop BUILD: skips unless glwclipart is built with the desktop renderer and the Flash player's
# files lie in the application folder.
require_desktop() {
    [ -x "$1/app/glwclipart" ] || skip "$1/app/glwclipart is not built"
    grep -q '^GLW_BUILD_QT:BOOL=ON' "$1/CMakeCache.txt" 2>/dev/null || skip "built without the desktop renderer"
    [ -f "$1/app/ruffle/glwplayer.txt" ] || skip "the Flash player is not installed (scripts/setup-ruffle)"
}

# copy_demo_folder BUILD DEST: copies the demo application folder into DEST (made when missing): the
# library, glwclipart, its helpers and the Flash player's files, without the stub programs, the updater and
# the add-in registration, which these tests do not run.
copy_demo_folder() {
    mkdir -p "$2"
    for entry in "$1/app"/*; do
        case "$(basename "$entry")" in
        *.exe | *.scr | glwaddinreg) ;;
        *) cp -r "$entry" "$2/" ;;
        esac
    done
}
