#include "sfx/notes.h"

#include <cmath>

namespace zorta {

double NoteTable[NoteCount];
int32_t NoteTableBuilt = 0;

namespace {
// Semitones of the letters A to G within an octave that starts at C.
const int LetterSemitone[7] = {9, 11, 0, 2, 4, 5, 7};
}  // namespace

void BuildNoteTable(double reference) {
  for (int i = 0; i < NoteCount; i++)
    NoteTable[i] = std::pow(2.0, (i - 9) * 0.08333333333333333) * (reference * 0.03125);
}

double NoteFrequency(const char* note) {
  if (!NoteTableBuilt) {
    BuildNoteTable(440.0);
    NoteTableBuilt = -1;
  }
  // Texts shorter than three characters read as far as they go; a missing
  // character counts as a NUL.
  // Characters are read as signed bytes, as on the platform the bank was
  // designed on, so a non-ASCII octave character clamps to note 0.
  int c0 = static_cast<signed char>(note[0]);
  int c1 = c0 ? static_cast<signed char>(note[1]) : 0;
  int c2 = c1 ? static_cast<signed char>(note[2]) : 0;
  int letter = c0 - 'A';
  if (letter < 0 || letter > 6) letter = c0 - 'a';
  if (letter < 0 || letter > 6) letter = 0;
  int n = LetterSemitone[letter];
  if (c1 == '#') n += 1;
  n += 12 * (c2 - '0');
  if (n < 0) n = 0;
  if (n > NoteCount - 1) n = NoteCount - 1;
  return NoteTable[n];
}

}  // namespace zorta
