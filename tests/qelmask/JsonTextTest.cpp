// Text from the masks in the report's JSON: valid UTF-8 passes unchanged,
// every other byte becomes the character of the same number, and the
// result is always valid UTF-8 (nlohmann-json refuses anything else).
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>

#include "qelmask/report/JsonText.h"

namespace {

std::string carried(std::string_view bytes) {
  std::string out;
  JsonText::append(out, bytes);
  return out;
}

}  // namespace

TEST(JsonText, KeepsValidUtf8) {
  using namespace std::string_view_literals;
  for (std::string_view text :
       {""sv, "PART"sv, "V_\xc3\xa9t\xc3\xa9"sv, "\xe2\x82\xac 5"sv, "\xf0\x9f\x94\x92 lock"sv,
        "\xef\xbf\xbf"sv, "\xf4\x8f\xbf\xbf"sv, "a\0b"sv}) {
    EXPECT_EQ(carried(text), text) << text;
  }
}

TEST(JsonText, CarriesOtherBytesAsTheCharacterOfTheirNumber) {
  struct Case {
    std::string_view bytes;
    std::string_view expected;
    const char* what;
  };
  const Case cases[] = {
      {"caf\xe9", "caf\xc3\xa9", "Latin-1 e acute"},
      {"\xff", "\xc3\xbf", "a byte that starts nothing"},
      {"\x80z", "\xc2\x80z", "a continuation byte alone"},
      {"\xc3", "\xc3\x83", "a sequence cut by the end"},
      {"\xe2\x82z", "\xc3\xa2\xc2\x82z", "a three-byte sequence cut short"},
      {"\xc0\xaf", "\xc3\x80\xc2\xaf", "an overlong slash"},
      {"\xe0\x80\xaf", "\xc3\xa0\xc2\x80\xc2\xaf", "an overlong three-byte form"},
      {"\xed\xa0\x80", "\xc3\xad\xc2\xa0\xc2\x80", "a surrogate"},
      {"\xf4\x90\x80\x80", "\xc3\xb4\xc2\x90\xc2\x80\xc2\x80", "above U+10FFFF"},
      {"\xf5\x80\x80\x80", "\xc3\xb5\xc2\x80\xc2\x80\xc2\x80", "a lead byte never used"},
      {"ok \xc3\xa9 \xe9", "ok \xc3\xa9 \xc3\xa9", "valid and invalid in one text"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(carried(c.bytes), c.expected) << c.what;
    std::string repaired(c.bytes);
    JsonText::repair(repaired);
    EXPECT_EQ(repaired, c.expected) << c.what;
    // What nlohmann-json writes from it is valid JSON that reads back the same.
    std::string dumped = nlohmann::json(repaired).dump();
    EXPECT_EQ(nlohmann::json::parse(dumped).get<std::string>(), c.expected) << c.what;
  }
}
