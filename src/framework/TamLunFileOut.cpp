#include "framework/TamLunFileOut.h"

void TamLunFileOut::open(const char* name) {
  if (_out.is_open()) _out.close();
  _out.clear();
  _out.open(name, std::ios::binary | std::ios::trunc);
}

void TamLunFileOut::close() {
  if (_out.is_open()) _out.close();
}
