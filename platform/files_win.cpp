// File operations through the Win32 calls that do what POSIX rename promises.
#include <platform/files.h>

#include <windows.h>

#include <cerrno>

namespace platform {

namespace {

// Narrow names are in the code page the C runtime's fopen reads them in.
std::wstring wide(const std::string& name) {
  const int n = MultiByteToWideChar(CP_ACP, 0, name.c_str(), -1, nullptr, 0);
  std::wstring text(n > 0 ? std::size_t(n) : 1, L'\0');
  MultiByteToWideChar(CP_ACP, 0, name.c_str(), -1, &text[0], n);
  return text;
}

int errnoOf(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND: return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION: return EACCES;
    case ERROR_DISK_FULL: return ENOSPC;
    default: return EIO;
  }
}

}  // namespace

bool replaceFile(const std::string& from, const std::string& to) {
  if (MoveFileExW(wide(from).c_str(), wide(to).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    return true;
  errno = errnoOf(GetLastError());
  return false;
}

}  // namespace platform
