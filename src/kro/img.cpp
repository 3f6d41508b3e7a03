// Img: construction, pixel access, blending, drawing and filters.
#include <kro/img.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

// ---- Types and constants ------------------------------------------------------------------------

// A colour word read back as bytes must give R, G, B, A in this order.
static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "Img stores 0xAABBGGRR words as R, G, B, A");

// Every coordinate of a picture must fit an int.
static_assert(Img::MAX_PIXELS <= INT_MAX, "a side as long as the bound allows fits an int");

// ---- Internal functions -------------------------------------------------------------------------

namespace {

std::uint32_t wrap(long long v, std::uint32_t size) {
  long long r = v % static_cast<long long>(size);
  return static_cast<std::uint32_t>(r < 0 ? r + size : r);
}

unsigned char clampByte(float v) {
  if (!(v > 0.0f)) return 0;  // NaN too
  if (v > 255.0f) return 255;
  return static_cast<unsigned char>(static_cast<int>(v));
}

// One output pixel of the 3×3 filter, the four channels at once. The sums run
// in the order of the weights so that every pixel gets the same float result
// whichever path computes it.
template <bool Inner>
void maskPixel(const unsigned char* src, unsigned char* out, std::uint32_t w, std::uint32_t h, std::uint32_t x,
               std::uint32_t y, const float* weight) {
  const unsigned char* at = src + (std::size_t(y) * w + x) * 4;
  for (int c = 0; c < 4; ++c) {
    float sum = 0, weights = 0;
    int k = 0;
    for (int oy = -1; oy <= 1; ++oy)
      for (int ox = -1; ox <= 1; ++ox, ++k) {
        if (!Inner && ((ox < 0 && x == 0) || (ox > 0 && x + 1 == w) || (oy < 0 && y == 0) || (oy > 0 && y + 1 == h)))
          continue;
        sum += at[(std::ptrdiff_t(oy) * std::ptrdiff_t(w) + ox) * 4 + c] * weight[k];
        weights += weight[k];
      }
    // No weight, no mean: the pixel keeps its value.
    if (weights != 0) out[c] = clampByte(sum / weights);
  }
}

}  // namespace

// ---- Public operations --------------------------------------------------------------------------

bool Img::fits(std::uint32_t nw, std::uint32_t nh) {
  // An empty side counts as one, so that the other side alone keeps within the
  // bound too. Two 32-bit factors cannot overflow 64 bits.
  return std::uint64_t(std::max(nw, 1u)) * std::max(nh, 1u) <= MAX_PIXELS;
}

std::uint32_t* Img::allocate(std::uint32_t nw, std::uint32_t nh) {
  if (!fits(nw, nh)) throw "Img: picture too large";
  try {
    return new std::uint32_t[std::size_t(nw) * nh]();
  } catch (const std::bad_alloc&) {
    throw OUT_OF_MEMORY;
  }
}

Img::Img(std::uint32_t w, std::uint32_t h) : add_method(3), w(w), h(h), pixels(allocate(w, h)) {}

Img::Img(const Img& o) : add_method(o.add_method), w(o.w), h(o.h), pixels(allocate(o.w, o.h)) {
  std::printf("debug Img::Img(Img) copy data\n");
  std::copy(o.pixels, o.pixels + std::size_t(w) * h, pixels);
}

Img::~Img() { delete[] pixels; }

void Img::replace(std::uint32_t nw, std::uint32_t nh, std::uint32_t* fresh) {
  delete[] pixels;
  pixels = fresh;
  w = nw;
  h = nh;
}

int Img::toInt(float v) {
  if (!(v == v)) return 0;
  if (v >= 2147483648.0f) return INT_MAX;
  if (v <= -2147483648.0f) return INT_MIN;
  return static_cast<int>(v);
}

void Img::xy2imgxy(int& x, int& y) const {
  if (!w || !h) throw "Img: picture has no pixels";
  x = static_cast<int>(wrap(x, w));
  y = static_cast<int>(wrap(y, h));
}

