#include "tree/NodeText.h"

#include "framework/CopyBytes.h"

void NodeText::encode(uint8_t* out, std::string_view type, std::string_view name,
                      std::string_view value) {
  out = putLength(out, type.size());
  out = putLength(out, name.size());
  out = putLength(out, value.size());
  for (std::string_view part : {type, name, value}) {
    copyBytes(reinterpret_cast<char*>(out), part.data(), part.size());
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
