#include <array>
#include <cstring>
#include <sstream>
#include <unordered_map>

#include "maskfile/MaskFileVocabulary.h"
#include "maskfile/MergerFile.h"
#include "tree/TreeVocabulary.h"

namespace {

// Separators tried, in turn, when a field holds the file's own: none is
// "." (which parts an attribute's entity from its mask) or "$" (the null
// marker, written as a field), and none holds a blank.
constexpr std::array<std::string_view, 15> kSeparators = {",", ";", "|", "#", "~", "^",  "!",  "@",
                                                          "%", "&", "=", ":", "?", ";;", "|#|"};

// The name as the reader compares an entity line's mask field: upper case.
VexUnicodeString upper(std::string_view name) {
  VexUnicodeString text(name);
  text.ToUpper();
  return text;
}

std::string quoted(std::string_view name) {
  std::string text;
  text.reserve(name.size() + 2);
  text += '"';
  text += name;
  text += '"';
  return text;
}

}  // namespace

bool MergerFile::writeTo(std::ostream& file, MaskLayout layout, WriteNotes* notes,
                         const std::function<bool()>& restart) {
  if (layout == MaskLayout::kLegacy) return writeTo(file);
  WriteNotes told;
  std::ostringstream gathered;
  std::ostream& first = restart ? file : gathered;
  renderReadBack(first, told);
  if (_clash) {
    WriteNotes clash = told;
    VexUnicodeString own = _sSeparator;
    bool found = chooseSeparator();
    if (restart && !restart()) return false;
    told = WriteNotes();
    renderReadBack(file, told);
    told.clashField = clash.clashField;
    told.clashNode = clash.clashNode;
    if (found) {
      told.replaced = own.str();
      told.separator = _sSeparator.str();
    } else {
      told.clashLeft = true;
    }
    setSeparator(own);
  } else if (!restart) {
    std::string text = std::move(gathered).str();
    file.write(text.data(), static_cast<std::streamsize>(text.size()));
  }
  if (notes) *notes = std::move(told);
  file.flush();
  return file.good();
}

// Each candidate is tried on the whole file, written to nowhere: a rare
// case, which may take a few passes.
bool MergerFile::chooseSeparator() {
  VexUnicodeString own = _sSeparator;
  std::ostream nowhere(nullptr);
  for (std::string_view candidate : kSeparators) {
    if (candidate == own.str()) continue;
    setSeparator(VexUnicodeString(candidate));
    WriteNotes ignored;
    renderReadBack(nowhere, ignored);
    if (!_clash) return true;
  }
  setSeparator(own);
  return false;
}

void MergerFile::renderReadBack(std::ostream& file, WriteNotes& notes) {
  _layout = MaskLayout::kReadBack;
  _pNotes = &notes;
  _clash = false;
  if (_pDefault) {
    OutputBuffer out(file);
    writeHeader(out);
    sort(1);
    noteUnreadableMasks();
    writeMasks(out);
  }
  _layout = MaskLayout::kLegacy;
  _pNotes = nullptr;
}

// Whether the reader, splitting the line at the separator, would cut the
// field short: it holds the separator, or (for a separator of several
// characters) ends with the start of one that the separator after it
// completes.
bool MergerFile::holdsSeparator(std::string_view field, bool last) const {
  std::string_view separator = _sSeparator.str();
  if (separator.size() == 1) return std::memchr(field.data(), separator[0], field.size());
  if (last) return field.find(separator) != std::string_view::npos;
  std::string joined(field);
  joined += separator;
  return joined.find(separator) != field.size();
}

void MergerFile::noteClash(std::string_view field, const MergerObj* node) {
  _clash = true;
  _pNotes->clashField = field;
  node->appendId(_pNotes->clashNode);
  if (_pNotes->clashNode.empty()) _pNotes->clashNode = "mask " + quoted(node->name());
}

// Entity lines name their mask in capitals, and attribute lines name it as
// declared up to a "."; the reader takes the first mask of the name (an
// empty name: the first mask of the file). The first mask is named by an
// empty field when its name is not in capitals; any other mask that these
// look-ups would not find is told.
std::string_view MergerFile::entityMaskField(const MergerObj* mask) const {
  if (readBack() && mask == _pFirstMask && upper(mask->name()).str() != mask->name()) return {};
  return mask->name();
}

std::string_view MergerFile::attrMaskField(const MergerObj* mask) const {
  std::string_view name = mask->name();
  if (readBack() && mask == _pFirstMask && name.find('.') != std::string_view::npos) return {};
  return name;
}

void MergerFile::noteUnreadableMasks() {
  std::vector<const MergerObj*> masks;
  for (int i = 1; i <= _lMasks.Size(); ++i) {
    if (const MergerObj* mask = getMaskAt(i)) masks.push_back(mask);
  }
  if (masks.empty()) return;
  _pFirstMask = masks.front();
  // The first mask of each name, as the reader finds it.
  std::unordered_map<std::string_view, const MergerObj*> byName;
  for (const MergerObj* mask : masks) byName.emplace(mask->name(), mask);
  auto named = [&](std::string_view name) -> const MergerObj* {
    if (name.empty()) return masks.front();
    auto found = byName.find(name);
    return found == byName.end() ? nullptr : found->second;
  };
  for (const MergerObj* mask : masks) {
    if (mask->childCount() == 0) continue;
    std::string_view name = mask->name();
    std::string_view field = entityMaskField(mask);
    if (named(field.empty() ? field : std::string_view(upper(field).str())) != mask) {
      _pNotes->unreadable.push_back(
          "the entities of mask " + quoted(name) +
          " will not read back into it: entity lines name their mask in capitals, and "
          "the first mask of that name is taken");
    } else if (std::string_view part = attrMaskField(mask);
               named(part.substr(0, part.find('.'))) != mask) {
      _pNotes->unreadable.push_back("the attributes of mask " + quoted(name) +
                                    " will read back elsewhere: \".\" ends a mask's name in "
                                    "attribute lines, and the first mask of a name is taken");
    }
  }
}

// An attribute line names its entity up to a "." and finds the first
// entity of that name in its mask; entities are written in order of name,
// so one of the same name as the last is a second.
void MergerFile::noteUnreadableAttributes(const MergerObj* entity) {
  const MergerObj* previous = _pEntityWritten;
  _pEntityWritten = entity;
  if (entity->childCount() == 0 || !entity->childAt(0) ||
      entity->childAt(0)->type() != gsTYPE_ATTR.str())
    return;
  std::string_view name = entity->name();
  std::string where = "entity " + quoted(name) + " of mask " + quoted(_sMask.str());
  if (name.find('.') != std::string_view::npos) {
    _pNotes->unreadable.push_back("the attributes of " + where +
                                  " will not read back: \".\" ends an entity's name in "
                                  "attribute lines");
  } else if (previous && previous->name() == name) {
    _pNotes->unreadable.push_back("the attributes of the second " + where +
                                  " will read back under the first");
  }
}
