// zorta-tool: command-line companion of the program.
#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <new>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "tool.h"

#ifndef ZORTA_VERSION
#define ZORTA_VERSION "unknown"
#endif

namespace zorta {

namespace {

std::vector<ToolSetup>& Setups() {
  static std::vector<ToolSetup> setups;
  return setups;
}

// The command the parsed line names, and what runs it.
CLI::App* Chosen = nullptr;
int (*ChosenRun)() = nullptr;

void PrintMessage(const char* command, const char* format, va_list ap) {
  fprintf(stderr, "zorta-tool %s: ", command);
  vfprintf(stderr, format, ap);
  fputc('\n', stderr);
}

// The commands the line selected, outermost first: the tool, then "map", then "build".
std::vector<CLI::App*> SelectedChain(CLI::App* tool) {
  std::vector<CLI::App*> chain{tool};
  while (true) {
    std::vector<CLI::App*> selected = chain.back()->get_subcommands();
    if (selected.empty()) return chain;
    chain.push_back(selected.front());
  }
}

// "zorta-tool map build", "zorta-tool" for the tool itself.
std::string CommandLine(const std::vector<CLI::App*>& chain, size_t length) {
  std::string text = "zorta-tool";
  for (size_t i = 1; i < length; i++) text += " " + chain[i]->get_name();
  return text;
}

// A usage error: "zorta-tool map: message (see zorta-tool map --help)", exit 2.
int UsageError(const std::string& command, const std::string& message) {
  fprintf(stderr, "%s: %s (see %s --help)\n", command.c_str(), message.c_str(), command.c_str());
  return 2;
}

}  // namespace

ToolRegistration::ToolRegistration(ToolSetup setup) { Setups().push_back(setup); }

CLI::App* AddToolCommand(CLI::App* parent, const char* name, const char* usage, const char* summary,
                         int (*run)()) {
  CLI::App* command = parent->add_subcommand(name, summary);
  command->footer("");  // not the parent's list of commands, which it inherits
  command->allow_extras();
  if (run != nullptr) {
    command->callback([command, run]() {
      Chosen = command;
      ChosenRun = run;
    });
  }
  std::string footer = parent->get_footer();
  if (footer.empty()) footer = "Usage of each command:";
  std::string prefix;
  for (CLI::App* app = parent; app->get_parent() != nullptr; app = app->get_parent())
    prefix = app->get_name() + " " + prefix;
  parent->footer(footer + "\n  zorta-tool " + prefix + usage);
  return command;
}

int ToolError(const char* command, const char* format, ...) {
  va_list ap;
  va_start(ap, format);
  PrintMessage(command, format, ap);
  va_end(ap);
  return 1;
}

int ToolUsageError(const char* command, const char* format, ...) {
  va_list ap;
  va_start(ap, format);
  PrintMessage(command, format, ap);
  va_end(ap);
  return 2;
}

int RecipeFileError(const char* command, const std::string& error) {
  if (error.rfind("cannot read", 0) == 0) return ToolError(command, "%s", error.c_str());
  fprintf(stderr, "%s\n", error.c_str());
  return 1;
}

namespace {

int RunTool(int argc, char** argv) {
  CLI::App tool("zorta-tool: exports, draws and plays the Zorta sound bank, converts the framework's images "
                "and makes and inspects its maps.",
                "zorta-tool");
  tool.set_version_flag("--version", "zorta-tool " ZORTA_VERSION);
  // Unknown words are kept and reported by the tool in its own words.
  tool.allow_extras();
  for (ToolSetup setup : Setups()) setup(&tool);
  tool.footer(tool.get_footer() + "\n\n'zorta-tool COMMAND --help' describes one command and its options.");

  // "zorta-tool help" has always meant --help.
  if (argc == 2 && strcmp(argv[1], "help") == 0) {
    fputs(tool.help().c_str(), stdout);
    return 0;
  }
  try {
    tool.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    // --help and --version: printed to stdout, exit 0.
    if (e.get_exit_code() == static_cast<int>(CLI::ExitCodes::Success)) return tool.exit(e);
    std::vector<CLI::App*> chain = SelectedChain(&tool);
    return UsageError(CommandLine(chain, chain.size()), e.what());
  }
  std::vector<CLI::App*> chain = SelectedChain(&tool);
  for (size_t i = 0; i < chain.size(); i++) {
    std::vector<std::string> extra = chain[i]->remaining();
    // "--" ends the options (what follows is a file or a slot even when it
    // starts with '-'); CLI11 honours it and keeps the marker among the extras.
    extra.erase(std::remove(extra.begin(), extra.end(), "--"), extra.end());
    if (extra.empty()) continue;
    const char* what = extra[0].size() > 1 && extra[0][0] == '-'    ? "unknown option"
                       : !chain[i]->get_subcommands({}).empty() ? "unknown command"
                                                                    : "unexpected argument";
    return UsageError(CommandLine(chain, i + 1), std::string(what) + " '" + extra[0] + "'");
  }
  if (ChosenRun == nullptr || Chosen != chain.back())
    return UsageError(CommandLine(chain, chain.size()), "no command given");
  return ChosenRun();
}

// What went to standard output must have arrived: a full disk or a closed
// pipe there is a failure like any other write. Nothing written to a closed
// descriptor is no failure.
int FinishStandardOutput(int rc) {
  // A write that failed inside printf left its reason in errno, unless a
  // later call changed it (then the message gives no reason).
  int code = ferror(stdout) ? errno : 0;
  if (fflush(stdout) != 0) code = errno;
  std::cout.flush();
  bool ok = !std::cout.fail() && !ferror(stdout);
  if (fclose(stdout) != 0 && errno != EBADF && ok) ok = false, code = errno;
  if (ok) return rc;
  fprintf(stderr, "zorta-tool: cannot write to the standard output: %s\n",
          code == ENOSPC ? "the disk is full" : code != 0 ? strerror(code) : "a write failed");
  return rc != 0 ? rc : 1;
}

}  // namespace

}  // namespace zorta

int main(int argc, char** argv) {
  int rc = 0;
  try {
    rc = zorta::RunTool(argc, argv);
  } catch (const std::bad_alloc&) {
    fprintf(stderr, "zorta-tool: out of memory\n");
    rc = 1;
  }
  return zorta::FinishStandardOutput(rc);
}
