#pragma once

#include <array>
#include <nlohmann/json.hpp>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

// Fleet reports added up one after the other, in the order of their sites:
// what FleetDocument::combine does, in one pass however many documents
// there are. Only sites that ran have a say on the rules and the decisions
// file: a site that failed left no trace of either.
class FleetCombiner {
 public:
  using Json = nlohmann::ordered_json;

  // Adds `fleet`, whose shape is sound (made by FleetDocument or accepted by
  // its `read`); false, with why in `error`, when it cannot go with what
  // was added before. After a refusal the combiner is of no further use.
  bool add(const Json& fleet, std::string& error);
  // The fleet of everything added; the combiner is left empty.
  Json take();

 private:
  // The single-site summary's counts that a fleet sums, in their order.
  static constexpr std::array<const char*, 7> kSums = {
      "questions", "recommendation", "alternative", "byRule", "noRule", "ignoredLines", "noEffect"};
  void addDocument(const Json& fleet);
  void checkFormat(const Json& fleet) const;
  void takeInputs(const Json& inputs);
  void takeSites(const Json& sites);
  void takeSummary(const Json& summary);
  void takeKinds(const Json& kinds);
  void takeAccess(const Json& access);
  void takeRan(const Json& fleet);
  void takeRules(const Json& rules);
  void takeDecisions(const Json& decisions);
  void takeRows(const Json& rows);
  Json summary() const;
  Json decisionsSummary() const;
  // "document 2 (first site "b.msk")", in a message.
  std::string current() const;
  std::string document(int number) const;

  int _documents = 0;
  Json _current;  // the first site's name of the document being added, or null
  Json _inputs;
  Json _sites = Json::array();
  std::unordered_map<std::string, int> _siteDocument;  // name -> document number
  std::vector<Json> _firstSites;                       // of each document, or null
  int _failed = 0;
  std::array<long long, kSums.size()> _sums{};
  Json _kinds;
  Json _lostComments = Json::array();
  Json _lostCustomisations = Json::array();
  Json _access = Json::array();
  std::unordered_map<std::string, size_t> _accessAt;  // mask -> index in _access
  // The first document in which a site ran (0: none yet) set these.
  int _ranFrom = 0;
  Json _rules = Json::array();
  Json _decisions;  // null, or the file, its lines and the lines kept
  long long _decidedQuestions = 0, _refused = 0;
  std::vector<Json> _stale;  // stale in every site that ran so far
  std::set<long long> _appliedLines;
  Json _rows = Json::array();
  std::unordered_map<std::string, size_t> _groups;  // grouping key -> index in _rows
};
