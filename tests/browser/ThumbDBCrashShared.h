#pragma once
// Thumbnails the kill tests write and check.

#include <QByteArray>
#include <QString>

inline QByteArray CrashPattern(int size, int seed) {
    QByteArray b(size, '\0');
    for (int i = 0; i < size; ++i)
        b[i] = static_cast<char>((i * 13 + seed * 101 + (i >> 8)) & 0xFF);
    return b;
}

// The loop writes 60 pictures in 7 folders over and over with new contents;
// the time stamp tells which round a thumbnail belongs to.
constexpr int kLoopPictures = 60;
inline QString LoopPath(int i) {
    const int j = i % kLoopPictures;
    return QStringLiteral("Fotos/f%1/Bild%2.jpg").arg(j % 7).arg(j);
}
inline int LoopSize(int i) {
    return 100 + (i * 397) % 3500;
}
inline QByteArray LoopThumb(int i) {
    return CrashPattern(LoopSize(i), i);
}
