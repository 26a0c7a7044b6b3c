// JPEG import through libjpeg(-turbo): decodes straight into the DIB rows.

#include "uDecoders.h"
#include "uPlatform.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include <jerror.h>
#include <jpeglib.h>

namespace {

struct TJpegError {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    std::int32_t code = ieCorrupt;
    bool hitEnd = false; // the data ended before the picture did
};

struct TJpegProgress {
    jpeg_progress_mgr pub;
    TImportParams* params = nullptr;
    std::int32_t last = -1;
};

std::int32_t CodeForMessage(int msg) {
    switch (msg) {
    case JERR_OUT_OF_MEMORY:
    case JERR_IMAGE_TOO_BIG:
    case JERR_WIDTH_OVERFLOW:
    case JERR_NO_BACKING_STORE: // beyond max_memory_to_use
        return ieNoMemory;
    case JERR_INPUT_EOF:
    case JERR_FILE_READ:
        return ieUnexpectedEnd;
    case JERR_BAD_PRECISION:
    case JERR_NOT_COMPILED:
    case JERR_ARITH_NOTIMPL:
    case JERR_CONVERSION_NOTIMPL:
    case JERR_NOTIMPL:
    case JERR_SOF_UNSUPPORTED:
    case JERR_UNKNOWN_MARKER:
        return ieUnsupported;
    default:
        return ieCorrupt;
    }
}

[[noreturn]] void ErrorExit(j_common_ptr cinfo) {
    auto* err = reinterpret_cast<TJpegError*>(cinfo->err);
    err->code = err->hitEnd ? ieUnexpectedEnd : CodeForMessage(err->pub.msg_code);
    std::longjmp(err->jump, 1);
}

void EmitMessage(j_common_ptr cinfo, int level) {
    auto* err = reinterpret_cast<TJpegError*>(cinfo->err);
    // Warnings about damaged entropy data are tolerated (the picture shows
    // with a grey part, as in every viewer); running out of data is not.
    if (level < 0 && err->pub.msg_code == JWRN_JPEG_EOF)
        err->hitEnd = true;
}

void OutputMessage(j_common_ptr) {}

void ProgressMonitor(j_common_ptr cinfo) {
    auto* pr = reinterpret_cast<TJpegProgress*>(cinfo->progress);
    const long total = pr->pub.total_passes > 0 ? pr->pub.total_passes : 1;
    const long limit = pr->pub.pass_limit > 0 ? pr->pub.pass_limit : 1;
    const double done =
        (pr->pub.completed_passes + double(pr->pub.pass_counter) / double(limit)) / double(total);
    std::int32_t percent = static_cast<std::int32_t>(done * 100.0);
    percent = percent < 0 ? 0 : (percent > 99 ? 99 : percent);
    if (percent != pr->last) {
        pr->last = percent;
        ReportProgress(*pr->params, percent);
    }
}

// A helper thread that makes the output block's pages present while the
// decoder works: the page faults of a large new block otherwise cost a
// quarter of the decoding time. It works in slices from the end of the block
// (the top rows, which the decoder writes first) and stops between two slices
// when the decoder is done, so that a helper kept waiting for a core never
// holds the import up for long. Joined on every path.
struct TPrefault {
    std::thread thread;
    std::atomic<bool> stop{false};
    void Start(TDib& dib) {
        if (dib.Size() < (std::size_t(16) << 20))
            return;
        try {
            thread = std::thread([this, data = dib.Data(), size = dib.Size()] {
                constexpr std::uintptr_t kSlice = std::uintptr_t(4) << 20;
                const std::uintptr_t begin = reinterpret_cast<std::uintptr_t>(data);
                std::uintptr_t end = begin + size;
                while (end > begin && !stop.load(std::memory_order_relaxed)) {
                    // slice edges on whole slices of the address space
                    const std::uintptr_t from = std::max(begin, (end - 1) & ~(kSlice - 1));
                    Platform::PrefaultBlock(reinterpret_cast<void*>(from), end - from);
                    end = from;
                }
            });
        } catch (const std::system_error&) {
            // no thread: the decoder meets the faults itself
        }
    }
    void Join() {
        stop.store(true, std::memory_order_relaxed);
        if (thread.joinable())
            thread.join();
    }
    ~TPrefault() { Join(); }
};

// Where the rows of a picture to be turned go: stored row y becomes column y
// (or height - 1 - y) of the result, so a block of rows lands side by side in
// every result row.
struct TTurn {
    std::uint8_t* bottom = nullptr; // the result's pixel rows, bottom-up
    std::size_t stride = 0;
    std::int32_t outH = 0;
    JDIMENSION width = 0, height = 0; // of the stored picture
    std::size_t bpp = 3;
    bool colsFromRight = false, colsFromBottom = false;
};

constexpr JDIMENSION kMaxBlock = 64;

void TurnBlock(const TTurn& t, const std::uint8_t* const* rows, JDIMENSION y0, JDIMENSION got) {
    const std::uint8_t* src[kMaxBlock];
    for (JDIMENSION k = 0; k < got; ++k)
        src[k] = rows[t.colsFromRight ? got - 1 - k : k];
    const std::size_t first = t.colsFromRight ? t.height - y0 - got : y0;
    for (JDIMENSION x = 0; x < t.width; ++x) {
        const std::int32_t y = std::int32_t(t.colsFromBottom ? t.width - 1 - x : x);
        std::uint8_t* d = t.bottom + t.stride * std::size_t(t.outH - 1 - y) + first * t.bpp;
        const std::size_t at = std::size_t(x) * t.bpp;
        if (t.bpp == 3) {
            for (JDIMENSION k = 0; k < got; ++k, d += 3) {
                const std::uint8_t* p = src[k] + at;
                d[0] = p[0];
                d[1] = p[1];
                d[2] = p[2];
            }
        } else {
            for (JDIMENSION k = 0; k < got; ++k)
                d[k] = src[k][at];
        }
    }
}

// Turns blocks of rows on a second thread while libjpeg decodes the next
// block into the other half of a double buffer. At most one block waits.
class TTurner {
public:
    TTurn turn;

