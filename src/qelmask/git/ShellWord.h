#pragma once

#include <string>
#include <string_view>

// Git runs a merge driver's and a textconv's command line through the
// shell: a program or file name placed in one must reach it as one word.
namespace ShellWord {
// `word` as is when the shell would read it as it stands, else in single
// quotes (a quote inside becoming '\'').
std::string quoted(std::string_view word);
}  // namespace ShellWord
