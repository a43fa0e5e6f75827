#include <gtest/gtest.h>

#include "tests/workspace/workspace_test_support.h"
#include "workspace/workspace_file.h"

namespace qv {
namespace {

const std::u16string kSeed = Utf8ToUtf16(QUORVANE_RESOURCES_DIR "/tasklist.xml");

// The shipped seed is what a new user sees first: the default lists, linked, with example
// tasks, in exactly the form the program itself writes.
TEST(SeedWorkspace, HoldsTheDefaultListsWithExampleTasks) {
  HeadlessHost host;
  Workspace ws(host);
  ASSERT_TRUE(LoadWorkspace(ws, kSeed));
  ASSERT_EQ(ws.ListWindows.size(), 3u);
  const CGenWindow& hot = *ws.ListWindows[0]->window;
  EXPECT_EQ(hot.Title(), u"Hot Tasks");
  EXPECT_EQ(hot.type, 2u);
  EXPECT_EQ(hot.visible, 1u);
  EXPECT_EQ(hot.logLinks, (std::vector<std::u16string>{u"My logger", u"Work logger"}));
  ASSERT_GE(hot.tasks.size(), 2u);
  ASSERT_LE(hot.tasks.size(), 3u);
  for (const auto& item : hot.tasks) {
    EXPECT_TRUE(item->task.name && !item->task.name->empty());
    EXPECT_EQ(item->task.state, 0u);
    EXPECT_EQ(item->task.deadline.wYear, 2027);
    FILETIME ft;
    EXPECT_TRUE(SystemTimeToFileTime(item->task.deadline, ft));
  }
  for (std::size_t i : {1u, 2u}) {
    const CGenWindow& log = *ws.ListWindows[i]->window;
    EXPECT_TRUE(log.IsLog());
    EXPECT_TRUE(log.tasks.empty());
    EXPECT_TRUE(log.logLinks.empty());
  }
  EXPECT_EQ(ws.ListWindows[1]->title, u"My logger");
  EXPECT_EQ(ws.ListWindows[2]->title, u"Work logger");

  test::ScratchFolder folder;
  ASSERT_EQ(SaveWorkspace(ws, folder / u"again.xml"), XmlError::NoError);
  EXPECT_EQ(test::FileBytes(folder / u"again.xml"), test::FileBytes(kSeed));
}

}  // namespace
}  // namespace qv
