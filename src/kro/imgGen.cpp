// Img: procedural texture generators.
#include <kro/img.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <new>
#include <vector>

// ---- Types and constants ------------------------------------------------------------------------

namespace {

// 2^12 cells a side: 16 million grid values already take seconds of rand().
constexpr int MAX_NOISE_LEVELS = 12;

// Counts of marked positions with the position of the r-th mark found in
// logarithmic time (a Fenwick tree); marks are only ever added. A count per
// position, nothing beside it: 4 bytes a pixel for cristal.
class Marks {
public:
  // n positions, none marked: place() the first marks, then build() once.
  explicit Marks(std::size_t n) : tree(n + 1, 0) {
    for (top = 1; top * 2 < tree.size(); top *= 2) {
    }
  }
  void place(std::size_t at) {
    tree[at + 1] = 1;
    ++total;
  }
  // Sums the placed marks up the tree in one pass.
  void build() {
    for (std::size_t i = 1; i < tree.size(); ++i) {
      const std::size_t parent = i + (i & (~i + 1));
      if (parent < tree.size()) tree[parent] += tree[i];
    }
  }
  std::size_t count() const { return total; }
  void mark(std::size_t at) {
    ++total;
    for (std::size_t i = at + 1; i < tree.size(); i += i & (~i + 1)) ++tree[i];
  }
  // Position of the mark with r marks before it; r < count().
  std::size_t select(std::size_t r) const {
    std::size_t at = 0;
    for (std::size_t step = top; step; step /= 2)
      if (at + step < tree.size() && tree[at + step] <= r) {
        at += step;
        r -= tree[at];
      }
    return at;
  }

private:
  static_assert(Img::MAX_PIXELS <= UINT32_MAX, "a count of a picture's positions fits 32 bits");
  std::vector<std::uint32_t> tree;
  std::size_t total = 0;
  std::size_t top = 1;
};

}  // namespace

// ---- State --------------------------------------------------------------------------------------

unsigned Img::cristalRounds = 0;

// ---- Internal functions -------------------------------------------------------------------------

namespace {

// One walker of cristal, from (x, y) to where it stops: it steps at random while
// its pixel and the four beside it have alpha 0 or 1. True when it sticks there.
bool walkerSticks(const Img& img, long long& x, long long& y, int maxSteps) {
  auto alpha = [&](long long ax, long long ay) { return img.getA(int(ax), int(ay)); };
  auto inside = [&] { return x >= 0 && y >= 0 && x < img.getWidth() && y < img.getHeight(); };
  int steps = 0;
  while (steps < maxSteps && inside() && alpha(x, y) <= 1 && alpha(x + 1, y) <= 1 && alpha(x, y + 1) <= 1 &&
         alpha(x - 1, y) <= 1 && alpha(x, y - 1) <= 1) {
    switch (std::rand() % 4) {
      case 0: ++x; break;
      case 1: ++y; break;
      case 2: --x; break;
      default: --y; break;
    }
    ++steps;
  }
  return !(steps >= maxSteps || !inside() || alpha(x, y) != 0 || alpha(x + 1, y) == 2 || alpha(x, y + 1) == 2 ||
           alpha(x - 1, y) == 2 || alpha(x, y - 1) == 2);
}

}  // namespace

// ---- Public operations --------------------------------------------------------------------------

