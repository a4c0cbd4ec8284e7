// Named lists: unique names, removal and selection, sorting, folder listings.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "io/file.h"
#include "io/named_list.h"

using namespace zorta;

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

std::vector<std::string> AddAll(NamedList* list, const std::vector<std::string>& names) {
  std::vector<std::string> out;
  for (const std::string& n : names) out.push_back(AddItem(list, n.c_str())->name);
  return out;
}

// A name that is itself a taken name plus a number, names that end in digits,
// the empty name, letter case and names past 255 characters: each gets the
// first free "%s%d" candidate, as a full search would find it.
TEST(NamedLists, UniqueNamesOnTrickyInterleavings) {
  using V = std::vector<std::string>;
  NamedList list = {};
  EXPECT_EQ(AddAll(&list, {"a", "a1", "a", "a2", "A"}), (V{"a", "a1", "a2", "a21", "A3"}));
  ClearList(&list);
  EXPECT_EQ(AddAll(&list, {"a", "a", "a1", "a1", "a"}), (V{"a", "a1", "a11", "a12", "a2"}));
  ClearList(&list);
  EXPECT_EQ(AddAll(&list, {"x1", "X1", "x11", "x1"}), (V{"x1", "X11", "x111", "x12"}));
  ClearList(&list);
  EXPECT_EQ(AddAll(&list, {"", "", "1", ""}), (V{"", "1", "11", "2"}));
  ClearList(&list);
  // Twelve of one name pass from one digit to two; the bytes from 128 up
  // have no letter case.
  V twelve(12, "z");
  V expected{"z"};
  for (int i = 1; i < 12; i++) expected.push_back("z" + std::to_string(i));
  EXPECT_EQ(AddAll(&list, twelve), expected);
  EXPECT_EQ(AddAll(&list, {"Z1", "\xC9", "\xE9", "\xC9"}), (V{"Z12", "\xC9", "\xE9", "\xC9" "1"}));
  ClearList(&list);
  // Sorting moves the items, not the names that are taken.
  EXPECT_EQ(AddAll(&list, {"b", "a", "B"}), (V{"b", "a", "B1"}));
  SortList(&list);
  EXPECT_EQ(AddAll(&list, {"b", "A"}), (V{"b2", "A1"}));
  ClearList(&list);
  // Around the 255-character mark nothing is cut.
  std::string n255(255, 'n'), n254 = std::string(254, 'n') + "N", n300(300, 'n');
  EXPECT_EQ(AddAll(&list, {n255, n255, n254, n300, n300}), (V{n255, n255 + "1", n254 + "2", n300, n300 + "1"}));
  ClearList(&list);
}

// A removed name is free again, for its own base and for every shorter base
// it extends with a number.
TEST(NamedLists, RemovedNamesAreTakenAgainFirst) {
  using V = std::vector<std::string>;
  NamedList list = {};
  EXPECT_EQ(AddAll(&list, {"m", "m", "m", "m"}), (V{"m", "m1", "m2", "m3"}));
  RemoveItem(&list, &list.items[1]);
  EXPECT_EQ(AddAll(&list, {"M"}), (V{"M1"}));
  RemoveItem(&list, &list.items[0]);
  EXPECT_EQ(AddAll(&list, {"m", "m"}), (V{"m", "m4"}));
  ClearList(&list);
  EXPECT_EQ(AddAll(&list, {"a1", "a1", "a1", "a", "a"}), (V{"a1", "a11", "a12", "a", "a2"}));
  RemoveItem(&list, FindItem(&list, "a12"));
  EXPECT_EQ(AddAll(&list, {"a1"}), (V{"a12"}));
  for (int i = 0; i < 12; i++) AddItem(&list, "a");
  EXPECT_EQ(std::string(list.items[list.count - 1].name), "a16");  // a3 to a16 but a11 and a12
  RemoveItem(&list, FindItem(&list, "A12"));
  RemoveItem(&list, FindItem(&list, "a3"));
  EXPECT_EQ(AddAll(&list, {"a", "a", "a1", "a"}), (V{"a3", "a12", "a17", "a18"}));
  // Digits past what an int holds are no number of any base.
  std::string zeros = "a" + std::string(30, '0'), nines = "a" + std::string(30, '9');
  AddAll(&list, {zeros, nines});
  RemoveItem(&list, FindItem(&list, zeros.c_str()));
  RemoveItem(&list, FindItem(&list, nines.c_str()));
  EXPECT_EQ(AddAll(&list, {"a", zeros}), (V{"a19", zeros}));
  // Emptied, the list starts afresh.
  ClearList(&list);
  EXPECT_EQ(AddAll(&list, {"a1", "a"}), (V{"a1", "a"}));
  ClearList(&list);
}

// Long random runs of adds, removals and sorts over names that extend each
// other by digits: every added name equals what a search of the whole list
// for "%s%d" with 1, 2, 3, ... gives.
TEST(NamedLists, UniqueNamesMatchAFullSearchThroughAddsRemovalsAndSorts) {
  const char* const bases[] = {"a", "A", "a1", "A1", "a11", "a12", "1", "", "b", "B2", "a10", "a0"};
  std::mt19937 random(7);
  NamedList list = {};
  for (int op = 0; op < 6000; op++) {
    int kind = static_cast<int>(random() % 100);
    if (kind < 70) {
      std::vector<std::string> names = Names(&list);
      auto taken = [&](const std::string& s) {
        for (const std::string& n : names)
          if (NamesEqual(s.c_str(), n.c_str())) return true;
        return false;
      };
      std::string name = bases[random() % (sizeof bases / sizeof bases[0])], expected = name;
      for (int n = 1; taken(expected); n++) expected = name + std::to_string(n);
      ASSERT_EQ(std::string(AddItem(&list, name.c_str())->name), expected) << op;
    } else if (kind < 95) {
      if (list.count > 0) RemoveItem(&list, &list.items[random() % list.count]);
    } else if (kind < 99) {
      SortList(&list);
    } else {
      ClearList(&list);
    }
  }
  ClearList(&list);
}

// Twenty thousand layers of one name: every one gets its own number, in order.
TEST(NamedLists, TwentyThousandOfOneName) {
  NamedList list = {};
  for (int i = 0; i < 20000; i++) AddItem(&list, "Layer");
  ASSERT_EQ(list.count, 20000);
  EXPECT_STREQ(list.items[0].name, "Layer");
  for (int i = 1; i < 20000; i++) ASSERT_EQ(std::string(list.items[i].name), "Layer" + std::to_string(i)) << i;
  // Taken back from the end, as a map is freed, and added again: the same names.
  while (list.count > 10000) RemoveItem(&list, &list.items[list.count - 1]);
  for (int i = 0; i < 10000; i++) AddItem(&list, "LAYER");
  ASSERT_EQ(list.count, 20000);
  EXPECT_STREQ(list.items[10000].name, "LAYER10000");
  EXPECT_STREQ(list.items[19999].name, "LAYER19999");
  ClearList(&list);
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
