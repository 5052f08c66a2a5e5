#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "qelmask/decisions/DecisionLine.h"

// The report's JSON (qelmask report --json), read back for qelmask decide:
// what it needs of each question and nothing more. The only reader of that
// JSON, a site's report or a fleet's (whose rows stand for the sites where
// the same question came up); a report of another format or version, or
// one made by a qelmask that wrote no decision keys, is refused with what
// is wrong.
class ReportReader {
 public:
  // A node below a node version N+1 added, which a refusal can leave out.
  struct Inner {
    std::string id;        // its identifier from the mask, as the report shows it
    DecisionLine refusal;  // the line that leaves it out
  };
  // One element of `decisions`: a question of the merge.
  struct Row {
    int number = 0;  // from 1, in the report's order ("#12")
    std::string id, path;
    std::optional<std::string> mask;          // as the report shows them (UTF-8)
    Choice choice = Choice::kRecommendation;  // what the merge took
    // The question as a decisions file names it: mask, node, kind and values,
    // as the mask's bytes; its choice is the merge's.
    DecisionLine question;
    std::string key;
    // Only on a node version N+1 added: what can be left out of it.
    std::optional<std::vector<Inner>> inner;

    // "#12", as reports name it.
    std::string label() const;
  };
  // One element of `rules`: a rule of the rule file, by its line.
  struct Rule {
    int number = 0;
    bool stale = false;
    std::string suggestion;  // a spelling that would match, or ""
  };
  struct Report {
    std::optional<std::string> rulesFile;  // the rule file the merge read
    // The decisions file the report was made with, and its lines.
    std::optional<std::string> decisionsFile;
    std::vector<DecisionLine> kept;
    // The texts of those of its lines that no longer applied.
    std::vector<std::string> stale;
    std::vector<Row> rows;
    std::vector<Rule> rules;
  };

  // Reads `text`; false, with what is wrong in `error`, when it is no
  // report this qelmask can read.
  static bool read(std::string_view text, Report& report, std::string& error);
};
