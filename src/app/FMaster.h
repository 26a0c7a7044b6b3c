#pragma once
// The main window: the chosen paper template's sheet drawn to scale in the
// world panel, the template chooser column and the button bar.

#include "uTemplateData.h"

#include <QFrame>
#include <QRect>
#include <QWidget>

class QLabel;
class QToolButton;
class TPositions;
class TZROutlookBar;

// A rectangle shape: white fill with a 1-pixel black outline.
class TShape : public QWidget {
    Q_OBJECT
public:
    explicit TShape(QWidget* parent);

signals:
    void MouseDown();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
};

// The world panel that holds the sheet; reports resizes and mouse presses on
// its bare background.
class TWorldPanel : public QFrame {
    Q_OBJECT
public:
    explicit TWorldPanel(QWidget* parent);

signals:
    void Resized();
    void MouseDown();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
};

class TMaster : public QWidget {
    Q_OBJECT
public:
    explicit TMaster(QWidget* parent = nullptr);
    ~TMaster() override;

    // Makes template n current and lays out the sheet.
    void SelectTemplate(int n);
    // The screen rectangle of photo area i of the current template inside
    // panWelt, as the last layout computed it.
    QRect AreaRect(int i) const;
    // Places the sheet of the current template in panWelt.
    void Layout();

    // The manual: the program file's name with ".pdf", next to it.
    static QString ManualFile();
    // Opens the manual (button "Anleitung", F1).
    void Manual();

    // The panel that hosts the template chooser bar.
    QWidget* BarHost() const;

    // A wheel turn at a global position (on the window, or over a picture
    // position that does not take it): inside the chooser bar it scrolls the
    // open panel and is handled.
    bool FormMouseWheel(int delta, const QPoint& globalPos);

    // All templates of the catalogue; a template's index is its number.
    TTemplateList Templates;
    // The template on screen; never empty after creation.
    TPaperTemplate* CurrentTemplate = nullptr;

    // Components.
    QFrame* panLeft = nullptr;
    QFrame* Panel2 = nullptr;
    QFrame* Bevel1 = nullptr;
    QLabel* Image1 = nullptr;
    QFrame* panBar = nullptr;
    QFrame* Panel1 = nullptr;
    QFrame* panTop = nullptr;
    QToolButton* BtnLeeren = nullptr;
    QToolButton* BtnDrucken = nullptr;
    QToolButton* BtnInfo = nullptr;
    QToolButton* BtnAnleitung = nullptr;
    QWidget* Bevel2 = nullptr;
    TWorldPanel* panWelt = nullptr;
    TShape* shBlatt = nullptr;
    // The template chooser bar in panBar.
    TZROutlookBar* Bar = nullptr;

    // The picture positions over the photo areas with their zoom panel, menu
    // and keys (a child of the window).
    TPositions* Positions = nullptr;

public slots:
    void BtnDruckenClick();
    void BtnInfoClick();
    void BtnAnleitungClick();
    void panWeltResize();

protected:
    void wheelEvent(QWheelEvent* event) override;

private:
    void CreateComponents();
};

// Opens a manual file with the default program; a missing file or one that
// cannot be opened shows its information box.
void OpenManual(QWidget* parent, const QString& pdfFile);
