// A driver library with every ABI function but bufferCopy. It exists only to
// be refused by the binding; none of these functions is ever meant to run.
#include "drivers/abi/qhy5v_driver.h"

extern "C" {
int openUSB(int) {
    return 1;
}
void closeUSB(void) {}
void CameraReset(void) {}
int SendRegister(int, int) {
    return 0;
}
unsigned int GetVIDPID(void) {
    return 0;
}
void Subframe(int, int) {}
void DynamicRange(int) {}
int ProgramCamera(int, int, int, int) {
    return 0;
}
void ExposureSemaphore(sem_t*) {}
void ThreadedExposure(void*) {}
int Exposure(void*) {
    return 0;
}
void CancelExposure(void) {}
void SetDigitalGain(int) {}
void SetCompanding(int) {}
void SetAGC(int) {}
void HorizontalFlip(int) {}
void VerticalFlip(int) {}
void RowNoise(int) {}
void ADCRef(int) {}
void debayerImage(const unsigned char*, unsigned char*, int, int) {}
void debayerImageW(const unsigned short*, unsigned char*, int, int) {}
void debayerImageFITBYTE(const unsigned char*, unsigned char*, int, int) {}
void debayerImageFITWORD(const unsigned short*, unsigned short*, int, int) {}
}
