// The virtual-key codes the window stand-in gives the keys SDL reports: the
// US keys, keys of other layouts, and the keypad with NumLock off.
#include <gtest/gtest.h>

#include <set>

#include "platform/window.h"

using namespace zorta;

namespace {

// SDL2's values (fixed by its ABI). A keycode is the key's character, or its
// scancode with bit 30 set; a scancode is the key's position on the keyboard.
int32_t KeyOfScancode(int32_t scancode) { return scancode | (1 << 30); }
const int32_t DeadKey = KeyOfScancode(0);  // what SDL under X11 reports for a dead key
const uint16_t NumLock = 0x1000;
const uint16_t LeftShift = 0x0001;
enum : int32_t {
  ScA = 4,
  Sc1 = 30,
  ScMinus = 45,
  ScEquals = 46,
  ScLeftBracket = 47,
  ScRightBracket = 48,
  ScBackslash = 49,
  ScNonUsHash = 50,
  ScSemicolon = 51,
  ScApostrophe = 52,
  ScGrave = 53,
  ScComma = 54,
  ScPeriod = 55,
  ScSlash = 56,
  ScF1 = 58,
  ScLeft = 80,
  ScKpPlus = 87,
  ScKp1 = 89,
  ScNonUsBackslash = 100,
  ScInternational1 = 135,
  ScLastScancode = 511,
};

struct Key {
  int32_t keycode;
  int32_t scancode;
  int vk;
};

TEST(KeyCodes, TheUsKeysKeepTheirCodes) {
  const Key keys[] = {
      {'a', ScA, 'A'},
      {'1', Sc1, '1'},
      {';', ScSemicolon, VK_OEM_1},
      {'=', ScEquals, VK_OEM_PLUS},
      {',', ScComma, VK_OEM_COMMA},
      {'-', ScMinus, VK_OEM_MINUS},
      {'.', ScPeriod, VK_OEM_PERIOD},
      {'/', ScSlash, VK_OEM_2},
      {'`', ScGrave, VK_OEM_3},
      {'[', ScLeftBracket, VK_OEM_4},
      {'\\', ScBackslash, VK_OEM_5},
      {']', ScRightBracket, VK_OEM_6},
      {'\'', ScApostrophe, VK_OEM_7},
      {KeyOfScancode(ScLeft), ScLeft, VK_LEFT},
      {KeyOfScancode(ScF1), ScF1, VK_F1},
      {KeyOfScancode(ScKpPlus), ScKpPlus, VK_ADD},
  };
  for (const Key& k : keys) {
    EXPECT_EQ(WinVirtualKeyFromSdl(k.keycode, k.scancode, 0), k.vk) << k.keycode;
    EXPECT_EQ(WinVirtualKeyFromSdl(k.keycode, k.scancode, NumLock), k.vk) << k.keycode;
  }
  // Named after their character, not their place: the German Z sits where the US Y is.
  EXPECT_EQ(WinVirtualKeyFromSdl('z', ScA + ('y' - 'a'), 0), 'Z');
}

TEST(KeyCodes, GermanKeysGetTheCodesWindowsGivesThemThoughSdlMayNotNameThem) {
  const Key german[] = {
      {0xFC, ScLeftBracket, VK_OEM_1},  // ü
      {'+', ScRightBracket, VK_OEM_PLUS},
      {'#', ScBackslash, VK_OEM_2},
      {0xF6, ScSemicolon, VK_OEM_3},  // ö
      {0xDF, ScMinus, VK_OEM_4},      // ß
      {'^', ScGrave, VK_OEM_5},
      {0xB4, ScEquals, VK_OEM_6},      // ´
      {0xE4, ScApostrophe, VK_OEM_7},  // ä
      {'<', ScNonUsBackslash, VK_OEM_102},
      {'-', ScSlash, VK_OEM_MINUS},
      {',', ScComma, VK_OEM_COMMA},
      {'.', ScPeriod, VK_OEM_PERIOD},
  };
  std::set<int> codes;
  for (const Key& k : german) {
    EXPECT_EQ(WinVirtualKeyFromSdl(k.keycode, k.scancode, NumLock), k.vk) << k.keycode;
    // The same key when SDL cannot name its character, as for X11's dead ^ and ´.
    EXPECT_EQ(WinVirtualKeyFromSdl(DeadKey, k.scancode, NumLock), k.vk) << k.scancode;
    codes.insert(k.vk);
  }
  EXPECT_EQ(codes.size(), sizeof german / sizeof german[0]) << "two German keys share a code";
}

TEST(KeyCodes, AnUnknownKeycodeWithAKnownScancodeGetsAStableCode) {
  for (int32_t sc = 1; sc <= ScLastScancode; sc++) {
    int vk = WinVirtualKeyFromSdl(DeadKey, sc, 0);
    EXPECT_GT(vk, 0) << sc;
    EXPECT_LT(vk, 256) << sc;
    EXPECT_EQ(WinVirtualKeyFromSdl(0, sc, 0), vk) << sc;
  }
  // By position where the key has a US name: a Cyrillic layout's letters and digits.
  EXPECT_EQ(WinVirtualKeyFromSdl(0x444, ScA, 0), 'A');     // ф
  EXPECT_EQ(WinVirtualKeyFromSdl(0xE9, Sc1 + 1, 0), '2');  // é on a French layout
  EXPECT_EQ(WinVirtualKeyFromSdl(DeadKey, ScF1, 0), VK_F1);
  EXPECT_EQ(WinVirtualKeyFromSdl(DeadKey, ScNonUsHash, 0), VK_OEM_2);
  EXPECT_EQ(WinVirtualKeyFromSdl(DeadKey, ScInternational1, 0), 0xFF);
  // Nothing to go by.
  EXPECT_EQ(WinVirtualKeyFromSdl(DeadKey, 0, 0), 0);
  EXPECT_EQ(WinVirtualKeyFromSdl(0, 0, 0), 0);
}

TEST(KeyCodes, TheKeypadWithoutNumLockSendsTheCursorKeys) {
  // Keypad 1..9, 0 and the decimal point: scancodes 89 to 99.
  const int cursor[] = {VK_END,  VK_DOWN, VK_NEXT,  VK_LEFT,   VK_CLEAR, VK_RIGHT,
                        VK_HOME, VK_UP,   VK_PRIOR, VK_INSERT, VK_DELETE};
  const int numbers[] = {VK_NUMPAD0 + 1, VK_NUMPAD0 + 2, VK_NUMPAD0 + 3, VK_NUMPAD0 + 4, VK_NUMPAD0 + 5, VK_NUMPAD0 + 6,
                         VK_NUMPAD0 + 7, VK_NUMPAD0 + 8, VK_NUMPAD0 + 9, VK_NUMPAD0,     VK_DECIMAL};
  for (int i = 0; i < 11; i++) {
    int32_t sc = ScKp1 + i;
    EXPECT_EQ(WinVirtualKeyFromSdl(KeyOfScancode(sc), sc, 0), cursor[i]) << sc;
    EXPECT_EQ(WinVirtualKeyFromSdl(KeyOfScancode(sc), sc, LeftShift), cursor[i]) << sc;
    EXPECT_EQ(WinVirtualKeyFromSdl(KeyOfScancode(sc), sc, NumLock), numbers[i]) << sc;
    EXPECT_EQ(WinVirtualKeyFromSdl(KeyOfScancode(sc), sc, NumLock | LeftShift), numbers[i]) << sc;
  }
  // The keypad's operators do not depend on NumLock.
  EXPECT_EQ(WinVirtualKeyFromSdl(KeyOfScancode(ScKpPlus), ScKpPlus, 0), VK_ADD);
}

}  // namespace
