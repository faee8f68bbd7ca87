#include "platform/spreadsheet/uno/uno_spreadsheet.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <charconv>
#include <chrono>
#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/bridge/XUnoUrlResolver.hpp>
#include <com/sun/star/connection/NoConnectException.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/frame/XComponentLoader.hpp>
#include <com/sun/star/frame/XController.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/lang/Locale.hpp>
#include <com/sun/star/lang/XMultiComponentFactory.hpp>
#include <com/sun/star/sheet/XSpreadsheetDocument.hpp>
#include <com/sun/star/sheet/XSpreadsheetView.hpp>
#include <com/sun/star/table/XCell.hpp>
#include <com/sun/star/table/XColumnRowRange.hpp>
#include <com/sun/star/table/XTableRows.hpp>
#include <com/sun/star/text/XText.hpp>
#include <com/sun/star/util/CloseVetoException.hpp>
#include <com/sun/star/util/XCloseable.hpp>
#include <com/sun/star/util/XModifiable.hpp>
#include <com/sun/star/util/XNumberFormats.hpp>
#include <com/sun/star/util/XNumberFormatsSupplier.hpp>
#include <com/sun/star/view/PrintJobEvent.hpp>
#include <com/sun/star/view/XPrintJobBroadcaster.hpp>
#include <com/sun/star/view/XPrintJobListener.hpp>
#include <com/sun/star/view/XPrintable.hpp>
#include <condition_variable>
#include <cppuhelper/bootstrap.hxx>
#include <cppuhelper/implbase1.hxx>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <mutex>
#include <optional>
#include <osl/file.hxx>
#include <rtl/bootstrap.hxx>
#include <thread>
#include <vector>

#include "core/run_time_error.h"
#include "platform/spreadsheet/office_spreadsheet.h"

extern char** environ;

namespace tallix::spreadsheet {
namespace {

using namespace css;
using uno::Reference;
using uno::UNO_QUERY_THROW;

constexpr auto kConnectDeadline = std::chrono::seconds(45);
constexpr auto kPrintedDeadline = std::chrono::seconds(30);
constexpr auto kOfficeEndDeadline = std::chrono::seconds(10);

rtl::OUString U(const std::string& text) {
  return rtl::OStringToOUString(rtl::OString(text.c_str(), static_cast<sal_Int32>(text.size())),
                                RTL_TEXTENCODING_UTF8);
}

beans::PropertyValue Property(const char* name, const uno::Any& value) {
  beans::PropertyValue p;
  p.Name = rtl::OUString::createFromAscii(name);
  p.Value = value;
  return p;
}

uno::Sequence<beans::PropertyValue> Properties(std::initializer_list<beans::PropertyValue> list) {
  return uno::Sequence<beans::PropertyValue>(list.begin(), static_cast<sal_Int32>(list.size()));
}

[[noreturn]] void Fail(const std::string& what) {
  throw RunTimeError(kAutomationError, "Automation error: " + what);
}

// The print job's last state, reported by the office on the bridge's thread.
class PrintWatch : public cppu::WeakImplHelper1<view::XPrintJobListener> {
 public:
  void SAL_CALL printJobEvent(const view::PrintJobEvent& event) override {
    std::lock_guard lock(mutex_);
    state_ = event.State;
    changed_.notify_all();
  }
  void SAL_CALL disposing(const lang::EventObject&) override {}

