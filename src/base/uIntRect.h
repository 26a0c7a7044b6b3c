#pragma once
// Integer rectangles and sizes in device or picture pixels, shared by the
// position arithmetic and the picture output.

#include <cstdint>

// A rectangle with right and bottom exclusive.
struct TIntRect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;

    std::int32_t Width() const { return right - left; }
    std::int32_t Height() const { return bottom - top; }
    bool IsEmpty() const { return right <= left || bottom <= top; }
    friend bool operator==(const TIntRect&, const TIntRect&) = default;
};
