#include "platform/x11_present.h"

#ifdef ZORTA_HAVE_X11
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdlib>
#include <cstring>
#include <vector>
#endif

namespace zorta {

#ifdef ZORTA_HAVE_X11

struct X11Presenter {
  Display* display;
  Window window;
  GC gc;
  unsigned long black;
  uint8_t lut[32768];  // 5-5-5 colour -> pixel value
  XImage* image;       // the size of the last destination rectangle
  std::vector<uint16_t> rgb555;
  std::vector<int> columns;
};

namespace {
// The nearest of the colour map's cells to (r, g, b), 16 bits a component.
unsigned long NearestCell(const std::vector<XColor>& cells, long r, long g, long b) {
  unsigned long best = 0;
  long bestDistance = -1;
  for (const XColor& c : cells) {
    long dr = (r - c.red) >> 4, dg = (g - c.green) >> 4, db = (b - c.blue) >> 4;
    long d = dr * dr + dg * dg + db * db;
    if (bestDistance < 0 || d < bestDistance) bestDistance = d, best = c.pixel;
  }
  return best;
}
}  // namespace

X11Presenter* X11PresenterCreate(SDL_Window* window) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (window == nullptr || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return nullptr;
  Display* display = info.info.x11.display;
  Window xwindow = info.info.x11.window;
  XWindowAttributes attributes;
  if (XGetWindowAttributes(display, xwindow, &attributes) == 0 || attributes.depth > 8) return nullptr;
  // Only one byte a pixel is written here.
  int count = 0, bitsPerPixel = 0;
  XPixmapFormatValues* formats = XListPixmapFormats(display, &count);
  for (int i = 0; i < count; i++) {
    if (formats[i].depth == attributes.depth) bitsPerPixel = formats[i].bits_per_pixel;
  }
  if (formats != nullptr) XFree(formats);
  if (bitsPerPixel != 8) return nullptr;

  // The colours the screen shows come from its installed colour map, which
  // is the default one unless someone installs another. SDL gives the window
  // a static visual of its own where the default is a palette (it cannot
  // use palettes), so the cells are taken from the default map: they show
  // true on the desktop and in screenshots.
  int screen = XScreenNumberOfScreen(attributes.screen);
  Colormap colormap = attributes.colormap;
  Visual* visual = attributes.visual;
  if (visual != DefaultVisual(display, screen) && DefaultDepth(display, screen) == attributes.depth) {
    colormap = DefaultColormap(display, screen);
    visual = DefaultVisual(display, screen);
  }

  X11Presenter* p = new X11Presenter();
  p->display = display;
  p->window = xwindow;
  // Six levels a component, shared read-only cells where the map has room;
  // where it has none (or cannot be written), the nearest existing cell.
  unsigned long cube[216];
  std::vector<XColor> cells;
  for (int i = 0; i < 216; i++) {
    XColor c = {};
    c.red = static_cast<unsigned short>((i / 36) * 51 * 257);
    c.green = static_cast<unsigned short>((i / 6 % 6) * 51 * 257);
    c.blue = static_cast<unsigned short>((i % 6) * 51 * 257);
    c.flags = DoRed | DoGreen | DoBlue;
    if (XAllocColor(display, colormap, &c) != 0) {
      cube[i] = c.pixel;
      continue;
    }
    if (cells.empty()) {
      int size = visual->map_entries;
      cells.resize(static_cast<size_t>(size));
      for (int k = 0; k < size; k++) cells[static_cast<size_t>(k)].pixel = static_cast<unsigned long>(k);
      XQueryColors(display, colormap, cells.data(), size);
    }
    cube[i] = NearestCell(cells, (i / 36) * 51 * 257, (i / 6 % 6) * 51 * 257, (i % 6) * 51 * 257);
  }
  for (int v = 0; v < 32768; v++) {
    // 0..31 to the nearest of 0..5
    int r = ((v >> 10) * 5 + 15) / 31, g = ((v >> 5 & 31) * 5 + 15) / 31, b = ((v & 31) * 5 + 15) / 31;
    p->lut[v] = static_cast<uint8_t>(cube[r * 36 + g * 6 + b]);
  }
  p->black = cube[0];
  p->gc = XCreateGC(display, xwindow, 0, nullptr);
  return p;
}

void X11PresenterDestroy(X11Presenter* p) {
  if (p == nullptr) return;
  if (p->image != nullptr) XDestroyImage(p->image);  // frees its pixels too
  XFreeGC(p->display, p->gc);
  delete p;
}

int X11PresenterShow(X11Presenter* p, SDL_Surface* src, const SDL_Rect& dst, int windowW, int windowH) {
  if (p == nullptr || src == nullptr || dst.w <= 0 || dst.h <= 0) return 0;
  size_t pixels = static_cast<size_t>(src->w) * static_cast<size_t>(src->h);
  p->rgb555.resize(pixels);
  if (SDL_ConvertPixels(src->w, src->h, src->format->format, src->pixels, src->pitch, SDL_PIXELFORMAT_RGB555,
                        p->rgb555.data(), src->w * 2) != 0) {
    return 0;
  }
  if (p->image == nullptr || p->image->width != dst.w || p->image->height != dst.h) {
    if (p->image != nullptr) XDestroyImage(p->image);
    p->image = nullptr;
    char* data = static_cast<char*>(malloc(static_cast<size_t>(dst.w) * static_cast<size_t>(dst.h)));
    if (data == nullptr) return 0;
    XWindowAttributes attributes;
    XGetWindowAttributes(p->display, p->window, &attributes);
    p->image = XCreateImage(p->display, attributes.visual, static_cast<unsigned>(attributes.depth), ZPixmap, 0, data,
                            static_cast<unsigned>(dst.w), static_cast<unsigned>(dst.h), 8, dst.w);
    if (p->image == nullptr) {
      free(data);
      return 0;
    }
  }
  p->columns.resize(static_cast<size_t>(dst.w));
  for (int x = 0; x < dst.w; x++) p->columns[static_cast<size_t>(x)] = static_cast<int>(static_cast<int64_t>(x) * src->w / dst.w);
  uint8_t* out = reinterpret_cast<uint8_t*>(p->image->data);
  for (int y = 0; y < dst.h; y++) {
    const uint16_t* row = p->rgb555.data() + static_cast<size_t>(static_cast<int64_t>(y) * src->h / dst.h) * src->w;
    uint8_t* o = out + static_cast<size_t>(y) * static_cast<size_t>(p->image->bytes_per_line);
    for (int x = 0; x < dst.w; x++) o[x] = p->lut[row[p->columns[static_cast<size_t>(x)]] & 0x7FFF];
  }
  XSetForeground(p->display, p->gc, p->black);
  if (dst.y > 0) XFillRectangle(p->display, p->window, p->gc, 0, 0, static_cast<unsigned>(windowW), static_cast<unsigned>(dst.y));
  int below = windowH - (dst.y + dst.h);
  if (below > 0) XFillRectangle(p->display, p->window, p->gc, 0, dst.y + dst.h, static_cast<unsigned>(windowW), static_cast<unsigned>(below));
  if (dst.x > 0) XFillRectangle(p->display, p->window, p->gc, 0, dst.y, static_cast<unsigned>(dst.x), static_cast<unsigned>(dst.h));
  int right = windowW - (dst.x + dst.w);
  if (right > 0) XFillRectangle(p->display, p->window, p->gc, dst.x + dst.w, dst.y, static_cast<unsigned>(right), static_cast<unsigned>(dst.h));
  XPutImage(p->display, p->window, p->gc, p->image, 0, 0, dst.x, dst.y, static_cast<unsigned>(dst.w), static_cast<unsigned>(dst.h));
  XFlush(p->display);
  return -1;
}

#else

X11Presenter* X11PresenterCreate(SDL_Window*) { return nullptr; }
void X11PresenterDestroy(X11Presenter*) {}
int X11PresenterShow(X11Presenter*, SDL_Surface*, const SDL_Rect&, int, int) { return 0; }

#endif

}  // namespace zorta
