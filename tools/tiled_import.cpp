#include "tiled_import.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "output_file.h"

namespace zorta {

namespace {

bool Fail(std::string* error, const std::string& text) {
  *error = text;
  return false;
}

bool MakeFolder(const std::string& path, std::string* error) {
  if (mkdir(path.c_str(), 0777) == 0 || errno == EEXIST) return true;
  return Fail(error, "cannot make folder '" + path + "': " + strerror(errno));
}

}  // namespace

bool ImportTiledFile(const std::string& mapPath, const std::string& outDir, TiledImport* imported,
                     std::string* mapFile, std::string* error) {
  std::string name = TiledMapName(mapPath);
  TiledMap tiled;
  if (!ReadTiledMap(mapPath, &tiled, error) || !ImportTiledMap(tiled, name, imported, error)) return false;
  // Every file the map was read from: an output may be none of them (a
  // picture kept where its tile set is to go would be lost).
  std::vector<std::string> inputs = {mapPath};
  for (const TiledTileSet& set : tiled.tileSets) {
    inputs.push_back(set.file);
    if (!set.image.empty()) inputs.push_back(set.image);
    for (const TiledTile& tile : set.tiles)
      if (!tile.image.empty()) inputs.push_back(tile.image);
  }
  std::vector<std::string> sources, outputs;
  std::vector<uint8_t> mapBytes = EncodeMap(imported->map);
  outputs.push_back(outDir + "/Maps/" + name + ".map");
  sources.push_back(mapPath);
  for (const ImportedTileSet& set : imported->tileSets) {
    outputs.push_back(outDir + "/" + set.path);
    sources.push_back(mapPath);
  }
  if (!OutputsAreDistinct(sources, outputs, inputs, error) || !MakeFolder(outDir, error) ||
      !MakeFolder(outDir + "/Maps", error) || !MakeFolder(outDir + "/TileSets", error))
    return false;
  // Every file is written whole beside the others first, then each is moved
  // into place (tile sets first, so a map never stands without what it draws
  // from); a failure before the moves leaves every earlier file as it was.
  for (const std::string& path : outputs) {
    struct stat st;
    if (lstat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode))
      return Fail(error, "'" + path + "' is there and is not a file");
  }
  std::string staging = outDir + "/.import-" + std::to_string(getpid());
  if (!MakeFolder(staging, error)) return false;
  std::vector<std::string> staged;
  bool ok = true;
  for (size_t i = 0; i < outputs.size() && ok; i++) {
    const std::vector<uint8_t>& bytes = i == 0 ? mapBytes : imported->tileSets[i - 1].bytes;
    staged.push_back(staging + "/" + std::to_string(i));
    ok = WriteOutputFile(staged.back(), bytes.data(), bytes.size(), error);
  }
  for (size_t i = 0; i < outputs.size() && ok; i++) {
    size_t k = (i + 1) % outputs.size();  // the map last
    if (rename(staged[k].c_str(), outputs[k].c_str()) != 0) {
      *error = "cannot put '" + outputs[k] + "' in place: " + strerror(errno);
      ok = false;
    }
  }
  for (const std::string& path : staged) unlink(path.c_str());
  rmdir(staging.c_str());
  *mapFile = outputs[0];
  return ok;
}

int MapImportCommand(const char* mapPath, const char* outDir, FILE* out, FILE* err) {
  std::string error, mapFile;
  TiledImport imported;
  if (!ImportTiledFile(mapPath, outDir, &imported, &mapFile, &error)) {
    fprintf(err, "zorta-tool map import: %s\n", error.c_str());
    return 1;
  }
  fprintf(out, "%s: %zu layers, %zu objects\n", mapFile.c_str(), imported.map.layers.size(),
          imported.map.objects.size());
  for (const std::string& note : imported.notes) fprintf(out, "  %s\n", note.c_str());
  return 0;
}

}  // namespace zorta
