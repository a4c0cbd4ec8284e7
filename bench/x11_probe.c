/* Timing probe for the running demo under an X server: polls one pixel of
 * the screen with XGetImage every 0.2 ms, presses the mouse through XTest,
 * and watches the disk audio driver's capture file.
 *
 *   x11_probe start X Y RRGGBB COMMAND [ARGS...]
 *       starts COMMAND (output to /dev/null) and prints, once the screen's
 *       pixel (X, Y) has the colour, the milliseconds since the start and the
 *       command's process id: "12.3 4567". Gives up after 20 s.
 *   x11_probe click X Y CAPTURE [BLOCK_FRAMES]
 *       moves the pointer to (X, Y), waits until the newest 100 ms of the
 *       capture (16-bit stereo) are silent, presses the left button, and
 *       prints two times in milliseconds from the press: when the driver
 *       wrote the block (of BLOCK_FRAMES frames, 512 if not given) with the
 *       first non-zero sample after the press, and when that sample appeared
 *       in the file; "none none" after 3 s. SDL's disk driver writes through
 *       a stdio buffer, so the file grows 4096 bytes at a time (2 blocks of
 *       512 frames, 4 of 256) when the next block is written. The block's own
 *       time is taken back from the time the file grew by the driver's period
 *       (the time between two growths over the blocks in one). The button is
 *       released 100 ms after the press.
 *   x11_probe watch CAPTURE SECONDS BLOCK_FRAMES
 *       watches the capture grow for that many seconds and counts the times
 *       it grew later than a device playing it would have run dry: later than
 *       the audio of the chunk that came plus one block.
 *   x11_probe move X0 Y0 X1 Y1 SECONDS
 *       moves the pointer to and fro between the two points, 100 times a
 *       second, for that many seconds.
 */
#define _POSIX_C_SOURCE 200809L
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <fcntl.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

static double NowMs(void) {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return t.tv_sec * 1000.0 + t.tv_nsec / 1e6;
}

static void Pause(double ms) {
  struct timespec t = {(time_t)(ms / 1000), (long)((ms - (long)(ms / 1000) * 1000) * 1e6)};
  nanosleep(&t, NULL);
}

static unsigned long PixelAt(Display* d, int x, int y) {
  XImage* image = XGetImage(d, DefaultRootWindow(d), x, y, 1, 1, AllPlanes, ZPixmap);
  if (image == NULL) return 0;
  unsigned long p = XGetPixel(image, 0, 0);
  XDestroyImage(image);
  return p;
}

/* The colour of a pixel value of the default visual as RRGGBB. */
static unsigned long PixelRgb(Display* d, unsigned long pixel) {
  XColor c;
  c.pixel = pixel;
  XQueryColor(d, DefaultColormap(d, DefaultScreen(d)), &c);
  return ((unsigned long)(c.red >> 8) << 16) | ((unsigned long)(c.green >> 8) << 8) | (c.blue >> 8);
}

static int Start(Display* d, int x, int y, unsigned long want, char** command) {
  double t0 = NowMs();
  pid_t pid = fork();
  if (pid < 0) return 1;
  if (pid == 0) {
    int null = open("/dev/null", O_WRONLY);
    if (null >= 0) {
      dup2(null, 1);
      dup2(null, 2);
    }
    execvp(command[0], command);
    _exit(127);
  }
  unsigned long last = ~0UL, rgb = 0;
  while (NowMs() - t0 < 20000) {
    unsigned long p = PixelAt(d, x, y);
    if (p != last) rgb = PixelRgb(d, p), last = p;
    if (rgb == want) {
      printf("%.1f %d\n", NowMs() - t0, (int)pid);
      return 0;
    }
    Pause(0.2);
  }
  printf("none %d\n", (int)pid);
  return 2;
}

static long FileSize(const char* path) {
  struct stat s;
  return stat(path, &s) == 0 ? (long)s.st_size : -1;
}

/* Whether the 16-bit samples of the file from byte `from` to its end hold a
 * non-zero one; `from` moves on to the end read. */
static int SoundAfter(FILE* f, long* from) {
  int16_t buffer[4096];
  if (fseek(f, *from, SEEK_SET) != 0) return 0;
  size_t n;
  int found = 0;
  while ((n = fread(buffer, 2, 4096, f)) > 0) {
    for (size_t i = 0; i < n && !found; i++) found = buffer[i] != 0;
    *from += (long)(n * 2);
    if (found) break;
  }
  clearerr(f);
  return found;
}

/* The byte offset of the first non-zero 16-bit sample of the file between
 * `from` and `to`, or -1. */
static long FirstSound(FILE* f, long from, long to) {
  int16_t buffer[4096];
  if (fseek(f, from, SEEK_SET) != 0) return -1;
  while (from < to) {
    size_t want = (size_t)(to - from) / 2 < 4096 ? (size_t)(to - from) / 2 : 4096;
    size_t n = fread(buffer, 2, want, f);
    if (n == 0) break;
    for (size_t i = 0; i < n; i++)
      if (buffer[i] != 0) {
        clearerr(f);
        return from + (long)(i * 2);
      }
    from += (long)(n * 2);
  }
  clearerr(f);
  return -1;
}

