// Named lists: unique names, removal and selection, sorting, folder listings.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdio>
#include <string>
#include <vector>

#include "io/file.h"
#include "io/named_list.h"

namespace {

std::vector<std::string> Names(NamedList* list) {
  std::vector<std::string> out;
  for (int i = 0; i < list->count; i++) out.push_back(list->items[i].name);
  return out;
}

void Touch(const std::string& path) {
  FILE* f = fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  fclose(f);
}

TEST(NamedLists, NamesAreMadeUniqueIgnoringCase) {
  NamedList list = {};
  AddItem(&list, "Layer");
  AddItem(&list, "layer");
  AddItem(&list, "LAYER");
  EXPECT_EQ(Names(&list), (std::vector<std::string>{"Layer", "layer1", "LAYER2"}));
  NamedList maps = {};
  AddItem(&maps, "main");
  AddItem(&maps, "Main");
  AddItem(&maps, "Main");
  EXPECT_EQ(Names(&maps), (std::vector<std::string>{"main", "Main1", "Main2"}));
  EXPECT_EQ(FindItem(&maps, "MAIN1"), &maps.items[1]);
  EXPECT_EQ(FindItem(&maps, "main3"), nullptr);
  // Long names are kept whole, also when a number is appended.
  std::string longName(400, 'n');
  NamedItem* a = AddItem(&maps, longName.c_str());
  NamedItem* b = AddItem(&maps, longName.c_str());
  EXPECT_EQ(std::string(a->name), longName);
  EXPECT_EQ(std::string(b->name), longName + "1");
  ClearList(&list);
  ClearList(&maps);
  EXPECT_EQ(list.items, nullptr);
  EXPECT_EQ(list.capacity, 0);
}

TEST(NamedLists, GrowthAndItemAt) {
  NamedList list = {};
  for (int i = 0; i < 30; i++) AddItem(&list, ("item" + std::to_string(i)).c_str());
  EXPECT_EQ(list.capacity, 32);
  NamedItem* added = AddItem(&list, "thirty");
  EXPECT_EQ(list.capacity, 64);
  EXPECT_EQ(list.count, 31);
  EXPECT_EQ(added, &list.items[30]);
  EXPECT_EQ(added->data, nullptr);
  EXPECT_EQ(added->value, 0);
  EXPECT_EQ(ItemAt(&list, 31), nullptr);
  EXPECT_EQ(ItemAt(&list, -1), nullptr);
  EXPECT_STREQ(ItemAt(&list, 30)->name, "thirty");
  ClearList(&list);
}

TEST(NamedLists, RemoveAndSelect) {
  NamedList list = {};
  AddItem(&list, "a")->data = &list;
  AddItem(&list, "b");
  AddItem(&list, "c");
  list.current = -1;
  EXPECT_EQ(CurrentItem(&list), nullptr);
  EXPECT_EQ(SelectItem(&list, nullptr), 0);
  EXPECT_EQ(SelectItem(&list, &list.items[1]), -1);
  EXPECT_EQ(list.current, 1);
  // Removing an earlier item leaves current as it is.
  EXPECT_EQ(RemoveItem(&list, &list.items[0]), -1);
  EXPECT_EQ(Names(&list), (std::vector<std::string>{"b", "c"}));
  EXPECT_EQ(list.current, 1);
  // Removing the last item while it is current moves to the new last.
  EXPECT_EQ(RemoveItem(&list, &list.items[1]), -1);
  EXPECT_EQ(list.current, 0);
  EXPECT_STREQ(CurrentItem(&list)->name, "b");
  EXPECT_EQ(SelectByData(&list, &list), 0);
  list.items[0].data = &list;
  list.current = -1;
  EXPECT_EQ(SelectByData(&list, &list), -1);
  EXPECT_EQ(list.current, 0);
  // An item that is not in the list is left alone.
  NamedItem stray = {};
  EXPECT_EQ(RemoveItem(&list, &stray), 0);
  EXPECT_EQ(list.count, 1);
  ClearList(&list);
}

TEST(NamedLists, SortOrder) {
  NamedList list = {};
  for (const char* n : {"map", "b", "\xE9t\xE9", "map2", "B", "a"}) AddItem(&list, n);
  SortList(&list);
  EXPECT_EQ(Names(&list), (std::vector<std::string>{"\xE9t\xE9", "B1", "a", "b", "map2", "map"}));
  ClearList(&list);
}

TEST(NamedLists, ListFolder) {
  mkdir("Listing", 0755);
  mkdir("Listing/old", 0755);
  Touch("Listing/b.map");
  Touch("Listing/A.map");
  Touch("Listing/a2.map");
  NamedList list = {};
  ListFolder(&list, "Listing/*.*", 0, 0);
  EXPECT_EQ(Names(&list), (std::vector<std::string>{"A.map", "a2.map", "b.map"}));
  EXPECT_EQ(list.current, -1);
  ListFolder(&list, "Listing/*.*", -1, 0);
  EXPECT_EQ(Names(&list), (std::vector<std::string>{"<dir> ..", "<dir> old", "A.map", "a2.map", "b.map"}));

  mkdir("Levels", 0755);
  Touch("Levels/level.1.map");
  Touch("Levels/level.2.map");
  Touch("Levels/intro");
  ListFolder(&list, "Levels/*.*", 0, -1);
  EXPECT_EQ(Names(&list), (std::vector<std::string>{"intro", "level1", "level"}));
  ListFolder(&list, "Levels/*.MAP", 0, 0);  // letter case does not matter
  EXPECT_EQ(Names(&list), (std::vector<std::string>{"level.1.map", "level.2.map"}));

  list.current = 1;
  ListFolder(&list, "Nowhere/*.*", 0, 0);
  EXPECT_EQ(list.count, 0);
  EXPECT_EQ(list.current, -1);
  ListFolder(&list, "Levels/*.png", 0, 0);
  EXPECT_EQ(list.count, 0);
  ClearList(&list);
}

}  // namespace
