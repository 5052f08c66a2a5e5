#include <gtest/gtest.h>

#include <memory>

#include "framework/TestSupport.h"
#include "framework/VexRawCollPV.h"
#include "rules/MergerRule.h"
#include "tree/MaskStorage.h"
#include "tree/MergerObj.h"

namespace {

MergerObj* add(MergerObj* parent, long line, const char* type, const char* name,
               const char* value = "", char ordered = 'N') {
  return new MergerObj(parent, line, type, name, value, ordered);
}

std::string childNames(const MergerObj* node) {
  std::string names;
  for (int i = 1; i <= node->getChildCount(); ++i) names += node->getChildObj(i)->getName().str();
  return names;
}

std::string dumpText(const MergerObj* node) {
  StdoutCapture out;
  node->dump("", 0);
  return out.text();
}

// A mask as the reader builds it, plus an entity whose levels carry values.
struct MaskTree : testing::Test {
  std::unique_ptr<MergerObj> mask{add(nullptr, 1, "M", "DEFAULT")};
  MergerObj* part = add(mask.get(), 3, "E", "PART");
  MergerObj* vid = add(part, 4, "A", "V_id");
  MergerObj* required = add(vid, 5, "_", "required", "Y");
  MergerObj* values = add(vid, 6, "_", "values", "", 'Y');
  MergerObj* open = add(values, 7, "V", "OPEN");
  MergerObj* read = add(part, 8, "X", "READ", "Y");
  MergerObj* attr = add(add(mask.get(), 10, "E", "ENT", "v"), 11, "A", "a", "w");
};

}  // namespace

TEST_F(MaskTree, IdentifiersAndDumpNameEveryLevelBelowTheMask) {
  const std::tuple<MergerObj*, const char*, const char*> cases[] = {
      {mask.get(), "", ""},
      {part, "E::PART", "E::PART"},
      {required, "E::PART/A::V_id/_::required[Y]", "E::PART/A::V_id/_::required"},
      {open, "E::PART/A::V_id/_::values/V::OPEN", "E::PART/A::V_id/_::values/V::OPEN"},
      {read, "E::PART/X::READ[Y]", "E::PART/X::READ"},
      {attr, "E::ENT[v]/A::a[w]", "E::ENT[v]/A::a"}};
  for (const auto& [node, id, xpath] : cases) {
    VexUnicodeString gotId, gotPath;
    node->getId(gotId);
    node->xpath(gotPath);
    EXPECT_EQ(gotId.str() + " | " + gotPath.str(), std::string(id) + " | " + xpath);
  }
  EXPECT_EQ(dumpText(mask.get()),
            "#3:     PART\n#4:     PART/V_id\n#5:     PART/V_id/required[Y]\n"
            "#6:     PART/V_id/values\n#7:     PART/V_id/values/v/OPEN\n"
            "#8:     PART/access/READ[Y]\n#10:     ENT[v]\n#11:     ENT/a[w]\n");
}