    bool Start() {
        try {
            thread_ = std::thread([this] { Run(); });
            return true;
        } catch (const std::system_error&) {
            return false;
        }
    }
    bool Running() const { return thread_.joinable(); }
    // Hands a block over as soon as the previous one is done.
    void Submit(const std::uint8_t* const* rows, JDIMENSION y0, JDIMENSION got) {
        std::unique_lock lock(mutex_);
        cv_.wait(lock, [this] { return !pending_ && !busy_; });
        std::copy(rows, rows + got, rows_);
        y0_ = y0;
        got_ = got;
        pending_ = true;
        cv_.notify_all();
    }
    // Waits for the last block and ends the thread.
    void Finish() {
        if (!thread_.joinable())
            return;
        {
            std::lock_guard lock(mutex_);
            stop_ = true;
        }
        cv_.notify_all();
        thread_.join();
    }
    ~TTurner() { Finish(); }

private:
    void Run() {
        std::unique_lock lock(mutex_);
        for (;;) {
            cv_.wait(lock, [this] { return pending_ || stop_; });
            if (!pending_)
                return;
            const std::uint8_t* rows[kMaxBlock];
            std::copy(rows_, rows_ + got_, rows);
            const JDIMENSION y0 = y0_, got = got_;
            pending_ = false;
            busy_ = true;
            lock.unlock();
            TurnBlock(turn, rows, y0, got);
            lock.lock();
            busy_ = false;
            cv_.notify_all();
        }
    }

