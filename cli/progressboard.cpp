#include "cli/progressboard.h"

#include "cli/terminal.h"

#include <algorithm>

ProgressBoard::ProgressBoard(std::FILE *stream, bool terminal, const QStringList &labels)
    : m_stream(stream)
    , m_terminal(terminal)
    , m_labels(labels)
{
    for (const QString &label : labels) {
        m_labelWidth = std::max(m_labelWidth, label.size());
        m_texts << QString();
    }
}

void ProgressBoard::show(int unit, const QString &text)
{
    if (unit < 0 || unit >= m_texts.size() || m_texts.at(unit) == text)
        return;
    m_texts[unit] = text;
    if (m_terminal) {
        redraw();
    } else {
        writeAll(m_stream, (m_labels.at(unit) + QLatin1String(": ") + text + '\n').toUtf8());
    }
}

QString ProgressBoard::line(int unit) const
{
    QString text = m_labels.at(unit).leftJustified(m_labelWidth + 2) + m_texts.at(unit);
    // A line that wraps would throw off the cursor moves of the next redraw.
    const int columns = terminalColumns(m_stream);
    if (columns > 1)
        text.truncate(columns - 1);
    return text;
}

void ProgressBoard::redraw()
{
    QByteArray out;
    if (m_drawn)
        out += "\033[" + QByteArray::number(m_texts.size()) + 'A';
    for (int unit = 0; unit < m_texts.size(); ++unit)
        out += "\r\033[K" + line(unit).toUtf8() + '\n';
    m_drawn = true;
    std::fwrite(out.constData(), 1, static_cast<size_t>(out.size()), m_stream);
    std::fflush(m_stream);
}
