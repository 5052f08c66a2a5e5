#include "qelmask/session/MergeSession.h"

#include <vector>

#include "framework/SideBySide.h"
#include "maskfile/MaskFileVocabulary.h"
#include "maskfile/ParallelParse.h"
#include "maskfile/ReviewRecordLines.h"
#include "qelmask/decisions/DecisionsFile.h"
#include "qelmask/output/ExitStatus.h"
#include "qelmask/session/InputFile.h"
#include "qelmask/session/RuleFileReader.h"
#include "qelmask/summary/MergeSummary.h"
#include "qelmask/summary/ReviewRecords.h"
#include "rules/MergerRule.h"

namespace {

// "1 line", "2 lines".
std::string counted(size_t count, const std::string& what) {
  return std::to_string(count) + " " + what + (count == 1 ? "" : "s");
}

}  // namespace

std::vector<OutputGuard::Other> MergeSession::Names::guarded() const {
  return {{"the input", ref},
          {"the input", neu},
          {"the input", custo},
          {"the rule file", rules},
          {"the decisions file", decisions}};
}

MergeSession::MergeSession(Names names, Diagnostics& diagnostics, MaskLayout layout)
    : _names(std::move(names)), _diagnostics(diagnostics), _layout(layout) {
  _inputs[0].name = _names.ref;
  _inputs[1].name = _names.neu;
  _inputs[2].name = _names.custo;
}

MergeSession::~MergeSession() { MergerRule::end(); }

int MergeSession::run() {
  int status = loadRules();
  int decisions = loadDecisions();
  if (status == kDone) status = decisions;
  // A missing mask is worth knowing about together with the rule errors.
  int read = readInputs();
  if (status != kDone) return status;
  if (read != kDone) return read;
  // The guard reads the three trees the merge only reads: beside it.
  int merged = kDone;
  runSideBySide([&] { merged = merge(); }, [this] { judgeSwap(); });
  if (merged != kDone) return merged;
  if (_swap.swapped) {
    std::string verdict = SwapGuard::describe(_swap, _names.ref, _names.neu, _names.custo);
    if (_swapPolicy == SwapPolicy::kStop) {
      _diagnostics.error("", verdict + "; --allow-swap merges them as given");
      return kInputProblem;
    }
    if (_swapPolicy == SwapPolicy::kWarn)
      _diagnostics.warning(_names.custo, verdict + "; merged as given (--allow-swap)");
  }
  collect();
  return kDone;
}

void MergeSession::judgeSwap() {
  if (_ref.getMask(gsDEF_MASK) && _neu.getMask(gsDEF_MASK))
    _swap = SwapGuard::judge(_ref, _neu, _custo);
}

int MergeSession::loadRules() {
  if (_names.rules.empty()) return kDone;
  RuleFileReader reader;
  std::string error;
  if (!reader.load(_names.rules, error)) {
    _diagnostics.error(_names.rules, error);
    return kInputProblem;
  }
  if (reader.crlf()) _diagnostics.note(_names.rules, "CRLF line ends, read as LF");
  for (const RuleFileReader::Problem& problem : reader.problems()) {
    _diagnostics.errorAt(_names.rules, problem.line, problem.message);
  }
  _ruleProblems = static_cast<int>(reader.problems().size());
  if (_ruleProblems > 0) return kInputProblem;
  _diagnostics.progress() << "Rules: " << reader.ruleCount() << " from " << _names.rules << "\n";
  return kDone;
}

int MergeSession::loadDecisions() {
  if (_names.decisions.empty()) return kDone;
  DecisionsFile file;
  if (!file.load(_names.decisions, _diagnostics)) return kInputProblem;
  _diagnostics.progress() << "Decisions: " << file.lines().size() << " from " << _names.decisions
                          << "\n";
  _decisions = std::make_unique<RecordedDecisions>(_names.decisions, file.lines());
  return kDone;
}

