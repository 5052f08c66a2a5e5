#pragma once

#include <memory>
#include <string>
#include <vector>

#include "maskfile/MaskLayout.h"
#include "maskfile/MergerFile.h"
#include "platform/OutputGuard.h"
#include "qelmask/decisions/RecordedDecisions.h"
#include "qelmask/output/Diagnostics.h"
#include "qelmask/session/MaskInput.h"
#include "qelmask/session/MergeRecorder.h"
#include "qelmask/session/QuestionLog.h"
#include "qelmask/session/RuleUsage.h"
#include "qelmask/session/SharedInputs.h"
#include "qelmask/session/SwapGuard.h"
#include "qelmask/summary/AccessChanges.h"
#include "qelmask/summary/LostComments.h"
#include "qelmask/summary/LostCustomisations.h"
#include "qelmask/summary/MovedLines.h"

// The steps that `merge` and `check` share, in the order the merger takes
// them (so that the merged tree is the one it writes): the rule file, the
// three masks, the merge; then what the summary is made of. Each step
// reports its own errors and returns an exit status. A session of one site
// among many shares what the others read too (SharedInputs) and reads only
// its customer's mask.
class MergeSession {
 public:
  struct Names {
    std::string ref, neu, custo, rules;  // rules: "" for none
    std::string decisions;               // "" for none

    // The files that no output of the run may be.
    std::vector<OutputGuard::Other> guarded() const;
    SharedInputs::Names shared() const { return {ref, neu, rules, decisions}; }
  };

  // The merged mask is to be written in `layout` (what the summary says
  // of the customer's comments depends on it).
  MergeSession(Names names, Diagnostics& diagnostics, MaskLayout layout = MaskLayout::kReadBack);
  // A site's session: `shared` (read, and checked by `SharedInputs`) must
  // outlive it; `custo` is the site's mask.
  MergeSession(const SharedInputs& shared, std::string custo, Diagnostics& diagnostics,
               MaskLayout layout = MaskLayout::kReadBack);
  // What a run does when --ref and --new look swapped: stop before the
  // merge is used (the default), merge with a warning, or merge and let the
  // caller report it.
  enum class SwapPolicy { kStop, kWarn, kReport };
  void setSwapPolicy(SwapPolicy policy) { _swapPolicy = policy; }

  MergeSession(const MergeSession&) = delete;
  MergeSession& operator=(const MergeSession&) = delete;

  // Every step in turn, up to the first that fails: for a site's session,
  // from the reading of its mask.
  int run();

  int loadRules();
  int loadDecisions();
  int readInputs();
  int merge();
  // Rule usage and lost comments, once the merge is over.
  void collect();
  // The summary that ends every command that merges, after a blank line;
  // `listIgnored` names each line the reader ignored instead of counting
  // them; `listAll` lists in full what is otherwise cut at 20 lines.
  void writeSummary(std::ostream& out, bool listIgnored, bool listAll = false) const;

  const Names& names() const { return _names; }
  MergerFile& result() { return _result; }
  MergerFile& custo() { return _custo; }
  const MergerFile& custo() const { return _custo; }
  const QuestionLog& questions() const { return _questions; }
  const RuleUsage& rules() const { return _rules; }
  // The recorded decisions given, or null.
  const RecordedDecisions* decisions() const { return _decisions.get(); }
  const LostComments& lostComments() const { return _lost; }
  const AccessChanges& accessChanges() const { return _accessChanges; }
  const LostCustomisations& lostCustomisations() const { return _lostCustomisations; }
  const SwapGuard::Verdict& swap() const { return _swap; }
  const MaskInputs& inputs() const { return _inputs; }
  // Problems in the rule file (each already reported).
  int ruleProblems() const { return _shared.ruleProblems(); }
  // The lines of the customer's mask, an earlier merge's output in the
  // merger's layout, whose owner the reader could not tell.
  const std::vector<MovedLines::Entry>& movedLines() const { return _moved; }

 private:
  // What an earlier merge's output, given as the customer's mask, brings
  // along: review records read as comments, lines of doubtful owner.
  void inspectEarlierOutput(std::string_view custo);
  void judgeSwap();
  int runSite();
  int readCusto();
  void makeDecider();

  Names _names;
  Diagnostics& _diagnostics;
  MaskLayout _layout;
  SwapPolicy _swapPolicy = SwapPolicy::kStop;
  SwapGuard::Verdict _swap;
  std::vector<MovedLines::Entry> _moved;
  // Null for a site's session.
  std::unique_ptr<SharedInputs> _ownShared;
  const SharedInputs& _shared;
  MaskInput _custoInput;
  MaskInputs _inputs{&_shared.ref(), &_shared.neu(), &_custoInput};
  const MergerFile& _ref = _shared.ref().file;
  const MergerFile& _neu = _shared.neu().file;
  MergerFile& _custo = _custoInput.file;
  MergerFile _result{1};
  QuestionLog _questions;
  MergeRecorder _recorder{_questions};
  RuleUsage _rules;
  std::unique_ptr<RecordedDecisions> _decisions;
  LostComments _lost;
  AccessChanges _accessChanges;
  LostCustomisations _lostCustomisations;
};
