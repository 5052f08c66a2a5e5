#include "qelmask/session/MergeSession.h"

#include <vector>

#include "framework/SideBySide.h"
#include "maskfile/MaskFileVocabulary.h"
#include "maskfile/ReviewRecordLines.h"
#include "qelmask/output/ExitStatus.h"
#include "qelmask/session/MaskReading.h"
#include "qelmask/summary/MergeSummary.h"
#include "qelmask/summary/ReviewRecords.h"

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
    : _names(std::move(names)),
      _diagnostics(diagnostics),
      _layout(layout),
      _ownShared(std::make_unique<SharedInputs>(_names.shared(), diagnostics)),
      _shared(*_ownShared) {
  _custoInput.name = _names.custo;
}

MergeSession::MergeSession(const SharedInputs& shared, std::string custo, Diagnostics& diagnostics,
                           MaskLayout layout)
    : _names{shared.names().ref, shared.names().neu, std::move(custo), shared.names().rules,
             shared.names().decisions},
      _diagnostics(diagnostics),
      _layout(layout),
      _shared(shared) {
  _custoInput.name = _names.custo;
}

int MergeSession::run() {
  if (!_ownShared) return runSite();
  int status = loadRules();
  int decisions = loadDecisions();
  if (status == kDone) status = decisions;
  // A missing mask is worth knowing about together with the rule errors.
  int read = readInputs();
  if (status != kDone) return status;
  if (read != kDone) return read;
  return runSite();
}

int MergeSession::runSite() {
  if (!_ownShared) {
    if (int read = readCusto(); read != kDone) return read;
  }
  makeDecider();
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

void MergeSession::makeDecider() {
  if (const std::vector<DecisionLine>* lines = _shared.decisionLines())
    _decisions = std::make_unique<RecordedDecisions>(_names.decisions, *lines);
}

void MergeSession::judgeSwap() {
  if (_ref.getMask(gsDEF_MASK) && _neu.getMask(gsDEF_MASK))
    _swap = SwapGuard::judge(_ref, _neu, _custo);
}

int MergeSession::loadRules() { return _ownShared ? _ownShared->loadRules() : kDone; }

int MergeSession::loadDecisions() { return _ownShared ? _ownShared->loadDecisions() : kDone; }

int MergeSession::readInputs() {
  if (!_ownShared) return readCusto();
  MaskInput* inputs[3] = {&_ownShared->ref(), &_ownShared->neu(), &_custoInput};
  std::array<std::string, 3> bytes;
  if (int status = MaskReading::load(inputs, bytes.data(), 3, _diagnostics); status != kDone)
    return status;
  inspectEarlierOutput(bytes[2]);
  MaskReading::parse(inputs, bytes.data(), 3, _diagnostics);
  return kDone;
}

int MergeSession::readCusto() {
  MaskInput* input = &_custoInput;
  std::string bytes;
  if (int status = MaskReading::load(&input, &bytes, 1, _diagnostics); status != kDone)
    return status;
  inspectEarlierOutput(bytes);
  MaskReading::parse(&input, &bytes, 1, _diagnostics);
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
        _lost.addDropped(_custoInput.log, records);
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
