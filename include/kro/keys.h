#pragma once
// The names of the key codes that modules and the console receive.
// They are Windows virtual-key codes, as the platform's window makes them from
// its keys: letters and digits are their upper-case characters ('A', '7') and
// need no name; Mod::keydown gets them narrowed to a char.

namespace vk {

constexpr unsigned char BACKSPACE = 8;
constexpr unsigned char TAB = 9;
constexpr unsigned char RETURN = 13;  // the keypad's Enter too
constexpr unsigned char SHIFT = 16;   // either
constexpr unsigned char CONTROL = 17;
constexpr unsigned char ESCAPE = 27;
constexpr unsigned char SPACE = 32;
constexpr unsigned char PAGE_UP = 33;
constexpr unsigned char PAGE_DOWN = 34;
constexpr unsigned char END = 35;
constexpr unsigned char HOME = 36;
constexpr unsigned char LEFT = 37;
constexpr unsigned char UP = 38;
constexpr unsigned char RIGHT = 39;
constexpr unsigned char DOWN = 40;
constexpr unsigned char INSERT = 45;
constexpr unsigned char DELETE = 46;
constexpr unsigned char NUMPAD0 = 96;  // to NUMPAD0 + 9
constexpr unsigned char F1 = 112;      // to F1 + 11
constexpr unsigned char GRAVE = 192;   // grave accent and tilde: the console's toggle

}  // namespace vk
