#include "rules/RuleVocabulary.h"

const VexUnicodeString gsRULE_COMMENT("#");
const VexUnicodeString gsRULE_SEP("::");
const VexUnicodeString gsRULE_ANY("//");
const VexUnicodeString gsRULE_SLASH("/");
const VexUnicodeString gsRULE_ACTION_KEEP("KEEP");
const VexUnicodeString gsRULE_ACTION_IGNORE("IGNORE");
const VexUnicodeString gsRULE_ACTION_REF("NEW");
const VexUnicodeString gsRULE_ACTION_CUSTO("CUSTO");
