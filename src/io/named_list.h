// Growable lists of uniquely named items, and folder listings.
#pragma once
#include <cstdint>

struct NamedItem {
  char* name;
  intptr_t spare;
  void* data;
  intptr_t value;
};

struct NamedList {
  int32_t count;
  int32_t capacity;
  int32_t current;
  NamedItem* items;
};

extern NamedList TileSetList;
extern NamedList MapList;
extern NamedList LayerList;
extern NamedList ObjectTypeList;

void ClearList(NamedList* list);
void ListFolder(NamedList* list, const char* pattern, int includeFolders, int stripExtensions);
