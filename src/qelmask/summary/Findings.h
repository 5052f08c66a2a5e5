#pragma once

#include <array>
#include <iosfwd>
#include <string>

class MergeSession;

// What a merge leaves for a person to look at, counted by kind: the kinds
// that `--fail-on` names, so that a pipeline can stop on those it cares
// about (a merge that widens access, say) and let the others pass.
class Findings {
 public:
  enum Kind {
    kGrant,
    kRevoke,
    kLostCustomisation,
    kStaleRule,
    kStaleDecision,
    kSwap,
    kLostComment,
    kIgnoredLine,
    kMovedLine,
    kKinds
  };
  using Selection = std::array<bool, kKinds>;

  // What `check` fails on unless told otherwise.
  static constexpr const char* kDefaultFailOn =
      "grant,lost-customisation,stale-rule,stale-decision,swap,moved-line";

  static const char* name(Kind kind);
  // The kinds of a comma-separated list; false with the word it does not
  // know in `unknown`.
  static bool parse(const std::string& list, Selection& kinds, std::string& unknown);

  // The findings of a session whose merge is over.
  static Findings of(const MergeSession& session);

  size_t count(Kind kind) const { return _counts[kind]; }
  size_t total() const;
  // "grant 3, stale-rule 1": the selected kinds found; "" when none.
  std::string failing(const Selection& kinds) const;

 private:
  std::array<size_t, kKinds> _counts{};
};
