#include "app/app.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "base/timing.h"
#include "display/display.h"
#include "display/draw.h"
#include "gui/builtin_windows.h"
#include "gui/gui.h"
#include "image/image_table.h"
#include "input/input.h"
#include "io/named_list.h"
#include "platform/clock.h"
#include "platform/sound.h"
#include "sfx/sound_bank.h"
#include "sfx/user_sounds.h"
#include "world/world.h"

namespace zorta {

char WindowTitle[64];
int32_t AppActive = 0;
int32_t EscapeQuits = -1;

uint32_t FramesRun = 0;

namespace {
void* instanceHandle = nullptr;
// What the running shell was asked to do (RunShellWith).
ShellRun shellRun;
STICKYKEYS savedStickyKeys;
FILTERKEYS savedFilterKeys;
int32_t accessibilitySaved = 0;
}  // namespace

void ResetAppState() {
  ResetSettings();
  SetFatalErrorAction(ShowFatalError);
  memset(WindowTitle, 0, sizeof WindowTitle);
  AppActive = 0;
  EscapeQuits = -1;
  accessibilitySaved = 0;
  shellRun = ShellRun();
  FramesRun = 0;
}

void ApplyDefaults() {
  snprintf(WindowTitle, sizeof WindowTitle, "%s", "Zorta");
  ColorDepth = 16;
  ScreenWidth = 640;
  ScreenHeight = 480;
  ApplyDefaultBindings();
}

namespace {
// The longest line the log takes, its newline included.
const size_t LogLineLimit = 600;
// Where a cut at `at` bytes falls before a character rather than inside one.
size_t Utf8Cut(const std::string& s, size_t at) {
  if (at >= s.size()) return s.size();
  while (at > 0 && (static_cast<unsigned char>(s[at]) & 0xC0) == 0x80) at--;
  return at;
}
// The errors the message window shows now, one entry per file.
struct ShownSoundError {
  std::string file;
  std::string lines;
};
std::vector<ShownSoundError> shownSoundErrors;
int32_t gatherSoundErrors = 0;  // -1 while the sounds are loaded at start-up
}  // namespace

// A user's recipe that failed: in the log, and in the message window, where
// the slot is said to keep its last good sound. At start-up the errors of
// every file join in one window; later each error shows on its own.
void ShowUserSoundError(const char* file, int line, int column, const char* message) {
  char where[320];
  if (line > 0)
    snprintf(where, sizeof where, "%s, line %d, column %d:", file, line, column);
  else
    snprintf(where, sizeof where, "%s:", file);
  std::string logLine = std::string("Sound recipe error: ") + where + " " + message;
  logLine.resize(Utf8Cut(logLine, LogLineLimit - 1));
  WriteLog((logLine + "\n").c_str());
  // Lines of at most 72 bytes, broken at spaces; "#" starts a new line.
  std::string text = where;
  std::string rest = message;
  while (!rest.empty()) {
    size_t cut = rest.size() <= 72 ? rest.size() : rest.rfind(' ', 72);
    if (cut == std::string::npos || cut == 0) cut = rest.size() < 72 ? rest.size() : Utf8Cut(rest, 72);
    if (cut == 0) cut = 72;
    text += "#" + rest.substr(0, cut);
    rest = rest.substr(cut);
    while (!rest.empty() && rest[0] == ' ') rest.erase(0, 1);
  }
  if (!gatherSoundErrors) shownSoundErrors.clear();
  auto same = std::find_if(shownSoundErrors.begin(), shownSoundErrors.end(),
                           [&](const ShownSoundError& e) { return e.file == file; });
  if (same != shownSoundErrors.end())
    same->lines = text;
  else
    shownSoundErrors.push_back({file, text});
  std::string body;
  for (const ShownSoundError& e : shownSoundErrors) body += (body.empty() ? "" : "#") + e.lines;
  OpenMessageEndingWith(body.c_str(),
                        shownSoundErrors.size() > 1
                            ? "The slots keep their last good sounds. Any key or click closes this."
                            : "The slot keeps its last good sound. Any key or click closes this.",
                        20, 40, ScreenWidth - 40);
}

// The start-up files are made on the building thread like any other, so
// the first frames come at once; their errors gather in one window until
// every one of them is in its slot.
void LoadUserSoundsAtStart() {
  shownSoundErrors.clear();
  gatherSoundErrors = -1;
  // Every version of the users' sounds is kept, so no change is lost.
  SetUserSoundHistory(-1);
  StartUserSounds();
}

void PollUserSoundsInFrame() {
  PollUserSounds(GetTicks());
  if (gatherSoundErrors && !UserSoundsBuilding()) gatherSoundErrors = 0;
}

// A sound the page's visitor added is heard as soon as it is in its slot.
int PlayAddedUserSound(const char* name) {
  int slot = UserSoundSlot(name);
  if (slot < 0 || SoundBank[slot] == nullptr) return 0;
  PlayBankSound(slot);
  return -1;
}

void ConnectShell() {
  SetUserSoundReport(ShowUserSoundError);
  WinSetAddedFileHandler(PlayAddedUserSound);
  SetRootWindowDraw(WorldFrame);
  SetDisplayModeChangeActions(ReleaseAllImageSurfaces, CreateAllImageSurfaces);
}

void InitApp() {
  SetFatalErrorAction(ShowFatalError);
  SeedRandom(GetTicks());
  ApplyDefaults();
  if (shellRun.soundBank) BuildSoundBank();
}

int CreateMainWindow(void* instance, int showCommand) {
  (void)instance;
  (void)showCommand;
  return WinCreateWindow(WindowTitle, WindowX, WindowY, ScreenWidth, ScreenHeight, MainWindowProc);
}

void SaveAccessibilityKeys() {
  savedStickyKeys.cbSize = sizeof(STICKYKEYS);
  savedFilterKeys.cbSize = sizeof(FILTERKEYS);
  WinSystemParametersInfo(SPI_GETSTICKYKEYS, sizeof(STICKYKEYS), &savedStickyKeys, 0);
  WinSystemParametersInfo(SPI_GETFILTERKEYS, sizeof(FILTERKEYS), &savedFilterKeys, 0);
  accessibilitySaved = -1;
}

void DisableAccessibilityKeys() {
  if (!accessibilitySaved) return;
  STICKYKEYS sticky = savedStickyKeys;
  sticky.dwFlags &= ~SKF_HOTKEYACTIVE;
  WinSystemParametersInfo(SPI_SETSTICKYKEYS, sizeof(STICKYKEYS), &sticky, 0);
  FILTERKEYS filter = savedFilterKeys;
  filter.dwFlags &= ~FKF_HOTKEYACTIVE;
  WinSystemParametersInfo(SPI_SETFILTERKEYS, sizeof(FILTERKEYS), &filter, 0);
}

void RestoreAccessibilityKeys() {
  if (!accessibilitySaved) return;
  STICKYKEYS sticky = savedStickyKeys;
  WinSystemParametersInfo(SPI_SETSTICKYKEYS, sizeof(STICKYKEYS), &sticky, 0);
  FILTERKEYS filter = savedFilterKeys;
  WinSystemParametersInfo(SPI_SETFILTERKEYS, sizeof(FILTERKEYS), &filter, 0);
}

void PostWindowInit() {
  ClearObjects();
  EscapeQuits = 0;
  ListFolder(&TileSetList, "TileSets/*.*", 0, 0);
  ListFolder(&MapList, "Maps/*.*", 0, 0);
  OpenGuiWindow(&RootWindow, 0, 0, ScreenWidth, ScreenHeight);
  if (shellRun.soundBank) LoadUserSoundsAtStart();
  LoadFirstMap();
}

void RunFrame() {
  ComputeSteps();
  if (SurfacesLost) {
    RestoreSurfaces();
    UploadAllImages();
  }
  if (ShutdownDone) return;
  LoadPendingMap();
  if (ShutdownDone) return;
  PollUserSoundsInFrame();
  DrawWindows();
}

static void ReleaseAppData() {
  FreeSoundBank();
  ForgetUserSounds();
  FreeMap();
  FreeAllImages();
  FreeObjectTypes();
  ClearList(&TileSetList);
  ClearList(&LayerList);
  ClearList(&MapList);
  ClearList(&ObjectTypeList);
}

void Shutdown() {
  // The window procedure and FatalError can both get here; release once.
  if (ShutdownDone) return;
  ShutdownDone = -1;
  RestoreAccessibilityKeys();
  ReleaseAppData();
  if (FullScreen) ChangeDisplayMode(24, 0);
  ReleaseAllSurfaceSlots();
  if (FullScreen)
    ReleaseFullScreen();
  else
    ReleaseWindowed();
}

void ShowFatalError() {
  Shutdown();
  // Also on stderr: where no message box can be shown the cause stays visible.
  fprintf(stderr, "Error: %s\n", ErrorText);
  WinMessageBox(ErrorText, "Error");
  WinPostQuitMessage(0);
}

LRESULT MainWindowProc(uint32_t message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_DESTROY:
      Shutdown();
      WinPostQuitMessage(0);
      break;
    case WM_KILLFOCUS:
      FSOUND_SetPaused(FSOUND_ALL, -1);
      break;
    case WM_PAINT:
      break;  // the picture comes only from Present
    case WM_ACTIVATEAPP:
      AppActive = static_cast<int32_t>(wParam);
      if (wParam != 0) {
        FSOUND_SetPaused(FSOUND_ALL, 0);
        DisableAccessibilityKeys();
      } else {
        FSOUND_SetPaused(FSOUND_ALL, -1);
        RestoreAccessibilityKeys();
      }
      ClearInput();
      break;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      OnKeyDown(wParam);
      if (wParam == VK_ESCAPE && EscapeQuits) {
        Shutdown();
        WinPostQuitMessage(0);
      }
      return 0;
    case WM_KEYUP:
    case WM_SYSKEYUP:
      OnKeyUp(wParam);
      return 0;
    case WM_MOUSEMOVE:
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      OnLeftButtonDown(LParamX(lParam), LParamY(lParam));
      return 0;
    case WM_LBUTTONUP:
      OnLeftButtonUp();
      return 0;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
      OnRightButtonDown(LParamX(lParam), LParamY(lParam));
      return 0;
    case WM_RBUTTONUP:
      OnRightButtonUp();
      return 0;
    default:
      break;
  }
  return WinDefWindowProc(message, wParam, lParam);
}

