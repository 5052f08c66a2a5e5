#include "qelmask/report/JsonText.h"

#include <cstdio>

namespace {

bool continuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// The first byte that starts no valid sequence, or the size.
size_t firstInvalid(std::string_view bytes) {
  size_t at = 0;
  while (at < bytes.size()) {
    if (static_cast<unsigned char>(bytes[at]) < 0x80) {
      ++at;
      continue;
    }
    size_t length = JsonText::sequenceLength(bytes.substr(at));
    if (length == 0) return at;
    at += length;
  }
  return at;
}

void appendLatin1(std::string& out, unsigned char c) {
  out += static_cast<char>(0xC0 | (c >> 6));
  out += static_cast<char>(0x80 | (c & 0x3F));
}

}  // namespace

size_t JsonText::sequenceLength(std::string_view bytes) {
  if (bytes.empty()) return 0;
  auto at = [&](size_t i) { return static_cast<unsigned char>(bytes[i]); };
  unsigned char lead = at(0);
  if (lead < 0x80) return 1;
  size_t length = lead >= 0xC2 && lead <= 0xDF   ? 2
                  : lead >= 0xE0 && lead <= 0xEF ? 3
                  : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                 : 0;
  if (length == 0 || bytes.size() < length) return 0;
  for (size_t i = 1; i < length; ++i) {
    if (!continuation(at(i))) return 0;
  }
  // No overlong forms, no surrogates, nothing above U+10FFFF: what every
  // strict decoder (a browser's, a JSON parser's) refuses.
  unsigned char second = at(1);
  if (lead == 0xE0 && second < 0xA0) return 0;
  if (lead == 0xED && second > 0x9F) return 0;
  if (lead == 0xF0 && second < 0x90) return 0;
  if (lead == 0xF4 && second > 0x8F) return 0;
  return length;
}

std::string JsonText::of(std::string_view bytes) {
  std::string out;
  append(out, bytes);
  return out;
}

void JsonText::append(std::string& out, std::string_view bytes) {
  size_t valid = firstInvalid(bytes);
  out.append(bytes.substr(0, valid));
  size_t at = valid;
  while (at < bytes.size()) {
    size_t length = sequenceLength(bytes.substr(at));
    if (length == 0) {
      appendLatin1(out, static_cast<unsigned char>(bytes[at]));
      ++at;
    } else {
      out.append(bytes.substr(at, length));
      at += length;
    }
  }
}

void JsonText::repair(std::string& text) {
  size_t valid = firstInvalid(text);
  if (valid == text.size()) return;
  std::string fixed = text.substr(0, valid);
  append(fixed, std::string_view(text).substr(valid));
  text = std::move(fixed);
}

void JsonText::appendQuoted(std::string& out, std::string_view bytes) {
  std::string text = JsonText::of(bytes);
  out += '"';
  for (char c : text) {
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned char>(c));
          out += escaped;
        } else {
          out += c;
        }
    }
  }
  out += '"';
}
