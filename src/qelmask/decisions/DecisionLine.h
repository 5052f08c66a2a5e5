#pragma once

#include <array>
#include <optional>
#include <string>

#include "merge/QuestionKind.h"

// One line of a decisions file: the option chosen for one question of one
// mask, told by the node's path, the kind and the three values it was asked
// on; or one node left out of a node that version N+1 adds (a refusal).
// Names and values are held as the mask's bytes.
struct DecisionLine {
  int line = 0;  // in its file; 0 for a line not read from one
  std::string mask;
  std::string node;  // the node's path: its identifier without its own value
  bool refusal = false;
  // A question:
  QuestionKind kind = QuestionKind::kDroppedByNew;
  std::array<std::optional<std::string>, 3> values;  // REF, NEW, CUSTO; absent when missing
  Choice choice = Choice::kRecommendation;
  bool withSubtree = false;
  // A refusal: the node left out, by its identifier below the added node.
  std::string inner;

  // What tells the line apart from every other: all but the option.
  std::string key() const;
  // The line as written, escaped, without its line feed.
  std::string text() const;

  // The key of a question, as a report gives it.
  static std::string questionKey(std::string_view mask, std::string_view node, QuestionKind kind,
                                 const std::array<std::optional<std::string_view>, 3>& values);
  static std::string refusalKey(std::string_view mask, std::string_view node,
                                std::string_view inner);
  // The words of the format.
  static constexpr std::string_view kWithout = "without";
  static constexpr std::string_view kWithSubtree = "with-subtree";
  static const char* optionName(Choice choice);
};
