// What a test reads of a PDF file that Qt's PDF printer wrote: its pages and their sizes.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QRegularExpression>
#include <QSizeF>
#include <QString>

#include <filesystem>
#include <vector>

namespace pdf_facts {

// The size of every page in points, in file order; empty when the file cannot be read.
inline std::vector<QSizeF> PageSizes(const std::filesystem::path& path)
{
    std::vector<QSizeF> sizes;
    QFile file(QString::fromStdString(path.string()));
    if (!file.open(QIODevice::ReadOnly)) return sizes;
    const QString text = QString::fromLatin1(file.readAll());
    // Each page object names its type and its media box.
    static const QRegularExpression page(QStringLiteral(
        R"(/Type\s*/Page\b.*?/MediaBox\s*\[\s*([-\d.]+)\s+([-\d.]+)\s+([-\d.]+)\s+([-\d.]+)\s*\])"),
                                         QRegularExpression::DotMatchesEverythingOption);
    for (auto it = page.globalMatch(text); it.hasNext();) {
        const auto m = it.next();
        sizes.emplace_back(m.captured(3).toDouble() - m.captured(1).toDouble(),
                           m.captured(4).toDouble() - m.captured(2).toDouble());
    }
    return sizes;
}

inline int PageCount(const std::filesystem::path& path)
{
    return int(PageSizes(path).size());
}

}  // namespace pdf_facts
