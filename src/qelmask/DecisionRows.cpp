#include "qelmask/DecisionRows.h"

#include <functional>
#include <nlohmann/json.hpp>
#include <string>
#include <thread>
#include <vector>

#include "framework/VexListValVexUnicodeString.h"
#include "qelmask/JsonText.h"
#include "qelmask/QuestionLog.h"
#include "tree/MergerObj.h"

using Json = nlohmann::ordered_json;

namespace {

// The two options of each kind of question, as the merge offers them: the
// recommendation first. Each is "ACTION ORIGIN": what is done with which
// version's node.
struct Options {
  const char* name;
  const char* recommendation;
  const char* alternative;
  bool recommendsNew;  // whether the recommendation is about NEW's node
};

const Options& optionsOf(int kind) {
  static const Options kDropped{"dropped-by-new", "IGNORE CUSTO", "KEEP CUSTO", false};
  static const Options kBoth{"changed-by-both", "KEEP CUSTO", "KEEP NEW", false};
  static const Options kByNew{"changed-by-new", "KEEP NEW", "KEEP CUSTO", true};
  static const Options kNew{"new-in-new", "ADD NEW", "IGNORE NEW", true};
  switch (kind) {
    case MergeObserver::kDroppedByNew:
      return kDropped;
    case MergeObserver::kChangedByBoth:
      return kBoth;
    case MergeObserver::kChangedByNew:
      return kByNew;
    default:
      return kNew;
  }
}

Json text(std::string_view bytes) {
  std::string out;
  JsonText::append(out, bytes);
  return Json(std::move(out));
}

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
  const Options& options = optionsOf(entry.kind);
  const MergerObj* node = options.recommendsNew ? entry.neu : entry.custo;
  // The identifier of the review record, and the same without the node's
  // own value: the path, as a rule names the node.
  std::string id;
  if (node) node->appendId(id);
  size_t own = node && !node->value().empty() ? node->value().size() + 2 : 0;
  std::string path = id.substr(0, id.size() - own);
  JsonText::repair(id);
  JsonText::repair(path);
  bool alternative = entry.choice == 2;

  Json row = Json::object();
  row.get_ref<Json::object_t&>().reserve(kMembers);
  row["id"] = std::move(id);
  row["path"] = std::move(path);
  placeOf(entry.created ? entry.created : node, row);
  row["kind"] = options.name;
  row["ref"] = valueOf(entry.ref);
  row["new"] = valueOf(entry.neu);
  row["custo"] = valueOf(entry.custo);
  row["choice"] = alternative ? "alternative" : "recommendation";
  row["taken"] = alternative ? options.alternative : options.recommendation;
  row["leftOut"] = alternative ? options.recommendation : options.alternative;
  row["rule"] = entry.rule > 0 ? Json(entry.rule) : Json(nullptr);
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
  // by side, when there are two cores.
  if (entries.size() < kTwoHalvesFrom || std::thread::hardware_concurrency() < 2) {
    build(0, entries.size(), rows);
    return;
  }
  size_t half = entries.size() / 2;
  Json second = Json::array();
  std::thread helper(build, half, entries.size(), std::ref(second));
  build(0, half, rows);
  helper.join();
  for (Json& row : second.get_ref<Json::array_t&>()) rows.push_back(std::move(row));
}

const char* DecisionRows::kindName(int kind) { return optionsOf(kind).name; }

const char* DecisionRows::taken(const QuestionLog::Entry& entry) {
  const Options& options = optionsOf(entry.kind);
  return entry.choice == 2 ? options.alternative : options.recommendation;
}
