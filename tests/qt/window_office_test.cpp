// End on the real window prints the appendix through a real LibreOffice to
// a PDF printer, and the display refreshes on afterwards.
#include <gtest/gtest.h>

#include <QTest>

#include "platform/qt/grid_view.h"
#include "platform/spreadsheet/office_spreadsheet.h"
#include "support/pdf_printer.h"
#include "window_fixture.h"

namespace tallix::qt {
namespace {

using tallix::testing::PdfPrinter;
using testing_app::ProcessUntil;
namespace fs = std::filesystem;

class WindowOfficeTest : public testing_window::SessionWindowTest {
 protected:
  static void SetUpTestSuite() { printer_failure_ = printer_.Start(); }
  static void TearDownTestSuite() { printer_.Stop(); }

  static inline PdfPrinter printer_;
  static inline std::string printer_failure_;
};

TEST_F(WindowOfficeTest, EndPrintsBothSheetsAndTheDisplayRefreshesOn) {
  if (getuid() != 0) GTEST_SKIP() << printer_failure_;
  ASSERT_EQ(printer_failure_, "");
  spreadsheet::OfficeSpreadsheet office(TALLIX_BINARY_DIR "/src/app/tallix_office");
  appendix = &office;
  fs::create_directories(drive_c / "Bridge");
  fs::copy_file(TALLIX_BINARY_DIR "/share/GridAppendix.xls",
                drive_c / "Bridge" / "GridAppendix.xls");
  const std::unique_ptr<TallixWindow> window = StartWindow();
  ASSERT_TRUE(window && window->StartedUp());

  const auto before = PdfPrinter::Files();
  QTest::keyClick(&window->Grid(), Qt::Key_End);
  const auto pdfs = PdfPrinter::NewFiles(before);
  ASSERT_EQ(pdfs.size(), 2u);
  const std::string ranking =
      tallix::testing::RunCommand("pdftotext -layout '" + pdfs[0].string() + "' -").second;
  for (const auto& pdf : pdfs) fs::remove(pdf);
  const std::string leader = window->Grid().item(0, 2)->text().toStdString();
  EXPECT_NE(ranking.find(leader), std::string::npos) << leader << "\n" << ranking;

  // The next tick comes and its pass runs, as before the key.
  EXPECT_TRUE(window->Window().Timer1.Enabled());
  const std::size_t passes = transfer.commands.size();
  window->Window().Timer1.SetInterval(1);
  EXPECT_TRUE(ProcessUntil([&] { return transfer.commands.size() > passes; }));
  EXPECT_EQ(window->Grid().rowCount(), 7);
}

}  // namespace
}  // namespace tallix::qt
