#include "app/RuleFileLoader.h"

#include <climits>

#include "app/ScratchStrings.h"
#include "framework/LineSplitter.h"
#include "maskfile/MergerFile.h"
#include "rules/MergerRule.h"
#include "rules/RuleVocabulary.h"

long loadRuleFile(const VexUnicodeString& name, TamLunFileIn& file) {
  if (MergerFile::openFile(name, file) != 0) return -1;
  long rejected = loadRules(file.takeContent());
  file.close();
  return rejected;
}

long loadRules(std::string bytes) {
  long lineNumber = 0;
  long rejected = 0;
  forEachLine(bytes.data(), bytes.data() + bytes.size(), [&](char* begin, char* end) {
    ++lineNumber;
    aLine = VexUnicodeString(std::string_view(begin, static_cast<size_t>(end - begin)));
    if (aLine.GetLengthInChar() == 0) return;
    gWord = aLine.SubString(0, 1);
    if (gWord == gsRULE_COMMENT) return;
    // A rule's number is an int: a file of more lines than that numbers
    // the rest with the largest.
    int number = lineNumber > INT_MAX ? INT_MAX : static_cast<int>(lineNumber);
    if (!MergerRule::addRule(aLine.ConvertToChar(), number)) ++rejected;
  });
  return rejected;
}
