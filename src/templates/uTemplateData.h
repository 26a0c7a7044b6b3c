#pragma once
// A paper product: the sheet size and its photo areas in millimetres.
//
// All lengths are 32-bit floats, origin at the sheet's top-left corner,
// x to the right, y downwards (the sheet as it lies in the printer).

#include <QString>

#include <memory>
#include <vector>

// One photo area with the bleed by which its printed picture may overrun
// each edge.
class TPosdata {
public:
    TPosdata(float x, float y, float width, float height, float bleed);

    void SetBleed(float b);

    float BleedRight = 0;
    float BleedLeft = 0;
    float BleedTop = 0;
    float BleedBottom = 0;
    float X = 0;
    float Y = 0;
    float Width = 0;
    float Height = 0;
};

class TPaperTemplate {
public:
    explicit TPaperTemplate(const QString& caption, const QString& description = QString());

    TPaperTemplate(const TPaperTemplate&) = delete;
    TPaperTemplate& operator=(const TPaperTemplate&) = delete;

    TPosdata& AddPosition(float x, float y, float width, float height, float bleed);

    // Appends columns x rows equal areas, row by row. Outer edges get the full
    // bleed, inner edges at most half the gap, so that the printed rectangles
    // of neighbouring areas never overlap.
    void AddGrid(int columns, int rows, float cellWidth, float cellHeight, float left, float top,
                 float columnGap, float rowGap, float bleed);

    int Count() const { return static_cast<int>(Positions.size()); }
    TPosdata& Position(int i) { return *Positions.at(static_cast<size_t>(i)); }
    const TPosdata& Position(int i) const { return *Positions.at(static_cast<size_t>(i)); }

    std::vector<std::unique_ptr<TPosdata>> Positions;
    QString Caption;
    QString Description; // lines separated by CR LF
    float Width = 210;
    float Height = 297;
};

using TTemplateList = std::vector<std::unique_ptr<TPaperTemplate>>;
