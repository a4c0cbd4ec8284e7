// Growable lists of uniquely named items: the maps, tile sets, layers and
// object types the framework knows, and folder listings.
#pragma once
#include <cstdint>

namespace zorta {

/// One entry of a NamedList.
struct NamedItem {
  char* name;      // owned copy
  intptr_t spare;  // not used by the framework
  void* data;      // the owner's pointer; the list never frees it
  intptr_t value;  // reported by the list popup when the item is clicked
};

/// The lookup a NamedList keeps of its taken names (the list's own).
struct NamedListIndex;

/// A list of items whose names are unique, ignoring case.
struct NamedList {
  int32_t count;     // items in use
  int32_t capacity;  // items room is kept for, grown 32 at a time
  int32_t current;  // selected index, -1 for none
  NamedItem* items;  // count items, null until the first; adding or removing one may move the others
  // Owned lookup of the taken names, kept by AddItem and RemoveItem and freed
  // by ClearList; rebuilt when the items changed any other way.
  NamedListIndex* index;
};

/// The files of TileSets/, sorted.
extern NamedList TileSetList;
/// The files of Maps/, sorted: the levels a program can start.
extern NamedList MapList;
/// The layers of the current map, in drawing order.
extern NamedList LayerList;
/// The registered object types.
extern NamedList ObjectTypeList;

/// Adds an item under the name, made unique (ignoring case) by appending 1, 2, 3, ...; returns it.
NamedItem* AddItem(NamedList* list, const char* name);
/// -1 once the item is gone; 0 (nothing changes) when it is not in the list.
int RemoveItem(NamedList* list, NamedItem* item);
/// Empties the list and frees its names.
void ClearList(NamedList* list);
/// The item of that name (ignoring case), or null.
NamedItem* FindItem(NamedList* list, const char* name);
/// The item at the index, or null.
NamedItem* ItemAt(NamedList* list, int index);
/// The selected item, or null.
NamedItem* CurrentItem(NamedList* list);
/// Selects the item; -1 when it is in the list.
int SelectItem(NamedList* list, NamedItem* item);
/// Selects the first item holding that data pointer; -1 when one does.
int SelectByData(NamedList* list, void* data);
/// Sorts the items by name.
void SortList(NamedList* list);
/// Replaces the items with the folder entries matching the pattern ("Maps/*.*"), sorted, none selected.
void ListFolder(NamedList* list, const char* pattern, int includeFolders, int stripExtensions);

}  // namespace zorta
