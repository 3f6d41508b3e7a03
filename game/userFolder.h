#pragma once
// Where the game works: an installed program always in the player's own folder,
// filled from the installed data; a program that is not installed (the build in
// the source tree, a portable copy) in the folder it is started in, with its data/.

#include <string>

// The player's folder: $XDG_DATA_HOME/giftguard, or $HOME/.local/share/giftguard
// when XDG_DATA_HOME is unset, empty or not absolute. "" when neither gives one.
#ifdef _WIN32
// On Windows: %APPDATA%\giftguard; "" when APPDATA is unset or not absolute.
// Paths are UTF-8 in the game's strings, on Windows too: appDataFolder() is APPDATA so.
std::string userFolderFor(const char* appData);
std::string appDataFolder();
#else
std::string userFolderFor(const char* xdgDataHome, const char* home);
#endif

// The installed read-only data: dataFromProgram taken from the running
// program's own folder, so that a staged or moved install finds its data too.
std::string installedDataFolder(const std::string& dataFromProgram);

// Makes folder/data and brings it in step with the installed data: the files a
// player may edit (the settings, the default variables) are copied when missing,
// every other installed file is linked (on Windows copied read-only, and copied
// again when the installed file changes while the copy is still the game's);
// links into the installed data that lead nowhere any more go. A file or link
// of the player's is left alone. The folder and its data/ must be the player's:
// others' write permission is taken away, and a folder that belongs to another
// user is refused.
bool prepareUserFolder(const std::string& installed, const std::string& folder, std::string& error);

// Makes the working folder the game's: the prepared player's folder when the
// installed data is there, otherwise where it was started, if that holds data/.
bool enterWorkingFolder(const std::string& installed, const std::string& folder, std::string& error);
