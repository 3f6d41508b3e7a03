#pragma once
// The program's entry, its window procedure and its frame.
//
// The program's entry, its window procedure and its frame: the start-up
// sequence, every window message turned into calls on the console or the
// current module, and one frame of timer, module change, update and drawing.

#include <platform/window.h>

class Mod;

int winMain(int argc, char** argv);
void wndProc(const platform::Message& message);

// "LOADING.." on a cleared screen under the start-up projection, shown at once.
void showLoading();
// The parts of a frame: the timer, a pending module change and the update; then the drawing.
void frameUpdate();
void frameDraw();

Mod* currentModule();
// Makes a module current without the change of a frame (start-up and tests).
void setCurrentModule(Mod* module);
bool paused();

// Reads "data/conf.txt": a word, two integers, a word (texture filtering, client
// size, full screen). Missing or short files keep the defaults.
void readSettings(const char* file, bool& niceTex, int& width, int& height, bool& fullscreen);
