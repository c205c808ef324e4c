#include "avi/AviLayer.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/dict.h>
#include <libavutil/error.h>
#include <libavutil/mathematics.h>
#include <libavutil/pixfmt.h>
}

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace orbicap {

namespace {

std::string AvErrorText(int code) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return text;
}

constexpr std::uint32_t kGreyTag = MKTAG('Y', '8', '0', '0');

// Whether bytes more can be written to the file at end: an errno value
// (EFBIG past the process's file-size limit, ENOSPC past the free space of
// its file system), or 0. A frame is refused on this answer before any byte
// of it is written, so the file never ends in a partial frame and the index
// still fits when the disk is full.
int RoomFor(int fd, std::uint64_t end, std::uint64_t bytes) {
    rlimit limit{};
    if (::getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY &&
        end + bytes > limit.rlim_cur)
        return EFBIG;
    struct statvfs fs {};
    if (::fstatvfs(fd, &fs) == 0 && fs.f_frsize > 0 &&
        static_cast<std::uint64_t>(fs.f_bavail) * fs.f_frsize < bytes)
        return ENOSPC;
    return 0;
}

// DIB rows are padded to a multiple of 4 bytes.
int DibStride(int width) {
    return (3 * width + 3) & ~3;
}

} // namespace

AviRate AviRateForExposure(int exposureMs) {
    const int ms = std::clamp(exposureMs, 10, 1000);
    AviRate rate;
    av_reduce(&rate.Num, &rate.Den, 1000, ms, std::numeric_limits<int>::max());
    return rate;
}

// The file is written through our own descriptor rather than FFmpeg's file
// protocol: frames then go to the kernel in one write() each, straight from
// the caller's picture (the muxer's I/O runs in direct mode), and every write
// is checked here, looping on short writes and EINTR.
struct AviLayer::File {
    std::string Name;
    int Fd = -1;
    AVFormatContext* Context = nullptr;
    AviFrameFormat Format;
    bool Grey = false;
    bool Failed = false;    // sticky: set by the first failed write
    bool OutOfRoom = false; // sticky: a frame was refused for lack of room; the file is intact
    std::int64_t FrameIndex = 0;
    std::size_t FrameBytes = 0;       // one frame as stored
    std::vector<std::uint8_t> Packet; // a frame converted for storing, reused

    ~File() {
        if (Context != nullptr) {
            FreeIo();
            avformat_free_context(Context);
        }
        if (Fd >= 0)
            ::close(Fd);
    }

    void FreeIo() {
        if (Context->pb != nullptr) {
            av_freep(&Context->pb->buffer);
            avio_context_free(&Context->pb);
        }
    }

    // Closes the descriptor; returns 0 or a negative AVERROR code.
    int CloseFd() {
        const int fd = Fd;
        Fd = -1;
        return ::close(fd) == 0 ? 0 : AVERROR(errno);
    }

    static int Write(void* opaque, std::uint8_t* data, int size) {
        const int fd = static_cast<File*>(opaque)->Fd;
        std::size_t left = static_cast<std::size_t>(size);
        while (left > 0) {
            const ssize_t n = ::write(fd, data, left);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                return AVERROR(errno);
            if (n == 0)
                return AVERROR(EIO);
            data += n;
            left -= static_cast<std::size_t>(n);
        }
        return size;
    }

    static std::int64_t Seek(void* opaque, std::int64_t offset, int whence) {
        const int fd = static_cast<File*>(opaque)->Fd;
        if ((whence & AVSEEK_SIZE) != 0) {
            struct stat info;
            return ::fstat(fd, &info) == 0 ? info.st_size : AVERROR(errno);
        }
        const off_t at = ::lseek(fd, offset, whence & ~AVSEEK_FORCE);
        return at < 0 ? AVERROR(errno) : at;
    }
};

AviLayer::AviLayer() = default;

AviLayer::~AviLayer() {
    while (!files_.empty())
        static_cast<void>(CloseAvi(files_.begin()->first));
}

Status AviLayer::Fail(std::string text) {
    return Status::Failure(std::move(text));
}

bool AviLayer::RawGreyAvailable() const {
    const AVOutputFormat* avi = av_guess_format("avi", nullptr, nullptr);
    if (avi == nullptr || avi->codec_tag == nullptr)
        return false;
    return av_codec_get_id(avi->codec_tag, kGreyTag) == AV_CODEC_ID_RAWVIDEO &&
           avcodec_pix_fmt_to_codec_tag(AV_PIX_FMT_GRAY8) == kGreyTag;
}