void Img::perlinNoise(int inum, int add2cn) try {
  if (inum < 0 || add2cn < 0 || inum + add2cn > MAX_NOISE_LEVELS) throw "Img::perlinNoise() grid size out of range";
  clear(0x00F0F0F0);
  const std::size_t N = std::size_t(1) << (inum + add2cn);
  std::vector<int> grid(N * N);
  auto g = [&](std::uint32_t i, std::uint32_t j) { return grid[std::size_t(i) * N + j]; };
  unsigned char* data = getData();
  for (int o = 1; o <= inum; ++o) {
    const std::uint32_t n = 1u << (add2cn + o);
    for (std::uint32_t i = 0; i < n; ++i)
      for (std::uint32_t j = 0; j < n; ++j) grid[std::size_t(i) * N + j] = std::rand() % 255;
    const double scale = std::pow(0.5, o);
    // Cells narrower than a pixel hold at most one pixel, at their start.
    const float cellW = float(std::max<std::uint32_t>(1, w / n)), cellH = float(std::max<std::uint32_t>(1, h / n));
    for (std::uint32_t j = 0; j < n; ++j) {
      const std::uint32_t top = std::uint32_t(std::uint64_t(h) * j / n),
                          bottom = std::uint32_t(std::uint64_t(h) * (j + 1) / n);
      for (std::uint32_t py = top; py < bottom; ++py) {
        const float ty = float(py - top) / cellH;
        unsigned char* row = data + std::size_t(py) * w * 4;
        for (std::uint32_t i = 0; i < n; ++i) {
          const std::uint32_t left = std::uint32_t(std::uint64_t(w) * i / n),
                              right = std::uint32_t(std::uint64_t(w) * (i + 1) / n);
          const int c00 = g(i, j), c10 = g((i + 1) % n, j), c01 = g(i, (j + 1) % n), c11 = g((i + 1) % n, (j + 1) % n);
          for (std::uint32_t px = left; px < right; ++px) {
            const float tx = float(px - left) / cellW;
            const float value = ty * (c11 * tx + (1 - tx) * c01) + (1 - ty) * (c10 * tx + (1 - tx) * c00);
            row[std::size_t(px) * 4 + 3] += static_cast<unsigned char>(int(scale * int(value)));
          }
        }
      }
    }
  }
  unsigned char* p = data;
  for (std::size_t k = 0, count = std::size_t(w) * h; k < count; ++k, p += 4) {
    p[0] = p[1] = p[2] = p[3];
    p[3] = 255;
  }
} catch (const std::bad_alloc&) {
  throw OUT_OF_MEMORY;
}

void Img::ifs(int n, const float* const* maps, std::uint32_t colour, int count) {
  if (n <= 0) throw "Img::ifs() needs at least one map";
  const float* view = maps[n];
  float x = 0.5f, y = 0.5f;
  for (int k = 0; k < count; ++k) {
    const float* m = maps[std::rand() % n];
    const float nx = m[0] * x + m[2] * y + m[4], ny = m[1] * x + m[3] * y + m[5];
    const float px = view[0] * nx + view[2] * ny + view[4], py = view[1] * nx + view[3] * ny + view[5];
    if (px > 0 && px < 1 && py > 0 && py < 1) addf(px, py, colour);
    x = nx;
    y = ny;
  }
}

void Img::sierpinskiTriangle() {
  static const float corner0[6] = {0.5f, 0, 0, 0.5f, 0, 0};
  static const float corner1[6] = {0.5f, 0, 0, 0.5f, 0.5f, 0};
  static const float corner2[6] = {0.5f, 0, 0, 0.5f, 0.25f, 0.5f};
  static const float view[6] = {1, 0, 0, 1, 0, 0};
  static const float* const maps[4] = {corner0, corner1, corner2, view};
  ifs(3, maps, 0x10FF00FF, 0x4FFFF);
}

bool Img::cristal(int maxputnum, int maxputtrynum, std::uint32_t colour) try {
  const int maxSteps = int(16 * std::sqrt(double(w) * h));
  const unsigned char* data = getData();
  // The start points (alpha 1) in the order x outer, y inner, kept up to date
  // instead of counted anew for every walker: only a put pixel changes.
  Marks marks(std::size_t(w) * h);
  for (std::uint32_t y = 0; y < h; ++y)
    for (std::uint32_t x = 0; x < w; ++x)
      if (data[(std::size_t(y) * w + x) * 4 + 3] == 1) marks.place(std::size_t(x) * h + y);
  marks.build();
  int put = 0, tries = 0;
  while (put < maxputnum && tries < maxputtrynum) {
    if (marks.count() == 0) break;
    const std::size_t start = marks.select(std::size_t(std::rand()) % marks.count());
    long long x = start / h, y = start % h;
    if (!walkerSticks(*this, x, y, maxSteps)) {
      ++tries;
    } else {
      add(int(x), int(y), colour);
      ++put;
      tries = 0;
      if (getA(int(x), int(y)) == 1) marks.mark(std::size_t(x) * h + std::size_t(y));
    }
    if (++cristalRounds % 128 == 0) std::printf("cristal\t%X\t%X\r", unsigned(put), unsigned(tries));
  }
  std::printf("\n");
  return put >= maxputnum;
} catch (const std::bad_alloc&) {
  throw OUT_OF_MEMORY;
}

