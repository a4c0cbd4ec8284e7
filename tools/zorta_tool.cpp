// zorta-tool: command-line companion of the program.
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <vector>

#include "tool.h"

static std::vector<ToolCommand>& Commands() {
  static std::vector<ToolCommand> commands;
  return commands;
}

ToolRegistration::ToolRegistration(const ToolCommand& command) { Commands().push_back(command); }

int ToolError(const char* command, const char* format, ...) {
  fprintf(stderr, "zorta-tool %s: ", command);
  va_list ap;
  va_start(ap, format);
  vfprintf(stderr, format, ap);
  va_end(ap);
  fputc('\n', stderr);
  return 1;
}

static void Usage(FILE* out) {
  fprintf(out, "Usage: zorta-tool COMMAND [OPTIONS]\n\nCommands:\n");
  for (const ToolCommand& c : Commands()) fprintf(out, "  %-10s %s\n", c.name, c.summary);
  fprintf(out, "\nUsage of each command:\n");
  for (const ToolCommand& c : Commands()) fprintf(out, "  zorta-tool %s\n", c.usage);
  fprintf(out, "\n'zorta-tool COMMAND --help' shows the same line for one command.\n");
}

int main(int argc, char** argv) {
  if (argc < 2) {
    Usage(stderr);
    return 2;
  }
  if (strcmp(argv[1], "--help") == 0 || strcmp(argv[1], "-h") == 0 || strcmp(argv[1], "help") == 0) {
    Usage(stdout);
    return 0;
  }
  for (const ToolCommand& c : Commands()) {
    if (strcmp(argv[1], c.name) == 0) {
      if (argc >= 3 && (strcmp(argv[2], "--help") == 0 || strcmp(argv[2], "-h") == 0)) {
        printf("Usage: zorta-tool %s\n%s\n", c.usage, c.summary);
        return 0;
      }
      return c.run(argc - 1, argv + 1);
    }
  }
  fprintf(stderr, "zorta-tool: unknown command '%s' (see zorta-tool --help)\n", argv[1]);
  return 2;
}
