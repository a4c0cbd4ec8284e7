// Names as JSON text: UTF-8 kept, every other byte carried as U+DC00 + byte,
// and the tool's JSON layout that writes those as "\udcXX".
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "json_text.h"

using namespace zorta;

namespace {

// A small fixed generator, so a failing case can be rerun.
uint32_t Next(uint32_t* state) {
  *state = *state * 1664525u + 1013904223u;
  return *state >> 8;
}

TEST(JsonText, Utf8IsKeptAsItIs) {
  const std::string kept[] = {"été.bmp", "", "plain", "\x7F", "日本語の層", "\xF0\x9F\x8E\xB5 note",
                              "\xEF\xBF\xBF", "\xF4\x8F\xBF\xBF", "\xED\x9F\xBF"};
  for (const std::string& s : kept) {
    EXPECT_EQ(JsonTextFromBytes(s), s);
    EXPECT_EQ(BytesFromJsonText(s), s);
  }
}

TEST(JsonText, EachByteOutsideUtf8BecomesOneLowSurrogate) {
  EXPECT_EQ(JsonTextFromBytes("\xE9t\xE9"), "\xED\xB3\xA9t\xED\xB3\xA9");  // Latin-1 "été"
  EXPECT_EQ(JsonTextFromBytes("a\xFF"), "a\xED\xB3\xBF");
  // Overlong forms, encoded surrogates, code points past U+10FFFF and cut
  // sequences are not UTF-8: each of their bytes is carried on its own.
  EXPECT_EQ(JsonTextFromBytes("\xC0\x80"), "\xED\xB3\x80\xED\xB2\x80");
  EXPECT_EQ(JsonTextFromBytes("\xED\xA0\x80"), "\xED\xB3\xAD\xED\xB2\xA0\xED\xB2\x80");
  EXPECT_EQ(JsonTextFromBytes("\xF4\x90\x80\x80").size(), 12u);
  EXPECT_EQ(JsonTextFromBytes("\xE6\x97"), "\xED\xB3\xA6\xED\xB2\x97");
  // A carried byte that looks like the carrier itself still comes back as bytes.
  EXPECT_EQ(BytesFromJsonText(JsonTextFromBytes("\xED\xB3\xA9")), "\xED\xB3\xA9");
}

TEST(JsonText, AnyBytesComeBack) {
  for (int b = 0; b < 256; b++) {
    std::string one(1, static_cast<char>(b));
    EXPECT_EQ(BytesFromJsonText(JsonTextFromBytes(one)), one) << b;
  }
  uint32_t state = 7;
  for (int round = 0; round < 2000; round++) {
    std::string bytes(Next(&state) % 24, '\0');
    for (char& c : bytes) {
      // Mostly high bytes and pieces of sequences, where the faults would be.
      uint32_t r = Next(&state);
      c = static_cast<char>(r % 3 == 0 ? 0xE0 + r % 0x20 : r % 3 == 1 ? 0x80 + r % 0x40 : r % 256);
    }
    std::string text = JsonTextFromBytes(bytes);
    ASSERT_EQ(BytesFromJsonText(text), bytes) << round;
    // What is written is JSON: nlohmann refuses lone surrogates, so read
    // each "\udcXX" as "\u00XX", which changes nothing else.
    std::string dumped = JsonDump(nlohmann::json(text));
    for (size_t at = dumped.find("\\udc"); at != std::string::npos; at = dumped.find("\\udc", at))
      dumped.replace(at + 2, 2, "00");
    EXPECT_NO_THROW(nlohmann::json::parse(dumped)) << dumped;
  }
}

TEST(JsonText, DumpEscapesWhatJsonMust) {
  nlohmann::ordered_json names = nlohmann::ordered_json::array();
  names.push_back(JsonTextFromBytes("x\xFF\xE9y.bmp"));
  names.push_back("walk\x01\"\\\n\t");
  names.push_back("été");
  EXPECT_EQ(JsonDump(names), "[\n  \"x\\udcff\\udce9y.bmp\",\n  \"walk\\u0001\\\"\\\\\\n\\t\",\n  \"été\"\n]");
  nlohmann::json parsed = nlohmann::json::parse(JsonDump(names[1]));
  EXPECT_EQ(parsed.get<std::string>(), "walk\x01\"\\\n\t");
}

TEST(JsonText, DumpKeepsShortMembersOnOneLine) {
  nlohmann::ordered_json doc;
  doc["name"] = "map";
  doc["cells"] = nlohmann::ordered_json::array({{0, 2, 4}, {1, -1}});
  doc["none"] = nlohmann::ordered_json::array();
  doc["skeleton"]["bones"] = 1;
  doc["skeleton"]["animations"] = nlohmann::ordered_json::array({{{"name", "walk"}, {"keys", 2}}});
  doc["ratio"] = 0.5;
  doc["empty"] = nullptr;
  EXPECT_EQ(JsonDump(doc),
            "{\n"
            "  \"name\": \"map\",\n"
            "  \"cells\": [\n    [0, 2, 4],\n    [1, -1]\n  ],\n"
            "  \"none\": [],\n"
            "  \"skeleton\": {\n    \"bones\": 1,\n    \"animations\": [\n"
            "      {\"name\": \"walk\", \"keys\": 2}\n    ]\n  },\n"
            "  \"ratio\": 0.5,\n"
            "  \"empty\": null\n"
            "}");
  // The outermost container is spread over lines even when it is flat.
  EXPECT_EQ(JsonDump(nlohmann::ordered_json::array({1, 2})), "[\n  1,\n  2\n]");
  EXPECT_EQ(nlohmann::ordered_json::parse(JsonDump(doc)), doc);
}

}  // namespace
