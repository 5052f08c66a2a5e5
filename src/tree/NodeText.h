#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

// The type, name and value of a node, packed in one block of bytes: the
// three lengths, each as a variable-length number (seven bits a byte, so a
// short text costs one byte of length and a long one never wraps), followed
// by the three texts. A node holds one pointer to such a block, and a clone
// shares its source's block instead of copying three strings.
class NodeText {
 public:
  struct Parts {
    std::string_view type;
    std::string_view name;
    std::string_view value;
  };

  // Bytes needed to pack the three texts.
  static size_t encodedSize(std::string_view type, std::string_view name, std::string_view value);
  // Packs the three texts into `out`, which holds encodedSize() bytes.
  static void encode(uint8_t* out, std::string_view type, std::string_view name,
                     std::string_view value);
  static size_t encodedSize(const uint8_t* text);

  static Parts decode(const uint8_t* text);
  // The type and the name only: what ordering and look-ups need.
  static void decodeTypeName(const uint8_t* text, std::string_view& type, std::string_view& name);

 private:
  static size_t lengthSize(size_t length);
  static uint8_t* putLength(uint8_t* out, size_t length);
  static const uint8_t* getLength(const uint8_t* in, size_t& length) {
    size_t value = *in & 0x7f;
    unsigned shift = 7;
    while (*in++ & 0x80) {
      value |= static_cast<size_t>(*in & 0x7f) << shift;
      shift += 7;
    }
    length = value;
    return in;
  }
};
