#pragma once

#include "framework/VexUnicodeString.h"

// The words of mask trees: node types, property names and the punctuation
// of node identifiers, built once before main and only read afterwards.

// Characters.
extern const char gcBLANK;
extern const VexUnicodeString gsEMPTY;

// Yes/no flags of nodes.
extern const VexUnicodeString gsYES;
extern const VexUnicodeString gsNO;

// Node type letters. As bytes they sort "A", "E", "F", "M", "V", "X", "_".
extern const VexUnicodeString gsTYPE_MASK;
extern const VexUnicodeString gsTYPE_ENTITY;
extern const VexUnicodeString gsTYPE_ATTR;
extern const VexUnicodeString gsTYPE_PROP;
extern const VexUnicodeString gsTYPE_ACI;
extern const VexUnicodeString gsTYPE_FILTER;
extern const VexUnicodeString gsTYPE_VALUE;

// Property names.
extern const VexUnicodeString gsPROP_ALIAS;
extern const VexUnicodeString gsPROP_MAND;
extern const VexUnicodeString gsPROP_GROUP;
extern const VexUnicodeString gsPROP_ORDER;
extern const VexUnicodeString gsPROP_AUTH;
extern const VexUnicodeString gsPROP_DEFVAL;
extern const VexUnicodeString gsPROP_VALUES;
extern const VexUnicodeString gsPROP_VALUE;
extern const VexUnicodeString gsPROP_ACCESS;

// Node identifiers: E::PART/A::V_id/_::required[Y].
extern const VexUnicodeString gsTYPE_Separator;
extern const VexUnicodeString gsVALUE_Start;
extern const VexUnicodeString gsVALUE_End;
extern const VexUnicodeString gsVISU_SEP;
