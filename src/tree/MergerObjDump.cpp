#include <iostream>

#include "tree/MergerObj.h"
#include "tree/TreeVocabulary.h"

void MergerObj::dump(const VexUnicodeString& parentPath, int) const {
  dumpTo(std::cout, parentPath.str());
}

void MergerObj::dump(TamLunFileOut& out, const VexUnicodeString& parentPath, int) const {
  dumpTo(out.stream(), parentPath.str());
}

// The path is made of names only: "access" and "v" stand in front of the
// names of access lines and values.
void MergerObj::dumpTo(std::ostream& out, const std::string& parentPath) const {
  NodeText::Parts text = this->text();
  std::string path;
  if (text.type != gsTYPE_MASK.str()) {
    path = parentPath;
    if (!path.empty()) {
      if (text.type == gsTYPE_ACI.str()) {
        path.append("/").append(gsPROP_ACCESS.str());
      } else if (text.type == gsTYPE_VALUE.str()) {
        path.append("/").append(gsPROP_VALUE.str());
      }
      path += '/';
    }
    path.append(text.name);
    out << "#" << _nLine << ": " << (_cActive == 'N' ? " {N}" : "    ") << path;
    if (!text.value.empty()) out << "[" << text.value << "]";
    out << "\n";
  }
  for (size_t i = 0; i < _nChildren; ++i) {
    if (const MergerObj* child = childAt(i)) child->dumpTo(out, path);
  }
}
