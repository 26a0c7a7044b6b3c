// Resampling of packed DIBs: StretchDIB and ScaleToGray.
//
// Both axes are resampled separately with fixed-point weights: a reduction
// averages every source pixel the destination pixel covers, weighted by the
// covered fraction (a box filter, exact on flat colours); an enlargement
// interpolates linearly between the two nearest source pixels. The work is
// split into bands of destination rows on the available cores.

#include "uLeonardo.h"
#include "uPlatform.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

namespace {

constexpr int kWeightBits = 14;
constexpr std::int32_t kOne = 1 << kWeightBits;

// The source pixels each destination pixel takes along one axis.
struct TTaps {
    std::vector<std::int32_t> start;
    std::vector<std::int32_t> count;
    std::vector<std::int32_t> weight; // maxTaps slots per destination pixel
    std::int32_t maxTaps = 1;
};

TTaps MakeTaps(std::int32_t srcLen, std::int32_t dstLen) {
    TTaps t;
    t.start.resize(std::size_t(dstLen));
    t.count.resize(std::size_t(dstLen));
    if (dstLen < srcLen) {
        // Destination pixel i covers [i * srcLen, (i + 1) * srcLen) and source
        // pixel j covers [j * dstLen, (j + 1) * dstLen), in units of 1/dstLen.
        t.maxTaps = srcLen / dstLen + 2;
        t.weight.assign(std::size_t(dstLen) * std::size_t(t.maxTaps), 0);
        for (std::int32_t i = 0; i < dstLen; ++i) {
            const std::int64_t a = std::int64_t(i) * srcLen;
            const std::int64_t b = a + srcLen;
            const std::int32_t j0 = std::int32_t(a / dstLen);
            const std::int32_t j1 =
                std::min<std::int32_t>(srcLen - 1, std::int32_t((b - 1) / dstLen));
            std::int32_t* w = &t.weight[std::size_t(i) * std::size_t(t.maxTaps)];
            // Each weight is the step of the rounded running sum of the covered
            // parts: never negative, and together exactly kOne whatever the
            // ratio.
            std::int32_t n = 0;
            std::int64_t covered = 0, before = 0;
            for (std::int32_t j = j0; j <= j1 && n < t.maxTaps; ++j, ++n) {
                const std::int64_t lo = std::max<std::int64_t>(a, std::int64_t(j) * dstLen);
                const std::int64_t hi = std::min<std::int64_t>(b, std::int64_t(j + 1) * dstLen);
                covered += hi - lo;
                const std::int64_t upto =
                    (covered * kOne * 2 + srcLen) / (2 * std::int64_t(srcLen));
                w[n] = std::int32_t(upto - before);
                before = upto;
            }
            t.start[std::size_t(i)] = j0;
            t.count[std::size_t(i)] = n;
        }
    } else if (dstLen == srcLen) {
        t.weight.assign(std::size_t(dstLen), kOne);
        for (std::int32_t i = 0; i < dstLen; ++i) {
            t.start[std::size_t(i)] = i;
            t.count[std::size_t(i)] = 1;
        }
    } else {
        // Linear interpolation between pixel centres.
        t.maxTaps = 2;
        t.weight.assign(std::size_t(dstLen) * 2, 0);
        const double scale = double(srcLen) / double(dstLen);
        for (std::int32_t i = 0; i < dstLen; ++i) {
            const double pos = (i + 0.5) * scale - 0.5;
            std::int32_t* w = &t.weight[std::size_t(i) * 2];
            std::int32_t j0;
            if (pos <= 0) {
                j0 = 0;
                t.count[std::size_t(i)] = 1;
                w[0] = kOne;
            } else if (pos >= srcLen - 1) {
                j0 = srcLen - 1;
                t.count[std::size_t(i)] = 1;
                w[0] = kOne;
            } else {
                j0 = std::int32_t(pos);
                const std::int32_t f = std::int32_t(std::lround((pos - j0) * kOne));
                w[0] = kOne - f;
                w[1] = f;
                t.count[std::size_t(i)] = 2;
            }
            t.start[std::size_t(i)] = j0;
        }
    }
    return t;
}

struct TJob {
    const TDib* src = nullptr;
    TDib* dst = nullptr;
    std::int32_t x0 = 0, y0 = 0; // top-left source pixel of the region (top-down)
    std::int32_t srcW = 0, srcH = 0;
    std::int32_t dstW = 0, dstH = 0;
    TTaps tx, ty;
};

// Source row y of the region as blue, green, red bytes; expands palette and
// 32-bit rows into buf, hands 24-bit rows out directly.
const std::uint8_t* FetchRow(const TJob& job, std::int32_t y, std::uint8_t* buf) {
    const TDib& src = *job.src;
    const std::uint8_t* row = src.Row(job.y0 + y);
    const int bits = src.BitCount();
    if (bits == 24)
        return row + std::size_t(job.x0) * 3;
    const TRgbQuad* pal = src.Colors();
    std::uint8_t* d = buf;
    for (std::int32_t x = job.x0; x < job.x0 + job.srcW; ++x, d += 3) {
        if (bits == 32) {
            std::memcpy(d, row + std::size_t(x) * 4, 3);
            continue;
        }
        std::uint32_t index;
        if (bits == 8)
            index = row[x];
        else if (bits == 4)
            index = (x & 1) ? (row[x >> 1] & 15u) : (row[x >> 1] >> 4);
        else
            index = (row[x >> 3] >> (7 - (x & 7))) & 1u;
        d[0] = pal[index].rgbBlue;
        d[1] = pal[index].rgbGreen;
        d[2] = pal[index].rgbRed;
    }
    return buf;
}

// One row resampled horizontally, with 8 extra bits of precision.
void Horizontal(const TTaps& tx, const std::uint8_t* in, std::uint16_t* out, std::int32_t dstW) {
    const std::int32_t* wt = tx.weight.data();
    const std::int32_t maxTaps = tx.maxTaps;
    for (std::int32_t i = 0; i < dstW; ++i, out += 3, wt += maxTaps) {
        const std::uint8_t* p = in + std::size_t(tx.start[std::size_t(i)]) * 3;
        const std::int32_t n = tx.count[std::size_t(i)];
        std::uint32_t b = 0, g = 0, r = 0;
        for (std::int32_t k = 0; k < n; ++k, p += 3) {
            const std::uint32_t w = std::uint32_t(wt[k]);
            b += p[0] * w;
            g += p[1] * w;
            r += p[2] * w;
        }
        constexpr int shift = kWeightBits - 8;
        out[0] = std::uint16_t((b + (1u << (shift - 1))) >> shift);
        out[1] = std::uint16_t((g + (1u << (shift - 1))) >> shift);
        out[2] = std::uint16_t((r + (1u << (shift - 1))) >> shift);
    }
}

// Destination rows [dy0, dy1) of the job. Source rows are resampled
// horizontally once each into a ring of three (consecutive destination rows
// share at most the rows of one window edge, or both rows when enlarging) and
// added up at once, so the memory stays small whatever the ratio.
void Work(const TJob& job, std::int32_t dy0, std::int32_t dy1) {
    constexpr int kRing = 3;
    const std::size_t samples = std::size_t(job.dstW) * 3;
    std::vector<std::uint16_t> rows(samples * kRing);
    std::int32_t tag[kRing] = {-1, -1, -1}; // the source row each slot holds
    std::vector<std::uint8_t> expand(job.src->BitCount() == 24 ? 0 : std::size_t(job.srcW) * 3);
    std::vector<std::uint32_t> acc(samples);
    for (std::int32_t dy = dy0; dy < dy1; ++dy) {
        const std::int32_t s = job.ty.start[std::size_t(dy)];
        const std::int32_t n = job.ty.count[std::size_t(dy)];
        const std::int32_t* wt = &job.ty.weight[std::size_t(dy) * std::size_t(job.ty.maxTaps)];
        for (std::int32_t k = 0; k < n; ++k) {
            const std::int32_t r = s + k;
            const std::uint32_t w = std::uint32_t(wt[k]);
            if (w == 0 && k > 0)
                continue;
            const int slot = r % kRing;
            std::uint16_t* in = rows.data() + std::size_t(slot) * samples;
            if (tag[slot] != r) {
                Horizontal(job.tx, FetchRow(job, r, expand.data()), in, job.dstW);
                tag[slot] = r;
            }
            if (k == 0) {
                for (std::size_t i = 0; i < samples; ++i)
                    acc[i] = in[i] * w;
            } else {
                for (std::size_t i = 0; i < samples; ++i)
                    acc[i] += in[i] * w;
            }
        }
        std::uint8_t* out = job.dst->Row(dy);
        constexpr int shift = kWeightBits + 8;
        for (std::size_t i = 0; i < samples; ++i)
            out[i] = std::uint8_t((acc[i] + (1u << (shift - 1))) >> shift);
    }
}

// A band on its own thread: a failed allocation marks the job as failed
// instead of leaving the thread through an exception.
void RunBand(const TJob& job, std::int32_t dy0, std::int32_t dy1, std::atomic<bool>* failed) {
    try {
        Work(job, dy0, dy1);
    } catch (const std::bad_alloc&) {
        failed->store(true);
    }
}

bool Supported(const TDib& dib) {
    const int bits = dib.BitCount();
    return !dib.IsEmpty() && dib.Width() > 0 && dib.Height() > 0 &&
           (bits == 1 || bits == 4 || bits == 8 || bits == 24 || bits == 32);
}

TDib Resample(const TDib& dib, std::int32_t width, std::int32_t height, const TDibRect* rect) {
    if (!Supported(dib) || width <= 0 || height <= 0)
        return {};
    const std::int64_t W = dib.Width(), H = dib.Height();
    std::int64_t left = 0, right = W, top = 0, bottom = H; // top-down, bottom exclusive
    if (rect) {
        left = std::clamp<std::int64_t>(rect->left, 0, W);
        right = std::clamp<std::int64_t>(rect->right, 0, W);
        // bottom-up rows rect->bottom + 1 .. rect->top are the top-down
        // rows H - 1 - rect->top .. H - 2 - rect->bottom
        top = std::clamp<std::int64_t>(H - 1 - std::int64_t(rect->top), 0, H);
        bottom = std::clamp<std::int64_t>(H - 1 - std::int64_t(rect->bottom), 0, H);
    }
    if (right <= left || bottom <= top)
        return {};
    try {
        TJob job;
        job.src = &dib;
        job.x0 = std::int32_t(left);
        job.y0 = std::int32_t(top);
        job.srcW = std::int32_t(right - left);
        job.srcH = std::int32_t(bottom - top);
        job.dstW = width;
        job.dstH = height;
        TDib out = TDib::Create(width, height, 24);
        if (!out)
            return {};
        Platform::AdviseLargeBlock(out.Data(), out.Size());
        job.dst = &out;
        job.tx = MakeTaps(job.srcW, width);
        job.ty = MakeTaps(job.srcH, height);

        // Bands on several cores only when the work outweighs starting a thread.
        const std::int64_t work = std::int64_t(job.srcW) * job.srcH + std::int64_t(width) * height;
        unsigned cores = std::max(1u, std::thread::hardware_concurrency());
        unsigned bands = work < (1 << 19) ? 1u : std::min({cores, 8u, unsigned(height)});
        std::atomic<bool> failed{false};
        std::vector<std::thread> threads;
        threads.reserve(bands);
        std::int32_t from = 0;
        for (unsigned b = 1; b < bands; ++b) {
            const std::int32_t to = std::int32_t(std::int64_t(height) * b / bands);
            try {
                threads.emplace_back(RunBand, std::cref(job), from, to, &failed);
            } catch (const std::system_error&) {
                RunBand(job, from, to, &failed); // no thread to be had: do it here
            }
            from = to;
        }
        RunBand(job, from, height, &failed);
        for (auto& t : threads)
            t.join();
        if (failed.load())
            return {};
        return out;
    } catch (const std::bad_alloc&) {
        return {};
    }
}

} // namespace

TDib StretchDIB(const TDib& dib, std::int32_t width, std::int32_t height, const TDibRect* rect) {
    return Resample(dib, width, height, rect);
}

TDib ScaleToGray(const TDib& dib, std::int32_t width, std::int32_t height, int, int) {
    return Resample(dib, width, height, nullptr);
}
