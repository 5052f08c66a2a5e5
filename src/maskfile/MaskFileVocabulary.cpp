#include "maskfile/MaskFileVocabulary.h"

const VexUnicodeString gsCOMMA(",");
const VexUnicodeString gsDOT(".");
const VexUnicodeString gsTAB("\t");
const VexUnicodeString gsCTRLM("\r");
const VexUnicodeString gsBLANK(" ");

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

const VexUnicodeString gsOP_READ("READ");
const VexUnicodeString gsOP_EZQU("EZQUERY");
const VexUnicodeString gsOP_QUERY("QUERY");
const VexUnicodeString gsOP_CREATE("CREATE");
const VexUnicodeString gsOP_WRITE("WRITE");
