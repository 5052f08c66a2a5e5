#include "qelmask/CheckCommand.h"

#include "qelmask/ExitStatus.h"
#include "qelmask/MergeSession.h"
#include "qelmask/MergeSummary.h"

int CheckCommand::run(const CommandOptions& options, Diagnostics& diagnostics) {
  MergeSession session({options.ref, options.neu, options.custo, options.rules}, diagnostics);
  if (int status = session.run(); status != kDone) return status;

  std::ostream& out = diagnostics.progress();
  session.writeSummary(out, true);

  // Questions are what a merge is for; what needs a look is a rule that
  // did nothing, a comment that would be lost and a line the reader skips.
  size_t stale = session.rules().stale().size();
  size_t lost = session.lostComments().entries().size();
  auto ignored = static_cast<size_t>(MergeSummary::ignoredCount(session.readLogs()));
  size_t findings = stale + lost + ignored;
  if (findings == 0) {
    out << "Nothing to report.\n";
  } else {
    out << "To look at: " << stale << " stale rules, " << lost << " lost comments, " << ignored
        << " ignored lines\n";
  }
  out.flush();
  return findings == 0 ? kDone : kInputProblem;
}
