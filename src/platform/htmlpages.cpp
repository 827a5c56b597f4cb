#include "htmlpages.h"

#include <QAbstractTextDocumentLayout>
#include <QDir>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTextDocument>

namespace calvorigne {

void writePdfPages(const QString& html, const QString& title, QIODevice& device)
{
    QPdfWriter writer(&device);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(18, 16, 18, 20), QPageLayout::Millimeter);
    writer.setTitle(title);
    writer.setCreator(QStringLiteral("Calvorigne"));
    QTextDocument document;
    document.setHtml(html);
    QPainter painter(&writer);
    const QRect printable = writer.pageLayout().paintRectPixels(writer.resolution());
    const QRectF page(0, 0, printable.width(), printable.height());
    const double footer = writer.resolution() * 0.4;
    // Laid out at the writer's resolution, so that pages break where they print.
    document.documentLayout()->setPaintDevice(&writer);
    document.setPageSize(QSizeF(page.width(), page.height() - footer));
    const int pages = document.pageCount();
    for (int k = 0; k < pages; ++k) {
        if (k > 0)
            writer.newPage();
        painter.save();
        painter.translate(0, -k * (page.height() - footer));
        document.drawContents(&painter, QRectF(0, k * (page.height() - footer), page.width(), page.height() - footer));
        painter.restore();
        painter.drawText(QRectF(0, page.height() - footer, page.width(), footer), Qt::AlignCenter,
                         QStringLiteral("page %1 / %2").arg(k + 1).arg(pages));
    }
}

QString cannotWrite(const QSaveFile& file, bool opened)
{
    const QString name = QDir::toNativeSeparators(file.fileName());
    if (!opened)
        return QStringLiteral("« %1 » ne peut pas être écrit dans ce dossier (%2) : choisissez-en un autre. Rien n'a été écrit.")
            .arg(name, file.errorString());
    return QStringLiteral("« %1 » n'a pas pu être remplacé (%2) : il est sans doute ouvert dans un autre programme. Fermez-le, puis "
                          "recommencez. Rien n'a été écrit.")
        .arg(name, file.errorString());
}

QString writeAll(const std::vector<FileContent>& files)
{
    std::vector<std::unique_ptr<QSaveFile>> copies;
    for (const FileContent& content : files) {
        auto& file = *copies.emplace_back(std::make_unique<QSaveFile>(content.path));
        if (!file.open(QIODevice::WriteOnly) || !content.fill(file))
            return cannotWrite(file, false);
    }
    for (const auto& file : copies)
        if (!file->commit())
            return cannotWrite(*file, true);
    return {};
}

QString writeWhole(const QString& path, const std::function<bool(QIODevice&)>& fill)
{
    return writeAll({{path, fill}});
}

} // namespace calvorigne
