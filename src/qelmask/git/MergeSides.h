#pragma once

#include <string>
#include <vector>

#include "qelmask/git/ShownNamesBuffer.h"

// Which of the files git hands its merge driver is which mask of the
// merge. Git names them by branch: %O the common ancestor, %A the current
// branch's (which the result replaces), %B the branch merged in, %P the
// path in the work tree. The vendor's DEFAULT masks follow one side: the
// branch merged in by default (a vendor branch merged into the site's),
// the current branch with `vendorIsOurs`.
struct MergeSides {
  std::string ancestor, current, other, path;  // %O %A %B %P
  bool vendorIsOurs = false;

  // git's four files, in git's order.
  static MergeSides of(const std::vector<std::string>& gitFiles, bool vendorIsOurs);

  const std::string& ref() const { return ancestor; }
  const std::string& neu() const { return vendorIsOurs ? current : other; }
  const std::string& custo() const { return vendorIsOurs ? other : current; }

  // How each file is named to the user: the current branch's as the path
  // (it becomes the merged file), the two others as versions of it.
  std::string shownAncestor() const { return path + " (base)"; }
  const std::string& shownCurrent() const { return path; }
  std::string shownOther() const { return path + " (theirs)"; }
  std::string shown(const std::string& file) const;
  std::vector<ShownNamesBuffer::Name> shownNames() const;
};
