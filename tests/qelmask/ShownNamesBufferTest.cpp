#include <gtest/gtest.h>

#include <sstream>

#include "qelmask/git/ShownNamesBuffer.h"

namespace {

const std::vector<ShownNamesBuffer::Name> kGitNames{{".merge_file_a1B2c3", "masks/site.msk (base)"},
                                                    {".merge_file_d4E5f6", "masks/site.msk"},
                                                    {"ours.msk", "site.msk"},
                                                    {"ours.msk2", "site.msk (theirs)"},
                                                    {"a", "site.msk (base)"}};

}  // namespace

TEST(ShownNamesBuffer, ReplacesWholeNamesOnly) {
  std::stringbuf sink;
  ShownNamesBuffer buffer(sink, kGitNames);
  struct Case {
    const char* line;
    const char* shown;
  };
  for (const Case& c : std::initializer_list<Case>{
           {"Read: .merge_file_a1B2c3 (37 lines), .merge_file_d4E5f6 (51 lines)",
            "Read: masks/site.msk (base) (37 lines), masks/site.msk (51 lines)"},
           {"  .merge_file_d4E5f6:26: on E::PART", "  masks/site.msk:26: on E::PART"},
           {"qelmask: error: ours.msk: no mask", "qelmask: error: site.msk: no mask"},
           // One name beginning another: the longer stands.
           {"ours.msk2 and ours.msk", "site.msk (theirs) and site.msk"},
           // A full stop after a name ends the sentence, not the name.
           {"as ours.msk.", "as site.msk."},
           // Part of another file's name: left alone.
           {"Rules: 2 from ours.msk.rules", "Rules: 2 from ours.msk.rules"},
           {"Rules: 2 from /etc/ours.msk", "Rules: 2 from /etc/ours.msk"},
           {"Rules: 2 from my-ours.msk", "Rules: 2 from my-ours.msk"},
           {"x.merge_file_a1B2c3", "x.merge_file_a1B2c3"},
           // A bare word as a file name: the text's own words would change.
           {"a: version N+1 dropped a node", "a: version N+1 dropped a node"},
           {"", ""}}) {
    EXPECT_EQ(buffer.rewrite(c.line), c.shown) << c.line;
  }
}

// Diagnostics flush between the parts of a line: a name cut by a flush
// must be whole again before it is compared.
TEST(ShownNamesBuffer, WaitsForTheEndOfALineAcrossFlushes) {
  std::stringbuf sink;
  {
    ShownNamesBuffer buffer(sink, kGitNames);
    std::ostream out(&buffer);
    out << "Wrote: .merge_";
    out.flush();
    EXPECT_EQ(sink.str(), "");
    out << "file_d4E5f6\nqelmask: note: " << 'o' << "urs.msk: unfinished";
    out.flush();
    EXPECT_EQ(sink.str(), "Wrote: masks/site.msk\n");
  }
  // The buffer passes on its last, unfinished line when it goes.
  EXPECT_EQ(sink.str(), "Wrote: masks/site.msk\nqelmask: note: site.msk: unfinished");
}
