// jsfxr's files both ways: sounds of jsfxr's own buttons, as its share code
// and as its JSON, imported by zorta-tool must give the parameters jsfxr
// holds (clamped into their ranges); what zorta-tool exports as a share code
// or JSON must read back in jsfxr as the same parameters, to a float's
// precision.
//
// usage: node params_vs_jsfxr.js ZORTA_TOOL JSFXR_MODULE_DIR
"use strict";
const { execFileSync } = require("child_process");
const fs = require("fs");
const os = require("os");
const path = require("path");
const jsfxr = require(path.resolve(process.argv[3], "jsfxr"));

const tool = process.argv[2];
const KEYS = require("./jsfxr_keys.js");
const SIGNED = new Set(jsfxr.parameters.signed);
const WAVES = { square: 0, saw: 1, sine: 2, noise: 3 };
const BUTTONS = ["pickupCoin", "laserShoot", "explosion", "powerUp", "hitHurt", "jump", "blipSelect", "synth",
  "tone", "click", "random"];

let failures = 0;
function fail(what) {
  console.error("FAIL: " + what);
  failures++;
}
function run(args) {
  return execFileSync(tool, args, { encoding: "utf8", stdio: ["ignore", "pipe", "pipe"] });
}
function clamp(key, v) {
  const low = SIGNED.has(key) ? -1 : 0;
  return Math.min(1, Math.max(low, v));
}
const f32 = (v) => Math.fround(v);

// The parameters a recipe's synth statement gives, by jsfxr's names.
function recipeParams(text) {
  const p = new jsfxr.Params();
  const m = /synth \((\w+)([^)]*)\)/.exec(text);
  if (!m) throw new Error("no synth statement in:\n" + text);
  p.wave_type = WAVES[m[1]];
  for (const [, name, value] of m[2].matchAll(/(\w+) = (-?[0-9.e+-]+)/g)) p[KEYS[name]] = Number(value);
  return p;
}

// Each parameter of `got` against `want`: `same` says how close is close enough.
function compare(what, got, want, same) {
  if (got.wave_type !== want.wave_type) fail(`${what}: wave_type ${got.wave_type}, jsfxr ${want.wave_type}`);
  for (const name in KEYS) {
    const key = KEYS[name];
    if (!same(got[key], want[key])) fail(`${what}: ${key} ${got[key]}, jsfxr ${want[key]}`);
  }
}
// A float's precision: jsfxr cuts its floats where we round them.
const nearFloat = (a, b) => Math.abs(a - b) <= 2 ** -22 * Math.max(1, Math.abs(b));

const dir = fs.mkdtempSync(path.join(os.tmpdir(), "params-jsfxr-"));
let sounds = 0;
for (const button of BUTTONS) {
  for (let n = 0; n < 3; n++) {
    const p = new jsfxr.Params();
    p[button]();
    if (p.wave_type > 3) continue;
    const expect = new jsfxr.Params();
    expect.fromJSON(p);
    for (const name in KEYS) expect[KEYS[name]] = clamp(KEYS[name], p[KEYS[name]]);
    const what = `${button} #${n}`;
    sounds++;

    // jsfxr's share code, bare and in a link: the floats jsfxr itself reads from it.
    const code = p.toB58();
    const fromCode = new jsfxr.Params().fromB58(code);
    const codeExpect = new jsfxr.Params();
    for (const name in KEYS) codeExpect[KEYS[name]] = clamp(KEYS[name], fromCode[KEYS[name]]);
    codeExpect.wave_type = fromCode.wave_type;
    codeExpect.sound_vol = 0.5;  // the code holds no volume
    const bare = recipeParams(run(["import", code]));
    compare(`${what} code ${code}`, bare, codeExpect, nearFloat);
    const linked = recipeParams(run(["import", "https://sfxr.me/#" + code]));
    compare(`${what} link`, linked, bare, (a, b) => a === b);

    // jsfxr's JSON: its doubles exactly.
    const json = path.join(dir, "sound.json");
    fs.writeFileSync(json, JSON.stringify(p));
    const recipe = path.join(dir, "sound.txt");
    run(["import", json, "-o", recipe]);
    compare(`${what} JSON`, recipeParams(fs.readFileSync(recipe, "utf8")), expect, (a, b) => a === b);

    // And back: jsfxr reads our code and our JSON as the same sound.
    const ourCode = run(["export-params", recipe, "--format", "b58"]).trim();
    const back = new jsfxr.Params().fromB58(ourCode);
    back.sound_vol = expect.sound_vol;
    compare(`${what} our code ${ourCode}`, back, expect, (a, b) => a === f32(b) || nearFloat(a, b));
    const ourJson = JSON.parse(run(["export-params", recipe, "--format", "jsfxr"]));
    compare(`${what} our JSON`, new jsfxr.Params().fromJSON(ourJson), expect, (a, b) => a === b);
    if (ourJson.oldParams !== true || ourJson.sample_rate !== 44100 || ourJson.sample_size !== 8)
      fail(`${what}: our JSON's oldParams, sample_rate or sample_size`);
  }
}
fs.rmSync(dir, { recursive: true });
console.log(`${sounds} jsfxr sounds through share codes and JSON, ${failures} failures`);
process.exit(failures === 0 && sounds > 20 ? 0 : 1);
