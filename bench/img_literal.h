#pragma once
// Straightforward versions of Img's costly operations, the yardstick for Img.
//
// Straightforward versions of Img's costly operations, step by step as their
// algorithms read: lineto shifts the whole picture to the start point and back,
// fill recurses, mask filters one channel at a time, cristal scans the picture
// twice per walker. They go through Img's public accessors only and are the
// yardstick that the benchmark times Img against and that the tests compare
// Img's results with, byte for byte.
//
// Where the plain algorithm would divide by zero or write outside the picture,
// these take the same way out as Img: a pass of lineto with no steps is
// skipped (a line of one point blends that point once), noise cells narrower
// than a pixel start their only pixel, tile rows are clipped at the bottom,
// and a filter pixel without weight keeps its value.
#include <kro/img.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace literal {

inline unsigned char& channel(Img& img, int x, int y, int c) {
  switch (c) {
    case 0: return img.getR(x, y);
    case 1: return img.getG(x, y);
    case 2: return img.getB(x, y);
    default: return img.getA(x, y);
  }
}

// Rows right by mx through a row buffer, then columns down by my; straight
// into the pixel array, so that the cost is the shifting, not the accessors.
inline void move(Img& img, int mx, int my) {
  const int w = int(img.getWidth()), h = int(img.getHeight());
  while (mx < 0) mx += w;
  mx %= w;
  while (my < 0) my += h;
  my %= h;
  std::uint32_t* pixels = reinterpret_cast<std::uint32_t*>(img.getData());
  std::vector<std::uint32_t> buffer(std::max(w, h));
  for (int y = 0; y < h; ++y) {
    std::uint32_t* row = pixels + std::size_t(y) * w;
    for (int x = 0; x < w; ++x) buffer[(x + mx) % w] = row[x];
    for (int x = 0; x < w; ++x) row[x] = buffer[x];
  }
  for (int x = 0; x < w; ++x) {
    for (int y = 0; y < h; ++y) buffer[(y + my) % h] = pixels[std::size_t(y) * w + x];
    for (int y = 0; y < h; ++y) pixels[std::size_t(y) * w + x] = buffer[y];
  }
}

inline void lineto(Img& img, int x1, int y1, int x2, int y2, std::uint32_t colour) {
  move(img, -x1, -y1);
  const int dx = x2 - x1, dy = y2 - y1;
  if (dx == 0 && dy == 0) img.add(0, 0, colour);
  if (dx != 0)
    for (int i = std::min(0, dx); i <= std::max(0, dx); ++i) img.add(i, int(double(i) * dy / dx), colour);
  if (dy != 0)
    for (int j = std::min(0, dy); j <= std::max(0, dy); ++j) img.add(int(double(j) * dx / dy), j, colour);
  move(img, x1, y1);
}

// Recursive; a large area needs a thread with a large stack.
inline void fill(Img& img, int x, int y, std::uint32_t colour) {
  const int w = int(img.getWidth()), h = int(img.getHeight());
  x = (x % w + w) % w;
  y = (y % h + h) % h;
  if (img.get(x, y) == colour) return;
  const std::uint32_t old = img.get(x, y);
  img.get(x, y) = colour;
  if (img.get(x + 1, y) == old) fill(img, x + 1, y, colour);
  if (img.get(x, y + 1) == old) fill(img, x, y + 1, colour);
  if (img.get(x - 1, y) == old) fill(img, x - 1, y, colour);
  if (img.get(x, y - 1) == old) fill(img, x, y - 1, colour);
}

inline void mask(Img& img, float mm, float zm, float pm, float mz, float zz, float pz, float mp, float zp, float pp) {
  const int w = int(img.getWidth()), h = int(img.getHeight());
  const float weight[3][3] = {{mm, zm, pm}, {mz, zz, pz}, {mp, zp, pp}};
  std::vector<unsigned char> buffer(std::size_t(w) * h);
  for (int c = 0; c < 4; ++c) {
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        float sum = 0, weights = 0;
        for (int oy = -1; oy <= 1; ++oy)
          for (int ox = -1; ox <= 1; ++ox) {
            if (x + ox < 0 || x + ox >= w || y + oy < 0 || y + oy >= h) continue;
            sum += channel(img, x + ox, y + oy, c) * weight[oy + 1][ox + 1];
            weights += weight[oy + 1][ox + 1];
          }
        float v = weights != 0 ? sum / weights : channel(img, x, y, c);
        if (!(v > 0)) v = 0;
        if (v > 255) v = 255;
        buffer[std::size_t(y) * w + x] = (unsigned char)int(v);
      }
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) channel(img, x, y, c) = buffer[std::size_t(y) * w + x];
  }
}

