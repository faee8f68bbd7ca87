#include "platform/qt/run_window.h"

#include <QApplication>
#include <QMessageBox>
#include <exception>
#include <iostream>

#include "app/start_up_report.h"
#include "core/run_time_error.h"
#include "platform/qt/bar_view.h"
#include "platform/qt/grid_view.h"
#include "platform/qt/qt_dialog.h"
#include "platform/qt/qt_form.h"
#include "platform/qt/qt_timer.h"
#include "platform/screens/qt_screens.h"

namespace tallix::qt {
namespace {

// Runs a start-up step; the report of its failure, "" when it succeeded.
template <typename F>
QString Attempt(F&& f) {
  try {
    f();
    return QString();
  } catch (const std::exception& e) {
    return QString::fromStdString(StartUpReport(e));
  }
}

}  // namespace

TallixWindow::TallixWindow(const files::PathMap& paths, const PartsFactory& make,
                           screens::Screens& screens)
    : form_(std::make_unique<QtForm>()), dialog_(std::make_unique<QtDialog>(paths, form_.get())) {
  form_->setAttribute(Qt::WA_QuitOnClose);
  fm_ = std::make_unique<FmTallix>(make(*form_, *dialog_));
  ShowReport = [this](const QString& report) {
    QMessageBox::critical(form_.get(), "Tallix", report);
  };
  QString failed = Attempt([&] { fm_->Form_Load(screens); });

  grid_ = new GridView(fm_->GridRank, *form_);
  elapsed_ = new BarView(fm_->PicElapsed, *form_);
  remain_ = new BarView(fm_->PicRemain, *form_);  // in front of the elapsed bar
  timer_ = std::make_unique<QtTimer>(
      fm_->Timer1, [this] { Guarded("Timer1_Timer", [this] { fm_->Timer1_Timer(); }); });
  grid_->KeyDown = [this](int16_t code, int16_t shift) {
    Guarded("GridRank_KeyDown", [&] { fm_->GridRank_KeyDown(code, shift); });
  };
  form_->Activated = [this] { StartUp(); };
  // The upload tells its outcome from its own thread: the line is written
  // on the window's thread, as every other line of the log.
  fm_->NoteArrived = [form = form_.get(), fm = fm_.get()] {
    QMetaObject::invokeMethod(
        form, [fm] { fm->DeliverNotes(); }, Qt::QueuedConnection);
  };

  if (failed.isEmpty()) failed = Attempt([&] { fm_->GridRank_InitColProps(); });
  if (!failed.isEmpty()) failure_ = failed;
}

TallixWindow::~TallixWindow() {
  // The views hold the models' callbacks: drop them before the models go.
  fm_->GridRank.Changed = nullptr;
  fm_->PicElapsed.Changed = nullptr;
  fm_->PicRemain.Changed = nullptr;
  fm_->Timer1.Changed = nullptr;
  timer_.reset();
  delete grid_;
  delete elapsed_;
  delete remain_;
}

void TallixWindow::Show() {
  if (!failure_.isEmpty()) {
    // Nothing of a half-made window is shown.
    QTimer::singleShot(0, form_.get(), [this] { Fail(failure_); });
    return;
  }
  form_->show();
  grid_->setFocus();
}

void TallixWindow::StartUp() {
  const QString failed = Attempt([&] { fm_->Form_Activate(); });
  if (!failed.isEmpty()) {
    Fail(failed);
    return;
  }
  started_ = true;
  if (Finished) Finished(true);
}

void TallixWindow::Fail(const QString& report) {
  failure_ = report;
  // The timer may have been armed before the failure: nothing runs after it.
  fm_->Timer1.Changed = nullptr;
  timer_.reset();
  std::cerr << report.toStdString() << std::endl;
  if (ShowReport) ShowReport(report);
  if (Finished) Finished(false);
}

template <typename F>
void TallixWindow::Guarded(const char* what, F&& f) {
  try {
    f();
  } catch (const RunTimeError& e) {
    std::cerr << "Tallix: " << what << ": error " << e.Number << ": " << e.Description << std::endl;
  } catch (const std::exception& e) {
    std::cerr << "Tallix: " << what << ": " << e.what() << std::endl;
  }
}

int RunWindow(int& argc, char** argv, const files::PathMap& paths, const PartsFactory& make) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("Tallix");
  screens::QtScreens screens;
  TallixWindow window(paths, make, screens);
  window.Finished = [](bool ok) {
    if (!ok) QApplication::exit(1);
  };
  window.Show();
  return app.exec();
}

}  // namespace tallix::qt
