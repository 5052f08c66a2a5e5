#include "qelmask/diff/DiffStat.h"

#include <algorithm>
#include <array>
#include <ostream>
#include <string_view>

#include "tree/MergerObj.h"

namespace {

// One line of the counts: what is counted, and its counts.
struct Row {
  std::string label;
  DiffStat::Counts counts;
  std::string note;  // after the counts
};

// The kinds in the order they are listed, as nodes nest.
constexpr std::array<std::string_view, 10> kKinds{
    "mask",   "entity", "attribute",   "property", "access line",
    "filter", "value",  "value order", "comment",  "node"};

// The entity a change lies in, by its identifier ("" for a mask itself).
std::string entityOf(const MaskChange& change) {
  const MergerObj* node = change.node();
  const MergerObj* entity = nullptr;
  for (; node->getParentObj(); node = node->getParentObj()) entity = node;
  std::string id;
  if (entity) {
    id.append(entity->type()).append("::").append(entity->name());
    if (!entity->value().empty()) id.append("[").append(entity->value()).append("]");
  }
  return id;
}

// Adds the change to the last row when it has the label, else a new row.
void count(std::vector<Row>& rows, std::string label, const MaskChange& change) {
  if (rows.empty() || rows.back().label != label) rows.push_back({std::move(label), {}, {}});
  rows.back().counts.add(change);
}

void writeRows(std::ostream& out, const std::vector<Row>& rows) {
  size_t width = 0;
  for (const Row& row : rows) width = std::max(width, row.label.size());
  for (const Row& row : rows) {
    out << "  " << row.label << std::string(width - row.label.size() + 2, ' ')
        << DiffStat::describe(row.counts) << row.note << "\n";
  }
}

}  // namespace

void DiffStat::Counts::add(const MaskChange& change) {
  switch (change.sign) {
    case MaskChange::Sign::kAdded:
      ++added;
      break;
    case MaskChange::Sign::kRemoved:
      ++removed;
      break;
    case MaskChange::Sign::kChanged:
      ++changed;
      break;
  }
}

std::string DiffStat::describe(const Counts& counts) {
  std::string text;
  auto part = [&text](size_t count, const char* what) {
    if (count == 0) return;
    if (!text.empty()) text += ", ";
    text += std::to_string(count) + " " + what;
  };
  part(counts.added, "added");
  part(counts.removed, "removed");
  part(counts.changed, "changed");
  return text.empty() ? "no change" : text;
}

std::string_view DiffStat::kindOf(const MaskChange& change) {
  if (change.what == MaskChange::What::kOrder) return "value order";
  if (change.what == MaskChange::What::kComment) return "comment";
  return change.kind();
}

void DiffStat::write(std::ostream& out, const std::vector<MaskChange>& changes) {
  if (changes.empty()) return;
  // Masks and their entities: the changes come in tree order, so those of
  // one mask, and of one entity in it, stand together.
  std::vector<Row> places;
  std::array<Counts, kKinds.size()> kinds{};
  Counts total;
  size_t maskRow = 0;
  for (const MaskChange& change : changes) {
    if (places.empty() || change.mask() != places[maskRow].label) {
      maskRow = places.size();
      places.push_back({std::string(change.mask()), {}, {}});
    }
    places[maskRow].counts.add(change);
    if (change.what == MaskChange::What::kNode && !change.node()->getParentObj()) {
      places[maskRow].note = " (the whole mask";
      if (change.below > 0) {
        places[maskRow].note += ", and " + std::to_string(change.below) +
                                (change.below == 1 ? " line below" : " lines below");
      }
      places[maskRow].note += ")";
    } else {
      std::string entity = entityOf(change);
      count(places, "  " + (entity.empty() ? std::string("(the *MASK line)") : entity), change);
    }
    auto kind = std::find(kKinds.begin(), kKinds.end(), kindOf(change));
    kinds[static_cast<size_t>(kind - kKinds.begin())].add(change);
    total.add(change);
  }
  out << "By mask and entity:\n";
  writeRows(out, places);
  std::vector<Row> byKind;
  for (size_t k = 0; k < kKinds.size(); ++k) {
    if (kinds[k].total() > 0) byKind.push_back({std::string(kKinds[k]), kinds[k], {}});
  }
  out << "By kind of node:\n";
  writeRows(out, byKind);
  out << "Total: " << total.total() << (total.total() == 1 ? " change (" : " changes (")
      << describe(total) << ")\n";
  out.flush();
}
