#include "ui/qtprompter.h"

#include <QFileDialog>
#include <QMessageBox>

QtPrompter::QtPrompter(QWidget *parent)
    : m_parent(parent)
{
}

Prompter::Answer QtPrompter::message(const QString &text, const QString &title,
                                     Buttons buttons, Icon icon)
{
    QMessageBox box(m_parent);
    box.setWindowTitle(title);
    // Lines are joined with CR LF; a label wants a plain line feed.
    box.setText(QString(text).replace(QLatin1String("\r\n"), QLatin1String("\n")));
    box.setTextFormat(Qt::PlainText);
    box.setIcon(icon == Icon::Exclamation ? QMessageBox::Warning : QMessageBox::NoIcon);
    if (buttons == Buttons::OkCancel) {
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        box.setEscapeButton(QMessageBox::Cancel);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
        box.setEscapeButton(QMessageBox::Ok);
    }
    box.setDefaultButton(QMessageBox::Ok);
    // Closing the box counts as Cancel.
    return box.exec() == QMessageBox::Ok ? Answer::Ok : Answer::Cancel;
}

QStringList QtPrompter::nameFilters(const QString &filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
        filters << QStringLiteral("%1 (%2)").arg(parts[i], parts[i + 1]);
    return filters;
}

std::optional<QString> QtPrompter::openFileName(const FileRequest &request)
{
    return fileName(request, false);
}

std::optional<QString> QtPrompter::saveFileName(const FileRequest &request)
{
    return fileName(request, true);
}

std::optional<QString> QtPrompter::fileName(const FileRequest &request, bool save)
{
    QFileDialog dialog(m_parent, request.title, request.directory);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    // Any name may be typed; the tool itself says when a file is missing or exists.
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setNameFilters(nameFilters(request.filter));
    dialog.setDefaultSuffix(request.defaultSuffix);
    dialog.selectFile(QString());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}
