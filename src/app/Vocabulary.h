#pragma once

#include "framework/VexUnicodeString.h"

// The words of the mask file and rule file formats, and of the console,
// built once before main and only read afterwards.

// Characters and separators.
extern const char gcBLANK;
extern const VexUnicodeString gsEMPTY;
extern const VexUnicodeString gsCOMMA;
extern const VexUnicodeString gsDOT;
extern const VexUnicodeString gsTAB;
extern const VexUnicodeString gsCTRLM;
extern const VexUnicodeString gsBLANK;

// Yes/no flags of nodes.
extern const VexUnicodeString gsYES;
extern const VexUnicodeString gsNO;

// Mask file lexicon.
extern const VexUnicodeString gsCOMMENT;
extern const VexUnicodeString gsNULL;
extern const VexUnicodeString gsDEF_MASK;
extern const VexUnicodeString gsMASK;
extern const VexUnicodeString gsENTITY;
extern const VexUnicodeString gsATTR;
extern const VexUnicodeString gsACI;
extern const VexUnicodeString gsFILTER;
extern const VexUnicodeString gsVALUE;
extern const VexUnicodeString gsSEPARATOR;

// Node type letters.
extern const VexUnicodeString gsTYPE_MASK;
extern const VexUnicodeString gsTYPE_ENTITY;
extern const VexUnicodeString gsTYPE_ATTR;
extern const VexUnicodeString gsTYPE_PROP;
extern const VexUnicodeString gsTYPE_ACI;
extern const VexUnicodeString gsTYPE_FILTER;
extern const VexUnicodeString gsTYPE_VALUE;

// Access operations whose flag defaults to "Y".
extern const VexUnicodeString gsOP_READ;
extern const VexUnicodeString gsOP_EZQU;
extern const VexUnicodeString gsOP_QUERY;
extern const VexUnicodeString gsOP_CREATE;
extern const VexUnicodeString gsOP_WRITE;

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

// Node identifiers.
extern const VexUnicodeString gsTYPE_Separator;
extern const VexUnicodeString gsVALUE_Start;
extern const VexUnicodeString gsVALUE_End;
extern const VexUnicodeString gsVISU_SEP;

// Rule file.
extern const VexUnicodeString gsRULE_COMMENT;
extern const VexUnicodeString gsRULE_SEP;
extern const VexUnicodeString gsRULE_ANY;
extern const VexUnicodeString gsRULE_SLASH;
extern const VexUnicodeString gsRULE_ACTION_KEEP;
extern const VexUnicodeString gsRULE_ACTION_IGNORE;
extern const VexUnicodeString gsRULE_ACTION_REF;
extern const VexUnicodeString gsRULE_ACTION_CUSTO;

// Process-wide scratch strings shared by the rule loading and the mask
// reader: one file is read at a time.
extern VexUnicodeString aLine;
extern VexUnicodeString gWord;
extern VexUnicodeString gServWord;
extern VexUnicodeString gWordMask;
extern VexUnicodeString gWordEntity;
extern VexUnicodeString gWordAttr;
