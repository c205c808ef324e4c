#include "FitsFrame.h"

#include <fitsio.h>

namespace orbicap::indi {

namespace {

std::string FitsError(int status) {
    char text[FLEN_STATUS] = {};
    fits_get_errstatus(status, text);
    return text;
}

} // namespace

bool DecodeFits(const void* data, std::size_t bytes, FitsFrame& frame, std::string& error) {
    // cfitsio wants a writable pointer even for a read-only memory file; it
    // does not write through it in READONLY mode.
    void* memory = const_cast<void*>(data);
    std::size_t size = bytes;
    fitsfile* file = nullptr;
    int status = 0;
    if (fits_open_memfile(&file, "frame.fits", READONLY, &memory, &size, 0, nullptr, &status)) {
        error = "unreadable FITS image: " + FitsError(status);
        return false;
    }
    int bitpix = 0;
    int axes = 0;
    long lengths[3] = {};
    fits_get_img_param(file, 3, &bitpix, &axes, lengths, &status);
    bool ok = status == 0;
    if (ok && (axes != 2 || (bitpix != BYTE_IMG && bitpix != SHORT_IMG && bitpix != USHORT_IMG) ||
               lengths[0] <= 0 || lengths[1] <= 0)) {
        error = "a FITS image of " + std::to_string(axes) + " axes and BITPIX " +
                std::to_string(bitpix) + " is not a camera frame";
        ok = false;
    }
    if (ok) {
        frame.width = static_cast<int>(lengths[0]);
        frame.height = static_cast<int>(lengths[1]);
        frame.bitpix = bitpix == BYTE_IMG ? 8 : 16;
        frame.samples.resize(static_cast<std::size_t>(lengths[0]) *
                             static_cast<std::size_t>(lengths[1]));
        int anyNull = 0;
        unsigned short nullValue = 0;
        fits_read_img(file, TUSHORT, 1, static_cast<LONGLONG>(frame.samples.size()), &nullValue,
                      frame.samples.data(), &anyNull, &status);
        if (status != 0) {
            error = "unreadable FITS image: " + FitsError(status);
            ok = false;
        }
    }
    int closeStatus = 0;
    fits_close_file(file, &closeStatus);
    return ok;
}

} // namespace orbicap::indi
