// The driver's C entry points. Each one forwards to the single INDI camera;
// the demosaic and copy helpers are the shared, stateless ones.

#pragma GCC visibility push(default)
#include "drivers/abi/qhy5v_driver.h"
#pragma GCC visibility pop

#include "Demosaic.h"
#include "IndiCamera.h"

#include <cstring>

namespace {

// A C ABI offers its callers no handle to pass back, so the camera's state has
// to live inside the library: this accessor is the one place that holds it.
// It is built on first use and destroyed when the library is unloaded or the
// process ends, which switches the stream off, restores the polling period
// and disconnects from the server, since the program never calls closeUSB.
orbicap::indi::IndiCamera& Camera() {
    static orbicap::indi::IndiCamera camera;
    return camera;
}

// What a plain QHY5V answers: neither MagZero identifier, so the program
// offers "Color Camera" and the user says whether the mosaic is there.
constexpr unsigned int kPlainQhy5v = 0x081816C0u;

} // namespace

extern "C" {

int openUSB(int /*index*/) {
    return Camera().Open();
}

void closeUSB(void) {
    Camera().Close();
}

// Nothing to reset on a network camera that another client may share.
void CameraReset(void) {}

// An INDI camera has no registers to write through this driver.
int SendRegister(int /*reg*/, int /*value*/) {
    return 0;
}

unsigned int GetVIDPID(void) {
    return kPlainQhy5v;
}

void Subframe(int width, int height) {
    Camera().SetWindow(width, height);
}

void DynamicRange(int bits) {
    Camera().SetDepth(bits);
}

int ProgramCamera(int exposureMs, int gain, int /*extra*/, int /*reserved*/) {
    Camera().Program(exposureMs, gain);
    return 1;
}

void ExposureSemaphore(sem_t* handle) {
    Camera().SetSemaphore(handle);
}

void ThreadedExposure(void* block) {
    Camera().Start(block);
}

int Exposure(void* block) {
    return Camera().ExposeNow(block);
}

void CancelExposure(void) {
    Camera().Cancel();
}

// Digital gain, companding, automatic gain, the ADC reference and row noise
// are registers of the QHY5V's own sensor; INDI cameras have no common
// property for them, so they are accepted and ignored.
void SetDigitalGain(int /*value*/) {}
void SetCompanding(int /*on*/) {}
void SetAGC(int /*on*/) {}
void RowNoise(int /*off*/) {}
void ADCRef(int /*value*/) {}

void HorizontalFlip(int on) {
    Camera().SetHorizontalFlip(on != 0);
}

void VerticalFlip(int on) {
    Camera().SetVerticalFlip(on != 0);
}

void bufferCopy(const void* source, void* destination, int bytes) {
    if (bytes > 0)
        std::memcpy(destination, source, static_cast<std::size_t>(bytes));
}

void debayerImage(const unsigned char* frame, unsigned char* destination, int width, int height) {
    orbicap::drivers::DemosaicToBgr(frame, destination, width, height);
}

void debayerImageW(const unsigned short* frame, unsigned char* destination, int width, int height) {
    orbicap::drivers::DemosaicWordsToBgr(frame, destination, width, height);
}

void debayerImageFITBYTE(const unsigned char* frame, unsigned char* buffer, int width, int height) {
    orbicap::drivers::DemosaicToPlanes(frame, buffer, width, height);
}

void debayerImageFITWORD(const unsigned short* frame, unsigned short* buffer, int width,
                         int height) {
    orbicap::drivers::DemosaicWordsToPlanes(frame, buffer, width, height);
}

const char* DriverDescription(void) {
    return Camera().Description();
}

} // extern "C"
