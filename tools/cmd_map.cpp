// zorta-tool map: inspect map files, write them from a JSON description, and
// cut an image into a GFX tile set, so maps can be made without a hex editor.
//
//   map info MAPFILE            the file's fields and tile statistics as JSON
//   map build SPEC.json OUT     a map file from a JSON description
//   map tiles IMAGE OUT.gfx     32 x 32 tiles of an image as a GFX tile set
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "image_read.h"
#include "tool.h"

namespace {

// ---- A small JSON reader: enough for map descriptions. ----

struct Json {
  enum Kind { Null, Bool, Number, String, Array, Object } kind = Null;
  double number = 0;
  std::string text;
  std::vector<Json> items;
  std::vector<std::pair<std::string, Json>> fields;
  const Json* Get(const char* key) const {
    for (const auto& f : fields)
      if (f.first == key) return &f.second;
    return nullptr;
  }
};

struct JsonParser {
  const char* p = nullptr;
  const char* end = nullptr;
  std::string error;
  int depth = 0;

  void SkipSpace() {
    while (p < end && (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r')) p++;
  }
  bool Fail(const char* what) {
    if (error.empty()) error = what;
    return false;
  }
  bool Literal(const char* word) {
    size_t n = strlen(word);
    if (static_cast<size_t>(end - p) < n || strncmp(p, word, n) != 0) return Fail("unexpected text");
    p += n;
    return true;
  }
  bool ParseString(std::string* out) {
    if (p >= end || *p != '"') return Fail("expected a string");
    p++;
    while (p < end && *p != '"') {
      char c = *p++;
      if (c != '\\') {
        out->push_back(c);
        continue;
      }
      if (p >= end) return Fail("unterminated string");
      char e = *p++;
      switch (e) {
        case 'n': out->push_back('\n'); break;
        case 't': out->push_back('\t'); break;
        case 'r': out->push_back('\r'); break;
        case 'b': out->push_back('\b'); break;
        case 'f': out->push_back('\f'); break;
        case 'u': {
          if (end - p < 4) return Fail("bad escape");
          unsigned v = static_cast<unsigned>(strtoul(std::string(p, 4).c_str(), nullptr, 16));
          p += 4;
          // Map files hold bytes: code points up to 255 become one byte.
          if (v > 255) return Fail("only \\u0000 to \\u00ff are bytes");
          out->push_back(static_cast<char>(v));
          break;
        }
        default: out->push_back(e); break;
      }
    }
    if (p >= end) return Fail("unterminated string");
    p++;
    return true;
  }
  bool ParseValue(Json* v) {
    if (++depth > 64) return Fail("nesting too deep");
    SkipSpace();
    if (p >= end) return Fail("unexpected end");
    bool ok = true;
    if (*p == '{') {
      v->kind = Json::Object;
      p++;
      SkipSpace();
      if (p < end && *p == '}') {
        p++;
      } else {
        for (;;) {
          SkipSpace();
          std::string key;
          if (!ParseString(&key)) return false;
          SkipSpace();
          if (p >= end || *p != ':') return Fail("expected ':'");
          p++;
          Json item;
          if (!ParseValue(&item)) return false;
          v->fields.emplace_back(key, std::move(item));
          SkipSpace();
          if (p < end && *p == ',') { p++; continue; }
          if (p < end && *p == '}') { p++; break; }
          return Fail("expected ',' or '}'");
        }
      }
    } else if (*p == '[') {
      v->kind = Json::Array;
      p++;
      SkipSpace();
      if (p < end && *p == ']') {
        p++;
      } else {
        for (;;) {
          Json item;
          if (!ParseValue(&item)) return false;
          v->items.push_back(std::move(item));
          SkipSpace();
          if (p < end && *p == ',') { p++; continue; }
          if (p < end && *p == ']') { p++; break; }
          return Fail("expected ',' or ']'");
        }
      }
    } else if (*p == '"') {
      v->kind = Json::String;
      ok = ParseString(&v->text);
    } else if (*p == 't') {
      v->kind = Json::Bool, v->number = 1, ok = Literal("true");
    } else if (*p == 'f') {
      v->kind = Json::Bool, v->number = 0, ok = Literal("false");
    } else if (*p == 'n') {
      v->kind = Json::Null, ok = Literal("null");
    } else {
      char* stop = nullptr;
      std::string rest(p, static_cast<size_t>(end - p < 64 ? end - p : 64));
      v->kind = Json::Number;
      v->number = strtod(rest.c_str(), &stop);
      if (stop == rest.c_str()) return Fail("expected a value");
      p += stop - rest.c_str();
    }
    depth--;
    return ok;
  }
};

// ---- Map file writing. ----

struct Writer {
  std::vector<uint8_t> bytes;
  void U16(uint32_t v) {
    bytes.push_back(static_cast<uint8_t>(v));
    bytes.push_back(static_cast<uint8_t>(v >> 8));
  }
  void U32(uint32_t v) {
    U16(v & 0xFFFF);
    U16(v >> 16);
  }
  void F32(float f) {
    uint32_t v;
    memcpy(&v, &f, 4);
    U32(v);
  }
  void Str(const std::string& s) {
    bytes.insert(bytes.end(), s.begin(), s.end());
    bytes.push_back(0);
  }
};

// The first problem found in a description; building goes on with
// defaults, but nothing is written once this is set.
std::string BuildError;
void SetBuildError(const std::string& text) {
  if (BuildError.empty()) BuildError = text;
}

double Num(const Json& obj, const char* key, double fallback) {
  const Json* v = obj.Get(key);
  if (v == nullptr || v->kind == Json::Null) return fallback;
  if (v->kind != Json::Number && v->kind != Json::Bool) { SetBuildError(std::string("'") + key + "' must be a number"); return fallback; }
  return v->number;
}

uint32_t Word(const Json& obj, const char* key, double fallback) {
  double d = Num(obj, key, fallback);
  if (!(d >= -2147483648.0 && d <= 4294967295.0)) { SetBuildError(std::string("'") + key + "' is out of range"); return 0; }
  return d < 0 ? static_cast<uint32_t>(static_cast<int32_t>(d)) : static_cast<uint32_t>(d);
}

std::string Text(const Json& obj, const char* key) {
  const Json* v = obj.Get(key);
  if (v == nullptr || v->kind == Json::Null) return "";
  if (v->kind != Json::String) { SetBuildError(std::string("'") + key + "' must be a string"); return ""; }
  if (v->text.size() > 255 || v->text.find('\0') != std::string::npos)
    { SetBuildError(std::string("'") + key + "' must be at most 255 bytes without NUL"); return ""; }
  return v->text;
}

// A pair given as [a, b]; absent: the fallbacks.
void Pair(const Json& obj, const char* key, double a, double b, double* outA, double* outB) {
  *outA = a, *outB = b;
  const Json* v = obj.Get(key);
  if (v == nullptr || v->kind == Json::Null) return;
  if (v->kind != Json::Array || v->items.size() != 2 || v->items[0].kind != Json::Number ||
      v->items[1].kind != Json::Number)
    { SetBuildError(std::string("'") + key + "' must be [number, number]"); return; }
  *outA = v->items[0].number, *outB = v->items[1].number;
}

void WriteLayer(Writer* w, const Json& layer) {
  if (layer.kind != Json::Object) { SetBuildError("every layer must be an object"); return; }
  w->Str(Text(layer, "name"));
  w->U32(0);
  w->U32(Word(layer, "enabled", 1));
  w->U32(Word(layer, "tag", 0));
  w->Str(Text(layer, "image"));
  int32_t width = static_cast<int32_t>(Word(layer, "width", 0));
  int32_t height = static_cast<int32_t>(Word(layer, "height", 0));
  w->U32(static_cast<uint32_t>(width));
  w->U32(static_cast<uint32_t>(height));
  double a, b;
  Pair(layer, "scroll", 0, 0, &a, &b);
  w->F32(static_cast<float>(a)), w->F32(static_cast<float>(b));
  Pair(layer, "parallax", 1, 1, &a, &b);
  w->F32(static_cast<float>(a)), w->F32(static_cast<float>(b));
  Pair(layer, "wrap", 0, 0, &a, &b);
  w->U32(static_cast<uint32_t>(a)), w->U32(static_cast<uint32_t>(b));
  if (width <= 0 || height <= 0) return;
  int64_t cells = static_cast<int64_t>(width) * height;
  if (cells > (int64_t(1) << 26)) { SetBuildError("layer too large"); return; }
  std::vector<uint16_t> tiles(static_cast<size_t>(cells), static_cast<uint16_t>(Word(layer, "fill", 0)));
  const Json* t = layer.Get("tiles");
  if (t != nullptr && t->kind != Json::Null) {
    // Either one flat list or a list of rows, top row first.
    std::vector<const Json*> flat;
    if (t->kind != Json::Array) { SetBuildError("'tiles' must be a list"); return; }
    for (const Json& item : t->items) {
      if (item.kind == Json::Array)
        for (const Json& cell : item.items) flat.push_back(&cell);
      else
        flat.push_back(&item);
    }
    if (static_cast<int64_t>(flat.size()) != cells) { SetBuildError("'tiles' must hold width x height values"); return; }
    for (size_t i = 0; i < flat.size(); i++) {
      if (flat[i]->kind != Json::Number || flat[i]->number < 0 || flat[i]->number > 65535)
        { SetBuildError("tile values must be numbers from 0 to 65535"); return; }
      tiles[i] = static_cast<uint16_t>(flat[i]->number);
    }
  }
  for (uint16_t v : tiles) w->U16(v);
}

void WriteObject(Writer* w, const Json& o, int32_t version) {
  if (o.kind != Json::Object) { SetBuildError("every object must be an object"); return; }
  w->F32(static_cast<float>(Num(o, "x", 0)));
  w->F32(static_cast<float>(Num(o, "y", 0)));
  w->U32(Word(o, "param", 0));
  if (version >= 2) {
    w->F32(static_cast<float>(Num(o, "x2", 0)));
    w->F32(static_cast<float>(Num(o, "y2", 1)));
    w->U32(Word(o, "param2", 0));
  }
  w->Str(Text(o, "type"));
  const Json* pts = o.Get("points");
  std::vector<std::pair<double, double>> points;
  if (pts != nullptr && pts->kind != Json::Null) {
    if (pts->kind != Json::Array) { SetBuildError("'points' must be a list of [x, y]"); return; }
    for (const Json& p : pts->items) {
      if (p.kind != Json::Array || p.items.size() != 2) { SetBuildError("'points' must be a list of [x, y]"); return; }
      points.emplace_back(p.items[0].number, p.items[1].number);
    }
  }
  w->U32(static_cast<uint32_t>(points.size()));
  for (auto& p : points) w->F32(static_cast<float>(p.first)), w->F32(static_cast<float>(p.second));
  w->U32(Word(o, "closed", 0));
  w->U32(Word(o, "value", 0));
  w->U32(Word(o, "spawnId", -1));
  if (version < 1) return;
  // Optional fields: "ints" and "reals" of up to four values each, null for
  // absent; "flags" may say outright which are written.
  double ints[4] = {0, 0, 0, 0}, reals[4] = {0, 0, 0, 0};
  uint32_t flags = 0;
  const char* keys[2] = {"ints", "reals"};
  for (int k = 0; k < 2; k++) {
    const Json* list = o.Get(keys[k]);
    if (list == nullptr || list->kind == Json::Null) continue;
    if (list->kind != Json::Array || list->items.size() > 4)
      { SetBuildError(std::string("'") + keys[k] + "' must be a list of up to four values"); return; }
    for (size_t i = 0; i < list->items.size(); i++) {
      if (list->items[i].kind == Json::Null) continue;
      (k == 0 ? ints : reals)[i] = list->items[i].number;
      flags |= 1u << (i + 4 * k);
    }
  }
  if (o.Get("flags") != nullptr) flags = Word(o, "flags", 0);
  w->U32(flags);
  for (int i = 0; i < 4; i++)
    if (flags & (1u << i)) w->U32(static_cast<uint32_t>(static_cast<int32_t>(ints[i])));
  for (int i = 0; i < 4; i++)
    if (flags & (16u << i)) w->F32(static_cast<float>(reals[i]));
}

std::vector<uint8_t> BuildMapBytes(const Json& spec) {
  if (spec.kind != Json::Object) { SetBuildError("the description must be a JSON object"); return {}; }
  Writer w;
  w.U32(0x5444524D);
  w.U32(0x4C45564C);
  int32_t version = static_cast<int32_t>(Word(spec, "version", 1));
  w.U32(static_cast<uint32_t>(version));
  if (version >= 1) w.U32(Word(spec, "selectedLayer", 0));
  const Json* layers = spec.Get("layers");
  size_t layerCount = layers != nullptr && layers->kind == Json::Array ? layers->items.size() : 0;
  w.U32(static_cast<uint32_t>(layerCount));
  for (size_t i = 0; i < layerCount; i++) WriteLayer(&w, layers->items[i]);
  int32_t objectVersion = static_cast<int32_t>(Word(spec, "objectVersion", 2));
  w.U32(static_cast<uint32_t>(objectVersion));
  const Json* objects = spec.Get("objects");
  size_t objectCount = objects != nullptr && objects->kind == Json::Array ? objects->items.size() : 0;
  w.U32(static_cast<uint32_t>(objectCount));
  for (size_t i = 0; i < objectCount; i++) WriteObject(&w, objects->items[i], objectVersion);
  w.U32(Word(spec, "selectedObject", -1));
  w.U32(Word(spec, "selectedPoint", -1));
  return w.bytes;
}

int ReadWhole(const char* path, std::vector<uint8_t>* out, const char* command) {
  FILE* f = fopen(path, "rb");
  if (f == nullptr) return ToolError(command, "cannot open '%s': %s", path, strerror(errno));
  uint8_t buf[65536];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, f)) > 0) out->insert(out->end(), buf, buf + n);
  fclose(f);
  return 0;
}

