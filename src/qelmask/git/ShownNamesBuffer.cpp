#include "qelmask/git/ShownNamesBuffer.h"

#include <algorithm>
#include <cctype>

namespace {

bool partOfName(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) ||
         std::string_view("._-/~+@").find(c) != std::string_view::npos;
}

// Whether `name` stands whole at `at` in `line`.
bool standsAt(std::string_view line, size_t at, std::string_view name) {
  if (name.empty() || line.compare(at, name.size(), name) != 0) return false;
  if (at > 0 && partOfName(line[at - 1])) return false;
  size_t end = at + name.size();
  if (end == line.size() || !partOfName(line[end])) return true;
  return line[end] == '.' && (end + 1 == line.size() || !partOfName(line[end + 1]));
}

}  // namespace

ShownNamesBuffer::ShownNamesBuffer(std::streambuf& target, std::vector<Name> names)
    : _target(target), _names(std::move(names)) {
  std::erase_if(
      _names, [](const Name& name) { return name.file.find_first_of("./") == std::string::npos; });
  // A name that begins another must not take its place.
  std::stable_sort(_names.begin(), _names.end(),
                   [](const Name& a, const Name& b) { return a.file.size() > b.file.size(); });
}

ShownNamesBuffer::~ShownNamesBuffer() {
  passFinishedLines();
  if (!_pending.empty()) pass(rewrite(_pending));
  _target.pubsync();
}

std::string ShownNamesBuffer::rewrite(std::string_view line) const {
  std::string text;
  text.reserve(line.size());
  for (size_t at = 0; at < line.size();) {
    auto name = std::find_if(_names.begin(), _names.end(),
                             [&](const Name& entry) { return standsAt(line, at, entry.file); });
    if (name == _names.end()) {
      text += line[at++];
    } else {
      text += name->shown;
      at += name->file.size();
    }
  }
  return text;
}

int ShownNamesBuffer::overflow(int c) {
  if (c == traits_type::eof()) return traits_type::not_eof(c);
  _pending += static_cast<char>(c);
  if (c == '\n') passFinishedLines();
  return c;
}

std::streamsize ShownNamesBuffer::xsputn(const char* text, std::streamsize count) {
  _pending.append(text, static_cast<size_t>(count));
  passFinishedLines();
  return count;
}

int ShownNamesBuffer::sync() {
  passFinishedLines();
  return _target.pubsync();
}

void ShownNamesBuffer::passFinishedLines() {
  size_t end = _pending.rfind('\n');
  if (end == std::string::npos) return;
  pass(rewrite(std::string_view(_pending).substr(0, end + 1)));
  _pending.erase(0, end + 1);
}

void ShownNamesBuffer::pass(std::string_view text) {
  _target.sputn(text.data(), static_cast<std::streamsize>(text.size()));
}
