#pragma once

#include "framework/VexUnicodeString.h"

// The words of the mask file format, built once before main and only read
// afterwards.

// Separators and the characters a line is cleaned of.
extern const VexUnicodeString gsCOMMA;
extern const VexUnicodeString gsDOT;
extern const VexUnicodeString gsTAB;
extern const VexUnicodeString gsCTRLM;
extern const VexUnicodeString gsBLANK;

// Comments, the null marker and the keywords.
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

// Access operations; all but READ grant by default.
extern const VexUnicodeString gsOP_READ;
extern const VexUnicodeString gsOP_EZQU;
extern const VexUnicodeString gsOP_QUERY;
extern const VexUnicodeString gsOP_CREATE;
extern const VexUnicodeString gsOP_WRITE;
