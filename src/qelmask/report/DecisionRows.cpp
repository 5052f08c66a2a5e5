#include "qelmask/report/DecisionRows.h"

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "framework/SideBySide.h"
#include "framework/VexListValVexUnicodeString.h"
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

constexpr size_t kMembers = 14;
// Below this many questions a second thread costs more than it saves.
constexpr size_t kTwoHalvesFrom = 4096;

Json rowOf(const QuestionLog::Entry& entry) {
  const QuestionKindInfo& kind = questionKind(entry.kind);
  const MergerObj* node = kind.recommendation.side == Side::kNew ? entry.neu : entry.custo;
  // The identifier of the review record, and the same without the node's
  // own value: the path, as a rule names the node.
  std::string id;
  if (node) node->appendId(id);
  size_t own = node && !node->value().empty() ? node->value().size() + 2 : 0;
  std::string path = id.substr(0, id.size() - own);
  JsonText::repair(id);
  JsonText::repair(path);

  Json row = Json::object();
  row.get_ref<Json::object_t&>().reserve(kMembers);
  row["id"] = std::move(id);
  row["path"] = std::move(path);
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
