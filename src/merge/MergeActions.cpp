#include "merge/MergeActions.h"

#include "rules/MergerRule.h"
#include "tree/MergerObj.h"

const MergeAction MergeAction::kAdd{gnActionADD, gnRuleActionADD, kCloneWithSubtree, gsVisuADD,
                                    "ADD"};
// A node kept is copied alone; its children are merged one level down.
const MergeAction MergeAction::kKeep{gnActionKEEP, gnRuleActionKEEP, kCloneAlone, gsVisuKEEP,
                                     "KEEP"};
// A node left out on a question still carries the question's record.
const MergeAction MergeAction::kIgnore{gnActionIGNORE, gnRuleActionIGNORE, kCloneRecordOnly,
                                       gsVisuIGNORE, "IGNORE"};
