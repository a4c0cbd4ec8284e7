// Note texts and the equal-tempered table.
#include <gtest/gtest.h>

#include "sfx/notes.h"

using namespace zorta;

namespace {
// The table is process-wide: leave it tuned to 440 Hz for the other tests.
struct NotesTest : ::testing::Test {
  void TearDown() override { BuildNoteTable(440.0); }
};
}  // namespace

TEST_F(NotesTest, TellingRows) {
  EXPECT_EQ(NoteFrequency("C-0"), 8.175798915643707);
  EXPECT_EQ(NoteFrequency("A-1"), 27.5);
  EXPECT_EQ(NoteFrequency("C-4"), 130.8127826502993);
  EXPECT_EQ(NoteFrequency("C-5"), 261.6255653005986);
  EXPECT_EQ(NoteFrequency("A-5"), 440.0);
  EXPECT_EQ(NoteFrequency("C-6"), 523.2511306011972);
  EXPECT_EQ(NoteFrequency("C-9"), 4186.009044809578);
  EXPECT_EQ(NoteFrequency("G-9"), 6271.926975707984);
  EXPECT_EQ(NoteTable[127], 12543.853951415967);
  EXPECT_EQ(NoteTable[9], 13.75);
  EXPECT_NE(NoteTableBuilt, 0);
}

TEST_F(NotesTest, LettersCaseSharpsAndOddCharacters) {
  EXPECT_EQ(NoteFrequency("a-5"), 440.0);
  EXPECT_EQ(NoteFrequency("A 5"), 440.0);
  EXPECT_EQ(NoteFrequency("X-5"), 440.0);  // any other letter counts as A
  EXPECT_EQ(NoteFrequency("A#5"), NoteTable[70]);
  EXPECT_NEAR(NoteFrequency("A#5"), 466.16, 0.005);
  EXPECT_EQ(NoteFrequency("C#0"), NoteTable[1]);
  EXPECT_EQ(NoteFrequency("E-2"), NoteTable[28]);
  EXPECT_EQ(NoteFrequency("b-9"), NoteTable[119]);
  EXPECT_EQ(NoteFrequency("B-9"), NoteTable[119]);
  EXPECT_EQ(NoteFrequency("C-:"), NoteTable[120]);  // ':' follows '9'
}

TEST_F(NotesTest, NotesOutsideTheTableClamp) {
  EXPECT_EQ(NoteFrequency("D-:"), NoteTable[122]);
  EXPECT_EQ(NoteFrequency("A-:"), NoteTable[127]);  // 129
  EXPECT_EQ(NoteFrequency("C-~"), NoteTable[127]);
  EXPECT_EQ(NoteFrequency("C-/"), NoteTable[0]);  // '/' is below '0'
  EXPECT_EQ(NoteFrequency("C- "), NoteTable[0]);
  EXPECT_EQ(NoteFrequency("B-\xC3"), NoteTable[0]);  // a negative byte
  // Short texts stay inside the string.
  EXPECT_EQ(NoteFrequency("C"), NoteTable[0]);
  EXPECT_EQ(NoteFrequency(""), NoteTable[0]);
}

TEST_F(NotesTest, RetuningAffectsLaterLookups) {
  NoteFrequency("A-5");  // table built
  BuildNoteTable(432.0);
  EXPECT_EQ(NoteFrequency("A-5"), 432.0);
  EXPECT_EQ(NoteFrequency("A-1"), 27.0);
}
