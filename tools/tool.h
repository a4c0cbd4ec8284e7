// zorta-tool's subcommands. Each tools/cmd_*.cpp registers its own with a
// static ToolRegistration, so adding one touches no other file.
#pragma once
#include <cstdio>

struct ToolCommand {
  const char* name;     // "export"
  const char* usage;    // "export [--format wav|flac] OUTDIR"
  const char* summary;  // one line for --help
  int (*run)(int argc, char** argv);  // argv[0] is the subcommand's name; returns the exit code
};

struct ToolRegistration {
  explicit ToolRegistration(const ToolCommand& command);
};

// Prints "zorta-tool NAME: message" to stderr and returns 1, for one-line error exits.
int ToolError(const char* command, const char* format, ...) __attribute__((format(printf, 2, 3)));
