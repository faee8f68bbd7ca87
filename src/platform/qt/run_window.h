#pragma once
// The windowed program: the window FmTallix on its Qt controls. Load, then
// the grid's column initialisation, then the window is shown; start-up runs
// when it is first activated. A failed start-up is reported with the error's
// number and description and ends the program with status 1.
#include <QString>
#include <functional>
#include <memory>

#include "app/fm_tallix.h"
#include "platform/files/files.h"
#include "platform/screens/screens.h"

namespace tallix::qt {

class BarView;
class GridView;
class QtDialog;
class QtForm;
class QtTimer;

// The window's parts around the two Qt controls the window is made with.
using PartsFactory = std::function<FmTallixParts(FormControl& form, CommonDialog& dialog)>;

class TallixWindow {
 public:
  // Needs a QApplication. Runs the load step and the column initialisation;
  // a failure there is a start-up failure too (see Failed).
  TallixWindow(const files::PathMap& paths, const PartsFactory& make, screens::Screens& screens);
  ~TallixWindow();

  // Shows the window (unless loading failed); start-up follows from the
  // event loop. `Finished` runs once start-up has succeeded or failed.
  void Show();

  // The report of a failed start-up, "" while there is none.
  const QString& Failure() const { return failure_; }
  bool StartedUp() const { return started_; }

  // Shows the report to the operator; by default a message box. The report
  // also goes to standard error.
  std::function<void(const QString& report)> ShowReport;
  std::function<void(bool ok)> Finished;

  FmTallix& Window() { return *fm_; }
  QtForm& Form() { return *form_; }
  GridView& Grid() { return *grid_; }

 private:
  void StartUp();
  void Fail(const QString& report);
  // Runs an event handler of the window; what escapes it is reported on
  // standard error, for an exception must not cross Qt's event loop.
  template <typename F>
  void Guarded(const char* what, F&& f);

  std::unique_ptr<QtForm> form_;
  std::unique_ptr<QtDialog> dialog_;
  std::unique_ptr<FmTallix> fm_;
  GridView* grid_ = nullptr;
  BarView* elapsed_ = nullptr;
  BarView* remain_ = nullptr;
  std::unique_ptr<QtTimer> timer_;
  QString failure_;
  bool started_ = false;
};

// The whole windowed run: QApplication, the window, the event loop. Returns
// the program's exit status.
int RunWindow(int& argc, char** argv, const files::PathMap& paths, const PartsFactory& make);

}  // namespace tallix::qt
