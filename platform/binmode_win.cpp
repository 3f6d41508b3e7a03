// Every file the program opens is in binary mode, so that bytes and offsets are the same as on
// Linux: the C runtime's start-up takes its default mode from this variable. (The binmode.o that
// MinGW-w64 ships for this is empty in Debian's build, and the default stays text.)
#include <fcntl.h>

extern "C" {
int _fmode = _O_BINARY;
}
