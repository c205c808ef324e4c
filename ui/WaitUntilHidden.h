#pragma once

class QWidget;

namespace orbicap {

// Keeps handling window messages until the window is hidden, so that a small
// window can wait for the user without stopping the frame flow.
void WaitUntilHidden(QWidget* window);

} // namespace orbicap
