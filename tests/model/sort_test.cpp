#include <gtest/gtest.h>

#include <tuple>

#include "model/list_window.h"
#include "resources/resource.h"
#include "tests/model/model_test_support.h"

namespace qv::test {
namespace {

using Texts = std::vector<std::u16string>;

class Sorting : public ModelTest {
 protected:
  CGenWindow* list = AddListWindow(ws, 1, u"List")->window.get();
};

TEST_F(Sorting, DescentIsIncreasingAscentDecreasingAndNoFlagOrAnUnknownKeyKeepsTheOrder) {
  const std::tuple<std::uint32_t, std::uint32_t, std::uint32_t, Texts> cases[] = {
      {3, 0, 1, {u"c", u"b", u"a"}},
      {3, 1, 1, {u"a", u"b", u"c"}},  // both set, as a file may have them: increasing wins
      {3, 0, 0, {u"b", u"c", u"a"}},
      {7, 1, 0, {u"b", u"c", u"a"}},
  };
  for (const auto& [type, descent, ascent, expected] : cases) {
    CGenWindow& l = *AddListWindow(ws, 1, u"L")->window;
    for (const auto& [name, priority] : {std::pair{u"b", 2}, {u"c", 3}, {u"a", 1}}) {
      AppendTaskCopy(l, Task(name, priority));
    }
    l.sortType = type;
    l.sortDescent = descent;
    l.sortAscent = ascent;
    SortTasks(l);
    EXPECT_EQ(Names(l), expected) << type << descent << ascent;
  }
}

TEST_F(Sorting, UnsetTimesComeFirstInIncreasingOrder) {
  AppendTaskCopy(*list, Task(u"later", 0, Local(2027, 5, 1)));
  AppendTaskCopy(*list, Task(u"unset"));
  AppendTaskCopy(*list, Task(u"sooner", 0, Local(2027, 4, 1, 23, 59)));
  AppendTaskCopy(*list, Task(u"invalid", 0, Local(2027, 2, 30)));
  list->sortType = 1;
  list->sortDescent = 1;
  SortTasks(*list);
  EXPECT_EQ(Names(*list)[2] + u", " + Names(*list)[3], u"sooner, later");

  list->tasks[3]->task.startTime = Local(2026, 1, 1);
  list->sortType = 0;
  PressSortAscent(*list, true);
  EXPECT_EQ(Names(*list)[0], u"later");
}

// Deadlines run against priorities, so that each step shows in the order.
TEST_F(Sorting, EachPressSortsAndLaysOutAndPressingOneButtonReleasesTheOther) {
  AppendTaskCopy(*list, Task(u"b", 2, Local(2027, 4, 2)));
  AppendTaskCopy(*list, Task(u"a", 1, Local(2027, 4, 3)));
  AppendTaskCopy(*list, Task(u"c", 3, Local(2027, 4, 1)));
  list->sortType = 3;
  PressSortAscent(*list, true);
  PressSortDescent(*list, true);
  EXPECT_EQ(Names(*list), (Texts{u"a", u"b", u"c"}));
  EXPECT_EQ(list->sortAscent, 0u);
  PressSortAscent(*list, true);
  EXPECT_EQ(Names(*list), (Texts{u"c", u"b", u"a"}));
  ChooseSortKey(*list, 1);
  EXPECT_EQ(Names(*list), (Texts{u"a", u"b", u"c"}));
  PressSortAscent(*list, false);
  ChooseSortKey(*list, 3);
  EXPECT_EQ(Names(*list), (Texts{u"a", u"b", u"c"}));
  // Three appends and six presses.
  EXPECT_EQ(static_cast<const HeadlessListView&>(list->view()).layouts(), 9);
}

TEST_F(Sorting, TheSortMenuOffersSolvedTimeInLogListsOnlyAndChecksTheKey) {
  const auto texts = [](const CGenWindow& l) {
    Texts out;
    for (const SortMenuItem& item : SortMenuItems(l)) {
      out.push_back(item.text + std::u16string(item.checked ? u"*" : u""));
      EXPECT_EQ(SortTypeForCommand(item.commandId), item.sortType);
    }
    return out;
  };
  EXPECT_EQ(texts(*list), (Texts{u"Start time*", u"Deadline", u"Priority", u"Difficulty"}));
  CGenWindow& log = *AddListWindow(ws, 4, u"Log")->window;
  log.sortType = 2;
  EXPECT_EQ(texts(log),
            (Texts{u"Start time", u"Deadline", u"Solved Time*", u"Priority", u"Difficulty"}));
  EXPECT_EQ(SortTypeForCommand(IDM_SORT_SOLVED_TIME), 2u);
  EXPECT_EQ(SortTypeForCommand(IDM_EXIT), std::nullopt);
}

}  // namespace
}  // namespace qv::test
