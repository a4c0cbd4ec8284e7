#include "json_text.h"

#include <cstdint>
#include <cstdio>

namespace zorta {

namespace {

// Length of the UTF-8 sequence at p (at most n bytes), 0 when it is not
// well formed. The encoded surrogates U+D800..U+DFFF count only when asked.
size_t SequenceLength(const unsigned char* p, size_t n, bool surrogates, uint32_t* code) {
  unsigned char c = p[0];
  size_t len;
  uint32_t cp, least;
  if (c < 0x80) {
    *code = c;
    return 1;
  } else if (c >= 0xC2 && c <= 0xDF) {
    len = 2, cp = c & 0x1F, least = 0x80;
  } else if (c >= 0xE0 && c <= 0xEF) {
    len = 3, cp = c & 0x0F, least = 0x800;
  } else if (c >= 0xF0 && c <= 0xF4) {
    len = 4, cp = c & 0x07, least = 0x10000;
  } else {
    return 0;
  }
  if (n < len) return 0;
  for (size_t i = 1; i < len; i++) {
    if ((p[i] & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (p[i] & 0x3F);
  }
  if (cp < least || cp > 0x10FFFF) return 0;
  if (cp >= 0xD800 && cp <= 0xDFFF && !surrogates) return 0;
  *code = cp;
  return len;
}

void AppendEscapedString(const std::string& text, std::string* out) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(text.data());
  size_t n = text.size();
  char buf[8];
  *out += '"';
  for (size_t i = 0; i < n;) {
    uint32_t cp = 0;
    size_t len = SequenceLength(p + i, n - i, true, &cp);
    if (len == 0) {
      // Not what JsonTextFromBytes makes; escape the byte the same way.
      cp = 0xDC00 + p[i];
      len = 1;
    }
    if (cp == '"' || cp == '\\') {
      *out += '\\';
      *out += static_cast<char>(cp);
    } else if (cp == '\n') {
      *out += "\\n";
    } else if (cp == '\t') {
      *out += "\\t";
    } else if (cp == '\r') {
      *out += "\\r";
    } else if (cp < 0x20 || (cp >= 0xD800 && cp <= 0xDFFF)) {
      snprintf(buf, sizeof buf, "\\u%04x", static_cast<unsigned>(cp));
      *out += buf;
    } else {
      out->append(text, i, len);
    }
    i += len;
  }
  *out += '"';
}

bool IsContainer(const nlohmann::ordered_json& v) { return v.is_object() || v.is_array(); }

void AppendValue(const nlohmann::ordered_json& v, int depth, std::string* out) {
  if (v.is_string()) {
    AppendEscapedString(v.get_ref<const std::string&>(), out);
    return;
  }
  if (!IsContainer(v)) {
    *out += v.dump();
    return;
  }
  bool object = v.is_object();
  if (v.empty()) {
    *out += object ? "{}" : "[]";
    return;
  }
  bool flat = depth > 0;
  for (const auto& member : v) flat = flat && !IsContainer(member);
  std::string inner = flat ? " " : "\n" + std::string(2 * (depth + 1), ' ');
  *out += object ? '{' : '[';
  bool first = true;
  for (auto it = v.begin(); it != v.end(); ++it) {
    if (!first) *out += ',';
    *out += first && flat ? "" : inner;
    first = false;
    if (object) {
      AppendEscapedString(it.key(), out);
      *out += ": ";
    }
    AppendValue(*it, depth + 1, out);
  }
  if (!flat) *out += "\n" + std::string(2 * depth, ' ');
  *out += object ? '}' : ']';
}

}  // namespace

std::string JsonTextFromBytes(const std::string& bytes) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(bytes.data());
  size_t n = bytes.size();
  std::string out;
  out.reserve(n);
  for (size_t i = 0; i < n;) {
    uint32_t cp = 0;
    size_t len = SequenceLength(p + i, n - i, false, &cp);
    if (len > 0) {
      out.append(bytes, i, len);
      i += len;
      continue;
    }
    cp = 0xDC00 + p[i];
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
    i++;
  }
  return out;
}

std::string BytesFromJsonText(const std::string& utf8) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(utf8.data());
  size_t n = utf8.size();
  std::string out;
  out.reserve(n);
  for (size_t i = 0; i < n;) {
    uint32_t cp = 0;
    size_t len = SequenceLength(p + i, n - i, true, &cp);
    if (len == 3 && cp >= 0xDC80 && cp <= 0xDCFF) {
      out += static_cast<char>(cp - 0xDC00);
    } else {
      if (len == 0) len = 1;
      out.append(utf8, i, len);
    }
    i += len;
  }
  return out;
}

std::string JsonDump(const nlohmann::ordered_json& value) {
  std::string out;
  AppendValue(value, 0, &out);
  return out;
}

std::string JsonDump(const nlohmann::json& value) { return JsonDump(nlohmann::ordered_json(value)); }

}  // namespace zorta
