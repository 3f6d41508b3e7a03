// The floor for the program's start-up and frame figures.
//
// The floor for the program's start-up and frame figures: the same SDL 2 window
// and context, every frame only cleared and swapped. Ends after
// GIFTGUARD_QUIT_AFTER_FRAMES frames, like the program.
//
// With --backdrop it also fills the open console's backdrop, a flat quad over the
// window's top half, every frame: the floor for a frame with the console open.
#include <SDL.h>
#include <SDL_opengl.h>

#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
  const bool backdrop = argc > 1 && std::strcmp(argv[1], "--backdrop") == 0;
  if (SDL_Init(SDL_INIT_VIDEO) != 0) return 1;
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
  SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 1);
  SDL_Window* window = SDL_CreateWindow("opengl progam", 0, 0, 1024, 768, SDL_WINDOW_OPENGL);
  if (!window) return 1;
  SDL_GLContext context = SDL_GL_CreateContext(window);
  SDL_GL_SetSwapInterval(1);
  const char* limit = std::getenv("GIFTGUARD_QUIT_AFTER_FRAMES");
  long frames = limit ? std::atol(limit) : 0;
  for (bool quit = false; !quit;) {
    SDL_Event e;
    if (SDL_PollEvent(&e)) {
      quit = e.type == SDL_QUIT;
      continue;
    }
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    if (backdrop) {  // as the console draws it, below its log at the window's middle
      glColor3f(0.1f, 0.1f, 0.3f);
      glRectf(-1, -0.06f, 1, 1);
    }
    SDL_GL_SwapWindow(window);
    if (frames > 0 && --frames == 0) quit = true;
  }
  SDL_GL_DeleteContext(context);
  SDL_DestroyWindow(window);
  SDL_Quit();
  return 0;
}
