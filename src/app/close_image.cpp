// Back to the no-image state.
#include "mdl_karwen.h"
#include "window_hooks.h"

namespace karwen {

// Unloading an image view calls close_image again from the view's unload
// handler, so this runs nested. Each step is safe to repeat: the innermost
// call destroys the images, the outer ones then pass -1 to RixDestroy,
// which ignores it.
void close_image()
{
    windowHooks().unloadSrcView();
    windowHooks().unloadDstView();
    (void)RixDestroy(hSrc);
    hSrc = -1;
    SrcDamage.clear();
    (void)RixDestroy(hDst);
    hDst = -1;
    windowHooks().forgetSteps();
    windowHooks().updateCommandStates();
}

} // namespace karwen
