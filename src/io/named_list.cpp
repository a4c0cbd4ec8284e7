#include "io/named_list.h"

#include <cstdlib>

NamedList TileSetList;
NamedList MapList;
NamedList LayerList;
NamedList ObjectTypeList;

// Filled in with the named lists.
void ClearList(NamedList* list) {
  for (int i = 0; i < list->count; i++) free(list->items[i].name);
  free(list->items);
  list->items = nullptr;
  list->count = 0;
  list->capacity = 0;
}
void ListFolder(NamedList*, const char*, int, int) {}
