#include "qelmask/summary/MovedLines.h"

#include "framework/VexUnicodeString.h"
#include "maskfile/WrittenHeader.h"

namespace {

// Calls `each(number, line)` for every line of `bytes`, without its line
// feed; stops when `each` returns false.
template <class Each>
void forEachLine(std::string_view bytes, Each each) {
  long number = 0;
  for (size_t at = 0; at < bytes.size();) {
    size_t feed = bytes.find('\n', at);
    size_t end = feed == std::string_view::npos ? bytes.size() : feed;
    if (!each(++number, bytes.substr(at, end - at))) return;
    at = end + 1;
  }
}

// The line as the reader sees it: tabs as blanks, no carriage return, no
// blanks around it.
std::string normalised(std::string_view line) {
  std::string text;
  text.reserve(line.size());
  for (char c : line) {
    if (c == '\r') continue;
    text += c == '\t' ? ' ' : c;
  }
  size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::string_view trimmed(std::string_view text) {
  size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// Which of the header's lines the comments above the first other line hold.
struct Header {
  bool generated = false;
  bool readBack = false;
};

Header headerOf(std::string_view bytes) {
  Header header;
  forEachLine(bytes, [&](long, std::string_view line) {
    if (line.substr(0, 2) != "//") return false;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line == WrittenHeader::kGenerated) header.generated = true;
    if (line == WrittenHeader::kReadBackMark) header.readBack = true;
    return true;
  });
  return header;
}

// Goes through the lines as a reader would, keeping the lines after the
// current attribute until the next entity, mask or attribute line tells
// whether that attribute was its entity's last.
class Scanner {
 public:
  void line(long number, std::string_view raw) {
    if (raw.substr(0, 2) == "//") return;
    std::string text = normalised(raw);
    size_t blank = text.find(' ');
    VexUnicodeString keyword(std::string_view(text).substr(0, blank));
    keyword.ToUpper();
    std::string_view rest =
        blank == std::string::npos ? std::string_view() : std::string_view(text).substr(blank + 1);
    if (keyword == "*SEPARATOR") {
      std::string_view separator = trimmed(rest);
      separator = separator.substr(0, separator.find(' '));
      if (!separator.empty()) _separator = separator;
    } else if (keyword == "*MASK" || keyword == "*ENTITY") {
      endOfEntity();
      _entity = keyword == "*ENTITY" ? firstField(rest) : "";
    } else if (keyword == "*ATTR") {
      _pending.clear();
      _attribute = "E::" + _entity + "/A::" + firstField(rest);
      _inAttribute = true;
    } else if (_inAttribute && (keyword == "+ACI" || keyword == "+FILTER" || keyword == "+VALUE")) {
      if (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);
      _pending.push_back({number, std::string(raw), _attribute});
    }
  }

  std::vector<MovedLines::Entry> finish() {
    endOfEntity();
    return std::move(_found);
  }

 private:
  std::string firstField(std::string_view fields) const {
    return std::string(trimmed(fields.substr(0, fields.find(_separator))));
  }
  void endOfEntity() {
    for (MovedLines::Entry& entry : _pending) _found.push_back(std::move(entry));
    _pending.clear();
    _inAttribute = false;
  }

  std::string _separator = ",";
  std::string _entity;
  std::string _attribute;
  bool _inAttribute = false;
  std::vector<MovedLines::Entry> _pending;
  std::vector<MovedLines::Entry> _found;
};

}  // namespace

bool MovedLines::isMergedMask(std::string_view bytes) { return headerOf(bytes).generated; }

bool MovedLines::isLegacyLayout(std::string_view bytes) {
  Header header = headerOf(bytes);
  return header.generated && !header.readBack;
}

std::vector<MovedLines::Entry> MovedLines::find(std::string_view bytes) {
  if (!isLegacyLayout(bytes)) return {};
  Scanner scanner;
  forEachLine(bytes, [&](long number, std::string_view line) {
    scanner.line(number, line);
    return true;
  });
  return scanner.finish();
}
