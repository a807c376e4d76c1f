#pragma once

#include <QString>

// A printable PDF of a station's record (Qt's own PDF writer): a summary (the job, the
// operators, the time span, done and failed counts), then one line per unit. False, with why,
// when the record cannot be read or the PDF cannot be written. A plant's record gives the rows
// of `jobName` from every station.
bool writeStationReport(const QString &recordPath, const QString &jobName,
                        const QString &pdfPath, QString *why);
