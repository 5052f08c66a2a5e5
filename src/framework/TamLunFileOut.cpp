#include "framework/TamLunFileOut.h"

#include "framework/FileStore.h"

void TamLunFileOut::open(const char* name) {
  close();
  _out = FileStore::current().create(name);
}

void TamLunFileOut::close() {
  if (_out) _out->flush();
  _out.reset();
}
