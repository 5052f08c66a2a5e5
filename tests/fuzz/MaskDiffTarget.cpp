// Any bytes as two mask files (cut at a line "%%"): compared both ways,
// with and without comments, and written as the lines, the JSON and the
// counts of qelmask diff, and as qelmask lines. A file compared with
// itself shows no change, and the two ways round mirror each other.
#include <cstdlib>
#include <sstream>

#include "FuzzSupport.h"
#include "maskfile/MergerFile.h"
#include "qelmask/diff/DiffJson.h"
#include "qelmask/diff/DiffStat.h"
#include "qelmask/diff/DiffText.h"
#include "qelmask/diff/MaskDiff.h"
#include "qelmask/diff/MaskLines.h"

namespace {

void read(MergerFile& file, std::string bytes) {
  static std::ostringstream warnings;
  warnings.str("");
  file.setConsole(warnings);
  file.parse(std::move(bytes));
  file.sort(0);
}

DiffStat::Counts counts(const std::vector<MaskChange>& changes) {
  DiffStat::Counts counts;
  for (const MaskChange& change : changes) counts.add(change);
  return counts;
}

void write(const std::vector<MaskChange>& changes) {
  std::string text;
  for (const MaskChange& change : changes) DiffText::append(text, change);
  DiffJson::document(changes);
  std::ostringstream stat;
  DiffStat::write(stat, changes);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<std::string> parts = fuzz::carve(fuzz::text(data, size), 2);
  MergerFile a(1), b(1);
  read(a, std::move(parts[0]));
  read(b, std::move(parts[1]));
  for (bool comments : {false, true}) {
    std::vector<MaskChange> forth = MaskDiff::compare(a, b, comments);
    std::vector<MaskChange> back = MaskDiff::compare(b, a, comments);
    DiffStat::Counts there = counts(forth), here = counts(back);
    if (there.added != here.removed || there.removed != here.added || there.changed != here.changed)
      std::abort();
    if (!MaskDiff::compare(a, a, comments).empty() || !MaskDiff::compare(b, b, comments).empty())
      std::abort();
    write(forth);
  }
  std::ostringstream lines;
  MaskLines::write(lines, a);
  return 0;
}
