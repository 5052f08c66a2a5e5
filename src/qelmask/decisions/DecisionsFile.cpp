#include "qelmask/decisions/DecisionsFile.h"

#include <algorithm>
#include <unordered_map>

#include "qelmask/decisions/DecisionText.h"
#include "qelmask/output/Diagnostics.h"
#include "qelmask/session/InputFile.h"

namespace {

std::vector<std::string_view> splitTabs(std::string_view text) {
  std::vector<std::string_view> fields;
  size_t from = 0;
  for (size_t tab = text.find('\t'); tab != std::string_view::npos; tab = text.find('\t', from)) {
    fields.push_back(text.substr(from, tab - from));
    from = tab + 1;
  }
  fields.push_back(text.substr(from));
  return fields;
}

// A field quoted in a message, as written: at most 60 bytes, and any byte
// that is not printable ASCII escaped.
std::string quoted(std::string_view field) {
  std::string text;
  for (char c : field.substr(0, 60)) {
    text += c == '\\' ? std::string(1, c) : DecisionText::escape(std::string_view(&c, 1));
  }
  return "\"" + text + (field.size() > 60 ? "...\"" : "\"");
}

bool kindNamed(std::string_view name, QuestionKind& kind) {
  for (const QuestionKindInfo& info : questionKinds()) {
    if (name == info.name) {
      kind = info.kind;
      return true;
    }
  }
  return false;
}

// Which values a question of each kind is asked on: REF, NEW, CUSTO; 0
// absent, 1 present, 2 either.
constexpr int kPresence[4][3] = {{1, 0, 1}, {2, 1, 1}, {1, 1, 1}, {0, 1, 0}};

}  // namespace

bool DecisionsFile::load(const std::string& path, std::string& error) {
  std::string text;
  if (!InputFile::read(path, text, error)) return false;
  parse(text);
  return true;
}

bool DecisionsFile::load(const std::string& path, Diagnostics& diagnostics) {
  std::string error;
  if (!load(path, error)) {
    diagnostics.error(path, error);
    return false;
  }
  if (_crlf) diagnostics.note(path, "CRLF line ends, read as LF");
  for (const Problem& problem : _problems) diagnostics.errorAt(path, problem.line, problem.message);
  return _problems.empty();
}

void DecisionsFile::parse(std::string_view text) {
  int number = 0;
  std::unordered_map<std::string, int> seen;
  size_t from = 0;
  while (from < text.size()) {
    size_t feed = text.find('\n', from);
    size_t end = feed == std::string_view::npos ? text.size() : feed;
    std::string_view line = text.substr(from, end - from);
    from = end + 1;
    ++number;
    if (!line.empty() && line.back() == '\r') {
      line.remove_suffix(1);
      _crlf = true;
    }
    if (line.empty() || line[0] == '#') continue;
    size_t before = _lines.size();
    parseLine(line, number);
    if (_lines.size() == before) continue;
    auto [at, fresh] = seen.emplace(_lines.back().key(), number);
    if (!fresh) {
      problem(number,
              "the same decision as line " + std::to_string(at->second) + " (one line a question)");
      _lines.pop_back();
    }
  }
}

void DecisionsFile::parseLine(std::string_view text, int number) {
  std::vector<std::string_view> fields = splitTabs(text);
  DecisionLine line;
  line.line = number;
  bool refusal = fields.size() == 4 && fields[2] == DecisionLine::kWithout;
  if (!refusal && fields.size() != 7 && fields.size() != 8) {
    problem(number,
            "expected 7 fields separated by tabs (mask, node, kind, REF, NEW, CUSTO, "
            "option), 8 with with-subtree, or 4 (mask, node, without, inner node); found " +
                std::to_string(fields.size()));
    return;
  }
  if (!field(fields[0], line.mask, "mask", number) || !field(fields[1], line.node, "node", number))
    return;
  if (line.node.empty()) {
    problem(number, "empty node");
    return;
  }
  bool good = refusal ? parseRefusal(fields, line) : parseQuestion(fields, line);
  if (good) _lines.push_back(std::move(line));
}

