// The 89 recipes of the bank, in slot order. The helpers below mirror the way
// the recipes are written down: runs [a+n], arpeggios, Rep, Passes with their
// step offset, multiplied note steps. Anything without a run covers the whole
// buffer. Steps with an offset are written offset + step: addition of two
// doubles gives the same bits in either order.
#include <functional>
#include <initializer_list>

#include "sfx/notes.h"
#include "sfx/primitives.h"
#include "sfx/sample.h"
#include "sfx/sound_bank.h"

namespace {
int16_t* Buf = nullptr;  // the sample being written
int Frames = 0;

const double Third = 0.3333333333333333;  // the default amplitude
const double PassStep = 0.0002;           // the usual offset between passes

// [a+n]: n frames from frame a.
struct Run {
  int start;
  int count;
};
Run At(int start, int count) { return {start, count}; }
Run All() { return {0, Frames}; }

enum Wave { SineWave, SawWave, PulseWave, NoiseWave };

// The oscillator step of a note: half its frequency in half-cycles per frame.
double Note(const char* note) { return NoteFrequency(note) * 0.000045351473922902495; }
// m·X, formed from the note step by multiplication.
double Note(double multiple, const char* note) { return multiple * Note(note); }

void Sine(Run r, double s0, double s1, double amp = Third, double modStep = 0, double modDepth = 0) {
  AddSine(Buf + r.start, r.count, s0, s1, modStep, modDepth, amp);
}
void Sine(double s0, double s1, double amp = Third, double modStep = 0, double modDepth = 0) {
  Sine(All(), s0, s1, amp, modStep, modDepth);
}
void Saw(Run r, double s0, double s1, double amp = Third, double modStep = 0, double modDepth = 0) {
  AddSaw(Buf + r.start, r.count, s0, s1, modStep, modDepth, amp);
}
void Saw(double s0, double s1, double amp = Third, double modStep = 0, double modDepth = 0) {
  Saw(All(), s0, s1, amp, modStep, modDepth);
}
void Pulse(Run r, double w0, double w1, double s0, double s1, double amp = Third, double modStep = 0,
           double modDepth = 0) {
  AddPulse(Buf + r.start, r.count, w0, w1, s0, s1, modStep, modDepth, amp);
}
void Pulse(double w0, double w1, double s0, double s1, double amp = Third, double modStep = 0,
           double modDepth = 0) {
  Pulse(All(), w0, w1, s0, s1, amp, modStep, modDepth);
}
void Noise(Run r, double amp = Third) { AddNoise(Buf + r.start, r.count, amp); }
void Noise(double amp = Third) { Noise(All(), amp); }
// A generator of the given kind with default widths and no modulation.
void Tone(Wave wave, Run r, double s0, double s1, double amp = Third) {
  switch (wave) {
    case SineWave: Sine(r, s0, s1, amp); break;
    case SawWave: Saw(r, s0, s1, amp); break;
    case PulseWave: Pulse(r, 0, 0, s0, s1, amp); break;
    case NoiseWave: Noise(r, amp); break;
  }
}

void Scale(Run r, double f) { ScaleSamples(Buf + r.start, r.count, f); }
void Scale(double f) { Scale(All(), f); }
void Normalize() { ::Normalize(Buf, Frames); }
void Smooth(Run r) { ::Smooth(Buf + r.start, r.count); }
void Smooth() { Smooth(All()); }
void Tremolo(Run r, double rate, double depth) { ::Tremolo(Buf + r.start, r.count, rate, depth); }
void Tremolo(double rate, double depth) { Tremolo(All(), rate, depth); }
void Echo(int taps) { ::Echo(Buf, Frames, taps); }
void Envelope(Run r, double attack) { ApplyEnvelope(Buf + r.start, r.count, attack); }
void Envelope(double attack) { Envelope(All(), attack); }
void Reset() { ResetOscillator(); }

// Passes ×P {...} (with d): pass k runs the body with the offset k × d.
void Passes(int passes, double d, const std::function<void(double)>& body) {
  for (int k = 0; k < passes; k++) body(k * d);
}
void Passes(int passes, const std::function<void(double)>& body) { Passes(passes, PassStep, body); }

// Rep R every d: {...}: the body at frames 0, d, 2d, ...
void Rep(int times, int every, const std::function<void(int)>& body) {
  for (int r = 0; r < times; r++) body(r * every);
}

// Arp(kind, n; notes; ×R) from frame `at`, each note at offset + multiple·X.
// When every note is a pulse the width angles alternate 0→1 and 1→0.
void Arp(Wave wave, int n, std::initializer_list<const char*> notes, int times, double offset = 0, int at = 0,
         double multiple = 1) {
  int frame = at;
  for (int r = 0; r < times; r++) {
    int index = 0;
    for (const char* note : notes) {
      double step = offset + Note(multiple, note);
      if (wave == PulseWave) {
        double w0 = index % 2 == 0 ? 0 : 1;
        Pulse(At(frame, n), w0, 1 - w0, step, step);
      } else {
        Tone(wave, At(frame, n), step, step);
      }
      frame += n;
      index++;
    }
  }
}

// A mixed arpeggio: the kind written before each note; pulses keep 0→0.
struct Voice {
  Wave wave;
  const char* note;  // unused for noise
};
void MixedArp(int n, std::initializer_list<Voice> voices, int times, double offset = 0) {
  int frame = 0;
  for (int r = 0; r < times; r++) {
    for (const Voice& v : voices) {
      double step = v.wave == NoiseWave ? 0 : offset + Note(v.note);
      Tone(v.wave, At(frame, n), step, step);
      frame += n;
    }
  }
}

// Slots 6 to 8: paired up and down sweeps, three calls over the same frames.
void SweepPairs(Wave wave, int times, int every, int half) {
  Rep(times, every, [=](int at) {
    Tone(wave, At(at, half), 0.04, 0.18, 0.3);
    Tone(wave, At(at, half), 0.0402, 0.1802, 0.3);
    Tone(wave, At(at, half), 0.0404, 0.1804, 0.3);
    Tone(wave, At(at + half, half), 0.18, 0.04, 0.3);
    Tone(wave, At(at + half, half), 0.1802, 0.0402, 0.3);
    Tone(wave, At(at + half, half), 0.1804, 0.0404, 0.3);
  });
  Envelope(0);
}

// Slot 32's generators, shared with slot 40.
void PulseArp85() {
  Passes(3, [](double o) { Arp(PulseWave, 85, {"C-4", "E-4", "G-4", "C-5", "E-5", "G-5"}, 4, o); });
}

// Slots 41 and 42.
void PulseArpNoise(std::initializer_list<const char*> notes) {
  Passes(3, [&](double o) { Arp(PulseWave, 85, notes, 4, o); });
  Scale(At(0, 2048), 0.75);
  Noise(At(0, 2048), 0.5);
  Envelope(At(0, 2048), 0);
  Echo(4);
  Normalize();
}

// Slots 46 to 48.
void PulseBlip(const char* note, int taps) {
  Pulse(At(0, 2048), 1, 0, Note(note), Note(note), 1);
  Envelope(At(0, 2048), 0);
  Echo(taps);
  Normalize();
}

// Slots 52 and 53: the kind of the C-8 runs varies.
void ArpEcho3(Wave high) {
  Passes(3, [=](double o) { MixedArp(341, {{high, "C-8"}, {SineWave, "E-1"}, {SineWave, "G-3"}}, 4, o); });
  Envelope(At(0, 4096), 0);
  Echo(3);
  Smooth();
  Normalize();
}

// Slots 57 to 59.
void Blip(Wave wave, double s0, double s1) {
  Tone(wave, At(0, 256), s0, s1, 1);
  Envelope(At(0, 256), 0);
  Echo(4);
  Normalize();
}

// Slot 63's generators, shared with slot 66: four groups of a pulse arpeggio
// per pass; the factor doubles just before group 2 of every pass.
void PulseGroups() {
  double f = 1;
  for (int k = 0; k < 3; k++) {
    for (int i = 0; i < 4; i++) {
      if (i == 2) f = f * 2;
      Arp(PulseWave, 85, {"C-4", "E-4", "G-4", "C-5", "E-5", "G-5"}, 1, k * PassStep, 510 * i, f);
    }
  }
}

// Slots 72 and 73: the factor doubles after every group, across passes too.
void DoublingGroups(int taps) {
  double f = 1;
  for (int k = 0; k < 3; k++) {
    for (int g = 0; g < 8; g++) {
      Arp(SawWave, 341, {"C-1", "E-1", "G-1"}, 1, k * PassStep, 1023 * g, f);
      f = f * 2;
    }
  }
  Envelope(At(0, 8192), 0.5);
  Echo(taps);
  Normalize();
}

// Slots 74 to 76: two blocks per pass at 2^(2k + b)·X.
void DoublingBlocks(int n, std::initializer_list<const char*> notes) {
  double f = 1;
  for (int k = 0; k < 3; k++) {
    for (int b = 0; b < 2; b++) {
      Arp(SawWave, n, notes, 1, k * PassStep, 6 * n * b, f);
      f = f * 2;
    }
  }
}

// Slots 17 and 39: three passes written out, each over three runs repeated.
struct RunTone {
  Wave wave;
  double s0, s1;
};
void ThreeRunPasses(int every, int n, const RunTone (&passes)[3][3]) {
  for (int k = 0; k < 3; k++)
    Rep(8, every, [&](int at) {
      for (int j = 0; j < 3; j++) Tone(passes[k][j].wave, At(at + n * j, n), passes[k][j].s0, passes[k][j].s1);
    });
}

struct Recipe {
  int frames;
  int volume;
  void (*make)();
};

const Recipe Recipes[] = {
    /* 0 */ {8192, 64, [] { Pulse(0, 0, 0.02, 0.06, 1); Envelope(0); }},
    /* 1 */ {256, 255, [] { Sine(0.01, 0.01, 0.5); Noise(0.5); Envelope(0); }},
    /* 2 */ {256, 255, [] { Sine(0.05, 0.01, 1); Envelope(0); }},
    /* 3 */ {16384, 192, [] {
      Rep(4, 4096, [](int at) {
        Sine(At(at + 0, 2048), 0.08, 0.09, 1);
        Sine(At(at + 2048, 2048), 0.09, 0.08, 1);
      });
      Envelope(0.2);
    }},
    /* 4 */ {2048, 192, [] { Sine(0.01, 0.07, 1); Envelope(0); }},
    /* 5 */ {32768, 192, [] { Passes(3, [](double o) { Saw(o + 0.02, o + 0.01); }); Envelope(0); }},
    /* 6 */ {4096, 192, [] { SweepPairs(SineWave, 4, 1024, 512); }},
    /* 7 */ {4096, 192, [] { SweepPairs(SawWave, 8, 512, 256); }},
    /* 8 */ {4096, 192, [] { SweepPairs(SawWave, 16, 256, 128); }},
    /* 9 */ {16384, 192, [] {
      for (int k = 0; k < 3; k++)
        for (int i = 0; i < 4; i++) {
          double u = (k * 0.0002 + 0.2) - 0.05 * i;
          double v = (k * 0.0002 + 0.4) - 0.05 * i;
          Sine(At(4096 * i, 2048), u, v);
          Sine(At((4096 * i + 2048), 2048), v, u);
        }
      Envelope(0);
    }},
    /* 10 */ {8192, 192, [] {
      Passes(3, [](double o) { Arp(SawWave, 682, {"C-6", "E-6", "G-6"}, 4, o); });
      Envelope(0);
    }},
    /* 11 */ {8192, 192, [] {
      Passes(3, [](double o) { Arp(SawWave, 682, {"C-7", "E-7", "G-7", "C-8", "E-8", "G-8"}, 2, o); });
      Envelope(0);
    }},
    /* 12 */ {4096, 192, [] {
      Passes(3, [](double o) { Arp(SawWave, 341, {"C-7", "E-7", "G-7", "C-8", "E-8", "G-8"}, 2, o); });
      Envelope(0);
    }},
    /* 13 */ {16384, 192, [] {
      Passes(3, [](double o) { Arp(SineWave, 682, {"C-7", "E-7", "G-7", "C-8", "E-8", "G-8"}, 4, o); });
      Envelope(0);
    }},
    /* 14 */ {8192, 192, [] {
      Passes(3, [](double o) { Arp(PulseWave, 341, {"C-4", "E-4", "G-4", "C-5", "E-5", "G-5"}, 4, o); });
      Envelope(0);
    }},
    /* 15 */ {8192, 128, [] {
      Passes(3, [](double o) { Arp(PulseWave, 341, {"C-5", "D-5", "E-5", "F-5", "G-5", "A-5"}, 4, o); });
      Envelope(0);
    }},
    /* 16 */ {8192, 128, [] {
      Passes(3, [](double o) { Arp(PulseWave, 341, {"C-5", "D-8", "E-3", "F-8", "G-7", "A-1"}, 4, o); });
      Envelope(0);
    }},
    /* 17 */ {8192, 192, [] {
      const double o1 = 1 * PassStep, o2 = 2 * PassStep;
      const RunTone passes[3][3] = {
          {{SawWave, Note("C-2"), Note("C-4")}, {SawWave, Note("C-4"), Note("C-8")},
           {SawWave, Note("C-8"), Note("C-2")}},
          {{SineWave, Note("C-2") + o1, Note("C-2") + o1}, {SineWave, Note("C-4") + o1, Note("C-4") + o1},
           {SineWave, Note("C-8") + o1, Note("C-8") + o1}},
          {{SineWave, Note(2, "C-4") + o2, Note(2, "C-2") + o2}, {SineWave, Note(2, "C-8") + o2, Note(2, "C-4") + o2},
           {SineWave, Note(2, "C-2") + o2, Note(2, "C-8") + o2}}};
      ThreeRunPasses(1023, 341, passes);
      Envelope(0);
    }},
    /* 18 */ {8192, 192, [] {
      Passes(3, [](double o) {
        Saw(At(0, 4096), o + 0.04, o + 0.08);
        Saw(At(4096, 4096), o + 0.08, o + 0.02);
      });
      Envelope(0);
    }},
    /* 19 */ {8192, 192, [] {
      Passes(3, [](double o) {
        Rep(2, 4096, [=](int at) {
          Sine(At(at + 0, 2048), o + 0.22, o + 0.12);
          Saw(At(at + 2048, 2048), o + 0.12, o + 0.02);
        });
      });
      Tremolo(0.1, 1);
      Envelope(0);
    }},
    /* 20 */ {32768, 192, [] {
      Passes(3, [](double o) {
        Sine(At(0, 8192), o + 0.22, o + 0.12);
        Sine(At(8192, 8192), o + 0.12, o + 0.22);
        Sine(At(16384, 8192), o + 0.22, o + 0.12);
        Sine(At(24576, 8192), o + 0.12, o + 0.05);
      });
      Reset();
      Tremolo(0.2, 1);
      Tremolo(0.014, 1);
      Tremolo(0.3, 1);
      Envelope(0);
    }},
    /* 21 */ {8192, 192, [] {
      Passes(3, [](double o) { Arp(SineWave, 682, {"C-4", "E-6", "G-8"}, 4, o); });
      Envelope(0);
    }},
    /* 22 */ {8192, 192, [] {
      Passes(3, [](double o) { Arp(SineWave, 682, {"C-9", "E-9", "G-9"}, 4, o); });
      Envelope(0);
    }},
    /* 23 */ {8192, 192, [] {
      Passes(3, [](double o) { MixedArp(682, {{SineWave, "C-9"}, {SawWave, "E-9"}, {SineWave, "G-9"}}, 4, o); });
      Envelope(0);
    }},
    /* 24 */ {8192, 192, [] {
      // Pass 0 plays noise where the later passes play the sine.
      for (int k = 0; k < 3; k++) {
        Wave first = k == 0 ? NoiseWave : SineWave;
        MixedArp(682, {{first, "C-1"}, {SawWave, "E-9"}, {PulseWave, "G-1"}}, 4, k * PassStep);
      }
      Envelope(0);
    }},
    /* 25 */ {16384, 192, [] { Passes(3, [](double o) { Saw(o + Note("C-4"), o + Note("C-1")); }); Envelope(0); }},
    /* 26 */ {16384, 192, [] { Passes(3, [](double o) { Saw(o + Note("C-4"), o + Note("D-4")); }); Envelope(0.5); }},
    /* 27 */ {8192, 192, [] { Passes(3, [](double o) { Saw(o + Note("C-6"), o + Note("D-6")); }); Envelope(0.5); }},
    /* 28 */ {16384, 192, [] {
      Passes(3, [](double o) { Pulse(0, 1, o + Note("C-7"), o + Note("C-5")); });
      Envelope(0.5);
    }},
    /* 29 */ {16384, 192, [] {
      Passes(3, 0.00001, [](double o) { Sine(o + Note("C-7"), o + Note("C-7"), Third, 0.001, 0.01); });
      Envelope(0.2);
    }},
    /* 30 */ {32768, 192, [] {
      const char* notes[3] = {"C-6", "F-6", "G-1"};
      for (int k = 0; k < 3; k++)
        Rep(8, 4095, [&](int at) {
          for (int j = 0; j < 3; j++) {
            Run r = At(at + 1365 * j, 1365);
            if (k == 0) Saw(r, Note(notes[j]), Note(notes[j]));
            if (k == 1) Sine(r, Note(2, notes[j]) + 0.0002, Note(2, notes[j]) + 0.0002);
            if (k == 2) Sine(r, Note(0.5, notes[j]) + 0.0004, Note(0.5, notes[j]) + 0.0004);
          }
        });
      Envelope(0.25);
    }},
    /* 31 */ {16384, 192, [] {
      const char* notes[3] = {"C-3", "F-3", "G-3"};
      for (int k = 0; k < 3; k++) {
        double f = 1;  // 2^n, doubled after each n
        for (int n = 0; n < 4; n++) {
          for (int j = 0; j < 3; j++) {
            Run r = At(4095 * n + 1365 * j, 1365);
            if (k == 0) Sine(r, Note(f, notes[j]), Note(f, notes[j]));
            if (k == 1) Sine(r, Note(32, notes[j]) + 0.0002, Note(32, notes[j]) + 0.0002);
            if (k == 2) Sine(r, Note(8, notes[j]) + 0.0004, Note(16, notes[j]) + 0.0004);
          }
          f = f * 2;
        }
      }
      Envelope(0.5);
    }},
    /* 32 */ {2048, 192, [] { PulseArp85(); Scale(0.75); Noise(0.5); Envelope(0); }},
    /* 33 */ {8192, 80, [] {
      Pulse(At(0, 4096), 1, 1, Note("G-5"), Note("G-3"), 1);
      Pulse(At(4096, 4096), 1, 1, Note("G-3"), Note("G-4"), 1);
      Envelope(At(0, 1024), 1);
      Envelope(At(7936, 256), 0);
    }},
    /* 34 */ {4096, 128, [] {
      Passes(2, [](double o) { Pulse(0, 16, o + Note("C-8"), o + Note("C-4"), 0.5, 0.001, 0.0002); });
      Envelope(0.2);
    }},
    /* 35 */ {32768, 90, [] {
      Passes(2, [](double o) { Pulse(0, 16, o + Note("C-5"), o + Note("C-5"), 0.5, 0.001, 0.0002); });
      Envelope(0.2);
    }},
    /* 36 */ {8192, 192, [] {
      Passes(3, [](double o) {
        MixedArp(341, {{SineWave, "C-7"}, {SawWave, "E-7"}, {SawWave, "G-7"}, {SineWave, "C-8"}, {SawWave, "E-8"},
                       {SineWave, "G-8"}}, 2, o);
      });
      Envelope(At(0, 4096), 0);
      Echo(4);
      Normalize();
    }},
    /* 37 */ {16384, 192, [] {
      Passes(3, [](double o) { Arp(PulseWave, 341, {"C-5", "D-8", "E-3", "F-8", "G-7", "A-1"}, 4, o); });
      Envelope(At(0, 8192), 0);
      Echo(4);
      Normalize();
    }},
    /* 38 */ {8192, 192, [] {
      Rep(16, 256, [](int at) {
        Saw(At(at + 0, 128), 0.08, 0.18, 0.3);
        Saw(At(at + 0, 128), 0.0402, 0.1802, 0.3);
        Saw(At(at + 0, 128), 0.0404, 0.1804, 0.3);
        Saw(At(at + 128, 128), 0.28, 0.04, 0.3);
        Saw(At(at + 128, 128), 0.1802, 0.0402, 0.3);
        Saw(At(at + 128, 128), 0.1804, 0.0404, 0.3);
      });
      Envelope(At(0, 4096), 0);
      Echo(32);
      Normalize();
    }},
    /* 39 */ {8192, 192, [] {
      const double o1 = 1 * PassStep, o2 = 2 * PassStep;
      const RunTone passes[3][3] = {
          {{SawWave, Note("C-4"), Note("C-6")}, {SawWave, Note("C-6"), Note("C-8")},
           {SawWave, Note("C-8"), Note("C-4")}},
          {{SineWave, Note("C-4") + o1, Note("C-4") + o1}, {SineWave, Note("C-6") + o1, Note("C-6") + o1},
           {SineWave, Note("C-8") + o1, Note("C-8") + o1}},
          {{SawWave, Note(2, "C-6") + o2, Note(2, "C-4") + o2}, {SineWave, Note(2, "C-8") + o2, Note(2, "C-6") + o2},
           {SawWave, Note(2, "C-4") + o2, Note(2, "C-8") + o2}}};
      ThreeRunPasses(510, 170, passes);
      Envelope(At(0, 4096), 0.5);
      Echo(32);
      Scale(1.5);
    }},
    /* 40 */ {8192, 192, [] {
      PulseArp85();
      Scale(0.75);
      Noise(0.5);
      Envelope(At(0, 2048), 0);
      Echo(32);
      Normalize();
    }},
    /* 41 */ {8192, 192, [] { PulseArpNoise({"C-3", "E-3", "G-3", "C-4", "E-4", "G-4"}); }},
    /* 42 */ {8192, 192, [] { PulseArpNoise({"C-7", "E-3", "G-7", "C-4", "E-8", "G-4"}); }},
    /* 43 */ {8192, 192, [] {
      Passes(3, [](double o) { Arp(SineWave, 85, {"C-2", "E-3", "G-8", "C-4", "E-2", "G-4"}, 4, o); });
      Envelope(At(0, 2048), 0);
      Echo(2);
      Normalize();
    }},
    /* 44 */ {4096, 192, [] {
      Passes(3, [](double o) { Arp(SineWave, 42, {"C-4", "E-3", "G-8", "C-4", "E-2", "G-8"}, 4, o); });
      Envelope(At(0, 1024), 0);
      Echo(2);
      Normalize();
    }},
    /* 45 */ {8192, 160, [] {
      for (int m = 1; m <= 4; m++) {
        Sine(At(512 * (m - 1), 256), Note(m, "C-4"), Note(m, "C-8"), 1);
        Sine(At((512 * (m - 1) + 256), 256), Note(m, "C-8"), Note(m, "C-4"), 1);
      }
      Reset();
      Tremolo(0.014, 1);
      Envelope(At(0, 2048), 0);
      Echo(1);
      Normalize();
    }},
    /* 46 */ {8192, 64, [] { PulseBlip("C-5", 2); }},
    /* 47 */ {8192, 64, [] { PulseBlip("C-7", 2); }},
    /* 48 */ {8192, 64, [] { PulseBlip("C-8", 4); }},
    /* 49 */ {8192, 64, [] {
      Pulse(At(0, 1024), 1, 0, Note("C-8"), Note("C-7"), 1);
      Pulse(At(2048, 1024), 1, 0, Note("C-7"), Note("C-8"), 1);
      Envelope(At(0, 2048), 0);
      Echo(4);
      Normalize();
    }},
    /* 50 */ {8192, 64, [] {
      Sine(At(0, 1024), Note("C-9"), Note("C-1"), 1);
      Sine(At(2048, 1024), Note("C-1"), Note("C-9"), 1);
      Noise(At(0, 2048), 0.25);
      Envelope(At(0, 2048), 0);
      Echo(4);
      Normalize();
    }},
    /* 51 */ {16384, 192, [] {
      Passes(3, [](double o) { Arp(SineWave, 341, {"C-4", "E-6", "G-8"}, 4, o); });
      Envelope(At(0, 4096), 0);
      Echo(1);
      Smooth();
      Normalize();
    }},
    /* 52 */ {32768, 192, [] { ArpEcho3(SineWave); }},
    /* 53 */ {32768, 192, [] { ArpEcho3(SawWave); }},
    /* 54 */ {8192, 192, [] {
      Passes(3, [](double o) { MixedArp(85, {{SawWave, "C-9"}, {SineWave, "E-7"}, {NoiseWave, nullptr}}, 4, o); });
      Envelope(At(0, 1024), 0);
      Echo(8);
      Echo(4);
      Smooth();
      Normalize();
    }},
    /* 55 */ {4096, 255, [] {
      Noise(At(0, 1024), 1);
      for (int i = 0; i < 5; i++) Smooth(At(0, 1024));
      Envelope(At(0, 1024), 0);
      Echo(4);
      Normalize();
    }},
    /* 56 */ {1024, 255, [] {
      Sine(At(0, 256), 0.01, 0.01, 0.5);
      Noise(At(0, 256), 0.5);
      Envelope(At(0, 256), 0);
      Echo(4);
      Normalize();
    }},
    /* 57 */ {8192, 255, [] { Blip(SineWave, 0.05, 0.01); }},
    /* 58 */ {8192, 255, [] { Blip(SineWave, 0.09, 0.01); }},
    /* 59 */ {8192, 255, [] { Blip(SawWave, 0.09, 0.01); }},
    /* 60 */ {8192, 128, [] {
      Sine(At(0, 1024), 0.12, 0.06, 1);
      Envelope(At(0, 1024), 0);
      Echo(8);
      Normalize();
    }},
    /* 61 */ {8192, 192, [] {
      Saw(At(0, 1024), 0.04, 0.06, 0.5);
      Sine(At(0, 1024), 0.06, 0.04, 0.5);
      Envelope(At(0, 1024), 0);
      Echo(8);
      Normalize();
    }},
    /* 62 */ {1024, 192, [] {
      Sine(At(0, 256), 0.04, 0.07, 1);
      Envelope(At(0, 256), 0);
      Echo(8);
      Normalize();
    }},
    /* 63 */ {2048, 192, [] {
      PulseGroups();
      Scale(0.75);
      Noise(0.5);
      Envelope(At(0, 1024), 0);
      Envelope(At(1024, 1024), 0);
    }},
    /* 64 */ {4096, 128, [] { Noise(1); Envelope(0.5); }},
    /* 65 */ {4096, 220, [] { Noise(At(0, 2048), 1); Echo(3); Envelope(0.5); }},
    /* 66 */ {4096, 192, [] {
      PulseGroups();
      Scale(At(0, 85), 0.5);
      Noise(At(0, 85), 0.5);
      Envelope(At(0, 42), 0);
      Envelope(At(42, 42), 0);
      Echo(4);
      Envelope(0.5);
      Normalize();
    }},
    /* 67 */ {8192, 192, [] {
      Rep(16, 256, [](int at) {
        Sine(At(at + 0, 128), 0.01, 0.045, 0.3);
        Saw(At(at + 0, 128), 0.0402, 0.1802, 0.3);
        Saw(At(at + 0, 128), 0.0404, 0.1804, 0.3);
        Sine(At(at + 128, 128), 0.09, 0.02, 0.3);
        Saw(At(at + 128, 128), 0.1802, 0.0402, 0.3);
        Saw(At(at + 128, 128), 0.1804, 0.0404, 0.3);
      });
      Envelope(At(0, 4096), 0);
      Echo(4);
      Normalize();
    }},
    /* 68 */ {32768, 192, [] {
      Passes(3, [](double o) { Arp(SawWave, 682, {"C-6", "E-6", "G-6"}, 4, o); });
      Envelope(At(0, 16384), 0.5);
      Echo(8);
      Normalize();
    }},
    /* 69 */ {32768, 192, [] {
      Passes(3, [](double o) { MixedArp(1365, {{SawWave, "C-6"}, {SawWave, "E-6"}, {SineWave, "G-6"}}, 4, o); });
      Envelope(At(0, 16384), 0.5);
      Echo(4);
      Normalize();
    }},
    /* 70 */ {32768, 192, [] {
      Passes(3, [](double o) { Arp(SawWave, 2730, {"C-3", "E-4", "G-6"}, 4, o); });
      Envelope(0);
    }},
    /* 71 */ {32768, 192, [] {
      Passes(3, [](double o) { Arp(SineWave, 2730, {"C-6", "E-6", "G-6"}, 4, o); });
      Envelope(0);
    }},
    /* 72 */ {32768, 192, [] { DoublingGroups(16); }},
    /* 73 */ {32768, 192, [] { DoublingGroups(4); }},
    /* 74 */ {8192, 192, [] {
      DoublingBlocks(682, {"C-2", "E-8", "G-6", "C-7", "E-8", "G-7"});
      Envelope(0);
    }},
    /* 75 */ {16384, 192, [] {
      DoublingBlocks(1365, {"C-3", "E-3", "G-3", "C-4", "E-4", "G-4"});
      Envelope(0);
    }},
    /* 76 */ {32768, 192, [] {
      DoublingBlocks(1365, {"C-1", "E-4", "G-4", "C-3", "E-5", "G-5"});
      Envelope(At(0, 16384), 0);
      Echo(16);
      Normalize();
    }},
    /* 77 */ {1024, 255, [] { Sine(0.01, 0.01, 0.5); Noise(0.5); Envelope(0); }},
    /* 78 */ {4096, 255, [] { Sine(0.01, 0.01, 0.5); Noise(0.5); Envelope(0); }},
    /* 79 */ {4096, 255, [] { Sine(0.03, 0.01, 1); Envelope(0); }},
    /* 80 */ {4096, 255, [] { Sine(0.01, 0.02, 1); Envelope(0); }},
    /* 81 */ {4096, 255, [] { Sine(0.01, 0.01, 1); Envelope(0); }},
    /* 82 */ {8192, 255, [] {
      Sine(At(0, 4096), 0.22, 0.01, 0.25);
      Saw(At(0, 4096), 0.12, 0.01, 0.5);
      Noise(At(0, 4096), 0.5);
      Smooth(At(0, 4096));
      Envelope(At(0, 4096), 0);
      Echo(3);
      Normalize();
    }},
    /* 83 */ {8192, 255, [] {
      Pulse(At(0, 4096), 0, 1, 0.08, 0.005, 0.5);
      Noise(At(0, 4096), 0.5);
      Smooth(At(0, 4096));
      Noise(At(0, 4096), 0.25);
      Envelope(At(0, 4096), 0);
      Echo(3);
      Normalize();
    }},
    /* 84 */ {16384, 255, [] {
      Pulse(At(0, 8192), 0, 1, 0.01, 0.005, 0.5);
      Noise(At(0, 8192), 0.5);
      Smooth(At(0, 8192));
      Noise(At(0, 8192), 0.25);
      Envelope(At(0, 8192), 0);
      Echo(3);
      Normalize();
    }},
    /* 85 */ {8192, 180, [] {
      Sine(At(0, 4096), 0.01, 0.01, 0.5);
      Sine(At(0, 4096), 0.005, 0.005, 0.5);
      Smooth(At(0, 4096));
      Smooth(At(0, 4096));
      Tremolo(At(0, 4096), 0.1, 0.5);
      Tremolo(At(0, 4096), 0.03, 0.5);
      Envelope(At(0, 4096), 0);
      Scale(At(0, 4096), 2);
      Echo(2);
      Normalize();
    }},
    /* 86 */ {16384, 192, [] { Passes(3, [](double o) { Pulse(0, 1, o + Note("C-5"), o + Note("G-4")); }); Envelope(0.5); }},
    /* 87 */ {16384, 192, [] {
      Passes(3, 0.00001, [](double o) { Saw(o + Note("C-7"), o + Note("C-7"), Third, 0.001, 0.01); });
      Envelope(0.2);
    }},
    /* 88 */ {16384, 192, [] {
      Passes(3, 0.00001, [](double o) { Sine(o + Note("C-9"), o + Note("C-9"), Third, 0.001, 0.01); });
      Envelope(0.2);
    }},
};
static_assert(sizeof Recipes / sizeof Recipes[0] == SoundBankEffects, "one recipe per filled slot");
}  // namespace

void FillSoundBank() {
  for (int slot = 0; slot < SoundBankEffects; slot++) {
    const Recipe& recipe = Recipes[slot];
    Buf = CreateSample(recipe.frames, 22050, recipe.volume);
    Frames = recipe.frames;
    if (Buf != nullptr) {
      ClearSamples(Buf, Frames);
      recipe.make();
    }
    SoundBank[slot] = FinishSample();
  }
  Buf = nullptr;
  Frames = 0;
}
