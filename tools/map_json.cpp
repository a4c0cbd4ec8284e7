#include "map_json.h"

#include <cerrno>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <nlohmann/json.hpp>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "json_text.h"
#include "output_file.h"
#include "world/map_codec.h"

namespace zorta {

namespace {

using Json = nlohmann::ordered_json;

// Names are written through json_text.h: a byte that is not UTF-8 comes out
// as "\udcXX". The library's parser refuses such a lone escape, so on the way
// in it is first turned into this private-use character followed by the byte
// in two hex digits (a real one is doubled), and taken back out after parsing.
const char Marker[] = "\xEE\x80\x80";  // U+E000
const size_t MarkerSize = 3;

// The most tile cells a description may make, in one layer and in all of
// them: 128 MB of tiles.
const int64_t MaxCells = int64_t(1) << 26;


int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The bytes a parsed string stands for; false when it holds a NUL.
bool Uncarried(const std::string& text, std::string* bytes) {
  bytes->clear();
  for (size_t i = 0; i < text.size();) {
    if (text[i] == '\0') return false;
    if (text.compare(i, MarkerSize, Marker) == 0) {
      if (text.compare(i + MarkerSize, MarkerSize, Marker) == 0) {
        bytes->append(Marker, MarkerSize);
        i += 2 * MarkerSize;
        continue;
      }
      if (i + MarkerSize + 2 <= text.size()) {
        int a = HexValue(text[i + MarkerSize]), b = HexValue(text[i + MarkerSize + 1]);
        if (a >= 0 && b >= 0) {
          bytes->push_back(static_cast<char>(a * 16 + b));
          i += MarkerSize + 2;
          continue;
        }
      }
    }
    bytes->push_back(text[i++]);
  }
  return true;
}

// Description text prepared for the library: "\udcXX" (a byte, when it does
// not end a surrogate pair) becomes "\ue000XX", and a real U+E000, escaped or
// not, is doubled. `moved` receives, after each such change, a position in
// the prepared text and the position in `text` that it stands for.
std::string Prepared(const std::string& text, std::vector<std::pair<size_t, size_t>>* moved) {
  std::string out;
  out.reserve(text.size());
  bool afterHigh = false;  // the previous escape opened a surrogate pair
  for (size_t i = 0; i < text.size();) {
    if (text[i] == '\\' && i + 1 < text.size()) {
      if (text[i + 1] == 'u' && i + 6 <= text.size()) {
        unsigned v = 0;
        bool ok = true;
        for (size_t k = 2; k < 6; k++) {
          int h = HexValue(text[i + k]);
          if (h < 0) ok = false;
          v = v * 16 + static_cast<unsigned>(h < 0 ? 0 : h);
        }
        if (ok && !afterHigh && v >= 0xDC80 && v <= 0xDCFF) {
          out += "\\ue000";
          out.append(text, i + 4, 2);
        } else if (ok && v == 0xE000) {
          out += "\\ue000\\ue000";
        } else {
          out.append(text, i, 6);
        }
        afterHigh = ok && v >= 0xD800 && v <= 0xDBFF;
        i += 6;
        if (out.size() - i != (moved->empty() ? 0 : moved->back().first - moved->back().second))
          moved->emplace_back(out.size(), i);
        continue;
      }
      out.append(text, i, 2);
      afterHigh = false;
      i += 2;
      continue;
    }
    afterHigh = false;
    if (text.compare(i, MarkerSize, Marker) == 0) {
      out.append(Marker, MarkerSize);
      out.append(Marker, MarkerSize);
      i += MarkerSize;
      moved->emplace_back(out.size(), i);
      continue;
    }
    out += text[i++];
  }
  return out;
}

// A single-precision real as the shortest decimal that reads back the same;
// JSON has no NaN or infinity, so those become null.
Json Real(float f) {
  if (!std::isfinite(f)) return nullptr;
  char buf[32];
  for (int digits = 6; digits <= 9; digits++) {
    snprintf(buf, sizeof buf, "%.*g", digits, static_cast<double>(f));
    if (static_cast<float>(strtod(buf, nullptr)) == f) break;
  }
  return strtod(buf, nullptr);
}

bool ReadWhole(const char* path, std::string* out, FILE* err, const char* command) {
  FILE* f = fopen(path, "rb");
  if (f == nullptr) {
    fprintf(err, "zorta-tool %s: cannot open '%s': %s\n", command, path, strerror(errno));
    return false;
  }
  char buf[65536];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, f)) > 0) out->append(buf, n);
  bool failed = ferror(f) != 0;
  fclose(f);
  if (failed) {
    fprintf(err, "zorta-tool %s: cannot read '%s'\n", command, path);
    return false;
  }
  return true;
}

