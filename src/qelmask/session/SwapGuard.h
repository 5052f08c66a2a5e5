#pragma once

#include <string>

class MergerFile;
class MergerObj;

// Whether --ref and --new look swapped. The customer's mask was built on
// version N: where versions N and N+1 part ways, its nodes stand with
// version N, unless the customer changed them. Only those nodes count: the
// customer's own nodes, and what a role mask leaves out of the DEFAULT mask,
// tell the two versions nothing.
namespace SwapGuard {
struct Verdict {
  long fromRef = 0;  // the customer's nodes that --new holds as they are and --ref does not
  long fromNew = 0;  // those that --ref holds as they are and --new does not
  bool swapped = false;
};

// Compares every customer mask with the DEFAULT masks of `ref` and `neu`,
// which it is merged with. Linear; the trees are sorted by type and name.
Verdict judge(const MergerFile& ref, const MergerFile& neu, const MergerFile& custo);
// How the verdict reads, naming the files.
std::string describe(const Verdict& verdict, const std::string& ref, const std::string& neu,
                     const std::string& custo);
}  // namespace SwapGuard
