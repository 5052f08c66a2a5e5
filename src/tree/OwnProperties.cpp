#include "tree/OwnProperties.h"

#include "tree/NodeText.h"
#include "tree/TreeVocabulary.h"

size_t OwnProperties::countFor(std::string_view type) {
  return type == gsTYPE_ENTITY.str() ? 1 : kCount;
}

std::string_view OwnProperties::name(size_t i) {
  static const VexUnicodeString* const kNames[kCount] = {
      &gsPROP_ALIAS, &gsPROP_AUTH, &gsPROP_DEFVAL, &gsPROP_GROUP, &gsPROP_ORDER, &gsPROP_MAND};
  return kNames[i]->str();
}

size_t OwnProperties::encodedSize(const Values& values) {
  return NodeText::encodedSize(values[0], values[1], values[2]) +
         NodeText::encodedSize(values[3], values[4], values[5]);
}

void OwnProperties::encode(uint8_t* out, const Values& values) {
  NodeText::encode(out, values[0], values[1], values[2]);
  out += NodeText::encodedSize(values[0], values[1], values[2]);
  NodeText::encode(out, values[3], values[4], values[5]);
}

// The byte right after a packed block of three texts.
static const uint8_t* endOf(const uint8_t* text) {
  NodeText::Parts parts = NodeText::decode(text);
  return reinterpret_cast<const uint8_t*>(parts.value.data() + parts.value.size());
}

OwnProperties::Values OwnProperties::decodeAfter(const uint8_t* text) {
  const uint8_t* first = endOf(text);
  NodeText::Parts a = NodeText::decode(first);
  NodeText::Parts b = NodeText::decode(endOf(first));
  return {a.type, a.name, a.value, b.type, b.name, b.value};
}
