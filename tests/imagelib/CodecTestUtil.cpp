#include "CodecTestUtil.h"

#include "TestSupport.h"

#include <QFile>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

namespace CodecTest {

TRgb PhotoLike(int width, int height, unsigned seed) {
    TRgb img{width, height, std::vector<std::uint8_t>(std::size_t(width) * height * 3)};
    std::uint32_t state = seed * 2654435761u + 1;
    auto noise = [&state]() {
        state = state * 1664525u + 1013904223u;
        return int(state >> 29) - 4; // -4 .. 3
    };
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const double fx = double(x) / width, fy = double(y) / height;
            int r = int(40 + 170 * fx + 30 * std::sin(fy * 9.0));
            int g = int(60 + 120 * fy + 40 * std::cos(fx * 7.0 + fy * 3.0));
            int b = int(200 - 150 * fx * fy);
            // a dark disc and a bright bar: hard edges
            const double dx = fx - 0.3, dy = fy - 0.6;
            if (dx * dx + dy * dy < 0.02) {
                r /= 3;
                g /= 3;
                b /= 2;
            }
            if (fx > 0.7 && fx < 0.75) {
                r = 240;
                g = 235;
                b = 220;
            }
            std::uint8_t* p = img.At(x, y);
            p[0] = std::uint8_t(std::clamp(r + noise(), 0, 255));
            p[1] = std::uint8_t(std::clamp(g + noise(), 0, 255));
            p[2] = std::uint8_t(std::clamp(b + noise(), 0, 255));
        }
    }
    return img;
}

TRgb Quadrants(int width, int height) {
    TRgb img{width, height, std::vector<std::uint8_t>(std::size_t(width) * height * 3)};
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            std::uint8_t* p = img.At(x, y);
            const bool right = x >= width / 2, lower = y >= height / 2;
            std::uint8_t c[3];
            if (!right && !lower)
                c[0] = 220, c[1] = 30, c[2] = 30;
            else if (right && !lower)
                c[0] = 30, c[1] = 200, c[2] = 30;
            else if (right && lower)
                c[0] = 30, c[1] = 30, c[2] = 210;
            else
                c[0] = 230, c[1] = 220, c[2] = 30;
            if (x < width / 4 && y < height / 4)
                c[0] = c[1] = c[2] = 250;
            p[0] = c[0];
            p[1] = c[1];
            p[2] = c[2];
        }
    }
    return img;
}

bool WritePpm(const QString& path, const TRgb& img) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    f.write(QString("P6\n%1 %2\n255\n").arg(img.width).arg(img.height).toLatin1());
    f.write(reinterpret_cast<const char*>(img.px.data()), qint64(img.px.size()));
    return true;
}

TRgb ReadPpm(const QString& path) {
    const std::vector<std::uint8_t> b = ReadBytes(path);
    TRgb img;
    std::size_t pos = 0;
    auto token = [&]() {
        while (pos < b.size()) {
            if (b[pos] == '#') {
                while (pos < b.size() && b[pos] != '\n')
                    ++pos;
            } else if (std::isspace(b[pos])) {
                ++pos;
            } else {
                break;
            }
        }
        std::string t;
        while (pos < b.size() && !std::isspace(b[pos]))
            t += char(b[pos++]);
        return t;
    };
    if (token() != "P6")
        return img;
    const int w = std::atoi(token().c_str());
    const int h = std::atoi(token().c_str());
    const int maxval = std::atoi(token().c_str());
    ++pos; // the single white space before the samples
    if (w <= 0 || h <= 0 || maxval != 255 || b.size() < pos + std::size_t(w) * h * 3)
        return img;
    img.width = w;
    img.height = h;
    img.px.assign(b.begin() + std::ptrdiff_t(pos),
                  b.begin() + std::ptrdiff_t(pos + std::size_t(w) * h * 3));
    return img;
}

std::vector<std::uint8_t> ReadBytes(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QByteArray a = f.readAll();
    return std::vector<std::uint8_t>(a.begin(), a.end());
}

bool WriteBytes(const QString& path, const std::vector<std::uint8_t>& bytes) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    return f.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size())) ==
           qint64(bytes.size());
}

bool Tool(const QString& program, const QStringList& args) {
    return TestSupport::Run(program, args) == 0;
}

TRgb MagickDecode(const QString& path, const QStringList& extra) {
    const QString out = path + ".ref.ppm";
    QStringList args{path};
    args << extra << "-depth"
         << "8" << out;
    if (!Tool("convert", args))
        return {};
    return ReadPpm(out);
}

void DibPixel(const TDib& dib, int x, int y, std::uint8_t rgb[3]) {
    const std::uint8_t* row = dib.Row(y);
    const int bits = dib.BitCount();
    if (bits == 24 || bits == 32) {
        const std::uint8_t* p = row + std::size_t(x) * std::size_t(bits / 8);
        rgb[0] = p[2];
        rgb[1] = p[1];
        rgb[2] = p[0];
        return;
    }
    unsigned index = 0;
    if (bits == 8)
        index = row[x];
    else if (bits == 4)
        index = (x & 1) ? (row[x >> 1] & 15u) : (row[x >> 1] >> 4);
    else
        index = (row[x >> 3] >> (7 - (x & 7))) & 1u;
    const TRgbQuad& q = dib.Colors()[index];
    rgb[0] = q.rgbRed;
    rgb[1] = q.rgbGreen;
    rgb[2] = q.rgbBlue;
}

double MeanAbsDiff(const TDib& dib, const TRgb& img) {
    if (dib.IsEmpty() || dib.Width() != img.width || dib.Height() != img.height)
        return std::numeric_limits<double>::max();
    double sum = 0;
    for (int y = 0; y < img.height; ++y)
        for (int x = 0; x < img.width; ++x) {
            std::uint8_t c[3];
            DibPixel(dib, x, y, c);
            const std::uint8_t* p = img.At(x, y);
            for (int k = 0; k < 3; ++k)
                sum += std::abs(int(c[k]) - int(p[k]));
        }
    return sum / (double(img.width) * img.height * 3);
}

int MaxAbsDiff(const TDib& dib, const TRgb& img) {
    if (dib.IsEmpty() || dib.Width() != img.width || dib.Height() != img.height)
        return 1 << 20;
    int worst = 0;
    for (int y = 0; y < img.height; ++y)
        for (int x = 0; x < img.width; ++x) {
            std::uint8_t c[3];
            DibPixel(dib, x, y, c);
            const std::uint8_t* p = img.At(x, y);
            for (int k = 0; k < 3; ++k)
                worst = std::max(worst, std::abs(int(c[k]) - int(p[k])));
        }
    return worst;
}

} // namespace CodecTest
