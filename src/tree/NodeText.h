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
  static size_t encodedSize(std::string_view type, std::string_view name, std::string_view value) {
    return lengthSize(type.size()) + lengthSize(name.size()) + lengthSize(value.size()) +
           type.size() + name.size() + value.size();
  }
  // Packs the three texts into `out`, which holds encodedSize() bytes.
  static void encode(uint8_t* out, std::string_view type, std::string_view name,
                     std::string_view value);

  // Byte order over the whole text (bytes unsigned, a prefix first),
  // normalised to -1, 0 or 1.
  static int compareBytes(std::string_view a, std::string_view b) {
    if (a.size() == 1 && b.size() == 1) {  // the type letters of mask nodes
      auto x = static_cast<unsigned char>(a[0]), y = static_cast<unsigned char>(b[0]);
      return (x > y) - (x < y);
    }
    int r = a.compare(b);
    return (r > 0) - (r < 0);
  }

  // The type letter and the first seven bytes of the name, packed so that
  // two different non-zero prefixes order as their nodes do by type, then
  // name. 0 when the type is not one letter: such nodes, and nodes with
  // equal prefixes, are compared in full.
  static uint64_t orderPrefix(std::string_view type, std::string_view name) {
    if (type.size() != 1) return 0;
    uint64_t prefix = static_cast<uint8_t>(type[0]);
    size_t n = name.size() < 7 ? name.size() : 7;
    for (size_t i = 0; i < 7; ++i) {
      prefix = prefix << 8 | (i < n ? static_cast<uint8_t>(name[i]) : 0);
    }
    return prefix;
  }

  static Parts decode(const uint8_t* text) {
    // Short texts, nearly all of them, have one byte per length.
    if (((text[0] | text[1] | text[2]) & 0x80) == 0) {
      auto chars = reinterpret_cast<const char*>(text + 3);
      return {{chars, text[0]}, {chars + text[0], text[1]}, {chars + text[0] + text[1], text[2]}};
    }
    return decodeLong(text);
  }

 private:
  static Parts decodeLong(const uint8_t* text);
  static size_t lengthSize(size_t length) {
    size_t bytes = 1;
    for (; length >= 0x80; length >>= 7) ++bytes;
    return bytes;
  }
  static uint8_t* putLength(uint8_t* out, size_t length) {
    for (; length >= 0x80; length >>= 7) *out++ = static_cast<uint8_t>(length | 0x80);
    *out++ = static_cast<uint8_t>(length);
    return out;
  }
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
