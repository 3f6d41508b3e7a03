// The texture cache over the image library.
#include <kro/textureMenager.h>

#include <GL/gl.h>
#define ILUT_USE_OPENGL
#include <IL/il.h>
#include <IL/ilu.h>
#include <IL/ilut.h>

#include <cstring>
#include <string>

TextureMenager* TextureMenager::I() {
  static TextureMenager* const instance = new TextureMenager;
  return instance;
}

void TextureMenager::initImageLibrary() {
  ilutRenderer(ILUT_OPENGL);
  ilutInit();
  iluInit();
  ilInit();
  ILuint image;
  ilGenImages(1, &image);
  ilBindImage(image);
  // Pictures are drawn upright: row 0 of the texture is the bottom of the picture.
  ilEnable(IL_ORIGIN_SET);
  ilOriginFunc(IL_ORIGIN_LOWER_LEFT);
}

unsigned TextureMenager::get(const char* name) {
  for (unsigned i = 0; i < texNum; ++i)
    if (std::strcmp(texName[i], name) == 0) return tex[i];
  const size_t length = std::strlen(name);
  char* copy = new char[length + 2];
  std::memcpy(copy, name, length + 1);
  texName[texNum] = copy;
  std::string path = std::string(dirname()) + name;
  tex[texNum] = ilutGLLoadImage(const_cast<char*>(path.c_str()));
  return tex[texNum++];
}

void TextureMenager::bind(const char* name) { glBindTexture(GL_TEXTURE_2D, get(name)); }
