// The player's own folder for an installed game, kept in step with the installed data.
#include "userFolder.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include <sys/stat.h>
#include <unistd.h>
#ifdef _WIN32
#include <windows.h>
#endif

namespace fs = std::filesystem;

namespace {

// The game's strings hold paths in UTF-8: on Windows a plain conversion would read them in the
// ANSI code page, which cannot spell every player's name.
fs::path pathOf(const std::string& text) { return fs::u8path(text); }
std::string textOf(const fs::path& path) { return path.u8string(); }

#ifdef _WIN32
// Folders under %APPDATA% are the player's by the profile's own permissions.
int makeFolder(const fs::path& folder) { return ::_wmkdir(folder.c_str()); }
// Links need a privilege players seldom have: the installed files are copied, read-only as the
// installed ones are, folder by folder. A read-only copy is the game's and follows the installed
// file (an upgrade changes it); anything else there is the player's and stays.
void placeInstalled(const fs::path& from, const fs::path& to, std::error_code& code) {
  if (fs::is_directory(from, code)) {
    if (!fs::create_directory(to, code) && !code && !fs::is_directory(to, code)) return;  // a file of the player's
    for (fs::directory_iterator entry(from, code), end; !code && entry != end; entry.increment(code))
      placeInstalled(entry->path(), to / entry->path().filename(), code);
    return;
  }
  std::error_code missing;
  const fs::file_status there = fs::symlink_status(to, missing);
  const auto games = [&] {
    return there.type() == fs::file_type::regular && (there.permissions() & fs::perms::owner_write) == fs::perms::none;
  };
  const auto current = [&] {
    std::error_code ignored;
    return fs::file_size(from, ignored) == fs::file_size(to, ignored) &&
           fs::last_write_time(from, ignored) == fs::last_write_time(to, ignored);
  };
  if (there.type() != fs::file_type::not_found) {
    if (!games() || current()) return;
    // The old copy goes first: copying over a file fails on Windows whatever the options say.
    fs::permissions(to, fs::perms::owner_write, fs::perm_options::add, code);
    if (!code) fs::remove(to, code);
  }
  if (!code) fs::copy_file(from, to, code);
  fs::file_time_type written;
  if (!code) written = fs::last_write_time(from, code);
  if (!code) fs::last_write_time(to, written, code);
  if (!code) fs::permissions(to, fs::perms::owner_write, fs::perm_options::remove, code);
}
#else
int makeFolder(const fs::path& folder) { return ::mkdir(folder.c_str(), 0700); }
// A link into the installed data, unless something is there: the game's link or the player's file.
void placeInstalled(const fs::path& from, const fs::path& to, std::error_code& code) {
  std::error_code missing;
  if (fs::symlink_status(to, missing).type() == fs::file_type::not_found) fs::create_symlink(from, to, code);
}
#endif

// The player edits these, so they are copies; the game only reads the others.
bool editable(const fs::path& name) { return name == "conf.txt" || name == "defvar.txt"; }

std::string failed(const std::string& what, const fs::path& path, const std::error_code& code) {
  return "cannot " + what + " " + textOf(path) + ": " + code.message();
}

// Like mkdir -p, with new folders private to the player (0700) as XDG asks.
// A part that exists but is no folder fails at the next part, or at the check.
bool makeFolders(const fs::path& folder, std::string& error) {
  fs::path made;
  for (const fs::path& part : folder) {
    made /= part;
    if (makeFolder(made) != 0 && errno != EEXIST) {
      error = failed("make the folder", made, std::error_code(errno, std::generic_category()));
      return false;
    }
  }
  std::error_code code;
  if (fs::is_directory(folder, code)) return true;
  error = failed("make the folder", folder, code ? code : std::make_error_code(std::errc::not_a_directory));
  return false;
}

// Whether a link leads nowhere; one that cannot be followed for want of
// permission still leads somewhere.
bool dangling(const fs::path& path) {
  std::error_code code;
  return fs::status(path, code).type() == fs::file_type::not_found;
}

// Written beside and renamed into place: a start cut short never leaves half a
// settings file that every later start would keep. The name is this start's own,
// for two starts at once (a double click in the menu).
bool copyDefault(const fs::path& from, const fs::path& to, std::string& error) {
  std::error_code code;
  // Whatever is there is the player's, edited or not, a link that leads nowhere now included.
  if (fs::symlink_status(to, code).type() != fs::file_type::not_found) return true;
  fs::path part = to;
  part += ".new." + std::to_string(::getpid());
  fs::copy_file(from, part, fs::copy_options::overwrite_existing, code);
  if (!code) fs::permissions(part, fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::add, code);
  if (!code) fs::rename(part, to, code);
  if (!code) return true;
  error = failed("copy the default", to, code);
  fs::remove(part, code);
  return false;
}

// A link of the game's that leads nowhere is a leftover: a file an upgrade
// removed. A link the player made (to a drive not mounted now) stays theirs.
bool removeDeadLinks(const fs::path& installed, const fs::path& data, std::string& error) {
  std::error_code code;
  for (fs::directory_iterator entry(data, code), end; !code && entry != end; entry.increment(code)) {
    std::error_code ignored;
    if (entry->is_symlink(ignored) && dangling(entry->path()) &&
        fs::read_symlink(entry->path(), ignored).parent_path() == installed)
      fs::remove(entry->path(), code);
  }
  if (!code) return true;
  error = failed("tidy the links in", data, code);
  return false;
}

// The game writes here: nobody but the player may be able to put a file or a
// link in its way. A folder of the player's that others could write to is made
// private; one that belongs to someone else is not used.
#ifdef _WIN32
// Windows gives no owner a program can simply compare: the folder only must be
// no link (a junction) that leads elsewhere.
bool ownedPrivately(const fs::path& folder, std::string& error) {
  const DWORD attributes = GetFileAttributesW(folder.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    error = failed("look at the folder", folder, std::error_code(int(GetLastError()), std::system_category()));
    return false;
  }
  if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) return true;
  error = "the folder " + textOf(folder) + " is a link; the game keeps your files only in a folder of your own";
  return false;
}
#else
bool ownedPrivately(const fs::path& folder, std::string& error) {
  struct stat link, info;
  if (::lstat(folder.c_str(), &link) != 0 || ::stat(folder.c_str(), &info) != 0) {
    error = failed("look at the folder", folder, std::error_code(errno, std::generic_category()));
    return false;
  }
  if (link.st_uid != ::getuid() || info.st_uid != ::getuid()) {
    error = "the folder " + textOf(folder) +
            " belongs to another user; the game keeps your files only in a folder of your own";
    return false;
  }
  if ((info.st_mode & 077) == 0 || ::chmod(folder.c_str(), 0700) == 0) return true;
  error = failed("make private the folder", folder, std::error_code(errno, std::generic_category()));
  return false;
}
#endif

