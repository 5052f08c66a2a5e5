#include "qelmask/LayoutNotes.h"

#include <string>

void LayoutNotes::tell(const WriteNotes& notes, std::string_view file, Diagnostics& diagnostics) {
  std::string field = "the field \"" + notes.clashField + "\" of " + notes.clashNode;
  if (!notes.replaced.empty()) {
    diagnostics.note(file, "written with the separator \"" + notes.separator + "\" instead of \"" +
                               notes.replaced + "\": " + field + " holds \"" + notes.replaced +
                               "\"");
  } else if (notes.clashLeft) {
    diagnostics.warning(file, field +
                                  " holds the separator, and every other separator is held by "
                                  "some field: that line will not read back as written");
  }
  for (const std::string& what : notes.unreadable) diagnostics.warning(file, what);
}
