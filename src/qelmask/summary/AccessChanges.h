#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "qelmask/summary/DecisionCause.h"

class MergerFile;
class MergerObj;
class QuestionLog;

// The rights a merge gives and takes: every access line whose flag differs
// between the customer's mask as read and the merged mask as written, per
// mask, owner (an entity or an attribute) and operation, with the decision
// that caused it; beside them the attributes whose "auth" field differs (a
// missing field reads as "N").
// Lines inside an entity or attribute that appears or goes count one by one.
// An entry holds the nodes; its words are made when asked for, since a
// large upgrade changes a hundred thousand lines and the summary only
// counts them.
class AccessChanges {
 public:
  enum class Change { kGranted, kRevoked, kChanged };

  struct Entry {
    const MergerObj* mask;
    const MergerObj* before;  // the customer's access line or auth field, or null
    const MergerObj* after;   // the one written, or null
    Change change;            // not used for auth
  };
  struct MaskCount {
    std::string mask;
    int granted = 0, revoked = 0, changed = 0, auth = 0;
  };

  // Compares `custo` with `result`, whose children are sorted by type and
  // name; the nodes of `questions` must be those of these trees, and they
  // and the log must outlive this object.
  void compute(const MergerFile& custo, const MergerFile& result, const QuestionLog& questions);

  const std::vector<Entry>& access() const { return _access; }
  const std::vector<Entry>& auth() const { return _auth; }
  // The masks with changes, in tree order.
  std::vector<MaskCount> perMask() const;

  // The words of an entry: the owner (E::PART or E::PART/A::V_name), the
  // operation ("auth" for an auth field), the flag or value on each side
  // ("" when absent) and the cause.
  static std::string owner(const Entry& entry);
  static std::string_view operation(const Entry& entry);
  static std::string_view valueBefore(const Entry& entry);
  static std::string_view valueAfter(const Entry& entry);
  DecisionCause::Cause cause(const Entry& entry) const;
  // The causes of the questions of the merge compared.
  const DecisionCause& causes() const { return *_causes; }
  static const char* changeName(Change change);

 private:
  using Owners = std::vector<const MergerObj*>;
  using Lines = std::vector<const MergerObj*>;
  void compareMasks(const MergerObj* before, const MergerObj* after);
  void compareEntities(const MergerObj* before, const MergerObj* after);
  void compareLines(const MergerObj* before, const MergerObj* after);
  void compareGroup(const Owners& before, const Owners& after);
  void compareAuth(const Owners& before, const Owners& after);
  void compareAuthFields(const MergerObj* before, const MergerObj* after);
  void compareOne(const MergerObj* before, const MergerObj* after, std::vector<Entry>& into);
  void compareValues(const Lines& before, const Lines& after, std::vector<Entry>& into);

  std::unique_ptr<DecisionCause> _causes;
  const MergerObj* _mask = nullptr;
  std::vector<Entry> _access, _auth;
};
