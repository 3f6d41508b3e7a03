#pragma once
// The file operations Windows does its own way (Windows only).

#include <string>

namespace platform {

// Puts from in the place of to in one step, replacing what is there, and returns once the
// change is on the disk. False with errno set when it cannot.
bool replaceFile(const std::string& from, const std::string& to);

}  // namespace platform
