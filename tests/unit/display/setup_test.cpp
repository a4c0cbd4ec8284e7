// Display set-up, release, presentation and the surface pool.
#include "display_fixture.h"
#include "platform/testing.h"
#include "platform/window.h"

using namespace zorta;

namespace {

const char* const WindowedOk32 =
    "DD Create: Ok\n"
    "DD Set Cooperative Level: Ok\n"
    "DD Create Primary Surface: Ok\n"
    "DD Create Back Surface: Ok\n"
    "DD Create Clipper: Ok\n"
    "DD Clipper Set hWnd: Ok\n"
    "DD Clipper Set Primary: Ok\n"
    "Screen Width: 640\n"
    "Screen Height: 480\n"
    "Screen Depth: 32\n";

TEST_F(DisplayTest, WindowedStartOn32BitDesktopLogsTenLines) {
  DisplaySeamSetDesktopDepth(32);
  SetUpWindowed();
  EXPECT_EQ(ReadLog(), WindowedOk32);
  EXPECT_EQ(ColorDepth, 32);
  EXPECT_EQ(FullScreen, 0);
  EXPECT_NE(PrimarySurface, nullptr);
  EXPECT_NE(BackBuffer, nullptr);
  EXPECT_NE(Clipper, nullptr);
  EXPECT_EQ(BackBufferPitch(), 640);
  ReleaseWindowed();
  EXPECT_EQ(DirectDrawObject, nullptr);
  EXPECT_EQ(PrimarySurface, nullptr);
  EXPECT_EQ(BackBuffer, nullptr);
  EXPECT_EQ(Clipper, nullptr);
  EXPECT_EQ(DisplaySeamLiveSurfaces(), 0);
}

TEST_F(DisplayTest, WindowedTakesTheDesktopDepth) {
  // A 5-5-5 desktop reports 16 bits and is drawn as 16.
  const int desktop[] = {16, 24, 32, 15};
  const int expected[] = {16, 24, 32, 16};
  for (int i = 0; i < 4; i++) {
    DisplaySeamSetDesktopDepth(desktop[i]);
    ColorDepth = 8;
    SetUpWindowed();
    EXPECT_EQ(ColorDepth, expected[i]) << desktop[i];
    // The surfaces are laid out the way the program packs its colours.
    DDPIXELFORMAT format;
    ASSERT_EQ(DDSurfaceGetPixelFormat(BackBuffer, &format), DD_OK);
    EXPECT_EQ(format.dwRBitMask | format.dwGBitMask | format.dwBBitMask,
              PackColor(255, 255, 255, ColorDepth)) << desktop[i];
    ReleaseWindowed();
  }
}

TEST_F(DisplayTest, LowColourDesktopEndsInFullScreen16) {
  DisplaySeamSetDesktopDepth(8);
  ColorDepth = 32;
  SetUpWindowed();
  EXPECT_EQ(FullScreen, -1);
  EXPECT_EQ(ColorDepth, 16);
  EXPECT_EQ(DisplaySeamFullScreen(), -1);
  EXPECT_NE(BackBuffer, nullptr);
  EXPECT_EQ(ReadLog(),
            "DD Create: Ok\n"
            "DD Set Cooperative Level: Ok\n"
            "DD Set Display Mode: Ok\n"
            "DD Create Primary Surface: Ok\n"
            "DD Create Back Surface: Ok\n"
            "Pixel Format R Mask:     f800\n"
            "Pixel Format G Mask:      7e0\n"
            "Pixel Format B Mask:       1f\n"
            "Screen Width: 640\n"
            "Screen Height: 480\n"
            "Screen Depth: 16\n");
  ReleaseFullScreen();
  EXPECT_EQ(DisplaySeamFullScreen(), 0);
  EXPECT_EQ(DisplaySeamLiveSurfaces(), 0);
}

TEST_F(DisplayTest, RefusedDepthFallsBackToItsPartner) {
  const int asked[] = {16, 32, 15, 24};
  const int got[] = {15, 24, 16, 32};
  for (int i = 0; i < 4; i++) {
    DisplaySeamRefuseDepth(asked[i]);
    ColorDepth = asked[i];
    FullScreen = -1;
    SetUpFullScreen();
    EXPECT_EQ(ColorDepth, got[i]) << asked[i];
    ASSERT_NE(BackBuffer, nullptr);
    EXPECT_EQ(BackBufferPitch(), 640);
    ReleaseFullScreen();
  }
  FullScreen = 0;
}

TEST_F(DisplayTest, DisplayModeRefusedTwiceStopsAfterTheLogLine) {
  SeamFailCall("SetDisplayMode", 2);
  FullScreen = -1;
  SetUpFullScreen();
  EXPECT_EQ(ReadLog(), "DD Create: Ok\nDD Set Cooperative Level: Ok\nDD Set Display Mode: Failed\n");
  EXPECT_EQ(ColorDepth, 15);  // the partner that was tried last
  EXPECT_EQ(PrimarySurface, nullptr);
  EXPECT_EQ(BackBuffer, nullptr);
  // Nothing draws or presents without the surfaces.
  EXPECT_EQ(FillRect(0, 0, 10, 10, 0), 0);
  EXPECT_EQ(LockBackBuffer(0, 0, 1, 1), nullptr);
  Present();
  EXPECT_EQ(DisplaySeamPresentCount(), 0);
}

TEST_F(DisplayTest, FiveFiveFiveMasksOnA16BitModeGiveDepth15) {
  DisplaySeamSetModeMasks(0x7C00, 0x3E0, 0x1F);
  FullScreen = -1;
  ColorDepth = 16;
  SetUpFullScreen();
  EXPECT_EQ(ColorDepth, 15);
  std::string log = ReadLog();
  EXPECT_NE(log.find("Pixel Format R Mask:     7c00\n"), std::string::npos) << log;
  EXPECT_NE(log.find("Pixel Format G Mask:      3e0\n"), std::string::npos);
  EXPECT_NE(log.find("Pixel Format B Mask:       1f\n"), std::string::npos);
  EXPECT_NE(log.find("Screen Depth: 15\n"), std::string::npos);
  // The surfaces really are 5-5-5: a packed 15-bit colour reads back as itself.
  ResetClipRect();
  EXPECT_EQ(FillRect(0, 0, 1, 1, PackColor(255, 0, 255, 15)), -1);
  EXPECT_EQ(Pixel(0, 0), 0x7C1Fu);
}

TEST_F(DisplayTest, FullScreenFailuresSkipTheRest) {
  struct Case {
    const char* call;
    const char* log;
  };
  const Case cases[] = {
      {"DirectDrawCreate", "DD Create: Failed\n"},
      {"SetCooperativeLevel", "DD Create: Ok\nDD Set Cooperative Level: Failed\n"},
      {"CreateSurface",
       "DD Create: Ok\nDD Set Cooperative Level: Ok\nDD Set Display Mode: Ok\n"
       "DD Create Primary Surface: Failed\nScreen Width: 640\nScreen Height: 480\nScreen Depth: 16\n"},
      {"GetAttachedSurface",
       "DD Create: Ok\nDD Set Cooperative Level: Ok\nDD Set Display Mode: Ok\n"
       "DD Create Primary Surface: Ok\nDD Create Back Surface: Failed\n"
       "Pixel Format R Mask:     f800\nPixel Format G Mask:      7e0\nPixel Format B Mask:       1f\n"
       "Screen Width: 640\nScreen Height: 480\nScreen Depth: 16\n"},
  };
  for (const Case& c : cases) {
    CreateLogFile();
    SeamReset();
    SeamFailCall(c.call, 1);
    ColorDepth = 16;
    FullScreen = -1;
    SetUpFullScreen();
    EXPECT_EQ(ReadLog(), c.log) << c.call;
    Present();  // must not touch a missing surface
    ReleaseFullScreen();
    EXPECT_EQ(DirectDrawObject, nullptr);
  }
  FullScreen = 0;
  EXPECT_EQ(DisplaySeamPresentCount(), 0);
}

TEST_F(DisplayTest, WindowedFailuresSkipTheRemainingSteps) {
  const char* const screen = "Screen Width: 640\nScreen Height: 480\nScreen Depth: 32\n";
  struct Case {
    const char* call;
    std::string log;
  };
  const Case cases[] = {
      {"DirectDrawCreate", "DD Create: Failed\n"},
      {"SetCooperativeLevel", "DD Create: Ok\nDD Set Cooperative Level: Failed\n"},
      {"CreateSurface",
       std::string("DD Create: Ok\nDD Set Cooperative Level: Ok\nDD Create Primary Surface: Failed\n") + screen},
      {"CreateClipper",
       std::string("DD Create: Ok\nDD Set Cooperative Level: Ok\nDD Create Primary Surface: Ok\n"
                   "DD Create Back Surface: Ok\nDD Create Clipper: Failed\n") +
           screen},
      {"SetHWnd",
       std::string("DD Create: Ok\nDD Set Cooperative Level: Ok\nDD Create Primary Surface: Ok\n"
                   "DD Create Back Surface: Ok\nDD Create Clipper: Ok\nDD Clipper Set hWnd: Failed\n") +
           screen},
      {"SetClipper",
       std::string("DD Create: Ok\nDD Set Cooperative Level: Ok\nDD Create Primary Surface: Ok\n"
                   "DD Create Back Surface: Ok\nDD Create Clipper: Ok\nDD Clipper Set hWnd: Ok\n"
                   "DD Clipper Set Primary: Failed\n") +
           screen},
  };
  for (const Case& c : cases) {
    CreateLogFile();
    SeamReset();
    SeamFailCall(c.call, 1);
    DisplaySeamSetDesktopDepth(32);
    ColorDepth = 32;
    SetUpWindowed();
    EXPECT_EQ(ReadLog(), c.log) << c.call;
    Present();
    ReleaseWindowed();
    EXPECT_EQ(DisplaySeamLiveSurfaces(), 0) << c.call;
  }
}

TEST_F(DisplayTest, SurfacePoolTakesTheLowestFreeSlotAndRefusesThe65th) {
  StartWindowed(16);
  SurfaceSlot* slots[SurfaceSlotCount];
  for (int i = 0; i < SurfaceSlotCount; i++) {
    slots[i] = CreateSurfaceSlot(8 + i, 4);
    ASSERT_EQ(slots[i], &SurfacePool[i]);
    EXPECT_EQ(slots[i]->inUse, -1);
    EXPECT_EQ(slots[i]->width, 8 + i);
  }
  EXPECT_EQ(CreateSurfaceSlot(8, 8), nullptr);
  ReleaseSurfaceSlot(slots[5]);
  EXPECT_EQ(SurfacePool[5].inUse, 0);
  EXPECT_EQ(SurfacePool[5].surface, nullptr);
  EXPECT_EQ(CreateSurfaceSlot(3, 3), &SurfacePool[5]);
  ReleaseAllSurfaceSlots();
  for (const SurfaceSlot& s : SurfacePool) EXPECT_EQ(s.inUse, 0);
  EXPECT_EQ(DisplaySeamLiveSurfaces(), 2);  // primary and back buffer

  // A failed creation leaves the slot free.
  SeamFailCall("CreateSurface", 1);
  EXPECT_EQ(CreateSurfaceSlot(8, 8), nullptr);
  EXPECT_EQ(SurfacePool[0].inUse, 0);
  EXPECT_EQ(CreateSurfaceSlot(8, 8), &SurfacePool[0]);
}

TEST_F(DisplayTest, PitchesAreCountedInPixels) {
  const int depths[] = {16, 24, 32};
  for (int depth : depths) {
    DisplaySeamSetDesktopDepth(depth);
    SetUpWindowed();
    ASSERT_EQ(ColorDepth, depth);
    EXPECT_EQ(BackBufferPitch(), 640) << depth;  // 1280, 1920 and 2560 bytes
    SurfaceSlot* slot = CreateSurfaceSlot(5, 3);
    ASSERT_NE(slot, nullptr);
    int32_t pitch = SurfaceSlotPitch(slot);
    EXPECT_GE(pitch, 5);
    // Locked rows lie one pitch apart.
    uint8_t* a = static_cast<uint8_t*>(LockSurfaceSlot(slot, 0, 0, 5, 3));
    ASSERT_NE(a, nullptr);
    UnlockSurfaceSlot(slot);
    uint8_t* b = static_cast<uint8_t*>(LockSurfaceSlot(slot, 1, 2, 2, 1));
    ASSERT_NE(b, nullptr);
    UnlockSurfaceSlot(slot);
    EXPECT_EQ(b - a, (2 * pitch + 1) * ((depth + 7) / 8));
    ReleaseAllSurfaceSlots();
    ReleaseWindowed();
  }
  // A padded pitch shows through.
  DisplaySeamSetPitchPadding(16);
  DisplaySeamSetDesktopDepth(24);
  SetUpWindowed();
  EXPECT_EQ(BackBufferPitch(), 656);
}

TEST_F(DisplayTest, LocksRetryWhileStillDrawingAndRefuseBadRectangles) {
  StartWindowed(16);
  SeamStillDrawing("Lock", 3);
  EXPECT_NE(LockBackBuffer(0, 0, 640, 480), nullptr);
  UnlockBackBuffer();
  EXPECT_FALSE(SeamShouldReportStillDrawing("Lock"));
  EXPECT_EQ(LockBackBuffer(600, 0, 41, 1), nullptr);
  EXPECT_EQ(LockBackBuffer(-1, 0, 1, 1), nullptr);
  SeamFailCall("Lock", 1);
  EXPECT_EQ(LockBackBuffer(0, 0, 1, 1), nullptr);
  EXPECT_EQ(LockSurfaceSlot(nullptr, 0, 0, 1, 1), nullptr);
  EXPECT_EQ(LockSurfaceSlot(&SurfacePool[3], 0, 0, 1, 1), nullptr);  // not in use
  EXPECT_EQ(SurfaceSlotPitch(&SurfacePool[3]), 0);
}

TEST_F(DisplayTest, PresentShowsTheBackBufferInBothModes) {
  ASSERT_EQ(WinCreateWindow("Zorta", 100, 100, 640, 480, nullptr), -1);
  StartWindowed(32);
  Present();
  EXPECT_EQ(DisplaySeamPresentCount(), 1);
  ReleaseWindowed();

  FullScreen = -1;
  SetUpFullScreen();
  SeamStillDrawing("Flip", 4);
  Present();
  EXPECT_FALSE(SeamShouldReportStillDrawing("Flip"));
  EXPECT_EQ(DisplaySeamPresentCount(), 2);
  ReleaseFullScreen();
  FullScreen = 0;
  WinDestroyWindow();
}

// A picture already on the screen is not put there again, unless the window
// system asked for it (uncovered window) or any pixel, anywhere, changed.
TEST_F(DisplayTest, APictureAlreadyShownIsNotShownAgain) {
  ASSERT_EQ(WinCreateWindow("Zorta", 100, 100, 640, 480, nullptr), -1);
  StartWindowed(32);
  WinSeamReset();  // the window's own first events
  Present();
  Present();
  EXPECT_EQ(DisplaySeamPresentCount(), 2);
  EXPECT_EQ(DisplaySeamPictureUploads(), 1);
  FillRect(639, 479, 1, 1, 0x010203);
  Present();
  EXPECT_EQ(DisplaySeamPictureUploads(), 2);
  FillRect(0, 0, 1, 1, 0x000001);
  Present();
  Present();
  EXPECT_EQ(DisplaySeamPictureUploads(), 3);
  WinSeamExposeWindow();
  Present();
  Present();
  EXPECT_EQ(DisplaySeamPictureUploads(), 4);
  // Drawn over and back to what is shown: nothing to show.
  FillRect(300, 200, 10, 10, 0x00FF00);
  FillRect(300, 200, 10, 10, 0);
  Present();
  EXPECT_EQ(DisplaySeamPictureUploads(), 4);
  ReleaseWindowed();

  // A new display shows its first picture, the same pixels or not.
  FullScreen = -1;
  SetUpFullScreen();
  Present();
  Present();
  EXPECT_EQ(DisplaySeamPictureUploads(), 5);
  ReleaseFullScreen();
  FullScreen = 0;
  WinDestroyWindow();
}

// A picture that did not reach the screen is not taken for shown: the same
// picture goes up at the next frame, whether the texture could not be made or
// filled, and also when the window's call to draw it again was already taken.
TEST_F(DisplayTest, APictureThatFailedToShowIsShownAtTheNextFrame) {
  ASSERT_EQ(WinCreateWindow("Zorta", 100, 100, 640, 480, nullptr), -1);
  StartWindowed(32);
  WinSeamReset();  // the window's own first events
  SeamFailCall("CreateTexture", 1);
  Present();
  EXPECT_EQ(DisplaySeamPictureUploads(), 0);
  Present();
  EXPECT_EQ(DisplaySeamPictureUploads(), 1);
  FillRect(0, 0, 1, 1, 0x010203);
  SeamFailCall("UpdateTexture", 1);
  Present();
  EXPECT_EQ(DisplaySeamPictureUploads(), 1);
  Present();
  EXPECT_EQ(DisplaySeamPictureUploads(), 2);
  WinSeamExposeWindow();
  SeamFailCall("UpdateTexture", 1);
  Present();
  Present();
  EXPECT_EQ(DisplaySeamPictureUploads(), 3);
  Present();  // on the screen now: nothing more to show
  EXPECT_EQ(DisplaySeamPictureUploads(), 3);
  ReleaseWindowed();
  WinDestroyWindow();
}

TEST_F(DisplayTest, ChangeDisplayModeSwitchesBackToAWindow) {
  ASSERT_EQ(WinCreateWindow("Zorta", 100, 100, 640, 480, nullptr), -1);
  DisplaySeamSetDesktopDepth(32);
  ChangeDisplayMode(16, -1);
  EXPECT_EQ(FullScreen, -1);
  EXPECT_EQ(ColorDepth, 16);
  EXPECT_EQ(DisplaySeamFullScreen(), -1);
  ChangeDisplayMode(24, 0);
  EXPECT_EQ(FullScreen, 0);
  EXPECT_EQ(ColorDepth, 32);  // a window draws in the desktop's format
  EXPECT_EQ(DisplaySeamFullScreen(), 0);
  EXPECT_NE(BackBuffer, nullptr);
  EXPECT_EQ(DisplaySeamLiveSurfaces(), 2);
  WinDestroyWindow();
}

TEST_F(DisplayTest, LostSurfacesAreFlaggedByFillsAndRestored) {
  StartWindowed(16);
  SurfaceSlot* slot = CreateSurfaceSlot(8, 8);
  ASSERT_NE(slot, nullptr);
  DisplaySeamLoseSurfaces();
  EXPECT_EQ(FillRect(0, 0, 10, 10, 0xFFFF), 0);
  EXPECT_EQ(SurfacesLost, -1);
  EXPECT_EQ(Pixel(0, 0), 0u);
  SurfacesLost = 0;
  EXPECT_EQ(BlitSlot(0, 0, slot, 0, 0, 8, 8), 0);
  EXPECT_EQ(SurfacesLost, -1);
  RestoreSurfaces();
  EXPECT_EQ(SurfacesLost, 0);
  EXPECT_EQ(FillRect(0, 0, 10, 10, 0xFFFF), -1);
  EXPECT_EQ(BlitSlot(20, 0, slot, 0, 0, 8, 8), -1);
}

TEST_F(DisplayTest, AfterShutdownNothingTouchesTheReleasedSurfaces) {
  StartWindowed(32);
  SurfaceSlot* slot = CreateSurfaceSlot(8, 8);
  ASSERT_NE(slot, nullptr);
  // What the shell's Shutdown does to the display.
  ShutdownDone = -1;
  ReleaseAllSurfaceSlots();
  ReleaseWindowed();
  EXPECT_EQ(BackBuffer, nullptr);
  EXPECT_EQ(slot->inUse, 0);
  EXPECT_EQ(DisplaySeamLiveSurfaces(), 0);
  // The rest of a frame after a fatal error: every call finds nothing to use.
  EXPECT_EQ(FillRect(0, 0, 10, 10, 1), 0);
  EXPECT_EQ(BlitSlot(0, 0, slot, 0, 0, 8, 8), 0);
  EXPECT_EQ(BlitSlotWrapped(630, 0, slot, 0, 0, 8, 8, WrapHorizontal), 0);
  EXPECT_EQ(LockBackBuffer(0, 0, 1, 1), nullptr);
  EXPECT_EQ(LockSurfaceSlot(slot, 0, 0, 1, 1), nullptr);
  EXPECT_EQ(BackBufferPitch(), 0);
  SetSurfaceColorKey(slot, 0);
  Present();
  RestoreSurfaces();
  EXPECT_EQ(DisplaySeamPresentCount(), 0);
}

}  // namespace

