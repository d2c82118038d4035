#pragma once
// Reading a picture file that anyone may have replaced or damaged.

#include <QImage>
#include <QString>

namespace kivola {

// Above the largest picture the program draws (the dense board, about 3 MB).
inline constexpr qint64 kLargestPictureFile = 8 * 1024 * 1024;

// The picture in the file, or a null image when the file is missing, larger than the bound,
// cut short, damaged or not a picture at all. A file cut short or with a damaged chunk is
// refused before a decoder sees it, so nothing is printed.
QImage readPictureFile(const QString& path);

} // namespace kivola
