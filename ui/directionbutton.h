#pragma once

#include <QPushButton>
#include <QString>

// An I/O direction toggle: carries a one-character direction flag ("0" output, anything else
// input) beside its caption, and flips it on every click.
class DirectionButton : public QPushButton
{
    Q_OBJECT
    Q_PROPERTY(int index READ index WRITE setIndex)
    Q_PROPERTY(QString flag READ flag WRITE setFlag)

public:
    explicit DirectionButton(QWidget *parent = nullptr);

    QString flag() const;
    // Stores the flag as given (it may be empty) and shows "出力" for "0", "入力" otherwise.
    void setFlag(const QString &flag);
    // "0" becomes "1" (input); any other flag becomes "0" (output).
    void toggleDirection();

    int index() const;
    void setIndex(int index);

private:
    QString m_flag;
    int m_index = 0;
};
