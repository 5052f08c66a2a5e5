// Entities and attributes that hold the properties of their line instead of
// child nodes: the packing, the copies, and the stand-ins a merge asks for.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "tree/CloneMode.h"
#include "tree/MaskStorage.h"
#include "tree/MergerObj.h"
#include "tree/OwnProperties.h"
#include "tree/TreeVocabulary.h"

namespace {

const OwnProperties::Values kValues = {"Part id", "Y", "", "G1", std::string_view("\0\xff", 2),
                                       "N"};

std::string childrenOf(const MergerObj* node) {
  std::string list;
  for (size_t i = 0; i < node->childCount(); ++i) {
    const MergerObj* child = node->childAt(i);
    list += std::string(child->type()) + "::" + std::string(child->name()) + "=" +
            std::string(child->value()) + " ";
  }
  return list;
}

struct Tree {
  std::shared_ptr<MaskStorage> storage = MaskStorage::create();
  MergerObj* mask = MergerObj::create(*storage, nullptr, 1, "M", "DEFAULT", "", 'N');
  MergerObj* entity =
      MergerObj::createHolding(*storage, mask, 2, "E", "PART", {"Part", {}, {}, {}, {}, {}});
  MergerObj* attr = MergerObj::createHolding(*storage, entity, 3, "A", "V_id", kValues);
};

}  // namespace

TEST(OwnProperties, PackAnyBytesBehindTheNodeText) {
  const std::string long_value(300, 'x');
  OwnProperties::Values values = {"", long_value, "a", "", "\r\n", "$"};
  auto storage = MaskStorage::create();
  MergerObj* attr = MergerObj::createHolding(*storage, nullptr, 7, "A", "V_name", values);
  EXPECT_TRUE(attr->hasOwnProperties());
  EXPECT_EQ(attr->ownPropertyCount(), 6u);
  EXPECT_EQ(std::string(attr->name()), "V_name");
  EXPECT_EQ(std::string(attr->value()), "");
  for (size_t i = 0; i < OwnProperties::kCount; ++i) EXPECT_EQ(attr->ownProperties()[i], values[i]);
}

// A walk over the properties as nodes meets them in this order, as a sorted
// tree holds them.
TEST(OwnProperties, NamesAreThePropertyNamesInSortedOrder) {
  EXPECT_EQ(OwnProperties::name(0), gsPROP_ALIAS.str());
  EXPECT_EQ(OwnProperties::name(5), gsPROP_MAND.str());
  for (size_t i = 1; i < OwnProperties::kCount; ++i)
    EXPECT_LT(OwnProperties::name(i - 1), OwnProperties::name(i));
  EXPECT_EQ(OwnProperties::countFor(gsTYPE_ENTITY.str()), 1u);
  EXPECT_EQ(OwnProperties::countFor(gsTYPE_ATTR.str()), 6u);
}

TEST(OwnProperties, ACloneInAStorageSharesThemAndACopyOnTheHeapMakesNodes) {
  Tree tree;
  auto children = [&](MergerObj* parent) {
    MergerObj::create(*tree.storage, parent, 4, "X", "READ", "Y", 'N');
    MergerObj* values = MergerObj::create(*tree.storage, parent, 5, "_", "values", "", 'Y');
    MergerObj::create(*tree.storage, values, 5, "V", "OPEN", "", 'N');
  };
  children(tree.attr);
  auto other = MaskStorage::create();
  MergerObj* root = MergerObj::cloneRoot(*other, tree.mask, kCloneWithSubtree);
  MergerObj* clone = root->childAt(0)->childAt(0);
  EXPECT_TRUE(clone->hasOwnProperties());
  EXPECT_TRUE(clone->sharesTextWith(*tree.attr));
  EXPECT_EQ(childrenOf(clone), "X::READ=Y _::values= ");

  auto heapRoot = std::make_unique<MergerObj>(nullptr, 0, "M", "DEFAULT", "", 'N');
  MergerObj* copy = MergerObj::clone(tree.attr, heapRoot.get(), kCloneWithSubtree);
  EXPECT_FALSE(copy->hasOwnProperties());
  EXPECT_EQ(childrenOf(copy),
            std::string("X::READ=Y _::alias=Part id _::auth=Y _::defval= _::group=G1 _::order=") +
                std::string("\0\xff", 2) + " _::required=N _::values= ");
  // A copy alone gets its properties from the merge that follows.
  MergerObj* alone = MergerObj::clone(tree.entity, heapRoot.get(), kCloneAlone);
  EXPECT_EQ(alone->childCount(), 0u);
}

// A merge that puts properties to the rules makes them as nodes of its own
// storage: the tree read is not touched (several merges may read it), and
// the property nodes are named as nodes of that tree would be.
TEST(OwnProperties, AStandInHoldsTheAskedPropertiesAndLeavesTheSourceAlone) {
  Tree tree;
  MergerObj::create(*tree.storage, tree.attr, 4, "X", "READ", "Y", 'N');
  auto result = MaskStorage::create();
  MergerObj* stand = MergerObj::standIn(*result, tree.attr, 0b100010);
  EXPECT_EQ(childrenOf(stand), "_::auth=Y _::required=N ");
  EXPECT_EQ(stand->getParent(), tree.entity);
  EXPECT_EQ(stand->getLine(), 3);
  VexUnicodeString id;
  stand->childAt(1)->getId(id);
  EXPECT_EQ(id.str(), "E::PART/A::V_id/_::required[N]");
  EXPECT_EQ(childrenOf(tree.attr), "X::READ=Y ");
  EXPECT_EQ(tree.entity->childCount(), 1u);
  EXPECT_TRUE(tree.attr->hasOwnProperties());

  MergerObj* alias = MergerObj::standIn(*result, tree.entity, 1);
  EXPECT_EQ(childrenOf(alias), "_::alias=Part ");
}

// A merged tree repeats the comments of the trees it copies: a copy reads
// its source's until its own change.
TEST(OwnProperties, ACopySharesItsSourcesCommentsUntilItsOwnChange) {
  Tree tree;
  VexListValVexUnicodeString comments;
  comments.Append(VexUnicodeString("// one"));
  tree.attr->addComments(comments);
  auto other = MaskStorage::create();
  MergerObj* root = MergerObj::cloneRoot(*other, tree.mask, kCloneWithSubtree);
  MergerObj* copy = root->childAt(0)->childAt(0);
  ASSERT_NE(copy->getComments(), nullptr);
  EXPECT_EQ(copy->getComments(), tree.attr->getComments());
  EXPECT_TRUE(copy->getCommentLines().empty());

  VexListValVexUnicodeString more;
  more.Append(VexUnicodeString("// two"));
  copy->addComments(more);
  EXPECT_EQ(copy->getComments()->Size(), 2);
  EXPECT_EQ((*copy->getComments())[2].str(), "// two");
  EXPECT_EQ(tree.attr->getComments()->Size(), 1);
}
