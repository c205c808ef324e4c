#pragma once

namespace orbicap {

// Call before the application object exists. Frame messages reach the
// window thread thousands of times a second in a fast recording; Qt's own
// dispatcher writes to its wake-up descriptor only when the thread is not
// already due to wake, where the GLib one makes that system call for every
// posted event. A QT_NO_GLIB already set by the user is left as it is.
void PreferQtEventDispatcher();

} // namespace orbicap
