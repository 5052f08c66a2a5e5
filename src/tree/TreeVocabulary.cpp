#include "tree/TreeVocabulary.h"

const char gcBLANK = ' ';
const VexUnicodeString gsEMPTY("");

const VexUnicodeString gsYES("Y");
const VexUnicodeString gsNO("N");

const VexUnicodeString gsTYPE_MASK("M");
const VexUnicodeString gsTYPE_ENTITY("E");
const VexUnicodeString gsTYPE_ATTR("A");
const VexUnicodeString gsTYPE_PROP("_");
const VexUnicodeString gsTYPE_ACI("X");
const VexUnicodeString gsTYPE_FILTER("F");
const VexUnicodeString gsTYPE_VALUE("V");

const VexUnicodeString gsPROP_ALIAS("alias");
const VexUnicodeString gsPROP_MAND("required");
const VexUnicodeString gsPROP_GROUP("group");
const VexUnicodeString gsPROP_ORDER("order");
const VexUnicodeString gsPROP_AUTH("auth");
const VexUnicodeString gsPROP_DEFVAL("defval");
const VexUnicodeString gsPROP_VALUES("values");
const VexUnicodeString gsPROP_VALUE("v");
const VexUnicodeString gsPROP_ACCESS("access");

const VexUnicodeString gsTYPE_Separator("::");
const VexUnicodeString gsVALUE_Start("[");
const VexUnicodeString gsVALUE_End("]");
const VexUnicodeString gsVISU_SEP("/");