Json LayerJson(const MapLayerDescription& l, const std::string& programName) {
  Json j;
  j["name"] = JsonTextFromBytes(programName);
  if (programName != l.name) j["fileName"] = JsonTextFromBytes(l.name);
  j["enabled"] = l.enabled;
  j["tag"] = l.tag;
  std::string image = ProgramName(l.image);
  j["image"] = JsonTextFromBytes(image);
  if (image != l.image) j["fileImage"] = JsonTextFromBytes(l.image);
  j["width"] = l.width;
  j["height"] = l.height;
  j["scroll"] = Json::array({Real(l.scrollX), Real(l.scrollY)});
  j["parallax"] = Json::array({Real(l.parallaxX), Real(l.parallaxY)});
  j["wrap"] = Json::array({l.wrapX, l.wrapY});
  int64_t empty = 0;
  uint32_t highest = 0;
  std::vector<bool> seen(65536, false);
  size_t distinct = 0;
  for (uint16_t t : l.tiles) {
    if (t == 0) empty++;
    if (!seen[t]) seen[t] = true, distinct++;
    if (t > highest) highest = t;
  }
  j["tiles"] = Json{{"cells", l.tiles.size()}, {"empty", empty}, {"distinct", distinct}, {"highest", highest}};
  return j;
}

Json ObjectJson(const MapObjectDescription& o) {
  Json j;
  j["x"] = Real(o.x);
  j["y"] = Real(o.y);
  j["param"] = o.param;
  j["x2"] = Real(o.x2);
  j["y2"] = Real(o.y2);
  j["param2"] = o.param2;
  std::string type = ProgramName(o.type);
  j["type"] = JsonTextFromBytes(type);
  if (type != o.type) j["fileType"] = JsonTextFromBytes(o.type);
  Json points = Json::array();
  for (const MapPointDescription& p : o.points) points.push_back(Json::array({Real(p.x), Real(p.y)}));
  j["points"] = points;
  j["closed"] = o.closed;
  j["value"] = o.value;
  j["spawnId"] = o.spawnId;
  uint32_t flags = o.flags & 0xFF;  // the only bits the program looks at
  j["flags"] = flags;
  Json ints = Json::array(), reals = Json::array();
  for (int i = 0; i < 4; i++) {
    ints.push_back((flags & (1u << i)) ? Json(o.ints[i]) : Json(nullptr));
    reals.push_back((flags & (16u << i)) ? Real(o.reals[i]) : Json(nullptr));
  }
  j["ints"] = ints;
  j["reals"] = reals;
  return j;
}

// ---- Reading a description. ----

// Collects the parsed document through the library's own tree builder and
// keeps its first error instead of throwing it. A key given twice in one
// object is an error too, named by its JSON pointer.
struct Collector {
  nlohmann::detail::json_sax_dom_parser<Json> dom;
  size_t errorAt = 0;
  std::string error;
  // Where the parser stands: per open container its keys so far, or the
  // index of its latest element.
  struct Level {
    bool object;
    std::set<std::string> keys;
    std::string key;
    long index;
  };
  std::vector<Level> levels;
  std::string duplicate;  // the pointer of a repeated key

  explicit Collector(Json& root) : dom(root, false) {}
  void Value() {
    if (!levels.empty() && !levels.back().object) levels.back().index++;
  }
  bool null() { return Value(), dom.null(); }
  bool boolean(bool v) { return Value(), dom.boolean(v); }
  bool number_integer(Json::number_integer_t v) { return Value(), dom.number_integer(v); }
  bool number_unsigned(Json::number_unsigned_t v) { return Value(), dom.number_unsigned(v); }
  bool number_float(Json::number_float_t v, const Json::string_t& s) { return Value(), dom.number_float(v, s); }
  bool string(Json::string_t& v) { return Value(), dom.string(v); }
  bool binary(Json::binary_t& v) { return Value(), dom.binary(v); }
  bool start_object(std::size_t n) {
    Value();
    levels.push_back(Level{true, {}, "", -1});
    return dom.start_object(n);
  }
  bool key(Json::string_t& v) {
    Level& level = levels.back();
    level.key = v;
    if (!level.keys.insert(v).second) {
      for (const Level& l : levels) duplicate += "/" + (l.object ? l.key : std::to_string(l.index));
      return false;
    }
    return dom.key(v);
  }
  bool end_object() {
    levels.pop_back();
    return dom.end_object();
  }
  bool start_array(std::size_t n) {
    Value();
    levels.push_back(Level{false, {}, "", -1});
    return dom.start_array(n);
  }
  bool end_array() {
    levels.pop_back();
    return dom.end_array();
  }
  bool parse_error(std::size_t at, const std::string&, const nlohmann::detail::exception& ex) {
    if (error.empty()) errorAt = at, error = ex.what();
    return false;
  }
};

