#pragma once
// The picture positions of the main window: one position control over every
// photo area of the current template, the selection, the zoom panel with its
// slider, print resolution label and light, the position menu pmBild and its
// commands, the wheel over a picture and the window's shortcut keys.

#include "uPicPreview.h"

#include <QImage>
#include <QObject>
#include <QSet>

#include <functional>
#include <vector>

class QAction;
class QFrame;
class QKeyEvent;
class QLabel;
class QMenu;
class QWheelEvent;
class TMaster;
class TZRZoomSlider;

class TPositions : public QObject {
    Q_OBJECT
public:
    // Creates the zoom panel in the master's world panel, the slider and the
    // position menu, and takes the window's shortcut keys, the mouse presses
    // on the sheet and its background and the button "Leeren".
    explicit TPositions(TMaster* master);
    ~TPositions() override;

    // Pairing with a new template of k areas, first half (before the layout):
    // controls are created as needed (the list only grows), those beyond k
    // emptied, all hidden.
    void PairFirstHalf(int k);
    // From the layout: control i takes area rectangle i and shows, i < k.
    void PlaceControls();
    // Second half: the zoom panel to the front, position 0 selected.
    void PairSecondHalf();

    // Selects p (nullptr: none).
    void SelectPosition(TPicPreview* p);
    TPicPreview* CurrentPosition() const { return current_; }
    // The position controls in area order (also the hidden ones).
    const std::vector<TPicPreview*>& PositionControls() const { return controls_; }
    int IndexOf(const TPicPreview* p) const;

    // The print resolution of the selected position in dpi; 0 when none is
    // selected or it is empty.
    int PrintResolution() const;
    void UpdateResolutionDisplay();
    // The frame of the resolution light now shown (0 red .. 3 grey).
    int LightFrame() const { return lightFrame_; }

    // Commands.
    void ClearSheet();
    void RotateLeft();
    void RotateRight();
    void Rotate180();
    void Cut();
    void Copy();
    void Paste();
    void ClearPosition();
    // "Bild laden..." for position p: asks for a file and loads it as it is.
    void LoadPicture(TPicPreview* p);
    // Loads a file into p without turning it (the plain OK, a dropped file).
    void LoadFile(TPicPreview* p, const QString& file);

    // The position menu for p at a global position (a context-menu request).
    void PositionMenu(TPicPreview* p, const QPoint& globalPos);
    // Enables the entries of pmBild for the selected position.
    void EnableMenuEntries();
    // A wheel turn over p; answers whether it was taken.
    bool PositionWheel(TPicPreview* p, QWheelEvent* event);
    // A key press no control took; answers whether it was handled.
    bool KeyDown(int key, Qt::KeyboardModifiers modifiers);

    // Connects a command to an entry of pmBild; such an entry is enabled with
    // the picture commands (until then it stays disabled).
    void WireMenuEntry(QAction* entry, std::function<void()> command);

    // The print command for Ctrl+P; not set, the key does nothing.
    std::function<void()> PrintCommand;
    // Asks for the picture file to load; empty = cancelled. Defaults to a
    // standard file dialog filtered to the picture types.
    std::function<QString(QWidget* parent)> ChoosePicture;

    // Components (names are the form's own).
    QFrame* panZoom = nullptr;
    QLabel* Label2 = nullptr;
    TZRZoomSlider* ZoomSlider = nullptr;
    QLabel* lblDPI = nullptr;
    QLabel* imAmpel = nullptr;
    QMenu* pmBild = nullptr;
    QAction* mnuBildLaden = nullptr;
    QAction* mnuLinks = nullptr;
    QAction* mnuRechts = nullptr;
    QAction* mnu180 = nullptr;
    QAction* mnuHKIG = nullptr;
    QAction* mnuFSH = nullptr;
    QAction* mnuSW = nullptr;
    QAction* mnuAusschneiden = nullptr;
    QAction* mnuKopieren = nullptr;
    QAction* mnuEinfuegen = nullptr;
    QAction* mnuLeeren = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateZoomPanel();
    void CreateMenu();
    TPicPreview* CreateControl();
    void ShowLight(int frame);
    void ZoomSliderChange();
    // Runs a command; an error it raises ends it and shows the error box.
    void Guarded(const std::function<void()>& command);
    QString DefaultChoosePicture(QWidget* parent);

    TMaster* master_;
    std::vector<TPicPreview*> controls_; // owned by the world panel
    int count_ = 0;                      // areas of the current template
    TPicPreview* current_ = nullptr;
    QImage lightStrip_;
    int lightFrame_ = -1;
    QSet<QAction*> wired_;
    QString lastDir_;
};