bool linkInstalled(const fs::path& installed, const fs::path& data, std::string& error) {
  std::error_code code;
  for (fs::directory_iterator entry(installed, code), end; !code && entry != end; entry.increment(code)) {
    const fs::path name = entry->path().filename(), here = data / name;
    if (editable(name)) {
      if (!copyDefault(entry->path(), here, error)) return false;
      continue;
    }
    placeInstalled(entry->path(), here, code);
    if (code == std::errc::file_exists) code.clear();  // placed by another start at the same time
    if (code) {
      error = failed("link", here, code);
      return false;
    }
  }
  if (!code) return true;
  error = failed("read the installed data in", installed, code);
  return false;
}

}  // namespace

#ifdef _WIN32
std::string appDataFolder() {
  const wchar_t* folder = _wgetenv(L"APPDATA");
  return folder ? textOf(folder) : "";
}

std::string userFolderFor(const char* appData) {
  return appData && pathOf(appData).is_absolute() ? textOf(pathOf(appData) / "giftguard") : "";
}

std::string installedDataFolder(const std::string& dataFromProgram) {
  wchar_t name[32768];
  const DWORD length = GetModuleFileNameW(nullptr, name, sizeof name / sizeof name[0]);
  if (length == 0 || length == sizeof name / sizeof name[0]) return "";
  return textOf((fs::path(name).parent_path() / dataFromProgram).lexically_normal());
}
#else
std::string userFolderFor(const char* xdgDataHome, const char* home) {
  if (xdgDataHome && xdgDataHome[0] == '/') return (fs::path(xdgDataHome) / "giftguard").string();
  if (home && home[0] == '/') return (fs::path(home) / ".local/share/giftguard").string();
  return "";
}

std::string installedDataFolder(const std::string& dataFromProgram) {
  std::error_code code;
  const fs::path program = fs::read_symlink("/proc/self/exe", code);
  if (code) return "";
  return (program.parent_path() / dataFromProgram).lexically_normal().string();
}
#endif

bool prepareUserFolder(const std::string& installed, const std::string& folder, std::string& error) {
  const fs::path home = pathOf(folder), data = home / "data", from = pathOf(installed);
  return makeFolders(data, error) && ownedPrivately(home, error) && ownedPrivately(data, error) &&
         removeDeadLinks(from, data, error) && linkInstalled(from, data, error);
}

bool enterWorkingFolder(const std::string& installed, const std::string& folder, std::string& error) {
  std::error_code code;
  // An installed program has its data at home: a data/ where it is started
  // is the player's own business (often a project of theirs), never its folder.
  if (installed.empty() || !fs::is_directory(pathOf(installed), code)) {
    if (fs::is_directory("data", code)) return true;  // the source tree, or a copy set up like it
    error = "no data/ in this folder, and no installed data at " + (installed.empty() ? "?" : installed);
    return false;
  }
  if (folder.empty()) {
    error = "no folder for the player's files: neither XDG_DATA_HOME nor HOME is an absolute path";
    return false;
  }
  if (!prepareUserFolder(installed, folder, error)) return false;
  const fs::path home = pathOf(folder);
  fs::current_path(home, code);
  if (!code) return true;
  error = failed("enter the folder", home, code);
  return false;
}
