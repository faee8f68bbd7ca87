#pragma once
// The spreadsheet operations on a LibreOffice of our own, reached through
// UNO: a headless, invisible office with a private profile and a pipe no one
// else uses, the workbook opened as a template and every sheet printed to the
// default printer and waited for.
#include <sys/types.h>

#include <com/sun/star/frame/XDesktop.hpp>
#include <com/sun/star/lang/XComponent.hpp>
#include <com/sun/star/sheet/XSpreadsheet.hpp>
#include <com/sun/star/uno/XComponentContext.hpp>
#include <string>

#include "platform/spreadsheet/spreadsheet.h"

namespace tallix::spreadsheet {

class UnoSpreadsheet : public Spreadsheet {
 public:
  // `work` is a private folder: the office's profile goes there.
  explicit UnoSpreadsheet(std::string work) : work_(std::move(work)) {}
  ~UnoSpreadsheet() override;

  void Start() override;
  void Open(const std::string& path) override;
  void Worksheet(int index) override;
  void SetValue(int row, int column, const CellValue& value) override;
  void SetNumberFormat(int row, int column, const std::string& format) override;
  void InsertRow(int row) override;
  void DeleteRow(int row) override;
  void PrintOut() override;
  void MarkSaved() override;
  void Close() override;
  void Quit() override;

 private:
  css::uno::Reference<css::sheet::XSpreadsheet> Current();

  std::string work_;
  pid_t office_ = -1;
  css::uno::Reference<css::uno::XComponentContext> context_;
  css::uno::Reference<css::frame::XDesktop> desktop_;
  css::uno::Reference<css::lang::XComponent> document_;
  css::uno::Reference<css::sheet::XSpreadsheet> sheet_;
  int sheet_index_ = 0;
};

}  // namespace tallix::spreadsheet
