#include "qelmask/report/ReportPage.h"

bool ReportPage::write(std::ostream& out, std::string_view json) {
  std::string_view page = source();
  size_t marker = page.find(kDataMarker);
  if (marker == std::string_view::npos) return false;
  out.write(page.data(), static_cast<std::streamsize>(marker));
  writeScriptSafe(out, json);
  std::string_view rest = page.substr(marker + kDataMarker.size());
  out.write(rest.data(), static_cast<std::streamsize>(rest.size()));
  out.flush();
  return out.good();
}

void ReportPage::writeScriptSafe(std::ostream& out, std::string_view json) {
  size_t from = 0;
  for (size_t at = json.find('<'); at != std::string_view::npos; at = json.find('<', from)) {
    out.write(json.data() + from, static_cast<std::streamsize>(at - from));
    out << "\\u003c";
    from = at + 1;
  }
  out.write(json.data() + from, static_cast<std::streamsize>(json.size() - from));
}
