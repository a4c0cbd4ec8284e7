// Names in the framework's files are bytes, JSON text is Unicode. Bytes that
// are UTF-8 stay as they are; every byte that is not becomes the code point
// U+DC00 + byte (as Python's "surrogateescape" does), which JSON writes as
// "\udcXX", so any name survives the trip to JSON and back.
#pragma once
#include <string>

#include <nlohmann/json.hpp>

namespace zorta {

// UTF-8 kept; each byte outside a well-formed UTF-8 sequence becomes U+DC00 + b,
// itself written in the 3-byte UTF-8 form (ED B2 xx or ED B3 xx).
std::string JsonTextFromBytes(const std::string& bytes);
// The inverse: U+DC80..U+DCFF back to their bytes, all else unchanged.
std::string BytesFromJsonText(const std::string& utf8);

// The tool's JSON layout: two-space indents, a container whose members are all
// numbers, strings, booleans or null on one line (except the outermost), and
// strings escaped so that the code points above come out as "\udcXX".
// Strings must come from JsonTextFromBytes or be UTF-8; never throws.
std::string JsonDump(const nlohmann::ordered_json& value);
std::string JsonDump(const nlohmann::json& value);

}  // namespace zorta
