#include "io/named_list.h"

#include <climits>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <unordered_map>

#include "io/file.h"
#include "platform/folder.h"

namespace zorta {

NamedList TileSetList;
NamedList MapList;
NamedList LayerList;
NamedList ObjectTypeList;

// The taken names, folded to small letters, so that making a name unique
// costs a few lookups instead of a search of the whole list per candidate;
// and per folded base name the first number worth trying, every lower one
// being taken. Numbers are still tried in turn from there, so the chosen
// name is the one a full search from 1 would find.
struct NamedListIndex {
  const NamedItem* items;  // the block and count this index describes
  int32_t count;
  std::unordered_map<std::string, int32_t> taken;       // folded name -> items
  std::unordered_map<std::string, int32_t> nextNumber;  // folded base -> number
};

namespace {
// Folds the case the way NamesEqual ignores it: ASCII letters only.
std::string Folded(const char* name) {
  std::string key(name);
  for (char& c : key)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return key;
}

// The list's index, built afresh when the list no longer matches it.
NamedListIndex* SyncIndex(NamedList* list) {
  NamedListIndex* index = list->index;
  if (index != nullptr && index->items == list->items && index->count == list->count) return index;
  if (index == nullptr) {
    index = new (std::nothrow) NamedListIndex();
    if (index == nullptr) return nullptr;
    list->index = index;
  }
  index->taken.clear();
  index->nextNumber.clear();
  for (int i = 0; i < list->count; i++)
    if (list->items[i].name != nullptr) index->taken[Folded(list->items[i].name)]++;
  index->items = list->items;
  index->count = list->count;
  return index;
}

// A name that is free again may be the number n of any base that it extends
// by "%d" digits; such a base must try n again.
void FreeNumbers(NamedListIndex* index, const std::string& key) {
  long long n = 0, scale = 1;
  // An int has at most 10 digits.
  for (size_t k = key.size(); k > 0 && scale <= 1000000000; k--) {
    char c = key[k - 1];
    if (c < '0' || c > '9') break;
    n += (c - '0') * scale;
    if (n > INT_MAX) break;
    scale *= 10;
    if (c == '0') continue;  // "%d" writes no leading zero
    auto hint = index->nextNumber.find(key.substr(0, k - 1));
    if (hint != index->nextNumber.end() && hint->second > n) hint->second = static_cast<int32_t>(n);
  }
}
}  // namespace

NamedItem* AddItem(NamedList* list, const char* name) {
  if (list == nullptr) return nullptr;
  if (name == nullptr) name = "";
  // Checked before growing: growth moves the block the index was made for.
  NamedListIndex* index = SyncIndex(list);
  if (index == nullptr) return nullptr;
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
  index->items = list->items;
  std::string key = Folded(name);
  char* chosen = nullptr;
  if (index->taken.find(key) == index->taken.end()) {
    chosen = StrDup(name);
  } else {
    // Sized to the name, so long names are kept whole rather than cut.
    size_t room = strlen(name) + 16;
    chosen = static_cast<char*>(MemAlloc(room));
    if (chosen == nullptr) return nullptr;
    int32_t& next = index->nextNumber[key];
    int n = next > 0 ? next : 1;
    std::string candidate;
    for (;; n++) {
      candidate = key + std::to_string(n);
      if (index->taken.find(candidate) == index->taken.end()) break;
    }
    next = n + 1;
    snprintf(chosen, room, "%s%d", name, n);
    key = candidate;
  }
  if (chosen == nullptr) return nullptr;
  NamedItem* item = &list->items[list->count];
  memset(item, 0, sizeof *item);
  item->name = chosen;
  list->count++;
  index->taken[key]++;
  index->count = list->count;
  return item;
}

int RemoveItem(NamedList* list, NamedItem* item) {
  if (list == nullptr || item == nullptr || list->items == nullptr) return 0;
  if (item < list->items || item >= list->items + list->count) return 0;
  NamedListIndex* index = SyncIndex(list);
  if (index != nullptr && item->name != nullptr) {
    std::string key = Folded(item->name);
    auto taken = index->taken.find(key);
    if (taken != index->taken.end() && --taken->second <= 0) {
      index->taken.erase(taken);
      FreeNumbers(index, key);
    }
  }
  int at = static_cast<int>(item - list->items);
  MemFree(item->name);
  memmove(&list->items[at], &list->items[at + 1], static_cast<size_t>(list->count - at - 1) * sizeof(NamedItem));
  list->count--;
  if (list->current >= list->count) list->current--;
  if (index != nullptr) index->count = list->count;
  return -1;
}

void ClearList(NamedList* list) {
  if (list == nullptr) return;
  for (int i = 0; i < list->count; i++) MemFree(list->items[i].name);
  MemFree(list->items);
  list->items = nullptr;
  list->count = 0;
  list->capacity = 0;
  delete list->index;
  list->index = nullptr;
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

}  // namespace zorta
