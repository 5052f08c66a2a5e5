#include "qelmask/decisions/DecisionLine.h"

#include "qelmask/decisions/DecisionText.h"

namespace {

// The first field of a line: a mask name starting with "#" would read as a
// comment.
std::string firstField(std::string_view mask) {
  std::string field = DecisionText::escape(mask);
  if (!field.empty() && field[0] == '#') field.replace(0, 1, "\\x23");
  return field;
}

std::optional<std::string_view> viewOf(const std::optional<std::string>& value) {
  return value ? std::optional<std::string_view>(*value) : std::nullopt;
}

}  // namespace

std::string DecisionLine::questionKey(
    std::string_view mask, std::string_view node, QuestionKind kind,
    const std::array<std::optional<std::string_view>, 3>& values) {
  std::string key = firstField(mask);
  key += '\t';
  key += DecisionText::escape(node);
  key += '\t';
  key += questionKind(kind).name;
  for (const std::optional<std::string_view>& value : values) {
    key += '\t';
    key += DecisionText::value(value);
  }
  return key;
}

std::string DecisionLine::refusalKey(std::string_view mask, std::string_view node,
                                     std::string_view inner) {
  std::string key = firstField(mask);
  key += '\t';
  key += DecisionText::escape(node);
  key += '\t';
  key += kWithout;
  key += '\t';
  key += DecisionText::escape(inner);
  return key;
}

const char* DecisionLine::optionName(Choice choice) {
  return choice == Choice::kAlternative ? "alternative" : "recommendation";
}

std::string DecisionLine::key() const {
  if (refusal) return refusalKey(mask, node, inner);
  return questionKey(mask, node, kind, {viewOf(values[0]), viewOf(values[1]), viewOf(values[2])});
}

std::string DecisionLine::text() const {
  std::string text = key();
  if (refusal) return text;
  text += '\t';
  text += optionName(choice);
  if (withSubtree) {
    text += '\t';
    text += kWithSubtree;
  }
  return text;
}
