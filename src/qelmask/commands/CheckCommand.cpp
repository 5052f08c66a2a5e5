#include <algorithm>

#include "qelmask/commands/Commands.h"
#include "qelmask/output/ExitStatus.h"
#include "qelmask/session/InputFile.h"
#include "qelmask/session/MergeSession.h"
#include "qelmask/summary/Findings.h"
#include "qelmask/summary/MergeSummary.h"
#include "qelmask/summary/MovedLines.h"

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
  // Of the kinds --fail-on names, masks alone can only show moved lines.
  Findings::Selection failOn{};
  std::string ignored;
  Findings::parse(options.failOn.empty() ? Findings::kDefaultFailOn : options.failOn, failOn,
                  ignored);
  bool failing = findings > 0 && failOn[Findings::kMovedLine];
  out << "Status " << (failing ? "1 for moved-line " + std::to_string(findings) : "0")
      << " (--fail-on " << (options.failOn.empty() ? Findings::kDefaultFailOn : options.failOn)
      << ")\n";
  out.flush();
  return failing ? kInputProblem : kDone;
}

}  // namespace

int Commands::check(const CommandOptions& options, Diagnostics& diagnostics) {
  if (!options.masks.empty()) return checkMasks(options, diagnostics);
  MergeSession session({options.ref, options.neu, options.custo, options.rules, options.decisions},
                       diagnostics);
  session.setSwapPolicy(MergeSession::SwapPolicy::kReport);
  if (int status = session.run(); status != kDone) return status;

  std::ostream& out = diagnostics.progress();
  session.writeSummary(out, true, options.all);
  bool swapped = session.swap().swapped;
  if (swapped) {
    out << "Inputs: "
        << SwapGuard::describe(session.swap(), options.ref, options.neu, options.custo) << "\n";
  }
  const std::vector<MovedLines::Entry>& moved = session.movedLines();
  if (!moved.empty()) listMoved(out, options.custo, moved, options.all);

  // Questions are what a merge is for; what needs a look is anything else
  // the summary lists. The status tells whether any of the kinds a
  // pipeline cares about (--fail-on) was found.
  Findings findings = Findings::of(session);
  Findings::Selection failOn{};
  std::string ignored;
  Findings::parse(options.failOn.empty() ? Findings::kDefaultFailOn : options.failOn, failOn,
                  ignored);
  Findings::Selection every;
  every.fill(true);
  if (findings.total() == 0) {
    out << "Nothing to report.\n";
  } else {
    out << "To look at: " << findings.failing(every) << "\n";
  }
  std::string failing = findings.failing(failOn);
  out << "Status " << (failing.empty() ? "0" : "1 for " + failing) << " (--fail-on "
      << (options.failOn.empty() ? Findings::kDefaultFailOn : options.failOn) << ")\n";
  out.flush();
  return failing.empty() ? kDone : kInputProblem;
}
