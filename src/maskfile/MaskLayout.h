#pragma once

// Where a written mask puts an entity's own access, filter and value lines.
// A reader gives such a line to the nearest entity or attribute line above
// it, so only the read-back layout brings them back to their entity.
enum class MaskLayout {
  // The merger's layout: after the entity's last attribute block, where a
  // reader takes them for that attribute's.
  kLegacy,
  // Right after the entity line, before its attributes; the header names
  // this layout in one more comment line.
  kReadBack,
};
