// Img: BMP and TGA files.
//
// Img: BMP and TGA files. The writers produce 24-bit bottom-up BMP and 32-bit
// top-left TGA files; the readers take those and check every header field they
// rely on before they allocate or read pixels, so that a picture is replaced
// only by a complete one.
#include <kro/img.h>
#include <tessel/tessel.h>

#include <cstring>
#include <memory>
#include <new>
#include <vector>

// ---- Types and constants ------------------------------------------------------------------------

// A row takes at most 3·w + 3 bytes, so no picture within the bound needs more
// than 54 + 6·MAX_PIXELS bytes of file.
static_assert(54 + 6 * Img::MAX_PIXELS <= 0xFFFFFFFFu, "every picture fits a BMP file's 32-bit size");

namespace {

using File = Tessel::File;

}  // namespace

// ---- Internal functions -------------------------------------------------------------------------

namespace {

void put16(unsigned char* at, std::uint32_t v) {
  at[0] = v & 0xFF;
  at[1] = (v >> 8) & 0xFF;
}
void put32(unsigned char* at, std::uint32_t v) {
  put16(at, v & 0xFFFF);
  put16(at + 2, v >> 16);
}
std::uint32_t get16(const unsigned char* at) { return at[0] | std::uint32_t(at[1]) << 8; }
std::uint32_t get32(const unsigned char* at) { return get16(at) | get16(at + 2) << 16; }

// Bytes from the stream's position to its end, or -1 when it cannot tell.
long long remaining(FILE* f) {
  const long at = std::ftell(f);
  if (at < 0) return -1;
  const unsigned long size = Tessel::fileSize(f);
  if (size == static_cast<unsigned long>(-1) || size < static_cast<unsigned long>(at)) return -1;
  return static_cast<long long>(size - at);
}

void write(FILE* f, const void* bytes, std::size_t n, const char* failure) {
  if (n && std::fwrite(bytes, 1, n, f) != n) throw failure;
}

// Closes the file and reports whether everything written reached it.
void finish(File& f, const char* failure) {
  const bool failed = std::ferror(f.get()) != 0;
  if (std::fclose(f.release()) != 0 || failed) throw failure;
}

}  // namespace

// ---- Public operations --------------------------------------------------------------------------

void Img::save2bmp(const char* fileName) const try {
  const std::uint64_t rowSize = (std::uint64_t(w) * 3 + 3) / 4 * 4;
  const std::uint64_t fileSize = 54 + rowSize * h;
  // Before the file is opened: memory running out leaves no file behind.
  std::vector<unsigned char> row(rowSize);
  File f(std::fopen(fileName, "wb"));
  if (!f) throw "Img::save2bmp can not open file";
  const char* failure = "Img::save2bmp can not write file";
  unsigned char head[54] = {'B', 'M'};
  put32(head + 2, std::uint32_t(fileSize));
  put32(head + 10, 54);
  put32(head + 14, 40);
  // The full 32-bit fields: the same bytes as 16-bit ones for every side below
  // 65536, and still the true size above.
  put32(head + 18, w);
  put32(head + 22, h);
  put16(head + 26, 1);
  put16(head + 28, 24);
  put32(head + 38, 2834);
  put32(head + 42, 2834);
  write(f.get(), head, sizeof head, failure);
  const unsigned char* data = getData();
  for (std::uint32_t y = 0; y < h; ++y) {
    const unsigned char* p = data + std::size_t(y) * w * 4;
    for (std::uint32_t x = 0; x < w; ++x, p += 4) {
      row[x * 3] = p[2];
      row[x * 3 + 1] = p[1];
      row[x * 3 + 2] = p[0];
    }
    write(f.get(), row.data(), row.size(), failure);
  }
  finish(f, failure);
} catch (const std::bad_alloc&) {
  throw OUT_OF_MEMORY;
}

void Img::load2bmp(const char* fileName) {
  File f(std::fopen(fileName, "rb"));
  if (!f) throw "Img::load2bmp() can not open file";
  load2bmp(f.get());
}

