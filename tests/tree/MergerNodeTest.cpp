#include <gtest/gtest.h>

#include <span>
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

TEST(MergerNode, CommentsTakenWithTheirLinesKeepOneLineEach) {
  MergerNode node;
  VexListValVexUnicodeString given, read, more;
  given.Append("// given");
  node.addComments(given);
  EXPECT_TRUE(node.getCommentLines().empty());
  read.Append("// a");
  read.Append("// b");
  std::vector<long> lines{4, 6};
  node.takeComments(read, lines);
  more.Append("// c");
  std::vector<long> moreLines{9};
  node.takeComments(more, moreLines);
  EXPECT_EQ(read.Size(), 0);
  EXPECT_TRUE(lines.empty());
  ASSERT_EQ(node.getComments()->Size(), 4);
  std::span<const long> kept = node.getCommentLines();
  // The comment given without a line reads as line 0.
  EXPECT_EQ(std::vector<long>(kept.begin(), kept.end()), (std::vector<long>{0, 4, 6, 9}));
}
