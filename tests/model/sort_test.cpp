#include <gtest/gtest.h>

#include "model/list_window.h"
#include "resources/resource.h"
#include "tests/model/model_test_support.h"

namespace qv {
namespace {

using test::Local;
using test::Task;
using Texts = std::vector<std::u16string>;

class Sorting : public test::ModelTest {
 protected:
  void SetUp() override { list = AddListWindow(ws, 1, u"List")->window.get(); }

  void Add(const char16_t* name, std::uint32_t priority, SYSTEMTIME deadline = {}) {
    AppendTaskCopy(*list, Task(name, priority, deadline));
  }

  CGenWindow* list = nullptr;
};

TEST_F(Sorting, DescentIsIncreasingAndAscentDecreasing) {
  Add(u"low", 10);
  Add(u"high", 90);
  Add(u"mid", 50);
  list->sortType = 3;
  list->sortAscent = 1;
  SortTasks(*list);
  EXPECT_EQ(Names(*list), (Texts{u"high", u"mid", u"low"}));
  list->sortDescent = 1;  // both set, as a file may have them: increasing wins
  SortTasks(*list);
  EXPECT_EQ(Names(*list), (Texts{u"low", u"mid", u"high"}));
}

TEST_F(Sorting, UnsetTimesComeFirstInIncreasingOrder) {
  Add(u"later", 0, Local(2027, 5, 1));
  Add(u"unset", 0);
  Add(u"sooner", 0, Local(2027, 4, 1, 23, 59));
  Add(u"invalid", 0, Local(2027, 2, 30));
  list->sortType = 1;
  list->sortDescent = 1;
  SortTasks(*list);
  EXPECT_EQ(Names(*list)[2], u"sooner");
  EXPECT_EQ(Names(*list)[3], u"later");

  list->tasks[3]->task.startTime = Local(2026, 1, 1);
  list->sortType = 0;
  PressSortAscent(*list, true);
  EXPECT_EQ(Names(*list)[0], u"later");
}

TEST_F(Sorting, NoFlagOrAnUnknownKeyKeepsTheOrder) {
  Add(u"b", 2);
  Add(u"c", 3);
  Add(u"a", 1);
  list->sortType = 3;
  SortTasks(*list);
  EXPECT_EQ(Names(*list), (Texts{u"b", u"c", u"a"}));
  list->sortDescent = 1;
  list->sortType = 7;
  SortTasks(*list);
  EXPECT_EQ(Names(*list), (Texts{u"b", u"c", u"a"}));
  for (const SortMenuItem& item : SortMenuItems(*list)) EXPECT_FALSE(item.checked);
}

TEST_F(Sorting, PressingOneButtonReleasesTheOtherAndReleasingKeepsTheOrder) {
  Add(u"b", 2);
  Add(u"a", 1);
  Add(u"c", 3);
  list->sortType = 3;
  PressSortDescent(*list, true);
  EXPECT_EQ(Names(*list), (Texts{u"a", u"b", u"c"}));
  PressSortAscent(*list, true);
  EXPECT_EQ(list->sortDescent, 0u);
  EXPECT_EQ(Names(*list), (Texts{u"c", u"b", u"a"}));
  PressSortAscent(*list, false);
  EXPECT_EQ(list->sortAscent, 0u);
  EXPECT_EQ(list->sortDescent, 0u);
  ChooseSortKey(*list, 0);
  EXPECT_EQ(Names(*list), (Texts{u"c", u"b", u"a"}));
  EXPECT_GE(static_cast<const HeadlessListView&>(list->view()).layouts(), 4);
}

TEST_F(Sorting, TheSortMenuOffersSolvedTimeInLogListsOnly) {
  const auto texts = [](const CGenWindow& l) {
    std::vector<std::u16string> out;
    for (const SortMenuItem& item : SortMenuItems(l)) out.push_back(item.text);
    return out;
  };
  EXPECT_EQ(texts(*list), (Texts{u"Start time", u"Deadline", u"Priority", u"Difficulty"}));
  CGenWindow& log = *AddListWindow(ws, 4, u"Log")->window;
  log.sortType = 2;
  EXPECT_EQ(texts(log),
            (Texts{u"Start time", u"Deadline", u"Solved Time", u"Priority", u"Difficulty"}));
  EXPECT_TRUE(SortMenuItems(log)[2].checked);
  EXPECT_EQ(SortTypeForCommand(IDM_SORT_SOLVED_TIME), 2u);
  EXPECT_EQ(SortTypeForCommand(IDM_SORT_DIFFICULTY), 4u);
  EXPECT_EQ(SortTypeForCommand(IDM_EXIT), std::nullopt);
}

}  // namespace
}  // namespace qv