    std::thread thread_;
    std::mutex mutex_;
    std::condition_variable cv_;
    bool pending_ = false, busy_ = false, stop_ = false;
    const std::uint8_t* rows_[kMaxBlock] = {};
    JDIMENSION y0_ = 0, got_ = 0;
};

// Mirrors a row of 1- or 3-byte pixels in place.
void MirrorRow(std::uint8_t* row, std::size_t bpp, JDIMENSION width) {
    if (width < 2)
        return;
    for (std::uint8_t *a = row, *b = row + (width - 1) * bpp; a < b; a += bpp, b -= bpp)
        std::swap_ranges(a, a + bpp, b);
}

std::uint16_t Get16(const std::uint8_t* p, bool le) {
    return le ? std::uint16_t(p[0] | (p[1] << 8)) : std::uint16_t((p[0] << 8) | p[1]);
}

std::uint32_t Get32(const std::uint8_t* p, bool le) {
    return le ? std::uint32_t(p[0] | (p[1] << 8) | (p[2] << 16) | (std::uint32_t(p[3]) << 24))
              : std::uint32_t((std::uint32_t(p[0]) << 24) | (p[1] << 16) | (p[2] << 8) | p[3]);
}

// The orientation tag (0x0112) of IFD0 in an APP1 "Exif" block; 1 when it is
// missing or the block is malformed.
int ExifOrientation(const std::uint8_t* data, std::size_t size) {
    if (!data || size < 6 + 8 || std::memcmp(data, "Exif\0\0", 6) != 0)
        return 1;
    const std::uint8_t* tiff = data + 6;
    const std::size_t len = size - 6;
    bool le;
    if (tiff[0] == 'I' && tiff[1] == 'I')
        le = true;
    else if (tiff[0] == 'M' && tiff[1] == 'M')
        le = false;
    else
        return 1;
    if (Get16(tiff + 2, le) != 42)
        return 1;
    const std::uint32_t ifd = Get32(tiff + 4, le);
    if (ifd < 8 || ifd > len - 2)
        return 1;
    const std::uint16_t count = Get16(tiff + ifd, le);
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::size_t entry = std::size_t(ifd) + 2 + std::size_t(i) * 12;
        if (entry + 12 > len)
            return 1;
        const std::uint8_t* e = tiff + entry;
        if (Get16(e, le) != 0x0112)
            continue;
        const std::uint16_t type = Get16(e + 2, le);
        if (Get32(e + 4, le) < 1)
            return 1;
        std::uint32_t value;
        if (type == 3) // SHORT
            value = Get16(e + 8, le);
        else if (type == 4) // LONG
            value = Get32(e + 8, le);
        else if (type == 1) // BYTE
            value = e[8];
        else
            return 1;
        return (value >= 1 && value <= 8) ? int(value) : 1;
    }
    return 1;
}

} // namespace