// "line 3, column 7: unexpected '}'; expected a value" for a parse error at
// byte `at` of the prepared text (the parser counts the byte it stopped on).
std::string ParseErrorText(const std::string& text, const std::vector<std::pair<size_t, size_t>>& moved, size_t at,
                           const std::string& what) {
  size_t prepared = at > 0 ? at - 1 : 0;
  size_t original = prepared;
  for (const std::pair<size_t, size_t>& m : moved)
    if (m.first <= prepared) original = m.second + (prepared - m.first);
  if (original > text.size()) original = text.size();
  size_t line = 1, lineStart = 0;
  for (size_t i = 0; i < original; i++)
    if (text[i] == '\n') line++, lineStart = i + 1;
  // The library's words without its prefixes: "[json.exception.parse_error.101]
  // parse error at line 1, column 5: syntax error while parsing value - ".
  std::string reason = what;
  size_t colon = reason.find(": ");
  if (colon != std::string::npos) reason = reason.substr(colon + 2);
  size_t dash = reason.find(" - ");
  if (reason.rfind("syntax error", 0) == 0 && dash != std::string::npos) reason = reason.substr(dash + 3);
  return "line " + std::to_string(line) + ", column " + std::to_string(original - lineStart + 1) + ": " + reason;
}

// Turns a description into a MapDescription, stopping at the first fault,
// which it keeps with the JSON pointer of the value at fault.
struct Reader {
  std::string where, why;
  int64_t mapCells = 0;  // in the layers read so far

  bool Fail(const std::string& path, const std::string& reason) {
    if (why.empty()) where = path.empty() ? "/" : path, why = reason;
    return false;
  }

  bool Keys(const Json& j, const std::string& path, std::initializer_list<const char*> allowed) {
    if (!j.is_object()) return Fail(path, "must be an object");
    for (auto it = j.begin(); it != j.end(); ++it) {
      bool known = false;
      for (const char* k : allowed) known = known || it.key() == k;
      if (!known) return Fail(path + "/" + it.key(), "is not a known key");
    }
    return true;
  }

  // An integer in [lo, hi]; absent or null: the fallback. Booleans count as
  // 0 and 1 where the value is only tested for zero.
  bool Integer(const Json& j, const std::string& path, int64_t lo, int64_t hi, bool boolOk, int64_t* out) {
    if (boolOk && j.is_boolean()) {
      *out = j.get<bool>() ? 1 : 0;
      return true;
    }
    if (j.is_number_unsigned()) {
      uint64_t v = j.get<uint64_t>();
      if (v > static_cast<uint64_t>(hi)) return Fail(path, "is out of range");
      *out = static_cast<int64_t>(v);
      return true;
    }
    if (j.is_number_integer()) {
      int64_t v = j.get<int64_t>();
      if (v < lo || v > hi) return Fail(path, "is out of range");
      *out = v;
      return true;
    }
    if (j.is_number_float()) {
      double d = j.get<double>();
      if (!(d == std::floor(d))) return Fail(path, "must be a whole number");
      if (!(d >= static_cast<double>(lo) && d <= static_cast<double>(hi))) return Fail(path, "is out of range");
      *out = static_cast<int64_t>(d);
      return true;
    }
    return Fail(path, "must be a whole number");
  }
  bool Int32(const Json& obj, const char* key, const std::string& path, int32_t fallback, int32_t* out) {
    *out = fallback;
    if (!obj.contains(key) || obj[key].is_null()) return true;
    int64_t v;
    if (!Integer(obj[key], path + "/" + key, INT32_MIN, INT32_MAX, false, &v)) return false;
    *out = static_cast<int32_t>(v);
    return true;
  }
  // A 32-bit word: given signed or unsigned.
  bool WordValue(const Json& j, const std::string& path, uint32_t* out) {
    int64_t v;
    if (!Integer(j, path, INT32_MIN, UINT32_MAX, true, &v)) return false;
    *out = static_cast<uint32_t>(v);
    return true;
  }
  bool Word(const Json& obj, const char* key, const std::string& path, uint32_t fallback, uint32_t* out) {
    *out = fallback;
    if (!obj.contains(key) || obj[key].is_null()) return true;
    return WordValue(obj[key], path + "/" + key, out);
  }
  bool RealValue(const Json& j, const std::string& path, float* out) {
    if (!j.is_number()) return Fail(path, "must be a number");
    double d = j.get<double>();
    if (!(std::fabs(d) <= FLT_MAX)) return Fail(path, "is out of range for a single-precision real");
    *out = static_cast<float>(d);
    return true;
  }
  bool Real(const Json& obj, const char* key, const std::string& path, float fallback, float* out) {
    *out = fallback;
    if (!obj.contains(key) || obj[key].is_null()) return true;
    return RealValue(obj[key], path + "/" + key, out);
  }
  bool Text(const Json& obj, const char* key, const std::string& path, std::string* out) {
    out->clear();
    if (!obj.contains(key) || obj[key].is_null()) return true;
    if (!obj[key].is_string()) return Fail(path + "/" + key, "must be a string");
    if (!Uncarried(obj[key].get<std::string>(), out)) return Fail(path + "/" + key, "must not hold a NUL");
    return true;
  }
  template <typename T, typename F>
  bool Pair(const Json& obj, const char* key, const std::string& path, T* a, T* b, F element) {
    if (!obj.contains(key) || obj[key].is_null()) return true;
    const Json& v = obj[key];
    std::string p = path + "/" + key;
    if (!v.is_array() || v.size() != 2) return Fail(p, "must be a list of two values");
    return (this->*element)(v[0], p + "/0", a) && (this->*element)(v[1], p + "/1", b);
  }

