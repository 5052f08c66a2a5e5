#include "qelmask/session/MaskReading.h"

#include <ostream>
#include <vector>

#include "maskfile/ParallelParse.h"
#include "qelmask/output/ExitStatus.h"
#include "qelmask/session/InputFile.h"

int MaskReading::load(MaskInput* const* inputs, std::string* bytes, int count,
                      Diagnostics& diagnostics) {
  int status = kDone;
  for (int i = 0; i < count; ++i) {
    std::string error;
    if (!InputFile::read(inputs[i]->name, bytes[i], error)) {
      diagnostics.error(inputs[i]->name, error);
      status = kInputProblem;
    }
  }
  return status;
}

void MaskReading::parse(MaskInput* const* inputs, std::string* bytes, int count,
                        Diagnostics& diagnostics) {
  std::vector<MergerFile*> files;
  for (int i = 0; i < count; ++i) {
    MergerFile& file = inputs[i]->file;
    file.setConsole(inputs[i]->console);
    file.setObserver(&inputs[i]->log);
    files.push_back(&file);
  }
  parseAndSortSideBySide(files.data(), bytes, count);
  std::ostream& progress = diagnostics.progress();
  progress << "Read: ";
  for (int i = 0; i < count; ++i) {
    progress << inputs[i]->name << " (" << inputs[i]->file.getLineCount() << " lines)"
             << (i + 1 < count ? ", " : "\n");
  }
}