std::int32_t DecodeJpeg(const std::uint8_t* data, std::size_t size, TImportParams& params) {
    if (!data || size < 4)
        return size == 0 ? ieCorrupt : ieUnexpectedEnd;

    jpeg_decompress_struct cinfo;
    TJpegError err;
    TJpegProgress progress;
    // Everything that owns memory lives before setjmp, so that a jump back
    // from libjpeg skips no destructor.
    TDib dib;
    std::vector<JSAMPROW> rows;
    std::vector<std::uint8_t> buffer;
    TPrefault prefault; // after dib: joined before the block can go
    TTurner turner;     // likewise

    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = ErrorExit;
    err.pub.emit_message = EmitMessage;
    err.pub.output_message = OutputMessage;
    if (setjmp(err.jump)) {
        turner.Finish();
        prefault.Join();
        jpeg_destroy_decompress(&cinfo);
        return err.code;
    }
    jpeg_create_decompress(&cinfo);
    // libjpeg's own buffers (a progressive picture keeps all its
    // coefficients) stay within what one picture may take.
    cinfo.mem->max_memory_to_use = static_cast<long>(TDib::kMaxBlockSize);
    progress.pub.progress_monitor = ProgressMonitor;
    progress.params = &params;
    cinfo.progress = &progress.pub;
    // jpeg_mem_src takes an unsigned long size; a larger buffer is read up to it.
    const unsigned long srcSize =
        size > static_cast<std::size_t>(~0ul) ? ~0ul : static_cast<unsigned long>(size);
    jpeg_mem_src(&cinfo, data, srcSize);
    jpeg_save_markers(&cinfo, JPEG_APP0 + 1, 0xFFFF);
    jpeg_read_header(&cinfo, TRUE);

    int orientation = 1;
    for (jpeg_saved_marker_ptr m = cinfo.marker_list; m; m = m->next) {
        if (m->marker == JPEG_APP0 + 1 && m->data_length >= 6 &&
            std::memcmp(m->data, "Exif\0\0", 6) == 0) {
            orientation = ExifOrientation(m->data, m->data_length);
            break;
        }
    }

    bool grey = false;
    switch (cinfo.jpeg_color_space) {
    case JCS_GRAYSCALE:
        cinfo.out_color_space = JCS_GRAYSCALE;
        grey = true;
        break;
    case JCS_CMYK:
    case JCS_YCCK:
        cinfo.out_color_space = JCS_CMYK; // converted to BGR below
        break;
    default:
        cinfo.out_color_space = JCS_EXT_BGR;
        break;
    }
    const bool cmyk = cinfo.out_color_space == JCS_CMYK;

    jpeg_calc_output_dimensions(&cinfo);
    const JDIMENSION width = cinfo.output_width;
    const JDIMENSION height = cinfo.output_height;
    if (width == 0 || height == 0) {
        jpeg_destroy_decompress(&cinfo);
        return ieCorrupt;
    }
    const int bits = grey ? 8 : 24;
    if (TDib::BlockSizeFor(std::int32_t(width), std::int32_t(height), bits) == 0) {
        jpeg_destroy_decompress(&cinfo);
        return ieNoMemory;
    }

    // The orientation is applied while the rows come in: 2..4 mirror rows
    // and place them upside down, 5..8 write each row as a column.
    const bool transpose = orientation >= 5;
    const bool mirror = orientation == 2 || orientation == 3;
    const bool upsideDown = orientation == 3 || orientation == 4;
    const bool colsFromRight = orientation == 6 || orientation == 7; // first row on the right
    const bool colsFromBottom = orientation == 7 || orientation == 8;
    const std::int32_t outW = std::int32_t(transpose ? height : width);
    const std::int32_t outH = std::int32_t(transpose ? width : height);

    jpeg_start_decompress(&cinfo);
    dib = TDib::Create(outW, outH, std::uint16_t(bits));
    if (!dib) {
        jpeg_destroy_decompress(&cinfo);
        return ieNoMemory;
    }
    Platform::AdviseLargeBlock(dib.Data(), dib.Size());
    prefault.Start(dib);
    if (grey) {
        TRgbQuad* pal = dib.Colors();
        for (int i = 0; i < 256; ++i)
            pal[i] = TRgbQuad{std::uint8_t(i), std::uint8_t(i), std::uint8_t(i), 0};
    }
    if (cinfo.density_unit == 1 || cinfo.density_unit == 2) {
        // dots per inch or per centimetre into pixels per metre
        const double f = cinfo.density_unit == 1 ? 10000.0 / 254.0 : 100.0;
        TBitmapInfoHeader h = dib.Header();
        h.biXPelsPerMeter = std::int32_t((transpose ? cinfo.Y_density : cinfo.X_density) * f + 0.5);
        h.biYPelsPerMeter = std::int32_t((transpose ? cinfo.X_density : cinfo.Y_density) * f + 0.5);
        std::memcpy(dib.Data(), &h, sizeof h);
    }

    const std::size_t stride = dib.Stride();
    std::uint8_t* const bottom = dib.Bits();
    const std::size_t bpp = grey ? 1 : 3;
    // top-down row y of the result
    auto outRow = [&](std::int32_t y) { return bottom + stride * std::size_t(outH - 1 - y); };
    // Rows to be turned come in larger blocks: more of each result row is
    // written at once.
    const JDIMENSION kBlock = transpose ? kMaxBlock : 16;
    rows.resize(kBlock);
    if (transpose) {
        turner.turn =
            TTurn{bottom, stride, outH, width, height, bpp, colsFromRight, colsFromBottom};
        // a second thread is worth it for large pictures only
        if (dib.Size() >= (std::size_t(16) << 20))
            turner.Start();
    }
    int half = 0; // the half of the double buffer being decoded into
    // Rows go straight into the picture unless they need converting (CMYK)
    // or turning into columns; then they pass through this block buffer.
    const bool buffered = cmyk || transpose;
    const std::size_t bufStride = std::size_t(width) * (cmyk ? 4 : bpp);
    if (buffered)
        buffer.resize(bufStride * kBlock * (turner.Running() ? 2 : 1));
    // Adobe writes CMYK inverted (0 = full ink); libjpeg reports it through
    // the Adobe marker.
    const bool inverted = cmyk && cinfo.saw_Adobe_marker;

    while (cinfo.output_scanline < height) {
        const JDIMENSION y0 = cinfo.output_scanline;
        const JDIMENSION n = std::min<JDIMENSION>(kBlock, height - y0);
        for (JDIMENSION i = 0; i < n; ++i) {
            const std::int32_t y = std::int32_t(y0 + i);
            rows[i] = buffered ? buffer.data() + (std::size_t(half) * kBlock + i) * bufStride
                               : outRow(upsideDown ? outH - 1 - y : y);
        }
        JDIMENSION got = 0;
        while (got < n) {
            const JDIMENSION r = jpeg_read_scanlines(&cinfo, rows.data() + got, n - got);
            if (r == 0)
                break;
            got += r;
        }
        if (got == 0)
            break;
        for (JDIMENSION i = 0; i < got; ++i) {
            const std::int32_t y = std::int32_t(y0 + i);
            std::uint8_t* line = rows[i];
            if (cmyk) {
                // into BGR: in place in the block buffer when it is to be
                // turned, else into the picture's row
                std::uint8_t* d = transpose ? line : outRow(upsideDown ? outH - 1 - y : y);
                const std::uint8_t* src = line;
                for (JDIMENSION x = 0; x < width; ++x, src += 4, d += 3) {
                    unsigned c = src[0], m = src[1], ye = src[2], k = src[3];
                    if (!inverted) {
                        c = 255 - c;
                        m = 255 - m;
                        ye = 255 - ye;
                        k = 255 - k;
                    }
                    // inverted values are (255 - ink): RGB = (1 - C)(1 - K)
                    d[0] = std::uint8_t((ye * k + 127) / 255);
                    d[1] = std::uint8_t((m * k + 127) / 255);
                    d[2] = std::uint8_t((c * k + 127) / 255);
                }
                if (!transpose)
                    line = outRow(upsideDown ? outH - 1 - y : y);
            }
            if (mirror)
                MirrorRow(line, bpp, width);
        }
        if (turner.Running()) {
            turner.Submit(rows.data(), y0, got);
            half ^= 1;
        } else if (transpose) {
            TurnBlock(turner.turn, rows.data(), y0, got);
        }
        if (err.hitEnd)
            break;
    }
    turner.Finish();
    if (err.hitEnd || cinfo.output_scanline < height) {
        jpeg_destroy_decompress(&cinfo);
        return ieUnexpectedEnd;
    }
    // The rest of the file (trailing markers) does not matter for the picture.
    jpeg_abort_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    prefault.Join();
    ReportProgress(params, 100);
    params.Dib = std::move(dib);
    return ieOk;
}
