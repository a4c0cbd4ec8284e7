#include "platform/text.h"

#include <SDL.h>
#include <SDL_ttf.h>
#ifdef _WIN32
#include "platform/win32_api.h"
#elif defined(__EMSCRIPTEN__)
// No font service on a web page: the one face is packed with it.
#else
#include <fontconfig/fontconfig.h>
#endif

#include <cstring>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/hooks.h"

namespace zorta {

struct TextFont {
  TTF_Font* font;
  int pixelHeight;
};

struct TextDC {
  DirectDrawSurface* surface;  // null for the screen context
  uint8_t* pixels;
  int32_t pitch;
  int width, height;
  int bytes;
  uint32_t masks[3];
  int bkMode;
  COLORREF colour;
  HFONT font;
};

namespace {
std::map<std::string, std::string> faceFiles;  // face name -> font file
std::map<std::string, TextFont*> fonts;        // "file|pixels" -> open font
#ifdef ZORTA_TESTING
int fontOpens = 0;
#endif
TextDC screenDC = {};

// Rendered strings, one byte per pixel (non-zero where the text is drawn).
// The same short labels are drawn every frame; rendering them again each time
// would cost more than all the other drawing of a frame.
struct RenderedText {
  std::vector<uint8_t> coverage;
  int width, height;
};
std::unordered_map<std::string, RenderedText> renderedTexts;
const size_t RenderedTextLimit = 1024;

// Text that reads as UTF-8 with letters beyond ASCII is drawn as UTF-8 (file
// names are); anything else as Latin-1, as before, and ASCII is the same in both.
bool IsUtf8Beyond(const std::string& s) {
  bool beyond = false;
  for (size_t i = 0; i < s.size();) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    size_t n = 4;  // continuation bytes that follow; 4 for a byte that cannot start a character
    if (c < 0x80)
      n = 0;
    else if (c >= 0xC2 && c < 0xE0)
      n = 1;
    else if (c >= 0xE0 && c < 0xF0)
      n = 2;
    else if (c >= 0xF0 && c < 0xF5)
      n = 3;
    if (n == 4 || i + n >= s.size()) return false;
    for (size_t k = 1; k <= n; k++)
      if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
    beyond = beyond || n > 0;
    i += n + 1;
  }
  return beyond;
}

const RenderedText* RenderText(TextFont* font, const char* text, int length) {
  std::string key(reinterpret_cast<const char*>(&font), sizeof font);
  key.append(text, static_cast<size_t>(length));
  auto it = renderedTexts.find(key);
  if (it != renderedTexts.end()) return &it->second;
  std::string s(text, static_cast<size_t>(length));
  SDL_Color white = {255, 255, 255, 255};
  SDL_Surface* glyphs = IsUtf8Beyond(s) ? TTF_RenderUTF8_Solid(font->font, s.c_str(), white)
                                         : TTF_RenderText_Solid(font->font, s.c_str(), white);
  if (glyphs == nullptr) return nullptr;
  RenderedText r;
  r.width = glyphs->w;
  r.height = glyphs->h;
  r.coverage.resize(static_cast<size_t>(r.width) * r.height);
  if (SDL_MUSTLOCK(glyphs)) SDL_LockSurface(glyphs);
  for (int row = 0; row < r.height; row++) {
    const uint8_t* src = static_cast<const uint8_t*>(glyphs->pixels) + row * glyphs->pitch;
    for (int col = 0; col < r.width; col++) r.coverage[static_cast<size_t>(row) * r.width + col] = src[col] != 0;
  }
  if (SDL_MUSTLOCK(glyphs)) SDL_UnlockSurface(glyphs);
  SDL_FreeSurface(glyphs);
  if (renderedTexts.size() >= RenderedTextLimit) renderedTexts.clear();
  return &(renderedTexts[key] = std::move(r));
}

bool EnsureTtf() { return TTF_WasInit() || TTF_Init() == 0; }

#ifdef _WIN32
// Asked the way SDL2_ttf will open it (names in UTF-8, as SDL_GetBasePath gives them).
bool FileExists(const std::string& file) {
  SDL_RWops* f = SDL_RWFromFile(file.c_str(), "rb");
  if (f == nullptr) return false;
  SDL_RWclose(f);
  return true;
}

// The DejaVu Sans that ships beside the program, for systems without the face.
std::string ShippedFont() {
  char* base = SDL_GetBasePath();
  std::string file = std::string(base != nullptr ? base : "") + "DejaVuSans.ttf";
  SDL_free(base);
  return FileExists(file) ? file : "";
}

// Windows has no fontconfig: a face is found among the fonts the system
// registers. "MS Sans Serif" is a bitmap face that SDL2_ttf cannot scale; its
// TrueType successor, Microsoft Sans Serif, stands in for it and for
// "sans-serif", and where that is missing too, the shipped font does.
std::string MatchFile(const char* family) {
  std::string face = family;
  bool sans = SDL_strcasecmp(family, "MS Sans Serif") == 0 || SDL_strcasecmp(family, "sans-serif") == 0;
  if (sans) face = "Microsoft Sans Serif";
  std::string file = Win32RegisteredFontFile(face.c_str());
  if (!file.empty() && FileExists(file)) return file;
  if (SDL_strcasecmp(face.c_str(), "Microsoft Sans Serif") == 0) {
    file = Win32FontsFolder() + "\\micross.ttf";
    if (FileExists(file)) return file;
  }
  return sans ? ShippedFont() : "";
}
#elif defined(__EMSCRIPTEN__)
// A web page has no fonts of its own to ask for: every face is the DejaVu
// Sans packed with the page, as fontconfig gives it for "MS Sans Serif" on Linux.
std::string MatchFile(const char*) { return "/DejaVuSans.ttf"; }
#else
std::string MatchFile(const char* family) {
  std::string file;
  if (!FcInit()) return file;
  FcPattern* pattern = FcPatternCreate();
  if (pattern == nullptr) return file;
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
  // SDL2_ttf draws outline fonts; bitmap faces of the same name would not scale.
  FcPatternAddBool(pattern, FC_OUTLINE, FcTrue);
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  if (match != nullptr) {
    FcChar8* path = nullptr;
    if (FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch && path != nullptr) {
      file = reinterpret_cast<const char*>(path);
    }
    FcPatternDestroy(match);
  }
  FcPatternDestroy(pattern);
  return file;
}
#endif

const std::string& ResolveFace(const char* face) {
  std::string key = face != nullptr ? face : "";
  auto it = faceFiles.find(key);
  if (it != faceFiles.end()) return it->second;
  std::string file = MatchFile(key.c_str());
  if (file.empty()) file = MatchFile("sans-serif");
  return faceFiles[key] = file;
}

TextFont* OpenFont(const std::string& file, int pixels) {
  std::string key = file + "|" + std::to_string(pixels);
  auto it = fonts.find(key);
  if (it != fonts.end()) return it->second;
  TTF_Font* font = nullptr;
  if (!file.empty()) {
#ifdef ZORTA_TESTING
    fontOpens++;
#endif
    // At 72 points per inch a point size is a size in pixels.
    font = TTF_OpenFont(file.c_str(), pixels);
  }
  TextFont* entry = nullptr;
  if (font != nullptr) entry = new TextFont{font, pixels};
  // A failed open is remembered too, so it is not retried on every call.
  fonts[key] = entry;
  return entry;
}

int MaskShift(uint32_t mask) {
  int shift = 0;
  while (mask != 0 && (mask & 1) == 0) mask >>= 1, shift++;
  return shift;
}

int MaskBits(uint32_t mask) {
  int bits = 0;
  for (; mask != 0; mask >>= 1) bits += mask & 1;
  return bits;
}

uint32_t PixelOf(const TextDC* dc, COLORREF colour) {
  const int channel[3] = {static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                          static_cast<int>((colour >> 16) & 0xFF)};
  uint32_t pixel = 0;
  for (int i = 0; i < 3; i++) {
    int bits = MaskBits(dc->masks[i]);
    if (bits == 0 || bits > 8) continue;
    pixel |= (static_cast<uint32_t>(channel[i]) >> (8 - bits)) << MaskShift(dc->masks[i]);
  }
  return pixel;
}
}  // namespace

