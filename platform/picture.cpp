// Pictures read with libpng and libjpeg-turbo into OpenGL textures.
#include "platform/picture.h"

#ifdef _WIN32
// Without windows.h: its boolean is not libjpeg's. gl.h needs only these two of it.
#define WINGDIAPI __declspec(dllimport)
#define APIENTRY __stdcall
#endif
#include <GL/gl.h>

#include <cstdio>  // jpeglib.h speaks of FILE without it

#include <jpeglib.h>
#include <png.h>

#include <csetjmp>
#include <cstring>
#include <memory>
#include <vector>

namespace {

// Rows from the bottom, as OpenGL counts them; the decoders give the top row first.
struct Picture {
  unsigned width = 0, height = 0, channels = 0;
  std::vector<unsigned char> pixels;
  unsigned char* row(unsigned y) { return pixels.data() + std::size_t(height - 1 - y) * width * channels; }
};

bool readPng(std::FILE* file, Picture& picture) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_stdio(&image, file)) return false;
  const bool alpha = (image.format & PNG_FORMAT_FLAG_ALPHA) != 0;
  image.format = alpha ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
  picture.width = image.width, picture.height = image.height, picture.channels = alpha ? 4 : 3;
  picture.pixels.resize(std::size_t(image.width) * image.height * picture.channels);
  // A negative stride writes the rows bottom up.
  const png_int_32 stride = png_int_32(image.width * picture.channels);
  if (png_image_finish_read(&image, nullptr, picture.pixels.data(), -stride, nullptr)) return true;
  png_image_free(&image);
  return false;
}

// libjpeg reports errors by calling a function that must not return.
struct JpegErrors {
  jpeg_error_mgr manager;
  std::jmp_buf escape;
};

void jpegFailed(j_common_ptr info) { std::longjmp(reinterpret_cast<JpegErrors*>(info->err)->escape, 1); }

// No C++ object with a destructor lives across the setjmp: longjmp would skip it.
bool readJpeg(std::FILE* file, Picture& picture) {
  jpeg_decompress_struct info;
  JpegErrors errors;
  info.err = jpeg_std_error(&errors.manager);
  errors.manager.error_exit = jpegFailed;
  if (setjmp(errors.escape)) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  jpeg_create_decompress(&info);
  jpeg_stdio_src(&info, file);
  jpeg_read_header(&info, TRUE);
  info.out_color_space = JCS_RGB;
  jpeg_start_decompress(&info);
  picture.width = info.output_width, picture.height = info.output_height, picture.channels = 3;
  picture.pixels.resize(std::size_t(picture.width) * picture.height * 3);
  while (info.output_scanline < info.output_height) {
    JSAMPROW row = picture.row(info.output_scanline);
    jpeg_read_scanlines(&info, &row, 1);
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  return true;
}

// The kind of picture by its first bytes, as the library does for a name it cannot place.
bool read(const char* name, Picture& picture) {
  unsigned char magic[8] = {};
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(name, "rb"), std::fclose);
  if (!file || std::fread(magic, 1, sizeof magic, file.get()) != sizeof magic) return false;
  std::rewind(file.get());
  if (png_sig_cmp(magic, 0, sizeof magic) == 0) return readPng(file.get(), picture);
  if (magic[0] == 0xFF && magic[1] == 0xD8) return readJpeg(file.get(), picture);
  return false;
}

}  // namespace

unsigned platform::loadPictureTexture(const char* name) {
  Picture picture;
  if (!name || !read(name, picture)) return 0;
  GLuint texture = 0;
  glGenTextures(1, &texture);
  glBindTexture(GL_TEXTURE_2D, texture);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  const GLenum format = picture.channels == 4 ? GL_RGBA : GL_RGB;
  glTexImage2D(GL_TEXTURE_2D, 0, GLint(picture.channels), GLsizei(picture.width), GLsizei(picture.height), 0, format,
               GL_UNSIGNED_BYTE, picture.pixels.data());
  return texture;
}
