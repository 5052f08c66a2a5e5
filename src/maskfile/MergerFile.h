#pragma once

#include <functional>
#include <iosfwd>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "framework/TamLunFileIn.h"
#include "framework/TamLunFileOut.h"
#include "framework/TextCursor.h"
#include "framework/VexListValVexUnicodeString.h"
#include "framework/VexRawCollPV.h"
#include "maskfile/MaskLayout.h"
#include "maskfile/OutputBuffer.h"
#include "maskfile/ReadObserver.h"
#include "maskfile/WriteNotes.h"
#include "tree/MaskStorage.h"
#include "tree/MergerObj.h"

// Defined by the merge, which sits above the mask files.
class MergeObserver;
class MergeDecider;

// One mask file held in memory: a tree of mask nodes per mask (the roots,
// owned by the file through its storage), the field separator, and the
// state the reader carries from line to line. It reads a mask file, writes
// one back in sorted order, and drives the merge of a customer file.
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
  // The same checks without any report: whether `openFile` would succeed.
  static bool openQuietly(const VexUnicodeString& name, TamLunFileIn& file);

  // Reads a whole mask file into the tree (adding to what is there) and
  // sorts it by type and name. 0, or 1 when the file could not be opened.
  int read(const VexUnicodeString& name);
  // Reads `count` files into `files`, in order, as `read` would one after
  // the other, and stops at the first that cannot be read: its status is
  // returned. When no trace channel is on, the files are read side by side,
  // and what each reading prints comes out in the order of the files.
  static int readAll(const VexUnicodeString* names, MergerFile* const* files, int count);
  // Reads the lines of `bytes` (a whole file) into the tree, without the
  // messages that open and close `read`, and without sorting.
  void parse(std::string bytes);
  // Handles one line; `line` is normalised in place.
  void oneLine(VexUnicodeString& line);

  // 1 when the field is empty or the null marker "$".
  static int isNull(std::string_view field);

  void setCurrent(MergerObj* node) { _pCurrent = node; }
  MergerObj* getCurrent() const { return _pCurrent; }

  // The first mask of that exact name, or the default mask for "".
  MergerObj* getMask(const VexUnicodeString& name) const;
  MergerObj* getMask(std::string_view name) const;
  // Appends a root: the first one appended becomes the default mask.
  void appendMask(MergerObj* mask);
  int getMaskCount() const { return _lMasks.Size(); }
  MergerObj* getMaskAt(int i) const { return static_cast<MergerObj*>(_lMasks[i]); }

  const VexUnicodeString& getSeparator() const { return _sSeparator; }
  void setSeparator(const VexUnicodeString& separator) { _sSeparator = separator; }
  const VexListValVexUnicodeString& getComments() const { return _lComments; }
  long getLineCount() const { return _nLines; }

  // Where the reader's warnings go: standard output unless redirected (a
  // file read beside others has its messages held until its turn).
  void setConsole(std::ostream& console) { _pConsole = &console; }
  // Who is told of the lines the reader leaves out (none when null). It is
  // called from the thread that reads this file.
  void setObserver(ReadObserver* observer) { _pObserver = observer; }
  // Whether the entities and attributes read from now on hold the
  // properties of their line themselves rather than as child nodes: a tree
  // a third of the size, for a merge that neither traces nor watches what
  // it does (trace dumps and observers see properties as nodes). The merge
  // and the writer give the same output either way.
  void keepPropertiesInOwners(bool keep) { _bOwnProperties = keep; }
  // How many threads a merge of this (customer) file may use: by default
  // as many as the machine has cores.
  void setMergeThreads(unsigned threads) { _nMergeThreads = threads; }

  // Orders the masks and every level below by type, then name; with
  // `keepOrder` set, the values of a "values" property by line instead.
  void sort(int keepOrder);

  // Writes the whole file: 0 (also when there was nothing to write) or 1
  // after an error report.
  int save(const VexUnicodeString& name);
  // Writes what `save` writes into the file to `out`, without any message:
  // nothing when there is no default mask. Whether every write succeeded.
  bool writeTo(std::ostream& file);
  // The same in `layout`. `notes` (may be null) learns what a file in the
  // read-back layout could not carry as the tree holds it. When a field
  // turns out to hold the separator, another one is chosen and the file is
  // written again from the start: `restart` (when given) empties `file`
  // for it; without it the file is gathered in memory first.
  bool writeTo(std::ostream& file, MaskLayout layout, WriteNotes* notes,
               const std::function<bool()>& restart = {});
  void saveNode(TamLunFileOut& file, MergerObj* node);

  // Merges every mask of this (customer) file against the DEFAULT masks of
  // `ref` and `neu` into `result`. 0, or 1, 2, 3 when `ref`, `neu` or this
  // file lacks the mask it needs. Its messages go to this file's console;
  // `observer`, when given, is told of every copy and question; `decider`,
  // when given, settles the questions it has a recorded choice for. Defined
  // with the merge (merge/MergerFileMerge.cpp), the layer above the mask
  // files. A merge with neither observer nor decider, and no trace, merges
  // the entities of a mask side by side on up to the threads set below.
  // Only `result` changes: `ref`, `neu` and this file are only read, so
  // several merges may share the same two DEFAULT files.
  int merge(const MergerFile& ref, const MergerFile& neu, MergerFile& result,
            MergeObserver* observer = nullptr, MergeDecider* decider = nullptr) const;

 private:
  // A mask, and an entity name in it.
  struct EntityKey {
    const MergerObj* mask;
    std::string_view name;
    bool operator==(const EntityKey&) const = default;
  };
  struct EntityKeyHash {
    size_t operator()(const EntityKey& key) const;
  };
  // What `read` prints once the lines are read.
  void reportLineCount();
  // One line, from its first byte to its end (line feed excluded).
  void handleLine(char* begin, char* end);
  void addMask(TextCursor& fields);
  void addEntity(TextCursor& fields);
  void addAttr(TextCursor& fields);
  void addACI(TextCursor& fields);
  void addFilter(TextCursor& fields);
  void addValue(TextCursor& fields);
  void setSep(TextCursor& fields);
  // The next field, up to the separator, without surrounding blanks.
  std::string_view next(TextCursor& fields) const;

  MergerObj* newNode(MergerObj* parent, std::string_view type, std::string_view name,
                     std::string_view value, char ordered = 'N');
  // Makes `node` the parent of the lines that follow.
  void makeCurrent(MergerObj* node);
  void attachComments(MergerObj* node);
  // Lines and comments left out, told to the observer when there is one.
  void ignoreLine(ReadObserver::Reason reason);
  void dropComments(ReadObserver::Reason reason);
  // Why a line under the current node makes nothing: no current node, or a
  // current node outside the tree.
  ReadObserver::Reason orphanReason() const {
    return _pCurrent ? ReadObserver::Reason::kUnderIgnored : ReadObserver::Reason::kNoParent;
  }
  MergerObj* findEntity(MergerObj* mask, std::string_view name);
  void indexEntities();
  // The order of the masks alone (what `sort` does before it sorts each).
  void sortMasks(int keepOrder);
  std::ostream& console() const { return *_pConsole; }

  void writeHeader(OutputBuffer& out) const;
  void writeMasks(OutputBuffer& out);
  void writeNode(OutputBuffer& out, MergerObj* node);
  void writeRecord(OutputBuffer& out, const DecisionRecord& record);
  void writeComments(OutputBuffer& out, const VexListValVexUnicodeString& comments);
  void writeChildren(OutputBuffer& out, MergerObj* node, size_t count);
  void writeLine(OutputBuffer& out, MergerObj* node);
  void writeMask(OutputBuffer& out, MergerObj* node);
  void writeEntity(OutputBuffer& out, MergerObj* node);
  void writeAttr(OutputBuffer& out, MergerObj* node);

  // The read-back layout (MergerFileReadBack.cpp).
  bool readBack() const { return _layout == MaskLayout::kReadBack; }
  // The whole file in the read-back layout with the current separator;
  // `_clash` tells whether a field held it.
  void renderReadBack(std::ostream& file, WriteNotes& notes);
  // After a field held the separator: the first that none holds, made the
  // file's separator; false (the file's own kept) when there is none.
  bool chooseSeparator();
  // Remembers the first field that would not read back as one field.
  void checkField(std::string_view field, bool last, const MergerObj* node) {
    if (readBack() && !_clash && holdsSeparator(field, last)) noteClash(field, node);
  }
  bool holdsSeparator(std::string_view field, bool last) const;
  void noteClash(std::string_view field, const MergerObj* node);
  // The masks whose entity or attribute lines will not find them back.
  void noteUnreadableMasks();
  // The entity line's mask field for the mask about to be written.
  std::string_view entityMaskField(const MergerObj* mask) const;
  // The mask part of the attribute lines' second field, likewise.
  std::string_view attrMaskField(const MergerObj* mask) const;
  // Entities whose attribute lines will not find them back.
  void noteUnreadableAttributes(const MergerObj* entity);

  long _nLines;
  int _nKeepComments;
  VexUnicodeString _sSeparator;
  VexUnicodeString _sMask;
  VexUnicodeString _sEntity;
  VexListValVexUnicodeString _lComments;
  std::vector<long> _commentLines;  // the line of each pending comment
  std::string _sLine;               // the line being read, kept for the observer only
  MergerObj* _pCurrent;
  MergerObj* _pDefault;
  VexRawCollPV _lMasks;

  // The nodes of this file, and the texts they point to.
  std::shared_ptr<MaskStorage> _storage;
  // Look-up indexes beside the tree, so that a line finds its mask and
  // entity without scanning: each maps a name to the first node of that
  // name appended, which is the one a scan in file order finds.
  std::unordered_map<std::string_view, MergerObj*> _masksByName;
  std::unordered_map<EntityKey, MergerObj*, EntityKeyHash> _entities;
  // The entity the last attribute line found, in its mask: the next lines
  // usually name it again.
  const MergerObj* _pLastEntityMask;
  MergerObj* _pLastEntity;
  // The entity index is dropped once the whole file is read (it serves the
  // reading of lines only); a line read after all makes it again.
  bool _bEntitiesIndexed = true;
  // The "values" property of the current node, once a value line made it.
  MergerObj* _pCurrentValues;
  // The current node belongs to no tree (an attribute of a missing entity).
  bool _bCurrentDetached;
  bool _bOwnProperties = false;
  unsigned _nMergeThreads;
  std::ostream* _pConsole;
  ReadObserver* _pObserver;

  // While a file is written: its layout, the mask field of its entity
  // lines, and in the read-back layout what it could not carry.
  MaskLayout _layout = MaskLayout::kLegacy;
  std::string _sEntityMask;
  std::string _sAttrMask;
  const MergerObj* _pFirstMask = nullptr;
  const MergerObj* _pEntityWritten = nullptr;  // the last entity line written
  WriteNotes* _pNotes = nullptr;
  // While the whole file is written, each level is sorted as it is
  // written, while its nodes are at hand, rather than in a pass before.
  bool _bSortAsWritten = false;
  bool _clash = false;
};