int RunLoopTurn(int* exitCode) {
  MSG msg;
  while (WinPeekMessage()) {
    if (!WinGetMessage(&msg)) {
      *exitCode = static_cast<int>(msg.wParam);
      return 0;
    }
    WinDispatchMessage(&msg);
  }
  // In the background, or after a fatal error has released everything, wait
  // for the next message instead of running frames.
  if (!AppActive || ShutdownDone) {
    WinWaitMessage();
    return -1;
  }
  uint32_t t0 = GetTicks();
  RunFrame();
  if (!ShutdownDone) {
    Present();
    UpdateInput();
    FramesRun++;
  }
  uint32_t elapsed = GetTicks() - t0;
  if (elapsed < MinFrameTime) SleepMs(MinFrameTime - elapsed);
  return -1;
}

namespace {
// The state of the running loop, kept outside RunShellWith: in the browser
// the loop runs on after that call has gone.
struct ShellLoop {
  int exitCode = 0;
  bool closing = false;
};
ShellLoop shellLoop;

int ShellTurn(void* context) {
  ShellLoop* loop = static_cast<ShellLoop*>(context);
  if (!RunLoopTurn(&loop->exitCode)) {
    WinDestroyWindow();
    return 0;
  }
  // The frame limit closes the window as its close button would.
  if (shellRun.frames != 0 && FramesRun >= shellRun.frames && !loop->closing) {
    loop->closing = true;
    WinPostMessage(WM_CLOSE, 0, 0);
  }
  return -1;
}
}  // namespace

int RunShell(void* instance, int showCommand, void (*setUp)()) {
  ShellRun run;
  run.beforeWindow = setUp;
  return RunShellWith(instance, showCommand, run);
}

int RunShellWith(void* instance, int showCommand, const ShellRun& run) {
  instanceHandle = instance;
  shellRun = run;
  FramesRun = 0;
  CreateLogFile();
  InitApp();
  if (run.beforeWindow != nullptr) run.beforeWindow();
  if (!CreateMainWindow(instanceHandle, showCommand)) {
    fprintf(stderr, "zorta: cannot create the window: %s\n", WinLastError());
    return 1;
  }
  SaveAccessibilityKeys();
  DisableAccessibilityKeys();
  if (FullScreen)
    SetUpFullScreen();
  else
    SetUpWindowed();
  ClearInput();
  ResetClipRect();
  PostWindowInit();
  if (run.afterWindow != nullptr && !ShutdownDone) run.afterWindow();
  shellLoop = ShellLoop();
  WinRunLoop(ShellTurn, &shellLoop);
  return shellLoop.exitCode;
}

}  // namespace zorta
