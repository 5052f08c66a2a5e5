// Any bytes as a rule file: loaded into the rule list, then every rule is
// tried on every node of a small mask, for every kind of decision. The
// first byte switches the rule trace on or off.
#include <vector>

#include "FuzzSupport.h"
#include "app/RuleFileLoader.h"
#include "framework/VexQelTrace.h"
#include "maskfile/MergerFile.h"
#include "rules/MergerRule.h"

namespace {

// DEFAULT / PART with an attribute, its properties, an access line, a
// filter and values; a second entity; and an entity-level value list.
const char* const kMask =
    "*MASK DEFAULT\n*ENTITY PART,DEFAULT,Part\n*ATTR V_id,PART.DEFAULT,Y,Id,G1,3,$,N,x\n"
    "+ACI QUERY\n+FILTER SITE,ALL\n+VALUE OPEN\n+VALUE CLOSED\n*ENTITY OTHER,DEFAULT\n"
    "*ATTR V_id,OTHER.DEFAULT\n+VALUE A\n*ENTITY L,DEFAULT\n+VALUE v\n";

void collect(MergerObj* node, std::vector<MergerObj*>& nodes) {
  nodes.push_back(node);
  for (int i = 1; i <= node->getChildCount(); ++i) collect(node->getChildObj(i), nodes);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool quiet = (fuzz::silenceConsole(), true);
  static MergerFile mask(1);
  static std::vector<MergerObj*> nodes = [] {
    mask.parse(kMask);
    mask.sort(0);
    std::vector<MergerObj*> all;
    collect(mask.getMaskAt(1), all);
    return all;
  }();
  (void)quiet;
  if (size == 0) return 0;
  VexQelTrace::Configure(data[0] & 1 ? "MergerRule,Main" : nullptr);
  loadRules(fuzz::text(data + 1, size - 1));
  for (MergerObj* node : nodes) {
    for (int action : {1, 2}) {
      for (int code : {0, 1}) {
        int choice = 0;
        MergerRule::checkRule(action, code, node, 3 - action, 1 - code, node, choice);
      }
    }
  }
  MergerRule::end();
  VexQelTrace::Configure(nullptr);
  return 0;
}
