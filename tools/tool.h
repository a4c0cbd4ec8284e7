// zorta-tool's subcommands. Each tools/cmd_*.cpp registers a setup function
// with a static ToolRegistration, so adding one touches no other file; the
// setup adds the command to the command line (AddToolCommand), then its
// options and arguments, each with a description.
#pragma once
#include <cstdio>
#include <string>

namespace CLI {
class App;
}

namespace zorta {

using ToolSetup = void (*)(CLI::App* tool);

struct ToolRegistration {
  explicit ToolRegistration(ToolSetup setup);
};

// Adds the subcommand `name` to `parent` (the tool or a command with
// subcommands of its own). Its callback runs `run` once the whole command line
// is parsed and checked; what `run` returns is the exit code. `usage` is the
// one-line synopsis that `zorta-tool --help` lists ("export [--format ...] OUTDIR").
CLI::App* AddToolCommand(CLI::App* parent, const char* name, const char* usage, const char* summary,
                         int (*run)());

// Prints "zorta-tool NAME: message" to stderr and returns 1, for one-line error exits.
int ToolError(const char* command, const char* format, ...) __attribute__((format(printf, 2, 3)));
// The same for a command line the command cannot use; returns 2.
int ToolUsageError(const char* command, const char* format, ...) __attribute__((format(printf, 2, 3)));
// A recipe file's failure from RenderRecipeFile: "file:line:column: message"
// as it stands, a file that cannot be read as a ToolError. Returns 1.
int RecipeFileError(const char* command, const std::string& error);

}  // namespace zorta
