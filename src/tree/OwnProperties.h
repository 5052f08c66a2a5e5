#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

// The properties a line sets on its node, held by the node itself instead
// of by nodes of their own: the six of an attribute line (alias, auth,
// defval, group, order, required) and the alias of an entity line. They are
// packed right behind the node's text as two more blocks of three texts
// (an entity's alias first, the others empty). They make up six in seven of
// the nodes of a mask, so a tree read this way is about a third of the
// size; a clone shares them with the rest of its source's text.
class OwnProperties {
 public:
  static constexpr size_t kCount = 6;
  // In order of their names, the order of a sorted tree.
  using Values = std::array<std::string_view, kCount>;

  // How many properties a node of that type holds: 1 for an entity (its
  // alias), 6 for an attribute.
  static size_t countFor(std::string_view type);
  // The name of the i-th property (the name of its node, "alias" ...).
  static std::string_view name(size_t i);
  // Bytes needed to pack `values`.
  static size_t encodedSize(const Values& values);
  // Packs `values` into `out`, which holds encodedSize() bytes.
  static void encode(uint8_t* out, const Values& values);
  // The values packed right behind the node text `text`.
  static Values decodeAfter(const uint8_t* text);
};
