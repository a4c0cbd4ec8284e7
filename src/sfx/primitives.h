// The nine synthesis primitives. Generators add a waveform to what the buffer
// holds (layers mix by addition); processors rewrite the buffer in place.
// Steps are phase advances per frame in half-cycles; amplitude 1 is 32767.
#pragma once
#include <cstdint>

namespace zorta {

void AddNoise(int16_t* buffer, int count, double amplitude);
void AddSine(int16_t* buffer, int count, double startStep, double endStep, double modStep, double modDepth,
             double amplitude);
void AddSaw(int16_t* buffer, int count, double startStep, double endStep, double modStep, double modDepth,
            double amplitude);
void AddPulse(int16_t* buffer, int count, double startWidth, double endWidth, double startStep, double endStep,
              double modStep, double modDepth, double amplitude);
void ScaleSamples(int16_t* buffer, int count, double factor);
void Normalize(int16_t* buffer, int count);
void Smooth(int16_t* buffer, int count);
void Tremolo(int16_t* buffer, int count, double rate, double depth);
void Echo(int16_t* buffer, int count, int taps);

// sin(x) for |x| <= ApproxSinRange, within 1e-15 of the true value (the
// tests hold it to 1e-13 against the C library). The sine generator and the
// tremolo use it only where it cannot change a sample.
const double ApproxSinRange = 64.0;
double ApproxSin(double x);

}  // namespace zorta
