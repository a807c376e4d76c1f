#include "ui/pdfpage.h"

#include <QFileInfo>
#include <QPageSize>

PdfPage::PdfPage(const QString &path, const QString &title)
    : m_path(path)
    , m_pdf(path)
{
    m_pdf.setPageSize(QPageSize(QPageSize::A4));
    m_pdf.setResolution(300);
    m_pdf.setTitle(title);
}

bool PdfPage::begin()
{
    return m_painter.begin(&m_pdf);
}

bool PdfPage::finish()
{
    const bool ended = m_painter.end();
    return ended && QFileInfo(m_path).size() > 0;
}

QFont PdfPage::font(int pointSize, bool bold)
{
    QFont font(QStringLiteral("IPAPGothic"));
    font.setPointSize(pointSize);
    font.setBold(bold);
    return font;
}
