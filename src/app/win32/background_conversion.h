// A conversion run off the window's thread, so that the window keeps
// repainting and answering while it lasts.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "driver/conversion_progress.h"

namespace z917::app::win32 {

// Runs `conversion` on a worker thread of its own and returns when it has
// ended; meanwhile the calling (window) thread's message loop keeps
// turning, so windows repaint and the messages the conversion shows
// through a WindowThreadMessages reach the user, each in turn. After the
// shared delay a ConversionProgressWindow over `owner` shows the progress
// the conversion reports to its listener and offers "Отмена", which
// requests platform::Cancellation. A request to end the program that
// comes meanwhile is passed on once the conversion has ended. What the
// conversion throws is thrown here. The journals' and the output's names
// are UTF-8, as the progress window takes them.
void RunConversionInBackground(
    HWND owner, const std::vector<std::string>& journalNames, const std::string& outputName,
    const std::function<void(const driver::ProgressListener&)>& conversion);

}  // namespace z917::app::win32
