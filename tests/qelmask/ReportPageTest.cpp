// The report page: one file that loads nothing, whose data no text of a
// mask can break out of.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>
#include <string>

#include "qelmask/report/ReportPage.h"

namespace {

std::string scriptSafe(std::string_view json) {
  std::ostringstream out;
  ReportPage::writeScriptSafe(out, json);
  return out.str();
}

// The text between the data element's tags.
std::string dataOf(const std::string& page) {
  const std::string open = R"(<script id="report-data" type="application/json">)";
  size_t begin = page.find(open);
  if (begin == std::string::npos) return "(no data element)";
  begin += open.size();
  return page.substr(begin, page.find("</script>", begin) - begin);
}

}  // namespace

TEST(ReportPage, DataCannotCloseItsElement) {
  struct Case {
    std::string_view json;
    std::string_view expected;
  };
  const Case cases[] = {
      {R"({"a":1})", R"({"a":1})"},
      {R"(["</script><script>x()</script>"])",
       R"(["\u003c/script>\u003cscript>x()\u003c/script>"])"},
      {R"(["<!--","<"])", R"(["\u003c!--","\u003c"])"},
      {R"(["<<"])", R"(["\u003c\u003c"])"},
  };
  for (const Case& c : cases) {
    std::string safe = scriptSafe(c.json);
    EXPECT_EQ(safe, c.expected);
    EXPECT_EQ(nlohmann::json::parse(safe), nlohmann::json::parse(c.json));
  }
}

TEST(ReportPage, EmbedsTheDataOnce) {
  nlohmann::json data = {{"decisions", {{{"id", "E::</script><b>&amp;\"'"}}}}};
  std::ostringstream out;
  ASSERT_TRUE(ReportPage::write(out, data.dump()));
  std::string page = out.str();

  EXPECT_EQ(page.find(ReportPage::kDataMarker), std::string::npos);
  std::string embedded = dataOf(page);
  EXPECT_EQ(embedded.find('<'), std::string::npos);
  EXPECT_EQ(nlohmann::json::parse(embedded), data);
  EXPECT_EQ(page.find("</script><b>"), std::string::npos);
}

TEST(ReportPage, LoadsNothing) {
  std::string_view page = ReportPage::source();
  ASSERT_NE(page.find(ReportPage::kDataMarker), std::string::npos);
  EXPECT_EQ(page.rfind("<!DOCTYPE html>", 0), 0u);
  // Style and script are inline, and the page forbids every load.
  for (std::string_view reference :
       {"<link", " src=", "href=", "@import", "url(", "@font-face", "fetch(", "XMLHttpRequest"}) {
    EXPECT_EQ(page.find(reference), std::string_view::npos) << reference;
  }
  EXPECT_NE(page.find("default-src 'none'"), std::string_view::npos);
  // Every text from the data reaches the page as text.
  EXPECT_EQ(page.find("innerHTML"), std::string_view::npos);
  EXPECT_EQ(page.find("@PAGE_"), std::string_view::npos);
}
