// The outline font: FreeType outlines tessellated by GLU into display lists.
#include <platform/outlineFont.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <fontconfig/fontconfig.h>
#endif
#include <GL/gl.h>
#include <GL/glu.h>
#ifndef GLAPIENTRY
#define GLAPIENTRY APIENTRY  // Mesa's name for the convention GLU calls back with
#endif
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <array>
#include <cmath>
#include <deque>
#include <memory>
#include <vector>

namespace platform {

// ---- Types and constants ------------------------------------------------------------------------

namespace {

// Windows-1252 bytes 0x80 to 0x9F; the rest map to the same code point.
const unsigned short CP1252_HIGH[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                        0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                        0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                        0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

using Tessellator = std::unique_ptr<GLUtesselator, void (*)(GLUtesselator*)>;

// Contours of a glyph as points in em units, curves flattened.
struct Outline {
  std::vector<std::vector<std::array<GLdouble, 3>>> contours;
  double scale;
  std::array<double, 2> pen{};

  void moveTo(double x, double y) {
    contours.emplace_back();
    lineTo(x, y);
  }
  void lineTo(double x, double y) {
    contours.back().push_back({x * scale, y * scale, 0});
    pen = {x, y};
  }
  // Segments for a curve whose control polygon is `length` font units long: text is
  // small on screen, and every triangle costs a software renderer per frame.
  int segments(double length) const {
    const int n = int(length * scale * 12) + 1;
    return n < 8 ? n : 8;
  }
  static double distance(double ax, double ay, double bx, double by) { return std::hypot(bx - ax, by - ay); }
  void conicTo(double cx, double cy, double x, double y) {
    const auto p0 = pen;
    const int n = segments(distance(p0[0], p0[1], cx, cy) + distance(cx, cy, x, y));
    for (int i = 1; i <= n; ++i) {
      const double t = double(i) / n, u = 1 - t;
      lineTo(u * u * p0[0] + 2 * u * t * cx + t * t * x, u * u * p0[1] + 2 * u * t * cy + t * t * y);
    }
  }
  void cubicTo(double c1x, double c1y, double c2x, double c2y, double x, double y) {
    const auto p0 = pen;
    const int n = segments(distance(p0[0], p0[1], c1x, c1y) + distance(c1x, c1y, c2x, c2y) + distance(c2x, c2y, x, y));
    for (int i = 1; i <= n; ++i) {
      const double t = double(i) / n, u = 1 - t;
      lineTo(u * u * u * p0[0] + 3 * u * u * t * c1x + 3 * u * t * t * c2x + t * t * t * x,
             u * u * u * p0[1] + 3 * u * u * t * c1y + 3 * u * t * t * c2y + t * t * t * y);
    }
  }
};

// ---- State --------------------------------------------------------------------------------------

// Points the tessellator makes where contours cross; they must live until the polygon ends.
std::deque<std::array<GLdouble, 3>> combined;
// The glyph's triangles, drawn as one batch: a glyph of many small strips and fans
// costs a software renderer far more per frame.
std::vector<const GLdouble*> triangles;

// ---- Internal functions -------------------------------------------------------------------------

unsigned unicodeOf(unsigned byte) { return byte >= 0x80 && byte < 0xA0 ? CP1252_HIGH[byte - 0x80] : byte; }

#ifdef _WIN32
std::string fallback;
// The bytes of the font GDI chose, which FreeType reads from while the face lives.
std::vector<unsigned char> chosen;

// The font Windows itself would draw for "Courier New" bold, TrueType only: its name and file bytes.
std::string chosenByGdi() {
  const HDC dc = CreateCompatibleDC(nullptr);
  const HFONT font = CreateFontW(-64, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_TT_ONLY_PRECIS,
                                 CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, FIXED_PITCH | FF_MODERN, L"Courier New");
  const HGDIOBJ before = SelectObject(dc, font);
  char face[LF_FACESIZE] = "";
  GetTextFaceA(dc, sizeof face, face);
  const DWORD size = GetFontData(dc, 0, 0, nullptr, 0);
  chosen.assign(size == GDI_ERROR ? 0 : size, 0);
  if (!chosen.empty() && GetFontData(dc, 0, 0, chosen.data(), size) != size) chosen.clear();
  SelectObject(dc, before);
  DeleteObject(font);
  DeleteDC(dc);
  return face;
}

// Courier New bold from the Windows font folder; where it is absent (Wine has none) the
// closest font GDI offers, which still draws, and a note of it for the log.
FT_Error openFace(FT_Library library, FT_Face* face, std::string& source) {
  char folder[MAX_PATH];
  const UINT length = GetWindowsDirectoryA(folder, sizeof folder);
  source = std::string(folder, length < sizeof folder ? length : 0) + "\\Fonts\\courbd.ttf";
  if (GetFileAttributesA(source.c_str()) != INVALID_FILE_ATTRIBUTES)
    return FT_New_Face(library, source.c_str(), 0, face);
  source = chosenByGdi();
  if (chosen.empty()) return FT_Err_Cannot_Open_Resource;
  fallback = "Courier New bold is not in the Windows font folder: the text is drawn in " + source;
  return FT_New_Memory_Face(library, chosen.data(), FT_Long(chosen.size()), 0, face);
}
#else
// A fontconfig pattern, destroyed with its owner.
using Pattern = std::unique_ptr<FcPattern, void (*)(FcPattern*)>;

std::string fontFile() {
  if (!FcInit()) return "";
  Pattern pattern(FcNameParse(reinterpret_cast<const FcChar8*>("Courier New:bold")), FcPatternDestroy);
  FcConfigSubstitute(nullptr, pattern.get(), FcMatchPattern);
  FcDefaultSubstitute(pattern.get());
  FcResult result;
  Pattern match(FcFontMatch(nullptr, pattern.get(), &result), FcPatternDestroy);
  FcChar8* file = nullptr;
  if (!match || FcPatternGetString(match.get(), FC_FILE, 0, &file) != FcResultMatch) return "";
  return reinterpret_cast<const char*>(file);
}

FT_Error openFace(FT_Library library, FT_Face* face, std::string& source) {
  source = fontFile();
  if (source.empty()) return FT_Err_Cannot_Open_Resource;
  return FT_New_Face(library, source.c_str(), 0, face);
}
#endif

int moveTo(const FT_Vector* to, void* user) {
  static_cast<Outline*>(user)->moveTo(to->x, to->y);
  return 0;
}
int lineTo(const FT_Vector* to, void* user) {
  static_cast<Outline*>(user)->lineTo(to->x, to->y);
  return 0;
}
int conicTo(const FT_Vector* c, const FT_Vector* to, void* user) {
  static_cast<Outline*>(user)->conicTo(c->x, c->y, to->x, to->y);
  return 0;
}
int cubicTo(const FT_Vector* c1, const FT_Vector* c2, const FT_Vector* to, void* user) {
  static_cast<Outline*>(user)->cubicTo(c1->x, c1->y, c2->x, c2->y, to->x, to->y);
  return 0;
}

void GLAPIENTRY combine(const GLdouble coords[3], void* [4], const GLfloat[4], void** out) {
  combined.push_back({coords[0], coords[1], coords[2]});
  *out = combined.back().data();
}
void GLAPIENTRY vertex(void* data) { triangles.push_back(static_cast<const GLdouble*>(data)); }
// With an edge-flag callback the tessellator gives independent triangles only.
void GLAPIENTRY edgeFlag(GLboolean) {}
void GLAPIENTRY begin(GLenum) {}
void GLAPIENTRY end() {}

void fill(GLUtesselator* tess, Outline& outline) {
  combined.clear();
  triangles.clear();
  gluTessBeginPolygon(tess, nullptr);
  for (auto& contour : outline.contours) {
    gluTessBeginContour(tess);
    for (auto& point : contour) gluTessVertex(tess, point.data(), point.data());
    gluTessEndContour(tess);
  }
  gluTessEndPolygon(tess);
  glBegin(GL_TRIANGLES);
  for (const GLdouble* point : triangles) glVertex2d(point[0], point[1]);
  glEnd();
}

// The steps of buildOutlineFont.

const FT_Outline_Funcs OUTLINE_STEPS = {moveTo, lineTo, conicTo, cubicTo, 0, 0};

// Fills by the nonzero rule in the z = 0 plane, handing over independent triangles.
Tessellator glyphTessellator() {
  Tessellator tess(gluNewTess(), gluDeleteTess);
  gluTessCallback(tess.get(), GLU_TESS_BEGIN, reinterpret_cast<void(GLAPIENTRY*)()>(begin));
  gluTessCallback(tess.get(), GLU_TESS_VERTEX, reinterpret_cast<void(GLAPIENTRY*)()>(vertex));
  gluTessCallback(tess.get(), GLU_TESS_END, reinterpret_cast<void(GLAPIENTRY*)()>(end));
  gluTessCallback(tess.get(), GLU_TESS_COMBINE, reinterpret_cast<void(GLAPIENTRY*)()>(combine));
  gluTessCallback(tess.get(), GLU_TESS_EDGE_FLAG, reinterpret_cast<void(GLAPIENTRY*)()>(edgeFlag));
  gluTessProperty(tess.get(), GLU_TESS_WINDING_RULE, GLU_TESS_WINDING_NONZERO);
  gluTessNormal(tess.get(), 0, 0, 1);
  return tess;
}

// The outline and metrics of the glyph for byte code, in em units. Bytes without
// a glyph draw nothing but still take the font's default advance.
void loadGlyph(FT_Face face, unsigned code, Outline& outline, GlyphMetrics& m) {
  const unsigned unicode = unicodeOf(code);
  const FT_UInt index = unicode ? FT_Get_Char_Index(face, unicode) : 0;
  m = GlyphMetrics{};
  if (FT_Load_Glyph(face, index, FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP) != 0) return;
  const FT_GlyphSlot g = face->glyph;
  if (index && g->format == FT_GLYPH_FORMAT_OUTLINE) FT_Outline_Decompose(&g->outline, &OUTLINE_STEPS, &outline);
  const double scale = outline.scale;
  m.cellIncX = float(g->advance.x * scale);
  m.blackBoxX = float(g->metrics.width * scale);
  m.blackBoxY = float(g->metrics.height * scale);
  m.originX = float(g->metrics.horiBearingX * scale);
  m.originY = float(g->metrics.horiBearingY * scale);
}

// One display list: the filled glyph, then the move right by its advance.
void compileGlyph(unsigned list, GLUtesselator* tess, Outline& outline, float advance) {
  glNewList(list, GL_COMPILE);
  if (!outline.contours.empty()) fill(tess, outline);
  glTranslatef(advance, 0, 0);
  glEndList();
}

}  // namespace

// ---- Public operations --------------------------------------------------------------------------

bool buildOutlineFont(unsigned base, GlyphMetrics metrics[256], std::string& error) {
  FT_Library library;
  if (FT_Init_FreeType(&library)) {
    error = "cannot start FreeType";
    return false;
  }
  std::unique_ptr<FT_LibraryRec_, FT_Error (*)(FT_Library)> libraryOwner(library, FT_Done_FreeType);
  FT_Face face;
  std::string file;
  if (const FT_Error failed = openFace(library, &face, file)) {
    error = failed == FT_Err_Cannot_Open_Resource && file.empty()
                ? "no font matches \"Courier New:bold\" (install fonts-liberation2)"
                : "cannot read the font " + file;
    return false;
  }
  if (!FT_IS_SCALABLE(face)) {
    FT_Done_Face(face);
    error = "cannot read the font " + file;
    return false;
  }
  FT_Select_Charmap(face, FT_ENCODING_UNICODE);
  const Tessellator tess = glyphTessellator();
  for (unsigned code = 0; code < 256; ++code) {
    Outline outline;
    outline.scale = 1.0 / face->units_per_EM;
    loadGlyph(face, code, outline, metrics[code]);
    compileGlyph(base + code, tess.get(), outline, metrics[code].cellIncX);
  }
  FT_Done_Face(face);
  return true;
}

#ifdef _WIN32
const std::string& outlineFontFallback() { return fallback; }
#else
const std::string& outlineFontFallback() {
  static const std::string none;
  return none;
}
#endif

}  // namespace platform
