// The decision rows where the report cases cannot reach: a log large enough
// to be built in two halves keeps its order, and a node outside any entity.
#include <gtest/gtest.h>

#include <memory>
#include <nlohmann/json.hpp>
#include <string>

#include "qelmask/report/DecisionRows.h"
#include "qelmask/session/QuestionLog.h"
#include "tree/MergerObj.h"

namespace {

using Json = nlohmann::ordered_json;

struct Tree {
  std::unique_ptr<MergerObj> mask{new MergerObj(nullptr, 1, "M", "DEFAULT", "", 'N')};
  MergerObj* entity = new MergerObj(mask.get(), 2, "E", "PART", "", 'N');
};

void ask(QuestionLog& log, QuestionKind kind, const MergerObj* neu, const MergerObj* custo) {
  log.add({kind, nullptr, neu, custo, nullptr, Choice::kRecommendation, nullptr});
}

}  // namespace

TEST(DecisionRows, ALargeLogKeepsTheOrderOfTheMerge) {
  Tree tree;
  QuestionLog log;
  const int count = 10001;
  for (int i = 0; i < count; ++i) {
    std::string name = "V_" + std::to_string(i);
    auto* node = new MergerObj(tree.entity, 3 + i, "A", name.c_str(), "", 'N');
    ask(log, QuestionKind::kNewInNew, node, nullptr);
  }
  Json rows = Json::array();
  DecisionRows::append(log, rows);

  ASSERT_EQ(rows.size(), static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) {
    ASSERT_EQ(rows[i]["id"], "E::PART/A::V_" + std::to_string(i)) << i;
    ASSERT_EQ(rows[i]["taken"], "ADD NEW") << i;
  }
}

TEST(DecisionRows, ANodeOutsideAnyEntityHasNoEntity) {
  Tree tree;
  auto* filter = new MergerObj(tree.mask.get(), 3, "F", "SITE", "ALL", 'N');
  auto* custo = new MergerObj(tree.mask.get(), 4, "F", "SITE", "OURS", 'N');
  QuestionLog log;
  ask(log, QuestionKind::kChangedByBoth, filter, custo);
  Json rows = Json::array();
  DecisionRows::append(log, rows);

  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0]["id"], "F::SITE[OURS]");
  EXPECT_EQ(rows[0]["path"], "F::SITE");
  EXPECT_EQ(rows[0]["mask"], "DEFAULT");
  EXPECT_TRUE(rows[0]["entity"].is_null());
  EXPECT_EQ(rows[0]["new"], "ALL");
  EXPECT_TRUE(rows[0]["ref"].is_null());
}