int WriteWhole(const char* path, const std::vector<uint8_t>& bytes, const char* command) {
  FILE* f = fopen(path, "wb");
  if (f == nullptr) return ToolError(command, "cannot write '%s': %s", path, strerror(errno));
  bool ok = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  ok = fclose(f) == 0 && ok;
  if (!ok) return ToolError(command, "cannot write '%s'", path);
  return 0;
}

// The command lines of map build, info and tiles, filled by CLI11 before the
// command runs.
std::string SpecPath, MapPath, ImagePath, OutPath;

int RunBuild() {
  const char* argv[] = {"build", SpecPath.c_str(), OutPath.c_str()};
  std::vector<uint8_t> text;
  if (ReadWhole(argv[1], &text, "map")) return 1;
  JsonParser parser;
  parser.p = reinterpret_cast<const char*>(text.data());
  parser.end = parser.p + text.size();
  Json spec;
  if (!parser.ParseValue(&spec))
    return ToolError("map", "%s: not valid JSON: %s at byte %ld", argv[1], parser.error.c_str(),
                     static_cast<long>(parser.p - reinterpret_cast<const char*>(text.data())));
  BuildError.clear();
  std::vector<uint8_t> bytes = BuildMapBytes(spec);
  if (!BuildError.empty()) return ToolError("map", "%s: %s", argv[1], BuildError.c_str());
  return WriteWhole(argv[2], bytes, "map");
}

