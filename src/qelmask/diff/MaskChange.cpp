#include "qelmask/diff/MaskChange.h"

#include "tree/MergerObj.h"
#include "tree/TreeVocabulary.h"

namespace {

const MergerObj* rootOf(const MergerObj* node) {
  while (node->getParentObj()) node = node->getParentObj();
  return node;
}

}  // namespace

std::string_view MaskChange::mask() const { return rootOf(node())->name(); }

std::string MaskChange::identifier() const {
  std::string id;
  node()->appendId(id);
  return id;
}

std::string MaskChange::path() const {
  const MergerObj* at = node();
  std::string path;
  const MergerObj* parent = at->getParentObj();
  if (!parent) return path;  // a mask: its value is its only text below it
  parent->appendId(path);
  if (!path.empty()) path += '/';
  path.append(at->type()).append("::").append(at->name());
  return path;
}

std::string_view MaskChange::commentText() const {
  const VexListValVexUnicodeString* comments = node()->getComments();
  if (!comments || comment < 1 || comment > comments->Size()) return {};
  std::string_view text = (*comments)[comment].str();
  // A file with CRLF line ends keeps the carriage return on its comments.
  if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
  return text;
}

std::string_view MaskChange::kind() const {
  std::string_view type = node()->type();
  if (type == gsTYPE_MASK.str()) return "mask";
  if (type == gsTYPE_ENTITY.str()) return "entity";
  if (type == gsTYPE_ATTR.str()) return "attribute";
  if (type == gsTYPE_PROP.str()) return "property";
  if (type == gsTYPE_ACI.str()) return "access line";
  if (type == gsTYPE_FILTER.str()) return "filter";
  if (type == gsTYPE_VALUE.str()) return "value";
  return "node";
}