  // Waits for the job to end; true when it was spooled or completed.
  bool Spooled() {
    std::unique_lock lock(mutex_);
    changed_.wait_for(lock, kPrintedDeadline,
                      [this] { return state_ && *state_ != view::PrintableState_JOB_STARTED; });
    return state_ && (*state_ == view::PrintableState_JOB_SPOOLED ||
                      *state_ == view::PrintableState_JOB_COMPLETED);
  }
  std::string State() {
    std::lock_guard lock(mutex_);
    if (!state_) return "was never started (no printer?)";
    switch (*state_) {
      case view::PrintableState_JOB_STARTED:
        return "was started but never spooled";
      case view::PrintableState_JOB_ABORTED:
        return "was aborted";
      case view::PrintableState_JOB_FAILED:
        return "failed";
      case view::PrintableState_JOB_SPOOLING_FAILED:
        return "could not be spooled";
      default:
        return "ended unexpectedly";
    }
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::optional<view::PrintableState> state_;
};

// A cell holds doubles only. The single's shortest decimal form is what it
// stands for: 63.34, not 63.339996337890625.
double AsDouble(float v) {
  char text[32];
  const auto end = std::to_chars(text, text + sizeof text - 1, v).ptr;
  *end = '\0';
  return std::strtod(text, nullptr);
}

bool Exited(pid_t pid) {
  int status = 0;
  return waitpid(pid, &status, WNOHANG) == pid;
}

}  // namespace

UnoSpreadsheet::~UnoSpreadsheet() {
  try {
    Quit();
  } catch (...) {
  }
}

void UnoSpreadsheet::Start() {
  const std::string profile = work_ + "/profile";
  const std::string pipe = OfficePipeName(getpid());
  std::vector<std::string> args = {
      "soffice",
      "--headless",
      "--invisible",
      "--nologo",
      "--norestore",
      "--nodefault",
      "--nolockcheck",
      "--nocrashreport",
      "-env:UserInstallation=file://" + profile,
      "--accept=pipe,name=" + pipe + ";urp;StarOffice.ComponentContext"};
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  if (const int e = posix_spawnp(&office_, "soffice", nullptr, nullptr, argv.data(), environ)) {
    office_ = -1;
    throw RunTimeError(kCannotCreateObject,
                       "ActiveX component can't create object: LibreOffice (soffice) cannot be "
                       "started: " +
                           std::string(std::strerror(e)));
  }

  // The client reads the office's own type and service settings; without
  // them it fails right after connecting.
  rtl::Bootstrap::set("URE_BOOTSTRAP",
                      "vnd.sun.star.pathname:/usr/lib/libreoffice/program/fundamentalrc");
  const Reference<uno::XComponentContext> local = cppu::defaultBootstrap_InitialComponentContext();
  const Reference<bridge::XUnoUrlResolver> resolver(
      local->getServiceManager()->createInstanceWithContext("com.sun.star.bridge.UnoUrlResolver",
                                                            local),
      UNO_QUERY_THROW);
  const auto deadline = std::chrono::steady_clock::now() + kConnectDeadline;
  for (;;) {
    try {
      context_.set(
          resolver->resolve(U("uno:pipe,name=" + pipe + ";urp;StarOffice.ComponentContext")),
          UNO_QUERY_THROW);
      break;
    } catch (const connection::NoConnectException&) {
      if (Exited(office_)) {
        office_ = -1;
        throw RunTimeError(
            kCannotCreateObject,
            "ActiveX component can't create object: LibreOffice ended while starting");
      }
      if (std::chrono::steady_clock::now() > deadline) {
        throw RunTimeError(kCannotCreateObject,
                           "ActiveX component can't create object: LibreOffice did not answer");
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
  }
  desktop_.set(context_->getServiceManager()->createInstanceWithContext(
                   "com.sun.star.frame.Desktop", context_),
               UNO_QUERY_THROW);
}

void UnoSpreadsheet::Open(const std::string& path) {
  if (!desktop_.is()) Fail("no application instance");
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) {
    throw RunTimeError(err::kFileNotFound, "File not found: " + path);
  }
  rtl::OUString url;
  if (osl::FileBase::getFileURLFromSystemPath(U(path), url) != osl::FileBase::E_None) {
    throw RunTimeError(err::kFileNotFound, "File not found: " + path);
  }
  // Opened as a template: an untitled copy, so nothing can ever be saved over the file.
  const uno::Sequence<beans::PropertyValue> options =
      Properties({Property("Hidden", uno::Any(true)), Property("AsTemplate", uno::Any(true)),
                  Property("ReadOnly", uno::Any(true))});
  const Reference<frame::XComponentLoader> loader(desktop_, UNO_QUERY_THROW);
  document_ = loader->loadComponentFromURL(url, "_blank", 0, options);
  if (!Reference<sheet::XSpreadsheetDocument>(document_, uno::UNO_QUERY).is()) {
    document_.clear();
    Fail("cannot open " + path + " as a workbook");
  }
}

void UnoSpreadsheet::Worksheet(int index) {
  const Reference<sheet::XSpreadsheetDocument> workbook(document_, uno::UNO_QUERY);
  if (!workbook.is()) Fail("no workbook is open");
  const Reference<container::XIndexAccess> sheets(workbook->getSheets(), UNO_QUERY_THROW);
  if (index < 1 || index > sheets->getCount()) RaiseSubscript();
  sheet_.set(sheets->getByIndex(index - 1), UNO_QUERY_THROW);
  sheet_index_ = index;
}

Reference<sheet::XSpreadsheet> UnoSpreadsheet::Current() {
  if (!sheet_.is()) Fail("no worksheet taken");
  return sheet_;
}

void UnoSpreadsheet::SetValue(int row, int column, const CellValue& value) {
  const Reference<table::XCell> cell = Current()->getCellByPosition(column - 1, row - 1);
  if (const auto* i = std::get_if<int32_t>(&value)) {
    cell->setValue(*i);
  } else if (const auto* f = std::get_if<float>(&value)) {
    cell->setValue(AsDouble(*f));
  } else if (const auto* s = std::get_if<std::string>(&value)) {
    Reference<text::XText>(cell, UNO_QUERY_THROW)
        ->setString(U(*s));  // text as text, never a formula
  } else {
    cell->setFormula("");
  }
}

void UnoSpreadsheet::SetNumberFormat(int row, int column, const std::string& format) {
  const Reference<table::XCell> cell = Current()->getCellByPosition(column - 1, row - 1);
  const Reference<util::XNumberFormatsSupplier> supplier(document_, UNO_QUERY_THROW);
  const Reference<util::XNumberFormats> formats = supplier->getNumberFormats();
  const lang::Locale english("en", "US", "");
  sal_Int32 key = formats->queryKey(U(format), english, false);
  if (key == -1) key = formats->addNew(U(format), english);
  Reference<beans::XPropertySet>(cell, UNO_QUERY_THROW)
      ->setPropertyValue("NumberFormat", uno::Any(key));
}

void UnoSpreadsheet::InsertRow(int row) {
  Reference<table::XColumnRowRange>(Current(), UNO_QUERY_THROW)
      ->getRows()
      ->insertByIndex(row - 1, 1);
}

void UnoSpreadsheet::DeleteRow(int row) {
  Reference<table::XColumnRowRange>(Current(), UNO_QUERY_THROW)
      ->getRows()
      ->removeByIndex(row - 1, 1);
}

void UnoSpreadsheet::PrintOut() {
  const Reference<sheet::XSpreadsheet> sheet = Current();
  const Reference<frame::XModel> model(document_, UNO_QUERY_THROW);
  Reference<sheet::XSpreadsheetView>(model->getCurrentController(), UNO_QUERY_THROW)
      ->setActiveSheet(sheet);
  PrintWatch* const watch = new PrintWatch;
  const Reference<view::XPrintJobListener> listener(watch);
  const Reference<view::XPrintJobBroadcaster> broadcaster(document_, UNO_QUERY_THROW);
  broadcaster->addPrintJobListener(listener);
  const uno::Sequence<beans::PropertyValue> options =
      Properties({Property("CopyCount", uno::Any(sal_Int16(1))), Property("Wait", uno::Any(true)),
                  Property("Selection", uno::Any(sheet))});
  Reference<view::XPrintable>(document_, UNO_QUERY_THROW)->print(options);
  const bool spooled = watch->Spooled();
  broadcaster->removePrintJobListener(listener);
  if (!spooled) Fail("the worksheet was not printed: the print job " + watch->State());
  std::cout << "printed worksheet " << sheet_index_ << std::endl;  // progress, for whoever watches
}

void UnoSpreadsheet::MarkSaved() {
  Reference<util::XModifiable>(document_, UNO_QUERY_THROW)->setModified(false);
}

void UnoSpreadsheet::Close() {
  sheet_.clear();
  if (!document_.is()) return;
  const Reference<lang::XComponent> document = document_;
  document_.clear();
  const Reference<util::XCloseable> closeable(document, uno::UNO_QUERY);
  try {
    if (closeable.is()) {
      closeable->close(true);
      return;
    }
  } catch (const util::CloseVetoException&) {
  }
  document->dispose();
}

void UnoSpreadsheet::Quit() {
  sheet_.clear();
  try {
    Close();
    if (desktop_.is()) desktop_->terminate();
  } catch (const uno::Exception&) {
    // An office that is already gone cannot be told; it is ended below all the same.
  }
  desktop_.clear();
  context_.clear();
  if (office_ <= 0) return;
  const auto deadline = std::chrono::steady_clock::now() + kOfficeEndDeadline;
  bool gone = false;
  while (!(gone = Exited(office_)) && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  if (!gone) {
    kill(office_, SIGKILL);
    waitpid(office_, nullptr, 0);
  }
  office_ = -1;
  unlink(OfficePipePath(getpid()).c_str());
}

}  // namespace tallix::spreadsheet
