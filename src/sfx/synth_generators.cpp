// New sounds of the 8-bit synth voice, a kind at a time as the sfxr family's
// buttons make them, and small changes to one. Every value is a whole number
// of ten-thousandths worked out in integers from a generator of our own, so a
// seed gives the same sound on every system and in every later build, and the
// recipe text holds each value exactly.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "sfx/recipe.h"
#include "sfx/synth_voice.h"
#include "zorta/sfx.h"

namespace zorta {

const char* const SynthKindNames[SynthKindCount] = {"pickup", "laser", "explosion", "powerup", "hit",  "jump",
                                                    "blip",   "random", "tone",     "click",   "synth"};

int SynthKindIndex(const char* name) {
  for (int i = 0; i < SynthKindCount; i++)
    if (strcmp(SynthKindNames[i], name) == 0) return i;
  return -1;
}

namespace {

// Values count in ten-thousandths: 1 is One.
const int32_t One = 10000;
constexpr int32_t U(double x) { return static_cast<int32_t>(x < 0 ? x * One - 0.5 : x * One + 0.5); }

// SplitMix64: small, fast and the same on every machine.
struct Dice {
  uint64_t state;
};
uint64_t NextBits(Dice* d) {
  uint64_t z = (d->state += 0x9E3779B97F4A7C15u);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
  return z ^ (z >> 31);
}
// A whole number from 0 to n, each as likely (n below 2^31).
int32_t Roll(Dice* d, int32_t n) {
  return static_cast<int32_t>(((NextBits(d) >> 32) * static_cast<uint64_t>(n + 1)) >> 32);
}
// True one time in n.
bool OneIn(Dice* d, int32_t n) { return Roll(d, n - 1) == 0; }
// From 0 to `spread` ten-thousandths.
int32_t Up(Dice* d, double spread) { return Roll(d, U(spread)); }
// From -1 to 1.
int32_t Either(Dice* d) { return Roll(d, 2 * One) - One; }

// Products of values, rounded to the nearest ten-thousandth.
int32_t Mul(int32_t a, int32_t b) {
  int64_t p = static_cast<int64_t>(a) * b;
  return static_cast<int32_t>(p < 0 ? -((-p + One / 2) / One) : (p + One / 2) / One);
}
int32_t Square(int32_t a) { return Mul(a, a); }
int32_t Cube(int32_t a) { return Mul(Mul(a, a), a); }
int32_t Fifth(int32_t a) { return Mul(Square(Square(a)), a); }

struct Draft {
  int wave;
  int32_t v[SynthParamCount];
};

int32_t Low(int slot) { return U(SynthParams[slot].low); }
int32_t High(int slot) { return U(SynthParams[slot].high); }
int32_t Clamp(int slot, int64_t x) { return static_cast<int32_t>(x < Low(slot) ? Low(slot) : x > High(slot) ? High(slot) : x); }

void Pickup(Dice* d, Draft* s) {
  int32_t* v = s->v;
  s->wave = SynthSawtooth;
  v[SynthFreq] = U(0.4) + Up(d, 0.5);
  v[SynthSustain] = Up(d, 0.1);
  v[SynthDecay] = U(0.1) + Up(d, 0.4);
  v[SynthPunch] = U(0.3) + Up(d, 0.3);
  if (OneIn(d, 2)) {
    v[SynthArpSpeed] = U(0.5) + Up(d, 0.2);
    v[SynthArp] = U(0.2) + Up(d, 0.4);
  }
}

void Laser(Dice* d, Draft* s) {
  int32_t* v = s->v;
  s->wave = Roll(d, 2);
  if (s->wave == SynthSine && OneIn(d, 2)) s->wave = Roll(d, 1);
  if (OneIn(d, 3)) {
    v[SynthFreq] = U(0.3) + Up(d, 0.6);
    v[SynthLimit] = Up(d, 0.1);
    v[SynthSlide] = -U(0.35) - Up(d, 0.3);
  } else {
    v[SynthFreq] = U(0.5) + Up(d, 0.5);
    v[SynthLimit] = v[SynthFreq] - U(0.2) - Up(d, 0.6);
    if (v[SynthLimit] < U(0.2)) v[SynthLimit] = U(0.2);
    v[SynthSlide] = -U(0.15) - Up(d, 0.2);
  }
  if (OneIn(d, 2)) {
    v[SynthDuty] = Up(d, 0.5);
    v[SynthDutySweep] = Up(d, 0.2);
  } else {
    v[SynthDuty] = U(0.4) + Up(d, 0.5);
    v[SynthDutySweep] = -Up(d, 0.7);
  }
  v[SynthSustain] = U(0.1) + Up(d, 0.2);
  v[SynthDecay] = Up(d, 0.4);
  if (OneIn(d, 2)) v[SynthPunch] = Up(d, 0.3);
  if (OneIn(d, 3)) {
    v[SynthPhaser] = Up(d, 0.2);
    v[SynthPhaserSweep] = -Up(d, 0.2);
  }
  v[SynthHighPass] = Up(d, 0.3);
}

// A short wobble of the pitch, which explosions and power-ups may have.
void MaybeVibrato(Dice* d, int32_t* v) {
  if (OneIn(d, 2)) {
    v[SynthVibrato] = Up(d, 0.7);
    v[SynthVibratoSpeed] = Up(d, 0.6);
  }
}

void Explosion(Dice* d, Draft* s) {
  int32_t* v = s->v;
  s->wave = SynthNoise;
  if (OneIn(d, 2)) {
    v[SynthFreq] = Square(U(0.1) + Up(d, 0.4));
    v[SynthSlide] = -U(0.1) + Up(d, 0.4);
  } else {
    v[SynthFreq] = Square(U(0.2) + Up(d, 0.7));
    v[SynthSlide] = -U(0.2) - Up(d, 0.2);
  }
  if (OneIn(d, 5)) v[SynthSlide] = 0;
  if (OneIn(d, 3)) v[SynthRepeat] = U(0.3) + Up(d, 0.5);
  v[SynthSustain] = U(0.1) + Up(d, 0.3);
  v[SynthDecay] = Up(d, 0.5);
  if (OneIn(d, 2)) {
    v[SynthPhaser] = -U(0.3) + Up(d, 0.9);
    v[SynthPhaserSweep] = -Up(d, 0.3);
  }
  v[SynthPunch] = U(0.2) + Up(d, 0.6);
  MaybeVibrato(d, v);
  if (OneIn(d, 3)) {
    v[SynthArpSpeed] = U(0.6) + Up(d, 0.3);
    v[SynthArp] = U(0.8) - Up(d, 1.6);
  }
}

void Powerup(Dice* d, Draft* s) {
  int32_t* v = s->v;
  // The duty shapes a square only.
  if (OneIn(d, 2))
    s->wave = SynthSawtooth;
  else
    v[SynthDuty] = Up(d, 0.6);
  v[SynthFreq] = U(0.2) + Up(d, 0.3);
  if (OneIn(d, 2)) {
    v[SynthSlide] = U(0.1) + Up(d, 0.4);
    v[SynthRepeat] = U(0.4) + Up(d, 0.4);
  } else {
    v[SynthSlide] = U(0.05) + Up(d, 0.2);
    MaybeVibrato(d, v);
  }
  v[SynthSustain] = Up(d, 0.4);
  v[SynthDecay] = U(0.1) + Up(d, 0.4);
}

void Hit(Dice* d, Draft* s) {
  int32_t* v = s->v;
  s->wave = Roll(d, 2);
  if (s->wave == SynthSine) s->wave = SynthNoise;
  if (s->wave == SynthSquare) v[SynthDuty] = Up(d, 0.6);
  v[SynthFreq] = U(0.2) + Up(d, 0.6);
  v[SynthSlide] = -U(0.3) - Up(d, 0.4);
  v[SynthSustain] = Up(d, 0.1);
  v[SynthDecay] = U(0.1) + Up(d, 0.2);
  if (OneIn(d, 2)) v[SynthHighPass] = Up(d, 0.3);
}

void Jump(Dice* d, Draft* s) {
  int32_t* v = s->v;
  s->wave = SynthSquare;
  v[SynthDuty] = Up(d, 0.6);
  v[SynthFreq] = U(0.3) + Up(d, 0.3);
  v[SynthSlide] = U(0.1) + Up(d, 0.2);
  v[SynthSustain] = U(0.1) + Up(d, 0.3);
  v[SynthDecay] = U(0.1) + Up(d, 0.2);
  if (OneIn(d, 2)) v[SynthHighPass] = Up(d, 0.3);
  if (OneIn(d, 2)) v[SynthLowPass] = One - Up(d, 0.6);
}

void Blip(Dice* d, Draft* s) {
  int32_t* v = s->v;
  s->wave = Roll(d, 1);
  if (s->wave == SynthSquare) v[SynthDuty] = Up(d, 0.6);
  v[SynthFreq] = U(0.2) + Up(d, 0.4);
  v[SynthSustain] = U(0.1) + Up(d, 0.1);
  v[SynthDecay] = Up(d, 0.2);
  v[SynthHighPass] = U(0.1);
}

// Anything at all, leaning towards small values for the slides and sweeps,
// and never so short that nothing is heard.
void Random(Dice* d, Draft* s) {
  int32_t* v = s->v;
  s->wave = Roll(d, 3);
  v[SynthFreq] = OneIn(d, 2) ? Cube(Either(d)) + U(0.5) : Square(Up(d, 1));
  v[SynthSlide] = Fifth(Either(d));
  if (v[SynthFreq] > U(0.7) && v[SynthSlide] > U(0.2)) v[SynthSlide] = -v[SynthSlide];
  if (v[SynthFreq] < U(0.2) && v[SynthSlide] < -U(0.05)) v[SynthSlide] = -v[SynthSlide];
  v[SynthDeltaSlide] = Cube(Either(d));
  v[SynthDuty] = Either(d);
  v[SynthDutySweep] = Cube(Either(d));
  v[SynthVibrato] = Cube(Either(d));
  v[SynthVibratoSpeed] = Either(d);
  v[SynthAttack] = Clamp(SynthAttack, Cube(Either(d)));
  v[SynthSustain] = Square(Either(d));
  v[SynthDecay] = Clamp(SynthDecay, Either(d));
  v[SynthPunch] = Square(Up(d, 0.8));
  if (v[SynthAttack] + v[SynthSustain] + v[SynthDecay] < U(0.2)) {
    v[SynthSustain] += U(0.2) + Up(d, 0.3);
    v[SynthDecay] += U(0.2) + Up(d, 0.3);
  }
  v[SynthResonance] = Either(d);
  v[SynthLowPass] = One - Cube(Up(d, 1));
  v[SynthLowPassSweep] = Cube(Either(d));
  if (v[SynthLowPass] < U(0.1) && v[SynthLowPassSweep] < -U(0.05)) v[SynthLowPassSweep] = -v[SynthLowPassSweep];
  v[SynthHighPass] = Fifth(Up(d, 1));
  v[SynthHighPassSweep] = Fifth(Either(d));
  v[SynthPhaser] = Cube(Either(d));
  v[SynthPhaserSweep] = Cube(Either(d));
  v[SynthRepeat] = Either(d);
  v[SynthArpSpeed] = Either(d);
  v[SynthArp] = Either(d);
}

void Tone(Draft* s) {
  int32_t* v = s->v;
  s->wave = SynthSine;
  v[SynthFreq] = U(0.3517);  // 440 Hz: the period the voice works with is the same as for the exact value
  v[SynthSustain] = U(0.6641);  // one second
  v[SynthDecay] = 0;
}

// A hit or an explosion made very short and high.
void Click(Dice* d, Draft* s) {
  int32_t* v = s->v;
  if (OneIn(d, 2))
    Explosion(d, s);
  else
    Hit(d, s);
  if (OneIn(d, 2)) v[SynthSlide] = -U(0.5) + Up(d, 1);
  if (OneIn(d, 2)) {
    v[SynthSustain] = Mul(Up(d, 0.4) + U(0.2), v[SynthSustain]);
    v[SynthDecay] = Mul(Up(d, 0.4) + U(0.2), v[SynthDecay]);
  }
  if (OneIn(d, 4)) v[SynthAttack] = Up(d, 0.3);
  v[SynthFreq] = One - Up(d, 0.25);
  v[SynthHighPass] = One - Up(d, 0.1);
}

// The nearest whole number of ten-thousandths; 0 for a value far outside
// every range, which no conversion to an integer could hold.
int64_t Units(double x) { return std::fabs(x) < 1e9 ? static_cast<int64_t>(std::floor(x * One + 0.5)) : 0; }

// A value as recipe text that reads back as the same double: ten-thousandths
// in at most four decimals, anything else in the fewest digits that do.
std::string SynthNumber(double x) {
  int64_t n = Units(x);
  char b[40];
  if (static_cast<double>(n) / One != x) {
    for (int digits = 1; digits <= 17; digits++) {
      snprintf(b, sizeof b, "%.*g", digits, x);
      if (std::strtod(b, nullptr) == x) break;
    }
    return b;
  }
  int64_t size = n < 0 ? -n : n;
  std::string text = (n < 0 ? "-" : "") + std::to_string(size / One);
  std::string part = std::to_string(One + size % One).substr(1);  // four digits, leading zeros kept
  while (!part.empty() && part.back() == '0') part.pop_back();
  return part.empty() ? text : text + "." + part;
}

const char* const WaveNames[] = {"square", "saw", "sine", "noise", "triangle"};

}  // namespace

SynthSettings GenerateSynth(int kind, uint32_t seed) {
  Dice dice{seed};
  Draft draft{SynthSquare, {}};
  for (int i = 0; i < SynthParamCount; i++) draft.v[i] = U(SynthParams[i].fallback);
  switch (kind) {
    case SynthPickup: Pickup(&dice, &draft); break;
    case SynthLaser: Laser(&dice, &draft); break;
    case SynthExplosion: Explosion(&dice, &draft); break;
    case SynthPowerup: Powerup(&dice, &draft); break;
    case SynthHit: Hit(&dice, &draft); break;
    case SynthJump: Jump(&dice, &draft); break;
    case SynthBlip: Blip(&dice, &draft); break;
    case SynthRandom: Random(&dice, &draft); break;
    case SynthTone: Tone(&draft); break;
    case SynthClick: Click(&dice, &draft); break;
    default: break;  // the defaults
  }
  SynthSettings s;
  s.wave = draft.wave;
  for (int i = 0; i < SynthParamCount; i++) s.value[i] = static_cast<double>(Clamp(i, draft.v[i])) / One;
  return s;
}

SynthSettings MutateSynth(const SynthSettings& from, uint32_t seed, double amount, const bool* locked) {
  Dice dice{seed};
  int32_t reach = U(amount < 0 ? 0 : amount > 1 ? 1 : amount);
  SynthSettings s = from;
  for (int i = 0; i < SynthParamCount; i++) {
    if (i == SynthLimit || i == SynthVolume) continue;
    // The dice roll for a locked parameter too, so a lock leaves the others'
    // changes as they were.
    if (!OneIn(&dice, 2)) continue;
    int32_t step = Roll(&dice, 2 * reach) - reach;
    if (step == 0 || (locked != nullptr && locked[i])) continue;
    s.value[i] = static_cast<double>(Clamp(i, Units(from.value[i]) + step)) / One;
  }
  return s;
}

std::string SynthRecipeText(const SynthSettings& settings, int volume, const char* comment) {
  std::string text;
  if (comment != nullptr && comment[0] != 0) text += std::string("# ") + comment + "\n";
  int64_t frames = SynthEnvelopeSamples(settings) / 2;
  text += "frames " + std::to_string(frames < 1 ? 1 : frames) + "\n";
  text += "volume " + std::to_string(volume) + "\n";
  if (settings.wave == SynthNoise) text += "seed 0\n";
  text += std::string("synth (") + WaveNames[settings.wave];
  int written = 0;
  for (int i = 0; i < SynthParamCount; i++) {
    if (settings.value[i] == SynthParams[i].fallback) continue;
    // Four parameters a line keeps the statement readable.
    text += written % 4 == 0 ? ",\n  " : ", ";
    text += std::string(SynthParams[i].name) + " = " + SynthNumber(settings.value[i]);
    written++;
  }
  return text + ")\n";
}

int ReadSynthRecipe(const char* text, size_t size, SynthSettings* settings, int* volume, std::string* error) {
  CompiledRecipe recipe;
  RecipeError problem;
  if (!CompileRecipe(text, size, &recipe, &problem) || !RecipeSynthSettings(recipe, settings, &problem)) {
    *error = problem.message;
    if (problem.line > 0) *error = std::to_string(problem.line) + ":" + std::to_string(problem.column) + ": " + *error;
    return 0;
  }
  *volume = recipe.volume;
  return -1;
}

}  // namespace zorta