// ---- Map file reading for `info`: every read is checked against the size. ----

struct Reader {
  const std::vector<uint8_t>& b;
  size_t at = 0;
  bool ended = false;  // a read ran past the end
  bool Has(size_t n) {
    if (ended || b.size() - at < n) {
      ended = true;
      return false;
    }
    return true;
  }
  uint32_t U32() {
    if (!Has(4)) return 0;
    uint32_t v = b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
    at += 4;
    return v;
  }
  int32_t I32() { return static_cast<int32_t>(U32()); }
  uint16_t U16() {
    if (!Has(2)) return 0;
    uint16_t v = static_cast<uint16_t>(b[at] | b[at + 1] << 8);
    at += 2;
    return v;
  }
  float F32() {
    uint32_t v = U32();
    float f;
    memcpy(&f, &v, 4);
    return f;
  }
  std::string Str() {
    std::string s;
    while (!ended) {
      if (!Has(1)) break;
      uint8_t c = b[at++];
      if (c == 0) break;
      s.push_back(static_cast<char>(c));
    }
    return s;
  }
};

std::string JsonText(const std::string& s) {
  std::string out = "\"";
  for (unsigned char c : s) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20 || c >= 0x7F) {
      char buf[8];
      snprintf(buf, sizeof buf, "\\u%04x", c);
      out += buf;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "\"";
}

