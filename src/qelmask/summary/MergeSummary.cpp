#include "qelmask/summary/MergeSummary.h"

#include <algorithm>
#include <iomanip>
#include <ostream>
#include <string>
#include <vector>

#include "qelmask/decisions/RecordedDecisions.h"
#include "qelmask/session/QuestionLog.h"
#include "qelmask/session/ReadLog.h"
#include "qelmask/session/RuleUsage.h"
#include "qelmask/summary/AccessChanges.h"
#include "qelmask/summary/LostComments.h"
#include "qelmask/summary/LostCustomisations.h"
#include "tree/MergerObj.h"

namespace {

// The longest list of nodes the summary prints.
constexpr size_t kListed = 20;

void count(std::ostream& out, int n) { out << "  " << std::setw(5) << n << "  "; }

void writeQuestions(std::ostream& out, const QuestionLog& questions) {
  out << "Questions: " << questions.size() << " ("
      << questions.countOfChoice(Choice::kRecommendation) << " settled on the recommendation, "
      << questions.countOfChoice(Choice::kAlternative) << " on the alternative)\n";
  for (const QuestionKindInfo& kind : questionKinds()) {
    count(out, questions.countOfKind(kind.kind));
    out << kind.wording << "\n";
  }
}

void writeChoices(std::ostream& out, int recommendation, int alternative) {
  if (alternative == 0) {
    out << "the recommendation\n";
  } else if (recommendation == 0) {
    out << "the alternative\n";
  } else {
    out << recommendation << " the recommendation, " << alternative << " the alternative\n";
  }
}

// Past `kListed` lines, a list ends with how many more there are and where
// to see them; `all` lists everything.
template <class Entries, class Line>
void writeCapped(std::ostream& out, const Entries& entries, bool all, Line line) {
  size_t shown = all ? entries.size() : std::min(entries.size(), kListed);
  for (size_t i = 0; i < shown; ++i) line(entries[i]);
  if (shown < entries.size())
    out << "  ... " << entries.size() - shown << " more (qelmask check --all lists them all)\n";
}

// One line per recorded decision that settled questions, in file order.
void writeRecorded(std::ostream& out, const QuestionLog& questions,
                   const RecordedDecisions& decisions, bool all) {
  struct Use {
    const DecisionLine* line;
    int recommendation = 0, alternative = 0;
  };
  std::vector<Use> uses(decisions.lines().size());
  for (const QuestionLog::Entry& entry : questions.entries()) {
    if (!entry.decision) continue;
    const DecisionLine& line = decisions.lineOf(*entry.decision);
    Use& use = uses[static_cast<size_t>(&line - decisions.lines().data())];
    use.line = &line;
    (entry.choice == Choice::kAlternative ? use.alternative : use.recommendation) += 1;
  }
  std::erase_if(uses, [](const Use& use) { return use.line == nullptr; });
  writeCapped(out, uses, all, [&](const Use& use) {
    count(out, use.recommendation + use.alternative);
    out << "decision " << decisions.file() << ":" << use.line->line << " \"" << use.line->mask
        << " " << use.line->node << " " << questionKind(use.line->kind).name << "\": ";
    writeChoices(out, use.recommendation, use.alternative);
  });
}

void writeDeciders(std::ostream& out, const QuestionLog& questions, const RuleUsage& rules,
                   const RecordedDecisions* decisions, bool all) {
  int byRule = 0;
  for (const RuleUsage::Entry& rule : rules.entries()) byRule += rule.decided();
  out << "Decided by:\n";
  count(out, questions.size() - byRule - questions.countRecorded());
  out << "no rule: the recommendation\n";
  if (decisions) writeRecorded(out, questions, *decisions, all);
  for (const RuleUsage::Entry& rule : rules.entries()) {
    if (rule.decided() == 0) continue;
    count(out, rule.decided());
    out << "rule #" << rule.number << " \"" << rule.text << "\": ";
    writeChoices(out, rule.recommendation, rule.alternative);
  }
}

// One line per mask whose rights change: what an administrator signs off.
void writeAccess(std::ostream& out, const AccessChanges& access) {
  std::vector<AccessChanges::MaskCount> counts = access.perMask();
  if (counts.empty()) out << "Access: no change\n";
  for (const AccessChanges::MaskCount& count : counts) {
    out << "Access: " << count.mask << " " << count.granted << " granted, " << count.revoked
        << " revoked, " << count.changed << " changed";
    if (count.auth > 0)
      out << "; auth changed on " << count.auth << (count.auth == 1 ? " attribute" : " attributes");
    out << "\n";
  }
}

// Questions whose answer the file cannot show: a property left out is still
// a field of its line.
void writeNoEffect(std::ostream& out, const QuestionLog& questions, bool all) {
  std::vector<const QuestionLog::Entry*> entries;
  for (const QuestionLog::Entry& entry : questions.entries()) {
    if (QuestionLog::noEffectOnFile(entry)) entries.push_back(&entry);
  }
  if (entries.empty()) return;
  out << "Decisions with no effect on the file: " << entries.size()
      << " (a property left out is still written: it is a field of its entity or attribute "
         "line)\n";
  writeCapped(out, entries, all, [&](const QuestionLog::Entry* entry) {
    const MergerObj* mask = entry->created;
    while (mask->getParentObj()) mask = mask->getParentObj();
    std::string id;
    entry->created->appendId(id);
    out << "  " << id << " (in " << mask->name() << ")\n";
  });
}

void writeStale(std::ostream& out, const RuleUsage& rules, const std::string& rulesName,
                bool recorded) {
  auto stale = rules.stale();
  out << "Rules that decided nothing: " << (stale.empty() ? "none" : std::to_string(stale.size()))
      << "\n";
  for (const RuleUsage::Entry* rule : stale) {
    out << "  " << rulesName << ":" << rule->number << ": " << rule->text << ": ";
    if (!rule->suggestion.empty()) {
      out << "did you mean \"" << rule->suggestion << "\"? (paths match letter case)\n";
    } else {
      out << "no question on its nodes, or an earlier rule "
          << (recorded ? "or a recorded decision " : "") << "decided first\n";
    }
  }
}

// What a decisions file settled besides questions, and what it no longer
// settles.
void writeDecisionsFile(std::ostream& out, const RecordedDecisions& decisions, bool all) {
  std::vector<const DecisionLine*> left;
  for (const DecisionLine& line : decisions.lines()) {
    if (line.refusal) left.push_back(&line);
  }
  std::vector<RecordedDecisions::Stale> stale = decisions.stale();
  std::erase_if(left, [&](const DecisionLine* line) {
    return std::any_of(stale.begin(), stale.end(),
                       [&](const RecordedDecisions::Stale& s) { return s.line == line; });
  });
  if (!left.empty()) {
    out << "Left out of nodes version N+1 brings: " << left.size() << "\n";
    writeCapped(out, left, all, [&](const DecisionLine* line) {
      out << "  " << decisions.file() << ":" << line->line << ": " << line->inner << " of "
          << line->node << " (in " << line->mask << ")\n";
    });
  }
  out << "Decisions that no longer apply: "
      << (stale.empty() ? "none" : std::to_string(stale.size())) << "\n";
  writeCapped(out, stale, all, [&](const RecordedDecisions::Stale& entry) {
    const DecisionLine& line = *entry.line;
    out << "  " << decisions.file() << ":" << line.line << ": " << line.mask << " " << line.node
        << " "
        << (line.refusal ? std::string("without ") + line.inner
                         : std::string(questionKind(line.kind).name))
        << ": decision no longer applies: " << entry.why << "\n";
  });
}

void writeLostCustomisations(std::ostream& out, const LostCustomisations& lost,
                             const std::string& custoName, bool all) {
  const auto& entries = lost.entries();
  out << "Customisations of " << custoName << " not carried into the output: "
      << (entries.empty() ? "none" : std::to_string(entries.size())) << "\n";
  writeCapped(out, entries, all, [&](const LostCustomisations::Entry& entry) {
    out << "  " << entry.node << " (" << (entry.own ? "your own" : "your value") << " in "
        << entry.mask << "): " << entry.cause << "\n";
  });
}

void writeLostComments(std::ostream& out, const LostComments& lost, const std::string& custoName,
                       bool all) {
  const auto& entries = lost.entries();
  out << "Comments of " << custoName << " not carried into the output: "
      << (entries.empty() ? "none" : std::to_string(entries.size())) << "\n";
  writeCapped(out, entries, all, [&](const LostComments::Entry& entry) {
    out << "  " << custoName << ":" << entry.line << ": " << entry.why << ": " << entry.text
        << "\n";
  });
}

}  // namespace

