// Growable lists of uniquely named items, and folder listings.
#pragma once
#include <cstdint>

namespace zorta {

struct NamedItem {
  char* name;      // owned copy
  intptr_t spare;  // not used by the framework
  void* data;      // the owner's pointer; the list never frees it
  intptr_t value;  // reported by the list popup when the item is clicked
};

struct NamedListIndex;

struct NamedList {
  int32_t count;
  int32_t capacity;
  int32_t current;  // selected index, -1 for none
  NamedItem* items;
  // Owned lookup of the taken names, kept by AddItem and RemoveItem and freed
  // by ClearList; rebuilt when the items changed any other way.
  NamedListIndex* index;
};

extern NamedList TileSetList;
extern NamedList MapList;
extern NamedList LayerList;
extern NamedList ObjectTypeList;

// Adds an item under the name, made unique (ignoring case) by appending
// 1, 2, 3, ... when it is taken. Returns the new item.
NamedItem* AddItem(NamedList* list, const char* name);
// -1 once the item is gone; 0 (nothing changes) when it is not in the list.
int RemoveItem(NamedList* list, NamedItem* item);
void ClearList(NamedList* list);
NamedItem* FindItem(NamedList* list, const char* name);
NamedItem* ItemAt(NamedList* list, int index);
NamedItem* CurrentItem(NamedList* list);
int SelectItem(NamedList* list, NamedItem* item);
int SelectByData(NamedList* list, void* data);
void SortList(NamedList* list);
// Replaces the list's items with the folder entries matching the pattern
// ("Maps/*.*"), sorted, with nothing selected.
void ListFolder(NamedList* list, const char* pattern, int includeFolders, int stripExtensions);

}  // namespace zorta
