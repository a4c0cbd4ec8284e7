#include "app/app.h"

#include <cstdio>
#include <cstring>

#include "app/demo_screen.h"
#include "app/timing.h"
#include "display/display.h"
#include "display/draw.h"
#include "gui/gui.h"
#include "image/image_table.h"
#include "input/input.h"
#include "io/named_list.h"
#include "platform/clock.h"
#include "platform/sound.h"
#include "sfx/sound_bank.h"
#include "world/world.h"

char WindowTitle[64];
int32_t AppActive = 0;
int32_t EscapeQuits = -1;

namespace {
void* instanceHandle = nullptr;
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
}

void ApplyDefaults() {
  snprintf(WindowTitle, sizeof WindowTitle, "%s", "Zorta");
  ColorDepth = 16;
  ScreenWidth = 640;
  ScreenHeight = 480;
  ApplyDefaultBindings();
}

void ConnectSubsystems() {
  SetRootWindowDraw(WorldFrame);
  // The demo screen's first fill covers the whole clip.
  SetWorldFrameLastDrawing(DrawDemoScreen, -1);
  SetDisplayModeChangeActions(ReleaseAllImageSurfaces, CreateAllImageSurfaces);
}

void InitApp() {
  SetFatalErrorAction(ShowFatalError);
  SeedRandom(GetTicks());
  ApplyDefaults();
  BuildSoundBank();
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
  DrawWindows();
}

static void ReleaseAppData() {
  FreeSoundBank();
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
      OnLeftButtonDown();
      return 0;
    case WM_LBUTTONUP:
      OnLeftButtonUp();
      return 0;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
      OnRightButtonDown();
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
  }
  uint32_t elapsed = GetTicks() - t0;
  if (elapsed < MinFrameTime) SleepMs(MinFrameTime - elapsed);
  return -1;
}

int WinMain(void* instance, void*, const char*, int showCommand) {
  instanceHandle = instance;
  ConnectSubsystems();
  CreateLogFile();
  InitApp();
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
  int exitCode = 0;
  while (RunLoopTurn(&exitCode)) {
  }
  WinDestroyWindow();
  return exitCode;
}
