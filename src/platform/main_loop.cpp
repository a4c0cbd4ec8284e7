// The program's loop: a plain loop on the desktop, the browser's frame loop
// on a web page.
#include "platform/window.h"

#ifdef __EMSCRIPTEN__
#include <SDL_mixer.h>
#include <emscripten.h>

#include <cstdio>
#include <string>
#endif

namespace zorta {

#ifdef __EMSCRIPTEN__
namespace {

struct LoopTurn {
  int (*turn)(void*);
  void* context;
};
LoopTurn loopTurn;
int (*addedFileHandler)(const char*) = nullptr;
std::string addedFile;
int addedFileTurns = 0;
long logEchoed = 0;
int channelsReported = 0;

// What the program adds to log.txt in the page's file system also goes to
// the browser's console, where a user of the page can read it.
void EchoLog() {
  FILE* f = fopen("log.txt", "rb");
  if (f == nullptr) return;
  if (fseek(f, 0, SEEK_END) == 0) {
    long size = ftell(f);
    if (size < logEchoed) logEchoed = 0;  // emptied at start-up
    if (size > logEchoed && fseek(f, logEchoed, SEEK_SET) == 0) {
      std::string text(static_cast<size_t>(size - logEchoed), '\0');
      size_t got = fread(&text[0], 1, text.size(), f);
      text.resize(got);
      logEchoed += static_cast<long>(got);
      for (size_t at = 0; at < text.size();) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(at, end - at);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        emscripten_log(EM_LOG_CONSOLE, "log: %s", line.c_str());
        at = end + 1;
      }
    }
  }
  fclose(f);
}

// The page's tests hear a sound by the number of channels playing it.
void ReportChannels() {
  if (!Mix_QuerySpec(nullptr, nullptr, nullptr)) return;
  int playing = Mix_Playing(-1);
  if (playing == channelsReported) return;
  channelsReported = playing;
  emscripten_log(EM_LOG_CONSOLE, "playing channels: %d", playing);
}

void WebTurn(void*) {
  static bool firstFrame = true;
  int more = loopTurn.turn(loopTurn.context);
  if (firstFrame) {
    // Since navigation began: how long a visitor waits for the picture.
    firstFrame = false;
    emscripten_log(EM_LOG_CONSOLE, "first frame at %d ms", static_cast<int>(emscripten_get_now()));
  }
  // Some seconds of frames for the file to be read and made.
  if (!addedFile.empty() && (addedFileHandler == nullptr || addedFileHandler(addedFile.c_str()) ||
                             ++addedFileTurns > 600))
    addedFile.clear();
  EchoLog();
  ReportChannels();
  if (!more) emscripten_cancel_main_loop();
}

}  // namespace

int WinThreadsAvailable() { return 0; }

void WinSetAddedFileHandler(int (*added)(const char*)) { addedFileHandler = added; }

// Called by the page once it has saved a file the visitor added.
extern "C" EMSCRIPTEN_KEEPALIVE void zorta_file_added(const char* name) {
  addedFile = name != nullptr ? name : "";
  addedFileTurns = 0;
}

void WinRunLoop(int (*turn)(void*), void* context) {
  loopTurn = {turn, context};
  // 0 frames per second: the browser's animation frames pace the turns. The
  // call never returns; the state the turns need outlives it.
  emscripten_set_main_loop_arg(WebTurn, nullptr, 0, 1);
}
#else
int WinThreadsAvailable() { return -1; }

void WinSetAddedFileHandler(int (*)(const char*)) {}

void WinRunLoop(int (*turn)(void*), void* context) {
  while (turn(context)) {
  }
}
#endif

}  // namespace zorta
