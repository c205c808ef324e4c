#pragma once

#include <QDialog>
#include <QLockFile>

#include <memory>

namespace orbicap {

// Holds the lock that tells a second Orbicap that one is running already.
// The lock file lives in the user's runtime folder.
class InstanceLock {
public:
    InstanceLock();
    // True when this process is the only running Orbicap.
    bool Acquire();

private:
    std::unique_ptr<QLockFile> lock_;
};

// "ORBICAP - Error": shown by a second instance before it ends.
class TMultiInstance : public QDialog {
public:
    explicit TMultiInstance(QWidget* parent = nullptr);
};

// Creates the window anew, shows it and waits until it is closed.
void MultiInstance1ForceClose();

} // namespace orbicap
