// Test seam shared by the platform stand-ins: tests make a named platform call
// fail, and read back the calls a stand-in recorded. Real runs never arm it.
#pragma once
#include <string>
#include <vector>

// Makes the named call (for example "FSOUND_Init" or "CreateSurface") fail the
// next `times` times it is made; a negative count fails it until SeamReset.
void SeamFailCall(const char* name, int times = -1);
// Returns true when the named call should fail now, consuming one armed failure.
bool SeamShouldFail(const char* name);
// Like SeamFailCall, for results that ask the caller to try again
// (DDERR_WASSTILLDRAWING): the next `times` calls report it.
void SeamStillDrawing(const char* name, int times);
bool SeamShouldReportStillDrawing(const char* name);

// Recording of calls, for tests that check which platform calls were made.
void SeamRecordCalls(bool on);
void SeamRecord(const std::string& call);
const std::vector<std::string>& SeamCalls();
void SeamClearCalls();

// Disarms every failure and clears the record.
void SeamReset();
