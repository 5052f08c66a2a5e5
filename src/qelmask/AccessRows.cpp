#include "qelmask/AccessRows.h"

#include <nlohmann/json.hpp>

#include "qelmask/AccessChanges.h"
#include "qelmask/JsonText.h"

using Json = nlohmann::ordered_json;

namespace {

Json text(std::string_view bytes) {
  std::string out;
  JsonText::append(out, bytes);
  return Json(std::move(out));
}

Json rowOf(const AccessChanges::Entry& entry, bool withChange) {
  Json row = Json::object();
  row["mask"] = text(entry.mask);
  row["node"] = text(entry.node);
  if (withChange) row["operation"] = text(entry.operation);
  row["before"] = entry.hadBefore ? text(entry.before) : Json(nullptr);
  row["after"] = entry.hasAfter ? text(entry.after) : Json(nullptr);
  if (withChange) row["change"] = AccessChanges::changeName(entry.change);
  row["cause"] = text(entry.cause);
  row["decision"] = entry.decision > 0 ? Json(entry.decision) : Json(nullptr);
  return row;
}

Json rowsOf(const std::vector<AccessChanges::Entry>& entries, bool withChange) {
  Json rows = Json::array();
  for (const AccessChanges::Entry& entry : entries) rows.push_back(rowOf(entry, withChange));
  return rows;
}

}  // namespace

Json AccessRows::changes(const AccessChanges& access) { return rowsOf(access.access(), true); }

Json AccessRows::auth(const AccessChanges& access) { return rowsOf(access.auth(), false); }

Json AccessRows::document(const AccessChanges& access) {
  Json document = Json::object();
  document["format"] = kFormat;
  document["version"] = kVersion;
  document["changes"] = changes(access);
  document["auth"] = auth(access);
  return document;
}