TEST_F(MaskTree, CloneCopiesByModeWithCommentsButNeverAnnotations) {
  VexListValVexUnicodeString own, child;
  own.Append("// c1");
  child.Append("// c2");
  vid->addComments(own);
  required->addComments(child);
  vid->setRecommandation(gsVisuIGNORE, gsVisuCus, "x");
  vid->setAlternative(gsVisuKEEP, gsVisuCus, "x");
  vid->setChoice(2, nullptr);
  std::string subtree =
      "#4:     V_id\n#5:     V_id/required[Y]\n#6:     V_id/values\n#7:     V_id/values/v/OPEN\n";
  const std::tuple<int, std::string> cases[] = {
      {0, "#4:     V_id\n"}, {99, "#4:  {N}V_id\n"}, {1, subtree}, {5, subtree}};
  for (const auto& [mode, dump] : cases) {
    std::unique_ptr<MergerObj> copy{MergerObj::clone(vid, nullptr, mode)};
    EXPECT_EQ(dumpText(copy.get()), dump) << "mode " << mode;
    ASSERT_NE(copy->getComments(), vid->getComments());
    EXPECT_EQ((*copy->getComments())[1], "// c1");
    EXPECT_EQ(
        copy->getRecommandation().str() + copy->getAlternative().str() + copy->getChoice().str(),
        "");
    if (mode != 1) continue;
    EXPECT_EQ((*copy->find("_", "required")->getComments())[1], "// c2");
    EXPECT_TRUE(copy->find("_", "values")->isOrdered());
  }
  std::unique_ptr<MergerObj> inactive{MergerObj::clone(vid, nullptr, 99)};
  EXPECT_EQ(dumpText(MergerObj::clone(inactive.get(), part, 0)), "#4:     V_id\n");
  EXPECT_EQ(part->getChildCount(), 3);
  EXPECT_EQ(MergerObj::clone(nullptr, part, 1), nullptr);
}

TEST(MergerObj, CompareNodeByTypeAndNameWithAWildcardThenByValue) {
  MergerObj yes(nullptr, 1, "A", "V_id", "Y", 'N'), yes2(nullptr, 9, "A", "V_id", "Y", 'N'),
      no(nullptr, 1, "A", "V_id", "N", 'N'), c(nullptr, 1, "A", "c", "", 'N'),
      empty(nullptr, 1, "A", "", "", 'N'), star(nullptr, 1, "A", "*", "", 'N'),
      starry(nullptr, 1, "A", "*x", "", 'N'), entity(nullptr, 1, "E", "*", "", 'N');
  // Mode 0 or 1: the node comparison with that wildcard flag; 2: the mask
  // node comparison, which adds the value.
  // clang-format off
  const std::tuple<MergerObj*, MergerObj*, int, int> cases[] = {
      {&star, &yes, 1, 0}, {&star, &yes, 0, -1}, {&yes, &star, 1, 1}, {&starry, &yes, 1, 0},
      {&star, &empty, 1, 0}, {&entity, &yes, 1, 1}, {&yes, &entity, 1, -1}, {&yes, &no, 0, 0},
      {nullptr, &yes, 1, -1}, {&yes, nullptr, 0, 1}, {&yes, &yes2, 2, 0}, {&yes, &no, 2, 99},
      {&no, &yes, 2, 99}, {&c, &yes, 2, 1}, {&yes, &c, 2, -1}, {&c, &empty, 2, 1},
      {&entity, &yes, 2, 1}, {nullptr, nullptr, 2, 0}, {nullptr, &yes, 2, -1}, {&yes, nullptr, 2, 1}};
  // clang-format on
  StdoutCapture quiet;  // wildcard comparisons are traced when "Main" is on
  for (const auto& [a, b, mode, expected] : cases) {
    int got = mode == 2 ? MergerObj::compareNode(a, b) : MergerNode::compareNode(a, b, mode);
    EXPECT_EQ(got, expected) << (a ? a->getName().str() : "null") << " vs "
                             << (b ? b->getName().str() : "null") << " mode " << mode;
  }
}

