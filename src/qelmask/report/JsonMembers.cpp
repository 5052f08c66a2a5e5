#include "qelmask/report/JsonMembers.h"

#include <algorithm>

namespace JsonMembers {

namespace {

// "line 3, column 7" of the byte at `offset` (from 1).
std::string placeOf(std::string_view text, size_t offset) {
  offset = std::min(offset, text.size());
  std::string_view before = text.substr(0, offset > 0 ? offset - 1 : 0);
  size_t line = 1 + static_cast<size_t>(std::count(before.begin(), before.end(), '\n'));
  size_t lineStart = before.rfind('\n');
  size_t column = before.size() - (lineStart == std::string_view::npos ? 0 : lineStart + 1) + 1;
  return "line " + std::to_string(line) + ", column " + std::to_string(column);
}

}  // namespace

bool parse(std::string_view text, Json& document, std::string& error) {
  try {
    document = Json::parse(text.begin(), text.end());
    return true;
  } catch (const Json::parse_error& problem) {
    error = "not JSON: a syntax error at " + placeOf(text, problem.byte);
  } catch (const Json::out_of_range&) {
    // "1e999": valid JSON, but no number the reader can hold.
    error = "not JSON this qelmask can read: a number out of range";
  }
  return false;
}

std::string named(const std::string& where, std::string_view name) {
  return where.empty() ? std::string(name) : where + "." + std::string(name);
}

std::string indexed(std::string_view array, size_t index) {
  return std::string(array) + "[" + std::to_string(index) + "]";
}

std::string typeOf(const Json& value) {
  if (value.is_null()) return "null";
  if (value.is_boolean()) return value.get<bool>() ? "true" : "false";
  std::string name = value.type_name();
  return (name == "array" || name == "object" ? "an " : "a ") + name;
}

std::string shown(const Json& value) {
  std::string text = value.dump();
  if (text.size() <= 40) return text;
  size_t cut = 40;
  while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
  return text.substr(0, cut) + "...";
}

void wrongType(const Json& value, const std::string& what, const char* expected) {
  throw Invalid{"member \"" + what + "\" is " + typeOf(value) + ", expected " + expected};
}

const Json& member(const Json& object, const std::string& where, std::string_view name,
                   std::string_view missing) {
  auto found = object.find(name);
  if (found == object.end()) {
    throw Invalid{"member \"" + named(where, name) + "\" is missing" + std::string(missing)};
  }
  return *found;
}

const Json& objectAt(const Json& object, const std::string& where, std::string_view name,
                     std::string_view missing) {
  const Json& value = member(object, where, name, missing);
  if (!value.is_object()) wrongType(value, named(where, name), "an object");
  return value;
}

const Json& arrayAt(const Json& object, const std::string& where, std::string_view name) {
  const Json& value = member(object, where, name);
  if (!value.is_array()) wrongType(value, named(where, name), "an array");
  return value;
}

}  // namespace JsonMembers
