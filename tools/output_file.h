// How every command of the tool writes a file, so that a user's file is never
// lost: the bytes go to a temporary file beside the output, which is renamed
// over it only once every write, the flush to disk and the close succeeded; a
// failure removes only that temporary file, leaving the previous output as it
// was. An output that already exists and is not a regular file (a device such
// as /dev/null, a FIFO) is written in place and never renamed over or removed.
#pragma once
#include <png.h>

#include <cstddef>
#include <string>
#include <vector>

namespace zorta {

struct OutputFile {
  std::string path;    // the output as the user named it
  std::string target;  // the file the rename replaces (a symbolic link's target)
  std::string temp;    // the temporary file; empty when writing in place
  int fd = -1;
  int error = 0;  // errno of the first failed write; later writes are skipped
};

// Opens the output; false with "cannot write 'PATH': reason".
bool OpenOutput(const std::string& path, OutputFile* out, std::string* error);
// Appends bytes; a failure is kept and reported by FinishOutput.
void WriteOutput(OutputFile* out, const void* data, size_t size);
// Flushes and closes, then puts the file in place. On any failure the
// temporary file is removed and error says why ("the disk is full" for one).
bool FinishOutput(OutputFile* out, std::string* error);
// Gives up: closes and removes the temporary file.
void AbandonOutput(OutputFile* out);
// The whole output at once.
bool WriteOutputFile(const std::string& path, const void* data, size_t size, std::string* error);

// Makes libpng write through the output instead of a FILE.
void PngWritesTo(png_structp png, OutputFile* out);

// True when both paths name one existing file (the same device and inode).
bool SameFile(const std::string& a, const std::string& b);
// False, with "will not write over the input 'IN'", when the output is one of the inputs.
bool OutputIsNotInput(const std::string& output, const std::vector<std::string>& inputs, std::string* error);
// Commands that write several outputs: false when two would be written to
// the same file, naming what each was made from (outputs[i] from sources[i],
// a file or words such as "slot 5"), or when an output is one of the inputs.
bool OutputsAreDistinct(const std::vector<std::string>& sources, const std::vector<std::string>& outputs,
                        const std::vector<std::string>& inputs, std::string* error);

// The message for a failed write of PATH with errno `code`.
std::string WriteErrorText(const std::string& path, int code);

}  // namespace zorta
