#!/usr/bin/env bash
# The Windows setup program under Wine, in a fresh prefix: a silent install under Program Files
# with its Start-menu entry and its entry in "Apps & features"; the installed program, started
# from another folder, opens its window and draws the menu's letters, plays a survival to a
# top-list entry under a name in %APPDATA%\giftguard, which a second start shows; a kill is
# heard through SDL's disk driver; the uninstaller removes the program and its entries
# and leaves the player's folder. The player's name is not in the ANSI code page.
# usage: windows_e2e.sh path/to/giftguard-<version>-setup.exe path/to/data
#        (needs DISPLAY, xdotool, ImageMagick, python3 and Debian's wine64)
bin=$1 data=$2
source "$(dirname "$0")/lib.sh"
wine=/usr/lib/wine/wine64
# No prompt for Wine's .NET and browser add-ons, which the game does not use. The player's name,
# and so their profile's folder, is one that Windows' ANSI code page cannot spell.
export WINEPREFIX=$work/wine WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml=' USER='Łódź游戏'
settled() { /usr/lib/wine/wineserver -w; }  # every Windows process of the prefix has ended
windowWait=60  # a fresh prefix's first window once took longer than 20 s
"$wine" wineboot --init >"$work/boot.txt" 2>&1
settled
unix() { "$wine" winepath -u "$1" 2>/dev/null; }
windowsPath() { "$wine" winepath -w "$1" 2>/dev/null; }

"$wine" "$bin" /S
status=$?
settled
check "the setup program succeeds silently (status $status)" test "$status" = 0
installed=$(unix 'C:\Program Files\giftguard')
check "it installs the program under Program Files" test -f "$installed/giftguard.exe"
check "with its data and the licences" test -f "$installed/data/bg.png" -a -f "$installed/licences/libsdl2.txt"
menu=$(unix 'C:\ProgramData\Microsoft\Windows\Start Menu\Programs')
check "a Start-menu entry" test -f "$menu/giftguard.lnk"
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\giftguard'
entry() { "$wine" reg query "$key" /v "$1" 2>/dev/null | tr -d '\r' | awk -v v="$1" '$1 == v { $1 = $2 = ""; sub(/^ +/, ""); print }'; }
version=$(sed -n 's/^giftguard-\(.*\)-setup\.exe$/\1/p' <<<"$(basename "$bin")")
check "and one in Apps & features with the version" test "$(entry DisplayName)/$(entry DisplayVersion)" = "giftguard/$version"
snapshot() { (cd "$installed" && find . -printf '%p %y %s %T@\n' | sort); }
before=$(snapshot)

# The program as a player starts it from the Start menu: from a folder of no importance.
elsewhere=$work/elsewhere
mkdir -p "$elsewhere"
user=$WINEPREFIX/drive_c/users/$USER/AppData/Roaming/giftguard
log=$user/data/log.txt
launch() {
  (cd "$elsewhere" && exec "$wine" "$installed/giftguard.exe" >"$work/out.txt" 2>"$work/err.txt") &
  pid=$!
}
export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE
SDL_DISKAUDIOFILE=$(windowsPath "$raw")

start
check "the installed program opens its window" test -n "$window"
check "it draws the menu's letters" eventually menuShown
check "its sound goes to the disk driver" logged 'sound: disk, 22050 Hz mono, buffer 256 frames (12 ms), 30 sounds'
playedToEntry win "$user/data/toplist.dat"
closed
check "the trace is in the player's folder" test -s "$user/proof.txt"

# With the player's own (empty) music files in place of the game's copies, only the effects are heard.
for music in "$user/data/sound/"*Music.wav; do : >"$music"; done
rm -f "$raw"
start
key Down Return
# White in the name column of the top list's first row.
check "a second start shows the entry on the top list" eventually shows toplist 160x40+200+84 "$white" 0.03
closed
start
check "survival starts" survival
console 'set \$godmode 1'  # a slow start under Wine may not lose the game before a kill
# Wine's timers let SDL's disk driver write faster than the mix plays, so a sound cannot be
# matched to its click as on Linux (tests/e2e/sound_e2e.sh): the kill's sweep is heard.
sweptFrom=$(captured)
check "a sweep kills" sweepToKill 60
sleep 0.5
loudest=$(pcm loudest "$sweptFrom")
check "and the effects are heard ($loudest at the loudest)" above "$loudest" 500
closed
check "the install is unchanged by play" test "$(snapshot)" = "$before"

# An upgrade that changes a picture: the game's read-only copy follows it at the next start; a
# picture the player put in place of the game's copy stays theirs.
check "the player's folder holds read-only copies of the pictures" test "$(stat -c %A "$user/data/bg.png")" = -r--r--r--
cp "$installed/data/lost.png" "$installed/data/bg.png"
rm -f "$user/data/gift.png"
cp "$installed/data/vossa.jpg" "$user/data/gift.png"
start
closed
check "an upgraded picture reaches the player's folder" cmp -s "$installed/data/bg.png" "$user/data/bg.png"
check "a picture of the player's stays" cmp -s "$installed/data/vossa.jpg" "$user/data/gift.png"

# Full screen at a size no display mode has: Windows' own message box, then status 0.
printf 'fast 999 555 full\n' >"$user/data/conf.txt"
printf 'fullscreen 1\n' >"$user/data/defvar.txt"
launch
boxClosed
endsWith "full screen without a 999x555 mode" 0
check "and says 'cannot set fullscreen' under the title 'error'" grep -qxF "error: cannot set fullscreen" <(tr -d '\r' <"$work/err.txt")
check "in a box" test -n "$box"

"$wine" "$installed/uninstall.exe" /S
settled
check "the uninstaller removes the program" test ! -e "$installed"
check "and its Start-menu entry" test ! -e "$menu/giftguard.lnk"
check "and its entry in Apps & features" test -z "$(entry DisplayName)"
check "and keeps the player's top list" grep -qi "$(hexOf win)" "$user/data/toplist.dat"
finish