void Img::load2bmp(FILE* file) try {
  const long long size = remaining(file);
  if (size < 0) throw "Img::load2bmp() can not read file";
  unsigned char head[54];
  if (size < 54 || std::fread(head, 1, sizeof head, file) != sizeof head) throw "Img::load2bmp() file too short";
  if (head[0] != 'B' || head[1] != 'M') throw "Img::load2bmp() not a BMP file";
  const std::uint32_t offset = get32(head + 10), infoSize = get32(head + 14);
  // Later versions of the info header extend the 40-byte one.
  if (infoSize < 40 || get16(head + 26) != 1) throw "Img::load2bmp() unsupported BMP header";
  if (get16(head + 28) != 24) throw "Img::load2bmp() only 24-bit BMP files can be read";
  if (get32(head + 30) != 0) throw "Img::load2bmp() compressed BMP files can not be read";
  const std::int32_t width = std::int32_t(get32(head + 18)), height = std::int32_t(get32(head + 22));
  const long long rows = height < 0 ? -(long long)height : height;
  if (width < 0 || !fits(std::uint32_t(width), std::uint32_t(rows))) throw "Img::load2bmp() picture size out of range";
  if (std::uint64_t(offset) < 14 + std::uint64_t(infoSize)) throw "Img::load2bmp() unsupported BMP header";
  const std::uint32_t nw = std::uint32_t(width), nh = std::uint32_t(rows);
  const std::size_t rowBytes = std::size_t(nw) * 3, rowSize = (rowBytes + 3) / 4 * 4;
  // The last row's padding may be missing; its pixels may not.
  const std::uint64_t needed = std::uint64_t(offset) + (nh ? rowSize * (nh - 1) + rowBytes : 0);
  if (needed > std::uint64_t(size)) throw "Img::load2bmp() file too short";
  if (std::fseek(file, long(offset) - long(sizeof head), SEEK_CUR) != 0) throw "Img::load2bmp() file too short";
  std::vector<unsigned char> row(rowSize);
  std::unique_ptr<std::uint32_t[]> fresh(allocate(nw, nh));
  unsigned char* data = reinterpret_cast<unsigned char*>(fresh.get());
  for (std::uint32_t r = 0; r < nh; ++r) {
    const std::size_t want = r + 1 < nh ? rowSize : rowBytes;
    if (want && std::fread(row.data(), 1, want, file) != want) throw "Img::load2bmp() file too short";
    // Rows are stored bottom-up (our y = 0 first) unless the height is negative.
    const std::uint32_t y = height < 0 ? nh - 1 - r : r;
    unsigned char* p = data + std::size_t(y) * nw * 4;
    for (std::uint32_t x = 0; x < nw; ++x, p += 4) {
      p[0] = row[x * 3 + 2];
      p[1] = row[x * 3 + 1];
      p[2] = row[x * 3];
      p[3] = 255;
    }
  }
  replace(nw, nh, fresh.release());
} catch (const std::bad_alloc&) {
  throw OUT_OF_MEMORY;
}

void Img::save2tga(const char* fileName) const try {
  if (w > 0xFFFF || h > 0xFFFF) throw "Img::save2tga picture too large for a TGA file";
  std::vector<unsigned char> row(std::size_t(w) * 4);
  File f(std::fopen(fileName, "wb"));
  if (!f) throw "Img::save2tga can not open file";
  const char* failure = "Img::save2tga can not write file";
  unsigned char head[18] = {};
  head[2] = 2;
  put16(head + 12, w);
  put16(head + 14, h);
  head[16] = 32;
  head[17] = 0x28;
  write(f.get(), head, sizeof head, failure);
  const unsigned char* data = getData();
  for (std::uint32_t y = 0; y < h; ++y) {
    const unsigned char* p = data + std::size_t(y) * w * 4;
    for (std::uint32_t x = 0; x < w; ++x, p += 4) {
      row[x * 4] = p[2];
      row[x * 4 + 1] = p[1];
      row[x * 4 + 2] = p[0];
      row[x * 4 + 3] = p[3];
    }
    write(f.get(), row.data(), row.size(), failure);
  }
  static const char footer[26] = "\0\0\0\0\0\0\0\0TRUEVISION-XFILE.";
  write(f.get(), footer, sizeof footer, failure);
  finish(f, failure);
} catch (const std::bad_alloc&) {
  throw OUT_OF_MEMORY;
}

void Img::load2tga(const char* fileName) {
  File f(std::fopen(fileName, "rb"));
  if (!f) throw "Img::load2tga can not open file";
  load2tga(f.get());
}

void Img::load2tga(FILE* file) try {
  const long long size = remaining(file);
  if (size < 0) throw "Img::load2tga can not read file";
  unsigned char head[18];
  if (size < 18 || std::fread(head, 1, sizeof head, file) != sizeof head) throw "Img::load2tga file too short";
  if (head[2] != 2 || head[1] > 1) throw "Img::load2tga only uncompressed true-colour TGA files can be read";
  if (head[16] != 32) throw "Img::load2tga only 32-bit TGA files can be read";
  const std::uint32_t nw = get16(head + 12), nh = get16(head + 14);
  if (!fits(nw, nh)) throw "Img::load2tga picture size out of range";
  // An image id and an unused colour map may come before the pixels.
  const std::uint32_t skip = head[0] + (head[1] ? get16(head + 5) * ((head[7] + 7u) / 8) : 0);
  const std::size_t rowSize = std::size_t(nw) * 4;
  if (sizeof head + skip + std::uint64_t(rowSize) * nh > std::uint64_t(size)) throw "Img::load2tga file too short";
  if (std::fseek(file, long(skip), SEEK_CUR) != 0) throw "Img::load2tga file too short";
  std::vector<unsigned char> row(rowSize);
  std::unique_ptr<std::uint32_t[]> fresh(allocate(nw, nh));
  unsigned char* data = reinterpret_cast<unsigned char*>(fresh.get());
  // Rows in stored order from y = 0, whatever the origin bits of byte 17 say:
  // the order our files have, and the one ImageMagick writes and reads too.
  for (std::uint32_t y = 0; y < nh; ++y) {
    if (rowSize && std::fread(row.data(), 1, rowSize, file) != rowSize) throw "Img::load2tga file too short";
    unsigned char* p = data + std::size_t(y) * nw * 4;
    for (std::uint32_t x = 0; x < nw; ++x, p += 4) {
      p[0] = row[x * 4 + 2];
      p[1] = row[x * 4 + 1];
      p[2] = row[x * 4];
      p[3] = row[x * 4 + 3];
    }
  }
  replace(nw, nh, fresh.release());
} catch (const std::bad_alloc&) {
  throw OUT_OF_MEMORY;
}
