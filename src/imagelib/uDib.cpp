#include "uDib.h"

#include <cstdlib>
#include <cstring>
#include <utility>

namespace {

bool PaletteDepth(int bits) {
    return bits == 1 || bits == 4 || bits == 8;
}

bool SupportedDepth(int bits) {
    return PaletteDepth(bits) || bits == 24 || bits == 32;
}

} // namespace

TDib::TDib(TDib&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0)) {}

TDib& TDib::operator=(TDib&& other) noexcept {
    if (this != &other) {
        Reset();
        data_ = std::exchange(other.data_, nullptr);
        size_ = std::exchange(other.size_, 0);
    }
    return *this;
}

TDib::~TDib() {
    Reset();
}

void TDib::Reset() noexcept {
    std::free(data_);
    data_ = nullptr;
    size_ = 0;
}

TDib TDib::Clone() const {
    TDib copy;
    if (!data_)
        return copy;
    auto* data = static_cast<std::uint8_t*>(std::malloc(size_));
    if (!data)
        return copy;
    std::memcpy(data, data_, size_);
    copy.data_ = data;
    copy.size_ = size_;
    return copy;
}

std::size_t TDib::StrideFor(std::int32_t width, int bitCount) noexcept {
    if (width <= 0 || bitCount <= 0)
        return 0;
    const std::uint64_t bits = static_cast<std::uint64_t>(width) * static_cast<unsigned>(bitCount);
    return static_cast<std::size_t>(((bits + 31) / 32) * 4);
}

std::size_t TDib::BlockSizeFor(std::int32_t width, std::int32_t height, int bitCount) noexcept {
    if (width <= 0 || height <= 0 || !SupportedDepth(bitCount))
        return 0;
    const std::uint64_t stride = StrideFor(width, bitCount);
    const std::uint64_t colors = PaletteDepth(bitCount) ? (1u << bitCount) : 0;
    const std::uint64_t size = sizeof(TBitmapInfoHeader) + colors * sizeof(TRgbQuad) +
                               stride * static_cast<std::uint64_t>(height);
    if (size > kMaxBlockSize)
        return 0;
    return static_cast<std::size_t>(size);
}

TDib TDib::Create(std::int32_t width, std::int32_t height, std::uint16_t bitCount) {
    TDib dib;
    const std::size_t size = BlockSizeFor(width, height, bitCount);
    if (size == 0)
        return dib;
    auto* data = static_cast<std::uint8_t*>(std::calloc(1, size));
    if (!data)
        return dib;
    dib.data_ = data;
    dib.size_ = size;
    TBitmapInfoHeader h;
    h.biWidth = width;
    h.biHeight = height;
    h.biBitCount = bitCount;
    h.biSizeImage =
        static_cast<std::uint32_t>(StrideFor(width, bitCount) * static_cast<std::size_t>(height));
    h.biClrUsed = PaletteDepth(bitCount) ? (1u << bitCount) : 0;
    std::memcpy(data, &h, sizeof h);
    return dib;
}

TDib TDib::FromPacked(const void* data, std::size_t size) {
    TDib dib;
    if (!data || size < sizeof(TBitmapInfoHeader))
        return dib;
    TBitmapInfoHeader h;
    std::memcpy(&h, data, sizeof h);
    if (h.biSize != sizeof(TBitmapInfoHeader) || h.biCompression != 0 || h.biPlanes != 1)
        return dib;
    const std::size_t need = BlockSizeFor(h.biWidth, h.biHeight, h.biBitCount);
    if (need == 0 || size < need)
        return dib;
    // The colour table of a packed DIB may be shorter than 2^bits (biClrUsed);
    // we always keep a full table so that every index is valid.
    const std::uint32_t full = PaletteDepth(h.biBitCount) ? (1u << h.biBitCount) : 0;
    const std::uint32_t used = (full && h.biClrUsed && h.biClrUsed < full) ? h.biClrUsed : full;
    const std::size_t stride = StrideFor(h.biWidth, h.biBitCount);
    const std::size_t srcSize =
        sizeof h + used * sizeof(TRgbQuad) + stride * static_cast<std::size_t>(h.biHeight);
    if (size < srcSize)
        return dib;
    dib = Create(h.biWidth, h.biHeight, h.biBitCount);
    if (!dib)
        return dib;
    const auto* src = static_cast<const std::uint8_t*>(data);
    TBitmapInfoHeader out = dib.Header();
    out.biXPelsPerMeter = h.biXPelsPerMeter;
    out.biYPelsPerMeter = h.biYPelsPerMeter;
    std::memcpy(dib.data_, &out, sizeof out);
    std::memcpy(dib.Colors(), src + sizeof h, used * sizeof(TRgbQuad));
    std::memcpy(dib.Bits(), src + sizeof h + used * sizeof(TRgbQuad),
                stride * static_cast<std::size_t>(h.biHeight));
    return dib;
}

const TBitmapInfoHeader& TDib::Header() const noexcept {
    static const TBitmapInfoHeader empty{};
    return data_ ? *reinterpret_cast<const TBitmapInfoHeader*>(data_) : empty;
}

std::uint32_t TDib::ColorCount() const noexcept {
    const int bits = BitCount();
    return PaletteDepth(bits) ? (1u << bits) : 0;
}

TRgbQuad* TDib::Colors() noexcept {
    return data_ ? reinterpret_cast<TRgbQuad*>(data_ + sizeof(TBitmapInfoHeader)) : nullptr;
}

const TRgbQuad* TDib::Colors() const noexcept {
    return data_ ? reinterpret_cast<const TRgbQuad*>(data_ + sizeof(TBitmapInfoHeader)) : nullptr;
}

std::size_t TDib::Stride() const noexcept {
    return StrideFor(Width(), BitCount());
}

std::uint8_t* TDib::Bits() noexcept {
    return data_ ? data_ + sizeof(TBitmapInfoHeader) + ColorCount() * sizeof(TRgbQuad) : nullptr;
}

const std::uint8_t* TDib::Bits() const noexcept {
    return data_ ? data_ + sizeof(TBitmapInfoHeader) + ColorCount() * sizeof(TRgbQuad) : nullptr;
}

std::uint8_t* TDib::Row(std::int32_t y) noexcept {
    return Bits() + Stride() * static_cast<std::size_t>(Height() - 1 - y);
}

const std::uint8_t* TDib::Row(std::int32_t y) const noexcept {
    return Bits() + Stride() * static_cast<std::size_t>(Height() - 1 - y);
}
