/*
 * Camera driver ABI.
 *
 * A camera driver is a shared library that exports every function below with
 * C linkage. The program loads it by file name and refuses a library that
 * lacks any of them. All types are plain C so that drivers can be written in
 * any language that produces a C-callable shared library.
 *
 * Threads: ThreadedExposure, Subframe, DynamicRange, ProgramCamera and
 * ExposureSemaphore are called from the capture thread only. Every other
 * function may be called from the window thread at any time, also while the
 * capture thread waits for an exposure.
 *
 * Frame layout: width x height samples, rows top to bottom with nothing
 * between them; one byte per sample in 8-bit mode, one little-endian 16-bit
 * word with 10 significant bits (0..1023) per sample in 10-bit mode.
 *
 * No function may write beyond the destination size stated for it.
 *
 * Optional functions: a driver may also export the functions marked
 * "Optional" below. The program looks each one up by name and never refuses a
 * library that lacks one; the functions above stay the whole required set.
 */
#ifndef ORBICAP_QHY5V_DRIVER_H
#define ORBICAP_QHY5V_DRIVER_H

#include <semaphore.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Opens the camera. index is 0. Returns 1 when a camera answered. */
int openUSB(int index);

/* Closes the camera. Never called by the program. */
void closeUSB(void);

/* Resets the camera. Never called by the program. */
void CameraReset(void);

/* Writes a raw sensor register. Never called by the program. */
int SendRegister(int reg, int value);

/* USB identifiers: vendor id in the low 16 bits, product id in the high 16
 * bits. 0x299016C0 is a MagZero mono camera, 0x299116C0 a MagZero colour
 * camera; any other value is a plain QHY5V. */
unsigned int GetVIDPID(void);

/* Read-out window of the following exposures, centred on the 752 x 480
 * sensor: 752 x 480, 376 x 240 or 400 x 400. */
void Subframe(int width, int height);

/* Sample depth of the following exposures: 10 (16-bit words) or 8 (bytes). */
void DynamicRange(int bits);

/* Exposure in ms, gain 0..100, extra value (128) and 0. Applies from the
 * next exposure. The result carries no meaning for the caller. */
int ProgramCamera(int exposureMs, int gain, int extra, int reserved);

/* Hands the driver the semaphore it releases by one per completed
 * exposure. The semaphore stays valid until the program ends. */
void ExposureSemaphore(sem_t* handle);

/* Starts an exposure into block and returns at once. When the exposure is
 * complete the driver fills the block with width x height samples of the
 * current window and depth, then releases the exposure semaphore once.
 * The block must stay valid until that release. */
void ThreadedExposure(void* block);

/* Synchronous exposure into block. Never called by the program. */
int Exposure(void* block);

/* Ends the running exposure early; the semaphore is then released as for a
 * completed exposure. Does nothing when no exposure runs. */
void CancelExposure(void);

/* Digital gain: 244 = 1x, 248 = 2x, 255 = 4x. */
void SetDigitalGain(int value);

/* 12-to-10 bit companding: 1 on, 0 off. */
void SetCompanding(int on);

/* Automatic gain control: 1 on, 0 off. */
void SetAGC(int on);

/* Mirror the picture left-right (1) or not (0). */
void HorizontalFlip(int on);

/* Mirror the picture top-bottom (1) or not (0). */
void VerticalFlip(int on);

/* Row noise reduction: 0 switches it on, 1 off. */
void RowNoise(int off);

/* ADC reference voltage 1.0 V + 0.1 V x value, value 0..6. */
void ADCRef(int value);

/* Copies bytes from source to destination before returning. */
void bufferCopy(const void* source, void* destination, int bytes);

/* Bilinear demosaic of an RGGB mosaic of width x height bytes into
 * width x height pixels of 3 bytes (blue, green, red), rows in the order of
 * the input rows. Destination: 3 x width x height bytes. */
void debayerImage(const unsigned char* frame, unsigned char* destination, int width, int height);

/* The same for a mosaic of 16-bit samples (10 significant bits), reduced to
 * 8 bits, into (width - 1) x (height - 1) pixels of 3 bytes. Destination:
 * 3 x (width - 1) x (height - 1) bytes. */
void debayerImageW(const unsigned short* frame, unsigned char* destination, int width, int height);

/* Demosaic into three colour planes of width x (height - 1) bytes each, one
 * plane after the other. Destination: 3 x width x (height - 1) bytes. */
void debayerImageFITBYTE(const unsigned char* frame, unsigned char* buffer, int width, int height);

/* The same for 16-bit samples: three planes of width x (height - 1) 16-bit
 * samples (10 significant bits). Destination: 6 x width x (height - 1)
 * bytes. */
void debayerImageFITWORD(const unsigned short* frame, unsigned short* buffer, int width,
                         int height);

/* Optional. A short description of the camera behind the driver, shown in
 * the window caption: "simulated camera", or the device and server a network
 * driver talks to. Returns a NUL-terminated UTF-8 string that stays valid
 * until the library is unloaded, or NULL (or "") when there is nothing to
 * say. Called from the window thread after openUSB; it must not block. */
const char* DriverDescription(void);

#ifdef __cplusplus
}
#endif

#endif
