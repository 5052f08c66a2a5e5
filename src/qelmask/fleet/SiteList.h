#pragma once

#include <string>
#include <vector>

#include "qelmask/output/Diagnostics.h"

// The customer masks of a run over several sites, and where each one's
// output goes: OUTPUT_DIR/<the site file's name>. Everything that would
// lose or mix up a site's file is refused here, before anything is read.
class SiteList {
 public:
  struct Site {
    std::string path;    // as given, or DIR/NAME for --sites DIR
    std::string name;    // the file's name, which names its output
    std::string output;  // "" when the run writes no mask
  };

  // The files given, or every "*.msk" of `folder` (by name) when `folder`
  // is not empty. An exit status, after a report: an input problem when
  // the folder cannot be listed or holds no mask, the output refused when
  // two sites share a file name.
  int gather(const std::vector<std::string>& files, const std::string& folder,
             Diagnostics& diagnostics);
  // The outputs in `outputDir`, checked: the folder holds no input (not
  // even through a link), and no output exists unless `force`. `others`
  // are the run's other inputs (REF, NEW, rules, decisions). False after
  // reporting every refusal.
  bool placeOutputs(const std::string& outputDir, const std::vector<std::string>& others,
                    bool force, Diagnostics& diagnostics);

  // Makes the output folder when it is missing; false after a report.
  static bool makeOutputDir(const std::string& outputDir, Diagnostics& diagnostics);

  const std::vector<Site>& sites() const { return _sites; }
  size_t size() const { return _sites.size(); }

 private:
  bool listFolder(const std::string& folder, Diagnostics& diagnostics);
  bool namesAreUnique(Diagnostics& diagnostics) const;

  std::vector<Site> _sites;
};
