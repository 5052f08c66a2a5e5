#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

// Reading back a JSON document qelmask wrote (a report, a fleet's report):
// each problem is told in the words of its member ("member
// \"summary.sites\" is a string, expected a whole number"), thrown as
// `Invalid` from deep inside a reader and caught where it started.
namespace JsonMembers {
using Json = nlohmann::ordered_json;

struct Invalid {
  std::string message;
};

// Parses `text`; false, with "not JSON: a syntax error at line 3, column 7"
// or a number out of range in `error`, when it is no JSON qelmask can hold.
bool parse(std::string_view text, Json& document, std::string& error);

// "summary.sites", "rules[3]": where a member stands, in a message.
std::string named(const std::string& where, std::string_view name);
std::string indexed(std::string_view array, size_t index);
// "a string", "null", "true": what a value is, in a message.
std::string typeOf(const Json& value);
// A value in a message: its JSON, cut short.
std::string shown(const Json& value);
[[noreturn]] void wrongType(const Json& value, const std::string& what, const char* expected);

// The member `name` of `object` at `where`; `missing` is added to the
// message when it is not there.
const Json& member(const Json& object, const std::string& where, std::string_view name,
                   std::string_view missing = {});
const Json& objectAt(const Json& object, const std::string& where, std::string_view name,
                     std::string_view missing = {});
const Json& arrayAt(const Json& object, const std::string& where, std::string_view name);
}  // namespace JsonMembers
