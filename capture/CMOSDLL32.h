#pragma once

#include "drivers/abi/qhy5v_driver.h"
#include "platform/FrameMemory.h"
#include "platform/Semaphore.h"
#include "platform/SharedLibrary.h"

#include <mutex>
#include <string>
#include <vector>

namespace orbicap {

// Every function of the driver ABI, in one list so that declaring and binding
// cannot drift apart.
#define ORBICAP_DRIVER_FUNCTIONS(X)                                                                \
    X(openUSB)                                                                                     \
    X(closeUSB)                                                                                    \
    X(CameraReset)                                                                                 \
    X(SendRegister)                                                                                \
    X(GetVIDPID)                                                                                   \
    X(Subframe)                                                                                    \
    X(DynamicRange)                                                                                \
    X(ProgramCamera)                                                                               \
    X(ExposureSemaphore)                                                                           \
    X(ThreadedExposure)                                                                            \
    X(Exposure)                                                                                    \
    X(CancelExposure)                                                                              \
    X(SetDigitalGain)                                                                              \
    X(SetCompanding)                                                                               \
    X(SetAGC)                                                                                      \
    X(HorizontalFlip)                                                                              \
    X(VerticalFlip)                                                                                \
    X(RowNoise)                                                                                    \
    X(ADCRef)                                                                                      \
    X(bufferCopy)                                                                                  \
    X(debayerImage)                                                                                \
    X(debayerImageW)                                                                               \
    X(debayerImageFITBYTE)                                                                         \
    X(debayerImageFITWORD)

// Functions a driver may export; looked up by name, never required.
#define ORBICAP_OPTIONAL_DRIVER_FUNCTIONS(X) X(DriverDescription)

struct DriverFunctions {
#define ORBICAP_DECLARE_SLOT(name) decltype(&::name) name = nullptr;
    ORBICAP_DRIVER_FUNCTIONS(ORBICAP_DECLARE_SLOT)
#undef ORBICAP_DECLARE_SLOT
};

// The bound camera driver. A library that lacks any ABI function is refused
// and unloaded, so once LoadCameraLibrary succeeded every slot is valid and a
// call through a missing entry cannot happen.
class CMOSDLL32 : public DriverFunctions {
public:
    // Loads the driver library. On failure Error() holds the reason
    // (the loader's message or the name of the missing function).
    bool LoadCameraLibrary(const std::string& path);
    bool IsLoaded() const { return library_.IsOpen(); }
    const std::string& Error() const { return error_; }

    // What the caption says about the camera: the driver's own description
    // where it exports one and answers with text, else the library's file name.
    std::string Description() const;

    // The semaphore the driver releases once per completed exposure. The ABI
    // promises the driver it stays valid for as long as the library is
    // loaded, so it belongs to the binding, not to any one capture thread.
    Semaphore& ExposureSem() { return exposureSem_; }

    // Keeps a block that was lent to the driver for an exposure that never
    // completed: the driver may still write into it, so it is freed only
    // after the library is unloaded.
    void KeepLentBlock(FrameBlock block);

private:
    // Declared before the library so that both outlive it.
    Semaphore exposureSem_{0, 1};
    std::mutex lentLock_;
    std::vector<FrameBlock> lentBlocks_;

    decltype(&::DriverDescription) describe_ = nullptr;
    SharedLibrary library_;
    std::string path_;
    std::string error_;
};

inline constexpr int kDriverFunctionCount = 24;

// The driver library the program uses: --driver PATH, else ORBICAP_DRIVER,
// else the simulator where DriverLibraryPath finds it.
std::string ChooseDriverPath(const std::string& commandLinePath, const std::string& executableDir);

} // namespace orbicap
