// zorta-tool import and export-params: a sound of the 8-bit synth voice to
// and from the files of the other tools of its family (sfxr's .sfs, jsfxr's
// JSON and share code, rFXGen's .rfx).
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include <CLI/CLI.hpp>

#include "output_file.h"
#include "sound_files.h"
#include "synth_params.h"
#include "tool.h"
#include "zorta/sfx.h"

namespace zorta {

namespace {
// As new writes its sounds: the voice's own volume parameter sets the level.
const int ImportVolume = 255;

const char* const FormatWords[SynthFileFormatCount] = {"an sfxr .sfs file", "jsfxr's JSON", "a jsfxr share code",
                                                       "an rFXGen .rfx file"};

// A share code or a link to one typed on the command line rather than a file's name.
bool LooksLikeCode(const std::string& text) {
  return text.find('#') != std::string::npos ||
         (!text.empty() && text.find_first_not_of("123456789ABCDEFGHJKLMNPQRSTUVWXYZabcdefghijkmnopqrstuvwxyz") ==
                               std::string::npos);
}

void PrintNotes(const char* command, const std::string& source, const std::string& notes) {
  for (size_t at = 0; at < notes.size();) {
    size_t end = notes.find('\n', at);
    if (end == std::string::npos) end = notes.size();
    fprintf(stderr, "zorta-tool %s: %s: %s\n", command, source.c_str(), notes.substr(at, end - at).c_str());
    at = end + 1;
  }
}

// The text to stdout, or to OUT through a temporary file; OUT may not be the input.
int WriteResult(const char* command, const std::string& out, const std::string& input, const std::string& text) {
  std::string error;
  if (out.empty()) {
    fwrite(text.data(), 1, text.size(), stdout);
    return 0;
  }
  if (!OutputIsNotInput(out, {input}, &error) || !WriteOutputFile(out, text.data(), text.size(), &error))
    return ToolError(command, "%s", error.c_str());
  printf("wrote %s\n", out.c_str());
  return 0;
}

// ---- import FILE|CODE [-o OUT]
std::string ImportSource, ImportOut;

int RunImport() {
  const char* name = "import";
  if (ImportSource.empty())
    return ToolUsageError(name, "no file or code given (for example: zorta-tool import laser.sfs)");
  std::string data, error;
  int code = 0;
  if (!ReadFileAtMost(ImportSource, SynthFileMaxSize, &data, &code)) {
    if (code != ENOENT || !LooksLikeCode(ImportSource))
      return ToolError(name, "%s: %s", ImportSource.c_str(), code != 0 ? strerror(code) : "cannot be read");
    data = ImportSource;
  }
  SynthSettings settings;
  int format = -1;
  std::string notes;
  if (!ReadSynthParams(data.data(), data.size(), &settings, &format, &notes, &error))
    return ToolError(name, "%s: %s", ImportSource.c_str(), error.c_str());
  PrintNotes(name, ImportSource, notes);
  std::string comment = std::string("from ") + FormatWords[format] + " (zorta-tool import)";
  return WriteResult(name, ImportOut, ImportSource, SynthRecipeText(settings, ImportVolume, comment.c_str()));
}

// ---- export-params FILE --format sfs|jsfxr|b58|rfx [-o OUT]
std::string ExportFile, ExportFormat, ExportOut;

int RunExportParams() {
  const char* name = "export-params";
  if (ExportFile.empty())
    return ToolUsageError(name, "no file given (for example: zorta-tool export-params laser.txt --format sfs)");
  int format = SynthFileFormatIndex(ExportFormat.c_str());
  if (ExportFormat.empty()) return ToolUsageError(name, "no --format given (sfs, jsfxr, b58 or rfx)");
  if (format < 0) return ToolError(name, "unknown format '%s' (use sfs, jsfxr, b58 or rfx)", ExportFormat.c_str());
  bool binary = format == SynthFileSfs || format == SynthFileRfx;
  if (binary && ExportOut.empty() && isatty(STDOUT_FILENO))
    return ToolError(name, "will not write a binary .%s to a terminal (give -o OUT or redirect the output)",
                     SynthFileFormatNames[format]);

  std::string error;
  SynthSettings settings;
  int volume = 0;
  if (!ReadSynthRecipeFile(ExportFile, &settings, &volume, &error)) return ToolError(name, "%s", error.c_str());
  std::string out;
  if (format == SynthFileJsfxr) {
    out = JsfxrJsonText(settings);
    if (out.empty()) error = "the triangle wave has no place in jsfxr's JSON (square, sawtooth, sine and noise only)";
  } else if (!WriteSynthFile(settings, format, &out, &error)) {
    out.clear();
  }
  if (out.empty()) return ToolError(name, "%s: %s", ExportFile.c_str(), error.c_str());
  if (!binary) out += "\n";
  // Neither rFXGen's file nor the share code keeps a volume.
  if ((format == SynthFileRfx || format == SynthFileB58) &&
      settings.value[SynthVolume] != SynthParams[SynthVolume].fallback)
    fprintf(stderr, "zorta-tool %s: %s: the volume %g has no place in %s and is left out\n", name,
            ExportFile.c_str(), settings.value[SynthVolume], FormatWords[format]);
  return WriteResult(name, ExportOut, ExportFile, out);
}

void SetUp(CLI::App* tool) {
  CLI::App* import = AddToolCommand(tool, "import", "import FILE|CODE [-o OUT]",
                                    "turn a sound of sfxr (.sfs), jsfxr (JSON or share code, or a link with one) "
                                    "or rFXGen (.rfx) into a recipe; the format is told from the content",
                                    RunImport);
  import->add_option("FILE", ImportSource, "the file, or a jsfxr share code or link such as https://sfxr.me/#...")
      ->type_name("");
  import->add_option("-o", ImportOut, "the recipe to write (default: the standard output)")->type_name("OUT");

  CLI::App* exportParams =
      AddToolCommand(tool, "export-params", "export-params FILE --format sfs|jsfxr|b58|rfx [-o OUT]",
                     "write the first synth statement of a recipe as a file of sfxr, jsfxr or rFXGen", RunExportParams);
  exportParams->add_option("FILE", ExportFile, "a recipe with a synth statement whose parameters are numbers")
      ->type_name("");
  exportParams
      ->add_option("--format", ExportFormat,
                   "sfs (sfxr, version 102), jsfxr (its JSON), b58 (jsfxr's share code) or rfx (rFXGen)")
      ->type_name("F");
  exportParams->add_option("-o", ExportOut, "the file to write (default: the standard output, never a terminal "
                                            "for the binary sfs and rfx)")
      ->type_name("OUT");
}

ToolRegistration registration(SetUp);
}  // namespace

}  // namespace zorta
