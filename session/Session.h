#pragma once

#include "session/AppContext.h"

#include <functional>
#include <string>

namespace orbicap {

// The start-up and shutdown steps that every program runs, in this order:
// BindDriver, OpenCamera, PrepareCamera, StartCapture, and at the end
// Shutdown. The window runs its own steps (splash, settings, caption)
// between them; the headless recorder and the tests run them as they are.

// Loads the camera driver library and builds what needs its functions. On
// failure the context's Camera.Error() says why.
bool BindDriver(AppContext& context, const std::string& driverPath);

// openUSB answered: a camera is there.
bool OpenCamera(AppContext& context);

// What a freshly opened camera is set to: 1x digital gain, companding off.
void PrepareCamera(AppContext& context);

// Starts the capture thread, feeding the context's frame flow.
void StartCapture(AppContext& context);

// Ends the program's work: clears the run flags, runs whileStopping (the
// window writes its settings there), waits for the capture thread and closes
// a recording still open, so that its file is complete.
void Shutdown(AppContext& context, const std::function<void()>& whileStopping = {});

} // namespace orbicap