std::size_t Img::index(long long x, long long y) const {
  if (!w || !h) throw "Img: picture has no pixels";
  return std::size_t(wrap(y, h)) * w + wrap(x, w);
}

std::uint32_t Img::callf(float xf, float yf) const {
  const float fx = xf * float(w), fy = yf * float(h);
  // Rounding down rather than toward zero keeps the weights within 0..1 left of
  // and above the origin too; the same cell for every position from 0 on.
  const int x0 = toInt(std::floor(fx)), y0 = toInt(std::floor(fy));
  float tx = fx - float(x0), ty = fy - float(y0);
  if (!(tx >= 0.0f && tx <= 1.0f)) tx = 0.0f;
  if (!(ty >= 0.0f && ty <= 1.0f)) ty = 0.0f;
  int x = x0, y = y0;
  xy2imgxy(x, y);
  const bool lastX = std::uint32_t(x) == w - 1, lastY = std::uint32_t(y) == h - 1;
  const unsigned char* data = getData();
  const unsigned char* p00 = data + (std::size_t(y) * w + x) * 4;
  const unsigned char* p10 = lastX ? p00 : p00 + 4;
  const unsigned char* p01 = lastY ? p00 : p00 + std::size_t(w) * 4;
  const unsigned char* p11 = lastX ? p01 : p01 + 4;
  std::uint32_t result = 0;
  for (int i = 0; i < 4; ++i) {
    float v;
    if (lastX && lastY)
      v = p00[i];
    else if (lastX)
      v = p01[i] * ty + (1 - ty) * p00[i];
    else if (lastY)
      v = p10[i] * tx + (1 - tx) * p00[i];
    else
      v = (p11[i] * tx + (1 - tx) * p01[i]) * ty + (1 - ty) * (p10[i] * tx + (1 - tx) * p00[i]);
    result |= std::uint32_t(clampByte(v)) << (8 * i);
  }
  return result;
}

void Img::blend(std::size_t at, std::uint32_t colour) {
  unsigned char* p = getData() + at * 4;
  const float na = float(colour >> 24) / 255.0f;
  const float oa = float(p[3]) / 255.0f;
  float k;  // weight kept from the old colour
  int alpha;
  switch (add_method) {
    case 1:
      // Two transparent colours would weigh 0/0; they count alike instead.
      k = oa + na > 0.0f ? oa / (oa + na) : 0.5f;
      alpha = std::min(int(k), int(na)) * 255;
      break;
    case 2:
      k = oa;
      alpha = p[3];
      break;
    case 3:
      k = 1 - na;
      alpha = std::min(255, int(p[3] + na * 255));
      break;
    case 4:
      k = 0;
      alpha = int(na * 255);
      break;
    default: throw "Img::add() unknow add_methond";
  }
  for (int c = 0; c < 3; ++c) {
    const unsigned char n = (colour >> (8 * c)) & 0xFF;
    p[c] = static_cast<unsigned char>(int(p[c] * k + n * (1 - k)));
  }
  p[3] = static_cast<unsigned char>(alpha);
}

void Img::add(int x, int y, std::uint32_t colour) { blend(index(x, y), colour); }

void Img::lineto(int x1, int y1, int x2, int y2, std::uint32_t colour) {
  // Drawn at the offset of the start point: the pixels that shifting the
  // picture there and back would give, without touching the rest of it.
  if (!w || !h) throw "Img: picture has no pixels";
  const long long dx = (long long)x2 - x1, dy = (long long)y2 - y1;
  if (dx == 0 && dy == 0) {
    // Both passes would divide 0 by 0; the line is its one point.
    add(x1, y1, colour);
    return;
  }
  // A pass whose step count is 0 would divide by it; the other pass draws the line.
  if (dx != 0) {
    const long long from = std::min(0LL, dx), to = std::max(0LL, dx);
    std::uint32_t x = wrap(x1 + from, w);
    for (long long i = from; i <= to; ++i) {
      const long long j = static_cast<long long>(double(i) * double(dy) / double(dx));
      blend(std::size_t(wrap(y1 + j, h)) * w + x, colour);
      if (++x == w) x = 0;
    }
  }
  if (dy != 0) {
    const long long from = std::min(0LL, dy), to = std::max(0LL, dy);
    std::uint32_t y = wrap(y1 + from, h);
    for (long long j = from; j <= to; ++j) {
      const long long i = static_cast<long long>(double(j) * double(dx) / double(dy));
      blend(std::size_t(y) * w + wrap(x1 + i, w), colour);
      if (++y == h) y = 0;
    }
  }
}

