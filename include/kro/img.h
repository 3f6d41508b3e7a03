#pragma once
// An RGBA picture in memory, with drawing, filters, generators and files.
//
// An RGBA picture in memory whose coordinates wrap around at the edges (a
// torus). Every drawing operation blends through add(), whose mode is
// add_method. Colours are 0xAABBGGRR: stored into a pixel they land in memory
// as R, G, B, A. Operations whose names end in f take positions as fractions
// of the picture (0 to 1). Float-to-integer conversions truncate toward zero.
//
// Errors, memory running out included, are thrown as const char* messages.

#include <cstddef>
#include <cstdint>
#include <cstdio>

class Img {
public:
  // The most pixels a picture may have, in any shape: 4096 × 4096, 16 times the
  // game's largest texture and twice a 4K screen, while the buffers that grow
  // with a picture (its pixels, mask's copy, cristal's counts: 4 bytes a pixel
  // each) stay at 64 MiB. The constructor, resize and the file readers refuse
  // more, so the writers never meet more, and whatever is written reads back.
  static constexpr std::uint64_t MAX_PIXELS = std::uint64_t(4096) * 4096;

  // w·h pixels of transparent black; add_method 3.
  Img(std::uint32_t w, std::uint32_t h);
  // Prints "debug Img::Img(Img) copy data" on standard output.
  Img(const Img& o);
  Img& operator=(const Img&) = delete;
  ~Img();

  std::uint32_t getWidth() const { return w; }
  std::uint32_t getHeight() const { return h; }
  // w·h pixels, row by row from y = 0, bytes R, G, B, A.
  unsigned char* getData() { return reinterpret_cast<unsigned char*>(pixels); }
  const unsigned char* getData() const { return reinterpret_cast<const unsigned char*>(pixels); }

  // Pixel accessors wrap both coordinates; a picture of width or height 0 has
  // no pixel to give and throws.
  std::uint32_t& get(int x, int y) { return pixels[index(x, y)]; }
  const std::uint32_t& get(int x, int y) const { return pixels[index(x, y)]; }
  unsigned char& getR(int x, int y) { return byte(x, y, 0); }
  unsigned char& getG(int x, int y) { return byte(x, y, 1); }
  unsigned char& getB(int x, int y) { return byte(x, y, 2); }
  unsigned char& getA(int x, int y) { return byte(x, y, 3); }
  const unsigned char& getR(int x, int y) const { return byte(x, y, 0); }
  const unsigned char& getG(int x, int y) const { return byte(x, y, 1); }
  const unsigned char& getB(int x, int y) const { return byte(x, y, 2); }
  const unsigned char& getA(int x, int y) const { return byte(x, y, 3); }
  std::uint32_t& getf(float xf, float yf) { return get(fracX(xf), fracY(yf)); }
  const std::uint32_t& getf(float xf, float yf) const { return get(fracX(xf), fracY(yf)); }
  unsigned char& getAf(float xf, float yf) { return getA(fracX(xf), fracY(yf)); }
  const unsigned char& getAf(float xf, float yf) const { return getA(fracX(xf), fracY(yf)); }
  // Bilinear sample; the last column and row are not blended with the first.
  std::uint32_t callf(float xf, float yf) const;

