// The core's types as Qt's: rectangles, texts and file names.
#pragma once

#include <QFile>
#include <QRect>
#include <QString>
#include <string>

#include "app/core/rect.h"

namespace veskar {

inline QRect toQRect(const Rect& rect)
{
    return QRect(rect.left, rect.top, rect.width(), rect.height());
}

// The core's texts are UTF-8.
inline QString toQString(const std::string& text)
{
    return QString::fromStdString(text);
}

// File names are bytes in the system's encoding.
inline QString pathToQt(const std::string& path)
{
    return QFile::decodeName(QByteArray::fromStdString(path));
}

inline std::string pathFromQt(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

}  // namespace veskar
