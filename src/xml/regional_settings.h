// The running user's regional settings that shape numbers and dates in
// the XML document; the system's own reading lives in the platform layer.
#pragma once

#include "platform/regional_settings.h"

namespace z917::xml {

using platform::ReadRegionalSettings;
using platform::RegionalSettings;

}  // namespace z917::xml