std::string JsonReal(double v) {
  if (!std::isfinite(v)) return "null";
  char buf[32];
  snprintf(buf, sizeof buf, "%.9g", v);
  return buf;
}

int RunInfo() {
  const char* argv[] = {"info", MapPath.c_str()};
  std::vector<uint8_t> bytes;
  if (ReadWhole(argv[1], &bytes, "map")) return 1;
  Reader r{bytes};
  uint32_t m1 = r.U32(), m2 = r.U32();
  if (r.ended || m1 != 0x5444524D || m2 != 0x4C45564C)
    return ToolError("map", "'%s' is not a map file (no MRDT LVEL magic)", argv[1]);
  std::string out = "{\n  \"file\": " + JsonText(argv[1]) + ",\n";
  int32_t version = r.I32();
  int32_t selectedLayer = version >= 1 ? r.I32() : 0;
  int32_t layerCount = r.I32();
  out += "  \"version\": " + std::to_string(version) + ",\n  \"selectedLayer\": " + std::to_string(selectedLayer) +
         ",\n  \"layerCount\": " + std::to_string(layerCount) + ",\n  \"layers\": [";
  int32_t layersRead = 0;
  for (int32_t i = 0; i < layerCount && !r.ended; i++) {
    std::string name = r.Str();
    r.U32();
    uint32_t enabled = r.U32(), tag = r.U32();
    std::string image = r.Str();
    int32_t w = r.I32(), h = r.I32();
    float sx = r.F32(), sy = r.F32(), px = r.F32(), py = r.F32();
    uint32_t wx = r.U32(), wy = r.U32();
    int64_t cells = w > 0 && h > 0 ? static_cast<int64_t>(w) * h : 0;
    if (r.ended || !r.Has(static_cast<size_t>(cells) * 2)) break;
    int64_t empty = 0;
    uint32_t highest = 0;
    std::set<uint16_t> distinct;
    for (int64_t k = 0; k < cells; k++) {
      uint16_t t = r.U16();
      if (t == 0) empty++;
      distinct.insert(t);
      if (t > highest) highest = t;
    }
    char buf[512];
    snprintf(buf, sizeof buf,
             "%s\n    {\"name\": %s, \"enabled\": %u, \"tag\": %u, \"image\": %s, \"width\": %d, \"height\": %d,\n"
             "     \"scroll\": [%s, %s], \"parallax\": [%s, %s], \"wrap\": [%u, %u],\n"
             "     \"tiles\": {\"cells\": %lld, \"empty\": %lld, \"distinct\": %zu, \"highest\": %u}}",
             layersRead ? "," : "", JsonText(name).c_str(), enabled, tag, JsonText(image).c_str(), w, h,
             JsonReal(sx).c_str(), JsonReal(sy).c_str(), JsonReal(px).c_str(), JsonReal(py).c_str(), wx, wy,
             static_cast<long long>(cells), static_cast<long long>(empty), distinct.size(), highest);
    out += buf;
    layersRead++;
  }
  out += layersRead ? "\n  ],\n" : "],\n";
  int32_t objectVersion = r.I32();
  int32_t objectCount = r.I32();
  out += "  \"objectVersion\": " + std::to_string(objectVersion) + ",\n  \"objectCount\": " +
         std::to_string(objectCount) + ",\n  \"objects\": [";
  int32_t objectsRead = 0;
  for (int32_t i = 0; i < objectCount && !r.ended; i++) {
    float x = r.F32(), y = r.F32();
    uint32_t param = r.U32();
    float x2 = 0, y2 = 0;
    uint32_t param2 = 0;
    if (objectVersion >= 2) x2 = r.F32(), y2 = r.F32(), param2 = r.U32();
    std::string type = r.Str();
    int32_t p = r.I32();
    if (p > 0 && !r.Has(static_cast<size_t>(p) * 8)) break;
    std::string points;
    for (int32_t k = 0; k < p; k++) {
      float a = r.F32(), b = r.F32();
      points += (k ? ", [" : "[") + JsonReal(a) + ", " + JsonReal(b) + "]";
    }
    uint32_t closed = r.U32();
    int32_t value = r.I32(), spawnId = r.I32();
    uint32_t flags = objectVersion >= 1 ? r.U32() : 0;
    std::string ints, reals;
    for (int k = 0; k < 4; k++)
      ints += std::string(k ? ", " : "") + ((flags & (1u << k)) ? std::to_string(r.I32()) : "null");
    for (int k = 0; k < 4; k++) reals += std::string(k ? ", " : "") + ((flags & (16u << k)) ? JsonReal(r.F32()) : "null");
    if (r.ended) break;
    out += std::string(objectsRead ? "," : "") + "\n    {\"x\": " + JsonReal(x) + ", \"y\": " + JsonReal(y) +
           ", \"param\": " + std::to_string(param) + ", \"x2\": " + JsonReal(x2) + ", \"y2\": " + JsonReal(y2) +
           ", \"param2\": " + std::to_string(param2) + ", \"type\": " + JsonText(type) + ",\n     \"points\": [" +
           points + "], \"closed\": " + std::to_string(closed) + ", \"value\": " + std::to_string(value) +
           ", \"spawnId\": " + std::to_string(spawnId) + ", \"flags\": " + std::to_string(flags & 0xFF) +
           ", \"ints\": [" + ints + "], \"reals\": [" + reals + "]}";
    objectsRead++;
  }
  out += objectsRead ? "\n  ],\n" : "],\n";
  int32_t selectedObject = r.I32(), selectedPoint = r.I32();
  bool complete = !r.ended;
  out += "  \"selectedObject\": " + (complete ? std::to_string(selectedObject) : std::string("null")) +
         ",\n  \"selectedPoint\": " + (complete ? std::to_string(selectedPoint) : std::string("null")) +
         ",\n  \"complete\": " + (complete ? "true" : "false") + ",\n  \"trailingBytes\": " +
         std::to_string(complete ? bytes.size() - r.at : 0) + "\n}\n";
  fputs(out.c_str(), stdout);
  return 0;
}

