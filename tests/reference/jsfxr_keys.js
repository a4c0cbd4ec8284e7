// Our names of the synth voice's parameters (as a recipe writes them) and
// jsfxr's names of the same, for the tests that hold the voice against jsfxr.
"use strict";
module.exports = {
  attack: "p_env_attack", sustain: "p_env_sustain", punch: "p_env_punch", decay: "p_env_decay",
  freq: "p_base_freq", limit: "p_freq_limit", slide: "p_freq_ramp", dslide: "p_freq_dramp",
  vibrato: "p_vib_strength", vibspeed: "p_vib_speed", arp: "p_arp_mod", arpspeed: "p_arp_speed",
  duty: "p_duty", dutysweep: "p_duty_ramp", repeat: "p_repeat_speed", phaser: "p_pha_offset",
  phasersweep: "p_pha_ramp", lpf: "p_lpf_freq", lpfsweep: "p_lpf_ramp", resonance: "p_lpf_resonance",
  hpf: "p_hpf_freq", hpfsweep: "p_hpf_ramp", volume: "sound_vol",
};
