#include "qelmask/session/RuleSpelling.h"

#include <algorithm>
#include <string_view>
#include <vector>

#include "maskfile/MergerFile.h"
#include "rules/MergerRule.h"
#include "tree/MergerObj.h"

namespace {

bool sameLetters(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    auto upper = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; };
    if (upper(a[i]) != upper(b[i])) return false;
  }
  return true;
}

// How a path element meets a node: 2 exactly, 1 but for letter case, 0 not.
int meet(const MergerNode* element, const MergerNode* node) {
  std::string_view name = element->name();
  bool anyName = !name.empty() && name.front() == '*';
  if (element->type() == node->type() && (anyName || name == node->name())) return 2;
  if (sameLetters(element->type(), node->type()) && (anyName || sameLetters(name, node->name())))
    return 1;
  return 0;
}

// The elements of the rule's path, first to last.
std::vector<const MergerNode*> elements(const MergerRule& rule) {
  std::vector<const MergerNode*> path;
  for (const MergerNode* at = rule.last(); at; at = at->getParent()) path.insert(path.begin(), at);
  return path;
}

// How the path meets `node` as its last element, walking up both as the
// rule list does: 2 exactly, 1 but for case somewhere, 0 not at all.
int meetPath(const std::vector<const MergerNode*>& path, bool any, const MergerObj* node) {
  int result = 2;
  const MergerNode* at = node;
  for (size_t i = path.size(); i-- > 0; at = at->getParent()) {
    if (!at) return 0;
    int m = meet(path[i], at);
    if (m == 0) return 0;
    result = std::min(result, m);
  }
  // An anchored path starts right below the mask.
  if (!any && at && at->getParent()) return 0;
  return result;
}

// The path spelled by `node` and its ancestors, keeping the wildcards.
std::string spell(const std::vector<const MergerNode*>& path, bool any, const MergerObj* node) {
  std::vector<std::string> parts;
  const MergerNode* at = node;
  for (size_t i = path.size(); i-- > 0; at = at->getParent()) {
    std::string_view name = path[i]->name();
    bool anyName = !name.empty() && name.front() == '*';
    parts.insert(parts.begin(),
                 std::string(at->type()) + "::" + std::string(anyName ? name : at->name()));
  }
  std::string text = any ? "//" : "";
  for (size_t i = 0; i < parts.size(); ++i) text += (i ? "/" : "") + parts[i];
  return text;
}

struct Search {
  const std::vector<const MergerNode*>& path;
  bool any;
  const MergerObj* nearMiss = nullptr;
  bool exact = false;

  void visit(const MergerObj* node) {
    if (exact) return;
    int m = meetPath(path, any, node);
    if (m == 2) exact = true;
    if (m == 1 && !nearMiss) nearMiss = node;
    for (size_t i = 0; i < node->childCount(); ++i) {
      if (const MergerObj* child = node->childAt(i)) visit(child);
    }
  }
};

}  // namespace

std::string RuleSpelling::suggest(const MergerRule& rule, const MergerFile& file) {
  std::vector<const MergerNode*> path = elements(rule);
  bool any = rule.isAny() != 0;
  Search search{path, any};
  for (int i = 1; i <= file.getMaskCount(); ++i) {
    const MergerObj* mask = file.getMaskAt(i);
    if (!mask) continue;
    for (size_t c = 0; c < mask->childCount(); ++c) {
      if (const MergerObj* child = mask->childAt(c)) search.visit(child);
    }
  }
  if (search.exact || !search.nearMiss) return {};
  return spell(path, any, search.nearMiss);
}
