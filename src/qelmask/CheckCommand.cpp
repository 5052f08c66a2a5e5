#include "qelmask/CheckCommand.h"

#include "qelmask/ExitStatus.h"
#include "qelmask/MergeSession.h"
#include "qelmask/MergeSummary.h"

int CheckCommand::run(const CommandOptions& options, Diagnostics& diagnostics) {
  MergeSession session({options.ref, options.neu, options.custo, options.rules}, diagnostics);
  if (int status = session.run(); status != kDone) return status;

  std::ostream& out = diagnostics.progress();
  out << "\n";
  MergeSummary::write(out, {session.questions(), session.rules(), session.lostComments(),
                            options.rules, options.custo});
  MergeSummary::writeIgnored(out, session.readLogs(), session.inputNames(), true);

  // Questions are what a merge is for; what needs a look is a rule that
  // did nothing, a comment that would be lost and a line the reader skips.
  size_t findings = session.rules().stale().size() + session.lostComments().entries().size() +
                    static_cast<size_t>(MergeSummary::ignoredCount(session.readLogs()));
  out << (findings == 0 ? "Nothing to report.\n"
                        : "To look at: " + std::to_string(findings) + "\n");
  out.flush();
  return findings == 0 ? kDone : kInputProblem;
}