TEST(MergerObj, SortByNumberKeepsFileOrderOnlyUnderAnOrderedNode) {
  std::unique_ptr<MergerObj> vid{add(nullptr, 4, "A", "V_id")};
  add(vid.get(), 8, "X", "R");
  add(vid.get(), 5, "_", "q");
  MergerObj* values = add(vid.get(), 6, "_", "v", "", 'Y');
  add(vid.get(), 9, "F", "f");
  add(vid.get(), 7, "_", "a");
  const std::tuple<long, const char*, const char*> listed[] = {
      {10, "V", "z"}, {11, "V", "b"}, {11, "F", "y"}, {11, "V", "a"}, {3, "V", "c"}};
  for (const auto& [line, type, name] : listed) add(values, line, type, name);
  vid->sort(1);
  EXPECT_EQ(childNames(vid.get()), "fRaqv");
  EXPECT_EQ(childNames(values), "czyab");  // by line; a tie by type, then name
  vid->sort(0);
  EXPECT_EQ(childNames(values), "yabcz");
  // The two orderings of the fixed interface, handed to the collection's
  // sort, order nodes as the tree's own sort does; a null node goes last.
  using Order = int (*)(const void*, const void*);
  const std::pair<Order, const char*> orders[] = {{MergerObj::sortObject, "yabczn"},
                                                  {MergerObj::sortObjectByNumber, "czyabn"}};
  for (const auto& [order, expected] : orders) {
    VexRawCollPV nodes(0);
    nodes.Append(nullptr);
    for (int i = values->getChildCount(); i >= 1; --i) nodes.Append(values->getChildObj(i));
    nodes.QuickSort(order);
    std::string names;
    for (int i = 1; i <= nodes.Size(); ++i)
      names += nodes[i] ? static_cast<MergerObj*>(nodes[i])->getName().str() : "n";
    EXPECT_EQ(names, expected);
    EXPECT_EQ(order(nullptr, values), 1);
    EXPECT_EQ(order(values, nullptr), -1);
    EXPECT_EQ(order(nullptr, nullptr), 0);
  }
}

TEST(MergerObj, AnnotationTextsNameTheDecisionAndTheDecidingRule) {
  MergerObj node(nullptr, 1, "A", "V_id", "", 'N');
  node.setRecommandation(gsVisuKEEP, gsVisuNew, "old");
  node.setRecommandation(gsVisuIGNORE, gsVisuCus, "E::PART/A::V_id");
  node.setAlternative(gsVisuADD, gsVisuRef, "E::PART");
  EXPECT_EQ(node.getRecommandation().str(), "IGNORE CUSTO(n) [E::PART/A::V_id]");
  EXPECT_EQ(node.getAlternative().str(), "ADD    REF(n)   [E::PART]");
  auto seven = new MergerRule(7, 1, 0, "E", "X", 0), twelve = new MergerRule(12, 2, 1, "E", "X", 0);
  const std::tuple<int, const MergerRule*, const char*> cases[] = {
      {2, seven, "ALTERNATIVE [rule #7]"},
      {1, nullptr, "RECOMMENDATION [no rule matched]"},
      {0, nullptr, "RECOMMENDATION [no rule matched]"},
      {1, twelve, "RECOMMENDATION [rule #12]"},
      {2, nullptr, "ALTERNATIVE [no rule matched]"}};
  for (const auto& [choice, rule, text] : cases) {
    node.setChoice(choice, rule);
    EXPECT_EQ(node.getChoice().str(), text);
  }
  MergerRule::end();
}

// A node that stands for no line: empty texts, line 0, active, in file
// order of nothing; whether its parent is carved from a storage or made with
// `new`, it is the parent's last child and goes with it.
TEST(MergerObj, ADummyNodeIsAnEmptyLastChildOwnedByItsParent) {
  auto storage = MaskStorage::create();
  std::unique_ptr<MergerObj> onHeap{add(nullptr, 1, "M", "DEFAULT")};
  add(onHeap.get(), 2, "E", "PART");
  MergerObj* carved = MergerObj::create(*storage, nullptr, 1, "M", "DEFAULT", "", 'N');
  MergerObj::create(*storage, carved, 2, "E", "PART", "", 'N');
  for (MergerObj* parent : {onHeap.get(), carved}) {
    MergerObj* dummy = MergerObj::createDummyNode(parent);
    ASSERT_EQ(parent->getChildCount(), 2);
    EXPECT_EQ(parent->getChildObj(2), dummy);
    EXPECT_EQ(dummy->getParent(), parent);
    EXPECT_EQ(dummy->getType().str() + dummy->getName().str() + dummy->getValue().str(), "");
    EXPECT_EQ(dummy->getLine(), 0);
    EXPECT_TRUE(dummy->isActive());
    EXPECT_FALSE(dummy->isOrdered());
  }
  EXPECT_EQ(MaskStorage::of(carved->getChildObj(2)), storage.get());
  std::unique_ptr<MergerObj> root{MergerObj::createDummyNode(nullptr)};
  EXPECT_EQ(root->getParent(), nullptr);
  EXPECT_EQ(root->getLine(), 0);
}

