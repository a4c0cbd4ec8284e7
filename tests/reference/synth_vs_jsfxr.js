// Renders sets of synth parameters with our voice (synth_render) and with
// jsfxr, the reference, and compares them: the same length to the sample and
// a correlation of at least 0.99 for the tonal waves; for noise, whose random
// numbers differ, the same length and loudness within 3 dB in 100 ms windows
// (the median over the windows). Sets marked recipe also go through a recipe
// of the voice alone, which plays at 44100 Hz, against the 16-bit samples
// jsfxr writes at that rate.
//
// usage: node synth_vs_jsfxr.js SYNTH_RENDER JSFXR_MODULE_DIR
"use strict";
const { execFileSync } = require("child_process");
const path = require("path");
const jsfxr = require(path.resolve(process.argv[3], "jsfxr"));

const KEYS = require("./jsfxr_keys.js");

// Every wave but noise across the parameters' ranges, then noise.
const SETS = [
  { wave: "square", recipe: true },
  { wave: "square", freq: 0.55, duty: 0.6, dutysweep: 0.3, sustain: 0.2, decay: 0.3 },
  { wave: "square", freq: 0.8, slide: -0.4, limit: 0.2, sustain: 0.25, decay: 0.3, recipe: true },
  { wave: "square", freq: 0.2, slide: 0.25, dslide: -0.3, duty: 0.2, dutysweep: -0.5, sustain: 0.3, decay: 0.5 },
  { wave: "square", freq: 0.4, arp: 0.5, arpspeed: 0.6, sustain: 0.3, decay: 0.3, punch: 0.5, volume: 0.3 },
  { wave: "square", freq: 0.35, repeat: 0.6, slide: 0.2, sustain: 0.4, decay: 0.3, recipe: true },
  { wave: "square", freq: 0.45, phaser: 0.3, phasersweep: -0.2, sustain: 0.3, decay: 0.2 },
  { wave: "square", freq: 0.3, lpf: 0.4, lpfsweep: 0.3, resonance: 0.6, hpf: 0.1, hpfsweep: 0.2, sustain: 0.4, decay: 0.3 },
  { wave: "square", freq: 0.6, attack: 0.2, sustain: 0.3, decay: 0 },
  { wave: "saw", freq: 0.4, sustain: 0.3, decay: 0.4, recipe: true },
  { wave: "saw", freq: 0.7, slide: -0.3, sustain: 0.2, decay: 0.3, vibrato: 0.3, vibspeed: 0.5 },
  { wave: "saw", freq: 0.25, arp: -0.4, arpspeed: 0.5, hpf: 0.3, hpfsweep: -0.3, sustain: 0.3, decay: 0.4 },
  { wave: "saw", freq: 0.5, phaser: -0.5, phasersweep: 0.3, lpf: 0.6, lpfsweep: -0.2, sustain: 0.35, decay: 0.3 },
  { wave: "sine", freq: 0.35173364, sustain: 0.6641, decay: 0, recipe: true },
  { wave: "sine", freq: 0.3, slide: 0.15, dslide: 0.5, sustain: 0.3, decay: 0.4, punch: 0.3 },
  { wave: "sine", freq: 0.5, vibrato: 0.6, vibspeed: 0.3, attack: 0.3, sustain: 0.2, decay: 0.4 },
  { wave: "sine", freq: 0.9, slide: -0.5, limit: 0.3, sustain: 0.3, decay: 0.3, volume: 0.9 },
  { wave: "sine", freq: 0.4, repeat: 0.3, arp: 0.7, arpspeed: 0.7, lpf: 0.8, resonance: 0.9, sustain: 0.4, decay: 0.4 },
  { wave: "triangle", freq: 0.4, sustain: 0.3, decay: 0.4, recipe: true },
  { wave: "triangle", freq: 0.2, slide: 0.3, hpf: 0.2, phaser: 0.2, sustain: 0.3, decay: 0.5 },
  { wave: "triangle", freq: 0.6, vibrato: 0.5, vibspeed: 0.6, lpf: 0.5, lpfsweep: 0.5, attack: 0.1, sustain: 0.2, decay: 0.3 },
  { wave: "noise", freq: 0.3, sustain: 0.3, decay: 0.4 },
  { wave: "noise", freq: 0.6, slide: -0.2, repeat: 0.5, punch: 0.5, sustain: 0.3, decay: 0.5 },
  { wave: "noise", freq: 0.1, lpf: 0.3, resonance: 0.5, hpf: 0.1, attack: 0.3, sustain: 0.2, decay: 0.6, recipe: true },
];

