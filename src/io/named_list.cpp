#include "io/named_list.h"

#include <cstdio>
#include <cstring>

#include "io/file.h"
#include "platform/folder.h"

NamedList TileSetList;
NamedList MapList;
NamedList LayerList;
NamedList ObjectTypeList;

NamedItem* AddItem(NamedList* list, const char* name) {
  if (list == nullptr) return nullptr;
  if (name == nullptr) name = "";
  if (list->items == nullptr) {
    list->items = static_cast<NamedItem*>(MemAllocZero(32 * sizeof(NamedItem)));
    if (list->items == nullptr) return nullptr;
    list->capacity = 32;
  } else if (list->count + 2 >= list->capacity) {
    void* grown = MemRealloc(list->items, (static_cast<size_t>(list->capacity) + 32) * sizeof(NamedItem));
    if (grown == nullptr) return nullptr;
    list->items = static_cast<NamedItem*>(grown);
    list->capacity += 32;
  }
  char* chosen = nullptr;
  if (FindItem(list, name) == nullptr) {
    chosen = StrDup(name);
  } else {
    // Sized to the name, so long names are kept whole rather than cut.
    size_t room = strlen(name) + 16;
    chosen = static_cast<char*>(MemAlloc(room));
    if (chosen == nullptr) return nullptr;
    for (int n = 1;; n++) {
      snprintf(chosen, room, "%s%d", name, n);
      if (FindItem(list, chosen) == nullptr) break;
    }
  }
  if (chosen == nullptr) return nullptr;
  NamedItem* item = &list->items[list->count];
  memset(item, 0, sizeof *item);
  item->name = chosen;
  list->count++;
  return item;
}

int RemoveItem(NamedList* list, NamedItem* item) {
  if (list == nullptr || item == nullptr || list->items == nullptr) return 0;
  if (item < list->items || item >= list->items + list->count) return 0;
  int index = static_cast<int>(item - list->items);
  MemFree(item->name);
  memmove(&list->items[index], &list->items[index + 1],
          static_cast<size_t>(list->count - index - 1) * sizeof(NamedItem));
  list->count--;
  if (list->current >= list->count) list->current--;
  return -1;
}

void ClearList(NamedList* list) {
  if (list == nullptr) return;
  for (int i = 0; i < list->count; i++) MemFree(list->items[i].name);
  MemFree(list->items);
  list->items = nullptr;
  list->count = 0;
  list->capacity = 0;
}

NamedItem* FindItem(NamedList* list, const char* name) {
  if (list == nullptr || name == nullptr) return nullptr;
  for (int i = 0; i < list->count; i++)
    if (NamesEqual(name, list->items[i].name)) return &list->items[i];
  return nullptr;
}

NamedItem* ItemAt(NamedList* list, int index) {
  if (list == nullptr || index < 0 || index >= list->count) return nullptr;
  return &list->items[index];
}

NamedItem* CurrentItem(NamedList* list) {
  if (list == nullptr) return nullptr;
  return ItemAt(list, list->current);
}

int SelectItem(NamedList* list, NamedItem* item) {
  if (list == nullptr || item == nullptr) return 0;
  if (item < list->items || item >= list->items + list->count) return 0;
  list->current = static_cast<int32_t>(item - list->items);
  return -1;
}

int SelectByData(NamedList* list, void* data) {
  if (list == nullptr) return 0;
  for (int i = 0; i < list->count; i++) {
    if (list->items[i].data == data) {
      list->current = i;
      return -1;
    }
  }
  return 0;
}

// Byte by byte as signed chars, so capitals come before small letters and
// bytes from 128 up before everything; a name sorts after its own extensions.
static int SortsBefore(const char* a, const char* b) {
  for (size_t k = 0;; k++) {
    signed char ca = static_cast<signed char>(a[k]);
    signed char cb = static_cast<signed char>(b[k]);
    if (cb == 0) return ca != 0;
    if (ca == 0) return 0;
    if (ca != cb) return ca < cb;
  }
}

void SortList(NamedList* list) {
  if (list == nullptr || list->count < 2) return;
  for (;;) {
    int swapped = 0;
    for (int i = 0; i + 1 < list->count; i++) {
      // Swapping only on strict order keeps equal names from swapping forever.
      if (SortsBefore(list->items[i + 1].name, list->items[i].name)) {
        NamedItem t = list->items[i];
        list->items[i] = list->items[i + 1];
        list->items[i + 1] = t;
        swapped = -1;
      }
    }
    if (!swapped) break;
  }
}

void ListFolder(NamedList* list, const char* pattern, int includeFolders, int stripExtensions) {
  if (list == nullptr) return;
  ClearList(list);
  WIN32_FIND_DATAA found;
  FindHandle search = FindFirstFileA(pattern, &found);
  if (search != INVALID_FIND_HANDLE) {
    do {
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        if (!includeFolders || strcmp(found.cFileName, ".") == 0) continue;
        char name[sizeof found.cFileName + 8];
        snprintf(name, sizeof name, "<dir> %s", found.cFileName);
        AddItem(list, name);
      } else {
        if (stripExtensions) {
          char* dot = strchr(found.cFileName, '.');
          if (dot != nullptr) *dot = 0;
        }
        AddItem(list, found.cFileName);
      }
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
  SortList(list);
  list->current = -1;
}
