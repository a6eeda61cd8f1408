// A conversion run off the window's thread, so that the window keeps
// repainting and answering while it lasts.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include <QString>

#include "app/progress_display.h"
#include "driver/conversion_progress.h"

class QWidget;

namespace z917::app::qt {

// Runs `conversion` on a worker thread of its own and returns when it has
// ended; meanwhile the calling (window) thread's event loop keeps turning,
// so windows repaint and the messages the conversion shows through a
// GuiThreadMessages reach the user. After kProgressDialogDelay a modal
// ConversionProgressDialog over `owner` shows the progress the conversion
// reports to its listener and offers "Отмена", which requests
// platform::Cancellation. What the conversion throws is thrown here.
// The journals' and the output's names are UTF-8, as the dialog takes them.
void RunConversionInBackground(
    QWidget* owner, const std::vector<std::string>& journalNames, const std::string& outputName,
    const std::function<void(const driver::ProgressListener&)>& conversion);

}  // namespace z917::app::qt
