#include <algorithm>
#include <iostream>

#include "qelmask/commands/Commands.h"
#include "qelmask/git/MergeSides.h"
#include "qelmask/git/NotAMask.h"
#include "qelmask/git/ShownNamesBuffer.h"
#include "qelmask/output/ExitStatus.h"
#include "qelmask/output/OutputWriter.h"
#include "qelmask/session/MergeSession.h"
#include "qelmask/summary/LayoutNotes.h"

namespace {

// Git marks the file conflicted on any status but 0, and takes a status
// above 128 for a driver that died: whatever stops the merge is 1.
constexpr int kConflicted = 1;

int notMerged(const MergeSides& sides, Diagnostics& diagnostics) {
  diagnostics.error(sides.path, "not merged: left as the current branch has it");
  return kConflicted;
}

// Says why each file that cannot be a mask is none; false if there is one.
bool allMayBeMasks(const MergeSides& sides, Diagnostics& diagnostics) {
  bool fine = true;
  for (const std::string* file : {&sides.ancestor, &sides.current, &sides.other}) {
    NotAMask::Verdict verdict = NotAMask::judge(*file);
    if (verdict == NotAMask::Verdict::kMaybe) continue;
    fine = false;
    std::string shown = sides.shown(*file);
    if (verdict == NotAMask::Verdict::kBinary) {
      diagnostics.error(shown, "is a binary file, not a mask");
    } else if (file == &sides.ancestor) {
      diagnostics.error(shown,
                        "is empty: the branches share no version of the file (added on both "
                        "sides, or unrelated histories), so nothing tells what either changed; "
                        "merge it with qelmask merge, the DEFAULT mask the site's was built on "
                        "as --ref");
    } else {
      diagnostics.error(shown, "is empty, not a mask");
    }
  }
  return fine;
}

// The questions no rule and no recorded decision settled.
long leftToRecommendation(const QuestionLog& questions) {
  const std::vector<QuestionLog::Entry>& entries = questions.entries();
  return std::count_if(entries.begin(), entries.end(), [](const QuestionLog::Entry& entry) {
    return !entry.rule && entry.decision == nullptr;
  });
}

// Masks that look swapped stop the merge, as they stop qelmask merge: in
// git, the vendor's branch went back to an older DEFAULT mask, or the base
// is a merged mask already on the new version.
bool swapped(const MergeSession& session, const MergeSides& sides, Diagnostics& diagnostics) {
  if (!session.swap().swapped) return false;
  diagnostics.error("", SwapGuard::describe(session.swap(), sides.shown(sides.ref()),
                                            sides.shown(sides.neu()), sides.shown(sides.custo())) +
                            "; qelmask merge --allow-swap merges them as given");
  return true;
}

// Replacing the current branch's file is what a merge driver is for: that
// one input may be the output, the guard keeps every other check.
bool acceptsCurrent(const MergeSession::Names& names, const MergeSides& sides,
                    Diagnostics& diagnostics) {
  std::vector<OutputGuard::Other> others = names.guarded();
  std::erase_if(others,
                [&](const OutputGuard::Other& other) { return other.name == sides.current; });
  return OutputWriter::accept({sides.current}, others, true, diagnostics);
}

// The status git reads: 0 when rules and recorded decisions settled every
// question, 1 (conflicted) when the recommendation alone settled some.
int statusFor(const MergeSession& session, const MergeSides& sides, bool clean,
              Diagnostics& diagnostics) {
  long left = leftToRecommendation(session.questions());
  if (left == 0) return kDone;
  std::string count = std::to_string(left) + (left == 1 ? " question" : " questions");
  if (clean) {
    diagnostics.note(sides.path, count +
                                     " left to the recommendation, merged as clean (--clean): "
                                     "their review records are in the file");
    return kDone;
  }
  diagnostics.note(sides.path, count +
                                   " left to the recommendation, so git marks the file "
                                   "conflicted: review their records (\"==> FINALLY: "
                                   "RECOMMENDATION\"), then git add it");
  return kConflicted;
}

int mergeForGit(const CommandOptions& options, const MergeSides& sides, Diagnostics& diagnostics) {
  if (!allMayBeMasks(sides, diagnostics)) return notMerged(sides, diagnostics);
  MergeSession::Names names{sides.ref(), sides.neu(), sides.custo(), options.rules,
                            options.decisions};
  if (!acceptsCurrent(names, sides, diagnostics)) return notMerged(sides, diagnostics);
  MergeSession session(names, diagnostics, MaskLayout::kReadBack);
  session.setSwapPolicy(MergeSession::SwapPolicy::kReport);
  if (session.run() != kDone || swapped(session, sides, diagnostics))
    return notMerged(sides, diagnostics);

  OutputWriter writer(diagnostics);
  WriteNotes notes;
  writer.add(sides.current, [&](AtomicFile& file) {
    return session.result().writeTo(file.stream(), MaskLayout::kReadBack, &notes,
                                    [&] { return file.restart(); });
  });
  if (!writer.write()) return notMerged(sides, diagnostics);
  LayoutNotes::tell(notes, sides.path, diagnostics);
  session.writeSummary(diagnostics.progress(), false);
  return statusFor(session, sides, options.clean, diagnostics);
}

}  // namespace

int Commands::gitMerge(const CommandOptions& options, Diagnostics&) {
  MergeSides sides = MergeSides::of(options.gitFiles, options.vendor == "ours");
  // Everything goes to standard error, which git passes on to the user:
  // its standard output may be a script's. (main gives CommandLine
  // std::cerr as the error stream.)
  ShownNamesBuffer shown(*std::cerr.rdbuf(), sides.shownNames());
  std::ostream toUser(&shown);
  Diagnostics diagnostics(toUser, toUser, false);
  return mergeForGit(options, sides, diagnostics);
}
