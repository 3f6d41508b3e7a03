#pragma once
// Pictures read with libpng and libjpeg-turbo: the Windows build's stand-in for the image
// library, which Linux links; its suites check the two make the same textures.

namespace platform {

// The PNG or JPEG picture in the file (told by its first bytes, whatever its name) as a new texture
// of the current OpenGL context: upright (its bottom row first, as OpenGL counts rows), 3 bytes a
// pixel or 4 with an alpha channel; 0 when the file cannot be read as either.
unsigned loadPictureTexture(const char* name);

}  // namespace platform