// ---- Tile sets. ----

int RunTiles() {
  const char* argv[] = {"tiles", ImagePath.c_str(), OutPath.c_str()};
  Image img = {};
  std::string error;
  if (ReadToolImage(argv[1], &img, &error) == nullptr) return ToolError("map", "%s", error.c_str());
  std::unique_ptr<Image, void (*)(Image*)> hold(&img, [](Image* i) { FreeImage(i); });
  if (img.bits != 24 || img.width < 32 || img.height < 32 || img.width % 32 || img.height % 32)
    return ToolError("map", "'%s': a tile set needs a 24-bit image whose sides are multiples of 32", argv[1]);
  Writer w;
  w.U32(0x47465831);
  w.U32(0x494E464F);  // INFO
  w.U32(32);
  w.U32(static_cast<uint32_t>(img.width));
  w.U32(static_cast<uint32_t>(img.height));
  w.U32(24);
  for (int i = 0; i < 5; i++) w.U32(0);
  size_t pixelBytes = static_cast<size_t>(img.width) * img.height * 3;
  w.U32(0x494D4745);  // IMGE
  w.U32(static_cast<uint32_t>(pixelBytes));
  w.bytes.insert(w.bytes.end(), img.pixels, img.pixels + pixelBytes);
  int columns = img.width / 32, rows = img.height / 32;
  w.U32(0x4354424C);  // CTBL
  w.U32(static_cast<uint32_t>(4 + 40 * columns * rows));
  w.U32(static_cast<uint32_t>(columns * rows));
  // Tile t is block t, row by row; a block holding magenta is drawn keyed.
  for (int r = 0; r < rows; r++) {
    for (int c = 0; c < columns; c++) {
      int keyed = 0;
      for (int y = 0; y < 32 && !keyed; y++)
        for (int x = 0; x < 32; x++) {
          const uint8_t* px = img.pixels + ((static_cast<size_t>(r) * 32 + y) * img.width + c * 32 + x) * 3;
          if (px[0] == 255 && px[1] == 0 && px[2] == 255) {
            keyed = 1;
            break;
          }
        }
      int32_t cell[10] = {c * 32, r * 32, 32, 32, 0, 0, 32, 32, keyed ? 1 : 2, 0};
      for (int32_t v : cell) w.U32(static_cast<uint32_t>(v));
    }
  }
  w.U32(0x454E4446);  // ENDF
  w.U32(0);
  return WriteWhole(argv[2], w.bytes, "map");
}

