// The demo screen drawn by the GUI pass in the root window: layout, labels,
// hover colour, clicks and the sounds they start.
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "../gui/gui_fixture.h"
#include "app/app.h"
#include "app/demo_screen.h"
#include "gui/builtin_windows.h"
#include "sfx/sound_bank.h"
#include "sfx/user_sounds.h"
#include "zorta/sfx.h"
#include "platform/testing.h"
#include "world/world.h"

using namespace zorta;

namespace {

// The demo over a sound bank whose first 89 slots hold (silent) samples.
class DemoTest : public GuiTest {
 protected:
  void SetUp() override {
    GuiTest::SetUp();
    for (int i = 0; i < SoundBankSlots; i++) {
      SoundBank[i] = i < SoundBankEffects
                         ? FSOUND_Sample_Alloc(FSOUND_UNMANAGED, 100, FSOUND_16BITS | FSOUND_MONO | FSOUND_SIGNED,
                                               22050, 255, 128, 255)
                         : nullptr;
    }
    ConnectSubsystems();
    OpenGuiWindow(&RootWindow, 0, 0, ScreenWidth, ScreenHeight);
    SeamRecordCalls(true);
    SeamClearCalls();
  }
  void TearDown() override {
    FSOUND_Sample_FreeAll();
    for (SampleHandle& s : SoundBank) s = nullptr;
    GuiTest::TearDown();
  }
  // Top-left corner of a slot's button.
  static int ButtonX(int slot) { return 2 + (slot / 25) * 32; }
  static int ButtonY(int slot) { return 20 + (slot % 25) * 18; }
  static bool HasWhite(int x, int y, int w, int h) {
    for (int j = y; j < y + h; j++)
      for (int i = x; i < x + w; i++)
        if (Pixel(i, j) == Colour(255, 255, 255)) return true;
    return false;
  }
  static void Click(int x, int y) {
    Frame(x, y, false);
    Frame(x, y, true);
    Frame(x, y, false);
  }
};

TEST_F(DemoTest, FiveHundredButtonsInTwentyColumnsOfTwentyFiveRows) {
  Frame(-10, -10, false);
  EXPECT_EQ(Pixel(0, 0), Colour(0, 0, 128));
  EXPECT_EQ(Pixel(639, 14), Colour(0, 0, 128));
  EXPECT_EQ(Pixel(0, 15), 0u);
  EXPECT_TRUE(HasWhite(128, 0, 200, 15)) << "title text";
  const uint32_t button = Colour(64, 64, 64);
  for (int slot = 0; slot < 500; slot++) {
    int x = ButtonX(slot), y = ButtonY(slot);
    ASSERT_EQ(Pixel(x + 1, y + 15), button) << slot;
    ASSERT_EQ(Pixel(x + 29, y), button) << slot;
    ASSERT_EQ(Pixel(x - 1, y), 0u) << slot;       // the gap left
    ASSERT_EQ(Pixel(x + 30, y + 8), slot >= 475 ? 0xFFFFFFFFu : 0u) << slot;
    ASSERT_EQ(Pixel(x, y + 16), 0u) << slot;      // the gap below
    ASSERT_EQ(HasWhite(x, y, 30, 16), slot < 89) << slot;
  }
  EXPECT_EQ(ButtonX(499), 610);
  EXPECT_EQ(ButtonY(499), 452);
  EXPECT_EQ(Pixel(2, 470), 0u);  // below the last row
}

TEST_F(DemoTest, TheButtonUnderThePointerAloneTakesTheHoverColour) {
  Frame(ButtonX(130) + 10, ButtonY(130) + 3, false);
  EXPECT_EQ(Pixel(ButtonX(130) + 1, ButtonY(130) + 15), Colour(96, 96, 96));
  EXPECT_EQ(Pixel(ButtonX(129) + 1, ButtonY(129) + 15), Colour(64, 64, 64));
  EXPECT_EQ(Pixel(ButtonX(131) + 1, ButtonY(131) + 15), Colour(64, 64, 64));
  EXPECT_EQ(PlayCalls(), 0);
}

TEST_F(DemoTest, AClickPlaysItsSlotOnceOnAnyFreeChannel) {
  Click(ButtonX(7) + 12, ButtonY(7) + 5);
  ASSERT_EQ(PlayCalls(), 1);
  char expected[64];
  snprintf(expected, sizeof expected, "FSOUND_PlaySound(-1,%p)", static_cast<void*>(SoundBank[7]));
  EXPECT_EQ(SeamCalls().back(), expected);
  // Holding the button for more frames plays nothing more; a new click plays again.
  Frame(ButtonX(7) + 12, ButtonY(7) + 5, true);
  Frame(ButtonX(7) + 12, ButtonY(7) + 5, true);
  Frame(ButtonX(7) + 12, ButtonY(7) + 5, false);
  EXPECT_EQ(PlayCalls(), 2);
}

TEST_F(DemoTest, TheGapRightOfAButtonCountsForItAndTheGapBelowForNone) {
  Click(ButtonX(40) + 31, ButtonY(40) + 8);
  ASSERT_EQ(PlayCalls(), 1);
  EXPECT_NE(SeamCalls().back().find("FSOUND_PlaySound(-1,"), std::string::npos);
  Frame(ButtonX(40) + 31, ButtonY(40) + 8, false);
  EXPECT_EQ(Pixel(ButtonX(40) + 1, ButtonY(40) + 1), Colour(96, 96, 96));
  SeamClearCalls();
  Click(ButtonX(40) + 10, ButtonY(40) + 17);
  EXPECT_EQ(PlayCalls(), 0);
  EXPECT_EQ(Pixel(ButtonX(40) + 1, ButtonY(40) + 1), Colour(64, 64, 64));
  EXPECT_EQ(Pixel(ButtonX(41) + 1, ButtonY(41) + 1), Colour(64, 64, 64));
}

TEST_F(DemoTest, EmptySlotsAndEmptyHandlesPlayNothingButStillLightUp) {
  Click(ButtonX(300) + 5, ButtonY(300) + 5);
  EXPECT_EQ(PlayCalls(), 0);
  EXPECT_EQ(Pixel(ButtonX(300) + 1, ButtonY(300) + 1), Colour(96, 96, 96));
  SoundBank[12] = nullptr;  // a recipe that produced nothing
  Frame(-10, -10, false);
  EXPECT_FALSE(HasWhite(ButtonX(12), ButtonY(12), 30, 16));
  Click(ButtonX(12) + 5, ButtonY(12) + 5);
  EXPECT_EQ(PlayCalls(), 0);
}

TEST_F(DemoTest, AShorterScreenGivesShorterColumnsThatRunOffTheRightEdge) {
  ScreenHeight = 200;
  ResetClipRect();
  OpenGuiWindow(&RootWindow, 0, 0, 640, 200);
  // A column goes on while y + 18 < 184: y = 20, 38, ..., 182 (10 rows); slot 10 starts column 2.
  Click(34 + 3, 20 + 3);
  ASSERT_EQ(PlayCalls(), 1);
  char expected[64];
  snprintf(expected, sizeof expected, "FSOUND_PlaySound(-1,%p)", static_cast<void*>(SoundBank[10]));
  EXPECT_EQ(SeamCalls().back(), expected);
  EXPECT_EQ(Pixel(2, 197), Colour(64, 64, 64));
  EXPECT_EQ(Pixel(2, 198), 0u);
}

TEST_F(DemoTest, ATapWhosePressAndReleaseArriveInOneTurnPlaysOnce) {
  // A touchpad tap: both messages are handled before the frame samples the button.
  Frame(ButtonX(7) + 5, ButtonY(7) + 5, false);
  OnLeftButtonDown();
  OnLeftButtonUp();
  EXPECT_EQ(CaptureCount, 0);
  for (int frame = 0; frame < 3; frame++) {
    DrawWindows();
    UpdateKeysOnly();
    ASSERT_EQ(PlayCalls(), 1) << frame;
  }
  char expected[64];
  snprintf(expected, sizeof expected, "FSOUND_PlaySound(-1,%p)", static_cast<void*>(SoundBank[7]));
  EXPECT_EQ(SeamCalls().back(), expected);
}

TEST_F(DemoTest, AClickIsSeenByTheDemoThoughTheStepsConsumeIt) {
  // The world frame's steps consume the click; RestoreClicks shows it to the
  // demo drawing that follows them.
  Frame(ButtonX(3) + 5, ButtonY(3) + 5, false);
  PointerX = ButtonX(3) + 5;
  PointerY = ButtonY(3) + 5;
  LeftButtonDown = -1;
  ConsumeClicks();
  DrawWindows();
  EXPECT_EQ(PlayCalls(), 1);
  EXPECT_EQ(ClicksConsumed, 0);
}

}  // namespace