bool DecisionsFile::parseQuestion(const std::vector<std::string_view>& fields, DecisionLine& line) {
  if (!kindNamed(fields[2], line.kind)) {
    std::string known;
    for (const QuestionKindInfo& info : questionKinds()) known += std::string(info.name) + ", ";
    problem(line.line,
            "unknown kind " + quoted(fields[2]) + " (" + known + "or without and an inner node)");
    return false;
  }
  static const char* const kVersions[3] = {"REF", "NEW", "CUSTO"};
  for (int i = 0; i < 3; ++i) {
    if (!DecisionText::parseValue(fields[3 + i], line.values[i])) {
      problem(line.line, std::string(kVersions[i]) + " value " + quoted(fields[3 + i]) +
                             ": \"-\" when absent, else \"=\" and the value (\\xHH escapes)");
      return false;
    }
    int presence = kPresence[static_cast<int>(line.kind) - 1][i];
    if (presence != 2 && line.values[i].has_value() != (presence == 1)) {
      problem(line.line, std::string("a ") + questionKind(line.kind).name + " question has " +
                             (presence == 1 ? "a " : "no ") + kVersions[i] + " value" +
                             (presence == 1 ? " (\"=...\")" : " (\"-\")"));
      return false;
    }
  }
  if (fields[6] == "alternative") {
    line.choice = Choice::kAlternative;
  } else if (fields[6] != "recommendation") {
    problem(line.line, "unknown option " + quoted(fields[6]) + " (recommendation or alternative)");
    return false;
  }
  if (fields.size() == 8) {
    if (fields[7] != DecisionLine::kWithSubtree) {
      problem(line.line, "unknown eighth field " + quoted(fields[7]) + " (with-subtree)");
      return false;
    }
    if (!questionKind(line.kind).withSubtree || line.choice != Choice::kAlternative) {
      std::string kinds;
      for (const QuestionKindInfo& info : questionKinds()) {
        if (info.withSubtree) kinds += std::string(kinds.empty() ? "" : " or ") + info.name;
      }
      problem(line.line, "with-subtree goes only with " + kinds +
                             " and alternative: keeping a node version N+1 dropped, with "
                             "everything below it");
      return false;
    }
    line.withSubtree = true;
  }
  return true;
}

bool DecisionsFile::parseRefusal(const std::vector<std::string_view>& fields, DecisionLine& line) {
  line.refusal = true;
  line.kind = QuestionKind::kNewInNew;
  if (!field(fields[3], line.inner, "inner node", line.line)) return false;
  if (line.inner.empty()) {
    problem(line.line, "empty inner node");
    return false;
  }
  // The last level names the node left out; a property is a field of its
  // entity or attribute line, which is written whole.
  size_t last = line.inner.rfind('/');
  std::string_view type =
      std::string_view(line.inner).substr(last == std::string::npos ? 0 : last + 1);
  size_t separator = type.find("::");
  type = separator == std::string_view::npos ? std::string_view() : type.substr(0, separator);
  if (type != "A" && type != "X" && type != "F" && type != "V") {
    problem(line.line, "inner node " + quoted(fields[3]) +
                           ": only an attribute, access line, filter or value (A::, X::, F::, "
                           "V::) can be left out");
    return false;
  }
  return true;
}

bool DecisionsFile::field(std::string_view text, std::string& bytes, const char* what, int number) {
  if (DecisionText::unescape(text, bytes)) return true;
  problem(number, std::string(what) + " " + quoted(text) +
                      ": a backslash starts an escape \\xHH (two hexadecimal digits)");
  return false;
}

void DecisionsFile::problem(int line, std::string message) {
  _problems.push_back({line, std::move(message)});
}

std::string DecisionsFile::compose(std::vector<std::string> lines) {
  std::sort(lines.begin(), lines.end());
  std::string text(kHeader);
  text += '\n';
  for (const std::string& line : lines) {
    text += line;
    text += '\n';
  }
  return text;
}
