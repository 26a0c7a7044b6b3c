#include "uTemplateData.h"

#include <algorithm>

TPosdata::TPosdata(float x, float y, float width, float height, float bleed)
    : X(x), Y(y), Width(width), Height(height) {
    SetBleed(bleed);
}

void TPosdata::SetBleed(float b) {
    BleedRight = BleedLeft = BleedTop = BleedBottom = b;
}

TPaperTemplate::TPaperTemplate(const QString& caption, const QString& description)
    : Caption(caption), Description(description) {}

TPosdata& TPaperTemplate::AddPosition(float x, float y, float width, float height, float bleed) {
    Positions.push_back(std::make_unique<TPosdata>(x, y, width, height, bleed));
    return *Positions.back();
}

void TPaperTemplate::AddGrid(int columns, int rows, float cellWidth, float cellHeight, float left,
                             float top, float columnGap, float rowGap, float bleed) {
    const float innerX = std::min(bleed, columnGap / 2.0f);
    const float innerY = std::min(bleed, rowGap / 2.0f);
    for (int i = 0; i < rows; ++i) {
        for (int j = 0; j < columns; ++j) {
            const float x =
                static_cast<float>(left + (static_cast<double>(cellWidth) + columnGap) * j);
            const float y =
                static_cast<float>(top + (static_cast<double>(cellHeight) + rowGap) * i);
            TPosdata& p = AddPosition(x, y, cellWidth, cellHeight, 1.0f);
            p.BleedLeft = j == 0 ? bleed : innerX;
            p.BleedRight = j == columns - 1 ? bleed : innerX;
            p.BleedTop = i == 0 ? bleed : innerY;
            p.BleedBottom = i == rows - 1 ? bleed : innerY;
        }
    }
}
