// The pieces a report is built from, on one small merge: the question log,
// the rule usage and the lost comments, as MergeSession collects them.
#include <gtest/gtest.h>

#include "framework/TestSupport.h"
#include "qelmask/ExitStatus.h"
#include "qelmask/MergeSession.h"
#include "qelmask/QuestionLog.h"
#include "rules/MergerRule.h"

namespace {

const char* const kRef =
    "*MASK DEFAULT\n"
    "*ENTITY PART,DEFAULT,Part\n"
    "*ATTR V_id,PART.DEFAULT,Y,Id\n"
    "+ACI WRITE,N\n"
    "*ATTR V_old,PART.DEFAULT,N,Old\n"
    "+VALUE A\n"
    "*ATTR V_size,PART.DEFAULT,N,Size\n";
const char* const kNew =
    "*MASK DEFAULT\n"
    "*ENTITY PART,DEFAULT,Part\n"
    "*ATTR V_id,PART.DEFAULT,Y,Id\n"
    "+ACI WRITE,Y\n"
    "*ATTR V_size,PART.DEFAULT,N,Size\n"
    "+FILTER SITE,ALL\n";
const char* const kCusto =
    "*MASK DEFAULT\n"
    "*ENTITY PART,DEFAULT,Part\n"
    "*ATTR V_id,PART.DEFAULT,Y,Id\n"
    "// ours: no writes\n"
    "\n"
    "+ACI WRITE,N\n"
    "// ours: kept for the archive\n"
    "*ATTR V_old,PART.DEFAULT,N,Old\n"
    "// value A\n"
    "+VALUE A\n"
    "*ATTR V_size,PART.DEFAULT,N,Size\n";

struct Session : testing::Test {
  void TearDown() override { MergerRule::end(); }

  int run(const std::string& rules) {
    MergeSession::Names names{dir.write("ref.msk", kRef), dir.write("new.msk", kNew),
                              dir.write("custo.msk", kCusto),
                              rules.empty() ? "" : dir.write("rules.txt", rules)};
    session = std::make_unique<MergeSession>(names, diagnostics);
    return session->run();
  }

  ScratchDir dir;
  std::ostringstream out, err;
  Diagnostics diagnostics{out, err, false};
  std::unique_ptr<MergeSession> session;
};

}  // namespace

TEST_F(Session, LogsEveryQuestionWithItsKindChoiceAndRule) {
  ASSERT_EQ(run("KEEP CUSTO E::PART/A::V_old\nKEEP NEW E::PART/A::v_size/F::site\n"), kDone);
  std::string log;
  for (const QuestionLog::Entry& q : session->questions().entries()) {
    std::string id;
    (q.custo ? q.custo : q.neu)->appendId(id);
    log += std::to_string(q.kind) + " " + id + " choice " + std::to_string(q.choice) + " rule " +
           std::to_string(q.rule) + "\n";
  }
  EXPECT_EQ(log,
            "3 E::PART/A::V_id/X::WRITE[N] choice 1 rule 0\n"
            "1 E::PART/A::V_old choice 2 rule 1\n"
            "1 E::PART/A::V_old/_::alias[Old] choice 1 rule 0\n"
            "1 E::PART/A::V_old/_::auth[N] choice 1 rule 0\n"
            "1 E::PART/A::V_old/_::defval choice 1 rule 0\n"
            "1 E::PART/A::V_old/_::group choice 1 rule 0\n"
            "1 E::PART/A::V_old/_::order choice 1 rule 0\n"
            "1 E::PART/A::V_old/_::required[N] choice 1 rule 0\n"
            "1 E::PART/A::V_old/_::values choice 1 rule 0\n"
            "4 E::PART/A::V_size/F::SITE[ALL] choice 1 rule 0\n");
  EXPECT_EQ(session->questions().countOfKind(1), 8);
  EXPECT_EQ(session->questions().countOfChoice(2), 1);
}

TEST_F(Session, CountsWhatEachRuleDecidedAndSpellsTheStaleOnes) {
  ASSERT_EQ(run("KEEP CUSTO E::PART/A::V_old\nKEEP NEW E::PART/A::v_size/F::site\n"), kDone);
  const auto& rules = session->rules().entries();
  ASSERT_EQ(rules.size(), 2u);
  EXPECT_EQ(rules[0].text, "KEEP CUSTO E::PART/A::V_old");
  EXPECT_EQ(rules[0].alternative, 1);
  EXPECT_EQ(rules[0].recommendation, 0);
  EXPECT_EQ(rules[1].decided(), 0);
  EXPECT_EQ(rules[1].suggestion, "E::PART/A::V_size/F::SITE");
  ASSERT_EQ(session->rules().stale().size(), 1u);
  EXPECT_EQ(session->rules().stale()[0]->number, 2);
}

TEST_F(Session, FindsTheLinesOfTheCommentsTheOutputLeavesBehind) {
  ASSERT_EQ(run(""), kDone);
  std::string lost;
  for (const LostComments::Entry& entry : session->lostComments().entries())
    lost += std::to_string(entry.line) + " " + entry.text + " | " + entry.why + "\n";
  // The blank line between a comment and its node does not shift the line.
  EXPECT_EQ(lost,
            "4 // ours: no writes | on E::PART/A::V_id/X::WRITE[N], replaced by version N+1's\n"
            "7 // ours: kept for the archive | on E::PART/A::V_old, which version N+1 dropped\n"
            "9 // value A | on E::PART/A::V_old/_::values/V::A, under E::PART/A::V_old, which "
            "version N+1 dropped\n");
}

TEST_F(Session, KeptNodesKeepTheirComments) {
  ASSERT_EQ(run("KEEP CUSTO //A::V_old\nKEEP CUSTO //_::values\nKEEP CUSTO //V::A\n"), kDone);
  std::string lost;
  for (const LostComments::Entry& entry : session->lostComments().entries())
    lost += std::to_string(entry.line) + " " + entry.text + "\n";
  EXPECT_EQ(lost, "4 // ours: no writes\n");
}

TEST(QuestionLog, NewReplacesTheCustomersNodeOnlyWhenItsVersionIsTaken) {
  const std::tuple<int, int, bool> cases[] = {
      {MergeObserver::kChangedByBoth, 1, false}, {MergeObserver::kChangedByBoth, 2, true},
      {MergeObserver::kChangedByNew, 1, true},   {MergeObserver::kChangedByNew, 2, false},
      {MergeObserver::kDroppedByNew, 1, false},  {MergeObserver::kNewInNew, 1, false},
  };
  for (const auto& [kind, choice, replaced] : cases) {
    QuestionLog::Entry entry{kind, nullptr, nullptr, nullptr, nullptr, choice, 0};
    EXPECT_EQ(QuestionLog::newReplacedCusto(entry), replaced) << kind << " " << choice;
  }
}
