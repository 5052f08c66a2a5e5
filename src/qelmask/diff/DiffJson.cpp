#include "qelmask/diff/DiffJson.h"

#include <string_view>

#include "qelmask/diff/MaskDiff.h"
#include "qelmask/report/JsonText.h"
#include "tree/MergerObj.h"

namespace {

void appendName(std::string& out, const char* name) {
  out += '"';
  out += name;
  out += "\":";
}

// The children of an ordered node, in file order.
void appendList(std::string& out, const MergerObj* node) {
  out += '[';
  bool first = true;
  for (const MergerObj* child : MaskDiff::inFileOrder(node)) {
    if (!first) out += ',';
    first = false;
    JsonText::appendQuoted(out, child->name());
  }
  out += ']';
}

const char* whatOf(MaskChange::What what) {
  switch (what) {
    case MaskChange::What::kValue:
      return "value";
    case MaskChange::What::kOrder:
      return "order";
    case MaskChange::What::kComment:
      return "comment";
    default:
      return "node";
  }
}

// What A or B has where the change is: `node` is that file's node.
void appendSide(std::string& out, const MaskChange& change, const MergerObj* node) {
  if (!node || change.what == MaskChange::What::kNode) {
    out += "null";
  } else if (change.what == MaskChange::What::kValue) {
    JsonText::appendQuoted(out, node->value());
  } else if (change.what == MaskChange::What::kOrder) {
    appendList(out, node);
  } else {
    JsonText::appendQuoted(out, change.commentText());
  }
}

void appendChange(std::string& out, const MaskChange& change) {
  out += "{\"change\":\"";
  out += static_cast<char>(change.sign);
  out += "\",\"what\":\"";
  out += whatOf(change.what);
  out += "\",";
  appendName(out, "mask");
  JsonText::appendQuoted(out, change.mask());
  out += ',';
  appendName(out, "node");
  bool path = change.what == MaskChange::What::kValue || change.what == MaskChange::What::kOrder;
  JsonText::appendQuoted(out, path ? change.path() : change.identifier());
  out += ',';
  appendName(out, "below");
  out += std::to_string(change.below);
  out += ',';
  appendName(out, "before");
  appendSide(out, change, change.before);
  out += ',';
  appendName(out, "after");
  appendSide(out, change, change.after);
  out += '}';
}

}  // namespace

std::string DiffJson::document(const std::vector<MaskChange>& changes) {
  std::string out = R"({"format":"qelmask-diff","version":1,"changes":[)";
  for (size_t i = 0; i < changes.size(); ++i) {
    if (i > 0) out += ',';
    appendChange(out, changes[i]);
  }
  out += "]}";
  return out;
}