int MergeSession::readInputs() {
  std::array<std::string, 3> bytes;
  int status = kDone;
  for (int i = 0; i < 3; ++i) {
    std::string error;
    if (!InputFile::read(_inputs[i].name, bytes[i], error)) {
      _diagnostics.error(_inputs[i].name, error);
      status = kInputProblem;
    }
  }
  if (status != kDone) return status;
  inspectEarlierOutput(bytes[2]);

  MergerFile* files[3];
  for (int i = 0; i < 3; ++i) {
    files[i] = &_inputs[i].file;
    files[i]->setConsole(_inputs[i].console);
    files[i]->setObserver(&_inputs[i].log);
  }
  parseAndSortSideBySide(files, bytes.data(), 3);
  std::ostream& progress = _diagnostics.progress();
  progress << "Read: ";
  for (int i = 0; i < 3; ++i) {
    progress << _inputs[i].name << " (" << _inputs[i].file.getLineCount() << " lines)"
             << (i < 2 ? ", " : "\n");
  }
  return kDone;
}

void MergeSession::inspectEarlierOutput(std::string_view custo) {
  _moved = MovedLines::find(custo);
  if (!_moved.empty()) {
    _diagnostics.warning(_names.custo,
                         "written by an earlier merge in the merger's layout: " +
                             counted(_moved.size(), "access, filter or value line") +
                             " after the last attribute of an entity, read as that attribute's "
                             "though some may be the entity's own (qelmask check " +
                             _names.custo + " lists them)");
  }
  // Records may stand in a file whose header was cut off; a file without
  // any record costs one search.
  if (_layout != MaskLayout::kReadBack ||
      custo.find(ReviewRecordLines::kChoice) == std::string_view::npos)
    return;
  if (int records = ReviewRecords::count(custo).records; records > 0) {
    _diagnostics.note(_names.custo, counted(static_cast<size_t>(records), "review record") +
                                        " of an earlier merge: not carried over as comments");
  }
}

int MergeSession::merge() {
  int status = kDone;
  if (!_ref.getMask(gsDEF_MASK)) {
    _diagnostics.error(_names.ref, "no DEFAULT mask");
    status = kInputProblem;
  }
  if (!_neu.getMask(gsDEF_MASK)) {
    _diagnostics.error(_names.neu, "no DEFAULT mask");
    status = kInputProblem;
  }
  if (!_custo.getMask(std::string_view())) {
    _diagnostics.error(_names.custo, "no mask");
    status = kInputProblem;
  }
  if (status != kDone) return status;
  _result.setSeparator(_custo.getSeparator());
  _custo.merge(_ref, _neu, _result, &_recorder, _decisions.get());
  return kDone;
}

void MergeSession::collect() {
  _recorder.seal();
  // The rights are compared in the order the file is written in. They only
  // read the trees, as the rest does: beside it.
  auto rights = [this] {
    for (int i = 1; i <= _result.getMaskCount(); ++i) {
      if (MergerObj* mask = _result.getMaskAt(i)) mask->sort(1);
    }
    _accessChanges.compute(_custo, _result, _questions);
    _lostCustomisations.compute(_questions, _accessChanges.causes());
  };
  runSideBySide(
      [this] {
        _rules.count(_questions);
        _rules.suggest(_neu, _custo);
        // The review records of an earlier merge are no comments of the
        // customer's in the read-back layout: the writer leaves them out.
        bool records = _layout == MaskLayout::kLegacy;
        _lost.addDropped(_inputs[2].log, records);
        _lost.addLeftOut(_custo, _recorder, _questions, records);
      },
      rights);
}

void MergeSession::writeSummary(std::ostream& out, bool listIgnored, bool listAll) const {
  out << "\n";
  MergeSummary::write(out, {_questions, _rules, _lost, _accessChanges, _lostCustomisations,
                            _names.rules, _names.custo, listAll, _decisions.get()});
  MergeSummary::writeIgnored(out, _inputs, listIgnored);
}
