#include <gtest/gtest.h>

#include "app/Console.h"
#include "app/MergerCommandArgs.h"
#include "framework/TestSupport.h"
#include "framework/VexQelInfo.h"

TEST(RaiseError, ListsStackedMessagesLabelledFromTwo) {
  for (const char* key : {"LUNMerger_CANNOT_READ_FILE", "LUNMerger_UNKNOWN_KEY"}) {
    VexQelInfo info;
    info.Init("VexDrnMaskMerger", key, 0x80004005L, "", 0);
    VexQelInfo::Push(info);
  }
  StdoutCapture out;
  EXPECT_EQ(RaiseError(4, "LUNMerger_CANNOT_OPEN_FILE", 0), 4);
  EXPECT_EQ(VexQelInfo::Size(), 2);  // the report itself is not stacked
  VexQelInfo::Clear();
  EXPECT_EQ(out.text(),
            "ERROR: Cannot open file\n2ERROR(S) IN STACK:\n2: Cannot read file\n"
            "3: LUNMerger_UNKNOWN_KEY\n");
}

TEST(MergerCommandArgs, RejectsShortTemplatesAndMissingPlaceholders) {
  const std::tuple<const char*, int, const char*> cases[] = {
      {"prog %1", 5, "ERROR: Invalid merger command\n"},
      {"prog -m %1", 6, "ERROR: Missing argument in merger command\n"},
      {"prog -m %2 x", 6, "ERROR: Missing argument in merger command\n"}};
  for (const auto& [text, code, report] : cases) {
    VexUnicodeString command(text);
    char** argv = nullptr;
    StdoutCapture out;
    EXPECT_EQ(getMergerCommandArgs(command, "a", "b", argv), code) << text;
    EXPECT_EQ(out.text(), report) << text;
  }
}

TEST(MergerCommandArgs, SplitsTheSubstitutedTemplateIntoWords) {
  VexUnicodeString command("prog  -merge %1 %2");
  char** argv = nullptr;
  ASSERT_EQ(getMergerCommandArgs(command, "a.msk", "b c", argv), 0);
  EXPECT_EQ(command.str(), "prog  -merge a.msk b c");
  std::vector<std::string> words;
  for (char** word = argv; *word; ++word) words.emplace_back(*word);
  EXPECT_EQ(words, (std::vector<std::string>{"prog", "-merge", "a.msk", "b", "c"}));
  freeMergerCommandArgs(argv);
  EXPECT_EQ(argv, nullptr);
}
