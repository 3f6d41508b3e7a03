// The program: the shell's entry.
#include "shell.h"

int main(int argc, char** argv) { return winMain(argc, argv); }
