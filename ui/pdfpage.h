#pragma once

#include <QFont>
#include <QPainter>
#include <QPdfWriter>
#include <QString>

// A printed page as every report of this tool has it: A4 at 300 dpi through Qt's own PDF
// writer, in a font that has the Japanese glyphs. begin() and finish() say whether the file
// could be written; the caller words the message.
class PdfPage
{
public:
    PdfPage(const QString &path, const QString &title);

    bool begin();
    // Ends the document; false when the file did not reach the disk (Qt's PDF writer does not
    // report a failed write itself).
    bool finish();

    QPainter &painter() { return m_painter; }
    QPdfWriter &writer() { return m_pdf; }
    static QFont font(int pointSize, bool bold = false);

private:
    QString m_path;
    QPdfWriter m_pdf;
    QPainter m_painter;
};
