#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tree/MergerNode.h"

namespace {

// Records its own destruction, before its children go.
struct CountedNode : MergerNode {
  CountedNode(MergerNode* parent, const char* name, std::vector<std::string>& log)
      : MergerNode(parent, "N", name, ""), log(log) {}
  ~CountedNode() override { log.push_back(getName().str()); }
  std::vector<std::string>& log;
};

}  // namespace

TEST(MergerNode, DestroyingARootDestroysEachDescendantOnceInIndexOrder) {
  std::vector<std::string> log;
  auto root = new CountedNode(nullptr, "root", log);
  auto first = new CountedNode(root, "1", log);
  new CountedNode(first, "1.1", log);
  new CountedNode(new CountedNode(first, "1.2", log), "1.2.1", log);
  auto second = new CountedNode(root, "2", log);
  root->add(nullptr);
  EXPECT_EQ(root->getChildCount(), 2);
  EXPECT_EQ(root->getChild(2), second);
  EXPECT_EQ(second->getParent(), root);
  delete root;
  EXPECT_EQ(log, (std::vector<std::string>{"root", "1", "1.1", "1.2", "1.2.1", "2"}));
}

TEST(MergerNode, GetNodeFindsTheFirstExactDirectChildAndCommentsAppend) {
  MergerNode root;
  auto first = new MergerNode(&root, "A", "x", "1");
  new MergerNode(&root, "A", "x", "2");
  new MergerNode(first, "E", "deep", "");
  EXPECT_EQ(root.getNode("A", "x"), first);
  EXPECT_EQ(root.getNode("A", "X"), nullptr);
  EXPECT_EQ(root.getNode("E", "x"), nullptr);
  EXPECT_EQ(root.getNode("E", "deep"), nullptr);
  root.addComments(VexListValVexUnicodeString());
  EXPECT_EQ(root.getComments(), nullptr);
  VexListValVexUnicodeString one, two;
  one.Append("// one");
  two.Append("// two");
  root.addComments(one);
  root.addComments(two);
  ASSERT_EQ(root.getComments()->Size(), 2);
  EXPECT_EQ((*root.getComments())[1].str() + (*root.getComments())[2].str(), "// one// two");
}