function reference(set, sixteenBits) {
  const p = new jsfxr.Params();
  for (const name in set) if (KEYS[name]) p[KEYS[name]] = set[name];
  p.wave_type = { square: 0, saw: 1, triangle: 1, sine: 2, noise: 3 }[set.wave];
  // jsfxr's sawtooth takes the duty as the place of its peak: at duty 1 the
  // classic falling saw, at duty 0 a triangle (see docs/SOUND.md).
  if (set.wave === "saw" || set.wave === "triangle") {
    p.p_duty = set.wave === "saw" ? 1 : 0;
    p.p_duty_ramp = 0;
  }
  p.sample_rate = 44100;
  p.sample_size = 16;
  const raw = new jsfxr.SoundEffect(p).getRawBuffer();
  if (!sixteenBits) return raw.normalized;
  // The 16-bit samples jsfxr writes: clipped as ours are.
  const frames = [];
  for (let i = 0; i < raw.buffer.length; i += 2) frames.push(((raw.buffer[i] | (raw.buffer[i + 1] << 8)) << 16 >> 16) / 32768);
  return frames;
}

function ours(set, recipe) {
  const args = Object.keys(set).filter((k) => k !== "recipe").map((k) => k + "=" + set[k]);
  if (recipe) args.push("--recipe");
  const out = execFileSync(process.argv[2], args, { encoding: "utf8", maxBuffer: 1 << 28 });
  return out.trim().split("\n").map((line) => (recipe ? Number(line) / 32767 : Number(line)));
}

// Pearson's correlation over the samples both define (jsfxr leaves a sample
// not-a-number where an envelope stage has length 0, see docs/SOUND.md).
function correlation(a, b) {
  let n = 0, sa = 0, sb = 0, saa = 0, sbb = 0, sab = 0;
  for (let i = 0; i < a.length; i++) {
    if (!Number.isFinite(a[i]) || !Number.isFinite(b[i])) continue;
    n++; sa += a[i]; sb += b[i]; saa += a[i] * a[i]; sbb += b[i] * b[i]; sab += a[i] * b[i];
  }
  const cov = sab - (sa * sb) / n, va = saa - (sa * sa) / n, vb = sbb - (sb * sb) / n;
  return cov / Math.sqrt(va * vb);
}

function loudnessError(a, b, window) {
  const diffs = [];
  for (let s = 0; s < a.length; s += window) {
    const db = (x) => {
      let sum = 0;
      const e = Math.min(x.length, s + window);
      for (let i = s; i < e; i++) sum += x[i] * x[i];
      return 10 * Math.log10(sum / (e - s) + 1e-12);
    };
    diffs.push(Math.abs(db(a) - db(b)));
  }
  diffs.sort((x, y) => x - y);
  return diffs[Math.floor(diffs.length / 2)];
}

let failed = 0;
function check(label, ok, text) {
  console.log((ok ? "ok   " : "FAIL ") + label + ": " + text);
  if (!ok) failed++;
}

for (const set of SETS) {
  const label = JSON.stringify(set);
  for (const recipe of set.recipe ? [false, true] : [false]) {
    const ref = reference(set, recipe);
    let mine = ours(set, recipe);
    const where = (recipe ? "recipe " : "") + label;
    if (recipe) {
      // The recipe has room after the voice: those samples must be silent.
      const after = mine.slice(ref.length);
      check(where + " silence after", after.every((x) => x === 0), after.length + " samples after the voice");
      mine = mine.slice(0, ref.length);
    } else {
      check(where + " length", mine.length === ref.length, mine.length + " samples, jsfxr " + ref.length);
      // Where jsfxr divides by an envelope stage of length 0, ours is at the stage's start.
      const holes = ref.filter((x) => Number.isNaN(x)).length;
      check(where + " defined", mine.every(Number.isFinite), holes + " samples not a number in jsfxr, none in ours");
    }
    if (set.wave === "noise") {
      const e = loudnessError(mine, ref, 4410);
      check(where + " loudness", e <= 3, "median " + e.toFixed(2) + " dB apart");
    } else {
      const c = correlation(mine, ref);
      check(where + " correlation", c >= 0.99, c.toFixed(5));
    }
  }
}
console.log(failed ? failed + " checks failed" : "all checks passed");
process.exit(failed ? 1 : 0);
