#pragma once
// Where the game works: the folder it is started in when that holds data/ (the
// source tree), otherwise the player's own folder, filled from the installed data.

#include <string>

// The player's folder: $XDG_DATA_HOME/giftguard, or $HOME/.local/share/giftguard
// when XDG_DATA_HOME is unset, empty or not absolute. "" when neither gives one.
std::string userFolderFor(const char* xdgDataHome, const char* home);

// The installed read-only data: dataFromProgram taken from the running
// program's own folder, so that a staged or moved install finds its data too.
std::string installedDataFolder(const std::string& dataFromProgram);

// Makes folder/data and brings it in step with the installed data: the files a
// player may edit (the settings, the default variables) are copied when missing,
// every other installed file is linked; links that lead nowhere any more go.
// A file or working link of the player's under an installed name is left alone.
bool prepareUserFolder(const std::string& installed, const std::string& folder, std::string& error);

// Makes the working folder the game's: where it was started when that holds
// data/, otherwise the prepared player's folder.
bool enterWorkingFolder(const std::string& installed, const std::string& folder, std::string& error);
