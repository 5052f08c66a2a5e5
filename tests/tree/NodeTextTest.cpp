#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "tree/NodeText.h"

namespace {

std::string pack(const std::string& type, const std::string& name, const std::string& value) {
  std::string bytes(NodeText::encodedSize(type, name, value), '\0');
  NodeText::encode(reinterpret_cast<uint8_t*>(bytes.data()), type, name, value);
  return bytes;
}

int sign(int r) { return (r > 0) - (r < 0); }

}  // namespace

TEST(NodeText, PacksAnyBytesAndLengthsAcrossTheOneByteLimit) {
  const std::string nul("a\0b", 3);
  for (size_t length : {0, 1, 127, 128, 129, 16383, 16384, 70000}) {
    const std::string long_text(length, 'x');
    const std::vector<std::vector<std::string>> cases = {
        {"A", long_text, ""}, {"", "", long_text}, {long_text, nul, "\xff\r"}};
    for (const auto& parts : cases) {
      std::string bytes = pack(parts[0], parts[1], parts[2]);
      NodeText::Parts got = NodeText::decode(reinterpret_cast<const uint8_t*>(bytes.data()));
      EXPECT_EQ(got.value.data() + got.value.size(), bytes.data() + bytes.size());
      EXPECT_EQ(std::string(got.type), parts[0]) << length;
      EXPECT_EQ(std::string(got.name), parts[1]) << length;
      EXPECT_EQ(std::string(got.value), parts[2]) << length;
    }
  }
}

// Two different non-zero prefixes must order two nodes as the full
// comparison of type, then name, does: the sorts trust them.
TEST(NodeText, OrderPrefixesAgreeWithTheFullComparison) {
  std::mt19937 random(7);
  const std::string alphabet(
      "\0\x01"
      "AZ_az\x7f\x80\xff",
      10);
  auto text = [&](size_t maxLength) {
    std::string s(random() % (maxLength + 1), ' ');
    for (char& c : s) c = alphabet[random() % alphabet.size()];
    return s;
  };
  for (int i = 0; i < 20000; ++i) {
    std::string typeA = text(2), typeB = i % 3 ? typeA : text(2);
    std::string nameA = text(10),
                nameB = i % 5 ? nameA.substr(0, random() % 12) + text(3) : text(10);
    uint64_t a = NodeText::orderPrefix(typeA, nameA), b = NodeText::orderPrefix(typeB, nameB);
    if (!a || !b || a == b) continue;
    int full = NodeText::compareBytes(typeA, typeB);
    if (full == 0) full = NodeText::compareBytes(nameA, nameB);
    ASSERT_EQ(a < b ? -1 : 1, full)
        << testing::PrintToString(typeA) << testing::PrintToString(nameA) << " vs "
        << testing::PrintToString(typeB) << testing::PrintToString(nameB);
  }
  EXPECT_EQ(NodeText::orderPrefix("AB", "x"), 0u);
  EXPECT_EQ(NodeText::orderPrefix("", "x"), 0u);
  EXPECT_EQ(sign(NodeText::compareBytes("a", std::string("a\0", 2))), -1);
  EXPECT_EQ(sign(NodeText::compareBytes("\xe9", "z")), 1);
}
