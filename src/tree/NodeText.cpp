#include "tree/NodeText.h"

#include <cstring>

size_t NodeText::lengthSize(size_t length) {
  size_t bytes = 1;
  while (length >= 0x80) {
    length >>= 7;
    ++bytes;
  }
  return bytes;
}

uint8_t* NodeText::putLength(uint8_t* out, size_t length) {
  while (length >= 0x80) {
    *out++ = static_cast<uint8_t>(length | 0x80);
    length >>= 7;
  }
  *out++ = static_cast<uint8_t>(length);
  return out;
}

size_t NodeText::encodedSize(std::string_view type, std::string_view name, std::string_view value) {
  return lengthSize(type.size()) + lengthSize(name.size()) + lengthSize(value.size()) +
         type.size() + name.size() + value.size();
}

size_t NodeText::encodedSize(const uint8_t* text) {
  Parts parts = decode(text);
  return static_cast<size_t>(parts.value.data() + parts.value.size() -
                             reinterpret_cast<const char*>(text));
}

void NodeText::encode(uint8_t* out, std::string_view type, std::string_view name,
                      std::string_view value) {
  out = putLength(out, type.size());
  out = putLength(out, name.size());
  out = putLength(out, value.size());
  for (std::string_view part : {type, name, value}) {
    if (!part.empty()) std::memcpy(out, part.data(), part.size());
    out += part.size();
  }
}

NodeText::Parts NodeText::decodeLong(const uint8_t* text) {
  size_t typeSize, nameSize, valueSize;
  text = getLength(text, typeSize);
  text = getLength(text, nameSize);
  text = getLength(text, valueSize);
  auto chars = reinterpret_cast<const char*>(text);
  return {
      {chars, typeSize}, {chars + typeSize, nameSize}, {chars + typeSize + nameSize, valueSize}};
}
