#!/usr/bin/env python3
"""public_comments.py on a header with a name of every kind left without a
comment, beside the same kinds commented each way the headers write them."""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from public_comments import check  # noqa: E402

SAMPLE = '''#pragma once
#include <cstdint>
#define ZORTA_TWICE(x) \\
  do { (x); (x); } while (0)

namespace zorta {

struct Image;

// Commented above.
int LoadSprite(const char* path, int cellWidth,
               int cellHeight);
void DrawSprite(int sprite, int cell, int x, int y);

/// A three-slash comment counts too.
enum class Key : int {
  Left = 37,  // trailing
  // above
  Right,
  Up, Down
};

/* A block comment
   ending right above. */
struct ProgramOptions {
  const char* title = "Zorta";  // the caption
  uint32_t frames = 0;
  void (*setUp)() = nullptr;  // once
  void (*frame)() = nullptr;
  // A member function.
  int Area() const { return frames * 2; }
  bool Empty() const;
  ProgramOptions(const ProgramOptions&) = delete;
};

// A comment a blank line away is not the name's.

inline int Twice(int x) {
  int y = x * 2;
  return y;
}

// Aliases and variables.
using SpriteId = int;
using Callback = void (*)(int);
extern const int ScreenWidth;
const char* const Names[] = {"a", "b"};  // initialised in place

namespace detail {
// Nested namespaces are public as well.
int Helper();
int Other();
}

}  // namespace zorta
'''


def main():
    found = [(line, name) for _, line, name in check("sample.h", SAMPLE)]
    expected = [(13, "DrawSprite"), (20, "Up"), (20, "Down"), (27, "frames"), (29, "frame"), (32, "Empty"),
                (38, "Twice"), (45, "Callback"), (46, "ScreenWidth"), (52, "Other")]
    if found != expected:
        print(f"FAIL: the checker found {found}\n      where the sample lacks {expected}")
        return 1
    # Fully commented, the same sample passes.
    lines = SAMPLE.split("\n")
    for line, _ in reversed(expected):
        lines[line - 1] += "  // now commented"
    again = check("sample.h", "\n".join(lines))
    if again:
        print(f"FAIL: names reported once commented: {again}")
        return 1
    print("public comments checker: ok")
    return 0


if __name__ == "__main__":
    sys.exit(main())
