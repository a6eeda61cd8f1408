// The worker thread, the waiting event loop and the progress dialog's
// timing.
#include "app/qt/background_conversion.h"

#include <chrono>

#include <QApplication>
#include <QEventLoop>
#include <QTimer>

#include "app/conversion_worker.h"
#include "app/qt/message_boxes.h"
#include "app/qt/progress_dialog.h"

namespace z917::app::qt {

namespace {

using Clock = std::chrono::steady_clock;

// Often enough for a bar that moves smoothly, rare enough to cost nothing.
constexpr std::chrono::milliseconds kPollInterval{50};

// Keeps the dialog out of the way of other modal windows: a message of the
// conversion means it is ending, so the dialog stays hidden after one;
// another window (a question) only hides it while it shows.
class DialogTiming {
 public:
  explicit DialogTiming(ConversionProgressDialog& dialog) : dialog_(dialog) {}

  void Tick(const driver::ConversionProgress& progress) {
    const QWidget* modal = QApplication::activeModalWidget();
    if (modal != nullptr && modal != &dialog_) {
      ended_ = ended_ || IsMessageBox(modal);
      dialog_.hide();
      return;
    }
    if (ended_) return;
    dialog_.SetProgress(progress);
    if (dialog_.isHidden() && Clock::now() - started_ >= kProgressDialogDelay) dialog_.show();
  }

 private:
  ConversionProgressDialog& dialog_;
  const Clock::time_point started_ = Clock::now();
  bool ended_ = false;
};

}  // namespace

void RunConversionInBackground(
    QWidget* owner, const std::vector<std::string>& journalNames, const std::string& outputName,
    const std::function<void(const driver::ProgressListener&)>& conversion) {
  QEventLoop waiting;
  ConversionWorker worker(conversion, [&waiting] {
    QMetaObject::invokeMethod(&waiting, &QEventLoop::quit, Qt::QueuedConnection);
  });

  ConversionProgressDialog dialog(journalNames, outputName, owner);
  DialogTiming timing(dialog);
  QTimer poll;
  poll.setInterval(kPollInterval);
  QObject::connect(&poll, &QTimer::timeout, [&] { timing.Tick(worker.Progress()); });
  poll.start();
  while (!worker.Done()) {
    // exec ends early only when the application quits; the worker's
    // messages must still reach the user before it can be joined.
    if (waiting.exec() != 0) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
  }
  poll.stop();
  dialog.Finish();
  worker.Finish();
}

}  // namespace z917::app::qt
