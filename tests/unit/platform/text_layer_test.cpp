// The text stand-in by itself: sizes in points, and the font file a face
// name resolves to (fontconfig here; the fonts folder or the shipped font on
// Windows).
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/testing.h"
#include "platform/text.h"
#include "test_util.h"

using namespace zorta;

namespace {

TEST(TextLayerTest, SizesAndFaces) {
  EXPECT_EQ(MulDiv(8, 96, 72), 11);
  EXPECT_EQ(MulDiv(9, 96, 72), 12);
  EXPECT_EQ(MulDiv(-8, 96, 72), -11);
  EXPECT_EQ(MulDiv(3, 1, 2), 2);  // halves round away from zero
  EXPECT_EQ(MulDiv(-3, 1, 2), -2);
  EXPECT_EQ(MulDiv(1, 1, 0), -1);
  // Unknown faces fall back to a sans-serif face rather than to nothing.
  EXPECT_STRNE(TextSeamFontFile("MS Sans Serif"), "");
  EXPECT_STRNE(TextSeamFontFile("No Such Face At All"), "");
}

#ifdef _WIN32
bool EndsWith(const std::string& s, const std::string& tail) {
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

// No fontconfig on Windows: "MS Sans Serif" is its TrueType successor from
// the fonts folder (%WINDIR%\Fonts), and where that is missing the DejaVu
// Sans shipped beside the program; unknown faces fall back the same way.
TEST(TextLayerTest, WindowsFacesFromTheFontsFolderOrTheShippedFont) {
  const char* before = getenv("WINDIR");
  std::string savedWindir = before != nullptr ? before : "";
  char folder[] = "windir-XXXXXX";
  ASSERT_NE(mkdtemp(folder), nullptr);
  char cwd[1024];
  ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
  std::string windir = std::string(cwd) + "\\" + folder;
  setenv("WINDIR", windir.c_str(), 1);

  TextShutdown();
  std::string shipped = TextSeamFontFile("MS Sans Serif");
  EXPECT_TRUE(EndsWith(shipped, "\\DejaVuSans.ttf")) << shipped;
  EXPECT_EQ(TextSeamFontFile("No Such Face At All"), shipped);
  EXPECT_NE(CreateFontA(-11, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0, "MS Sans Serif"), nullptr);

  // With the successor in the fonts folder (here a copy of the shipped font).
  ASSERT_EQ(mkdir((windir + "\\Fonts").c_str(), 0755), 0);
  std::string micross = windir + "\\Fonts\\micross.ttf";
  WriteWholeFile(micross, ReadWholeFile(shipped));
  TextShutdown();
  EXPECT_EQ(TextSeamFontFile("MS Sans Serif"), micross);
  EXPECT_EQ(TextSeamFontFile("ms sans serif"), micross);
  EXPECT_EQ(TextSeamFontFile("No Such Face At All"), micross);
  EXPECT_NE(CreateFontA(-11, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0, "MS Sans Serif"), nullptr);

  TextShutdown();
  setenv("WINDIR", savedWindir.c_str(), 1);
}
#endif

}  // namespace
