#include "app/RuleFileLoader.h"

#include "app/ScratchStrings.h"
#include "maskfile/MergerFile.h"
#include "rules/MergerRule.h"
#include "rules/RuleVocabulary.h"

int loadRuleFile(const VexUnicodeString& name, TamLunFileIn& file) {
  if (MergerFile::openFile(name, file) != 0) return -1;
  int lineNumber = 0;
  int rejected = 0;
  bool last = false;
  while (!last) {
    ++lineNumber;
    file.readLine(aLine);
    last = file.eof() != 0;
    if (aLine.GetLengthInChar() == 0) continue;
    gWord = aLine.SubString(0, 1);
    if (gWord == gsRULE_COMMENT) continue;
    if (!MergerRule::addRule(aLine.ConvertToChar(), lineNumber)) ++rejected;
  }
  file.close();
  return rejected;
}
