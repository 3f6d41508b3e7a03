#pragma once
// The image-library calls the texture cache makes, answered on Windows by platform/image_win.cpp
// over libpng and libjpeg-turbo, with the names and values of the library the Linux build links.

using ILboolean = unsigned char;
using ILenum = unsigned;
using ILuint = unsigned;
using ILint = int;

const ILenum IL_ORIGIN_SET = 0x0600;
const ILenum IL_ORIGIN_LOWER_LEFT = 0x0601;
const ILenum IL_ORIGIN_UPPER_LEFT = 0x0602;
const ILenum ILUT_OPENGL = 0;

void ilInit();
void iluInit();
ILboolean ilutInit();
ILboolean ilutRenderer(ILenum renderer);
void ilGenImages(ILint count, ILuint* images);
void ilBindImage(ILuint image);
ILboolean ilEnable(ILenum mode);
ILboolean ilOriginFunc(ILenum origin);
// The picture as a new OpenGL texture of the current context; 0 when the file cannot be read.
unsigned ilutGLLoadImage(char* fileName);
