#include "qelmask/decisions/QuestionNames.h"

#include <algorithm>

namespace {

// The text a name stands for in a message: as typed, at most 80 bytes.
std::string quoted(std::string_view name) {
  return std::string(name.substr(0, 80)) + (name.size() > 80 ? "..." : "");
}

std::string keyOf(const QuestionNames::Target& target) {
  return target.inner ? target.inner->refusal.key() : target.row->key;
}

std::string numberOf(const QuestionNames::Target& target) {
  std::string text = target.row->label();
  return target.inner ? "an inner node of " + text : text;
}

bool allDigits(std::string_view text) {
  return !text.empty() &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

bool QuestionNames::resolve(std::string_view name, Target& target, std::string& error) const {
  std::string_view number = !name.empty() && name[0] == '#' ? name.substr(1) : name;
  if (allDigits(number)) return byNumber(number, target, error);
  if (name.find(':') == std::string_view::npos) {
    error = std::string(1, '"');
    error += quoted(name) + "\" names no question: give its number (12) or MASK:IDENTIFIER";
    return false;
  }
  return byIdentifier(name, target, error);
}

bool QuestionNames::byNumber(std::string_view digits, Target& target, std::string& error) const {
  size_t count = _report.rows.size();
  // Ten digits and more are out of range whatever the report holds.
  size_t number = digits.size() > 9 ? 0 : std::stoul(std::string(digits));
  if (number == 0 || number > count) {
    error = "no question " + quoted(digits) + " (the report has " + std::to_string(count) + ")";
    return false;
  }
  target = {&_report.rows[number - 1], nullptr};
  return true;
}

// A mask name may itself hold ":": every split is tried.
bool QuestionNames::byIdentifier(std::string_view name, Target& target, std::string& error) const {
  std::vector<Target> found;
  std::string_view knownMask;
  for (size_t colon = name.find(':'); colon != std::string_view::npos;
       colon = name.find(':', colon + 1)) {
    std::string_view mask = name.substr(0, colon);
    std::vector<Target> more = matches(mask, name.substr(colon + 1));
    found.insert(found.end(), more.begin(), more.end());
    if (knownMask.empty() &&
        std::any_of(_report.rows.begin(), _report.rows.end(),
                    [&](const ReportReader::Row& row) { return row.mask == mask; }))
      knownMask = mask;
  }
  if (found.empty()) {
    std::string_view first = name.substr(0, name.find(':'));
    error = "no question " + quoted(name);
    if (!knownMask.empty()) {
      error += " in mask " + quoted(knownMask);
    } else if (name.substr(first.size()).substr(0, 2) == "::") {
      // "E::PART/...": an identifier without its mask.
      error += ": name it MASK:IDENTIFIER, with its mask (DEFAULT:" + quoted(name) + ")";
    } else {
      error += ": the report has no mask " + quoted(first);
    }
    return false;
  }
  std::string key = keyOf(found.front());
  std::string numbers;
  bool several = false;
  for (const Target& match : found) {
    several = several || keyOf(match) != key;
    numbers += (numbers.empty() ? "" : ", ") + numberOf(match);
  }
  if (several) {
    error = quoted(name) + " names several questions: " + numbers + " (name one by its number)";
    return false;
  }
  target = found.front();
  return true;
}

std::vector<QuestionNames::Target> QuestionNames::matches(std::string_view mask,
                                                          std::string_view identifier) const {
  std::vector<Target> found;
  for (const ReportReader::Row& row : _report.rows) {
    if (row.mask != mask) continue;
    if (row.id == identifier || row.path == identifier) found.push_back({&row, nullptr});
    if (!row.inner) continue;
    for (const ReportReader::Inner& inner : *row.inner) {
      if (inner.id == identifier) found.push_back({&row, &inner});
    }
  }
  return found;
}
