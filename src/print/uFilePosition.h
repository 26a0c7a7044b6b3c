#pragma once
// A picture position without a window: a picture loaded from a file into one
// photo area as a load in the main window places it (covering the area,
// centred, zoom 1, turned a quarter to the area's orientation on request).
// Used where sheets are printed without the main window.

#include "uPicLayout.h"
#include "uSheetJob.h"
#include "uZRDib.h"

#include <QString>

class TFilePosition : public IPrintPosition {
public:
    // An empty position for an area of areaWidth x areaHeight pixels.
    TFilePosition(std::int32_t areaWidth, std::int32_t areaHeight);

    // Loads the file (raises Exception with the picture image's German
    // message; the position is then unchanged) and lays the picture out
    // centred at zoom 1; with autoRotate a picture whose orientation differs
    // from the area's is turned a quarter counter-clockwise.
    void Load(const QString& fileName, bool autoRotate);

    const TZRDib& Dib() const { return dib_; }
    TZRDib& Dib() { return dib_; }
    // The part of the picture the area shows.
    TIntRect VisibleSourceRect() const;

    bool HasPicture() const override { return !dib_.Handle().IsEmpty(); }
    // Draws through the picture image, which hands it to the printer picture
    // output on the running job's page.
    void PrintTo(TPrintDevice& device, const TPrintRect& rect) override;

private:
    std::int32_t cw_;
    std::int32_t ch_;
    TZRDib dib_;
};
