// Note names ("C-6", "A#5") and their equal-tempered frequencies.
#pragma once
#include <cstdint>

namespace zorta {

const int NoteCount = 128;
extern double NoteTable[NoteCount];
extern int32_t NoteTableBuilt;

// Fills the table from the pitch of A-5 (note 69) in Hz.
void BuildNoteTable(double reference);
// Frequency in Hz of a three-character note text; builds the table (A-5 = 440)
// on first use.
double NoteFrequency(const char* note);

}  // namespace zorta