  bool Tiles(const Json& layer, const std::string& path, MapLayerDescription* l) {
    bool hasTiles = layer.contains("tiles") && !layer["tiles"].is_null();
    std::string p = path + "/tiles";
    if (l->width <= 0 || l->height <= 0) {
      if (hasTiles && !(layer["tiles"].is_array() && layer["tiles"].empty()))
        return Fail(p, "a layer without area has no cells");
      return true;
    }
    int64_t cells = static_cast<int64_t>(l->width) * l->height;
    if (cells > MaxCells) return Fail(path, "layer too large (more than 67108864 cells)");
    // Checked before the layer's tiles are made: many large layers are refused
    // here rather than running out of memory.
    mapCells += cells;
    if (mapCells > MaxCells) return Fail(path, "the map is too large (more than 67108864 cells in all its layers)");
    uint32_t fill = 0;
    if (!Word(layer, "fill", path, 0, &fill)) return false;
    if (fill > 65535) return Fail(path + "/fill", "must be a tile value from 0 to 65535");
    l->tiles.assign(static_cast<size_t>(cells), static_cast<uint16_t>(fill));
    if (!hasTiles) return true;
    const Json& t = layer["tiles"];
    if (!t.is_array()) return Fail(p, "must be a list");
    // Either one flat list or a list of rows, top row first.
    std::vector<std::pair<const Json*, std::string>> flat;
    bool rows = !t.empty() && t[0].is_array();
    if (rows) {
      if (static_cast<int64_t>(t.size()) != l->height)
        return Fail(p, "must hold height (" + std::to_string(l->height) + ") rows, not " + std::to_string(t.size()));
      for (size_t r = 0; r < t.size(); r++) {
        std::string rp = p + "/" + std::to_string(r);
        if (!t[r].is_array()) return Fail(rp, "must be a row like the first");
        if (static_cast<int64_t>(t[r].size()) != l->width)
          return Fail(rp, "must hold width (" + std::to_string(l->width) + ") values, not " +
                              std::to_string(t[r].size()));
        for (size_t c = 0; c < t[r].size(); c++) flat.emplace_back(&t[r][c], rp + "/" + std::to_string(c));
      }
    } else {
      if (static_cast<int64_t>(t.size()) != cells)
        return Fail(p, "must hold width x height (" + std::to_string(cells) + ") values, not " +
                           std::to_string(t.size()));
      for (size_t i = 0; i < t.size(); i++) flat.emplace_back(&t[i], p + "/" + std::to_string(i));
    }
    for (size_t i = 0; i < flat.size(); i++) {
      int64_t v;
      if (!Integer(*flat[i].first, flat[i].second, 0, 65535, false, &v)) {
        why = "must be a tile value from 0 to 65535";
        return false;
      }
      l->tiles[i] = static_cast<uint16_t>(v);
    }
    return true;
  }

