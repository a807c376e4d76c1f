#pragma once

#include <QString>
#include <QStringList>

#include <cstdio>

// One progress line per unit. On a terminal the lines are redrawn in place; otherwise each
// change is a plain line of its own, "PORT: text".
class ProgressBoard
{
public:
    ProgressBoard(std::FILE *stream, bool terminal, const QStringList &labels);

    void show(int unit, const QString &text);

private:
    void redraw();
    QString line(int unit) const;

    std::FILE *m_stream;
    bool m_terminal;
    QStringList m_labels;
    QStringList m_texts;
    qsizetype m_labelWidth = 0;
    bool m_drawn = false;
};
