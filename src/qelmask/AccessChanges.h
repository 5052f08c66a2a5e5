#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class MergerFile;
class MergerObj;
class QuestionLog;

// The rights a merge gives and takes: every access line whose flag differs
// between the customer's mask as read and the merged mask as written, per
// mask, owner (an entity or an attribute) and operation, with the decision
// that caused it; beside them the attributes whose "auth" field differs.
// Lines inside an entity or attribute that appears or goes count one by one.
class AccessChanges {
 public:
  enum class Change { kGranted, kRevoked, kChanged };

  struct Entry {
    std::string mask;
    std::string node;       // the owner: E::PART or E::PART/A::V_name
    std::string operation;  // the access operation; "auth" for a change of the auth field
    std::string before, after;
    bool hadBefore = false, hasAfter = false;
    Change change = Change::kChanged;  // not used for auth
    int decision = 0;                  // the question's number in the merge's order, 0 none
    std::string cause;
  };
  struct MaskCount {
    std::string mask;
    int granted = 0, revoked = 0, changed = 0, auth = 0;
  };

  // Compares `custo` with `result`, whose children are sorted by type and
  // name; the nodes of `questions` must be those of these trees.
  void compute(const MergerFile& custo, const MergerFile& result, const QuestionLog& questions);

  const std::vector<Entry>& access() const { return _access; }
  const std::vector<Entry>& auth() const { return _auth; }
  // The masks with changes, in tree order.
  std::vector<MaskCount> perMask() const;

  static const char* changeName(Change change);

 private:
  struct Owner;  // an entity or attribute on both sides, as far as each has it
  void compareMasks(const MergerObj* before, const MergerObj* after);
  void compareOwners(const MergerObj* before, const MergerObj* after);
  void compareLines(const MergerObj* before, const MergerObj* after);
  void compareAuth(const MergerObj* before, const MergerObj* after);
  void add(Entry entry, const MergerObj* before, const MergerObj* after);
  // The question that made `node` of the result or took the customer's
  // `node`, or the nearest one above it.
  void findCause(const MergerObj* before, const MergerObj* after, Entry& entry) const;
  std::string describe(int index, const MergerObj* on, const MergerObj* node) const;

  const QuestionLog* _questions = nullptr;
  std::unordered_map<const MergerObj*, int> _byCreated, _byCusto;
  std::string _mask;
  std::vector<Entry> _access, _auth;
};
