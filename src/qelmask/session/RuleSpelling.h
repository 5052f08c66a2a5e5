#pragma once

#include <string>

class MergerFile;
class MergerRule;

// Finds what a rule that never matched was probably meant to say: a node
// of a mask that its path matches when letter case is ignored (paths match
// case for case, and the reader upper-cases some names, such as those of
// filters and access lines). Not used on the merge's hot path: only for
// rules that decided nothing, once the merge is over.
namespace RuleSpelling {
// The rule's path spelled as the first such node of `file` spells it, or
// "" when no node matches but for case, or one matches exactly.
std::string suggest(const MergerRule& rule, const MergerFile& file);
}  // namespace RuleSpelling
