#include "qelmask/diff/MaskLines.h"

#include <ostream>
#include <string_view>

#include "maskfile/MergerFile.h"
#include "qelmask/diff/DiffText.h"
#include "tree/MergerObj.h"

namespace {

// Gathers the lines and hands them to the stream in large blocks: a large
// mask makes millions of them.
class LineWriter {
 public:
  explicit LineWriter(std::ostream& out) : _out(out) { _block.reserve(kBlock + 4096); }

  void mask(const MergerObj* mask) {
    _mask = mask->name();
    _id.clear();
    _block.append(_mask).append("\t");
    if (!mask->value().empty()) _block.append("[").append(mask->value()).append("]");
    _block += '\n';
    children(mask);
  }

  bool finish() {
    flush();
    _out.flush();
    return _out.good();
  }

 private:
  static constexpr size_t kBlock = size_t{1} << 20;

  void children(const MergerObj* node) {
    size_t length = _id.size();
    for (size_t i = 0; i < node->childCount(); ++i) {
      if (const MergerObj* child = node->childAt(i)) {
        line(child);
        _id.resize(length);
      }
    }
  }

  // The child's line; `_id` holds its parent's identifier and is left
  // holding its own.
  void line(const MergerObj* node) {
    if (!_id.empty()) _id += '/';
    _id.append(node->type()).append("::").append(node->name());
    if (!node->value().empty()) _id.append("[").append(node->value()).append("]");
    _block.append(_mask).append("\t").append(_id);
    if (node->isOrdered()) _block.append("\torder ").append(DiffText::orderOf(node));
    _block += '\n';
    if (_block.size() >= kBlock) flush();
    children(node);
  }

  void flush() {
    _out.write(_block.data(), static_cast<std::streamsize>(_block.size()));
    _block.clear();
  }

  std::ostream& _out;
  std::string _block;
  std::string _id;
  std::string_view _mask;
};

}  // namespace

bool MaskLines::write(std::ostream& out, const MergerFile& file) {
  LineWriter writer(out);
  for (int i = 1; i <= file.getMaskCount(); ++i) {
    if (const MergerObj* mask = file.getMaskAt(i)) writer.mask(mask);
  }
  return writer.finish();
}
