#pragma once
// The OpenGL part of the image library: its calls are in il.h.
#include <IL/il.h>
