#pragma once

#include <chrono>
#include <cstddef>
#include <iosfwd>
#include <mutex>
#include <string>

struct SiteOutcome;

// What a run over several sites shows while it works, on the error stream:
// a bar redrawn in place on a terminal (sites done, rate, time left), one
// line per finished site anywhere else, nothing when quiet. Sites finish on
// several threads: each report is whole, never mixed with another's.
class FleetProgress {
 public:
  enum class Style { kBar, kLines, kNone };

  // `doneWord` tells a site that went through: "written".
  FleetProgress(std::ostream& err, size_t total, Style style, const char* doneWord);

  // A site is done: what its run had to say (errors, warnings), then its
  // line or the bar. The text is shown whatever the style.
  void siteDone(const SiteOutcome& outcome, const std::string& said);
  // Ends the bar's line once every site is done.
  void finish();

  // The style for the error stream of this process.
  static Style styleFor(bool quiet);

 private:
  void drawBar();

  std::ostream& _err;
  size_t _total;
  Style _style;
  const char* _doneWord;
  size_t _done = 0;
  std::chrono::steady_clock::time_point _start = std::chrono::steady_clock::now();
  std::chrono::steady_clock::time_point _drawn{};
  bool _barShown = false;
  std::mutex _mutex;
};
