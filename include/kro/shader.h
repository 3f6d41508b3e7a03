#pragma once
// Shader programs.
//
// One shading-language program from an optional vertex and an optional fragment
// shader, with integer and float uniforms set by name. Needs a current OpenGL
// context offering OpenGL 2.0; compile logs go to the console's log.

#include <tessel/arrayMap.h>

class Shader {
public:
  Shader();
  virtual ~Shader();
  Shader(const Shader&) = delete;
  Shader& operator=(const Shader&) = delete;

  // A file that can not be opened leaves its shader out.
  void load(const char* vertexFile, const char* fragmentFile);
  // Compiles the sources given (either may be null) and links them; a program
  // made before is released first.
  void setSrc(const char* vertexSource, const char* fragmentSource);
  // Make the program current and put it away; without a linked program (none
  // made, or its link failed) both leave the current program as it is.
  void begin();
  void end();
  // Both leave no program current; without a linked program they do nothing.
  void sendUniform1i(const char* name, unsigned value);
  void sendUniform1f(const char* name, float value);

  // Logs "Opengl X.Y ok" for each of 1.2 to 3.0 the context offers.
  static void testOpengl();
  // The entry points beyond OpenGL 1.1 come from the loader, once, in a current
  // context; without one it is tried again on the next call.
  static bool loadEntryPoints();

protected:
  // OpenGL names (GLuint); 0 for none.
  unsigned sp;
  unsigned vs;
  unsigned ps;
  ArrayMap<unsigned> vars;  // uniform name -> location, queried once per name

private:
  bool linked;  // sp links: begin, end and the uniforms have a program to use

  static bool entryPointsLoaded;
  static bool shadersAvailable();

  // The file's text without its last byte, or null when it can not be read. The
  // caller deletes it with delete[].
  static char* file2string(const char* name);
  void printLog(unsigned object);
  unsigned compile(unsigned type, const char* source);
  unsigned location(const char* name);
  void release();
};
