#include "qelmask/AccessRows.h"

#include <nlohmann/json.hpp>

#include "qelmask/AccessChanges.h"
#include "qelmask/JsonText.h"
#include "tree/MergerObj.h"

using Json = nlohmann::ordered_json;

namespace {

Json text(std::string_view bytes) {
  std::string out;
  JsonText::append(out, bytes);
  return Json(std::move(out));
}

Json rowOf(const AccessChanges& access, const AccessChanges::Entry& entry, bool withChange) {
  Json row = Json::object();
  row["mask"] = text(entry.mask->name());
  row["node"] = text(AccessChanges::owner(entry));
  if (withChange) row["operation"] = text(AccessChanges::operation(entry));
  row["before"] = entry.before ? text(AccessChanges::valueBefore(entry)) : Json(nullptr);
  row["after"] = entry.after ? text(AccessChanges::valueAfter(entry)) : Json(nullptr);
  if (withChange) row["change"] = AccessChanges::changeName(entry.change);
  DecisionCause::Cause cause = access.cause(entry);
  row["cause"] = text(cause.text);
  row["decision"] = cause.decision > 0 ? Json(cause.decision) : Json(nullptr);
  return row;
}

Json rowsOf(const AccessChanges& access, const std::vector<AccessChanges::Entry>& entries,
            bool withChange) {
  Json rows = Json::array();
  rows.get_ref<Json::array_t&>().reserve(entries.size());
  for (const AccessChanges::Entry& entry : entries)
    rows.push_back(rowOf(access, entry, withChange));
  return rows;
}

}  // namespace

Json AccessRows::changes(const AccessChanges& access) {
  return rowsOf(access, access.access(), true);
}

Json AccessRows::auth(const AccessChanges& access) { return rowsOf(access, access.auth(), false); }

Json AccessRows::document(const AccessChanges& access) {
  Json document = Json::object();
  document["format"] = kFormat;
  document["version"] = kVersion;
  document["changes"] = changes(access);
  document["auth"] = auth(access);
  return document;
}
