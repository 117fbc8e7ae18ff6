// The interface ids of the SDK's view interfaces. The SDK folder defines the ids of its other
// interfaces in its own sources, but not these.

#include "pluginterfaces/gui/iplugview.h"
#include "pluginterfaces/gui/iplugviewcontentscalesupport.h"

namespace Steinberg {

DEF_CLASS_IID(IPlugView)
DEF_CLASS_IID(IPlugFrame)
DEF_CLASS_IID(IPlugViewContentScaleSupport)

} // namespace Steinberg
