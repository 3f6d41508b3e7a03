// The image library's calls on Windows, answered by the picture reader.
#include <IL/il.h>

#include <platform/picture.h>

void ilInit() {}
void iluInit() {}
ILboolean ilutInit() { return 1; }
ILboolean ilutRenderer(ILenum renderer) { return renderer == ILUT_OPENGL; }

// One image is all the texture cache binds, and it holds nothing between loads.
void ilGenImages(ILint count, ILuint* images) {
  for (ILint i = 0; i < count; ++i) images[i] = ILuint(i + 1);
}
void ilBindImage(ILuint) {}
ILboolean ilEnable(ILenum mode) { return mode == IL_ORIGIN_SET; }

// The library's OpenGL textures are upright whatever the origin: it turns a picture read top
// row first over on the way to OpenGL, so the setting changes no texture.
ILboolean ilOriginFunc(ILenum origin) { return origin == IL_ORIGIN_LOWER_LEFT || origin == IL_ORIGIN_UPPER_LEFT; }

unsigned ilutGLLoadImage(char* fileName) { return platform::loadPictureTexture(fileName); }
