#include "app/Vocabulary.h"

const char gcBLANK = ' ';
const VexUnicodeString gsEMPTY("");
const VexUnicodeString gsCOMMA(",");
const VexUnicodeString gsDOT(".");
const VexUnicodeString gsTAB("\t");
const VexUnicodeString gsCTRLM("\r");
const VexUnicodeString gsBLANK(" ");

const VexUnicodeString gsYES("Y");
const VexUnicodeString gsNO("N");

const VexUnicodeString gsCOMMENT("//");
const VexUnicodeString gsNULL("$");
const VexUnicodeString gsDEF_MASK("DEFAULT");
const VexUnicodeString gsMASK("*MASK");
const VexUnicodeString gsENTITY("*ENTITY");
const VexUnicodeString gsATTR("*ATTR");
const VexUnicodeString gsACI("+ACI");
const VexUnicodeString gsFILTER("+FILTER");
const VexUnicodeString gsVALUE("+VALUE");
const VexUnicodeString gsSEPARATOR("*SEPARATOR");

const VexUnicodeString gsTYPE_MASK("M");
const VexUnicodeString gsTYPE_ENTITY("E");
const VexUnicodeString gsTYPE_ATTR("A");
const VexUnicodeString gsTYPE_PROP("_");
const VexUnicodeString gsTYPE_ACI("X");
const VexUnicodeString gsTYPE_FILTER("F");
const VexUnicodeString gsTYPE_VALUE("V");

const VexUnicodeString gsOP_READ("READ");
const VexUnicodeString gsOP_EZQU("EZQUERY");
const VexUnicodeString gsOP_QUERY("QUERY");
const VexUnicodeString gsOP_CREATE("CREATE");
const VexUnicodeString gsOP_WRITE("WRITE");

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

const VexUnicodeString gsRULE_COMMENT("#");
const VexUnicodeString gsRULE_SEP("::");
const VexUnicodeString gsRULE_ANY("//");
const VexUnicodeString gsRULE_SLASH("/");
const VexUnicodeString gsRULE_ACTION_KEEP("KEEP");
const VexUnicodeString gsRULE_ACTION_IGNORE("IGNORE");
const VexUnicodeString gsRULE_ACTION_REF("NEW");
const VexUnicodeString gsRULE_ACTION_CUSTO("CUSTO");

VexUnicodeString aLine;
VexUnicodeString gWord;
VexUnicodeString gServWord;
VexUnicodeString gWordMask;
VexUnicodeString gWordEntity;
VexUnicodeString gWordAttr;
