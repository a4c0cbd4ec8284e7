// Inside the platform layer only: the test hooks as the stand-ins call them.
// In the test build (ZORTA_TESTING) they are the functions of testing.h. In
// the product they are constants, even unoptimised: no call, no symbol, and
// the text of a recorded call is never built.
#pragma once

#ifdef ZORTA_TESTING
#include "platform/testing.h"
#else
#define SeamShouldFail(name) false
#define SeamShouldReportStillDrawing(name) false
#define SeamRecording() false
// The record is checked by the compiler but never evaluated.
#define SeamRecord(call) static_cast<void>(sizeof(call))
#endif

namespace zorta {

}  // namespace zorta
