#include "qelmask/fleet/FleetProgress.h"

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <ostream>

#include "qelmask/fleet/SiteOutcome.h"

namespace {

constexpr int kBarWidth = 30;
// A bar redrawn more often only costs the terminal.
constexpr auto kRedrawEvery = std::chrono::milliseconds(100);

std::string minutesAndSeconds(double seconds) {
  long whole = std::lround(seconds);
  char text[32];
  std::snprintf(text, sizeof text, "%ld:%02ld", whole / 60, whole % 60);
  return text;
}

}  // namespace

FleetProgress::FleetProgress(std::ostream& err, size_t total, Style style, const char* doneWord)
    : _err(err), _total(total), _style(style), _doneWord(doneWord) {}

FleetProgress::Style FleetProgress::styleFor(bool quiet) {
  if (quiet) return Style::kNone;
  return ::isatty(STDERR_FILENO) ? Style::kBar : Style::kLines;
}

void FleetProgress::siteDone(const SiteOutcome& outcome, const std::string& said) {
  std::lock_guard<std::mutex> lock(_mutex);
  ++_done;
  if (!said.empty()) {
    if (_barShown) _err << "\r\033[K";
    _barShown = false;
    _err << said;
  }
  if (_style == Style::kLines) {
    _err << "[" << _done << "/" << _total << "] " << outcome.name << ": ";
    if (outcome.reason.empty())
      _err << _doneWord << ", " << outcome.questions << " questions\n";
    else
      _err << "failed\n";
  } else if (_style == Style::kBar) {
    auto now = std::chrono::steady_clock::now();
    if (!_barShown || _done == _total || now - _drawn >= kRedrawEvery) {
      _drawn = now;
      drawBar();
    }
  }
  _err.flush();
}

void FleetProgress::drawBar() {
  double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - _start).count();
  double rate = elapsed > 0 ? static_cast<double>(_done) / elapsed : 0;
  auto filled = static_cast<int>(kBarWidth * _done / (_total > 0 ? _total : 1));
  _err << "\r[" << std::string(static_cast<size_t>(filled), '#')
       << std::string(static_cast<size_t>(kBarWidth - filled), '.') << "] " << _done << "/"
       << _total << " sites";
  char figures[64];
  std::snprintf(figures, sizeof figures, ", %.1f/s", rate);
  _err << figures;
  if (rate > 0 && _done < _total)
    _err << ", " << minutesAndSeconds(static_cast<double>(_total - _done) / rate) << " left";
  _err << "\033[K";
  _barShown = true;
}

void FleetProgress::finish() {
  std::lock_guard<std::mutex> lock(_mutex);
  // The bar stays, ended, with the run's rate.
  if (_barShown) _err << "\n";
  _barShown = false;
  _err.flush();
}
