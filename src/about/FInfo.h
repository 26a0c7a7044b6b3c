#pragma once
// The about box: product name, version, the maker's web site and mail
// address, legal notice.

#include <QDialog>
#include <QLabel>

class QFrame;
class QPushButton;

// A label that opens something when clicked (blue, underlined, hand cursor).
class TLinkLabel : public QLabel {
    Q_OBJECT
public:
    explicit TLinkLabel(const QString& text, QWidget* parent);

signals:
    void Clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};

class TDlgInfo : public QDialog {
    Q_OBJECT
public:
    explicit TDlgInfo(QWidget* parent = nullptr);

    // The maker's addresses behind the two link labels.
    static const QString kHomepage;
    static const QString kEMail;

    QLabel* Image1 = nullptr;
    QFrame* Bevel1 = nullptr;
    QLabel* ProductName = nullptr;
    QLabel* Version = nullptr;
    QLabel* Label1 = nullptr;
    TLinkLabel* lblHomepage = nullptr;
    QLabel* Label2 = nullptr;
    TLinkLabel* lblEMail = nullptr;
    QFrame* Bevel2 = nullptr;
    QLabel* Label10 = nullptr;
    QPushButton* OKButton = nullptr;

public slots:
    void lblHomepageClick();
    void lblEMailClick();
};
