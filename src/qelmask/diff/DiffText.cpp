#include "qelmask/diff/DiffText.h"

#include <ostream>

#include "qelmask/diff/MaskDiff.h"
#include "tree/MergerObj.h"

namespace {

// The mask, then the identifier or path when there is one.
void appendWhere(std::string& out, const MaskChange& change, const std::string& where) {
  out.append(change.mask());
  if (!where.empty()) out.append(" ").append(where);
}

void appendValue(std::string& out, std::string_view value) {
  if (value.empty()) {
    out += "\"\"";
  } else {
    out.append(value);
  }
}

}  // namespace

void DiffText::append(std::string& out, const MaskChange& change) {
  out += static_cast<char>(change.sign);
  out += ' ';
  switch (change.what) {
    case MaskChange::What::kNode:
      appendWhere(out, change, change.identifier());
      if (change.below > 0) {
        out.append(" (and ").append(std::to_string(change.below));
        out.append(change.below == 1 ? " line below)" : " lines below)");
      }
      break;
    case MaskChange::What::kValue:
      appendWhere(out, change, change.path());
      out += ": ";
      appendValue(out, change.before->value());
      out += " -> ";
      appendValue(out, change.after->value());
      break;
    case MaskChange::What::kOrder:
      appendWhere(out, change, change.path());
      out.append(": order ").append(orderOf(change.before));
      out.append(" -> ").append(orderOf(change.after));
      break;
    case MaskChange::What::kComment:
      appendWhere(out, change, change.identifier());
      out.append(": ").append(change.commentText());
      break;
  }
  out += '\n';
}

bool DiffText::write(std::ostream& out, const std::vector<MaskChange>& changes) {
  // Written in blocks: a diff of two large masks may run to millions of lines.
  constexpr size_t kBlock = size_t{1} << 20;
  std::string block;
  block.reserve(kBlock + 4096);
  for (const MaskChange& change : changes) {
    append(block, change);
    if (block.size() >= kBlock) {
      out.write(block.data(), static_cast<std::streamsize>(block.size()));
      block.clear();
    }
  }
  out.write(block.data(), static_cast<std::streamsize>(block.size()));
  out.flush();
  return out.good();
}

std::string DiffText::orderOf(const MergerObj* node) {
  std::string text;
  for (const MergerObj* child : MaskDiff::inFileOrder(node)) {
    if (!text.empty()) text += ", ";
    text.append(child->name());
  }
  return text;
}