  bool Layer(const Json& j, const std::string& path, MapLayerDescription* l) {
    if (!Keys(j, path, {"name", "enabled", "tag", "image", "width", "height", "scroll", "parallax", "wrap", "tiles",
                        "fill"}))
      return false;
    return Text(j, "name", path, &l->name) && Word(j, "enabled", path, 1, &l->enabled) &&
           Word(j, "tag", path, 0, &l->tag) && Text(j, "image", path, &l->image) &&
           Int32(j, "width", path, 0, &l->width) && Int32(j, "height", path, 0, &l->height) &&
           Pair(j, "scroll", path, &l->scrollX, &l->scrollY, &Reader::RealValue) &&
           Pair(j, "parallax", path, &l->parallaxX, &l->parallaxY, &Reader::RealValue) &&
           Pair(j, "wrap", path, &l->wrapX, &l->wrapY, &Reader::WordValue) && Tiles(j, path, l);
  }

  bool Object(const Json& j, const std::string& path, MapObjectDescription* o) {
    if (!Keys(j, path, {"x", "y", "param", "x2", "y2", "param2", "type", "points", "closed", "value", "spawnId",
                        "flags", "ints", "reals"}))
      return false;
    if (!(Real(j, "x", path, 0, &o->x) && Real(j, "y", path, 0, &o->y) && Word(j, "param", path, 0, &o->param) &&
          Real(j, "x2", path, 0, &o->x2) && Real(j, "y2", path, 1, &o->y2) &&
          Word(j, "param2", path, 0, &o->param2) && Text(j, "type", path, &o->type) &&
          Word(j, "closed", path, 0, &o->closed) && Int32(j, "value", path, 0, &o->value) &&
          Int32(j, "spawnId", path, -1, &o->spawnId)))
      return false;
    if (j.contains("points") && !j["points"].is_null()) {
      const Json& pts = j["points"];
      std::string p = path + "/points";
      if (!pts.is_array()) return Fail(p, "must be a list of [x, y]");
      for (size_t i = 0; i < pts.size(); i++) {
        std::string pp = p + "/" + std::to_string(i);
        if (!pts[i].is_array() || pts[i].size() != 2) return Fail(pp, "must be [x, y]");
        MapPointDescription point;
        if (!RealValue(pts[i][0], pp + "/0", &point.x) || !RealValue(pts[i][1], pp + "/1", &point.y)) return false;
        o->points.push_back(point);
      }
    }
    // Optional fields: up to four each, null for absent; "flags" may say
    // outright which are written.
    uint32_t flags = 0;
    const char* keys[2] = {"ints", "reals"};
    for (int k = 0; k < 2; k++) {
      if (!j.contains(keys[k]) || j[keys[k]].is_null()) continue;
      const Json& list = j[keys[k]];
      std::string p = path + "/" + keys[k];
      if (!list.is_array() || list.size() > 4) return Fail(p, "must be a list of up to four values");
      for (size_t i = 0; i < list.size(); i++) {
        if (list[i].is_null()) continue;
        std::string ip = p + "/" + std::to_string(i);
        if (k == 0) {
          int64_t v;
          if (!Integer(list[i], ip, INT32_MIN, INT32_MAX, false, &v)) return false;
          o->ints[i] = static_cast<int32_t>(v);
        } else if (!RealValue(list[i], ip, &o->reals[i])) {
          return false;
        }
        flags |= 1u << (i + 4 * k);
      }
    }
    return Word(j, "flags", path, flags, &o->flags);
  }

  bool Map(const Json& j, MapDescription* m) {
    if (!Keys(j, "", {"version", "selectedLayer", "layers", "objectVersion", "objects", "selectedObject",
                      "selectedPoint"}))
      return false;
    if (!(Int32(j, "version", "", 1, &m->version) && Int32(j, "selectedLayer", "", 0, &m->selectedLayer) &&
          Int32(j, "objectVersion", "", 2, &m->objectVersion) &&
          Int32(j, "selectedObject", "", -1, &m->selectedObject) &&
          Int32(j, "selectedPoint", "", -1, &m->selectedPoint)))
      return false;
    if (m->version < 1) m->selectedLayer = 0;  // such files have no such field
    if (j.contains("layers") && !j["layers"].is_null()) {
      if (!j["layers"].is_array()) return Fail("/layers", "must be a list of layers");
      for (size_t i = 0; i < j["layers"].size(); i++) {
        MapLayerDescription l;
        if (!Layer(j["layers"][i], "/layers/" + std::to_string(i), &l)) return false;
        m->layers.push_back(std::move(l));
      }
    }
    if (j.contains("objects") && !j["objects"].is_null()) {
      if (!j["objects"].is_array()) return Fail("/objects", "must be a list of objects");
      for (size_t i = 0; i < j["objects"].size(); i++) {
        MapObjectDescription o;
        if (!Object(j["objects"][i], "/objects/" + std::to_string(i), &o)) return false;
        if (m->objectVersion < 2) o.x2 = o.y2 = 0, o.param2 = 0;
        if (m->objectVersion < 1) o.flags = 0;
        m->objects.push_back(std::move(o));
      }
    }
    return true;
  }
};

}  // namespace

