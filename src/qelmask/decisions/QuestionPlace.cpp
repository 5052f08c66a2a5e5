#include "qelmask/decisions/QuestionPlace.h"

#include <algorithm>
#include <vector>

#include "tree/MergerObj.h"

std::string_view QuestionPlace::maskOf(const MergerObj* node) {
  const MergerObj* mask = node;
  while (mask && mask->getParentObj()) mask = mask->getParentObj();
  return mask ? mask->name() : std::string_view();
}

const MergerObj* QuestionPlace::nodeOf(QuestionKind kind, const MergerObj* neu,
                                       const MergerObj* custo) {
  return questionKind(kind).recommendation.side == Side::kNew ? neu : custo;
}

std::string QuestionPlace::pathOf(const MergerObj* node) {
  std::string id;
  if (!node) return id;
  node->appendId(id);
  size_t own = node->value().empty() ? 0 : node->value().size() + 2;
  id.resize(id.size() - own);
  return id;
}

std::string QuestionPlace::below(const MergerObj* top, const MergerObj* inner) {
  std::vector<const MergerObj*> levels;
  for (const MergerObj* node = inner; node && node != top; node = node->getParentObj())
    levels.push_back(node);
  std::string id;
  std::reverse(levels.begin(), levels.end());
  for (const MergerObj* level : levels) {
    if (!id.empty()) id += '/';
    NodeText::Parts text = level->text();
    id.append(text.type).append("::").append(text.name);
    if (!text.value.empty()) id.append("[").append(text.value).append("]");
  }
  return id;
}
