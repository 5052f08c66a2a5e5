#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "qelmask/fleet/FleetProgress.h"
#include "qelmask/fleet/SiteOutcome.h"

namespace {

SiteOutcome done(const std::string& name, int questions) {
  SiteOutcome outcome;
  outcome.name = name;
  outcome.questions = questions;
  return outcome;
}

}  // namespace

TEST(FleetProgress, LinesTellEachSiteAfterWhatItSaid) {
  std::ostringstream err;
  FleetProgress progress(err, 2, FleetProgress::Style::kLines, "written");
  progress.siteDone(done("a.msk", 3), "");
  SiteOutcome failed = done("b.msk", 0);
  failed.reason = "b.msk: no mask";
  progress.siteDone(failed, "qelmask: error: b.msk: no mask\n");
  progress.finish();
  EXPECT_EQ(err.str(),
            "[1/2] a.msk: written, 3 questions\n"
            "qelmask: error: b.msk: no mask\n"
            "[2/2] b.msk: failed\n");
}

TEST(FleetProgress, TheBarIsRedrawnInPlaceAndClearedForWhatASiteSays) {
  std::ostringstream err;
  FleetProgress progress(err, 2, FleetProgress::Style::kBar, "written");
  progress.siteDone(done("a.msk", 3), "");
  progress.siteDone(done("b.msk", 4), "qelmask: warning: b.msk: look\n");
  progress.finish();
  std::string text = err.str();
  // The first bar, half full; the warning on a line of its own, the bar
  // cleared before it; the last bar full, with the line ended.
  EXPECT_EQ(text.rfind("\r[###############...............] 1/2 sites", 0), 0u) << text;
  EXPECT_NE(text.find("\r\033[Kqelmask: warning: b.msk: look\n"), std::string::npos) << text;
  EXPECT_NE(text.find("\r[##############################] 2/2 sites"), std::string::npos) << text;
  EXPECT_EQ(text.back(), '\n');
}

TEST(FleetProgress, QuietSaysOnlyWhatTheSitesSaid) {
  std::ostringstream err;
  FleetProgress progress(err, 1, FleetProgress::Style::kNone, "written");
  progress.siteDone(done("a.msk", 3), "qelmask: error: a.msk: x\n");
  progress.finish();
  EXPECT_EQ(err.str(), "qelmask: error: a.msk: x\n");
}