void SetUp(CLI::App* tool) {
  CLI::App* map = AddToolCommand(tool, "map", "map info MAPFILE | map build SPEC.json OUT | map tiles IMAGE OUT.gfx",
                                 "inspect a map as JSON, write one from a JSON description, or cut a 24-bit image "
                                 "into a GFX tile set of 32 x 32 tiles",
                                 nullptr);
  CLI::App* info = AddToolCommand(map, "info", "info MAPFILE", "print the map's fields and tile statistics as JSON",
                                  RunInfo);
  info->add_option("MAPFILE", MapPath, "the map file to read")->required()->type_name("");
  CLI::App* build = AddToolCommand(map, "build", "build SPEC.json OUT", "write a map file from a JSON description",
                                   RunBuild);
  build->add_option("SPEC.json", SpecPath, "the JSON description of the map")->required()->type_name("");
  build->add_option("OUT", OutPath, "the map file to write")->required()->type_name("");
  CLI::App* tiles = AddToolCommand(map, "tiles", "tiles IMAGE OUT.gfx",
                                   "cut a 24-bit image whose sides are multiples of 32 into a GFX tile set",
                                   RunTiles);
  tiles->add_option("IMAGE", ImagePath, "the image to cut: BMP, ILBM, GFX or TGA, 24 bits")->required()->type_name("");
  tiles->add_option("OUT.gfx", OutPath, "the GFX tile set to write")->required()->type_name("");
}

ToolRegistration registration(SetUp);

}  // namespace
