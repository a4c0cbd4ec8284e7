// Fault injection and call recording shared by the stand-ins; only in the test
// build of the platform library.
#ifdef ZORTA_TESTING
#include "platform/testing.h"

#include <map>

namespace zorta {

namespace {
std::map<std::string, int> failures;
std::map<std::string, int> stillDrawing;
std::vector<std::string> calls;
bool recording = false;

bool Consume(std::map<std::string, int>& table, const char* name) {
  auto it = table.find(name);
  if (it == table.end() || it->second == 0) return false;
  if (it->second > 0) it->second--;
  return true;
}
}  // namespace

void SeamFailCall(const char* name, int times) { failures[name] = times; }
bool SeamShouldFail(const char* name) { return !failures.empty() && Consume(failures, name); }
void SeamStillDrawing(const char* name, int times) { stillDrawing[name] = times; }
bool SeamShouldReportStillDrawing(const char* name) {
  return !stillDrawing.empty() && Consume(stillDrawing, name);
}

void SeamRecordCalls(bool on) { recording = on; }
bool SeamRecording() { return recording; }
void SeamRecord(const std::string& call) {
  if (recording) calls.push_back(call);
}
const std::vector<std::string>& SeamCalls() { return calls; }
void SeamClearCalls() { calls.clear(); }

void SeamReset() {
  failures.clear();
  stillDrawing.clear();
  calls.clear();
  recording = false;
}

}  // namespace zorta
#endif
