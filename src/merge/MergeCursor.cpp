#include "merge/MergeCursor.h"

MergeCursor::MergeCursor(const MergerObj* parent, int& position)
    : _parent(parent),
      _position(position),
      _count(parent ? parent->getChildCount() : 0),
      _current(nullptr),
      _idKnown(false) {}

bool MergeCursor::next() {
  _idKnown = false;
  if (_parent && _position >= 0 && _position < _count) {
    ++_position;
    _current = _parent->childAt(static_cast<size_t>(_position) - 1);
    if (_current) _text = _current->text();
    return true;
  }
  _current = nullptr;
  return false;
}

const VexUnicodeString& MergeCursor::id() {
  if (!_idKnown) {
    _id.Reset();
    if (_current) {
      _current->getId(_id);
    } else {
      _id = "<NONE>";
    }
    _idKnown = true;
  }
  return _id;
}
