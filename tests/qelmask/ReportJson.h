#pragma once

// Reports of qelmask report --json made by hand, for the tests of what
// reads them back: as the report writes them, with the members changed that
// a test is about.
#include <initializer_list>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>

#include "qelmask/decisions/DecisionLine.h"

namespace report_json {

using Json = nlohmann::ordered_json;

// A question: its mask, its node's path, kind and values; its id is the
// path with the node's own value.
struct Question {
  std::string mask, path;
  QuestionKind kind = QuestionKind::kDroppedByNew;
  std::optional<std::string> ref, neu, custo;
  Choice choice = Choice::kRecommendation;
};

inline std::optional<std::string_view> view(const std::optional<std::string>& value) {
  return value ? std::optional<std::string_view>(*value) : std::nullopt;
}

inline std::string keyOf(const Question& q) {
  return DecisionLine::questionKey(q.mask, q.path, q.kind,
                                   {view(q.ref), view(q.neu), view(q.custo)});
}

inline Json row(const Question& q) {
  const std::optional<std::string>& own =
      questionKind(q.kind).recommendation.side == Side::kNew ? q.neu : q.custo;
  Json row = Json::object();
  row["id"] = own && !own->empty() ? q.path + "[" + *own + "]" : q.path;
  row["path"] = q.path;
  row["mask"] = q.mask;
  row["kind"] = questionKind(q.kind).name;
  row["ref"] = q.ref ? Json(*q.ref) : Json(nullptr);
  row["new"] = q.neu ? Json(*q.neu) : Json(nullptr);
  row["custo"] = q.custo ? Json(*q.custo) : Json(nullptr);
  row["choice"] = DecisionLine::optionName(q.choice);
  row["taken"] = questionKind(q.kind).option(q.choice).text;
  row["rule"] = nullptr;
  row["key"] = keyOf(q);
  row["decision"] = nullptr;
  return row;
}

// Marks `row` (a new-in-new question's, added) as holding the inner nodes
// `below` ("X::READ[Y]"), which can be refused.
inline void addInner(Json& row, std::initializer_list<std::string> below) {
  Json inner = Json::array();
  for (const std::string& id : below) {
    Json node = Json::object();
    node["id"] = row["id"].get<std::string>() + "/" + id;
    node["refuse"] = DecisionLine::refusalKey(row["mask"].get<std::string>(),
                                              row["path"].get<std::string>(), id);
    inner.push_back(std::move(node));
  }
  row["inner"] = std::move(inner);
}

// A report of `rows`, made with the rule file `rules` (or none).
inline Json document(Json rows, std::optional<std::string> rules = std::nullopt) {
  Json doc = Json::object();
  doc["format"] = "qelmask-report";
  doc["version"] = 1;
  Json inputs = Json::object();
  for (const char* role : {"ref", "new", "custo"}) inputs[role] = {{"name", role}, {"lines", 1}};
  inputs["rules"] = rules ? Json(*rules) : Json(nullptr);
  inputs["decisions"] = nullptr;
  doc["inputs"] = std::move(inputs);
  doc["summary"] = {{"questions", rows.size()}, {"decisions", nullptr}};
  doc["rules"] = Json::array();
  doc["decisions"] = std::move(rows);
  doc["accessChanges"] = Json::array();
  doc["authChanges"] = Json::array();
  return doc;
}

}  // namespace report_json