int MulDiv(int a, int b, int c) {
  if (c == 0) return -1;
  int64_t product = static_cast<int64_t>(a) * b;
  int64_t half = (c < 0 ? -static_cast<int64_t>(c) : c) / 2;
  bool negative = (product < 0) != (c < 0);
  int64_t magnitude = (product < 0 ? -product : product) + half;
  int64_t q = magnitude / (c < 0 ? -static_cast<int64_t>(c) : c);
  if (q > INT32_MAX) return -1;
  return static_cast<int>(negative ? -q : q);
}

HRESULT DDSurfaceGetDC(DirectDrawSurface* surface, HDC* dc) {
  *dc = nullptr;
  if (surface == nullptr) return DDERR_INVALIDPARAMS;
  if (SeamShouldFail("GetDC")) return DDERR_GENERIC;
  if (DDSurfaceIsLost(surface) != DD_OK) return DDERR_SURFACELOST;
  DDSURFACEDESC desc;
  HRESULT result;
  do {
    result = DDSurfaceLock(surface, nullptr, &desc, 0);
  } while (result == DDERR_WASSTILLDRAWING);
  if (result != DD_OK) return result;
  TextDC* c = new TextDC();
  c->surface = surface;
  c->pixels = static_cast<uint8_t*>(desc.lpSurface);
  c->pitch = desc.lPitch;
  c->width = static_cast<int>(desc.dwWidth);
  c->height = static_cast<int>(desc.dwHeight);
  c->bytes = static_cast<int>(desc.ddpfPixelFormat.dwRGBBitCount + 7) / 8;
  c->masks[0] = desc.ddpfPixelFormat.dwRBitMask;
  c->masks[1] = desc.ddpfPixelFormat.dwGBitMask;
  c->masks[2] = desc.ddpfPixelFormat.dwBBitMask;
  c->bkMode = OPAQUE;
  c->colour = 0;
  *dc = c;
  return DD_OK;
}