int MapInfoJson(const char* mapPath, FILE* out, FILE* err) {
  std::string bytes;
  if (!ReadWhole(mapPath, &bytes, err, "map info")) return 1;
  MapDescription map;
  if (!DecodeMap(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), &map)) {
    fprintf(err, "zorta-tool map info: '%s' is %s\n", mapPath, map.reason.c_str());
    return 1;
  }
  std::vector<std::string> names = ProgramLayerNames(map);
  Json j;
  j["file"] = JsonTextFromBytes(mapPath);
  j["version"] = map.version;
  j["selectedLayer"] = map.selectedLayer;
  j["layerCount"] = map.storedLayerCount;
  Json layers = Json::array();
  for (size_t i = 0; i < map.layers.size(); i++) layers.push_back(LayerJson(map.layers[i], names[i]));
  j["layers"] = layers;
  j["objectVersion"] = map.objectVersion;
  j["objectCount"] = map.storedObjectCount;
  Json objects = Json::array();
  for (const MapObjectDescription& o : map.objects) objects.push_back(ObjectJson(o));
  j["objects"] = objects;
  j["selectedObject"] = map.hasSelection ? Json(map.selectedObject) : Json(nullptr);
  j["selectedPoint"] = map.hasSelection ? Json(map.selectedPoint) : Json(nullptr);
  j["complete"] = map.complete != 0;
  if (map.complete) {
    j["trailingBytes"] = map.trailingBytes;
  } else {
    // What the program keeps stops here: the block at this offset is dropped.
    j["offset"] = map.offset;
    j["reason"] = map.reason;
  }
  std::string text = JsonDump(j) + "\n";
  if (fwrite(text.data(), 1, text.size(), out) != text.size()) {
    fprintf(err, "zorta-tool map info: cannot write the description\n");
    return 1;
  }
  return 0;
}

int MapBuildFromJson(const char* jsonPath, const char* outPath, FILE* err) {
  const char* command = "map build";
  std::string error;
  if (!OutputIsNotInput(outPath, {jsonPath}, &error)) {
    fprintf(err, "zorta-tool %s: %s\n", command, error.c_str());
    return 1;
  }
  std::string text;
  if (!ReadWhole(jsonPath, &text, err, command)) return 1;
  Json doc;
  Collector collector(doc);
  std::vector<std::pair<size_t, size_t>> moved;
  std::string prepared = Prepared(text, &moved);
  // Strict: nothing but white space may follow the description.
  bool parsed = Json::sax_parse(prepared, &collector, nlohmann::detail::input_format_t::json, true);
  if (!collector.duplicate.empty()) {
    fprintf(err, "zorta-tool %s: %s: %s: is given more than once\n", command, jsonPath, collector.duplicate.c_str());
    return 1;
  }
  if (!parsed || !collector.error.empty()) {
    fprintf(err, "zorta-tool %s: %s: not valid JSON at %s\n", command, jsonPath,
            ParseErrorText(text, moved, collector.errorAt, collector.error).c_str());
    return 1;
  }
  MapDescription map;
  Reader reader;
  if (!reader.Map(doc, &map)) {
    fprintf(err, "zorta-tool %s: %s: %s: %s\n", command, jsonPath, reader.where.c_str(), reader.why.c_str());
    return 1;
  }
  // Every byte is made before the file is opened, so a refused description
  // never leaves a partial file.
  std::vector<uint8_t> bytes = EncodeMap(map);
  if (!WriteOutputFile(outPath, bytes.data(), bytes.size(), &error)) {
    fprintf(err, "zorta-tool %s: %s\n", command, error.c_str());
    return 1;
  }
  return 0;
}

}  // namespace zorta