void Img::linetof(float x1f, float y1f, float x2f, float y2f, std::uint32_t colour) {
  lineto(fracX(x1f), fracY(y1f), fracX(x2f), fracY(y2f), colour);
}

void Img::fill(int x, int y, std::uint32_t colour) try {
  const std::size_t start = index(x, y);
  const std::uint32_t old = pixels[start];
  if (old == colour) return;
  // Scanline fill with a stack of seeds instead of call recursion, which a large
  // area would overflow; it fills the same 4-connected set.
  std::vector<std::size_t> seeds{start};
  while (!seeds.empty()) {
    const std::size_t seed = seeds.back();
    seeds.pop_back();
    if (pixels[seed] != old) continue;
    const std::size_t row = seed / w * w;
    std::uint32_t left = std::uint32_t(seed - row), right = left, len = 1;
    for (std::uint32_t l = left ? left - 1 : w - 1; len < w && pixels[row + l] == old; l = l ? l - 1 : w - 1) {
      left = l;
      ++len;
    }
    for (std::uint32_t r = right + 1 == w ? 0 : right + 1; len < w && pixels[row + r] == old;
         r = r + 1 == w ? 0 : r + 1) {
      right = r;
      ++len;
    }
    for (std::uint32_t k = 0, at = left; k < len; ++k, at = at + 1 == w ? 0 : at + 1) pixels[row + at] = colour;
    const std::size_t y0 = row / w;
    for (std::size_t ny : {y0 ? y0 - 1 : h - 1, y0 + 1 == h ? 0 : y0 + 1}) {
      if (ny == y0) continue;
      const std::size_t other = ny * w;
      bool inRun = false;
      for (std::uint32_t k = 0, at = left; k < len; ++k, at = at + 1 == w ? 0 : at + 1) {
        const bool match = pixels[other + at] == old;
        if (match && !inRun) seeds.push_back(other + at);
        inRun = match;
      }
    }
  }
} catch (const std::bad_alloc&) {
  throw OUT_OF_MEMORY;
}

void Img::putcir(int cx, int cy, float r, std::uint32_t colour) {
  const float r2 = r * r;
  if (!(r2 > 0.0f) || !w || !h) return;
  // Only the rows and columns within reach of the centre can pass the test.
  const double reach = std::sqrt(double(r2)) + 1;
  const long long yFrom = std::max(0.0, std::ceil(cy - reach)), yTo = std::min(double(h) - 1, std::floor(cy + reach));
  const long long xFrom = std::max(0.0, std::ceil(cx - reach)), xTo = std::min(double(w) - 1, std::floor(cx + reach));
  for (long long y = yFrom; y <= yTo; ++y) {
    const double ddy = double(cy - y);
    for (long long x = xFrom; x <= xTo; ++x) {
      const double ddx = double(cx - x);
      if (ddx * ddx + ddy * ddy < double(r2)) pixels[std::size_t(y) * w + x] = colour;
    }
  }
}

void Img::putcirf(float cxf, float cyf, float crf, std::uint32_t colour) {
  putcir(fracX(cxf), fracY(cyf), float(crf * std::sqrt(double(w) * h)), colour);
}

void Img::putimg(const Img& img, int px, int py) {
  for (std::uint32_t y = 0; y < img.h; ++y)
    for (std::uint32_t x = 0; x < img.w; ++x)
      blend(index((long long)px + x, (long long)py + y), img.pixels[std::size_t(y) * img.w + x]);
}

