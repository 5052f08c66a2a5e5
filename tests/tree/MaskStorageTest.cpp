#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "tree/MaskStorage.h"
#include "tree/MergerObj.h"
#include "tree/TreeVocabulary.h"

namespace {

MergerObj* node(MaskStorage& storage, MergerObj* parent, const std::string& name,
                const std::string& value = "") {
  return MergerObj::create(storage, parent, 1, "A", name, value, 'N');
}

}  // namespace

TEST(MaskStorage, ChildrenListsGrowAndKeepTheirOrderWhileListsAreRecycled) {
  auto storage = MaskStorage::create();
  MergerObj* root = MergerObj::create(*storage, nullptr, 1, "M", "DEFAULT", "", 'N');
  std::vector<MergerObj*> parents;
  parents.reserve(40);
  // Lists of many sizes grow side by side, so that recycled lists of one
  // node are reused by another.
  for (int p = 0; p < 40; ++p) parents.push_back(node(*storage, root, std::to_string(1000 + p)));
  for (int round = 0; round < 300; ++round) {
    for (size_t p = 0; p < parents.size(); ++p) {
      if (round % (p + 1) == 0) node(*storage, parents[p], std::to_string(round));
    }
  }
  for (size_t p = 0; p < parents.size(); ++p) {
    int expected = 0;
    for (int round = 0; round < 300; ++round) {
      if (round % (p + 1) != 0) continue;
      ASSERT_LT(expected, parents[p]->getChildCount());
      EXPECT_EQ(parents[p]->getChildObj(++expected)->getName().str(), std::to_string(round));
      EXPECT_EQ(parents[p]->getChildObj(expected)->getParent(), parents[p]);
    }
    EXPECT_EQ(parents[p]->getChildCount(), expected);
  }
  EXPECT_EQ(MaskStorage::of(parents.back()), storage.get());
}

TEST(MaskStorage, TextsOfAnySizeStayWithTheirNode) {
  auto storage = MaskStorage::create();
  MergerObj* root = node(*storage, nullptr, "root");
  // Up to a text longer than a block.
  for (size_t size : {0, 5000, 3 << 20}) {
    const std::string text(size, 'x');
    MergerObj* child = node(*storage, root, text, text);
    EXPECT_EQ(child->getName().str(), text);
    EXPECT_EQ(child->getValue().str(), text);
  }
}

// A clone shares the texts of its source: the storage of the clone keeps
// the source's storage alive after its own file let go of it.
TEST(MaskStorage, ACloneKeepsTheTextsOfItsSourceAlive) {
  auto source = MaskStorage::create();
  MergerObj* original = node(*source, nullptr, "E", "v");
  node(*source, original, "child", std::string(100, 'c'));
  auto target = MaskStorage::create();
  MergerObj* copy = MergerObj::cloneRoot(*target, original, 1);
  source.reset();
  EXPECT_EQ(copy->getName().str() + copy->getValue().str(), "Ev");
  EXPECT_EQ(copy->getChildObj(1)->getValue().str(), std::string(100, 'c'));
}

// A node made with `new` and attached to a node of a storage belongs to the
// storage from then on (the leak checker of the sanitizer build watches).
TEST(MaskStorage, AdoptsNodesMadeWithNewAndExtrasGoWithIt) {
  auto storage = MaskStorage::create();
  MergerObj* root = MergerObj::create(*storage, nullptr, 1, "M", "DEFAULT", "", 'N');
  auto adopted = new MergerObj(root, 2, "E", "PART", "", 'N');
  new MergerObj(adopted, 3, "_", "alias", "P", 'N');
  VexListValVexUnicodeString comments;
  comments.Append("// kept");
  root->addComments(comments);
  root->setRecommandation(&gsVisuKEEP, &gsVisuNew, adopted);
  EXPECT_EQ(root->getChildObj(1), adopted);
  EXPECT_EQ(root->getRecommandation().str(), "KEEP   NEW(n+1) [E::PART]");
  EXPECT_EQ((*root->getComments())[1].str(), "// kept");
}

// A thread that merges a subtree of a result side by side with others
// carves what it makes from a storage of its own, even below a node of the
// result's storage; a list of the result's storage that it outgrows, small
// or large, is freed once (ASan would tell).
TEST(MaskStorage, AThreadCarvesItsNodesAndListsFromItsOwnStorage) {
  auto result = MaskStorage::create();
  MergerObj* root = MergerObj::create(*result, nullptr, 1, "M", "DEFAULT", "", 'N');
  MergerObj* entity = node(*result, root, "PART");
  for (int i = 0; i < 9000; ++i) node(*result, entity, std::to_string(i));
  auto own = MaskStorage::create();
  result->retain(own.get());
  {
    MaskStorage::CarveHere here(*own);
    for (int i = 0; i < 9000; ++i) {
      MergerObj* made = MergerObj::clone(entity->childAt(static_cast<size_t>(i)), entity, 0);
      EXPECT_EQ(MaskStorage::of(made), own.get());
    }
    EXPECT_EQ(&MaskStorage::forNodesUnder(entity), own.get());
  }
  EXPECT_EQ(&MaskStorage::forNodesUnder(entity), result.get());
  ASSERT_EQ(entity->childCount(), 18000u);
  EXPECT_EQ(entity->childAt(17999)->name(), "8999");
  own.reset();
  EXPECT_EQ(entity->childAt(9000)->name(), "0");
}
