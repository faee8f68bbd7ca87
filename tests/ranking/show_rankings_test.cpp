#include "ranking/show_rankings.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <vector>

#include "core/run_time_error.h"
#include "support/temp_folder.h"

namespace tallix {
namespace {

namespace fs = std::filesystem;

std::string Read(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

class ShowRankingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    templ_ = (dir_ / "SPOOLTEMPL.HTM").string();
    page_ = (dir_ / "RankingTable.htm").string();
    std::ofstream(templ_) << "{{#rows}}{{cell1}},{{cell2}},{{cell3}},{{cell4}}|"
                             "{{cell6}},{{cell7}},{{cell8}},{{cell9}}\n{{/rows}}";
  }

  void Show() { ShowRankings(s_, grid_, inet_, "Rankings:  Club; Round 2", templ_, page_); }

  // The pairs of one column of the grid, top to bottom; 0 for an empty cell.
  std::vector<int> Column(int k) const {
    std::vector<int> v;
    for (int r = 0; r < grid_.Rows(); ++r) {
      const std::string c = grid_.Cell(r, k);
      v.push_back(c.empty() ? 0 : std::stoi(c));
    }
    return v;
  }
  std::vector<int> Order(const WorkList<int16_t>& list) const {
    return {list.Items().begin(), list.Items().end()};
  }

