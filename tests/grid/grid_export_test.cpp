#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/run_time_error.h"
#include "platform/grid/grid.h"
#include "support/temp_folder.h"

namespace tallix {
namespace {

namespace fs = std::filesystem;

class GridExport : public ::testing::Test {
 protected:
  std::string Path(const char* name) const { return (dir_ / name).string(); }
  static void Write(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
  }
  static std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
  }
  tallix::testing::TempFolder temp_{"grid_export"};
  const fs::path dir_ = temp_.Path();
};

TEST_F(GridExport, FillsPlaceholdersEscapingEveryValue) {
  Write(Path("t.htm"),
        "<h1>{{caption}}</h1>[{{head1}}|{{head5}}|{{head9}}] n={{rowcount}}\n"
        "{{#rows}}<tr class={{parity}}>{{row}}:{{cell1}}/{{cell3}}/{{cell4}}"
        "{{#cell6}} R:{{cell6}}/{{cell8}}/{{cell9}}{{/cell6}}{{^cell6}} none{{/cell6}}</tr>\n"
        "{{/rows}}{{nosuch}} {{#cell1}}outside a row{{/cell1}}");
  Grid g;
  g.AddItem("1\t4\t<script>alert(1)</script>\t63.89\t\t1\t2\tA & B \"Jr\"\t0");
  g.AddItem("2\t1\tO'Neil\t50");
  g.ExportToHtml(1, 7, Path("page.htm"), Path("t.htm"), "Rankings:  Club <b>; Round 3");
  EXPECT_EQ(Read(Path("page.htm")),
            "<h1>Rankings:  Club &lt;b&gt;; Round 3</h1>[Posn||%] n=2\n"
            "<tr class=odd>1:1/&lt;script&gt;alert(1)&lt;/script&gt;/63.89 "
            "R:1/A &amp; B &quot;Jr&quot;/.00</tr>\n"
            "<tr class=even>2:2/O&#39;Neil/50.00 none</tr>\n"
            "{{nosuch}} {{#cell1}}outside a row{{/cell1}}");

  // Which lists the halves hold: two rankings, or one running on.
  Write(Path("f.htm"), "{{#twofields}}NS|EW{{/twofields}}{{^twofields}}one{{/twofields}}");
  g.ExportToHtml(1, 7, Path("page.htm"), Path("f.htm"), {"c", true});
  EXPECT_EQ(Read(Path("page.htm")), "NS|EW");
  g.ExportToHtml(1, 7, Path("page.htm"), Path("f.htm"), {"c", false});
  EXPECT_EQ(Read(Path("page.htm")), "one");

  // Without the format and heading flags the stored texts go out as they are.
  g.ExportToHtml(1, 4, Path("page.htm"), Path("t.htm"), "c");
  EXPECT_NE(Read(Path("page.htm")).find("[||] n=2"), std::string::npos);
  EXPECT_NE(Read(Path("page.htm")).find("2:2/O&#39;Neil/50 none"), std::string::npos);
}

TEST_F(GridExport, ReplacesThePageWholeAndLeavesNoTemporaryFile) {
  Write(Path("t.htm"), "{{#rows}}{{cell3}};{{/rows}}");
  Write(Path("page.htm"), "the previous page, much longer than the new one");
  Grid g;
  g.AddItem("1\t1\tNew");
  g.ExportToHtml(1, 7, Path("page.htm"), Path("t.htm"), "");
  EXPECT_EQ(Read(Path("page.htm")), "New;");
  int files = 0;
  for (const auto& e : fs::directory_iterator(dir_)) ++files, (void)e;
  EXPECT_EQ(files, 2);  // the template and the page
  struct stat st {};
  ASSERT_EQ(::stat(Path("page.htm").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0644u);  // the page is public
}

TEST_F(GridExport, FailuresRaiseRunTimeErrorsAndKeepTheOldPage) {
  Grid g;
  g.AddItem("1\t1\tA");
  Write(Path("page.htm"), "old");
  try {
    g.ExportToHtml(1, 7, Path("page.htm"), Path("missing.htm"), "");
    FAIL() << "no error for a missing template";
  } catch (const RunTimeError& e) {
    EXPECT_EQ(e.Number, 53);
    EXPECT_NE(e.Description.find("missing.htm"), std::string::npos);
  }
  EXPECT_EQ(Read(Path("page.htm")), "old");

  Write(Path("t.htm"), "x");
  const std::string unreachable = Path("no/such/folder/page.htm");
  try {
    g.ExportToHtml(1, 7, unreachable, Path("t.htm"), "");
    FAIL() << "no error for an unwritable page";
  } catch (const RunTimeError& e) {
    EXPECT_EQ(e.Number, 75);
    EXPECT_NE(e.Description.find(unreachable), std::string::npos);
  }

  // Without the replace flag an existing page stays; other export types are refused.
  EXPECT_THROW(g.ExportToHtml(1, 3, Path("page.htm"), Path("t.htm"), ""), RunTimeError);
  EXPECT_THROW(g.ExportToHtml(2, 7, Path("page.htm"), Path("t.htm"), ""), RunTimeError);
  EXPECT_EQ(Read(Path("page.htm")), "old");
}

}  // namespace
}  // namespace tallix
