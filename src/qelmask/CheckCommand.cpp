#include "qelmask/CheckCommand.h"

#include <algorithm>

#include "qelmask/ExitStatus.h"
#include "qelmask/InputFile.h"
#include "qelmask/MergeSession.h"
#include "qelmask/MergeSummary.h"
#include "qelmask/MovedLines.h"

namespace {

// The longest list printed without --all.
constexpr size_t kListed = 20;

void listMoved(std::ostream& out, const std::string& file,
               const std::vector<MovedLines::Entry>& moved, bool all) {
  out << "Lines of " << file << " whose owner is in doubt: " << moved.size()
      << " (after the last attribute of their entity, where the merger writes an entity's own "
         "lines; read as that attribute's)\n";
  size_t shown = all ? moved.size() : std::min(moved.size(), kListed);
  for (size_t i = 0; i < shown; ++i) {
    out << "  " << file << ":" << moved[i].line << ": read under " << moved[i].attribute << ": "
        << moved[i].text << "\n";
  }
  if (shown < moved.size())
    out << "  ... " << moved.size() - shown << " more (--all lists them all)\n";
}

// Masks given on their own: only the lines whose owner is in doubt.
int checkMasks(const CommandOptions& options, Diagnostics& diagnostics) {
  std::ostream& out = diagnostics.progress();
  size_t findings = 0;
  bool unreadable = false;
  for (const std::string& name : options.masks) {
    std::string bytes, error;
    if (!InputFile::read(name, bytes, error)) {
      diagnostics.error(name, error);
      unreadable = true;
      continue;
    }
    std::vector<MovedLines::Entry> moved = MovedLines::find(bytes);
    if (moved.empty()) {
      out << name << ": "
          << (MovedLines::isLegacyLayout(bytes) ? "merged mask in the merger's layout, "
              : MovedLines::isMergedMask(bytes) ? "merged mask in the read-back layout, "
                                                : "")
          << "no line whose owner is in doubt\n";
      continue;
    }
    listMoved(out, name, moved, options.all);
    findings += moved.size();
  }
  if (unreadable) return kInputProblem;
  if (findings == 0) {
    out << "Nothing to report.\n";
  } else {
    out << "To look at: " << findings << (findings == 1 ? " line" : " lines")
        << " whose owner is in doubt\n";
  }
  out.flush();
  return findings == 0 ? kDone : kInputProblem;
}

}  // namespace

int CheckCommand::run(const CommandOptions& options, Diagnostics& diagnostics) {
  if (!options.masks.empty()) return checkMasks(options, diagnostics);
  MergeSession session({options.ref, options.neu, options.custo, options.rules}, diagnostics);
  session.setSwapPolicy(MergeSession::SwapPolicy::kReport);
  if (int status = session.run(); status != kDone) return status;

  std::ostream& out = diagnostics.progress();
  session.writeSummary(out, true);
  bool swapped = session.swap().swapped;
  if (swapped) {
    out << "Inputs: "
        << SwapGuard::describe(session.swap(), options.ref, options.neu, options.custo) << "\n";
  }
  const std::vector<MovedLines::Entry>& moved = session.movedLines();
  if (!moved.empty()) listMoved(out, options.custo, moved, options.all);

  // Questions are what a merge is for; what needs a look is a rule that
  // did nothing, a comment that would be lost, a line the reader skips and
  // a line whose owner the reader could only guess.
  size_t stale = session.rules().stale().size();
  size_t lost = session.lostComments().entries().size();
  auto ignored = static_cast<size_t>(MergeSummary::ignoredCount(session.readLogs()));
  size_t findings = stale + lost + ignored + moved.size() + (swapped ? 1 : 0);
  if (findings == 0) {
    out << "Nothing to report.\n";
  } else {
    out << "To look at: " << stale << " stale rules, " << lost << " lost comments, " << ignored
        << " ignored lines";
    if (!moved.empty()) {
      out << ", " << moved.size() << (moved.size() == 1 ? " line" : " lines")
          << " whose owner is in doubt";
    }
    if (swapped) out << ", --ref and --new swapped";
    out << "\n";
  }
  out.flush();
  return findings == 0 ? kDone : kInputProblem;
}
