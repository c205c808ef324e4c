// The driver's C entry points. Each one forwards to the single simulated
// camera; the demosaic and copy helpers are stateless.

#pragma GCC visibility push(default)
#include "drivers/abi/qhy5v_driver.h"
#pragma GCC visibility pop

#include "Demosaic.h"
#include "ExposureEngine.h"

#include <cstring>

namespace {

// A C ABI offers its callers no handle to pass back, so the camera's state has
// to live inside the library: this accessor is the one place that holds it.
// It is built on first use and destroyed when the library is unloaded (or the
// process ends), which stops and joins the worker thread.
orbicap::sim::ExposureEngine& Camera() {
    static orbicap::sim::ExposureEngine engine;
    return engine;
}

} // namespace

extern "C" {

int openUSB(int /*index*/) {
    return Camera().Open();
}

void closeUSB(void) {
    Camera().Close();
}

void CameraReset(void) {
    Camera().Reset();
}

// The simulated sensor has no registers worth writing; accept and ignore.
int SendRegister(int /*reg*/, int /*value*/) {
    return 1;
}

unsigned int GetVIDPID(void) {
    return Camera().VidPid();
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

void SetDigitalGain(int value) {
    Camera().SetDigitalGain(value);
}

void SetCompanding(int on) {
    Camera().SetCompanding(on != 0);
}

void SetAGC(int on) {
    Camera().SetAgc(on != 0);
}

void HorizontalFlip(int on) {
    Camera().SetHorizontalFlip(on != 0);
}

void VerticalFlip(int on) {
    Camera().SetVerticalFlip(on != 0);
}

void RowNoise(int off) {
    Camera().SetRowNoiseOff(off != 0);
}

void ADCRef(int value) {
    Camera().SetAdcRef(value);
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
    return "simulated camera";
}

} // extern "C"