namespace {
// A window whose picture cannot be shown is a failed screen, in the log and
// in what the frame draws on; a later start with a renderer shows again.
TEST_F(DisplayTest, AWindowThatCannotShowThePictureFailsThePrimarySurface) {
  ASSERT_EQ(WinCreateWindow("Zorta", 100, 100, 640, 480, nullptr), -1);
  DisplaySeamSetDesktopDepth(32);
  SeamFailCall("CreateRenderer", 1);
  SetUpWindowed();
  EXPECT_EQ(ReadLog(),
            "DD Create: Ok\n"
            "DD Set Cooperative Level: Ok\n"
            "DD Create Primary Surface: Failed\n"
            "Screen Width: 640\n"
            "Screen Height: 480\n"
            "Screen Depth: 16\n");  // the back buffer never told its depth
  EXPECT_EQ(PrimarySurface, nullptr);
  EXPECT_EQ(BackBuffer, nullptr);
  Present();  // nothing to show: no crash, nothing counted
  EXPECT_EQ(DisplaySeamPresentCount(), 0);
  ReleaseWindowed();

  // The same on the low-colour path, which ends in full screen.
  CreateLogFile();
  DisplaySeamSetDesktopDepth(8);
  SeamFailCall("CreateRenderer", 1);
  SetUpWindowed();
  EXPECT_EQ(ReadLog(),
            "DD Create: Ok\n"
            "DD Set Cooperative Level: Ok\n"
            "DD Set Display Mode: Ok\n"
            "DD Create Primary Surface: Failed\n"
            "Screen Width: 640\n"
            "Screen Height: 480\n"
            "Screen Depth: 16\n");
  EXPECT_EQ(BackBuffer, nullptr);
  ReleaseFullScreen();
  FullScreen = 0;

  CreateLogFile();
  DisplaySeamSetDesktopDepth(32);
  SetUpWindowed();
  EXPECT_EQ(ReadLog(), WindowedOk32);
  Present();
  EXPECT_EQ(DisplaySeamPresentCount(), 1);
  ReleaseWindowed();
  WinDestroyWindow();
}
}  // namespace
