#include "settings/read_only_list.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "settings/settings.h"

namespace {

std::vector<std::string> frontToBack(const ReadOnlyList& list) {
  std::vector<std::string> paths;
  for (const auto& entry : list) paths.push_back(entry.path);
  return paths;
}

std::vector<std::string> backToFront(const ReadOnlyList& list) {
  std::vector<std::string> paths;
  for (auto it = list.rbegin(); it != list.rend(); ++it) paths.push_back(it->path);
  return paths;
}

using Paths = std::vector<std::string>;

TEST(ReadOnlyList, TouchMovesToFrontAndEvictsTheLeastRecent) {
  ReadOnlyList list;
  list.setCapacity(3);
  for (const char* p : {"C", "B", "A"}) list.touch(p);
  ASSERT_EQ(frontToBack(list), (Paths{"A", "B", "C"}));

  list.touch("D");
  EXPECT_EQ(frontToBack(list), (Paths{"D", "A", "B"}));
  list.touch("B");
  EXPECT_EQ(frontToBack(list), (Paths{"B", "D", "A"}));
  EXPECT_EQ(backToFront(list), (Paths{"A", "D", "B"}));
  EXPECT_EQ(list.size(), 3);
}

TEST(ReadOnlyList, PathsThatDifferOnlyInCaseAreTwoEntries) {
  ReadOnlyList list;
  list.touch("C:\\Docs\\memo.vtxt") = true;
  list.touch("c:\\docs\\MEMO.vtxt") = false;
  EXPECT_EQ(list.size(), 2);
  EXPECT_TRUE(list.touch("C:\\Docs\\memo.vtxt"));
  EXPECT_EQ(list.size(), 2);
}

TEST(ReadOnlyList, FlagKeepsItsValueAndReferenceAcrossMoves) {
  ReadOnlyList list;
  bool& first = list.touch("first");
  first = true;
  list.touch("second");
  list.touch("third");
  list.touch("first");  // relinked, not copied
  first = false;
  EXPECT_FALSE(list.touch("first"));
  EXPECT_EQ(list.begin()->path, "first");
}

TEST(ReadOnlyList, NewEntriesTakeTheCurrentValueOfTheBoundFlag) {
  bool mode = true;
  ReadOnlyList list(&mode);
  EXPECT_TRUE(list.touch("opened read-only"));
  mode = false;
  EXPECT_FALSE(list.touch("opened for editing"));
  EXPECT_TRUE(list.touch("opened read-only"));  // an existing entry keeps its own flag
}

TEST(ReadOnlyList, SetCapacityKeepsTheMostRecentAndClearKeepsTheCapacity) {
  ReadOnlyList list;
  for (const char* p : {"5", "4", "3", "2", "1"}) list.touch(p);
  list.setCapacity(2);
  EXPECT_EQ(frontToBack(list), (Paths{"1", "2"}));
  list.touch("new");
  EXPECT_EQ(frontToBack(list), (Paths{"new", "1"}));
  list.clear();
  EXPECT_TRUE(list.empty());
  EXPECT_EQ(list.capacity(), 2);
}

TEST(ReadOnlyList, TouchWithoutCapacityStillReturnsALiveFlag) {
  ReadOnlyList list;
  list.setCapacity(0);
  EXPECT_EQ(list.size(), 0);
  bool& flag = list.touch("x");  // must not point into an evicted entry
  flag = true;
  EXPECT_EQ(frontToBack(list), (Paths{"x"}));
  list.touch("y");
  EXPECT_EQ(frontToBack(list), (Paths{"y"}));
}

TEST(SettingsRecord, CopiesBindTheirListToTheirOwnReadOnlyMode) {
  auto original = std::make_unique<Settings>();
  original->readOnly = true;
  original->readOnlyList.touch("kept");
  Settings copy(*original);
  Settings assigned;
  assigned = *original;
  original.reset();  // a copy that still pointed into it would now dangle

  EXPECT_EQ(frontToBack(copy.readOnlyList), (Paths{"kept"}));
  copy.readOnly = false;
  EXPECT_FALSE(copy.readOnlyList.touch("after copy"));
  copy.readOnly = true;
  EXPECT_TRUE(copy.readOnlyList.touch("after copy 2"));
  assigned.readOnly = false;
  EXPECT_FALSE(assigned.readOnlyList.touch("after assignment"));
}

}  // namespace
