#pragma once
// The packed device-independent bitmap: one block holding, in this order, a
// 40-byte bitmap info header, a colour table where the bit depth needs one,
// and the pixel rows bottom-up, each padded to a multiple of 4 bytes. 24-bit
// pixels are blue, green, red. The block has exactly one owner; an empty TDib
// means "no picture".

#include <cstddef>
#include <cstdint>
#include <memory>

#pragma pack(push, 1)
struct TBitmapInfoHeader {
    std::uint32_t biSize = 40;
    std::int32_t biWidth = 0;
    std::int32_t biHeight = 0;
    std::uint16_t biPlanes = 1;
    std::uint16_t biBitCount = 0;
    std::uint32_t biCompression = 0; // always 0 (uncompressed) in a TDib
    std::uint32_t biSizeImage = 0;
    std::int32_t biXPelsPerMeter = 0;
    std::int32_t biYPelsPerMeter = 0;
    std::uint32_t biClrUsed = 0;
    std::uint32_t biClrImportant = 0;
};

struct TRgbQuad {
    std::uint8_t rgbBlue = 0;
    std::uint8_t rgbGreen = 0;
    std::uint8_t rgbRed = 0;
    std::uint8_t rgbReserved = 0;
};
#pragma pack(pop)
static_assert(sizeof(TBitmapInfoHeader) == 40);
static_assert(sizeof(TRgbQuad) == 4);

class TDib {
public:
    // The largest block we are willing to allocate for one picture.
    static constexpr std::size_t kMaxBlockSize = std::size_t(1) << 31;

    TDib() noexcept = default;
    TDib(TDib&& other) noexcept;
    TDib& operator=(TDib&& other) noexcept;
    TDib(const TDib&) = delete;
    TDib& operator=(const TDib&) = delete;
    ~TDib();

    // A zero-filled picture of the given size and depth (1, 4, 8, 24 or 32
    // bits; palette depths get a full colour table of 2^bits entries). Empty
    // when the size is not positive or the block would exceed kMaxBlockSize or
    // cannot be allocated.
    static TDib Create(std::int32_t width, std::int32_t height, std::uint16_t bitCount);

    // Takes a copy of a packed DIB held in memory (a clipboard block, a file's
    // payload). Empty when the bytes are not a consistent, uncompressed packed
    // DIB of a supported depth.
    static TDib FromPacked(const void* data, std::size_t size);

    bool IsEmpty() const noexcept { return data_ == nullptr; }
    explicit operator bool() const noexcept { return data_ != nullptr; }

    // The block's size in bytes (what GlobalSize answers on Windows).
    std::size_t Size() const noexcept { return size_; }
    std::uint8_t* Data() noexcept { return data_; }
    const std::uint8_t* Data() const noexcept { return data_; }

    const TBitmapInfoHeader& Header() const noexcept;
    std::int32_t Width() const noexcept { return Header().biWidth; }
    std::int32_t Height() const noexcept { return Header().biHeight; }
    int BitCount() const noexcept { return Header().biBitCount; }

    // Number of colour table entries (0 for 24 and 32 bits).
    std::uint32_t ColorCount() const noexcept;
    TRgbQuad* Colors() noexcept;
    const TRgbQuad* Colors() const noexcept;

    // Bytes per pixel row, padded to 4.
    std::size_t Stride() const noexcept;
    // The pixel rows, starting with the bottom row.
    std::uint8_t* Bits() noexcept;
    const std::uint8_t* Bits() const noexcept;
    // Row y counted from the top of the picture.
    std::uint8_t* Row(std::int32_t y) noexcept;
    const std::uint8_t* Row(std::int32_t y) const noexcept;

    // A byte-for-byte copy of the block; empty when this is empty or the copy
    // cannot be allocated.
    TDib Clone() const;

    // Frees the block; the TDib becomes empty.
    void Reset() noexcept;

    // Helpers for sizes: bytes per row and the whole block, 0 on overflow.
    static std::size_t StrideFor(std::int32_t width, int bitCount) noexcept;
    static std::size_t BlockSizeFor(std::int32_t width, std::int32_t height, int bitCount) noexcept;

private:
    std::uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
};
