#pragma once
// The built-in catalogue of paper products: 27 templates in four panels.

#include "uTemplateData.h"

#include <QColor>
#include <QString>

#include <vector>

struct TCatalogPanel {
    QString Caption;
    QColor Color;
    std::vector<int> Templates; // template numbers, in order
};

// Fills the (empty) list with every template of the catalogue; a template's
// index in the list is its number.
void BuildCatalogue(TTemplateList& list);

// The four chooser panels with caption, colour and template numbers.
const std::vector<TCatalogPanel>& CataloguePanels();
