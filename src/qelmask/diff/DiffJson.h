#pragma once

#include <string>
#include <vector>

#include "qelmask/diff/MaskChange.h"

// The changes of `qelmask diff --json`, for scripts: one JSON object,
// {"format":"qelmask-diff","version":1,"changes":[...]}, each change with
// `change` ("+", "-" or "~"), `what` ("node", "value", "order" or
// "comment"), `mask`, `node` (the identifier, or for a value or an order
// the path), `below` (the nodes below a node of one file only, else 0),
// and `before` and `after`: the values (strings), the lists in file order
// (arrays of strings) or the comment, null where the file has none. Mask
// texts are bytes: those that are not UTF-8 are read as ISO 8859-1.
namespace DiffJson {
std::string document(const std::vector<MaskChange>& changes);
}  // namespace DiffJson