HRESULT DDSurfaceReleaseDC(DirectDrawSurface* surface, HDC dc) {
  if (surface == nullptr || dc == nullptr || dc->surface != surface) return DDERR_INVALIDPARAMS;
  DDSurfaceUnlock(surface, nullptr);
  delete dc;
  return DD_OK;
}

HDC GetScreenDC() {
  screenDC = TextDC();
  screenDC.bkMode = OPAQUE;
  return &screenDC;
}

void ReleaseScreenDC(HDC) {}

int GetDeviceCaps(HDC, int index) { return index == LOGPIXELSY ? 96 : 0; }

int SetBkMode(HDC dc, int mode) {
  if (dc == nullptr) return 0;
  int old = dc->bkMode;
  dc->bkMode = mode;
  return old;
}

COLORREF SetTextColor(HDC dc, COLORREF colour) {
  if (dc == nullptr) return 0xFFFFFFFF;
  COLORREF old = dc->colour;
  dc->colour = colour;
  return old;
}

HFONT CreateFontA(int height, int, int, int, int, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t,
                  uint32_t, uint32_t, const char* face) {
  if (!EnsureTtf()) return nullptr;
  // Negative: the character (em) height; positive: the cell height, which for
  // the faces at hand is close enough to the em height; 0: a default size.
  int pixels = height < 0 ? -height : height > 0 ? height : 12;
  if (pixels > 1000) pixels = 1000;
  TextFont* font = OpenFont(ResolveFace(face), pixels);
  if (font == nullptr) font = OpenFont(ResolveFace("sans-serif"), pixels);
  return font;
}

HFONT SelectObject(HDC dc, HFONT font) {
  if (dc == nullptr) return nullptr;
  HFONT old = dc->font;
  dc->font = font;
  return old;
}

int DeleteObject(HFONT font) {
  // Fonts stay open in the cache for the next call.
  return font != nullptr ? 1 : 0;
}

int TextOutA(HDC dc, int x, int y, const char* chars, int length) {
  if (dc == nullptr || dc->font == nullptr || chars == nullptr || length < 0) return 0;
  if (length == 0) return 1;
  if (dc->pixels == nullptr) return 0;
  // Only transparent text is drawn; no caller asks for a filled background.
  const RenderedText* text = RenderText(dc->font, chars, length);
  if (text == nullptr) return 0;
  uint32_t pixel = PixelOf(dc, dc->colour);
  uint8_t bytes3[3] = {static_cast<uint8_t>(pixel), static_cast<uint8_t>(pixel >> 8),
                       static_cast<uint8_t>(pixel >> 16)};
  uint16_t pixel16 = static_cast<uint16_t>(pixel);
  int x0 = x < 0 ? -x : 0;
  int x1 = text->width;
  if (static_cast<int64_t>(x) + x1 > dc->width) x1 = static_cast<int>(dc->width - static_cast<int64_t>(x));
  for (int row = 0; row < text->height; row++) {
    int64_t dy = static_cast<int64_t>(y) + row;
    if (dy < 0 || dy >= dc->height) continue;
    const uint8_t* src = text->coverage.data() + static_cast<size_t>(row) * text->width;
    uint8_t* dst = dc->pixels + dy * dc->pitch;
    for (int col = x0; col < x1; col++) {
      if (src[col] == 0) continue;
      uint8_t* p = dst + (static_cast<int64_t>(x) + col) * dc->bytes;
      switch (dc->bytes) {
        case 2: memcpy(p, &pixel16, 2); break;
        case 3: memcpy(p, bytes3, 3); break;
        case 4: memcpy(p, &pixel, 4); break;
        default: break;
      }
    }
  }
  return 1;
}

int GetTextExtentPoint32A(HDC dc, const char* text, int length, SIZE* size) {
  if (dc == nullptr || size == nullptr || dc->font == nullptr || text == nullptr || length < 0) return 0;
  size->cx = 0;
  size->cy = TTF_FontHeight(dc->font->font);
  if (length == 0) return 1;
  std::string s(text, static_cast<size_t>(length));
  int w = 0, h = 0;
  int failed = IsUtf8Beyond(s) ? TTF_SizeUTF8(dc->font->font, s.c_str(), &w, &h)
                               : TTF_SizeText(dc->font->font, s.c_str(), &w, &h);
  if (failed != 0) return 0;
  size->cx = w;
  size->cy = h;
  return 1;
}

void TextShutdown() {
  // Rendered strings are keyed by font address: drop them with the fonts.
  renderedTexts.clear();
  for (auto& entry : fonts) {
    if (entry.second != nullptr) {
      TTF_CloseFont(entry.second->font);
      delete entry.second;
    }
  }
  fonts.clear();
  faceFiles.clear();
  if (TTF_WasInit()) TTF_Quit();
}

#ifdef ZORTA_TESTING
const char* TextSeamFontFile(const char* face) { return ResolveFace(face).c_str(); }
int TextSeamFontOpens() { return fontOpens; }
#endif

}  // namespace zorta
