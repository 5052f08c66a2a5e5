#include "qelmask/summary/LayoutNotes.h"

#include <string>

void LayoutNotes::tell(const WriteNotes& notes, std::string_view file, Diagnostics& diagnostics) {
  std::string field = "the field \"" + notes.clashField + "\" of " + notes.clashNode;
  if (!notes.replaced.empty()) {
    diagnostics.note(file, "written with the separator \"" + notes.separator + "\" instead of \"" +
                               notes.replaced + "\", which would cut " + field);
  } else if (notes.clashLeft) {
    diagnostics.warning(file, "the separator would cut " + field +
                                  ", and so would every other separator tried: that line will "
                                  "not read back as written");
  }
  for (const std::string& what : notes.unreadable) diagnostics.warning(file, what);
}
