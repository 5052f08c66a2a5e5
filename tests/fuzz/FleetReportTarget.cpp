// Any bytes as a fleet report given to qelmask report --combine: read, and
// when it is one, combined with itself (its sites come twice: refused) and
// with a small fleet before and after it.
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <vector>

#include "FuzzSupport.h"
#include "qelmask/report/FleetDocument.h"

namespace {

using Json = nlohmann::ordered_json;

// A fleet of one site that failed, on inputs like most of the corpus's.
const Json& smallFleet() {
  static const Json fleet = [] {
    Json inputs = {{"ref", {{"name", "ref.msk"}, {"lines", 7}}},
                   {"new", {{"name", "new.msk"}, {"lines", 6}}},
                   {"rules", nullptr},
                   {"decisions", nullptr}};
    return FleetDocument::ofFailedSite("fuzz-site.msk", "cannot read", inputs);
  }();
  return fleet;
}

void combine(const std::vector<Json>& fleets) {
  Json out;
  std::string error;
  if (FleetDocument::combine(fleets, out, error)) {
    // What was combined reads back as it is.
    Json again;
    if (!FleetDocument::read(out.dump(), again, error) || again != out) std::abort();
  } else if (error.empty()) {
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Json fleet;
  std::string error;
  if (!FleetDocument::read(fuzz::text(data, size), fleet, error)) {
    if (error.empty()) std::abort();
    return 0;
  }
  combine({fleet, fleet});
  combine({smallFleet(), fleet});
  combine({fleet, smallFleet()});
  return 0;
}
