#include "qelmask/session/RuleFileReader.h"

#include "qelmask/session/InputFile.h"
#include "rules/MergerRule.h"
#include "rules/RuleProblem.h"

namespace {

// The `index`-th blank-delimited word of `line` (from 0), or "".
std::string_view word(std::string_view line, int index) {
  size_t at = 0;
  for (int i = 0;; ++i) {
    at = line.find_first_not_of(' ', at);
    if (at == std::string_view::npos) return {};
    size_t end = line.find(' ', at);
    if (end == std::string_view::npos) end = line.size();
    if (i == index) return line.substr(at, end - at);
    at = end;
  }
}

std::string quoted(std::string_view text) {
  std::string result(1, '"');
  result.append(text);
  result.push_back('"');
  return result;
}

}  // namespace

bool RuleFileReader::load(const std::string& name, std::string& error) {
  std::string bytes;
  if (!InputFile::read(name, bytes, error)) return false;
  parse(bytes);
  return true;
}

void RuleFileReader::parse(std::string_view bytes) {
  long number = 0;
  size_t at = 0;
  // A final line feed ends the last line; it does not start another one.
  while (at < bytes.size() || number == 0) {
    size_t feed = bytes.find('\n', at);
    size_t end = feed == std::string_view::npos ? bytes.size() : feed;
    std::string_view line = bytes.substr(at, end - at);
    if (!line.empty() && line.back() == '\r') {
      line.remove_suffix(1);
      _crlf = true;
    }
    parseLine(line, ++number);
    if (feed == std::string_view::npos) break;
    at = feed + 1;
  }
}

void RuleFileReader::parseLine(std::string_view line, long number) {
  if (line.empty() || line.front() == '#') return;
  RuleProblem problem;
  std::string text(line);
  if (MergerRule::parseRule(text.c_str(), static_cast<int>(number), problem)) {
    ++_rules;
    return;
  }
  _problems.push_back({number, describe(line, problem.kind, problem.text.str())});
}

std::string RuleFileReader::describe(std::string_view line, int kind, const std::string& text) {
  switch (kind) {
    case RuleProblem::kAction:
      return text.empty() ? "missing action (KEEP or IGNORE)" : "invalid action " + quoted(text);
    case RuleProblem::kActionNode:
      return text.empty() ? "missing action node (NEW or CUSTO)"
                          : "invalid action node " + quoted(text);
    case RuleProblem::kElement:
      return "invalid path element " + quoted(text) + " (TYPE::NAME expected)";
    default: {
      std::string_view path = word(line, 2);
      return path.empty() ? "missing node path" : "invalid node path " + quoted(path);
    }
  }
}