Result<int> AviLayer::CreateAvi(const std::string& fileName, const AviFrameFormat& fmt,
                                AviRate framesPerSecond) {
    const std::string what = "Cannot create AVI file " + fileName + ": ";
    if (fmt.Width <= 0 || fmt.Height <= 0)
        return Fail(what + "invalid frame size " + std::to_string(fmt.Width) + " x " +
                    std::to_string(fmt.Height));
    if (framesPerSecond.Num <= 0 || framesPerSecond.Den <= 0)
        return Fail(what + "invalid frame rate");
    if (useGrey_ && !RawGreyAvailable())
        return Fail(what + "this FFmpeg cannot write 8-bit grey raw video");

    auto file = std::make_unique<File>();
    file->Name = fileName;
    file->Format = fmt;
    file->Grey = useGrey_;

    int rc = avformat_alloc_output_context2(&file->Context, nullptr, "avi", fileName.c_str());
    if (rc < 0 || file->Context == nullptr)
        return Fail(what + "no AVI muxer (" + AvErrorText(rc) + ")");

    AVStream* stream = avformat_new_stream(file->Context, nullptr);
    if (stream == nullptr)
        return Fail(what + "out of memory");
    AVCodecParameters* par = stream->codecpar;
    par->codec_type = AVMEDIA_TYPE_VIDEO;
    par->codec_id = AV_CODEC_ID_RAWVIDEO;
    par->width = fmt.Width;
    par->height = fmt.Height;
    if (file->Grey) {
        par->format = AV_PIX_FMT_GRAY8;
        par->codec_tag = kGreyTag;
        par->bits_per_coded_sample = 8;
        file->FrameBytes = static_cast<std::size_t>(fmt.Width) * fmt.Height;
        file->Packet.resize(file->FrameBytes);
    } else {
        par->format = AV_PIX_FMT_BGR24;
        par->codec_tag = 0; // BI_RGB
        par->bits_per_coded_sample = 24;
        file->FrameBytes = static_cast<std::size_t>(DibStride(fmt.Width)) * fmt.Height;
        if (DibStride(fmt.Width) != 3 * fmt.Width) // rows need padding: built aside
            file->Packet.resize(file->FrameBytes);
    }
    if (file->FrameBytes > static_cast<std::size_t>(std::numeric_limits<int>::max()))
        return Fail(what + "frame too large for one AVI chunk");
    const AVRational rate{framesPerSecond.Num, framesPerSecond.Den};
    stream->time_base = av_inv_q(rate);
    stream->avg_frame_rate = rate;
    stream->r_frame_rate = rate;

    file->Fd = ::open(fileName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    const bool created = file->Fd >= 0;
    if (!created && errno == EEXIST)
        file->Fd = ::open(fileName.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (file->Fd < 0)
        return Fail(what + std::strerror(errno));
    // A file that never got its header holds nothing and would take the next
    // recording number; one that was there before is left where it is.
    auto abandon = [&](std::string text) {
        if (created)
            ::unlink(fileName.c_str());
        return Fail(std::move(text));
    };
    constexpr int kIoBufferBytes = 64 * 1024; // header pieces and index entries
    auto* ioBuffer = static_cast<unsigned char*>(av_malloc(kIoBufferBytes));
    if (ioBuffer != nullptr)
        file->Context->pb = avio_alloc_context(ioBuffer, kIoBufferBytes, 1, file.get(), nullptr,
                                               &File::Write, &File::Seek);
    if (file->Context->pb == nullptr) {
        av_free(ioBuffer);
        return abandon(what + "out of memory");
    }
    file->Context->pb->direct = 1;

    // Our DIB frames are bottom-up; without this the muxer declares top-down
    // rows (negative height) and readers would show the picture upside down.
    AVDictionary* options = nullptr;
    av_dict_set(&options, "flipped_raw_rgb", "1", 0);
    rc = avformat_write_header(file->Context, &options);
    av_dict_free(&options);
    if (rc < 0)
        return abandon(what + "header not written (" + AvErrorText(rc) + ")");
    if (file->Context->pb->error < 0)
        return abandon(what + AvErrorText(file->Context->pb->error));

    const int handle = nextHandle_;
    nextHandle_ = nextHandle_ == std::numeric_limits<int>::max() ? 0 : nextHandle_ + 1;
    files_[handle] = std::move(file);
    return handle;
}

Status AviLayer::AddAviFrame(int handle, const std::uint8_t* bottomUpBgrPacked) {
    const auto it = files_.find(handle);
    if (it == files_.end())
        return Fail("AVI handle " + std::to_string(handle) + " is not open");
    File& file = *it->second;
    if (file.Failed || file.OutOfRoom)
        return Fail("Cannot write to AVI file " + file.Name + ": an earlier write failed");
    if (bottomUpBgrPacked == nullptr)
        return Fail("Cannot write to AVI file " + file.Name + ": no picture");

    const int width = file.Format.Width;
    const int height = file.Format.Height;
    const std::size_t inRow = 3u * static_cast<std::size_t>(width);
    std::uint8_t* out = file.Packet.data();
    const std::uint8_t* stored = out;
    if (file.Grey) {
        // Grey raw frames are stored top row first, so the input rows are
        // read from the last in memory backwards; green stands for the grey.
        const std::uint8_t* in = bottomUpBgrPacked + static_cast<std::size_t>(height) * inRow;
        for (int r = 0; r < height; ++r) {
            in -= inRow;
            std::uint8_t* dst = out + static_cast<std::size_t>(r) * width;
            for (int x = 0; x < width; ++x)
                dst[x] = in[3 * x + 1];
        }
    } else {
        const std::size_t stride = static_cast<std::size_t>(DibStride(width));
        if (stride == inRow) {
            stored = bottomUpBgrPacked; // already a DIB: written as it is
        } else {
            for (int r = 0; r < height; ++r) {
                std::memcpy(out + r * stride, bottomUpBgrPacked + r * inRow, inRow);
                std::memset(out + r * stride + inRow, 0, stride - inRow);
            }
        }
    }

    const std::uint64_t end = static_cast<std::uint64_t>(avio_tell(file.Context->pb));
    const std::uint64_t closing =
        16u * static_cast<std::uint64_t>(file.FrameIndex + 1) + AviLayer::kCloseReserveBytes;
    if (const int room = RoomFor(file.Fd, end, 8 + file.FrameBytes + closing); room != 0) {
        file.OutOfRoom = true;
        return Fail("Cannot write frame " + std::to_string(file.FrameIndex + 1) + " to AVI file " +
                    file.Name + ": " + std::strerror(room) + ". The file was finished with the " +
                    std::to_string(file.FrameIndex) + " frames before it.");
    }

    AVPacket* packet = av_packet_alloc();
    if (packet == nullptr) {
        file.Failed = true;
        return Fail("Cannot write to AVI file " + file.Name + ": out of memory");
    }
    // The muxer neither keeps nor modifies a packet it does not own.
    packet->data = const_cast<std::uint8_t*>(stored);
    packet->size = static_cast<int>(file.FrameBytes);
    packet->stream_index = 0;
    packet->pts = file.FrameIndex;
    packet->dts = file.FrameIndex;
    packet->duration = 1;
    packet->flags |= AV_PKT_FLAG_KEY;
    int rc = av_write_frame(file.Context, packet);
    av_packet_free(&packet);
    if (rc >= 0 && file.Context->pb->error < 0)
        rc = file.Context->pb->error;
    if (rc < 0) {
        file.Failed = true;
        return Fail("Cannot write frame " + std::to_string(file.FrameIndex + 1) + " to AVI file " +
                    file.Name + ": " + AvErrorText(rc));
    }
    ++file.FrameIndex;
    return Status();
}

Status AviLayer::CloseAvi(int handle) {
    const auto it = files_.find(handle);
    if (it == files_.end())
        return Fail("AVI handle " + std::to_string(handle) + " is not open");
    std::unique_ptr<File> file = std::move(it->second);
    files_.erase(it);

    std::string reason;
    if (file->Failed)
        reason = "an earlier write failed";
    int rc = av_write_trailer(file->Context);
    if (rc >= 0 && file->Context->pb->error < 0)
        rc = file->Context->pb->error;
    if (rc < 0 && reason.empty())
        reason = "index not written (" + AvErrorText(rc) + ")";
    avio_flush(file->Context->pb);
    if (file->Context->pb->error < 0 && reason.empty())
        reason = "index not written (" + AvErrorText(file->Context->pb->error) + ")";
    file->FreeIo();
    rc = file->CloseFd();
    if (rc < 0 && reason.empty())
        reason = "close failed (" + AvErrorText(rc) + ")";
    if (!reason.empty())
        return Fail("AVI file " + file->Name + " is incomplete: " + reason);
    return Status();
}

} // namespace orbicap
