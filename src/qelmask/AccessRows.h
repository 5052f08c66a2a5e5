#pragma once

#include <nlohmann/json_fwd.hpp>

class AccessChanges;

// The access changes of a merge as JSON, for `qelmask access --json` and
// the report: one object per changed access line (mask, node, operation,
// before, after, change, cause, decision) and one per changed auth field
// (the same without the change).
class AccessRows {
 public:
  static constexpr const char* kFormat = "qelmask-access";
  static constexpr int kVersion = 1;

  static nlohmann::ordered_json changes(const AccessChanges& access);
  static nlohmann::ordered_json auth(const AccessChanges& access);
  // The whole document of `qelmask access --json`.
  static nlohmann::ordered_json document(const AccessChanges& access);
};
