#include "maskfile/ErrorReport.h"

#include <iostream>

#include "framework/VexQelInfo.h"

namespace {

const char* const kCatalog = "VexDrnMaskMerger";
const long kGenericFailure = 0x80004005L;

const char* const kUsage[] = {
    "QELPeopleMaskMerger [-h] <file1> <file2> <file3> <file4> [-rule <rule>]",
    "",
    "Merge mask files as follows:",
    "<file1> must contain the DEFAULT mask  (version N)",
    "<file2> must contain the DEFAULT mask  (version N+1)",
    "<file3> must contain a customer mask   (version N)",
    "<file4> will contain the merged customer mask (version N+1)",
    "<rule>  is the rule file. This file defines the rules to apply when",
    "        there are some ambiguities. In such case:",
    "        - the first rule that matches is applied to the result",
    "        - otherwise, the recommendation automatically applies",
    "A typical rule syntax is:",
    "        <action> <action_node> <node_def>",
    "where:",
    "<action>      is KEEP or IGNORE (to keep/ignore the <action_node>)",
    "<action_node> is NEW  or CUSTO.",
    "              NEW designs the DEFAULT mask's node ",
    "              while CUSTO designs the customer mask's node (version N)",
    "<node_def>    is a node path expressed as:",
    "              <type1>::<id1>/<type2>::<id2>/...",
    "              or: //<type1>::<id1>/...",
    "              <typeX> is:",
    "                E for entity",
    "                A for attribute",
    "                _ for property.",
    "                  In this case, <idX> is predefined:",
    "                    alias       (for entities and attributes)",
    "                    required    (attributes only)",
    "                    group       (attributes only)",
    "                    order       (attributes only)",
    "                    auth        (attributes only) authorized values flag",
    "                    def val     (attributes only) default value",
    "                X for access (ACI)",
    "                V for value",
    "                F for filter",
    "              <idX> must be a complete id,",
    "                   or \"*\" for \"any node id of the given <typeX>\"",
    "Examples:",
    "//_::alias    means: all 'alias' properties of any node (mask entities and attributes)",
    "E::*/A::V_id  means: all 'V_id' attribute of all mask entities",
};

}  // namespace

int usage(int) {
  for (const char* line : kUsage) std::cout << line << "\n";
  std::cout.flush();
  return 0;
}

int RaiseError(int code, const char* key, int withUsage) {
  VexQelInfo info;
  info.Init(kCatalog, key, kGenericFailure, "", 0);
  std::cout << "ERROR: " << info.GetMessage() << "\n";
  int stacked = VexQelInfo::Size();
  if (stacked >= 1) {
    std::cout << stacked << "ERROR(S) IN STACK:\n";
    for (int i = 1; i <= stacked; ++i) {
      VexQelInfo::GetInfo(info, i);
      std::cout << i + 1 << ": " << info.GetMessage() << "\n";
    }
  }
  if (withUsage) usage(0);
  return code;
}
