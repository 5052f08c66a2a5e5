// Any bytes as a decisions file: read line by line; each line kept reads
// back from its own text as the very same line (the text is lossless), and
// the file written from the lines kept reads back as those lines.
#include <cstdlib>

#include "FuzzSupport.h"
#include "qelmask/decisions/DecisionsFile.h"

namespace {

void require(bool holds) {
  if (!holds) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  DecisionsFile file;
  file.parse(fuzz::text(data, size));
  std::vector<std::string> texts;
  for (const DecisionLine& line : file.lines()) {
    std::string text = line.text();
    DecisionsFile again;
    again.parse(text);
    require(again.problems().empty());
    require(again.lines().size() == 1);
    require(again.lines()[0].text() == text);
    require(again.lines()[0].key() == line.key());
    texts.push_back(std::move(text));
  }
  DecisionsFile written;
  written.parse(DecisionsFile::compose(texts));
  require(written.problems().empty());
  require(written.lines().size() == texts.size());
  return 0;
}
