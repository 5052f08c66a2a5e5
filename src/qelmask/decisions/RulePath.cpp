#include "qelmask/decisions/RulePath.h"

#include "qelmask/decisions/DecisionText.h"
#include "rules/RuleVocabulary.h"
#include "tree/TreeVocabulary.h"

RulePath::RulePath(std::string_view node) {
  const std::string_view slash = gsRULE_SLASH.str(), separator = gsRULE_SEP.str();
  size_t from = 0;
  while (from <= node.size()) {
    size_t end = node.find(slash, from);
    if (end == std::string_view::npos) end = node.size();
    std::string_view piece = node.substr(from, end - from);
    from = end + 1;
    Element element;
    size_t at = piece.find(separator);
    if (at == std::string_view::npos) {
      // No "::": the rest of a name that holds "/".
      element.name = piece;
    } else {
      element.type = piece.substr(0, at);
      std::string_view name = piece.substr(at + separator.size());
      // An upper level's own value: "F::SITE[PARIS]".
      if (size_t open = name.find('['); open != std::string_view::npos && name.back() == ']')
        name = name.substr(0, open);
      element.name = name;
    }
    if (!_elements.empty()) _signature += slash;
    _signature += element.type;
    _signature += separator;
    _signature += element.name;
    _elements.push_back(std::move(element));
  }
}

std::string RulePath::whyNotName(std::string_view name) {
  if (name.empty()) return "an empty name";
  if (name.find(' ') != std::string_view::npos) return "a name with a blank";
  if (name.find('/') != std::string_view::npos) return "a name with \"/\"";
  if (name.find("::") != std::string_view::npos) return "a name with \"::\"";
  if (name[0] == '*') return "a name starting with \"*\" (a rule reads it as a pattern)";
  // A rule is one line of text: a line break ends it, a NUL cuts it.
  if (name.find_first_of(std::string_view("\n\r\0", 3)) != std::string_view::npos)
    return "a name with a line break or a NUL byte";
  return "";
}

std::string RulePath::whyNot(const std::optional<std::string>& mask) const {
  if (mask) {
    if (std::string why = whyNotName(*mask); !why.empty())
      return why + " (mask " + DecisionText::escape(*mask) + ")";
  }
  for (const Element& element : _elements) {
    std::string why = element.type.empty() ? "a name with \"/\"" : whyNotName(element.name);
    if (!why.empty())
      return why + " (" + DecisionText::escape(element.type) + (element.type.empty() ? "" : "::") +
             DecisionText::escape(element.name) + ")";
  }
  if (_elements.front().type != gsTYPE_ENTITY.str())
    return "a node outside any entity (a rule path starts at an entity)";
  return "";
}

std::string RulePath::text(const std::optional<std::string>& mask) const {
  if (!mask) return _signature;
  std::string text(gsTYPE_MASK.str());
  text += gsRULE_SEP.str();
  text += *mask;
  text += gsRULE_SLASH.str();
  text += _signature;
  return text;
}
