#pragma once
// Picture files as OpenGL textures, each file loaded once by name.
// A file that cannot be loaded is remembered as texture 0 and never tried again.

#include <tessel/array.h>

class TextureMenager {
public:
  static TextureMenager* I();
  // The texture of the picture file `name`, loading it on the first request.
  unsigned get(const char* name);
  void bind(const char* name);
  // Put in front of every name when loading: names are relative to the working folder.
  static const char* dirname() { return ""; }
  unsigned loadedCount() const { return texNum; }

  // Sets up the image library; needs the OpenGL context.
  static void initImageLibrary();

private:
  TextureMenager() = default;

  Array<char*> texName;
  Array<unsigned> tex;
  unsigned texNum = 0;
};
