#include <gtest/gtest.h>

#include <set>

#include "model/workspace_model.h"
#include "tests/model/model_test_support.h"

namespace qv::test {
namespace {

using Texts = std::vector<std::u16string>;

constexpr auto kTask = static_cast<std::uint32_t>(ListType::Task);
constexpr auto kLog = static_cast<std::uint32_t>(ListType::Log);

class Collection : public ModelTest {};

TEST_F(Collection, FindsByTheCurrentTitleExactlyAndFirstInOrder) {
  CreateDefaultWorkspace(ws);
  AddListWindow(ws, kLog, u"My logger");
  CGenWindow* first = ws.ListWindows[1]->window.get();
  EXPECT_EQ(FindListWindowByTitle(ws, u"My logger"), first);
  for (const NullableText& miss :
       {NullableText(u"my logger"), NullableText(u"My logger "), NullableText(std::nullopt)}) {
    EXPECT_EQ(FindListWindowByTitle(ws, miss), nullptr);
  }
  // The window's title counts, not the entry's: renaming the first hands the name on.
  first->view().SetTitle(u"Old logger");
  EXPECT_EQ(FindListWindowByTitle(ws, u"My logger"), ws.ListWindows[3]->window.get());

  // Empty titles never match; titles are read into 512 characters.
  first->view().SetTitle(u"");
  EXPECT_EQ(FindListWindowByTitle(ws, u""), nullptr);
  const std::u16string long511(511, u'x');
  first->view().SetTitle(long511 + u"y");
  EXPECT_EQ(FindListWindowByTitle(ws, long511), first);
  first->view().SetTitle(long511 + u"yz");
  EXPECT_EQ(first->Title(), u"");
}

// An unknown type gets an entry and a menu item, but no window, only when it has a title; ids
// stay unique, findable and in menu order through removals.
TEST_F(Collection, CommandIdsStayUniqueAndFindableAfterRemovals) {
  constexpr std::uint32_t first = kFirstListCommandId;
  EXPECT_EQ(AddListWindow(ws, 3, std::nullopt), nullptr);
  const ListEntry* odd = AddListWindow(ws, 3, u"Odd");
  EXPECT_TRUE(odd->window == nullptr && odd->commandId == first);
  EXPECT_EQ(host.menu.at(0).title, u"Odd");
  EXPECT_EQ(FindListWindowByTitle(ws, u"Odd"), nullptr);

  for (int i = 1; i < 5; ++i) AddListWindow(ws, kTask, u"List " + FormatInt(i));
  ASSERT_TRUE(RemoveListEntry(ws, first + 1));
  EXPECT_FALSE(RemoveListEntry(ws, first + 1));
  // The fifth id is still held, so the sixth is taken.
  EXPECT_EQ(AddListWindow(ws, kTask, u"After")->commandId, first + 5);
  ASSERT_TRUE(RemoveListEntry(ws, first));
  ASSERT_TRUE(RemoveListEntry(ws, first + 2));
  for (int i = 0; i < 40; ++i) {
    AddListWindow(ws, kTask, u"More " + FormatInt(i));
    if (i % 3 == 0) RemoveListEntry(ws, ws.ListWindows[ws.ListWindows.size() / 2]->commandId);
  }
  ASSERT_EQ(host.menu.size(), ws.ListWindows.size());
  std::set<std::uint32_t> ids;
  for (std::size_t i = 0; i < ws.ListWindows.size(); ++i) {
    const ListEntry* entry = ws.ListWindows[i].get();
    EXPECT_TRUE(ids.insert(entry->commandId).second) << entry->commandId;
    EXPECT_EQ(FindEntryByCommandId(ws, entry->commandId), entry);
    EXPECT_EQ(host.menu[i].commandId, entry->commandId);
  }
}

TEST_F(Collection, TheDefaultWorkspaceLogsHotTasksIntoBothLoggersAndClearingKeepsTheCounters) {
  EXPECT_EQ(DefaultListTitle(ws, false), u"Task list 1");
  EXPECT_EQ(DefaultListTitle(ws, false), u"Task list 2");
  EXPECT_EQ(DefaultListTitle(ws, true), u"Log list 1");
  CreateDefaultWorkspace(ws);
  Texts seen;
  for (const auto& entry : ws.ListWindows) {
    const CGenWindow& list = *entry->window;
    seen.push_back(list.Title() + u" " + FormatInt(list.type) + u" v" + FormatInt(list.visible));
    for (const std::u16string& link : list.logLinks) seen.back() += u" >" + link;
  }
  EXPECT_EQ(seen, (Texts{u"Hot Tasks 2 v0 >My logger >Work logger", u"My logger 4 v0",
                         u"Work logger 4 v0"}));
  ClearWorkspace(ws);
  EXPECT_TRUE(ws.ListWindows.empty());
  EXPECT_FALSE(host.menuExists);
  EXPECT_EQ(DefaultListTitle(ws, false), u"Task list 3");
  EXPECT_EQ(DefaultListTitle(ws, true), u"Log list 2");
  // Numbering after a clear starts again from the first id.
  EXPECT_EQ(AddListWindow(ws, kTask, u"Again")->commandId, kFirstListCommandId);
}

TEST_F(Collection, RenamingALinkMovesTheFirstMatchToTheEnd) {
  CreateDefaultWorkspace(ws);
  CGenWindow& hot = List(u"Hot Tasks");
  ClearLogLinks(hot);
  for (const char16_t* link : {u"X", u"Y", u"X"}) AddLogLink(hot, link);
  RenameLogLink(hot, u"X", u"Z");
  RenameLogLink(hot, u"x", u"W");
  EXPECT_EQ(hot.logLinks, (Texts{u"Y", u"X", u"Z"}));
  EXPECT_TRUE(HasLogLink(hot, u"Z") && !HasLogLink(hot, u"z"));

  // Everywhere means every list that is not a log list.
  AddLogLink(List(u"My logger"), u"Y");
  RenameLogLinkEverywhere(ws, u"Y", u"V");
  EXPECT_EQ(hot.logLinks, (Texts{u"X", u"Z", u"V"}));
  EXPECT_EQ(List(u"My logger").logLinks, Texts{u"Y"});
}

class ClosingTasks : public ModelTest {
 protected:
  void SetUp() override { CreateDefaultWorkspace(ws); }
};

TEST_F(ClosingTasks, SolvingCopiesIntoEveryLinkedLogAndRemovesTheTask) {
  CGenWindow& hot = List(u"Hot Tasks");
  AddNewTask(hot, Task(u"Ship", 70));
  AddNewTask(hot, Task(u"Stay"));
  CGenWindow& mine = List(u"My logger");
  AppendTaskCopy(mine, Task(u"Older", 99));
  mine.sortDescent = 1;
  mine.sortType = 3;

  CheckButtonPressed(ws, *hot.tasks[0]);
  EXPECT_EQ(Names(hot), Texts{u"Stay"});
  // Appended at the end, not sorted in.
  EXPECT_EQ(Names(mine), (Texts{u"Older", u"Ship"}));
  EXPECT_EQ(Names(List(u"Work logger")), Texts{u"Ship"});
  const TaskItem& logged = *mine.tasks[1];
  EXPECT_EQ(logged.task.state, static_cast<std::uint32_t>(TaskState::Solved));
  EXPECT_EQ(logged.task.closedTime, kNow);
  EXPECT_EQ(&logged.owner(), &mine);
  EXPECT_TRUE(host.errors.empty());

  // In a log list the check mark does nothing and the cross deletes at once.
  CheckButtonPressed(ws, *mine.tasks[0]);
  EXPECT_EQ(mine.tasks[0]->task.state, static_cast<std::uint32_t>(TaskState::InProgress));
  CrossButtonPressed(ws, *mine.tasks[0]);
  EXPECT_EQ(Names(mine), Texts{u"Ship"});
}

TEST_F(ClosingTasks, AMissingLogWindowIsReportedAndTheTaskMovesIfAnyCopyWasMade) {
  CGenWindow& hot = List(u"Hot Tasks");
  AddNewTask(hot, Task(u"Half"));
  hot.logLinks = {u"Nowhere", u"Work logger"};
  CrossButtonPressed(ws, *hot.tasks[0]);
  EXPECT_EQ(host.errors, Texts{kNoLogWindowMessage});
  EXPECT_TRUE(hot.tasks.empty());
  EXPECT_EQ(List(u"Work logger").tasks.at(0)->task.state,
            static_cast<std::uint32_t>(TaskState::Cancelled));

  AddNewTask(hot, Task(u"Stuck"));
  hot.logLinks = {u"Nowhere", u""};
  CheckButtonPressed(ws, *hot.tasks[0]);
  EXPECT_EQ(host.errors.size(), 3u);
  ASSERT_EQ(Names(hot), Texts{u"Stuck"});
  EXPECT_EQ(hot.tasks[0]->task.state, static_cast<std::uint32_t>(TaskState::Solved));

  ClearLogLinks(hot);
  CrossButtonPressed(ws, *hot.tasks[0]);
  EXPECT_EQ(host.errors.size(), 3u);
  EXPECT_EQ(hot.tasks.size(), 1u);
}

TEST_F(ClosingTasks, ADropMovesTheTaskToTheEndOfTheTargetList) {
  CGenWindow& hot = List(u"Hot Tasks");
  CGenWindow& work = List(u"Work logger");
  AddNewTask(hot, Task(u"A"));
  AddNewTask(hot, Task(u"B"));
  AppendTaskCopy(work, Task(u"C"));
  TaskItem& a = *hot.tasks[0];
  // On its own list the task becomes the last one.
  MoveTaskToList(a, hot);
  EXPECT_EQ(Names(hot), (Texts{u"B", u"A"}));
  MoveTaskToList(a, work);
  EXPECT_EQ(&a.owner(), &work);
  EXPECT_EQ(RemoveTask(hot, a, false), nullptr);  // no longer in hot: nothing happens
  EXPECT_EQ(Names(hot), Texts{u"B"});
  EXPECT_EQ(Names(work), (Texts{u"C", u"A"}));
}

}  // namespace
}  // namespace qv::test
