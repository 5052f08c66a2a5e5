#pragma once

#include "framework/VexUnicodeString.h"

// The words of the rule file, built once before main and only read
// afterwards.
extern const VexUnicodeString gsRULE_COMMENT;
extern const VexUnicodeString gsRULE_SEP;
extern const VexUnicodeString gsRULE_ANY;
extern const VexUnicodeString gsRULE_SLASH;
extern const VexUnicodeString gsRULE_ACTION_KEEP;
extern const VexUnicodeString gsRULE_ACTION_IGNORE;
extern const VexUnicodeString gsRULE_ACTION_REF;
extern const VexUnicodeString gsRULE_ACTION_CUSTO;