  SessionState s_;
  Grid grid_;
  MemoryTransfer inet_;
  tallix::testing::TempFolder temp_{"show_rankings"};
  const fs::path dir_ = temp_.Path();
  std::string templ_, page_;
};

TEST_F(ShowRankingsTest, TwoFieldsRankEachDirectionFromPositionOne) {
  s_.NumTables = 10;
  s_.TwoFields = true;
  const float ns[] = {0, 40, 55.5f, 61.25f, 48, 50, 61.25f, 39.9f, 70, 50, 45};
  // East-west pairs sit at tables in a shuffled order; 9 (table 2) and 4
  // (table 5) tie, as do 6 (table 1) and 2 (table 8).
  const int ew_at_table[] = {0, 6, 9, 1, 10, 4, 3, 7, 2, 8, 5};
  const float ew[] = {0, 30, 52, 47, 58, 66, 52, 41, 44, 58, 35};
  for (int p = 1; p <= 10; ++p) {
    s_.NSPercent(p) = ns[p];
    s_.NSPairName(p) = "N" + std::to_string(p);
    s_.EWPercent(p) = ew[p];
    s_.EWPairName(p) = "E" + std::to_string(p);
    s_.TableEWPair(p) = static_cast<uint8_t>(ew_at_table[p]);
  }
  grid_.AddItem("stale row");
  Show();

  ASSERT_EQ(grid_.Rows(), 10);
  EXPECT_EQ(Column(0), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
  EXPECT_EQ(Column(5), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
  // Equal percentages: the lower pair number first on the left (3 before 6,
  // 5 before 9), the lower table first on the right (9 before 4, 6 before 2).
  EXPECT_EQ(Column(1), (std::vector<int>{8, 3, 6, 2, 5, 9, 4, 10, 1, 7}));
  EXPECT_EQ(Column(6), (std::vector<int>{5, 9, 4, 6, 2, 3, 8, 7, 10, 1}));
  EXPECT_EQ(Order(s_.NSRankOrder), (std::vector<int>{0, 8, 3, 6, 2, 5, 9, 4, 10, 1, 7}));
  EXPECT_EQ(Order(s_.EWRankOrder), (std::vector<int>{0, 5, 9, 4, 6, 2, 3, 8, 7, 10, 1}));
  EXPECT_EQ(grid_.Cell(1, 2), "N3");
  EXPECT_EQ(grid_.Cell(1, 3), "61.25");
  EXPECT_EQ(grid_.Cell(1, 4), "");
  EXPECT_EQ(grid_.Cell(1, 7), "E9");
  EXPECT_EQ(grid_.Cell(0, 8), "66");
  EXPECT_EQ(grid_.DisplayText(0, 8), "66.00");
  EXPECT_TRUE(grid_.Redraw());
  EXPECT_EQ(inet_.commands, (std::vector<std::string>{kUploadCommand}));
  EXPECT_EQ(Read(page_).substr(0, 26), "1,8,N8,70.00|1,5,E5,66.00\n");
}

TEST_F(ShowRankingsTest, OneFieldRunsOnFromTheLeftHalfIntoTheRight) {
  s_.NumTables = 10;
  s_.TwoFields = false;
  for (int p = 1; p <= 20; ++p) {
    s_.NSPercent(p) = static_cast<float>(30 + 2 * p);  // 20 leads, 1 trails
    s_.NSPairName(p) = "P" + std::to_string(p);
  }
  s_.NSPercent(4) = 64;  // ties with 17: 4 comes first
  s_.NSPercent(1) = 0;   // played nothing yet
  Show();

  ASSERT_EQ(grid_.Rows(), 10);
  EXPECT_EQ(Column(0), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
  EXPECT_EQ(Column(5), (std::vector<int>{11, 12, 13, 14, 15, 16, 17, 18, 19, 20}));
  EXPECT_EQ(Column(1), (std::vector<int>{20, 19, 18, 4, 17, 16, 15, 14, 13, 12}));
  EXPECT_EQ(Column(6), (std::vector<int>{11, 10, 9, 8, 7, 6, 5, 3, 2, 1}));
  EXPECT_EQ(s_.NSRankOrder.Size(), 21);

  // With 19 pairs the number nobody bears is ranked too: empty name, 0 %,
  // below every pair with more, ahead of a higher number on 0 %.
  s_.NSPercent(13) = 0;
  s_.NSPairName(13) = "";
  grid_.RemoveAll();
  Show();
  EXPECT_EQ(Column(6), (std::vector<int>{10, 9, 8, 7, 6, 5, 3, 2, 1, 13}));
  EXPECT_EQ(grid_.Cell(9, 5), "20");
  EXPECT_EQ(grid_.Cell(9, 7), "");
  EXPECT_EQ(grid_.Cell(9, 8), "0");
  EXPECT_EQ(grid_.DisplayText(9, 8), ".00");
  EXPECT_EQ(Column(1).back(), 11);
}

TEST_F(ShowRankingsTest, EmptyEastWestSeatLeavesTheLastRowWithoutARightPart) {
  s_.NumTables = 4;
  s_.TwoFields = true;
  const int ew_at_table[] = {0, 2, 0, 1, 3};
  for (int t = 1; t <= 4; ++t) {
    s_.NSPercent(t) = static_cast<float>(40 + t);
    s_.TableEWPair(t) = static_cast<uint8_t>(ew_at_table[t]);
    s_.EWPercent(t) = static_cast<float>(60 - t);
  }
  Show();
  ASSERT_EQ(grid_.Rows(), 4);
  EXPECT_EQ(Column(6), (std::vector<int>{1, 2, 3, 0}));
  EXPECT_EQ(Order(s_.EWRankOrder), (std::vector<int>{0, 1, 2, 3, 0}));
  EXPECT_EQ(grid_.Cell(3, 1), "1");
  for (int k = 4; k < 9; ++k) EXPECT_EQ(grid_.Cell(3, k), "") << k;
  EXPECT_NE(Read(page_).find("4,1,,41.00|,,,\n"), std::string::npos);
}

TEST_F(ShowRankingsTest, EveryCallRewritesThePageAndStartsAnUpload) {
  s_.NumTables = 2;
  s_.TwoFields = false;
  Show();
  const std::string first = Read(page_);
  std::ofstream(page_) << "stale";
  Show();  // nothing has changed since the last call
  EXPECT_EQ(Read(page_), first);
  EXPECT_EQ(inet_.commands, (std::vector<std::string>(2, kUploadCommand)));
  EXPECT_EQ(grid_.Rows(), 2);
}

TEST_F(ShowRankingsTest, AFailureKeepsTheRowsAddedSoFarAndSkipsTheUpload) {
  // An east-west pair number past 60, alone in its list, is first looked up
  // when its row is built.
  s_.NumTables = 3;
  s_.TwoFields = true;
  s_.TableEWPair(3) = 70;
  grid_.AddItem("stale row");
  int changes = 0;
  grid_.Changed = [&] { ++changes; };
  try {
    Show();
    FAIL() << "no error";
  } catch (const RunTimeError& e) {
    EXPECT_EQ(e.Number, 9);
  }
  EXPECT_EQ(grid_.Rows(), 0);
  EXPECT_TRUE(grid_.Redraw());  // the screen is not left frozen
  EXPECT_EQ(changes, 1);
  EXPECT_FALSE(fs::exists(page_));
  EXPECT_TRUE(inet_.commands.empty());

  // A missing template fails after every row is in.
  s_.TableEWPair(3) = 3;
  fs::remove(templ_);
  try {
    Show();
    FAIL() << "no error";
  } catch (const RunTimeError& e) {
    EXPECT_EQ(e.Number, 53);
  }
  EXPECT_EQ(grid_.Rows(), 3);
  EXPECT_TRUE(inet_.commands.empty());
}

TEST_F(ShowRankingsTest, TabsInANameStayInsideItsCell) {
  s_.NumTables = 1;
  s_.TwoFields = true;
  s_.TableEWPair(1) = 1;
  s_.NSPairName(1) = "Ann\tBo";
  s_.EWPercent(1) = 55;
  Show();
  EXPECT_EQ(grid_.Cell(0, 2), "Ann Bo");
  EXPECT_EQ(grid_.Cell(0, 8), "55");
}

// The default page, rendered by a real browser, for a two-field and a
// one-field session, on a wide screen and on a phone.
TEST_F(ShowRankingsTest, DefaultPageRendersInChromium) {
  if (!fs::exists("/usr/bin/chromium")) GTEST_SKIP() << "no /usr/bin/chromium";
  fs::copy_file(fs::path(TALLIX_SOURCE_DIR) / "share" / "SPOOLTEMPL.HTM", templ_,
                fs::copy_options::overwrite_existing);
  s_.NumTables = 8;
  const char* ns_names[] = {"",
                            "Margaret Hollis & Peter Quint",
                            "<script>alert('x')</script> & Co",
                            "Aiko Tanaka & Lars Øberg",
                            "R. Delacroix & S. Whitfield-Brown",
                            "Joan Mbeki & Tom Abara",
                            "Ivy Chen & Oscar Lindqvist",
                            "Beatrix Oduya & Karl Benn",
                            "Nora Fitz & Hugh Lam"};
  const char* ew_names[] = {"",
                            "Greta Sørensen & Paul Ames",
                            "Dev Patel & Rosa Marín",
                            "Edith Crane & Walter Boyd",
                            "Lena Novak & Sam O'Connor",
                            "Yusuf Kaya & Irene Holt",
                            "Clara Voss & Ben Ortega",
                            "Hana Kim & Alan Price",
                            "Miriam Stone & Felix Grau"};
  const float ns[] = {0, 58.33f, 63.89f, 47.5f, 52.08f, 100, 41.67f, 50, 0};
  const float ew[] = {0, 55.56f, 44.44f, 61.11f, 38.9f, 50, 49.31f, 62.5f, 0};
  for (int p = 1; p <= 8; ++p) {
    s_.NSPairName(p) = ns_names[p];
    s_.EWPairName(p) = ew_names[p];
    s_.NSPercent(p) = ns[p];
    s_.EWPercent(p) = ew[p];
    s_.TableEWPair(p) = static_cast<uint8_t>(p == 8 ? 0 : p);
    // In one field the east-west pairs are numbered on from 9.
    s_.NSPairName(p + 8) = ew_names[p];
    s_.NSPercent(p + 8) = ew[p];
  }

  const fs::path profile = dir_ / "profile";
  fs::create_directories(profile);
  const std::string chromium =
      "timeout 90 /usr/bin/chromium --headless --no-sandbox --disable-gpu --disable-quic "
      "--no-first-run --disable-background-networking --disable-component-update "
      "--disable-sync --user-data-dir=" +
      profile.string() + " ";
  const std::string url = "file://" + page_;
  struct Case {
    bool two_fields;
    std::vector<std::string> titles;
    std::size_t rows;
  };
  const Case cases[] = {
      {true, {"<caption>North-South</caption>", "<caption>East-West</caption>"}, 8 + 7},
      {false, {"<caption>Ranking</caption>", "<caption class=\"continued\">Ranking</caption>"}, 16},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.two_fields ? "two fields" : "one field");
    s_.TwoFields = c.two_fields;
    ShowRankings(s_, grid_, inet_, "Rankings:  Thursday Pairs <Club>; Round 3", templ_, page_);
    const fs::path dom = dir_ / "dom.html";
    ASSERT_EQ(std::system(
                  (chromium + "--dump-dom " + url + " >" + dom.string() + " 2>/dev/null").c_str()),
              0);
    const std::string text = Read(dom);
    EXPECT_NE(text.find("<title>Rankings:  Thursday Pairs &lt;Club&gt;; Round 3</title>"),
              std::string::npos);
    EXPECT_NE(text.find("&lt;script&gt;alert('x')&lt;/script&gt; &amp; Co"), std::string::npos);
    EXPECT_EQ(text.find("<script"), std::string::npos);  // the name stayed text
    EXPECT_NE(text.find("Aiko Tanaka &amp; Lars Øberg"), std::string::npos);
    EXPECT_NE(text.find(">100.00<"), std::string::npos);
    EXPECT_NE(text.find(">.00<"), std::string::npos);
    // Each half under its own title, in the page's order.
    const std::size_t left = text.find(c.titles[0]), right = text.find(c.titles[1]);
    EXPECT_NE(left, std::string::npos) << text;
    EXPECT_NE(right, std::string::npos) << text;
    EXPECT_LT(left, right);
    EXPECT_EQ(text.find("{{"), std::string::npos);
    std::size_t rows = 0;
    for (std::size_t at = 0; (at = text.find("<tr><td", at)) != std::string::npos; ++at) ++rows;
    EXPECT_EQ(rows, c.rows);  // in two fields table 8 has no east-west pair

    for (const char* size : {"1280,900", "375,800"}) {
      const fs::path shot = fs::path(TALLIX_BINARY_DIR) /
                            (std::string("ranking_page_") + (c.two_fields ? "two_" : "one_") +
                             std::string(size).substr(0, std::string(size).find(',')) + ".png");
      fs::remove(shot);
      ASSERT_EQ(std::system((chromium + "--screenshot=" + shot.string() + " --window-size=" + size +
                             " " + url + " >/dev/null 2>&1")
                                .c_str()),
                0);
      EXPECT_GT(fs::file_size(shot), 10000u) << size;
    }
  }
}

}  // namespace
}  // namespace tallix
