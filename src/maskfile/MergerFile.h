#pragma once

#include <memory>
#include <string>
#include <unordered_map>

#include "framework/TamLunFileIn.h"
#include "framework/TamLunFileOut.h"
#include "framework/VexListValVexUnicodeString.h"
#include "framework/VexRawCollPV.h"
#include "framework/VexToken.h"
#include "tree/MergerObj.h"

// One mask file held in memory: a tree of mask nodes per mask (the roots,
// owned by the file), the field separator, and the state the reader carries
// from line to line. It reads a mask file, writes one back in sorted order,
// and drives the merge of a customer file.
class MergerFile {
 public:
  // `keepComments` non-zero: comment lines are attached to the nodes and
  // written back.
  explicit MergerFile(int keepComments);
  ~MergerFile();
  MergerFile(const MergerFile&) = delete;
  MergerFile& operator=(const MergerFile&) = delete;

  void init();
  // Destroys every mask with its tree, then `init`.
  void reset();

  // Checks and opens an input file: 0, or the code of the error already
  // reported (1 no name, 2 missing, 3 unreadable, 4 cannot be opened).
  static int openFile(const VexUnicodeString& name, TamLunFileIn& file);

  // Reads a whole mask file into the tree (adding to what is there) and
  // sorts it by type and name. 0, or 1 when the file could not be opened.
  int read(const VexUnicodeString& name);
  // Handles one line; `line` is normalised in place.
  void oneLine(VexUnicodeString& line);

  void addMask(VexToken& token);
  void addEntity(VexToken& token);
  void addAttr(VexToken& token);
  void addACI(VexToken& token);
  void addFilter(VexToken& token);
  void addValue(VexToken& token);
  void setSep(VexToken& token);

  // The next field, up to the separator, without surrounding blanks.
  void next(VexToken& token, VexUnicodeString& out);
  // 1 when the field is empty or the null marker "$".
  static int isNull(const VexUnicodeString& field);

  void setCurrent(MergerObj* node) { _pCurrent = node; }
  MergerObj* getCurrent() const { return _pCurrent; }

  // The first mask of that exact name, or the default mask for "".
  MergerObj* getMask(const VexUnicodeString& name) const;
  // Appends a root: the first one appended becomes the default mask.
  void appendMask(MergerObj* mask);
  int getMaskCount() const { return _lMasks.Size(); }
  MergerObj* getMaskAt(int i) const { return static_cast<MergerObj*>(_lMasks[i]); }

  const VexUnicodeString& getSeparator() const { return _sSeparator; }
  void setSeparator(const VexUnicodeString& separator) { _sSeparator = separator; }
  const VexListValVexUnicodeString& getComments() const { return _lComments; }

  // Orders the masks and every level below by type, then name; with
  // `keepOrder` set, the values of a "values" property by line instead.
  void sort(int keepOrder);

  // Writes the whole file: 0 (also when there was nothing to write) or 1
  // after an error report.
  int save(const VexUnicodeString& name);
  void saveNode(TamLunFileOut& out, MergerObj* node);

  // Merges every mask of this (customer) file against the DEFAULT masks of
  // `ref` and `neu` into `result`. 0, or 1, 2, 3 when `ref`, `neu` or this
  // file lacks the mask it needs.
  int merge(MergerFile& ref, MergerFile& neu, MergerFile& result);

 private:
  // Makes `node` the parent of the lines that follow (or no parent at all
  // when it is null or detached).
  void makeCurrent(MergerObj* node);
  void attachComments(MergerObj* node);
  MergerObj* findEntity(MergerObj* mask, const VexUnicodeString& name) const;
  void writeEntity(std::ostream& out, MergerObj* node);
  void writeAttr(std::ostream& out, MergerObj* node);
  void writeProperty(std::ostream& out, MergerObj* node, const VexUnicodeString& property);

  long _nLines;
  int _nKeepComments;
  VexUnicodeString _sSeparator;
  VexUnicodeString _sMask;
  VexUnicodeString _sEntity;
  VexListValVexUnicodeString _lComments;
  MergerObj* _pCurrent;
  MergerObj* _pDefault;
  VexRawCollPV _lMasks;

  // Look-up indexes beside the tree, so that a line finds its mask and
  // entity without scanning: each maps a name to the first node of that
  // name appended, which is the one a scan in file order finds.
  std::unordered_map<std::string, MergerObj*> _masksByName;
  std::unordered_map<const MergerObj*, std::unordered_map<std::string, MergerObj*>> _entitiesByMask;
  // The "values" property of the current node, once a value line made it.
  MergerObj* _pCurrentValues;
  // A current attribute whose entity was missing: it and the nodes made
  // under it belong to no tree and are freed when the current node moves on.
  std::unique_ptr<MergerObj> _pDetached;
};
