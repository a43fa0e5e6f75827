#include <gtest/gtest.h>

#include "tests/xml/xml_test_support.h"
#include "xml/xml_node.h"

namespace qv {
namespace {

using test::Describe;

TEST(XmlTree, LookUpsIgnoreAsciiCaseAndFindTheFirstMatch) {
  XmlNode root = XmlNode::CreateTopNode(u"Root");
  root.AddChild(u"Other");
  XmlNode first = root.AddChild(u"MainAppData");
  root.AddChild(u"MAINAPPDATA");
  for (const auto& [name, value] : {std::pair<const char16_t*, XmlText>{u"KeepSize", u"1"},
                                    {u"keepsize", u"2"},
                                    {u"Bare", std::nullopt},
                                    {u"bare", u"later"},
                                    {u"\u00C9t\u00E9", u"accented"}}) {
    ASSERT_TRUE(root.AddAttribute(name, value));
  }
  EXPECT_EQ(root.GetChildByName(u"mainappdata"), first);
  EXPECT_TRUE(root.GetChildByName(u"MainAppDat").IsEmpty());
  EXPECT_EQ(root.GetAttribute(u"KEEPSIZE"), u"1");
  // The first match decides, even when it is a bare name without value.
  EXPECT_EQ(root.GetAttribute(u"BARE"), std::nullopt);
  // Case folding is ASCII only, as _wcsicmp in the C locale.
  EXPECT_EQ(root.GetAttribute(u"\u00E9T\u00E9"), std::nullopt);
  EXPECT_EQ(root.GetAttribute(u"\u00C9T\u00E9"), u"accented");
}

TEST(XmlTree, TheEmptyNodeAndNullNamesAreHarmless) {
  XmlNode root = XmlNode::CreateTopNode(u"Root");
  EXPECT_TRUE(root.AddChild(std::nullopt).IsEmpty());
  EXPECT_FALSE(root.AddAttribute(std::nullopt, u"value"));
  root.AddChild(u"A");
  EXPECT_EQ(Describe(root), "Root[](A[]())");
  for (XmlNode node : {XmlNode(), root.GetChildAt(1), root.GetChildAt(-1)}) {
    EXPECT_TRUE(node.IsEmpty());
    EXPECT_EQ(node.GetName(), std::nullopt);
    EXPECT_TRUE(node.GetChildAt(0).IsEmpty());
    EXPECT_TRUE(node.GetChildByName(u"A").IsEmpty());
    EXPECT_EQ(node.GetAttribute(u"a"), std::nullopt);
    EXPECT_EQ(node.GetAttributeAt(0).name, u"");
    EXPECT_TRUE(node.GetParent().IsEmpty());
    EXPECT_EQ(node.GetContentAt(0).index, -1);
    EXPECT_EQ(node.CreateText(nullptr, 0), 0);
    EXPECT_TRUE(node.AddChild(u"A").IsEmpty());
    EXPECT_FALSE(node.AddAttribute(u"a", u"1"));
  }
}

TEST(XmlTree, RecordsLiveWhileAnyHandleHoldsThem) {
  XmlNode grandchild;
  {
    XmlNode root = XmlNode::CreateTopNode(u"Root");
    grandchild = root.AddChild(u"Child").AddChild(u"Grandchild");
    grandchild.AddChild(u"Leaf").AddAttribute(u"a", u"kept");
    EXPECT_EQ(Describe(grandchild.GetParent().GetParent()),
              "Root[](Child[](Grandchild[](Leaf[a='kept']())))");
  }
  EXPECT_TRUE(grandchild.GetParent().IsEmpty());
  EXPECT_EQ(Describe(grandchild), "Grandchild[](Leaf[a='kept']())");
  // A child assigned over its parent's last handle survives the parent.
  XmlNode node = XmlNode::CreateTopNode(u"Top");
  node.AddChild(u"Inner").AddAttribute(u"a", u"1");
  node = node.GetChildAt(0);
  EXPECT_EQ(Describe(node), "Inner[a='1']()");
}

// Far deeper than any parse may make: freeing and writing must not recurse on the machine
// stack. The text would pass 2^31 characters, which CreateText reports as -1.
TEST(XmlTree, VeryDeepTreesAreWalkedAndFreedWithoutRecursion) {
  XmlNode root = XmlNode::CreateTopNode(u"a");
  XmlNode node = root;
  for (int i = 1; i < 100000; ++i) node = node.AddChild(u"a");
  node = XmlNode();
  EXPECT_EQ(root.CreateText(nullptr, 0), -1);
  root = XmlNode();
}

}  // namespace
}  // namespace qv
