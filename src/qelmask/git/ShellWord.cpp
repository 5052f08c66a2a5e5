#include "qelmask/git/ShellWord.h"

#include <algorithm>
#include <cctype>

namespace {

// Characters the shell reads as themselves anywhere in a word.
bool plain(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) ||
         std::string_view("/._-+,:@").find(c) != std::string_view::npos;
}

}  // namespace

std::string ShellWord::quoted(std::string_view word) {
  if (!word.empty() && std::all_of(word.begin(), word.end(), plain)) return std::string(word);
  std::string text = "'";
  for (char c : word) text += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return text + "'";
}