void Img::texgenkd() {
  unsigned char* data = getData();
  auto at = [&](std::uint32_t x, std::uint32_t y) { return data + (std::size_t(y) * w + x) * 4; };
  // R, G and B get the same values, so each pixel is computed once for all three.
  for (std::uint32_t y = 0; y < h; ++y)
    for (std::uint32_t x = 0; x < w; ++x) {
      unsigned char* p = at(x, y);
      p[0] = p[1] = p[2] = static_cast<unsigned char>(
          int(255 / ((float(x) / float(w)) * (float(y) / float(h)) * 100 + 1)));
    }
  for (std::uint32_t y = h / 2; y < h; ++y)
    for (std::uint32_t x = 0; x < w; ++x) std::copy(at(x, (h - y) % h), at(x, (h - y) % h) + 3, at(x, y));
  for (std::uint32_t x = w / 2; x < w; ++x)
    for (std::uint32_t y = 0; y < h; ++y) std::copy(at((w - x) % w, y), at((w - x) % w, y) + 3, at(x, y));
}

void Img::copyTiles(const Img& tile, bool shiftOddRows, int channels) {
  // Tiles end at the picture's edges: nothing is written outside it.
  const unsigned char* from = tile.getData();
  unsigned char* to = getData();
  for (std::uint32_t sy = 0, row = 0; sy < h; sy += tile.h, ++row) {
    const long long shift = shiftOddRows && row % 2 ? tile.w / 2 : 0;
    for (std::uint32_t ty = 0; ty < tile.h && sy + ty < h; ++ty)
      for (std::uint32_t sx = 0; sx < w; sx += tile.w)
        for (std::uint32_t tx = 0; tx < tile.w; ++tx) {
          const long long x = (long long)sx + tx - shift;
          if (x < 0 || x >= w) continue;
          std::copy(from + (std::size_t(ty) * tile.w + tx) * 4, from + (std::size_t(ty) * tile.w + tx) * 4 + channels,
                    to + (std::size_t(sy + ty) * w + x) * 4);
        }
  }
}

void Img::texgencastw1() {
  if (w < 4 || h < 8) throw "Img::texgencastw1() needs a picture of at least 4 x 8 pixels";
  clear(0x80808000);
  Img tile(w / 4, h / 8);
  tile.texgenkd();
  copyTiles(tile, true, 4);
}

void Img::texgencastf() {
  if (w < 2 || h < 2) throw "Img::texgencastf() needs a picture of at least 2 x 2 pixels";
  clear(0x80808000);
  Img tile(w / 2, h / 2);
  tile.texgenkd();
  copyTiles(tile, false, 3);
}

void Img::texgenroad1() try {
  clear(0x80808000);
  for (std::uint32_t y = 0; y < h; ++y) {
    std::uint32_t* row = pixels + std::size_t(y) * w;
    std::fill(row, row + w, 0x00FF0011u);
    std::fill(row + w / 6, row + std::uint64_t(w) * 5 / 6, 0x0000FF10u);
  }
  if (!w || !h) return;
  // The stripe's positions: the columns its x steps reach times the rows its y
  // steps reach in the upper half. A step too small to move a float ends the
  // walk instead of looping forever.
  std::vector<int> columns, rows;
  for (float xf = 0.495f; xf < 0.505;) {
    const int x = fracX(xf);
    if (columns.empty() || columns.back() != x) columns.push_back(x);
    const float next = float(xf + 0.1 / w);
    if (next == xf) break;
    xf = next;
  }
  for (float yf = 0; yf < 1;) {
    if (yf < 0.5) {
      const int y = fracY(yf);
      if (rows.empty() || rows.back() != y) rows.push_back(y);
    }
    const float next = float(yf + 0.1 / h);
    if (next == yf) break;
    yf = next;
  }
  for (int y : rows)
    for (int x : columns) get(x, y) = 0xF0F0F010;
} catch (const std::bad_alloc&) {
  throw OUT_OF_MEMORY;
}
