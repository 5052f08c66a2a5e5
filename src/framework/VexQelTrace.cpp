#include "framework/VexQelTrace.h"

#include <algorithm>
#include <cstdlib>
#include <iostream>

namespace {

std::string trimBlanks(const std::string& s) {
  size_t begin = s.find_first_not_of(' ');
  if (begin == std::string::npos) return std::string();
  size_t end = s.find_last_not_of(' ');
  return s.substr(begin, end - begin + 1);
}

}  // namespace

bool VexQelTrace::IsListed(const std::string& list, const std::string& name) {
  size_t from = 0;
  while (from <= list.size()) {
    size_t comma = list.find(',', from);
    if (comma == std::string::npos) comma = list.size();
    std::string item = trimBlanks(list.substr(from, comma - from));
    if (item == "*" || item == name) return true;
    from = comma + 1;
  }
  return false;
}

VexQelTrace::VexQelTrace(const char* name, const char*, const char*, int, VexTraMode)
    : _name(name ? name : ""), _active(false) {
  const char* list = std::getenv("VEX_TRACE");
  _active = list != nullptr && name != nullptr && IsListed(list, name);
  if (_active) ++activeCount();
  channels().push_back(this);
}

VexQelTrace::~VexQelTrace() {
  std::vector<VexQelTrace*>& all = channels();
  all.erase(std::remove(all.begin(), all.end(), this), all.end());
  if (_active) --activeCount();
}

std::vector<VexQelTrace*>& VexQelTrace::channels() {
  static std::vector<VexQelTrace*> all;
  return all;
}

void VexQelTrace::Configure(const char* list) {
  activeCount() = 0;
  for (VexQelTrace* channel : channels()) {
    channel->_active = list != nullptr && !channel->_name.empty() && IsListed(list, channel->_name);
    if (channel->_active) ++activeCount();
  }
}

void VexQelTrace::ReadSettings() { Configure(std::getenv("VEX_TRACE")); }

int& VexQelTrace::activeCount() {
  static int count = 0;
  return count;
}

void VexQelTrace::write(int n) { std::cout << n; }

void VexQelTrace::write(long n) { std::cout << n; }

void VexQelTrace::write(const char* text) { std::cout << text; }

void VexQelTrace::write(const void* address) { std::cout << address; }

void VexQelTrace::write(const VexUnicodeString& text) { std::cout << text; }

void VexQelTrace::write(std::string_view text) { std::cout << text; }
