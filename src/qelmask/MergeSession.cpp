#include "qelmask/MergeSession.h"

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

#include "framework/VexQelTrace.h"
#include "maskfile/MaskFileVocabulary.h"
#include "maskfile/ReviewRecordLines.h"
#include "qelmask/ExitStatus.h"
#include "qelmask/InputFile.h"
#include "qelmask/MergeSummary.h"
#include "qelmask/ReviewRecords.h"
#include "qelmask/RuleFileReader.h"
#include "rules/MergerRule.h"

namespace {

// "1 line", "2 lines".
std::string counted(size_t count, const std::string& what) {
  return std::to_string(count) + " " + what + (count == 1 ? "" : "s");
}

}  // namespace

std::vector<OutputGuard::Other> MergeSession::Names::guarded() const {
  return {{"the input", ref}, {"the input", neu}, {"the input", custo}, {"the rule file", rules}};
}

MergeSession::MergeSession(Names names, Diagnostics& diagnostics, MaskLayout layout)
    : _names(std::move(names)),
      _diagnostics(diagnostics),
      _layout(layout),
      _logPointers{&_logs[0], &_logs[1], &_logs[2]},
      _inputNames{_names.ref, _names.neu, _names.custo} {}

MergeSession::~MergeSession() { MergerRule::end(); }

int MergeSession::run() {
  int status = loadRules();
  // A missing mask is worth knowing about together with the rule errors.
  int read = readInputs();
  if (status != kDone) return status;
  if (read != kDone) return read;
  // The guard reads the three trees the merge only reads: beside it, on
  // another core, unless trace lines would then be mixed.
  std::thread guard;
  if (VexQelTrace::AnyActive()) {
    judgeSwap();
  } else {
    guard = std::thread([this] { judgeSwap(); });
  }
  int merged = merge();
  if (guard.joinable()) guard.join();
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

int MergeSession::readInputs() {
  MergerFile* files[3] = {&_ref, &_neu, &_custo};
  std::array<std::string, 3> bytes;
  int status = kDone;
  for (int i = 0; i < 3; ++i) {
    std::string error;
    if (!InputFile::read(_inputNames[i], bytes[i], error)) {
      _diagnostics.error(_inputNames[i], error);
      status = kInputProblem;
    }
  }
  if (status != kDone) return status;
  inspectEarlierOutput(bytes[2]);

  auto readOne = [&](int i) {
    files[i]->setConsole(_consoles[i]);
    files[i]->setObserver(&_logs[i]);
    files[i]->parse(std::move(bytes[i]));
    files[i]->sort(0);
  };
  // Side by side, as many at once as there are cores, unless trace lines
  // would then be mixed.
  unsigned cores = VexQelTrace::AnyActive() ? 1 : std::max(std::thread::hardware_concurrency(), 1u);
  std::atomic<int> next{0};
  auto work = [&]() {
    for (int i = next++; i < 3; i = next++) readOne(i);
  };
  std::vector<std::thread> helpers;
  for (unsigned t = 1; t < std::min(cores, 3u); ++t) helpers.emplace_back(work);
  work();
  for (std::thread& helper : helpers) helper.join();
  _diagnostics.progress() << "Read: " << _inputNames[0] << " (" << _ref.getLineCount()
                          << " lines), " << _inputNames[1] << " (" << _neu.getLineCount()
                          << " lines), " << _inputNames[2] << " (" << _custo.getLineCount()
                          << " lines)\n";
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

long MergeSession::lineCount(int i) const {
  const MergerFile* files[3] = {&_ref, &_neu, &_custo};
  return files[i]->getLineCount();
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
  _custo.merge(_ref, _neu, _result, &_recorder);
  return kDone;
}

void MergeSession::collect() {
  _recorder.seal();
  // The rights are compared in the order the file is written in. They only
  // read the trees, as the rest does: beside it, on another core, unless
  // trace lines would then be mixed.
  auto rights = [this] {
    for (int i = 1; i <= _result.getMaskCount(); ++i) {
      if (MergerObj* mask = _result.getMaskAt(i)) mask->sort(1);
    }
    _accessChanges.compute(_custo, _result, _questions);
    _lostCustomisations.compute(_questions, _accessChanges.causes());
  };
  std::thread helper;
  if (VexQelTrace::AnyActive()) {
    rights();
  } else {
    helper = std::thread(rights);
  }
  _rules.count(_questions);
  _rules.suggest(_neu, _custo);
  // The review records of an earlier merge are no comments of the
  // customer's in the read-back layout: the writer leaves them out.
  bool records = _layout == MaskLayout::kLegacy;
  _lost.addDropped(_logs[2], records);
  _lost.addLeftOut(_custo, _recorder, _questions, _names.custo, records);
  if (helper.joinable()) helper.join();
}

void MergeSession::writeSummary(std::ostream& out, bool listIgnored, bool listAll) const {
  out << "\n";
  MergeSummary::write(out, {_questions, _rules, _lost, _accessChanges, _lostCustomisations,
                            _names.rules, _names.custo, listAll});
  MergeSummary::writeIgnored(out, readLogs(), inputNames(), listIgnored);
}