void MergeSummary::write(std::ostream& out, const Facts& facts) {
  writeQuestions(out, facts.questions);
  writeDeciders(out, facts.questions, facts.rules, facts.decisions, facts.listAll);
  writeAccess(out, facts.access);
  writeNoEffect(out, facts.questions, facts.listAll);
  if (!facts.rulesName.empty())
    writeStale(out, facts.rules, facts.rulesName, facts.decisions != nullptr);
  if (facts.decisions) writeDecisionsFile(out, *facts.decisions, facts.listAll);
  writeLostCustomisations(out, facts.lostCustomisations, facts.custoName, facts.listAll);
  writeLostComments(out, facts.lostComments, facts.custoName, facts.listAll);
}

int MergeSummary::ignoredCount(const MaskInputs& inputs) {
  int total = 0;
  for (const MaskInput* input : inputs) total += static_cast<int>(input->log.reported().size());
  return total;
}

void MergeSummary::writeIgnored(std::ostream& out, const MaskInputs& inputs, bool list) {
  int total = ignoredCount(inputs);
  out << "Lines the reader ignored: " << (total == 0 ? "none" : std::to_string(total));
  if (total > 0 && !list) out << " (qelmask check lists them)";
  out << "\n";
  if (!list) return;
  for (const MaskInput* input : inputs) {
    for (const ReadLog::Entry* entry : input->log.reported()) {
      out << "  " << input->name << ":" << entry->line << ": " << ReadLog::describe(*entry) << ": "
          << entry->text << "\n";
    }
  }
}
