#pragma once

#include "settings/parameters.h"

#include <QDateTime>
#include <QList>
#include <QString>

#include <utility>

// What a one-page commissioning sheet says about the unit on the window.
struct CommissioningSheet
{
    QString model;    // "ZRT48210"
    QString kind;     // "デジタルユニット"
    QString version;  // the version line
    QString errorCode;     // empty when it was not read
    QString errorMessage;
    QList<std::pair<QString, QString>> parameters;  // caption, value in words
    QString lastWrite;  // whether the last write was verified, in words
    QDateTime date;
};

enum class LastWriteState { None, NotVerified, Verified, Different };

// The sheet's words: the caption of a parameter (FRBD stands for the frequency, PDIR for the
// I/O directions), whether the last write was verified, and its save dialog.
QString sheetCaption(ParameterKey key);
QString lastWriteText(LastWriteState state);
QString sheetDialogTitle();
QString sheetFileFilter();

// Writes the sheet as a one-page PDF (Qt's own PDF writer). False, with why, when it cannot.
bool writeCommissioningSheet(const CommissioningSheet &sheet, const QString &path, QString *why);