namespace {

// Three DEFAULT-like masks and the root of a result, as the merge hands them
// to the comparer.
struct ThreeMasks : testing::Test {
  std::unique_ptr<MergerObj> ref{add(nullptr, 1, "M", "DEFAULT")};
  std::unique_ptr<MergerObj> neu{add(nullptr, 1, "M", "DEFAULT")};
  std::unique_ptr<MergerObj> custo{add(nullptr, 1, "M", "DEFAULT")};
  std::unique_ptr<MergerObj> result{add(nullptr, 1, "M", "DEFAULT")};
  int refPos = 0, newPos = 0, custoPos = 0, resultPos = 0;

  void SetUp() override { MergerRule::end(); }  // no rule: every question takes the recommendation

  std::string compare() {
    StdoutCapture quiet;  // traced when "Main" is on
    EXPECT_EQ(MergerObj::comparer(ref.get(), refPos, neu.get(), newPos, custo.get(), custoPos,
                                  result.get(), resultPos),
              0);
    return std::to_string(refPos) + " " + std::to_string(newPos) + " " + std::to_string(custoPos);
  }
};

}  // namespace

// The merge's entry point of the fixed interface: the children of the three
// masks merged into the result, the customer's own value and entity kept,
// what version N+1 dropped left out, what it brings added with its record.
// The counters it is given stand at the last position taken in each list.
TEST_F(ThreeMasks, ComparerMergesTheChildrenAndLeavesEachCounterAtItsLastPosition) {
  for (const char* name : {"A", "B", "C"}) add(add(ref.get(), 2, "E", name), 2, "_", "alias", name);
  for (const char* name : {"A", "D"}) add(add(neu.get(), 3, "E", name), 3, "_", "alias", name);
  add(add(custo.get(), 4, "E", "A"), 4, "_", "alias", "Mine");
  add(add(custo.get(), 5, "E", "Z"), 5, "_", "alias", "Own");
  EXPECT_EQ(compare(), "3 2 2");
  EXPECT_EQ(resultPos, 0);
  EXPECT_EQ(dumpText(result.get()),
            "#4:     A\n#4:     A/alias[Mine]\n#3:     D\n#3:     D/alias[D]\n"
            "#5:     Z\n#5:     Z/alias[Own]\n");
  MergerObj* added = result->find("E", "D");
  ASSERT_NE(added, nullptr);
  EXPECT_EQ(added->getRecommandation().str() + " | " + added->getAlternative().str() + " | " +
                added->getChoice().str(),
            "ADD    NEW(n+1) [E::D] | IGNORE NEW(n+1) [E::D] | RECOMMENDATION [no rule matched]");
  EXPECT_EQ(result->find("E", "A")->getChoice().str(), "");
}

// Once version N+1 and the customer have nothing left, the first REF entity
// still left is the last one looked at: the call ends there, and the REF
// counter is not moved past it.
TEST_F(ThreeMasks, ComparerStopsAtTheFirstRefEntityLeftWhenTheOtherListsAreDone) {
  for (const char* name : {"A", "B", "C", "D"}) add(ref.get(), 2, "E", name);
  add(neu.get(), 3, "E", "A");
  add(custo.get(), 4, "E", "A");
  EXPECT_EQ(compare(), "2 1 1");
  EXPECT_EQ(dumpText(result.get()), "#4:     A\n");
}
