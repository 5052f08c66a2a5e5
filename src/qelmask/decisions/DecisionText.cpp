#include "qelmask/decisions/DecisionText.h"

namespace {

constexpr char kHex[] = "0123456789ABCDEF";

bool plain(unsigned char c) { return c >= 0x20 && c < 0x7F && c != '\\'; }

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

std::string DecisionText::escape(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (char c : bytes) {
    auto byte = static_cast<unsigned char>(c);
    if (plain(byte)) {
      out += c;
      continue;
    }
    out += "\\x";
    out += kHex[byte >> 4];
    out += kHex[byte & 0xF];
  }
  return out;
}

bool DecisionText::unescape(std::string_view field, std::string& bytes) {
  bytes.clear();
  bytes.reserve(field.size());
  for (size_t i = 0; i < field.size(); ++i) {
    if (field[i] != '\\') {
      bytes += field[i];
      continue;
    }
    if (field.size() - i < 4 || field[i + 1] != 'x') return false;
    int high = hexDigit(field[i + 2]), low = hexDigit(field[i + 3]);
    if (high < 0 || low < 0) return false;
    bytes += static_cast<char>(high * 16 + low);
    i += 3;
  }
  return true;
}

std::string DecisionText::value(const std::optional<std::string_view>& value) {
  if (!value) return "-";
  std::string field(1, '=');
  field += escape(*value);
  return field;
}

bool DecisionText::parseValue(std::string_view field, std::optional<std::string>& value) {
  if (field == "-") {
    value.reset();
    return true;
  }
  if (field.empty() || field[0] != '=') return false;
  std::string bytes;
  if (!unescape(field.substr(1), bytes)) return false;
  value = std::move(bytes);
  return true;
}
