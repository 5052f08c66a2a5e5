#include "qelmask/git/MergeSides.h"

MergeSides MergeSides::of(const std::vector<std::string>& gitFiles, bool vendorIsOurs) {
  MergeSides sides;
  sides.vendorIsOurs = vendorIsOurs;
  if (gitFiles.size() == 4) {
    sides.ancestor = gitFiles[0];
    sides.current = gitFiles[1];
    sides.other = gitFiles[2];
    sides.path = gitFiles[3];
  }
  return sides;
}

std::string MergeSides::shown(const std::string& file) const {
  if (file == ancestor) return shownAncestor();
  if (file == current) return shownCurrent();
  if (file == other) return shownOther();
  return file;
}

std::vector<ShownNamesBuffer::Name> MergeSides::shownNames() const {
  return {{ancestor, shownAncestor()}, {current, shownCurrent()}, {other, shownOther()}};
}
