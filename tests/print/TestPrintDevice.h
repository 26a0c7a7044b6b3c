#pragma once
// A print device over an image: chosen resolution, paper size and physical
// offset; it paints the printable area into an image per page and records
// every call of the job and of the picture output.

#include "uPrintDevice.h"

#include <QImage>
#include <QPainter>
#include <QStringList>

#include <memory>
#include <vector>

class TTestPrintDevice : public TPrintDevice {
public:
    struct Sent {
        TPrintRect dest;
        QSize imageSize;
        QImage::Format format;
        QList<QRgb> colorTable;
        TPrintRect source;
    };

    TTestPrintDevice(int dpiX, int dpiY, int paperW, int paperH, int offX, int offY, int pageW,
                     int pageH)
        : dpiX_(dpiX), dpiY_(dpiY), paperW_(paperW), paperH_(paperH), offX_(offX), offY_(offY),
          pageW_(pageW), pageH_(pageH) {}

    int LogicalDpiX() const override { return dpiX_; }
    int LogicalDpiY() const override { return dpiY_; }
    int PhysicalOffsetX() const override { return offX_; }
    int PhysicalOffsetY() const override { return offY_; }
    bool Printing() const override { return printing_; }
    bool Monochrome() const override { return monochrome; }
    int PageWidth() const override { return pageW_; }
    int PageHeight() const override { return pageH_; }
    int PaperWidth() const override { return paperW_; }
    int PaperHeight() const override { return paperH_; }
    QPainter* Canvas() override { return painter_.get(); }
    void SetTitle(const QString& t) override { title_ = t; }
    QString Title() const override { return title_; }
    void BeginDoc() override {
        events << "begin";
        printing_ = true;
        aborted_ = false;
        StartPage();
    }
    void NewPage() override {
        events << "newpage";
        StartPage();
    }
    void EndDoc() override {
        events << "end";
        FinishPage();
        printing_ = false;
    }
    void Abort() override {
        events << "abort";
        FinishPage();
        printing_ = false;
        aborted_ = true;
    }
    bool Aborted() const override { return aborted_; }
    int MaxCopies() const override { return maxCopies; }
    void SetDeviceCopies(int c) override { deviceCopies = c; }
    int DeviceCopies() const override { return deviceCopies; }

    int StretchDIBits(const TPrintRect& dest, const QImage& image,
                      const TPrintRect& source) override {
        sent.push_back({dest, image.size(), image.format(), image.colorTable(), source});
        events << "picture";
        return TPrintDevice::StretchDIBits(dest, image, source);
    }

    // Opens a job on a fresh white page without going through a sheet job.
    void Open() { BeginDoc(); }
    QImage Page() {
        FinishPage();
        return pages.empty() ? QImage() : pages.back();
    }

    bool monochrome = false;
    int maxCopies = 1;
    int deviceCopies = 1;
    QStringList events;
    std::vector<Sent> sent;
    std::vector<QImage> pages;

private:
    void StartPage() {
        FinishPage();
        current_ = QImage(pageW_, pageH_, QImage::Format_RGB32);
        current_.fill(Qt::white);
        painter_ = std::make_unique<QPainter>(&current_);
    }
    void FinishPage() {
        if (painter_) {
            painter_.reset();
            pages.push_back(current_);
        }
    }

    int dpiX_, dpiY_, paperW_, paperH_, offX_, offY_, pageW_, pageH_;
    bool printing_ = false;
    bool aborted_ = false;
    QString title_;
    QImage current_;
    std::unique_ptr<QPainter> painter_;
};
