// What the bank tools share: the slot lists they accept, output folders, and
// the bank filled exactly as the program fills it at start-up.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace CLI {
class App;
}

namespace zorta {

// The rate every effect of the bank is made at.
const int BankRate = 22050;

// Reads a whole decimal number of at most 9 digits; false on anything else.
bool ParseNumber(const std::string& text, long* value);
// "5,0-2,5" -> 5 0 1 2 5: the slots in the order written, repeats kept.
// Each must exist in the 500-slot table; error says why not.
bool ParseSlotSequence(const std::string& list, std::vector<int>* slots, std::string* error);
// "0-9,33" -> one flag per table slot, set for each slot named.
bool ParseSlots(const std::string& list, std::vector<bool>* chosen, std::string* error);
// mkdir -p: creates the folder and any missing parents.
bool MakeFolder(const std::string& path, std::string* error);

// Runs the recipes into SoundBank with the random generator seeded as at a
// normal start (clock reading 0), so the samples are the ones the program
// plays. Needs no sound output; free with FreeSoundBank.
void FillBankAsProgram();
// False, with the reason, when a slot holds no effect.
bool SlotHasEffect(int slot, std::string* error);
// The slot's frames as the synthesis wrote them (empty for an empty slot).
std::vector<int16_t> SlotFrames(int slot);

// The common start of the commands that write one file per slot: the slots
// named by `slotList` (all filled slots when empty), each checked to hold an
// effect, the bank filled as the program fills it, and `outdir` created.
// On failure the bank is freed again and error says why.
bool PrepareBankOutput(const std::string& slotList, const std::string& outdir, std::vector<bool>* chosen,
                       std::string* error);

// What export and plot both take on their command line: --slots LIST and the
// output folder.
struct BankOutputOptions {
  std::string slotList;
  std::string outdir;
};
void AddBankOutputOptions(CLI::App* command, BankOutputOptions* options);

}  // namespace zorta
