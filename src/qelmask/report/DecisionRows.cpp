#include "qelmask/report/DecisionRows.h"

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "framework/SideBySide.h"
#include "framework/VexListValVexUnicodeString.h"
#include "qelmask/decisions/DecisionLine.h"
#include "qelmask/decisions/QuestionPlace.h"
#include "qelmask/report/JsonText.h"
#include "qelmask/session/QuestionLog.h"
#include "tree/MergerObj.h"

using Json = nlohmann::ordered_json;

namespace {

Json text(std::string_view bytes) { return Json(JsonText::of(bytes)); }

Json valueOf(const MergerObj* node) { return node ? text(node->value()) : Json(nullptr); }

// The mask and, when the node is an entity or lies below one, the entity
// of `node`: a node of the result, which lies in the customer mask merged
// (version N+1's node of a question lies in its DEFAULT mask).
void placeOf(const MergerObj* node, Json& row) {
  const MergerObj* top = nullptr;
  const MergerObj* mask = node;
  while (mask && mask->getParentObj()) {
    top = mask;
    mask = mask->getParentObj();
  }
  row["mask"] = mask ? text(mask->name()) : Json(nullptr);
  row["entity"] = top && top->type() == "E" ? text(top->name()) : Json(nullptr);
}

Json commentsOf(const MergerObj* custo) {
  Json lines = Json::array();
  const VexListValVexUnicodeString* comments = custo ? custo->getComments() : nullptr;
  if (!comments) return lines;
  for (int i = 1; i <= comments->Size(); ++i) lines.push_back(text((*comments)[i].str()));
  return lines;
}

std::optional<std::string_view> viewOf(const MergerObj* node) {
  return node ? std::optional<std::string_view>(node->value()) : std::nullopt;
}

Json decisionOf(const MergeDecider::Decision* decision) {
  if (!decision) return nullptr;
  Json place = Json::object();
  place["file"] = text(*decision->file);
  place["line"] = decision->line;
  place["withSubtree"] = decision->withSubtree;
  return place;
}

// The nodes below a node version N+1 brought that a decisions file can
// leave out of it: attributes, access lines, filters and values.
void appendInner(const MergerObj* added, const MergerObj* node, std::string_view mask,
                 const std::string& path, Json& inner) {
  for (size_t i = 0; i < node->childCount(); ++i) {
    const MergerObj* child = node->childAt(i);
    if (!child || !child->isActive()) continue;
    std::string_view type = child->type();
    if (type == "A" || type == "X" || type == "F" || type == "V") {
      std::string id;
      child->appendId(id);
      JsonText::repair(id);
      Json entry = Json::object();
      entry["id"] = std::move(id);
      entry["refuse"] = DecisionLine::refusalKey(mask, path, QuestionPlace::below(added, child));
      inner.push_back(std::move(entry));
    }
    appendInner(added, child, mask, path, inner);
  }
}

constexpr size_t kMembers = 17;
// Below this many questions a second thread costs more than it saves.
constexpr size_t kTwoHalvesFrom = 4096;

Json rowOf(const QuestionLog::Entry& entry) {
  const QuestionKindInfo& kind = questionKind(entry.kind);
  const MergerObj* node = QuestionPlace::nodeOf(entry.kind, entry.neu, entry.custo);
  // The identifier of the review record, and the same without the node's
  // own value: the path, as a rule names the node.
  std::string id;
  if (node) node->appendId(id);
  std::string path = QuestionPlace::pathOf(node);
  std::string_view mask = QuestionPlace::maskOf(entry.created ? entry.created : node);
  std::string key = DecisionLine::questionKey(
      mask, path, entry.kind, {viewOf(entry.ref), viewOf(entry.neu), viewOf(entry.custo)});
  JsonText::repair(id);

  Json row = Json::object();
  row.get_ref<Json::object_t&>().reserve(kMembers);
  row["id"] = std::move(id);
  row["path"] = JsonText::of(path);
  placeOf(entry.created ? entry.created : node, row);
  row["kind"] = kind.name;
  row["ref"] = valueOf(entry.ref);
  row["new"] = valueOf(entry.neu);
  row["custo"] = valueOf(entry.custo);
  bool alternative = entry.choice == Choice::kAlternative;
  row["choice"] = alternative ? "alternative" : "recommendation";
  row["taken"] = kind.option(entry.choice).text;
  row["leftOut"] = (alternative ? kind.recommendation : kind.alternative).text;
  row["rule"] = entry.rule ? Json(*entry.rule) : Json(nullptr);
  row["comments"] = commentsOf(entry.custo);
  row["noEffect"] = QuestionLog::noEffectOnFile(entry);
  row["key"] = std::move(key);
  row["decision"] = decisionOf(entry.decision);
  if (entry.kind == QuestionKind::kNewInNew && !alternative && entry.created) {
    Json inner = Json::array();
    appendInner(entry.created, entry.created, mask, path, inner);
    row["inner"] = std::move(inner);
  }
  return row;
}

}  // namespace

void DecisionRows::append(const QuestionLog& questions, Json& rows) {
  const std::vector<QuestionLog::Entry>& entries = questions.entries();
  auto build = [&](size_t from, size_t to, Json& into) {
    into.get_ref<Json::array_t&>().reserve(into.size() + (to - from));
    for (size_t i = from; i < to; ++i) into.push_back(rowOf(entries[i]));
  };
  // The rows only read the trees: a large log is built in two halves side
  // by side.
  if (entries.size() < kTwoHalvesFrom) {
    build(0, entries.size(), rows);
    return;
  }
  size_t half = entries.size() / 2;
  Json second = Json::array();
  runSideBySide([&] { build(0, half, rows); }, [&] { build(half, entries.size(), second); });
  for (Json& row : second.get_ref<Json::array_t&>()) rows.push_back(std::move(row));
}
