#include "qelmask/fleet/FleetTable.h"

#include <algorithm>
#include <array>
#include <iomanip>
#include <ostream>

namespace {

constexpr std::array<const char*, 7> kFigures = {"questions",          "by rule", "by decision",
                                                 "by recommendation",  "granted", "revoked",
                                                 "lost customisations"};

std::array<int, 7> figuresOf(const SiteOutcome& site) {
  return {site.questions, site.byRule,  site.byDecision, site.byRecommendation,
          site.granted,   site.revoked, site.lost};
}

std::string statusOf(const SiteOutcome& site, const char* doneWord) {
  return site.reason.empty() ? std::string(doneWord) : "failed: " + site.reason;
}

void writeRow(std::ostream& out, const std::string& name, size_t width,
              const std::array<std::string, 7>& figures, const std::string& status) {
  out << std::left << std::setw(static_cast<int>(width)) << name << std::right;
  for (size_t i = 0; i < kFigures.size(); ++i) {
    out << "  " << std::setw(static_cast<int>(std::string_view(kFigures[i]).size())) << figures[i];
  }
  out << "  " << status << "\n";
}

void writeSites(std::ostream& out, const FleetTable::Context& context) {
  size_t width = std::string_view("total").size();
  for (const SiteOutcome& site : context.sites) width = std::max(width, site.name.size());
  std::array<std::string, 7> header;
  std::copy(kFigures.begin(), kFigures.end(), header.begin());
  writeRow(out, "site", width, header, "status");
  std::array<int, 7> total{};
  int failed = 0;
  for (const SiteOutcome& site : context.sites) {
    std::array<std::string, 7> shown;
    shown.fill("-");
    if (site.merged) {
      std::array<int, 7> figures = figuresOf(site);
      for (size_t i = 0; i < figures.size(); ++i) {
        shown[i] = std::to_string(figures[i]);
        total[i] += figures[i];
      }
    }
    failed += site.reason.empty() ? 0 : 1;
    writeRow(out, site.name, width, shown, statusOf(site, context.doneWord));
  }
  std::array<std::string, 7> shown;
  for (size_t i = 0; i < total.size(); ++i) shown[i] = std::to_string(total[i]);
  size_t done = context.sites.size() - static_cast<size_t>(failed);
  writeRow(
      out, "total", width, shown,
      std::to_string(done) + " " + context.doneWord + ", " + std::to_string(failed) + " failed");
}

void writeStaleRules(std::ostream& out, const FleetTable::Context& context, bool anyMerged) {
  if (context.rulesName.empty() || !anyMerged) return;
  const std::vector<RuleUsage::Entry>& rules = context.rules.entries();
  std::vector<size_t> stale;
  for (size_t i = 0; i < rules.size(); ++i) {
    bool decided = std::any_of(
        context.sites.begin(), context.sites.end(),
        [&](const SiteOutcome& s) { return i < s.ruleHits.size() && s.ruleHits[i] > 0; });
    if (!decided) stale.push_back(i);
  }
  out << "Rules that decided nothing in any site: "
      << (stale.empty() ? "none" : std::to_string(stale.size())) << "\n";
  for (size_t i : stale) {
    out << "  " << context.rulesName << ":" << rules[i].number << ": " << rules[i].text << "\n";
  }
}

void writeStaleDecisions(std::ostream& out, const FleetTable::Context& context, bool anyMerged) {
  if (!context.decisions || !anyMerged) return;
  std::vector<const DecisionLine*> stale;
  for (const DecisionLine& line : *context.decisions) {
    bool applied =
        std::any_of(context.sites.begin(), context.sites.end(), [&](const SiteOutcome& s) {
          return std::binary_search(s.appliedDecisions.begin(), s.appliedDecisions.end(),
                                    line.line);
        });
    if (!applied) stale.push_back(&line);
  }
  out << "Decisions that applied in no site: "
      << (stale.empty() ? "none" : std::to_string(stale.size())) << "\n";
  for (const DecisionLine* line : stale) {
    out << "  " << context.decisionsName << ":" << line->line << ": " << line->mask << " "
        << line->node << " "
        << (line->refusal ? std::string(DecisionLine::kWithout) + " " + line->inner
                          : std::string(questionKind(line->kind).name))
        << "\n";
  }
}

}  // namespace

void FleetTable::write(std::ostream& out, const Context& context) {
  out << "\n";
  writeSites(out, context);
  bool anyMerged = std::any_of(context.sites.begin(), context.sites.end(),
                               [](const SiteOutcome& site) { return site.merged; });
  writeStaleRules(out, context, anyMerged);
  writeStaleDecisions(out, context, anyMerged);
}