namespace {

int stepsSeeingClick = 0;
int stepsSeeingKey = 0;
int stepsRun = 0;
void CountingStep() {
  stepsRun++;
  if (IsClicked(&RootWindow)) stepsSeeingClick++;
  if (KeyPressed('K')) stepsSeeingKey++;
}

TEST_F(DemoTest, OnlyTheFirstOfThreeStepsSeesTheClickAndTheKeyAndTheDemoSeesTheClickAgain) {
  ResetWorldState();
  GameStep = CountingStep;
  stepsSeeingClick = stepsSeeingKey = stepsRun = 0;
  Frame(ButtonX(5) + 5, ButtonY(5) + 5, false);
  StepsDue = 3;
  OnKeyDown('K');
  PointerX = ButtonX(5) + 5;
  PointerY = ButtonY(5) + 5;
  LeftButtonDown = -1;
  DrawWindows();
  EXPECT_EQ(stepsRun, 3);
  EXPECT_EQ(stepsSeeingClick, 1);
  EXPECT_EQ(stepsSeeingKey, 1);
  EXPECT_EQ(PlayCalls(), 1);
  EXPECT_EQ(KeyboardGrabbed, 0);
  GameStep = nullptr;
  ResetWorldState();
}

std::vector<int32_t> answers;
void RecordAnswer(int32_t answer) { answers.push_back(answer); }

// A built-in dialog over the demo.
TEST_F(DemoTest, TheDialogOverTheDemoTakesTheMouseFromItsButtonsUntilItCloses) {
  answers.clear();
  const int underX = 98 + 27, underY = 20 + 18 * 5 + 5;   // button 80, under the dialog's corner
  const int awayX = 2 + 10, awayY = 20 + 5;                // button 0, beside it
  OpenConfirmDialog("Really?", RecordAnswer, 120, 100, 200, 40);
  SeamRecordCalls(true);
  SeamClearCalls();
  for (int pass = 0; pass < 2; pass++) {
    int x = pass ? awayX : underX, y = pass ? awayY : underY;
    Frame(x, y, false);
    Frame(x, y, true);
    Frame(x, y, false);
  }
  EXPECT_EQ(PlayCalls(), 0);
  Frame(awayX, awayY, false);
  EXPECT_EQ(DisplaySeamReadPixel(BackBuffer, 3, 21), PackColor(64, 64, 64, ColorDepth));  // no hover
  OnKeyDown(VK_ESCAPE);
  Frame(awayX, awayY, false);
  OnKeyUp(VK_ESCAPE);
  EXPECT_EQ(answers, (std::vector<int32_t>{0}));
  EXPECT_EQ(ModalWindow, nullptr);
  Frame(awayX, awayY, false);
  Frame(awayX, awayY, true);
  Frame(awayX, awayY, false);
  EXPECT_EQ(PlayCalls(), 1);
  Frame(underX, underY, false);
  Frame(underX, underY, true);
  EXPECT_EQ(PlayCalls(), 2);
}

// The right button opens the menu of what a slot holds and plays nothing;
// the menus' choices reach the user's file only through their questions.
TEST_F(DemoTest, TheRightButtonOpensTheMenuOfWhatTheSlotHoldsAndPlaysNothing) {
  const std::string home = std::filesystem::current_path().string(), dir = home + "/demo-menus";
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir + "/Sounds");
  ASSERT_EQ(chdir(dir.c_str()), 0);
  const std::string mine = "frames 300\nvolume 100\nsine 0.02 a(0.25)\n";
  std::ofstream("Sounds/130-mine.txt", std::ios::binary) << mine;
  LoadUserSounds();
  ASSERT_NE(SoundBank[130], nullptr);
  auto rightClick = [](int slot) {
    int x = ButtonX(slot) + 10, y = ButtonY(slot) + 5;
    Frame(x, y, false);
    Frame(x, y, false, true);
    Frame(x, y, false);
  };
  auto entries = [] {
    std::vector<std::string> names;
    for (int i = 0; ListPopup.open && i < ListPopup.source->count; i++) names.push_back(ListPopup.source->items[i].name);
    return names;
  };
  auto closeAll = [] { Click(635, 475); };  // below the last row: no button
  // Rows of the menu opened at the pointer over slot 130.
  auto choose = [](int row) { Click(ButtonX(130) + 30, ButtonY(130) + 5 + 10 + 12 * row); };