static int Click(Display* d, int x, int y, const char* capture, int blockFrames) {
  XTestFakeMotionEvent(d, -1, x, y, CurrentTime);
  XSync(d, False);
  Pause(100);
  FILE* f = fopen(capture, "rb");
  if (f == NULL) return 1;
  /* Wait for the end of any sound still playing: 100 ms of silence. */
  double waited = NowMs();
  for (;;) {
    long end = FileSize(capture), from = end - 17640;
    if (from < 0) from = 0;
    if (!SoundAfter(f, &from)) break;
    if (NowMs() - waited > 10000) break;
    Pause(20);
  }
  long size = FileSize(capture);
  double grownAt = 0, grownBefore = 0;
  XTestFakeButtonEvent(d, 1, True, CurrentTime);
  XFlush(d);
  double t0 = NowMs();
  int released = 0;
  long sound = -1, chunkStart = 0;
  while (NowMs() - t0 < 3000 && sound < 0) {
    if (!released && NowMs() - t0 >= 100) {
      XTestFakeButtonEvent(d, 1, False, CurrentTime);
      XFlush(d);
      released = 1;
    }
    long now = FileSize(capture);
    if (now > size) {
      grownBefore = grownAt;
      grownAt = NowMs();
      sound = FirstSound(f, size - size % 4, now);
      chunkStart = size;
      size = now;
    }
    if (sound < 0) Pause(0.2);
  }
  if (!released) {
    double left = 100 - (NowMs() - t0);
    if (left > 0) Pause(left);
    XTestFakeButtonEvent(d, 1, False, CurrentTime);
    XSync(d, False);
  }
  fclose(f);
  if (sound < 0) {
    printf("none none\n");
    return 0;
  }
  /* The driver hands the capture its blocks through a 4096-byte file buffer,
   * which goes to the file when a write finds it full: a chunk appears when
   * the driver writes the block after its last one, and its blocks were
   * written one driver period apart before that. */
  long blockBytes = (long)blockFrames * 4;
  long blocks = (size - chunkStart) / blockBytes;
  long after = (size - 1 - sound) / blockBytes + 1;
  double period = grownBefore > 0 && blocks > 0 ? (grownAt - grownBefore) / blocks : blockFrames / 44.1;
  printf("%.1f %.1f\n", grownAt - after * period - t0, grownAt - t0);
  return 0;
}

static int Move(Display* d, int x0, int y0, int x1, int y1, double seconds) {
  double t0 = NowMs();
  int steps = 0;
  while (NowMs() - t0 < seconds * 1000) {
    /* 100 positions from one end to the other and back. */
    int k = steps % 200, along = k < 100 ? k : 200 - k;
    XTestFakeMotionEvent(d, -1, x0 + (x1 - x0) * along / 100, y0 + (y1 - y0) * along / 100, CurrentTime);
    XFlush(d);
    steps++;
    Pause(10);
  }
  XSync(d, False);
  return 0;
}

/* Audio that comes late: a real device playing the capture as it grows,
 * holding one block besides the one it plays, runs dry when the next chunk
 * comes later than the audio of the chunk itself plus one block. */
static int Watch(const char* capture, double seconds, int blockFrames) {
  double blockMs = blockFrames / 44.1, t0 = NowMs(), last = 0, worst = -1e9;
  long size = FileSize(capture), growths = 0, late = 0;
  while (NowMs() - t0 < seconds * 1000) {
    long now = FileSize(capture);
    if (now > size) {
      double t = NowMs();
      double audioMs = (now - size) / 4 / 44.1;
      if (last > 0) {
        double excess = (t - last) - (audioMs + blockMs);
        if (excess > worst) worst = excess;
        if (excess > 0) late++;
      }
      last = t;
      size = now;
      growths++;
    }
    Pause(0.5);
  }
  printf("%ld chunks, %ld late, worst %.1f ms %s the audio they held plus one block\n", growths, late,
         worst < 0 ? -worst : worst, worst < 0 ? "before" : "after");
  return 0;
}

int main(int argc, char** argv) {
  if (argc == 5 && strcmp(argv[1], "watch") == 0) return Watch(argv[2], atof(argv[3]), atoi(argv[4]));
  Display* d = XOpenDisplay(NULL);
  if (d == NULL) {
    fprintf(stderr, "x11_probe: no X display\n");
    return 1;
  }
  int event, error, major, minor;
  if (argc >= 6 && strcmp(argv[1], "start") == 0)
    return Start(d, atoi(argv[2]), atoi(argv[3]), strtoul(argv[4], NULL, 16), argv + 5);
  if ((argc == 5 || argc == 6) && strcmp(argv[1], "click") == 0) {
    if (!XTestQueryExtension(d, &event, &error, &major, &minor)) {
      fprintf(stderr, "x11_probe: the X server has no XTest\n");
      return 1;
    }
    return Click(d, atoi(argv[2]), atoi(argv[3]), argv[4], argc == 6 ? atoi(argv[5]) : 512);
  }
  if (argc == 7 && strcmp(argv[1], "move") == 0)
    return Move(d, atoi(argv[2]), atoi(argv[3]), atoi(argv[4]), atoi(argv[5]), atof(argv[6]));
  fprintf(stderr,
          "usage: x11_probe start X Y RRGGBB COMMAND... | click X Y CAPTURE [BLOCK_FRAMES] |\n"
          "       watch CAPTURE SECONDS BLOCK_FRAMES | move X0 Y0 X1 Y1 SECONDS\n");
  return 2;
}