void Img::putimg2f(const Img& img, float vtx, float vty, float vxx, float vxy, float vyx, float vyy) {
  std::printf("debug putimg2f( img, %f, %f,   %f, %f,   %f, %f );\n", vtx, vty, vxx, vxy, vyx, vyy);
  const float det = vxx * vyy - vxy * vyx;
  // A flat placement covers no area; its inverse does not exist.
  if (det == 0.0f || !img.w || !img.h) return;
  const float inv = 1 / det;
  const long long ox = fracX(vtx), oy = fracY(vty);
  for (std::uint32_t y = 0; y < h; ++y) {
    const float dy = float(y - oy) / float(h);
    for (std::uint32_t x = 0; x < w; ++x) {
      const float dx = float(x - ox) / float(w);
      const float u = dy * (-vyx) * inv + dx * vyy * inv;
      const float v = dy * vxx * inv + dx * (-vxy) * inv;
      if (u >= 0 && u <= 1 && v >= 0 && v <= 1) blend(std::size_t(y) * w + x, img.callf(u, v));
    }
  }
}

void Img::clear(std::uint32_t colour) { std::fill(pixels, pixels + std::size_t(w) * h, colour); }

void Img::move(int mx, int my) {
  if (!w || !h) return;
  const std::uint32_t sx = wrap(mx, w), sy = wrap(my, h);
  if (sx)
    for (std::uint32_t* row = pixels; row != pixels + std::size_t(w) * h; row += w)
      std::rotate(row, row + (w - sx), row + w);
  // Shifting every column down by sy moves whole rows.
  if (sy) std::rotate(pixels, pixels + std::size_t(h - sy) * w, pixels + std::size_t(h) * w);
}

void Img::mask(float mm, float zm, float pm, float mz, float zz, float pz, float mp, float zp, float pp) try {
  if (!w || !h) return;
  const float weight[9] = {mm, zm, pm, mz, zz, pz, mp, zp, pp};
  // A channel reads only its own old values, so all four are filtered in one
  // pass from a copy.
  const std::vector<std::uint32_t> copy(pixels, pixels + std::size_t(w) * h);
  const unsigned char* src = reinterpret_cast<const unsigned char*>(copy.data());
  unsigned char* out = getData();
  for (std::uint32_t y = 0; y < h; ++y) {
    const bool innerRow = y > 0 && y + 1 < h;
    for (std::uint32_t x = 0; x < w; ++x) {
      unsigned char* o = out + (std::size_t(y) * w + x) * 4;
      if (innerRow && x > 0 && x + 1 < w)
        maskPixel<true>(src, o, w, h, x, y, weight);
      else
        maskPixel<false>(src, o, w, h, x, y, weight);
    }
  }
} catch (const std::bad_alloc&) {
  throw OUT_OF_MEMORY;
}

void Img::smoth() { mask(0.1f, 0.1f, 0.1f, 0.1f, 0.2f, 0.1f, 0.1f, 0.1f, 0.1f); }

void Img::makeGreay() {
  unsigned char* p = getData();
  for (std::size_t i = 0, n = std::size_t(w) * h; i < n; ++i, p += 4) {
    const unsigned char mean = static_cast<unsigned char>((p[0] + p[1] + p[2] + p[3]) >> 2);
    p[0] = p[1] = p[2] = p[3] = mean;
  }
}

void Img::resize(std::uint32_t nw, std::uint32_t nh) {
  std::uint32_t* fresh = allocate(nw, nh);
  const std::uint32_t keepW = std::min(w, nw), keepH = std::min(h, nh);
  for (std::uint32_t y = 0; y < keepH; ++y)
    std::copy(pixels + std::size_t(y) * w, pixels + std::size_t(y) * w + keepW, fresh + std::size_t(y) * nw);
  replace(nw, nh, fresh);
}
