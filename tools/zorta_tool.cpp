// zorta-tool: command-line companion of the program.
#include <cstdio>
#include <cstring>

static void Usage(FILE* out) {
  fprintf(out,
          "Usage: zorta-tool COMMAND [OPTIONS]\n"
          "\n"
          "Commands:\n"
          "  --help     show this help\n");
}

int main(int argc, char** argv) {
  if (argc < 2 || strcmp(argv[1], "--help") == 0 || strcmp(argv[1], "-h") == 0) {
    Usage(argc < 2 ? stderr : stdout);
    return argc < 2 ? 2 : 0;
  }
  fprintf(stderr, "zorta-tool: unknown command '%s' (see zorta-tool --help)\n", argv[1]);
  return 2;
}
