#pragma once

#include <QDialog>
#include <QStringList>

class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;

// The port dialog: picks one of COM1..COM9. Entry i stands for port number i + 1 and for the
// system device deviceNames[i] (empty when none was found).
class PortDialog : public QDialog
{
    Q_OBJECT

public:
    PortDialog(int portNumber, QStringList deviceNames, QWidget *parent);

    // The number given at construction until 設定 is pressed, then the chosen entry + 1
    // (0 when no entry is selected). Cancelling leaves it unchanged.
    int portNumber() const;

private:
    void showDevice(int entry);
    void confirm();

    int m_portNumber;
    QStringList m_deviceNames;
    QGroupBox *m_frame = nullptr;
    QComboBox *m_list = nullptr;
    QLabel *m_device = nullptr;
    QPushButton *m_ok = nullptr;
    QPushButton *m_cancel = nullptr;
};