  rightClick(7);
  EXPECT_EQ(entries(), std::vector<std::string>{"Copy to a new slot"});
  closeAll();
  EXPECT_FALSE(ListPopup.open);
  rightClick(131);
  EXPECT_EQ(entries(), std::vector<std::string>(SynthKindNames, SynthKindNames + SynthKindCount));
  closeAll();
  rightClick(130);
  EXPECT_EQ(entries(), (std::vector<std::string>{"Mutate", "Another of this kind", "Undo", "Redo", "Delete"}));

  // A hand-written recipe is no synth voice to mutate: a message says so.
  choose(0);
  Frame(635, 475, false);
  ASSERT_TRUE(MessageWindow.open);
  EXPECT_NE(std::string(MessageWindow.text).find("Sounds/130-mine.txt is no synth sound"), std::string::npos)
      << MessageWindow.text;
  closeAll();
  EXPECT_FALSE(MessageWindow.open);

  // Delete asks; No keeps the file, Yes removes it and empties the slot.
  for (int yes = 0; yes < 2; yes++) {
    rightClick(130);
    choose(4);
    Frame(635, 475, false);
    ASSERT_TRUE(ConfirmDialog.open);
    EXPECT_EQ(ModalWindow, &ConfirmDialog);
    Click(20 + 600 - (yes ? 72 : 38) + 10, 200 + 8 + 7);
    EXPECT_FALSE(ConfirmDialog.open);
    EXPECT_EQ(std::filesystem::exists("Sounds/130-mine.txt"), !yes) << yes;
  }
  EXPECT_EQ(SoundBank[130], nullptr);
  EXPECT_EQ(PlayCalls(), 0);
  {
    // Closed before the folder is removed: Windows will not remove an open file.
    std::ifstream kept("Sounds/.history/130/0001.txt", std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), mine);
  }

  ForgetUserSounds();
  ASSERT_EQ(chdir(home.c_str()), 0);
  std::filesystem::remove_all(dir);
}

}  // namespace
