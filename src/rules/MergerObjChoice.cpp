#include "rules/MergerRule.h"
#include "tree/MergerObj.h"

// A node records the deciding rule by its line: the tree holds no rule.
void MergerObj::setChoice(const int& choice, const MergerRule* rule) {
  recordChoice(choice == 2, rule ? std::optional<int>(rule->getNumber()) : std::nullopt);
}
