// The pieces a report is built from, on one small merge: the question log,
// the rule usage and the lost comments, as MergeSession collects them.
#include <gtest/gtest.h>

#include "framework/TestSupport.h"
#include "qelmask/output/ExitStatus.h"
#include "qelmask/session/MergeSession.h"
#include "qelmask/session/QuestionLog.h"
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
                              rules.empty() ? "" : dir.write("rules.txt", rules), ""};
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
    log += std::string(questionKind(q.kind).name) + " " + id + " " + q.taken().text +
           (q.rule ? " rule " + std::to_string(*q.rule) : "") + "\n";
  }
  EXPECT_EQ(log,
            "changed-by-new E::PART/A::V_id/X::WRITE[N] KEEP NEW\n"
            "dropped-by-new E::PART/A::V_old KEEP CUSTO rule 1\n"
            "dropped-by-new E::PART/A::V_old/_::alias[Old] IGNORE CUSTO\n"
            "dropped-by-new E::PART/A::V_old/_::auth[N] IGNORE CUSTO\n"
            "dropped-by-new E::PART/A::V_old/_::defval IGNORE CUSTO\n"
            "dropped-by-new E::PART/A::V_old/_::group IGNORE CUSTO\n"
            "dropped-by-new E::PART/A::V_old/_::order IGNORE CUSTO\n"
            "dropped-by-new E::PART/A::V_old/_::required[N] IGNORE CUSTO\n"
            "dropped-by-new E::PART/A::V_old/_::values IGNORE CUSTO\n"
            "new-in-new E::PART/A::V_size/F::SITE[ALL] ADD NEW\n");
  EXPECT_EQ(session->questions().countOfKind(QuestionKind::kDroppedByNew), 8);
  EXPECT_EQ(session->questions().countOfChoice(Choice::kAlternative), 1);
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
  const Choice kRec = Choice::kRecommendation, kAlt = Choice::kAlternative;
  const std::tuple<QuestionKind, Choice, bool> cases[] = {
      {QuestionKind::kChangedByBoth, kRec, false}, {QuestionKind::kChangedByBoth, kAlt, true},
      {QuestionKind::kChangedByNew, kRec, true},   {QuestionKind::kChangedByNew, kAlt, false},
      {QuestionKind::kDroppedByNew, kRec, false},  {QuestionKind::kDroppedByNew, kAlt, false},
      {QuestionKind::kNewInNew, kRec, false},      {QuestionKind::kNewInNew, kAlt, false},
  };
  for (const auto& [kind, choice, replaced] : cases) {
    QuestionLog::Entry entry{kind,    nullptr, nullptr,      nullptr,
                             nullptr, choice,  std::nullopt, nullptr};
    EXPECT_EQ(QuestionLog::newReplacedCusto(entry), replaced)
        << questionKind(kind).name << " " << static_cast<int>(choice);
  }
}
