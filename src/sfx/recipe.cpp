#include "sfx/recipe.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unordered_map>

#include "base/timing.h"
#include "sfx/notes.h"
#include "sfx/primitives.h"
#include "sfx/sample.h"
#include "sfx/synth_voice.h"

namespace zorta {

namespace {
const double Third = 0.3333333333333333;  // the default amplitude
const double PassStep = 0.0002;           // the usual offset between passes
const double StepPerHz = 0.000045351473922902495;
const int MaxDepth = 48;                  // nesting of blocks and of expressions

// The decimal number s[0..n) (digits, a point, an exponent) as the nearest
// double, whatever the locale: false when out of range.
bool ReadDecimal(const char* s, size_t n, double* v) {
#ifndef _LIBCPP_VERSION
  std::from_chars_result r = std::from_chars(s, s + n, *v);
  return r.ec == std::errc() && r.ptr == s + n;
#else
  // LLVM's C++ library (Emscripten's) has no from_chars for reals; its C
  // library rounds strtod correctly and knows only the "C" locale. Like
  // from_chars, a failure leaves *v alone.
  std::string text(s, n);
  char* end = nullptr;
  errno = 0;
  double r = std::strtod(text.c_str(), &end);
  if (errno != 0 || end != text.c_str() + n) return false;
  *v = r;
  return true;
#endif
}

enum Wave : uint8_t { SineWave, SawWave, PulseWave, NoiseWave, MixedWaves };

enum ExprOp : uint8_t { OpConst, OpVar, OpNote, OpAdd, OpSub, OpMul, OpDiv, OpNeg, OpLt, OpLe, OpGt, OpGe, OpEq, OpNe, OpEnd };

enum StatementKind : uint8_t {
  StGenerator, StScale, StNormalize, StSmooth, StTremolo, StEcho, StEnvelope, StReset,
  StArp, StAssign, StFor, StIf, StElseIf, StElse, StRep, StPasses, StSynth
};
// Operand slots of a statement's expressions (RecipeStatement::expr).
enum { RunStart, RunCount, Step0, Step1, Amp, ModStep, ModDepth, Width0, Width1 };
// Processors keep their arguments after the run; arpeggios their frame
// count and repeats; loops their bounds.
enum { Arg0 = 2, Arg1 = 3 };

// ---------------------------------------------------------------- lexer

enum TokenKind { TkEnd, TkNewline, TkNumber, TkNote, TkName, TkSymbol, TkBad };
struct Token {
  TokenKind kind;
  int line, column;
  std::string text;  // name, note or symbol ("->" for an arrow)
  double number;
};

struct Lexer {
  const char* p;
  const char* end;
  int line, column;
  int depth;  // open ( and [: newlines inside them do not end a statement
};

bool IsNameStart(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; }
bool IsNameChar(char c) { return IsNameStart(c) || (c >= '0' && c <= '9'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

void Advance(Lexer* lx, int n) {
  lx->p += n;
  lx->column += 1;  // a multi-byte sign counts as one column
}

Token NextToken(Lexer* lx) {
  for (;;) {
    if (lx->p >= lx->end) return {TkEnd, lx->line, lx->column, "", 0};
    char c = *lx->p;
    if (c == ' ' || c == '\t' || c == '\r') {
      Advance(lx, 1);
    } else if (c == '#') {
      while (lx->p < lx->end && *lx->p != '\n') lx->p++;
    } else if (c == '\n') {
      Token t{TkNewline, lx->line, lx->column, "", 0};
      lx->p++;
      lx->line++;
      lx->column = 1;
      if (lx->depth == 0) return t;
    } else {
      break;
    }
  }
  Token t{TkSymbol, lx->line, lx->column, "", 0};
  const char* s = lx->p;
  size_t left = static_cast<size_t>(lx->end - s);
  unsigned char u = static_cast<unsigned char>(s[0]);
  // A note: an upper-case letter A to G, '-' or '#', an octave digit.
  if (left >= 3 && s[0] >= 'A' && s[0] <= 'G' && (s[1] == '-' || s[1] == '#') && IsDigit(s[2]) &&
      (left == 3 || !IsNameChar(s[3]))) {
    t.kind = TkNote;
    t.text.assign(s, 3);
    lx->p += 3;
    lx->column += 3;
    return t;
  }
  if (IsNameStart(s[0])) {
    size_t n = 1;
    while (n < left && IsNameChar(s[n])) n++;
    t.kind = TkName;
    t.text.assign(s, n);
    lx->p += n;
    lx->column += static_cast<int>(n);
    return t;
  }
  if (IsDigit(s[0]) || (s[0] == '.' && left > 1 && IsDigit(s[1]))) {
    size_t n = 0;
    while (n < left && IsDigit(s[n])) n++;
    if (n < left && s[n] == '.') {
      n++;
      while (n < left && IsDigit(s[n])) n++;
    }
    if (n < left && (s[n] == 'e' || s[n] == 'E')) {
      size_t m = n + 1;
      if (m < left && (s[m] == '+' || s[m] == '-')) m++;
      if (m < left && IsDigit(s[m])) {
        while (m < left && IsDigit(s[m])) m++;
        n = m;
      }
    }
    t.kind = TkNumber;
    double v = 0;
    if (!ReadDecimal(s, n, &v)) {
      t.kind = TkBad;
      t.text = "number out of range";
    }
    t.number = v;
    lx->p += n;
    lx->column += static_cast<int>(n);
    return t;
  }
  // The notation's own signs, in UTF-8: → · ×.
  if (left >= 3 && u == 0xE2 && static_cast<unsigned char>(s[1]) == 0x86 && static_cast<unsigned char>(s[2]) == 0x92) {
    t.text = "->";
    Advance(lx, 3);
    return t;
  }
  if (left >= 2 && u == 0xC2 && static_cast<unsigned char>(s[1]) == 0xB7) {
    t.text = "*";
    Advance(lx, 2);
    return t;
  }
  if (left >= 2 && u == 0xC3 && static_cast<unsigned char>(s[1]) == 0x97) {
    t.kind = TkName;
    t.text = "x";
    Advance(lx, 2);
    return t;
  }
  static const char* const Pairs[] = {"->", "<=", ">=", "==", "!="};
  for (const char* pair : Pairs)
    if (left >= 2 && s[0] == pair[0] && s[1] == pair[1]) {
      t.text = pair;
      lx->p += 2;
      lx->column += 2;
      return t;
    }
  if (s[0] != 0 && strchr("()[]{},;=+-*/<>", s[0]) != nullptr) {
    t.text.assign(s, 1);
    if (s[0] == '(' || s[0] == '[') lx->depth++;
    if ((s[0] == ')' || s[0] == ']') && lx->depth > 0) lx->depth--;
    lx->p += 1;
    lx->column += 1;
    return t;
  }
  t.kind = TkBad;
  if (u >= 0x20 && u < 0x7F)
    t.text = std::string("unexpected character '") + s[0] + "'";
  else
    t.text = "unexpected byte " + std::to_string(static_cast<int>(u));
  Advance(lx, 1);
  return t;
}
// ---------------------------------------------------------------- parser

const int MaxStack = 32;  // values an expression may hold at once

// A statement with its block, before the blocks are laid out flat. The arms
// of an if's else chain follow it as statements of their own, so a long chain
// nests nothing.
struct Node {
  RecipeStatement st;
  std::vector<RecipeArpItem> items;
  std::vector<Node> body;
};

struct Parser {
  std::vector<Token> tokens;
  size_t pos;
  CompiledRecipe* out;
  RecipeError* error;
  int failed;
  std::vector<std::string> names;  // variables by slot
  std::unordered_map<std::string, int32_t> slots;  // and the other way round
  int depth;
};

// The variable's slot, made on first sight.
int32_t SlotOf(Parser* ps, const std::string& name) {
  auto found = ps->slots.find(name);
  if (found != ps->slots.end()) return found->second;
  int32_t slot = static_cast<int32_t>(ps->names.size());
  ps->names.push_back(name);
  ps->slots.emplace(name, slot);
  return slot;
}

const Token& Peek(Parser* ps, size_t ahead = 0) {
  size_t i = ps->pos + ahead;
  return i < ps->tokens.size() ? ps->tokens[i] : ps->tokens.back();
}
Token Take(Parser* ps) {
  Token t = Peek(ps);
  if (ps->pos < ps->tokens.size() - 1) ps->pos++;
  return t;
}

std::string Describe(const Token& t) {
  switch (t.kind) {
    case TkEnd: return "the end of the file";
    case TkNewline: return "the end of the line";
    case TkNumber: {
      char b[40];
      snprintf(b, sizeof b, "%.17g", t.number);
      return std::string("the number ") + b;
    }
    default: return "'" + t.text + "'";
  }
}

int Fail(Parser* ps, int line, int column, const std::string& message) {
  if (!ps->failed) {
    ps->failed = -1;
    ps->error->line = line;
    ps->error->column = column;
    ps->error->message = message;
  }
  return 0;
}
int FailAt(Parser* ps, const Token& t, const std::string& message) { return Fail(ps, t.line, t.column, message); }
int Expected(Parser* ps, const std::string& what) {
  const Token& t = Peek(ps);
  if (t.kind == TkBad) return FailAt(ps, t, t.text);
  return FailAt(ps, t, "expected " + what + ", found " + Describe(t));
}

std::string Lower(const std::string& s) {
  std::string l = s;
  for (char& c : l)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return l;
}
bool IsSymbol(const Token& t, const char* s) { return t.kind == TkSymbol && t.text == s; }
bool IsWord(const Token& t, const char* w) { return t.kind == TkName && Lower(t.text) == w; }
int Accept(Parser* ps, const char* symbol) {
  if (!IsSymbol(Peek(ps), symbol)) return 0;
  Take(ps);
  return -1;
}
int Expect(Parser* ps, const char* symbol) {
  if (Accept(ps, symbol)) return -1;
  return Expected(ps, std::string("'") + symbol + "'");
}

const char* const Keywords[] = {"frames", "volume", "for", "to", "if", "else", "rep", "every", "passes", "with",
                                "sine", "saw", "pulse", "noise", "scale", "normalize", "normalise", "smooth",
                                "tremolo", "echo", "envelope", "reset", "arp"};
bool IsKeyword(const std::string& name) {
  std::string l = Lower(name);
  for (const char* k : Keywords)
    if (l == k) return true;
  return false;
}

int WaveOf(const Token& t) {
  if (IsWord(t, "sine")) return SineWave;
  if (IsWord(t, "saw")) return SawWave;
  if (IsWord(t, "pulse")) return PulseWave;
  if (IsWord(t, "noise")) return NoiseWave;
  return -1;
}

// Expressions compile to reverse Polish code; `depth` tracks the values held.
struct ExprCode {
  std::vector<RecipeExprOp> ops;
  int height, peak;
  size_t lastSumRight;  // where the right operand of the top-level + or - began
  uint8_t lastSumOp;
};
void Emit(ExprCode* e, uint8_t op, int32_t arg = 0, double value = 0) {
  e->ops.push_back({op, arg, value});
  if (op == OpConst || op == OpVar || op == OpNote) {
    e->height++;
    if (e->height > e->peak) e->peak = e->height;
  } else if (op != OpNeg) {
    e->height--;
  }
}

int ParseSum(Parser* ps, ExprCode* e);

int ParsePrimary(Parser* ps, ExprCode* e) {
  const Token& t = Peek(ps);
  if (ps->depth > MaxDepth) return FailAt(ps, t, "expression nested too deeply");
  if (t.kind == TkNumber) {
    Emit(e, OpConst, 0, Take(ps).number);
    return -1;
  }
  if (t.kind == TkNote) {
    Token n = Take(ps);
    int32_t index = -1;
    for (size_t i = 0; i < ps->out->notes.size(); i++)
      if (ps->out->notes[i] == n.text) index = static_cast<int32_t>(i);
    if (index < 0) {
      index = static_cast<int32_t>(ps->out->notes.size());
      ps->out->notes.push_back(n.text);
    }
    Emit(e, OpNote, index);
    return -1;
  }
  if (t.kind == TkName && !IsKeyword(t.text)) {
    Token n = Take(ps);
    auto found = ps->slots.find(n.text);
    if (found != ps->slots.end()) {
      Emit(e, OpVar, found->second);
      return -1;
    }
    return FailAt(ps, n, "unknown name '" + n.text + "' (give it a value first, as in " + n.text + " = 1)");
  }
  if (IsSymbol(t, "(")) {
    Take(ps);
    ps->depth++;
    ExprCode inner{{}, 0, 0, 0, 0};
    int ok = ParseSum(ps, &inner);
    ps->depth--;
    if (!ok || !Expect(ps, ")")) return 0;
    for (const RecipeExprOp& op : inner.ops) e->ops.push_back(op);
    if (e->height + inner.peak > e->peak) e->peak = e->height + inner.peak;
    e->height += 1;
    return -1;
  }
  return Expected(ps, "a number, a note such as C-6, a name or '('");
}

int ParseUnary(Parser* ps, ExprCode* e) {
  if (IsSymbol(Peek(ps), "-")) {
    if (ps->depth > MaxDepth) return FailAt(ps, Peek(ps), "expression nested too deeply");
    Take(ps);
    ps->depth++;
    int ok = ParseUnary(ps, e);
    ps->depth--;
    if (!ok) return 0;
    Emit(e, OpNeg);
    return -1;
  }
  return ParsePrimary(ps, e);
}

int ParseProduct(Parser* ps, ExprCode* e) {
  if (!ParseUnary(ps, e)) return 0;
  while (IsSymbol(Peek(ps), "*") || IsSymbol(Peek(ps), "/")) {
    uint8_t op = Take(ps).text == "*" ? OpMul : OpDiv;
    if (!ParseUnary(ps, e)) return 0;
    Emit(e, op);
  }
  return -1;
}

int ParseSum(Parser* ps, ExprCode* e) {
  if (!ParseProduct(ps, e)) return 0;
  e->lastSumOp = 0;
  while (IsSymbol(Peek(ps), "+") || IsSymbol(Peek(ps), "-")) {
    uint8_t op = Take(ps).text == "+" ? OpAdd : OpSub;
    size_t right = e->ops.size();
    if (!ParseProduct(ps, e)) return 0;
    Emit(e, op);
    e->lastSumRight = right;
    e->lastSumOp = op;
  }
  return -1;
}

// Appends finished code to the recipe; the index of its first op. The end
// mark keeps where the expression was written, for errors in its value.
int32_t Store(Parser* ps, const ExprCode& e, size_t from, size_t to, const Token& at) {
  int32_t first = static_cast<int32_t>(ps->out->code.size());
  for (size_t i = from; i < to; i++) ps->out->code.push_back(e.ops[i]);
  ps->out->code.push_back({OpEnd, at.line, static_cast<double>(at.column)});
  return first;
}
int CheckHeight(Parser* ps, const ExprCode& e, const Token& at) {
  if (e.peak > MaxStack) return FailAt(ps, at, "expression nested too deeply");
  return -1;
}

int ParseExpr(Parser* ps, int32_t* at) {
  Token first = Peek(ps);
  ExprCode e{{}, 0, 0, 0, 0};
  if (!ParseSum(ps, &e) || !CheckHeight(ps, e, first)) return 0;
  *at = Store(ps, e, 0, e.ops.size(), first);
  return -1;
}

int ParseCondition(Parser* ps, int32_t* at) {
  Token first = Peek(ps);
  ExprCode e{{}, 0, 0, 0, 0};
  if (!ParseSum(ps, &e)) return 0;
  static const char* const Relations[] = {"<", "<=", ">", ">=", "==", "!="};
  static const uint8_t Ops[] = {OpLt, OpLe, OpGt, OpGe, OpEq, OpNe};
  for (int i = 0; i < 6; i++)
    if (IsSymbol(Peek(ps), Relations[i])) {
      Take(ps);
      if (!ParseSum(ps, &e)) return 0;
      Emit(&e, Ops[i]);
      break;
    }
  if (!CheckHeight(ps, e, first)) return 0;
  *at = Store(ps, e, 0, e.ops.size(), first);
  return -1;
}

// [a+n]: the expression's last top-level addition splits start from count.
int ParseRun(Parser* ps, RecipeStatement* st) {
  Token open = Take(ps);
  Token first = Peek(ps);
  ExprCode e{{}, 0, 0, 0, 0};
  if (!ParseSum(ps, &e) || !CheckHeight(ps, e, open)) return 0;
  if (e.lastSumOp != OpAdd || e.ops.empty() || e.ops.back().op != OpAdd)
    return FailAt(ps, open, "a run is written [start+count], such as [0+2048]");
  if (!Expect(ps, "]")) return 0;
  st->expr[RunStart] = Store(ps, e, 0, e.lastSumRight, first);
  st->expr[RunCount] = Store(ps, e, e.lastSumRight, e.ops.size() - 1, first);
  return -1;
}

// A repeat count: x4, ×4, x 4 or 4.
int ParseTimes(Parser* ps, int32_t* at) {
  const Token& t = Peek(ps);
  if (t.kind == TkName && (t.text == "x" || t.text == "X")) {
    Take(ps);
    return ParseExpr(ps, at);
  }
  if (t.kind == TkName && t.text.size() > 1 && (t.text[0] == 'x' || t.text[0] == 'X')) {
    bool digits = true;
    for (size_t i = 1; i < t.text.size(); i++) digits = digits && IsDigit(t.text[i]);
    if (digits) {
      Token n = Take(ps);
      double v = 0;
      ReadDecimal(n.text.data() + 1, n.text.size() - 1, &v);
      int32_t here = static_cast<int32_t>(ps->out->code.size());
      ps->out->code.push_back({OpConst, 0, v});
      ps->out->code.push_back({OpEnd, n.line, static_cast<double>(n.column)});
      *at = here;
      return -1;
    }
  }
  return ParseExpr(ps, at);
}

void InitStatement(RecipeStatement* st, uint8_t kind, const Token& at) {
  memset(st, 0, sizeof *st);
  st->kind = kind;
  st->line = at.line;
  st->column = at.column;
  for (int32_t& e : st->expr) e = -1;
  st->var = -1;
}

int ParseStatements(Parser* ps, std::vector<Node>* nodes, bool inBlock);

int ParseBlock(Parser* ps, std::vector<Node>* nodes) {
  Token open = Peek(ps);
  if (!Expect(ps, "{")) return 0;
  if (ps->depth >= MaxDepth) return FailAt(ps, open, "blocks nested too deeply");
  ps->depth++;
  int ok = ParseStatements(ps, nodes, true);
  ps->depth--;
  if (!ok) return 0;
  return Expect(ps, "}");
}

// a(v), w(p->q), mod(s, d), before or after the steps.
int ParseOptions(Parser* ps, RecipeStatement* st, int wave) {
  for (;;) {
    const Token& t = Peek(ps);
    if (t.kind != TkName || !IsSymbol(Peek(ps, 1), "(")) return -1;
    std::string name = Lower(t.text);
    int slot = name == "a" ? Amp : name == "w" ? Width0 : name == "mod" ? ModStep : -1;
    if (slot < 0) return -1;
    Token word = Take(ps);
    if (st->expr[slot] >= 0) return FailAt(ps, word, name + "(...) is given twice");
    if (slot == Width0 && wave != PulseWave) return FailAt(ps, word, "w(...) sets a pulse's widths; this is not a pulse");
    if (slot == ModStep && wave == NoiseWave) return FailAt(ps, word, "noise takes no modulation");
    Take(ps);
    if (!ParseExpr(ps, &st->expr[slot])) return 0;
    if (slot == Width0) {
      if (!Expect(ps, "->") || !ParseExpr(ps, &st->expr[Width1])) return 0;
    } else if (slot == ModStep) {
      if (!Expect(ps, ",") || !ParseExpr(ps, &st->expr[ModDepth])) return 0;
    }
    if (!Expect(ps, ")")) return 0;
  }
}

int ParseGenerator(Parser* ps, Node* n, int wave) {
  n->st.wave = static_cast<uint8_t>(wave);
  if (IsSymbol(Peek(ps), "[") && !ParseRun(ps, &n->st)) return 0;
  if (!ParseOptions(ps, &n->st, wave)) return 0;
  if (wave != NoiseWave) {
    if (!ParseExpr(ps, &n->st.expr[Step0])) return 0;
    if (Accept(ps, "->") && !ParseExpr(ps, &n->st.expr[Step1])) return 0;
  }
  return ParseOptions(ps, &n->st, wave);
}

int ParseArp(Parser* ps, Node* n) {
  if (IsSymbol(Peek(ps), "[")) {
    Take(ps);
    if (!ParseExpr(ps, &n->st.expr[RunStart]) || !Expect(ps, "]")) return 0;
  }
  if (!Expect(ps, "(")) return 0;
  int single = WaveOf(Peek(ps));
  if (single >= 0 && IsSymbol(Peek(ps, 1), ",")) {
    if (single == NoiseWave) return FailAt(ps, Peek(ps), "an arpeggio of noise has no notes; write noise runs instead");
    Take(ps);
    Take(ps);
  } else {
    single = -1;
  }
  n->st.wave = static_cast<uint8_t>(single >= 0 ? single : MixedWaves);
  if (!ParseExpr(ps, &n->st.expr[Arg0]) || !Expect(ps, ";")) return 0;
  while (!IsSymbol(Peek(ps), ";")) {
    RecipeArpItem item{static_cast<uint8_t>(single), -1};
    if (single < 0) {
      int wave = WaveOf(Peek(ps));
      if (wave < 0) return Expected(ps, "sine, saw, pulse or noise before each note of a mixed arpeggio");
      Take(ps);
      item.wave = static_cast<uint8_t>(wave);
    }
    if (item.wave != NoiseWave && !ParseExpr(ps, &item.expr)) return 0;
    n->items.push_back(item);
    Accept(ps, ",");
    if (Peek(ps).kind == TkEnd) return Expected(ps, "';' and the repeat count");
  }
  if (n->items.empty()) return FailAt(ps, Peek(ps), "an arpeggio needs at least one note");
  Take(ps);
  if (!ParseTimes(ps, &n->st.expr[Arg1])) return 0;
  return Expect(ps, ")");
}

// synth [run] (wave, name = value, ...): the wave may be left out (a
// square); each parameter is an item whose wave field holds its slot.
int ParseSynth(Parser* ps, Node* n) {
  if (IsSymbol(Peek(ps), "[") && !ParseRun(ps, &n->st)) return 0;
  if (!Expect(ps, "(")) return 0;
  n->st.wave = SynthSquare;
  const Token& first = Peek(ps);
  if (first.kind == TkName && !IsSymbol(Peek(ps, 1), "=") && SynthParamIndex(Lower(first.text).c_str()) < 0) {
    int wave = SynthWaveIndex(Lower(first.text).c_str());
    if (wave < 0) return FailAt(ps, first, "unknown wave '" + first.text + "' (square, saw, sine, noise or triangle)");
    n->st.wave = static_cast<uint8_t>(wave);
    Take(ps);
    Accept(ps, ",");
  }
  while (!Accept(ps, ")")) {
    const Token& name = Peek(ps);
    if (name.kind != TkName) return Expected(ps, "a parameter such as freq = 0.3, or ')'");
    int slot = SynthParamIndex(Lower(name.text).c_str());
    if (slot < 0) {
      std::string known;
      for (const SynthParamInfo& p : SynthParams) known += std::string(known.empty() ? "" : ", ") + p.name;
      return FailAt(ps, name, "unknown synth parameter '" + name.text + "' (" + known + ")");
    }
    for (const RecipeArpItem& item : n->items)
      if (item.wave == slot) return FailAt(ps, name, Lower(name.text) + " is given twice");
    Take(ps);
    RecipeArpItem item{static_cast<uint8_t>(slot), -1};
    if (!Expect(ps, "=") || !ParseExpr(ps, &item.expr)) return 0;
    n->items.push_back(item);
    Accept(ps, ",");
  }
  return -1;
}

int ParseStatement(Parser* ps, Node* n) {
  Token t = Peek(ps);
  InitStatement(&n->st, 0, t);
  if (t.kind != TkName) return Expected(ps, "a statement");
  std::string word = Lower(t.text);
  if (!IsKeyword(t.text) && IsSymbol(Peek(ps, 1), "=")) {
    Take(ps);
    Take(ps);
    n->st.kind = StAssign;
    if (!ParseExpr(ps, &n->st.expr[Arg0])) return 0;
    n->st.var = SlotOf(ps, t.text);
    return -1;
  }
  if (word == "frames" || word == "volume" || word == "seed" || word == "rate")
    return FailAt(ps, t, "'" + word + "' belongs in the header, before every other statement");
  Take(ps);
  int wave = WaveOf(t);
  if (wave >= 0) {
    n->st.kind = StGenerator;
    return ParseGenerator(ps, n, wave);
  }
  bool run = IsSymbol(Peek(ps), "[");
  if (word == "scale" || word == "normalize" || word == "normalise" || word == "smooth" || word == "tremolo" ||
      word == "echo" || word == "envelope") {
    if (run && !ParseRun(ps, &n->st)) return 0;
    if (word == "scale") {
      n->st.kind = StScale;
      return ParseExpr(ps, &n->st.expr[Arg0]);
    }
    if (word == "normalize" || word == "normalise") {
      n->st.kind = StNormalize;
      return -1;
    }
    if (word == "smooth") {
      n->st.kind = StSmooth;
      return -1;
    }
    if (word == "echo") {
      n->st.kind = StEcho;
      return ParseExpr(ps, &n->st.expr[Arg0]);
    }
    if (word == "tremolo") {
      n->st.kind = StTremolo;
      return Expect(ps, "(") && ParseExpr(ps, &n->st.expr[Arg0]) && Expect(ps, ",") &&
                     ParseExpr(ps, &n->st.expr[Arg1]) && Expect(ps, ")")
                 ? -1
                 : 0;
    }
    n->st.kind = StEnvelope;
    return Expect(ps, "(") && ParseExpr(ps, &n->st.expr[Arg0]) && Expect(ps, ")") ? -1 : 0;
  }
  if (word == "reset") {
    n->st.kind = StReset;
    return -1;
  }
  if (word == "arp") {
    n->st.kind = StArp;
    return ParseArp(ps, n);
  }
  if (word == "synth") {
    n->st.kind = StSynth;
    return ParseSynth(ps, n);
  }
  if (word == "rep") {
    n->st.kind = StRep;
    if (!ParseTimes(ps, &n->st.expr[Arg0])) return 0;
    if (!IsWord(Peek(ps), "every")) return Expected(ps, "'every' and the frames between repeats");
    Take(ps);
    return ParseExpr(ps, &n->st.expr[Arg1]) && ParseBlock(ps, &n->body) ? -1 : 0;
  }
  if (word == "passes") {
    n->st.kind = StPasses;
    if (!ParseTimes(ps, &n->st.expr[Arg0])) return 0;
    if (IsWord(Peek(ps), "with")) {
      Take(ps);
      if (!ParseExpr(ps, &n->st.expr[Arg1])) return 0;
    }
    return ParseBlock(ps, &n->body);
  }
  if (word == "for") {
    n->st.kind = StFor;
    Token name = Peek(ps);
    if (name.kind != TkName || IsKeyword(name.text)) return Expected(ps, "the name of the loop's variable");
    Take(ps);
    n->st.var = SlotOf(ps, name.text);
    if (!Expect(ps, "=") || !ParseExpr(ps, &n->st.expr[Arg0])) return 0;
    if (!IsWord(Peek(ps), "to")) return Expected(ps, "'to' and the last value");
    Take(ps);
    return ParseExpr(ps, &n->st.expr[Arg1]) && ParseBlock(ps, &n->body) ? -1 : 0;
  }
  if (word == "if") {
    n->st.kind = StIf;
    return ParseCondition(ps, &n->st.expr[Arg0]) && ParseBlock(ps, &n->body) ? -1 : 0;
  }
  if (word == "else") return FailAt(ps, t, "'else' without an if before it");
  return FailAt(ps, t, "unknown statement '" + t.text + "'");
}

// After an if: its else if and else arms, each a statement of the block.
int ParseElseArms(Parser* ps, std::vector<Node>* nodes) {
  for (;;) {
    size_t look = 0;
    while (Peek(ps, look).kind == TkNewline) look++;
    if (!IsWord(Peek(ps, look), "else")) return -1;
    ps->pos += look;
    Token word = Take(ps);
    Node arm;
    if (IsWord(Peek(ps), "if")) {
      InitStatement(&arm.st, StElseIf, Take(ps));
      if (!ParseCondition(ps, &arm.st.expr[Arg0]) || !ParseBlock(ps, &arm.body)) return 0;
      nodes->push_back(std::move(arm));
      continue;
    }
    InitStatement(&arm.st, StElse, word);
    if (!ParseBlock(ps, &arm.body)) return 0;
    nodes->push_back(std::move(arm));
    return -1;
  }
}

int ParseStatements(Parser* ps, std::vector<Node>* nodes, bool inBlock) {
  for (;;) {
    while (Peek(ps).kind == TkNewline || IsSymbol(Peek(ps), ";")) Take(ps);
    const Token& t = Peek(ps);
    if (t.kind == TkEnd) {
      if (inBlock) return Expected(ps, "'}'");
      return -1;
    }
    if (IsSymbol(t, "}")) {
      if (inBlock) return -1;
      return FailAt(ps, t, "'}' without a block to close");
    }
    nodes->emplace_back();
    if (!ParseStatement(ps, &nodes->back())) return 0;
    if (nodes->back().st.kind == StIf && !ParseElseArms(ps, nodes)) return 0;
    const Token& after = Peek(ps);
    if (after.kind != TkNewline && after.kind != TkEnd && !IsSymbol(after, ";") && !IsSymbol(after, "}"))
      return Expected(ps, "the end of the statement");
  }
}

// Lays a block's statements out one after the other, then their own blocks.
void Place(const std::vector<Node>& nodes, CompiledRecipe* out, int32_t* begin, int32_t* end) {
  int32_t first = static_cast<int32_t>(out->statements.size());
  for (const Node& n : nodes) out->statements.push_back(n.st);
  *begin = first;
  *end = first + static_cast<int32_t>(nodes.size());
  for (size_t i = 0; i < nodes.size(); i++) {
    const Node& n = nodes[i];
    int32_t b = 0, e = 0;
    if (!n.items.empty()) {
      out->statements[first + i].items = static_cast<int32_t>(out->items.size());
      out->statements[first + i].itemCount = static_cast<int32_t>(n.items.size());
      for (const RecipeArpItem& item : n.items) out->items.push_back(item);
    }
    Place(n.body, out, &b, &e);
    out->statements[first + i].body = b;
    out->statements[first + i].bodyEnd = e;
  }
}

// ---------------------------------------------------------------- evaluation

// Works out the expression at `at`; *ops counts the operations done.
double Evaluate(const CompiledRecipe& r, int32_t at, const double* vars, int64_t* ops) {
  double stack[MaxStack + 1];
  int top = 0;
  const RecipeExprOp* first = &r.code[static_cast<size_t>(at)];
  for (const RecipeExprOp* op = first;; op++) {
    switch (op->op) {
      case OpConst: stack[top++] = op->value; break;
      case OpVar: stack[top++] = vars[op->arg]; break;
      case OpNote: stack[top++] = NoteFrequency(r.notes[static_cast<size_t>(op->arg)].c_str()) * StepPerHz; break;
      case OpNeg: stack[top - 1] = -stack[top - 1]; break;
      case OpEnd:
        *ops += op - first + 1;
        return stack[0];
      default: {
        double b = stack[--top];
        double& a = stack[top - 1];
        switch (op->op) {
          case OpAdd: a = a + b; break;
          case OpSub: a = a - b; break;
          case OpMul: a = a * b; break;
          case OpDiv: a = a / b; break;
          case OpLt: a = a < b ? 1 : 0; break;
          case OpLe: a = a <= b ? 1 : 0; break;
          case OpGt: a = a > b ? 1 : 0; break;
          case OpGe: a = a >= b ? 1 : 0; break;
          case OpEq: a = a == b ? 1 : 0; break;
          default: a = a != b ? 1 : 0; break;
        }
      }
    }
  }
}

// Where an expression was written: kept in its end mark.
const RecipeExprOp& EndOf(const CompiledRecipe& r, int32_t at) {
  size_t i = static_cast<size_t>(at);
  while (r.code[i].op != OpEnd) i++;
  return r.code[i];
}

struct Machine {
  const CompiledRecipe* r;
  int16_t* buffer;
  std::vector<double> vars;
  int64_t work;
  int64_t noise;
  RecipeError* error;
  int scale;  // samples per frame: 2 at the synth voice's own rate
};

int StopAt(Machine* m, int line, int column, const std::string& message) {
  m->error->line = line;
  m->error->column = column;
  m->error->message = message;
  return 0;
}
int Stop(Machine* m, const RecipeStatement& st, const std::string& message) {
  return StopAt(m, st.line, st.column, message);
}

std::string Number(double v) {
  char b[40];
  snprintf(b, sizeof b, "%.17g", v);
  return b;
}

int AddWork(Machine* m, const RecipeStatement& st, int64_t units) {
  m->work += units;
  if (m->work > RecipeMaxWork)
    return Stop(m, st, "the recipe does more than " + std::to_string(RecipeMaxWork) +
                           " steps of work (frames, statements, loop passes, notes and operations), the limit for "
                           "one sound");
  return -1;
}

// An expression's value, its operations counted as work. Infinity and NaN
// are refused where they are written: they would only make silence.
int Value(Machine* m, const RecipeStatement& st, int32_t expr, double* out) {
  double v = Evaluate(*m->r, expr, m->vars.data(), &m->work);
  if (!AddWork(m, st, 0)) return 0;
  if (!std::isfinite(v)) {
    const RecipeExprOp& end = EndOf(*m->r, expr);
    return StopAt(m, end.arg, static_cast<int>(end.value),
                  std::isnan(v) ? "the value is not a number (such as 0/0)" : "the value is infinite (such as 1/0)");
  }
  *out = v;
  return -1;
}

// A value that may be left out.
int Optional(Machine* m, const RecipeStatement& st, int32_t expr, double fallback, double* out) {
  if (expr < 0) {
    *out = fallback;
    return -1;
  }
  return Value(m, st, expr, out);
}

// A frame position or count: a whole number, not beyond what any sound holds.
int Whole(Machine* m, const RecipeStatement& st, int32_t expr, const char* what, int64_t* out) {
  double v = Evaluate(*m->r, expr, m->vars.data(), &m->work);
  if (!AddWork(m, st, 0)) return 0;
  if (!(v == std::floor(v)))
    return Stop(m, st, std::string(what) + " must be a whole number, not " + Number(v));
  if (std::fabs(v) > 1e12)
    return Stop(m, st, std::string(what) + " is too " + (v > 0 ? "large" : "far below zero") + ": " + Number(v));
  *out = static_cast<int64_t>(v);
  return -1;
}

// The C library works out a sine far from zero the slow way, at ten times
// the cost: frames whose phase or angle may stray that far count ten.
const double FarAngle = 1e6;
const int64_t FarFrameCost = 10;
int FarSines(Machine* m, const RecipeStatement& st, int64_t count, double reach) {
  return reach > FarAngle ? AddWork(m, st, (FarFrameCost - 1) * count) : -1;
}
double Reach(double from, int64_t count, double step) {
  return std::fabs(from) + static_cast<double>(count) * std::fabs(step);
}

int CheckRun(Machine* m, const RecipeStatement& st, int64_t start, int64_t count) {
  if (count < 0) return Stop(m, st, "a run cannot have a negative length (" + std::to_string(count) + ")");
  if (start < 0 || start + count > m->r->frames)
    return Stop(m, st, "the run [" + std::to_string(start) + "+" + std::to_string(count) +
                           "] lies outside the sound's " + std::to_string(m->r->frames) + " frames");
  return AddWork(m, st, count);
}

// The statement's run, shifted by the enclosing Reps; the whole buffer without one.
int RunOf(Machine* m, const RecipeStatement& st, int64_t shift, int64_t* start, int64_t* count) {
  if (st.expr[RunStart] < 0) {
    *start = 0;
    *count = m->r->frames;
    return AddWork(m, st, *count);
  }
  if (!Whole(m, st, st.expr[RunStart], "a run's start", start) ||
      !Whole(m, st, st.expr[RunCount], "a run's length", count))
    return 0;
  *start += shift;
  return CheckRun(m, st, *start, *count);
}

int LoopCount(Machine* m, const RecipeStatement& st, int64_t n) {
  if (n > RecipeMaxLoop)
    return Stop(m, st, "a loop of " + std::to_string(n) + " passes; at most " + std::to_string(RecipeMaxLoop) +
                           " are allowed");
  return -1;
}

void Tone(int wave, int16_t* at, int count, double s0, double s1, double amp) {
  switch (wave) {
    case SineWave: AddSine(at, count, s0, s1, 0, 0, amp); break;
    case SawWave: AddSaw(at, count, s0, s1, 0, 0, amp); break;
    case PulseWave: AddPulse(at, count, 0, 0, s0, s1, 0, 0, amp); break;
    default: AddNoise(at, count, amp); break;
  }
}

void Noise(Machine* m, int16_t* at, int count, double amp) {
  AddNoise(at, count, amp);
  m->noise += count;
}

int Execute(Machine* m, int32_t begin, int32_t end, int64_t shift, double offset, int inPasses);

int ExecuteArp(Machine* m, const RecipeStatement& st, int64_t shift, double offset, int inPasses) {
  int64_t frame = 0, n = 0, times = 0;
  if (st.expr[RunStart] >= 0 && !Whole(m, st, st.expr[RunStart], "an arpeggio's first frame", &frame)) return 0;
  if (!Whole(m, st, st.expr[Arg0], "an arpeggio's run length", &n) ||
      !Whole(m, st, st.expr[Arg1], "an arpeggio's repeat count", &times))
    return 0;
  if (n < 0) return Stop(m, st, "an arpeggio's run length cannot be negative");
  if (times < 0) return Stop(m, st, "an arpeggio's repeat count cannot be negative");
  if (!LoopCount(m, st, times)) return 0;
  frame += shift;
  const RecipeArpItem* items = &m->r->items[static_cast<size_t>(st.items)];
  for (int64_t r = 0; r < times; r++) {
    for (int32_t index = 0; index < st.itemCount; index++) {
      const RecipeArpItem& item = items[index];
      // Each note is work, however short its run.
      if (!AddWork(m, st, 1) || !CheckRun(m, st, frame, n)) return 0;
      int16_t* at = m->buffer + frame;
      int count = static_cast<int>(n);
      if (item.wave == NoiseWave) {
        Noise(m, at, count, Third);
      } else {
        double step = 0;
        if (!Value(m, st, item.expr, &step)) return 0;
        if (inPasses) step = offset + step;
        if (!FarSines(m, st, count, Reach(Oscillator.phase, count, step))) return 0;
        if (st.wave == PulseWave) {
          // Pulses of a one-kind arpeggio alternate their widths 0->1, 1->0.
          double w0 = index % 2 == 0 ? 0 : 1;
          AddPulse(at, count, w0, 1 - w0, step, step, 0, 0, Third);
        } else {
          Tone(item.wave, at, count, step, step, Third);
        }
      }
      frame += n;
    }
  }
  return -1;
}

std::string OutOfRange(const SynthParamInfo& p, double v) {
  return std::string("synth's ") + p.name + " takes " + Number(p.low) + " to " + Number(p.high) + ", not " + Number(v);
}

// The model's voice from the run's first frame, for as long as it sounds
// within the run. Each frame it may fill counts its sixteen sub-samples.
int ExecuteSynth(Machine* m, const RecipeStatement& st, int64_t shift) {
  int64_t start = 0, count = 0;
  if (!RunOf(m, st, shift, &start, &count)) return 0;
  SynthSettings settings = DefaultSynthSettings();
  settings.wave = st.wave;
  const RecipeArpItem* items = m->r->items.data() + st.items;
  for (int32_t i = 0; i < st.itemCount; i++) {
    const SynthParamInfo& p = SynthParams[items[i].wave];
    double v = 0;
    if (!Value(m, st, items[i].expr, &v)) return 0;
    if (v < p.low || v > p.high) {
      const RecipeExprOp& end = EndOf(*m->r, items[i].expr);
      return StopAt(m, end.arg, static_cast<int>(end.value), OutOfRange(p, v));
    }
    settings.value[items[i].wave] = v;
  }
  // At its own rate the voice fills both samples of each frame of its run.
  int64_t frames = std::min(count * m->scale, SynthEnvelopeSamples(settings) / (2 / m->scale));
  if (!AddWork(m, st, 2 / m->scale * SynthOversampling * frames)) return 0;
  int64_t drawn = 0;
  if (m->scale == 2)
    AddSynthVoiceAtRate(m->buffer + start * 2, static_cast<int>(frames), settings, &drawn);
  else
    AddSynthVoice(m->buffer + start, static_cast<int>(frames), settings, &drawn);
  m->noise += drawn;
  return -1;
}

// One statement. *armTaken tells the arms of an if chain whether an earlier
// arm ran.
int ExecuteOne(Machine* m, const RecipeStatement& st, int64_t shift, double offset, int inPasses, int* armTaken) {
  if (!AddWork(m, st, 1)) return 0;
  int64_t start = 0, count = 0;
  double a = 0, b = 0;
  switch (st.kind) {
    case StGenerator: {
      if (!RunOf(m, st, shift, &start, &count)) return 0;
      int16_t* at = m->buffer + start;
      int n = static_cast<int>(count);
      double amp = 0;
      if (!Optional(m, st, st.expr[Amp], Third, &amp)) return 0;
      if (st.wave == NoiseWave) {
        Noise(m, at, n, amp);
        return -1;
      }
      double s0 = 0, s1 = 0, modStep = 0, modDepth = 0, w0 = 0, w1 = 0;
      if (!Value(m, st, st.expr[Step0], &s0)) return 0;
      if (!Optional(m, st, st.expr[Step1], s0, &s1)) return 0;
      if (inPasses) {
        s0 = offset + s0;
        s1 = offset + s1;
      }
      if (!Optional(m, st, st.expr[ModStep], 0, &modStep) || !Optional(m, st, st.expr[ModDepth], 0, &modDepth))
        return 0;
      if (st.wave == PulseWave &&
          (!Optional(m, st, st.expr[Width0], 0, &w0) || !Optional(m, st, st.expr[Width1], 0, &w1)))
        return 0;
      double most = std::max(std::fabs(s0), std::fabs(s1)) + std::fabs(modDepth);
      double reach = std::max({Reach(Oscillator.phase, count, most), Reach(Oscillator.modAngle, count, modStep),
                               std::fabs(w0), std::fabs(w1)});
      if (!FarSines(m, st, count, reach)) return 0;
      if (st.wave == SineWave) AddSine(at, n, s0, s1, modStep, modDepth, amp);
      if (st.wave == SawWave) AddSaw(at, n, s0, s1, modStep, modDepth, amp);
      if (st.wave == PulseWave) AddPulse(at, n, w0, w1, s0, s1, modStep, modDepth, amp);
      return -1;
    }
    case StScale:
      if (!RunOf(m, st, shift, &start, &count) || !Value(m, st, st.expr[Arg0], &a)) return 0;
      ScaleSamples(m->buffer + start, static_cast<int>(count), a);
      return -1;
    case StNormalize:
      if (!RunOf(m, st, shift, &start, &count)) return 0;
      Normalize(m->buffer + start, static_cast<int>(count));
      return -1;
    case StSmooth:
      if (!RunOf(m, st, shift, &start, &count)) return 0;
      Smooth(m->buffer + start, static_cast<int>(count));
      return -1;
    case StTremolo:
      if (!RunOf(m, st, shift, &start, &count) || !Value(m, st, st.expr[Arg0], &a) ||
          !Value(m, st, st.expr[Arg1], &b) || !FarSines(m, st, count, Reach(Oscillator.phase, count, a)))
        return 0;
      Tremolo(m->buffer + start, static_cast<int>(count), a, b);
      return -1;
    case StEcho: {
      int64_t taps = 0;
      if (!Whole(m, st, st.expr[Arg0], "an echo's number of taps", &taps)) return 0;
      if (taps < 0 || taps > RecipeMaxEchoTaps)
        return Stop(m, st, "an echo takes 0 to " + std::to_string(RecipeMaxEchoTaps) + " taps, not " +
                               std::to_string(taps));
      if (!RunOf(m, st, shift, &start, &count) || !AddWork(m, st, count * taps)) return 0;
      Echo(m->buffer + start, static_cast<int>(count), static_cast<int>(taps));
      return -1;
    }
    case StEnvelope:
      if (!RunOf(m, st, shift, &start, &count) || !Value(m, st, st.expr[Arg0], &a)) return 0;
      ApplyEnvelope(m->buffer + start, static_cast<int>(count), a);
      return -1;
    case StReset:
      ResetOscillator();
      return -1;
    case StArp:
      return ExecuteArp(m, st, shift, offset, inPasses);
    case StSynth:
      return ExecuteSynth(m, st, shift);
    case StAssign:
      if (!Value(m, st, st.expr[Arg0], &a)) return 0;
      m->vars[static_cast<size_t>(st.var)] = a;
      return -1;
    case StIf:
    case StElseIf:
    case StElse:
      if (st.kind != StIf && *armTaken) return -1;
      a = 1;
      if (st.kind != StElse && !Value(m, st, st.expr[Arg0], &a)) return 0;
      *armTaken = a != 0 ? -1 : 0;
      return *armTaken ? Execute(m, st.body, st.bodyEnd, shift, offset, inPasses) : -1;
    case StFor: {
      int64_t from = 0, to = 0;
      if (!Whole(m, st, st.expr[Arg0], "a loop's first value", &from) ||
          !Whole(m, st, st.expr[Arg1], "a loop's last value", &to))
        return 0;
      if (to >= from && !LoopCount(m, st, to - from + 1)) return 0;
      for (int64_t v = from; v <= to; v++) {
        m->vars[static_cast<size_t>(st.var)] = static_cast<double>(v);
        if (!AddWork(m, st, 1) || !Execute(m, st.body, st.bodyEnd, shift, offset, inPasses)) return 0;
      }
      return -1;
    }
    case StRep: {
      int64_t times = 0, every = 0;
      if (!Whole(m, st, st.expr[Arg0], "Rep's count", &times) || !Whole(m, st, st.expr[Arg1], "Rep's spacing", &every))
        return 0;
      if (!LoopCount(m, st, times)) return 0;
      for (int64_t r = 0; r < times; r++)
        if (!AddWork(m, st, 1) || !Execute(m, st.body, st.bodyEnd, shift + r * every, offset, inPasses)) return 0;
      return -1;
    }
    default: {  // StPasses
      int64_t passes = 0;
      if (!Whole(m, st, st.expr[Arg0], "the number of passes", &passes)) return 0;
      if (!LoopCount(m, st, passes)) return 0;
      double d = 0;
      if (!Optional(m, st, st.expr[Arg1], PassStep, &d)) return 0;
      for (int64_t k = 0; k < passes; k++) {
        // The offset is formed first; each step is then added to it.
        double o = static_cast<double>(k) * d;
        if (inPasses) o = offset + o;
        if (!AddWork(m, st, 1) || !Execute(m, st.body, st.bodyEnd, shift, o, -1)) return 0;
      }
      return -1;
    }
  }
}

int Execute(Machine* m, int32_t begin, int32_t end, int64_t shift, double offset, int inPasses) {
  int armTaken = 0;
  for (int32_t i = begin; i < end; i++)
    if (!ExecuteOne(m, m->r->statements[static_cast<size_t>(i)], shift, offset, inPasses, &armTaken)) return 0;
  return -1;
}

// The header's values: constants, checked when the recipe is compiled.
int HeaderValue(Parser* ps, const Token& word, int32_t expr, int64_t low, int64_t high, int64_t* out) {
  int64_t ops = 0;
  double v = Evaluate(*ps->out, expr, nullptr, &ops);
  if (!(v == std::floor(v)) || v < static_cast<double>(low) || v > static_cast<double>(high))
    return FailAt(ps, word, Lower(word.text) + " must be a whole number from " + std::to_string(low) + " to " +
                                std::to_string(high) + ", not " + Number(v));
  *out = static_cast<int64_t>(v);
  return -1;
}

// A header word's value: a constant expression, not a name.
int HeaderNumber(Parser* ps, const Token& word, int64_t low, int64_t high, int64_t* out) {
  int32_t expr = -1;
  Token value = Peek(ps);
  if (value.kind == TkName && !IsKeyword(value.text))
    return FailAt(ps, value, Lower(word.text) + " takes a number, not a name");
  return ParseExpr(ps, &expr) && HeaderValue(ps, word, expr, low, high, out) ? -1 : 0;
}

int ParseHeader(Parser* ps, int64_t* rate) {
  int64_t frames = -1, volume = -1;
  *rate = -1;
  ps->out->seed = -1;
  ps->out->skip = 0;
  for (;;) {
    while (Peek(ps).kind == TkNewline || IsSymbol(Peek(ps), ";")) Take(ps);
    Token t = Peek(ps);
    bool isFrames = IsWord(t, "frames"), isVolume = IsWord(t, "volume");
    // seed is no keyword, so recipes may still name a variable so.
    bool isSeed = IsWord(t, "seed") && !IsSymbol(Peek(ps, 1), "=");
    bool isRate = IsWord(t, "rate") && !IsSymbol(Peek(ps, 1), "=");
    if (!isFrames && !isVolume && !isSeed && !isRate) break;
    Take(ps);
    if ((isFrames && frames >= 0) || (isVolume && volume >= 0) || (isSeed && ps->out->seed >= 0) ||
        (isRate && *rate >= 0))
      return FailAt(ps, t, Lower(t.text) + " is given twice");
    if (isRate) {
      Token value = Peek(ps);
      if (!HeaderNumber(ps, t, RecipeBankRate, RecipeSynthRate, rate)) return 0;
      if (*rate != RecipeBankRate && *rate != RecipeSynthRate)
        return FailAt(ps, value, "rate is 22050 or 44100, not " + std::to_string(*rate));
    }
    if (isFrames && !HeaderNumber(ps, t, 1, RecipeMaxFrames, &frames)) return 0;
    if (isVolume && !HeaderNumber(ps, t, 0, 255, &volume)) return 0;
    if (isSeed) {
      if (!HeaderNumber(ps, t, 0, RecipeMaxSeed, &ps->out->seed)) return 0;
      if (IsWord(Peek(ps), "skip")) {
        Token skip = Take(ps);
        if (!HeaderNumber(ps, skip, 0, RecipeMaxWork, &ps->out->skip)) return 0;
      }
    }
    const Token& after = Peek(ps);
    if (after.kind != TkNewline && after.kind != TkEnd && !IsSymbol(after, ";"))
      return Expected(ps, "the end of the statement");
  }
  if (frames < 0 || volume < 0) {
    const Token& t = Peek(ps);
    return FailAt(ps, t, std::string("a recipe starts with its header: ") + (frames < 0 ? "frames N" : "volume N") +
                             " is missing (frames 1 to " + std::to_string(RecipeMaxFrames) + ", volume 0 to 255)");
  }
  ps->out->frames = static_cast<int32_t>(frames);
  ps->out->volume = static_cast<int32_t>(volume);
  return -1;
}
// Text saved as UTF-16 with its byte-order mark (Windows' "Unicode"), as
// UTF-8. 0 at a lone surrogate or a character cut short.
int Utf16ToUtf8(const unsigned char* p, size_t size, std::string* out, RecipeError* error) {
  bool big = p[0] == 0xFE;
  auto unit = [&](size_t i) -> uint32_t { return big ? (p[i] << 8) | p[i + 1] : p[i] | (p[i + 1] << 8); };
  int line = 1, column = 1;
  for (size_t i = 2; i < size; i += 2) {
    uint32_t c = i + 1 < size ? unit(i) : 0xDC00;  // an odd last byte counts as broken
    if (c >= 0xD800 && c < 0xDC00 && i + 3 < size && unit(i + 2) >= 0xDC00 && unit(i + 2) < 0xE000) {
      c = 0x10000 + ((c - 0xD800) << 10) + (unit(i + 2) - 0xDC00);
      i += 2;
    } else if (c >= 0xD800 && c < 0xE000) {
      error->line = line;
      error->column = column;
      error->message = "the file is UTF-16 with a broken character here; save it as UTF-8";
      return 0;
    }
    if (c < 0x80) {
      out->push_back(static_cast<char>(c));
    } else if (c < 0x800) {
      out->push_back(static_cast<char>(0xC0 | (c >> 6)));
      out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
      out->push_back(static_cast<char>(0xE0 | (c >> 12)));
      out->push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
      out->push_back(static_cast<char>(0xF0 | (c >> 18)));
      out->push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
      out->push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
    column++;
    if (c == '\n') {
      line++;
      column = 1;
    }
  }
  return -1;
}
}  // namespace

int CompileRecipe(const char* text, size_t size, CompiledRecipe* recipe, RecipeError* error) {
  *recipe = CompiledRecipe();
  recipe->seed = -1;
  recipe->rate = RecipeBankRate;
  error->line = 1;
  error->column = 1;
  error->message.clear();
  if (size > RecipeMaxText) {
    error->message = "the recipe is longer than " + std::to_string(RecipeMaxText) + " bytes";
    return 0;
  }
  // Windows editors mark their UTF-8 and UTF-16 saves with a byte-order mark.
  const unsigned char* bytes = reinterpret_cast<const unsigned char*>(text);
  std::string converted;
  if (size >= 2 && ((bytes[0] == 0xFF && bytes[1] == 0xFE) || (bytes[0] == 0xFE && bytes[1] == 0xFF))) {
    if (!Utf16ToUtf8(bytes, size, &converted, error)) return 0;
    text = converted.data();
    size = converted.size();
  }
  if (size >= 3 && memcmp(text, "\xEF\xBB\xBF", 3) == 0) {
    text += 3;
    size -= 3;
  }
  Parser ps{{}, 0, recipe, error, 0, {}, {}, 0};
  Lexer lx{text, text + size, 1, 1, 0};
  for (;;) {
    Token t = NextToken(&lx);
    if (t.kind == TkBad) {
      error->line = t.line;
      error->column = t.column;
      error->message = t.text;
      return 0;
    }
    ps.tokens.push_back(t);
    if (t.kind == TkEnd) break;
  }
  int64_t rate = -1;
  if (!ParseHeader(&ps, &rate)) return 0;
  std::vector<Node> top;
  if (!ParseStatements(&ps, &top, false)) return 0;
  Place(top, recipe, &recipe->top, &recipe->topEnd);
  recipe->variables = static_cast<int32_t>(ps.names.size());
  // The other statements work on frames at the bank's rate: a recipe that
  // holds one stays there, its synth voice averaged down.
  bool hasSynth = false;
  const RecipeStatement* other = nullptr;
  for (const RecipeStatement& st : recipe->statements) {
    if (st.kind == StSynth) hasSynth = true;
    if (st.kind != StSynth && st.kind != StAssign && st.kind != StFor && st.kind != StIf && st.kind != StElseIf &&
        st.kind != StElse && st.kind != StRep && other == nullptr)
      other = &st;
  }
  if (rate == RecipeSynthRate && other != nullptr) {
    error->line = other->line;
    error->column = other->column;
    error->message = "a recipe at rate 44100 holds only synth statements (with names, loops, ifs and rep)";
    return 0;
  }
  bool synthOnly = hasSynth && other == nullptr;
  recipe->rate = rate >= 0 ? static_cast<int32_t>(rate) : synthOnly ? RecipeSynthRate : RecipeBankRate;
  return -1;
}

int64_t RecipeLength(const CompiledRecipe& recipe, int rate) {
  return static_cast<int64_t>(recipe.frames) * (rate == RecipeSynthRate && recipe.rate == RecipeSynthRate ? 2 : 1);
}

int RunRecipe(const CompiledRecipe& recipe, int16_t* buffer, RecipeError* error, RecipeUse* use, int rate) {
  int scale = RecipeLength(recipe, rate) > recipe.frames ? 2 : 1;
  Machine m{&recipe, buffer, std::vector<double>(static_cast<size_t>(recipe.variables) + 1, 0.0), 0, 0, error, scale};
  if (recipe.seed >= 0) {
    SeedRandom(static_cast<double>(recipe.seed));
    for (int64_t k = 0; k < recipe.skip; k++) RandomUnit();
    m.work = recipe.skip;
  }
  int ok = Execute(&m, recipe.top, recipe.topEnd, 0, 0.0, 0);
  if (use != nullptr) *use = {m.work, m.noise};
  return ok;
}

int RecipeSynthSettings(const CompiledRecipe& recipe, SynthSettings* settings, RecipeError* error) {
  const RecipeStatement* first = nullptr;
  for (const RecipeStatement& st : recipe.statements)
    if (st.kind == StSynth && (first == nullptr || st.line < first->line ||
                               (st.line == first->line && st.column < first->column)))
      first = &st;
  if (first == nullptr) {
    *error = {0, 0, "the recipe holds no synth statement"};
    return 0;
  }
  *settings = DefaultSynthSettings();
  settings->wave = first->wave;
  for (int32_t i = 0; i < first->itemCount; i++) {
    const RecipeArpItem& item = recipe.items[static_cast<size_t>(first->items + i)];
    const SynthParamInfo& p = SynthParams[item.wave];
    const RecipeExprOp& end = EndOf(recipe, item.expr);
    // Without running the recipe a name has no value: only numbers will do.
    for (const RecipeExprOp* op = &recipe.code[static_cast<size_t>(item.expr)]; op != &end; op++)
      if (op->op == OpVar) {
        *error = {end.arg, static_cast<int>(end.value), std::string("synth's ") + p.name + " must be a number, not a name"};
        return 0;
      }
    int64_t ops = 0;
    double v = Evaluate(recipe, item.expr, nullptr, &ops);
    if (!(v >= p.low && v <= p.high)) {
      *error = {end.arg, static_cast<int>(end.value), OutOfRange(p, v)};
      return 0;
    }
    settings->value[item.wave] = v;
  }
  return -1;
}

int RunRecipeInto(const CompiledRecipe& recipe, int rate, std::vector<int16_t>* frames, RecipeError* error) {
  int64_t length = RecipeLength(recipe, rate);
  frames->assign(static_cast<size_t>(length), 0);
  ClearSamples(frames->data(), static_cast<int>(length));
  return RunRecipe(recipe, frames->data(), error, nullptr, rate);
}

int RenderRecipe(const char* text, size_t size, std::vector<int16_t>* frames, int* volume, RecipeError* error,
                 int* rate) {
  CompiledRecipe recipe;
  if (!CompileRecipe(text, size, &recipe, error)) return 0;
  if (volume != nullptr) *volume = recipe.volume;
  if (rate != nullptr) *rate = recipe.rate;
  return RunRecipeInto(recipe, rate != nullptr ? recipe.rate : RecipeBankRate, frames, error);
}

}  // namespace zorta