  // Blends the colour into the pixel by add_method (1 to 4).
  void add(int x, int y, std::uint32_t colour);
  void addf(float xf, float yf, std::uint32_t colour) { add(fracX(xf), fracY(yf), colour); }
  // Blends one pass stepping along x and one along y, so pixels hit by both are
  // blended twice.
  void lineto(int x1, int y1, int x2, int y2, std::uint32_t colour);
  void linetof(float x1f, float y1f, float x2f, float y2f, std::uint32_t colour);
  // Flood fill of the 4-connected area of equal colour, wrapping at the edges.
  void fill(int x, int y, std::uint32_t colour);
  void fillf(float xf, float yf, std::uint32_t colour) { fill(fracX(xf), fracY(yf), colour); }
  // Sets (no blending) every pixel strictly inside the circle; does not wrap.
  void putcir(int cx, int cy, float r, std::uint32_t colour);
  // Radius crf·√(w·h).
  void putcirf(float cxf, float cyf, float crf, std::uint32_t colour);
  // add() of every pixel of img at (px + x, py + y).
  void putimg(const Img& img, int px, int py);
  void putimgf(const Img& img, float pxf, float pyf) { putimg(img, fracX(pxf), fracY(pyf)); }
  // Places img's unit square at (vtx, vty) with its x axis along (vxx, vxy) and
  // its y axis along (vyx, vyy), in fractions of this picture.
  void putimg2f(const Img& img, float vtx, float vty, float vxx, float vxy, float vyx, float vyy);
  void clear(std::uint32_t colour);
  // Cyclic shift: pixel (x, y) goes to (x + mx, y + my).
  void move(int mx, int my);
  void movef(float mxf, float myf) { move(fracX(mxf), fracY(myf)); }
  // 3×3 weighted mean per channel over the neighbours inside the picture:
  // first letter x - 1, x, x + 1 (m, z, p), second letter y - 1, y, y + 1.
  void mask(float mm, float zm, float pm, float mz, float zz, float pz, float mp, float zp, float pp);
  void smoth();
  void makeGreay();
  // Crops or pads with zero pixels, keeping the top-left part; no scaling.
  void resize(std::uint32_t nw, std::uint32_t nh);

  // Value noise of inum octaves over grids of 2^(add2cn + octave) cells; grey, opaque.
  void perlinNoise(int inum, int add2cn);
  // maps holds n + 1 pointers to six floats (a, b, c, d, e, f): n maps, then the view.
  void ifs(int n, const float* const* maps, std::uint32_t colour, int count);
  void sierpinskiTriangle();
  // Random walkers from the pixels of alpha 1 stick where they first touch the
  // crystal; true when maxputnum pixels were put.
  bool cristal(int maxputnum, int maxputtrynum, std::uint32_t colour);
  // Rounds of every cristal call so far, of every picture: a progress line goes
  // to standard output every 128.
  static unsigned cristalRounds;
  void texgenkd();
  void texgencastw1();
  void texgencastf();
  void texgenroad1();

  void save2bmp(const char* fileName) const;
  void load2bmp(const char* fileName);
  // Reads a BMP file that starts at the stream's position.
  void load2bmp(FILE* file);
  void save2tga(const char* fileName) const;
  void load2tga(const char* fileName);
  // Reads a TGA file that starts at the stream's position.
  void load2tga(FILE* file);

  std::uint16_t add_method;

private:
  void xy2imgxy(int& x, int& y) const;
  // Offset of the wrapped pixel; throws on a picture without pixels.
  std::size_t index(long long x, long long y) const;
  unsigned char& byte(int x, int y, int channel) { return getData()[index(x, y) * 4 + channel]; }
  const unsigned char& byte(int x, int y, int channel) const { return getData()[index(x, y) * 4 + channel]; }
  // Pixel coordinate of a fraction of the picture.
  int fracX(float xf) const { return toInt(float(w) * xf); }
  int fracY(float yf) const { return toInt(float(h) * yf); }
  // Truncation toward zero that stays defined for any float: NaN gives 0,
  // values beyond int are clamped.
  static int toInt(float v);
  void blend(std::size_t at, std::uint32_t colour);
  // Whether nw × nh keeps within MAX_PIXELS.
  static bool fits(std::uint32_t nw, std::uint32_t nh);
  // Thrown by every operation whose buffers grow with the picture when the
  // memory for them is not there, instead of a std::bad_alloc.
  static constexpr const char* OUT_OF_MEMORY = "Img: out of memory";
  // Zeroed pixels for nw·nh; throws when the picture does not fit.
  static std::uint32_t* allocate(std::uint32_t nw, std::uint32_t nh);
  // Takes ownership of a pixel array of nw·nh.
  void replace(std::uint32_t nw, std::uint32_t nh, std::uint32_t* fresh);
  void copyTiles(const Img& tile, bool shiftOddRows, int channels);

  std::uint32_t w;
  std::uint32_t h;
  std::uint32_t* pixels;
};
