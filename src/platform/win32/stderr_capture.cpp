// On Windows no library of ours prints diagnostics (the build has no
// libxlsxwriter), so the capture leaves the stream as it is, as the
// interface allows where no capture is made.
#include "platform/stderr_capture.h"

namespace z917::platform {

struct StderrCapture::Impl {};

StderrCapture::StderrCapture() = default;

StderrCapture::~StderrCapture() = default;

std::string StderrCapture::Text() { return {}; }

}  // namespace z917::platform
