#include "app/MergerCommandArgs.h"

#include <cstring>
#include <vector>

#include "app/Console.h"
#include "framework/VexToken.h"

const VexUnicodeString gsMergerCmdArg1("%1");
const VexUnicodeString gsMergerCmdArg2("%2");
const VexUnicodeString gsMergerDefaultCmd("QELPeopleMaskMerge -merge %1 %2");

namespace {

std::vector<VexUnicodeString> words(const VexUnicodeString& text) {
  std::vector<VexUnicodeString> out;
  VexToken token(text);
  for (VexUnicodeString w = token.GetNextToken(); w.GetLengthInChar() > 0;
       w = token.GetNextToken()) {
    out.push_back(w);
  }
  return out;
}

}  // namespace

int getMergerCommandArgs(VexUnicodeString& command, const VexUnicodeString& arg1,
                         const VexUnicodeString& arg2, char**& argv) {
  if (words(command).size() < 3) return RaiseError(5, "LUNMerger_INVALID_MERGER_CMD", 0);
  if (command.ReplaceSubString(gsMergerCmdArg1, arg1) < 0 ||
      command.ReplaceSubString(gsMergerCmdArg2, arg2) < 0) {
    return RaiseError(6, "LUNMerger_MERGER_CMD_MISSING_ARG", 0);
  }
  std::vector<VexUnicodeString> list = words(command);
  argv = new char*[list.size() + 1];
  for (size_t i = 0; i < list.size(); ++i) {
    const std::string& w = list[i].str();
    argv[i] = new char[w.size() + 1];
    std::memcpy(argv[i], w.c_str(), w.size() + 1);
  }
  argv[list.size()] = nullptr;
  return 0;
}

void freeMergerCommandArgs(char**& argv) {
  if (!argv) return;
  for (char** word = argv; *word; ++word) delete[] * word;
  delete[] argv;
  argv = nullptr;
}
