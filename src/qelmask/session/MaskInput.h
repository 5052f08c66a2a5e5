#pragma once

#include <array>
#include <sstream>
#include <string>

#include "maskfile/MergerFile.h"
#include "qelmask/session/ReadLog.h"

// One of the three masks a merge reads (REF, NEW or CUSTO): its name, its
// tree, and what its reader had to say. The reader's own console lines are
// kept apart: the log tells the same in qelmask's words.
struct MaskInput {
  std::string name;
  MergerFile file{1};
  ReadLog log;
  std::ostringstream console;
};

// REF, NEW and CUSTO, in that order: the masks a merge read. The sites of
// a run share REF and NEW.
using MaskInputs = std::array<const MaskInput*, 3>;