inline void perlinNoise(Img& img, int inum, int add2cn) {
  const int w = int(img.getWidth()), h = int(img.getHeight());
  img.clear(0x00F0F0F0);
  const int N = 1 << (inum + add2cn);
  std::vector<int> g(std::size_t(N) * N);
  for (int o = 1; o <= inum; ++o) {
    const int n = 1 << (add2cn + o);
    for (int i = 0; i < n; ++i)
      for (int j = 0; j < n; ++j) g[std::size_t(i) * N + j] = std::rand() % 255;
    for (int i = 0; i < n; ++i)
      for (int j = 0; j < n; ++j)
        for (int px = int((long long)w * i / n); px < int((long long)w * (i + 1) / n); ++px)
          for (int py = int((long long)h * j / n); py < int((long long)h * (j + 1) / n); ++py) {
            const float tx = float(px - int((long long)w * i / n)) / float(std::max(1, w / n));
            const float ty = float(py - int((long long)h * j / n)) / float(std::max(1, h / n));
            const int c00 = g[std::size_t(i) * N + j], c10 = g[std::size_t((i + 1) % n) * N + j];
            const int c01 = g[std::size_t(i) * N + (j + 1) % n], c11 = g[std::size_t((i + 1) % n) * N + (j + 1) % n];
            const float value = ty * (c11 * tx + (1 - tx) * c01) + (1 - ty) * (c10 * tx + (1 - tx) * c00);
            img.getA(px, py) += (unsigned char)int(std::pow(0.5, o) * int(value));
          }
  }
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      img.getR(x, y) = img.getG(x, y) = img.getB(x, y) = img.getA(x, y);
      img.getA(x, y) = 255;
    }
}

// Without the progress texts, which touch no pixel.
inline bool cristal(Img& img, int maxputnum, int maxputtrynum, std::uint32_t colour) {
  const int w = int(img.getWidth()), h = int(img.getHeight());
  const int maxSteps = int(16 * std::sqrt(double(w) * h));
  int put = 0, tries = 0;
  while (put < maxputnum && tries < maxputtrynum) {
    int count = 0;
    for (int x = 0; x < w; ++x)
      for (int y = 0; y < h; ++y) count += img.getA(x, y) == 1;
    if (count == 0) break;
    int r = std::rand() % count, x = 0, y = 0;
    for (int sx = 0, left = r; sx < w && left >= 0; ++sx)
      for (int sy = 0; sy < h && left >= 0; ++sy)
        if (img.getA(sx, sy) == 1 && left-- == 0) {
          x = sx;
          y = sy;
        }
    auto inside = [&] { return x >= 0 && y >= 0 && x < w && y < h; };
    int steps = 0;
    while (steps < maxSteps && inside() && img.getA(x, y) <= 1 && img.getA(x + 1, y) <= 1 && img.getA(x, y + 1) <= 1 &&
           img.getA(x - 1, y) <= 1 && img.getA(x, y - 1) <= 1) {
      switch (std::rand() % 4) {
        case 0: ++x; break;
        case 1: ++y; break;
        case 2: --x; break;
        default: --y; break;
      }
      ++steps;
    }
    if (steps >= maxSteps || !inside() || img.getA(x, y) != 0 || img.getA(x + 1, y) == 2 || img.getA(x, y + 1) == 2 ||
        img.getA(x - 1, y) == 2 || img.getA(x, y - 1) == 2) {
      ++tries;
    } else {
      img.add(x, y, colour);
      ++put;
      tries = 0;
    }
  }
  return put >= maxputnum;
}

inline void texgenkd(Img& img) {
  const int w = int(img.getWidth()), h = int(img.getHeight());
  for (int c = 0; c < 3; ++c) {
    for (int x = 0; x < w; ++x)
      for (int y = 0; y < h; ++y)
        channel(img, x, y, c) = (unsigned char)int(255 / ((float(x) / w) * (float(y) / h) * 100 + 1));
    for (int x = 0; x < w; ++x)
      for (int y = h / 2; y < h; ++y) channel(img, x, y, c) = channel(img, x, h - y, c);
    for (int x = w / 2; x < w; ++x)
      for (int y = 0; y < h; ++y) channel(img, x, y, c) = channel(img, w - x, y, c);
  }
}

inline void tiles(Img& img, Img& tile, bool shiftOddRows, int channels) {
  const int w = int(img.getWidth()), h = int(img.getHeight());
  const int tw = int(tile.getWidth()), th = int(tile.getHeight());
  for (int c = 0; c < channels; ++c)
    for (int sy = 0, row = 0; sy < h; sy += th, ++row)
      for (int sx = 0; sx < w; sx += tw)
        for (int ty = 0; ty < th; ++ty)
          for (int tx = 0; tx < tw; ++tx) {
            const int x = sx + tx - (shiftOddRows && row % 2 ? tw / 2 : 0), y = sy + ty;
            if (x >= 0 && x < w && y < h) channel(img, x, y, c) = channel(tile, tx, ty, c);
          }
}

inline void texgencastw1(Img& img) {
  img.clear(0x80808000);
  Img tile(img.getWidth() / 4, img.getHeight() / 8);
  texgenkd(tile);
  tiles(img, tile, true, 4);
}

inline void texgencastf(Img& img) {
  img.clear(0x80808000);
  Img tile(img.getWidth() / 2, img.getHeight() / 2);
  texgenkd(tile);
  tiles(img, tile, false, 3);
}

inline void texgenroad1(Img& img) {
  const unsigned w = img.getWidth(), h = img.getHeight();
  img.clear(0x80808000);
  for (unsigned y = 0; y < h; ++y) {
    for (unsigned x = 0; x < w; ++x) img.get(int(x), int(y)) = 0x00FF0011;
    for (unsigned x = w / 6; x < 5 * w / 6; ++x) img.get(int(x), int(y)) = 0x0000FF10;
  }
  for (float xf = 0.495f; xf < 0.505; xf += 0.1 / w)
    for (float yf = 0; yf < 1; yf += 0.1 / h)
      if (yf < 0.5) img.getf(xf, yf) = 0xF0F0F010;
}

}  // namespace literal
