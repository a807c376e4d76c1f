#pragma once

#include "file/settingsfile.h"
#include "link/linkstatus.h"
#include "link/portmap.h"
#include "link/serialchannel.h"
#include "unit/unitfinder.h"
#include "settings/verify.h"
#include "ui/prompter.h"

#include <QCoreApplication>
#include <QRgb>
#include <QString>
#include <QStringList>

// Every text the window shows, and the colours of the status line, in one place. The sources
// are the Japanese texts the window has always shown; they are marked for translation, and
// --lang en brings in the English ones. The captions of the controls stand in the control
// table (ui/controls.cpp); the unit kinds and the error-code explanations stand with their
// tables in the core, since the command-line tool shows them too.
class Texts
{
    Q_DECLARE_TR_FUNCTIONS(Texts)

public:
    struct StatusMessage
    {
        QString text;
        QRgb colour;
    };

    using Box = Prompter::Box;

    // The status line: what the link reports, and the idle text five seconds after a
    // disconnection.
    static StatusMessage status(LinkStatus status);
    static StatusMessage idleAgain();
    // Verify after write: the unit reports every value written, or not.
    static StatusMessage verifyDone();
    static StatusMessage verifyFailed();

    static Box duplicateStart();
    static Box confirmExit();
    static Box confirmWrite();
    static Box invalidInput();
    static Box overwrite();
    static Box saveFailed();
    // system.ini could not be written at the end; `reason` is the system's.
    static Box portSettingsNotSaved(const QString &path, const QString &reason);
    // Loading a settings file that ended other than Loaded.
    static Box loadFailed(LoadOutcome outcome);
    // The unit's error report; `message` is the explanation of its code.
    static Box unitError(const QString &message);
    // Each parameter the unit reports otherwise than written, with both values.
    static Box verifyMismatch(const QList<Mismatch> &mismatches);
    // A choice of the window (verify after write, the log window's place) not remembered.
    static Box preferenceNotStored();

    static QString windowTitle();
    static QString portButton(bool connected);
    static QString portButtonHint(bool connected);
    static QString directionCaption(const QString &flag);

    // The file dialogs of ファイル → 保存 and 読込.
    static QString saveDialogTitle();
    static QString loadDialogTitle();
    // "description|pattern|description|pattern".
    static QString fileFilter();

    // The port dialog: its title, frame, list entries ＣＯＭ１ … ＣＯＭ９ and buttons.
    static QString portDialogTitle();
    static QString portFrameCaption();
    static QStringList portEntries();
    static QString portOk();
    static QString portCancel();
    static QString noDeviceFound();
    // Below the buttons: the USB adapter's maker, product and serial number, one a line.
    static QString portDetails(const SystemPort &port);
    // Whether the device can be opened now; `held` when this program has it open.
    static QString portState(const PortCheck &check, bool held);
    // 検索: its button, the word while it runs, and what each entry's port answered.
    static QString portFind();
    static QString portFinding();
    static QString foundUnit(const FoundUnit &found);

    // The traffic log window: title, column headers, buttons, its save dialog and boxes.
    static QString trafficTitle();
    static QStringList trafficColumns();
    static QString trafficCopy();
    static QString trafficSave();
    static QString trafficClear();
    static QString trafficSaveTitle();
    static QString trafficFileFilter();
    static Box trafficSaveFailed(const QString &reason);
    // The --log file could not be written; nothing more goes to it.
    static Box trafficFileFailed(const QString &reason);

    // Read by screen readers for the up-down arrows.
    static QString upDownName();
    static QString upDownDescription();
};
