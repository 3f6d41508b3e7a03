#pragma once
// Throwing a message made at run time as the system throws all of its errors.

#include <string>

// Throws text as a const char*. The text is kept until the next message thrown
// this way: the catcher reads it at once, before anything can throw another.
[[noreturn]] void throwMessage(const std::string& text);
