#!/usr/bin/env bash
# The installed game: cmake --install into a staging folder, its menu entry and metadata
# validated, then started from an unrelated folder with its own HOME and XDG_DATA_HOME: its
# command line, a game played to a top-list entry in the player's folder and shown at the next
# start, a player's folder that cannot be made, a data/ where it starts that it leaves alone,
# and the install tree unchanged by all of it.
# usage: install_e2e.sh path/to/build path/to/data   (needs DISPLAY, xdotool, ImageMagick,
#        desktop-file-validate, appstreamcli)
build=$(realpath "$1")
bin=$build/giftguard data=$2
source "$(dirname "$0")/lib.sh"

stage=$work/stage
elsewhere=$work/elsewhere
user=$work/xdg/giftguard
mkdir -p "$elsewhere/data" "$work/home"
echo "a project of the player's" >"$elsewhere/data/notes.txt"  # a data/ that is not the game's
listing() { (cd "$elsewhere" && find . -printf '%p %s %T@\n' | sort); }
untouched=$(listing)
DESTDIR=$stage cmake --install "$build" --prefix /usr >"$work/install.txt" || { cat "$work/install.txt"; exit 1; }
bin=$stage/usr/games/giftguard
check "the program is installed under games/" test -x "$bin"
check "the data under share/games/giftguard/, without the files written at run time" \
  test -f "$stage/usr/share/games/giftguard/bg.png" -a ! -e "$stage/usr/share/games/giftguard/log.txt"
check "desktop-file-validate passes" desktop-file-validate "$stage/usr/share/applications/giftguard.desktop"
quietly() { "$@" >"$work/quiet.txt" 2>&1 || { cat "$work/quiet.txt"; false; }; }
check "appstreamcli validate passes" quietly appstreamcli validate --no-net "$stage"/usr/share/metainfo/*.metainfo.xml
check "the manual page is in section 6" test -s "$stage/usr/share/man/man6/giftguard.6.gz"
snapshot() { (cd "$stage" && find . -printf '%p %y %m %s %T@ %l\n' | sort && find . -type f -exec md5sum {} + | sort); }
snapshot >"$work/tree-before.txt"

# The program as a player starts it: from a folder of no importance, with a home of its own.
run() { (cd "$elsewhere" && HOME=$work/home XDG_DATA_HOME=$work/xdg exec "$bin" "$@"); }
launch() {
  run >"$work/out.txt" 2>"$work/err.txt" &
  pid=$!
}
log=$user/data/log.txt

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
check "--version names the version" test "$(run --version)" = "giftguard $version"
run --help >"$work/help.txt"
check "--help names the player's folder" grep -qxF "  $user" "$work/help.txt"
run --no-such-thing >/dev/null 2>"$work/usage.txt"
status=$?
check "an unknown argument is status 2 (got $status)" test "$status" = 2
check "with the usage" grep -q '^usage: giftguard' "$work/usage.txt"
check "and the player's folder is not made for it" test ! -e "$user"

start
check "the installed program opens its window" test -n "$window"
playedToEntry inst "$user/data/toplist.dat"
closed
check "the settings are the player's own copies" test -f "$user/data/conf.txt" -a ! -L "$user/data/conf.txt"
check "the pictures are linked from the install" \
  test "$(readlink "$user/data/bg.png")" = "$stage/usr/share/games/giftguard/bg.png"
check "the trace is in the player's folder" test -s "$user/proof.txt"
check "the folder it was started in, data/ and all, is left as it was" test "$(listing)" = "$untouched"

start
key Down Return
# White in the name column of the top list's first row.
check "a second start shows the entry on the top list" eventually shows toplist 160x40+200+84 "$white" 0.03
closed

touch "$work/home/file"
(cd "$elsewhere" && HOME=$work/home XDG_DATA_HOME=$work/home/file exec "$bin" >/dev/null 2>"$work/err.txt")
status=$?
check "a player's folder that cannot be made is status 1 (got $status)" test "$status" = 1
check "with one line that says why" test "$(cat "$work/err.txt")" = \
  "giftguard: cannot make the folder $work/home/file/giftguard: Not a directory"

snapshot >"$work/tree-after.txt"
check "the install tree is unchanged" diff "$work/tree-before.txt" "$work/tree-after.txt"
finish
