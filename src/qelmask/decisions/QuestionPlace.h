#pragma once

#include <string>
#include <string_view>

#include "merge/QuestionKind.h"

class MergerObj;

// Where a question stands, as a decisions file and a report name it: the
// mask of the merged output it arose in, and the path of its node. The
// node is the one the recommendation acts on: version N+1's for a node it
// brings or a value it changed, the customer's otherwise. Every level has
// the same type and name in each version; the path leaves out the node's
// own value, which the question is about.
namespace QuestionPlace {
// The name of the mask `node` lies in.
std::string_view maskOf(const MergerObj* node);
// The node a question of `kind` is named by.
const MergerObj* nodeOf(QuestionKind kind, const MergerObj* neu, const MergerObj* custo);
// `node`'s identifier without its own value.
std::string pathOf(const MergerObj* node);
// The identifier of `inner` below `top`: "X::WRITE[Y]", "A::D_x/X::READ[Y]".
std::string below(const MergerObj* top, const MergerObj* inner);
}  // namespace QuestionPlace
